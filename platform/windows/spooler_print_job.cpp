#include "platform/windows/spooler_print_job.h"

#include <QApplication>
#include <QFont>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/print_document.h"
#include "platform/report_file_dialog.h"
#include "platform/windows/spooler_document.h"

namespace torvel {

namespace {
using Clock = std::chrono::steady_clock;

// How long the end of the program waits for the thread to withdraw its job:
// under the 2 s after which a clerk pressing Exit would think it broken.
constexpr std::chrono::milliseconds kWithdrawalWait{1000};

// The window the save dialog belongs to: the active one, or else the
// program's own window, so that the dialog never opens behind it unowned.
QWidget* DialogOwner()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowType() == Qt::Window)
            return window;
    return nullptr;
}
} // namespace

PrintJob* StartPrintJob(const QString& title, std::shared_ptr<const PrintDocument> document, PrintJob::Ended ended,
                        QObject* parent)
{
    return new SpoolerPrintJob(title, std::move(document), std::move(ended), parent);
}

// The state both threads share; it lives as long as either needs it.
struct SpoolerPrintJob::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    SpoolerPrintJob* job = nullptr; // null once the window's side is gone; under mutex
    bool finished = false;          // under mutex
    std::optional<QString> file;    // the clerk's answer, empty if cancelled; under mutex
    std::atomic<bool> stop{false};
    std::atomic<bool> asking{false}; // the clerk is choosing a file, and the spooler is not asked
    std::atomic<Clock::rep> heard{Clock::now().time_since_epoch().count()};

    void hear() { heard = Clock::now().time_since_epoch().count(); }

    void halt()
    {
        stop = true;
        const std::lock_guard lock(mutex);
        changed.notify_all();
    }

    // Asks the window's thread for the file and waits for the clerk, or for
    // the print to stop.
    QString askFile(PrinterFile kind)
    {
        std::unique_lock lock(mutex);
        if (!job)
            return {};
        file.reset();
        asking = true;
        QMetaObject::invokeMethod(job, [j = job, kind] { j->fileWanted(kind); },
                                  Qt::QueuedConnection);
        changed.wait(lock, [this] { return file || stop.load(); });
        const QString chosen = stop ? QString() : file.value_or(QString());
        // The spooler's silence is counted again from the clerk's answer.
        hear();
        asking = false;
        return chosen;
    }
};

SpoolerPrintJob::SpoolerPrintJob(const QString& title, std::shared_ptr<const PrintDocument> document, Ended ended,
                                 QObject* parent)
    : PrintJob(parent)
    , m_shared(std::make_shared<Shared>())
    , m_title(title)
    , m_ended(std::move(ended))
{
    // The printer's default font for the lines before the report sets one is
    // the application's, read here on the window's thread.
    auto page = std::make_shared<PrintDocument>(*document);
    if (page->fontFamily.isEmpty()) {
        const QFont font = QGuiApplication::font();
        page->fontFamily = font.family();
        page->pointSize = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    }
    m_shared->job = this;
    m_thread = std::thread([shared = m_shared, title, page] {
        SpoolerTalk talk;
        talk.proceed = [&shared] {
            shared->hear();
            return !shared->stop.load();
        };
        talk.askFile = [&shared](PrinterFile kind) { return shared->askFile(kind); };
        const PrintOutcome outcome = SendToSpooler(title, *page, talk);
        const std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->changed.notify_all();
        if (shared->job)
            QMetaObject::invokeMethod(shared->job, [j = shared->job, outcome] { j->talkEnded(outcome); },
                                      Qt::QueuedConnection);
    });
    connect(&m_watch, &QTimer::timeout, this, &SpoolerPrintJob::watch);
    m_watch.start(100);
}

SpoolerPrintJob::~SpoolerPrintJob()
{
    delete m_fileDialog;
    std::unique_lock lock(m_shared->mutex);
    m_shared->job = nullptr;
    m_shared->stop = true;
    m_shared->changed.notify_all(); // a thread waiting for the clerk's file
    // A thread the window has already given up on is not waited for again.
    if (!m_gaveUp)
        m_shared->changed.wait_for(lock, kWithdrawalWait, [this] { return m_shared->finished; });
    const bool finished = m_shared->finished;
    lock.unlock();
    if (!m_thread.joinable())
        return;
    if (finished)
        m_thread.join();
    else
        m_thread.detach(); // it holds its own share of the state, and withdraws the job when its call returns
}

// The thread stops at its next step, withdrawing the job; one held in a
// spooler call is let go of after a second.
void SpoolerPrintJob::cancel()
{
    if (m_shared->stop.exchange(true))
        return;
    m_shared->halt();
    m_cancelled.start();
    if (m_fileDialog)
        m_fileDialog->reject();
}

void SpoolerPrintJob::fileWanted(PrinterFile kind)
{
    if (m_shared->stop)
        return;
    m_fileDialog = new ReportFileDialog(kind, m_title, DialogOwner());
    connect(m_fileDialog, &QDialog::finished, this, &SpoolerPrintJob::fileAnswered);
    m_fileDialog->open();
}

// Cancel in the dialog ends the print as a cancel does: quietly, and before
// any job exists.
void SpoolerPrintJob::fileAnswered(int result)
{
    if (!m_fileDialog)
        return;
    const QString chosen = result == QDialog::Accepted ? m_fileDialog->chosenFile() : QString();
    m_fileDialog->deleteLater();
    m_fileDialog = nullptr;
    const std::lock_guard lock(m_shared->mutex);
    m_shared->file = chosen;
    m_shared->changed.notify_all();
}

void SpoolerPrintJob::watch()
{
    if (m_cancelled.isValid()) {
        if (m_cancelled.elapsed() >= std::chrono::milliseconds(kWithdrawalWait).count())
            giveUp({PrintOutcome::End::Cancelled, {}});
        return;
    }
    if (m_shared->asking)
        return; // the clerk's time, not the spooler's
    const Clock::duration silent = Clock::now().time_since_epoch() - Clock::duration(m_shared->heard.load());
    if (silent >= std::chrono::seconds(kSilenceSeconds))
        giveUp({PrintOutcome::End::Failed,
                QStringLiteral("The print spooler did not answer within %1 seconds.").arg(kSilenceSeconds)});
}

void SpoolerPrintJob::giveUp(const PrintOutcome& outcome)
{
    m_shared->stop = true;
    m_gaveUp = true;
    end(outcome);
}

void SpoolerPrintJob::talkEnded(const PrintOutcome& outcome)
{
    if (m_thread.joinable())
        m_thread.join();
    end(outcome);
}

void SpoolerPrintJob::end(const PrintOutcome& outcome)
{
    m_watch.stop();
    if (!m_ended)
        return; // ended already
    const Ended ended = std::exchange(m_ended, nullptr);
    ended(outcome);
}

} // namespace torvel
