#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

#include <cups/cups.h>

#include "platform/cups/cups_password_answer.h"
#include "platform/cups/cups_service.h"
#include "platform/print_outcome.h"

namespace torvel {

struct CupsApi;
class PrintRequester;

// One print on the system's default printer as the print service (CUPS)
// offers it: reach the service and its default destination, have the page
// drawn on the paper that destination reports, and send it as one job. It
// runs on a thread of its own, where libcups keeps its per-thread state (last
// error, password callback), so every call may wait; CupsService bounds
// each wait. A job that is ended early is withdrawn, unless its document
// went whole and only the final answer is missing: that job may still print,
// so it stays.
class CupsDestination {
public:
    explicit CupsDestination(PrintRequester& requester);
    ~CupsDestination();

    CupsDestination(const CupsDestination&) = delete;
    CupsDestination& operator=(const CupsDestination&) = delete;

    PrintOutcome print(const QString& title);

private:
    static const char* password(const char* prompt, http_t* http, const char* method, const char* resource,
                                void* data);

    PrintOutcome open();
    PrintOutcome send(const QByteArray& pdf, const QString& title);
    QString missingDefault();
    QString pausedNote();
    void withdraw(int job);

    PrintOutcome stoppedOutcome(int job);
    QString printer() const;
    QString lastError() const;
    static QString sentence(const QString& text);

    PrintRequester& m_requester;
    const CupsApi* m_cups = nullptr;
    CupsService m_service;
    CupsPasswordAnswer m_password;
    cups_dest_t* m_dest = nullptr;
    cups_dinfo_t* m_info = nullptr;
    QPageLayout m_layout;
};

} // namespace torvel
