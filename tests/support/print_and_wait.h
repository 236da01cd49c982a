#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <optional>

#include "report/price_report.h"

// Prints the report and runs the event loop until it has ended, as the
// window would meanwhile; a print that never ends counts as a failure.
inline torvel::PrintOutcome PrintAndWait(torvel::LinePrinter& printer, const torvel::PriceReportTexts& texts,
                                         int timeoutMs = 60000)
{
    std::optional<torvel::PrintOutcome> outcome;
    torvel::PrintPriceReport(printer, texts, [&](const torvel::PrintOutcome& ended) { outcome = ended; });
    const QDeadlineTimer deadline(timeoutMs);
    while (!outcome && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return outcome.value_or(torvel::PrintOutcome{torvel::PrintOutcome::End::Failed, QStringLiteral("(no end)")});
}
