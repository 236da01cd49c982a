#include "platform/cups/cups_password_answer.h"

#include <optional>

#include "platform/cups/cups_api.h"
#include "platform/cups/cups_service.h"
#include "platform/cups/print_requester.h"

namespace torvel {

CupsPasswordAnswer::CupsPasswordAnswer(PrintRequester& requester, CupsService& service)
    : m_requester(requester)
    , m_service(service)
{
}

CupsPasswordAnswer::~CupsPasswordAnswer()
{
    m_password.fill('\0');
}

void CupsPasswordAnswer::jobStarted()
{
    m_wanted = true;
}

bool CupsPasswordAnswer::refused() const
{
    return m_refused;
}

// Only a job asks the clerk: the service's other requests need no password,
// and asking for them would only puzzle. The withdrawal of a job uses the
// password that created it.
const char* CupsPasswordAnswer::answer(const CupsApi& cups, const cups_dest_t* dest)
{
    if (m_service.withdrawing())
        return m_password.isEmpty() ? nullptr : m_password.constData();
    if (!m_wanted || m_requester.cancelled())
        return nullptr;
    if (++m_asks > 2) {
        m_refused = true;
        return nullptr;
    }
    std::optional<PrintCredentials> given = m_requester.askPassword(
        QString::fromLocal8Bit(dest->name), QString::fromLocal8Bit(cups.cupsUser()), m_asks > 1);
    m_password.fill('\0');
    m_password.clear();
    if (!given)
        return nullptr;
    cups.cupsSetUser(given->user.toLocal8Bit().constData());
    m_password = std::move(given->password); // the only copy, so that fill() reaches it
    // The silence count starts again once the clerk has answered.
    m_service.heard();
    return m_password.constData();
}

} // namespace torvel
