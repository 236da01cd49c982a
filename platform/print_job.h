#pragma once

#include <QObject>

#include <functional>
#include <memory>

#include "platform/print_outcome.h"

namespace torvel {

struct PrintDocument;

// One document on its way to the system's default printer. The system's
// print service is talked to on a thread of its own, so that the window goes
// on answering; ended is called once, on the thread of the job's parent,
// with the outcome. Destroying a job cancels it.
class PrintJob : public QObject {
    Q_OBJECT

public:
    using Ended = std::function<void(const PrintOutcome&)>;

    using QObject::QObject;

    // Stops the print and withdraws what reached the service; ended then
    // reports it cancelled, unless it had already ended.
    virtual void cancel() = 0;
};

// Starts printing the document on the system's default printer: through
// CUPS on Linux, through the print spooler on Windows.
PrintJob* StartPrintJob(const QString& title, std::shared_ptr<const PrintDocument> document, PrintJob::Ended ended,
                        QObject* parent);

} // namespace torvel
