#include "platform/cups/cups_service.h"

#include <QElapsedTimer>

#include "platform/cups/cups_api.h"
#include "platform/cups/print_requester.h"

namespace torvel {

namespace {

// How often a wait looks at the cancel flag and counts the silence.
constexpr double kWaitStepSeconds = 0.1;
constexpr int kDefaultIppPort = 631;

} // namespace

CupsService::CupsService(PrintRequester& requester)
    : m_requester(requester)
{
}

CupsService::~CupsService()
{
    if (m_http)
        m_cups->httpClose(m_http);
}

PrintOutcome CupsService::open(const CupsApi& cups)
{
    m_cups = &cups;
    // A socket path, or localhost on the usual port, is this computer's own
    // service; any other is named, as the clerk may not know which it is.
    const QString host = QString::fromLocal8Bit(cups.cupsServer());
    const int port = cups.ippPort();
    if (!host.startsWith(u'/') && !(host == QLatin1String("localhost") && port == kDefaultIppPort))
        m_server = port == kDefaultIppPort ? host : QStringLiteral("%1:%2").arg(host).arg(port);

    QElapsedTimer connecting;
    connecting.start();
    m_http = connect(m_requester.cancelFlag(), kSilenceSeconds * 1000);
    if (!m_http) {
        if (m_requester.cancelled())
            return {PrintOutcome::End::Cancelled, {}};
        if (connecting.hasExpired(kSilenceSeconds * 1000 - 100))
            return {PrintOutcome::End::Failed, notAnswering()};
        return {PrintOutcome::End::Failed,
                m_server.isEmpty() ? QStringLiteral("The printing service is not running on this computer.")
                                   : name() + QStringLiteral(" is not running or cannot be reached.")};
    }
    return {};
}

http_t* CupsService::connect(int* cancel, int msec)
{
    const CupsApi& cups = *m_cups;
    http_t* http = cups.httpConnect2(cups.cupsServer(), cups.ippPort(), nullptr, AF_UNSPEC, cups.cupsEncryption(), 1,
                                     msec, cancel);
    if (http)
        cups.httpSetTimeout(http, kWaitStepSeconds, &CupsService::keepWaiting, this);
    return http;
}

// Each wait on a connection lasts one step before it asks here whether to
// go on.
int CupsService::keepWaiting(http_t* http, void* data)
{
    auto* self = static_cast<CupsService*>(data);
    const bool mayCancel = !self->m_withdrawing && !self->m_creating;
    if (self->m_requester.abandoned() || (mayCancel && self->m_requester.cancelled()))
        return 0;
    const CupsApi& cups = *self->m_cups;
    const size_t remaining = cups.httpGetRemaining(http);
    const time_t activity = cups.httpGetActivity(http);
    if (self->m_silence.silent(remaining, activity)) {
        self->m_timedOut = true;
        return 0;
    }
    return 1;
}

void CupsService::heard()
{
    m_silence.heard();
}

bool CupsService::stopped() const
{
    return m_timedOut || m_requester.cancelled();
}

// "The printing service", and where it is when it is not this computer's own.
QString CupsService::name() const
{
    return m_server.isEmpty() ? QStringLiteral("The printing service")
                              : QStringLiteral("The printing service on %1").arg(m_server);
}

QString CupsService::notAnswering() const
{
    return name() + QStringLiteral(" did not answer within %1 seconds.").arg(kSilenceSeconds);
}

} // namespace torvel
