#pragma once

#include <QStringList>

#include "platform/line_printer.h"

// Stands in for the default printer and writes down, in order, what it was
// asked: "line <indent> <text>" with the pieces as they print, one after
// another, "font <family> <points>", "end" and "cancel". Each document ends
// at once with the outcome the test asks for, or, when held, stays under way
// until the test ends it.
class RecordingLinePrinter final : public torvel::LinePrinter {
public:
    QStringList calls;
    QString failure; // empty: every document prints
    QString note; // told after a document that printed
    bool hold = false;
    DocumentEnded pending; // the held document's

    void printLine(const QStringList& pieces, int indentColumns) override
    {
        calls << QStringLiteral("line %1 %2").arg(indentColumns).arg(pieces.join(QString()));
    }

    void setFont(const QString& family, double pointSize) override
    {
        calls << QStringLiteral("font %1 %2").arg(family).arg(pointSize);
    }

    void endDocument(DocumentEnded ended) override
    {
        calls << QStringLiteral("end");
        if (hold) {
            pending = std::move(ended);
            return;
        }
        using End = torvel::PrintOutcome::End;
        ended(failure.isEmpty() ? torvel::PrintOutcome{End::Printed, note}
                                : torvel::PrintOutcome{End::Failed, failure});
    }

    void cancelDocument() override { calls << QStringLiteral("cancel"); }

    // Ends the held document as given.
    void finish(const torvel::PrintOutcome& outcome)
    {
        const DocumentEnded ended = std::exchange(pending, nullptr);
        ended(outcome);
    }
};
