#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QPageLayout>
#include <QString>

#include <cups/cups.h>

#include <ctime>

#include "platform/print_outcome.h"

namespace torvel {

struct CupsApi;
class PrintRequester;

// One print on the system's default printer as the print service (CUPS)
// offers it: reach the service and its default destination, have the page
// drawn on the paper that destination reports, and send it as one job. It
// runs on a thread of its own, where libcups keeps its per-thread state (last
// error, password callback), so every call may wait. A wait gives up when the
// service has been silent for kSilenceSeconds, or at once when the print is
// cancelled; a slow service that keeps answering is waited for. A job that
// is ended early is withdrawn, unless its document went whole and only the
// final answer is missing: that job may still print, so it stays.
class CupsDestination {
public:
    static constexpr int kSilenceSeconds = 10;

    explicit CupsDestination(PrintRequester& requester);
    ~CupsDestination();

    CupsDestination(const CupsDestination&) = delete;
    CupsDestination& operator=(const CupsDestination&) = delete;

    PrintOutcome print(const QString& title);

private:
    static int keepWaiting(http_t* http, void* data);
    static const char* password(const char* prompt, http_t* http, const char* method, const char* resource,
                                void* data);

    PrintOutcome open();
    PrintOutcome send(const QByteArray& pdf, const QString& title);
    QString missingDefault();
    QString pausedNote();
    http_t* connect(int* cancel, int msec);
    void withdraw(int job);
    const char* answerPassword();

    PrintOutcome stoppedOutcome(int job);
    bool stopped() const;
    void heard();
    QString service() const;
    QString notAnswering() const;
    QString printer() const;
    QString lastError() const;
    static QString sentence(const QString& text);

    PrintRequester& m_requester;
    const CupsApi* m_cups = nullptr;
    QString m_server; // empty: this computer's own service
    http_t* m_http = nullptr;
    cups_dest_t* m_dest = nullptr;
    cups_dinfo_t* m_info = nullptr;
    QPageLayout m_layout;

    // The silence watch runs on the monotonic clock: the wall clock may be
    // set forward or back at any moment (a time server, a resumed laptop),
    // which must neither cut a wait short nor make it endless.
    QElapsedTimer m_silence;
    bool m_counting = false; // false until a wait has seen the first step
    size_t m_lastRemaining = 0;
    time_t m_lastActivity = 0;
    bool m_timedOut = false;
    bool m_creating = false;
    bool m_withdrawing = false;

    // The password, asked only once a job is under way and kept no longer
    // than the job; a second refusal ends the job.
    bool m_passwordWanted = false;
    int m_passwordAsks = 0;
    bool m_passwordRefused = false;
    QByteArray m_password;
};

} // namespace torvel
