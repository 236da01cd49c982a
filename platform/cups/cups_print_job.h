#pragma once

#include <QPointer>

#include <memory>
#include <thread>

#include "platform/print_job.h"

class QPageLayout;

namespace torvel {

class PasswordDialog;
struct PrintCredentials;
struct PrintDocument;

// One print on the default printer, talked through on a thread of its own so
// that the window goes on answering. What the talk needs from this side (the
// page drawn for the printer's paper, a password) is asked here, on the
// window's thread, and ended is called here once with the outcome.
// Destroying it cancels the print and waits at most about 1.6 s for the
// thread to withdraw the job; a thread still waiting on the service then is
// left to end on its own.
class CupsPrintJob final : public PrintJob {
    Q_OBJECT

public:
    CupsPrintJob(const QString& title, std::shared_ptr<const PrintDocument> document, Ended ended,
                 QObject* parent = nullptr);
    ~CupsPrintJob() override;

    void cancel() override;

private:
    struct Shared;

    void pageWanted(const QPageLayout& page);
    void passwordWanted(const QString& printer, const QString& user, bool again);
    void passwordAnswered(int result);
    void talkEnded(const PrintOutcome& outcome);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    QString m_title;
    std::shared_ptr<const PrintDocument> m_document;
    Ended m_ended;
    QPointer<PasswordDialog> m_passwordDialog;
};

} // namespace torvel
