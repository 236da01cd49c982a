#include "platform/cups/cups_print_job.h"

#include <QApplication>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/cups/cups_destination.h"
#include "platform/cups/print_requester.h"
#include "platform/password_dialog.h"
#include "platform/pdf_page.h"
#include "platform/print_document.h"

namespace torvel {

namespace {
// How long the end of the program waits for a withdrawal, and then for a
// thread told to send its withdrawal without awaiting the answer: under the
// 2 s after which a clerk pressing Exit would think it broken.
constexpr std::chrono::milliseconds kWithdrawalWait{1000};
constexpr std::chrono::milliseconds kAbandonWait{600};
} // namespace

// The state both threads share; it lives as long as either needs it. The
// talking thread asks the window's thread through queued calls and waits here
// for the answer, or for a cancel.
struct CupsPrintJob::Shared final : PrintRequester {
    std::mutex mutex;
    std::condition_variable changed;
    CupsPrintJob* job = nullptr; // null once the job is gone; under mutex
    int stop = 0; // read by libcups too; written through atomic_ref
    std::atomic<bool> abandon{false};
    bool finished = false;

    struct Page {
        bool drawn = false;
        QByteArray pdf;
        QString failure;
    };
    std::optional<Page> page;
    std::optional<std::optional<PrintCredentials>> credentials;

    bool cancelled() const override { return std::atomic_ref<int>(const_cast<int&>(stop)).load() != 0; }
    bool abandoned() const override { return abandon.load(); }
    int* cancelFlag() override { return &stop; }

    void cancel()
    {
        std::atomic_ref<int>(stop).store(1);
        const std::lock_guard lock(mutex);
        changed.notify_all();
    }

    // Runs call on the window's thread, unless the job is gone.
    template <typename Call>
    bool post(Call call)
    {
        if (!job)
            return false;
        QMetaObject::invokeMethod(job, [j = job, call] { call(j); }, Qt::QueuedConnection);
        return true;
    }

    bool drawPage(const QPageLayout& layout, QByteArray& pdf, QString& failure) override
    {
        std::unique_lock lock(mutex);
        page.reset();
        failure.clear();
        if (!post([layout](CupsPrintJob* j) { j->pageWanted(layout); }))
            return false;
        changed.wait(lock, [&] { return page || cancelled(); });
        if (!page || cancelled())
            return false;
        pdf = std::move(page->pdf);
        failure = page->failure;
        return page->drawn;
    }

    std::optional<PrintCredentials> askPassword(const QString& printer, const QString& user, bool again) override
    {
        std::unique_lock lock(mutex);
        credentials.reset();
        if (!post([=](CupsPrintJob* j) { j->passwordWanted(printer, user, again); }))
            return std::nullopt;
        changed.wait(lock, [&] { return credentials || cancelled(); });
        std::optional<PrintCredentials> given;
        if (credentials && *credentials && !cancelled())
            given = std::move(**credentials);
        credentials.reset();
        return given;
    }
};

PrintJob* StartPrintJob(const QString& title, std::shared_ptr<const PrintDocument> document, PrintJob::Ended ended,
                        QObject* parent)
{
    return new CupsPrintJob(title, std::move(document), std::move(ended), parent);
}

CupsPrintJob::CupsPrintJob(const QString& title, std::shared_ptr<const PrintDocument> document, Ended ended,
                           QObject* parent)
    : PrintJob(parent)
    , m_shared(std::make_shared<Shared>())
    , m_title(title)
    , m_document(std::move(document))
    , m_ended(std::move(ended))
{
    m_shared->job = this;
    m_thread = std::thread([shared = m_shared, title] {
        PrintOutcome outcome;
        {
            CupsDestination destination(*shared);
            outcome = destination.print(title);
        }
        const std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->changed.notify_all();
        shared->post([outcome](CupsPrintJob* j) { j->talkEnded(outcome); });
    });
}

CupsPrintJob::~CupsPrintJob()
{
    delete m_passwordDialog;
    std::unique_lock lock(m_shared->mutex);
    m_shared->job = nullptr;
    lock.unlock();
    m_shared->cancel();
    lock.lock();
    if (!m_shared->changed.wait_for(lock, kWithdrawalWait, [this] { return m_shared->finished; })) {
        m_shared->abandon = true;
        m_shared->changed.wait_for(lock, kAbandonWait, [this] { return m_shared->finished; });
    }
    const bool finished = m_shared->finished;
    lock.unlock();
    if (!m_thread.joinable())
        return; // already ended and joined
    if (finished)
        m_thread.join();
    else
        m_thread.detach(); // it holds its own share of the state
}

void CupsPrintJob::cancel()
{
    m_shared->cancel();
    if (m_passwordDialog)
        m_passwordDialog->reject();
}

void CupsPrintJob::pageWanted(const QPageLayout& layout)
{
    Shared::Page drawn;
    drawn.drawn = DrawPdfPage(*m_document, m_title, layout, drawn.pdf);
    if (!drawn.drawn)
        drawn.failure = QStringLiteral("The page could not be prepared for printing.");
    const std::lock_guard lock(m_shared->mutex);
    m_shared->page = std::move(drawn);
    m_shared->changed.notify_all();
}

void CupsPrintJob::passwordWanted(const QString& printer, const QString& user, bool again)
{
    if (m_shared->cancelled())
        return;
    m_passwordDialog = new PasswordDialog(printer, user, again, QApplication::activeWindow());
    connect(m_passwordDialog, &QDialog::finished, this, &CupsPrintJob::passwordAnswered);
    m_passwordDialog->open();
}

// Escape or Cancel in the dialog cancels the whole print.
void CupsPrintJob::passwordAnswered(int result)
{
    std::optional<PrintCredentials> given;
    if (!m_passwordDialog)
        return;
    if (result == QDialog::Accepted)
        given = m_passwordDialog->takeCredentials();
    m_passwordDialog->deleteLater();
    m_passwordDialog = nullptr;
    if (!given) {
        m_shared->cancel();
        return;
    }
    const std::lock_guard lock(m_shared->mutex);
    m_shared->credentials = std::move(given);
    m_shared->changed.notify_all();
}

void CupsPrintJob::talkEnded(const PrintOutcome& outcome)
{
    m_thread.join();
    delete m_passwordDialog;
    m_ended(outcome);
}

} // namespace torvel
