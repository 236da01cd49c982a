#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <thread>

#include "platform/print_job.h"
#include "platform/printer_file.h"

namespace torvel {

struct PrintDocument;
class ReportFileDialog;

// One print on Windows' default printer, sent through the print spooler on a
// thread of its own (see SpoolerDocument for the talk itself). The spooler's
// calls cannot be interrupted, so the window does not wait on them: a cancel
// ends the print for the window at once, and the thread withdraws the job
// (AbortDoc) as soon as its call returns. A spooler that stays silent for
// kSilenceSeconds in one call ends the print with a message, and the job is
// withdrawn the same way once the call returns.
// A printer that writes files gets its file chosen here, on the window's
// thread, in a save dialog over the window; the clerk's time there is no
// silence of the spooler's, and Cancel in it ends the print with no words.
class SpoolerPrintJob final : public PrintJob {
    Q_OBJECT

public:
    static constexpr int kSilenceSeconds = 10;

    SpoolerPrintJob(const QString& title, std::shared_ptr<const PrintDocument> document, Ended ended,
                    QObject* parent = nullptr);
    ~SpoolerPrintJob() override;

    void cancel() override;

private:
    struct Shared;

    void fileWanted(PrinterFile kind);
    void fileAnswered(int result);
    void watch();
    void giveUp(const PrintOutcome& outcome);
    void talkEnded(const PrintOutcome& outcome);
    void end(const PrintOutcome& outcome);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    QString m_title;
    Ended m_ended;
    QTimer m_watch;
    QElapsedTimer m_cancelled; // valid once cancelled
    bool m_gaveUp = false; // ended without the thread, which may still be in a spooler call
    QPointer<ReportFileDialog> m_fileDialog;
};

} // namespace torvel
