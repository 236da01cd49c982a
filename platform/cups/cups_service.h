#pragma once

#include <QString>

#include <cups/cups.h>

#include "platform/cups/cups_silence_watch.h"
#include "platform/print_outcome.h"

namespace torvel {

struct CupsApi;
class PrintRequester;

// The print service (CUPS) as one print reaches it: its name in messages,
// the print's connection to it, and how long each wait on it lasts. A wait
// gives up when the service has been silent for kSilenceSeconds, or at once
// when the print is cancelled; a slow service that keeps answering is waited
// for.
class CupsService {
public:
    static constexpr int kSilenceSeconds = 10;

    explicit CupsService(PrintRequester& requester);
    ~CupsService();

    CupsService(const CupsService&) = delete;
    CupsService& operator=(const CupsService&) = delete;

    // Names the service and opens the print's connection to it; Printed,
    // without a message, once it is open.
    PrintOutcome open(const CupsApi& cups);
    http_t* http() const { return m_http; }
    // A connection of its own, for a call that the print's may not serve.
    http_t* connect(int* cancel, int msec);

    void heard();
    // A wait gave up on the service's silence.
    bool timedOut() const { return m_timedOut; }
    // A wait gave up, or the print is to stop before the next one.
    bool stopped() const;

    // A cancel does not cut these waits short: the answer to a job's
    // creation, and the job's withdrawal.
    void setCreating(bool creating) { m_creating = creating; }
    void setWithdrawing(bool withdrawing) { m_withdrawing = withdrawing; }
    bool withdrawing() const { return m_withdrawing; }

    QString name() const;
    QString notAnswering() const;

private:
    static int keepWaiting(http_t* http, void* data);

    PrintRequester& m_requester;
    const CupsApi* m_cups = nullptr;
    QString m_server; // empty: this computer's own service
    http_t* m_http = nullptr;
    CupsSilenceWatch m_silence{kSilenceSeconds};
    bool m_timedOut = false;
    bool m_creating = false;
    bool m_withdrawing = false;
};

} // namespace torvel
