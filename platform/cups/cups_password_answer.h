#pragma once

#include <QByteArray>

#include <cups/cups.h>

namespace torvel {

struct CupsApi;
class CupsService;
class PrintRequester;

// What libcups is told when the service wants a password. Only a job asks
// the clerk, once more after a refusal; a second refusal ends the job. The
// password is kept no longer than the job, and its bytes are zeroed when
// it goes.
class CupsPasswordAnswer {
public:
    CupsPasswordAnswer(PrintRequester& requester, CupsService& service);
    ~CupsPasswordAnswer();

    CupsPasswordAnswer(const CupsPasswordAnswer&) = delete;
    CupsPasswordAnswer& operator=(const CupsPasswordAnswer&) = delete;

    // From here on the service's requests belong to a job.
    void jobStarted();
    // The clerk's name and password were refused twice.
    bool refused() const;
    // The password for the job on dest, or null to give up.
    const char* answer(const CupsApi& cups, const cups_dest_t* dest);

private:
    PrintRequester& m_requester;
    CupsService& m_service;
    bool m_wanted = false;
    int m_asks = 0;
    bool m_refused = false;
    QByteArray m_password;
};

} // namespace torvel
