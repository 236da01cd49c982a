#include "platform/cups/cups_destination.h"

#include <QElapsedTimer>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>

#include "platform/cups/cups_api.h"
#include "platform/cups/print_requester.h"

namespace torvel {

namespace {

// How often a wait looks at the cancel flag and counts the silence.
constexpr double kWaitStepSeconds = 0.1;
constexpr int kDefaultIppPort = 631;

} // namespace

CupsDestination::CupsDestination(PrintRequester& requester)
    : m_requester(requester)
{
}

CupsDestination::~CupsDestination()
{
    m_password.fill('\0');
    if (!m_cups)
        return;
    if (m_info)
        m_cups->cupsFreeDestInfo(m_info);
    if (m_dest)
        m_cups->cupsFreeDests(1, m_dest);
    if (m_http)
        m_cups->httpClose(m_http);
}

PrintOutcome CupsDestination::print(const QString& title)
{
    m_cups = LoadCups();
    if (!m_cups)
        return {PrintOutcome::End::Failed,
                QStringLiteral("The printing service (CUPS) is not installed on this computer.")};
    // Set in this thread, where libcups keeps it: its own prompt would ask on
    // a terminal, or nowhere, and hold the print until answered.
    m_cups->cupsSetPasswordCB2(&CupsDestination::password, this);

    PrintOutcome opened = open();
    if (opened.end != PrintOutcome::End::Printed)
        return opened;

    QByteArray pdf;
    QString failure;
    if (!m_requester.drawPage(m_layout, pdf, failure))
        return failure.isEmpty() ? PrintOutcome{PrintOutcome::End::Cancelled, {}}
                                 : PrintOutcome{PrintOutcome::End::Failed, failure};
    return send(pdf, title);
}

PrintOutcome CupsDestination::open()
{
    const CupsApi& cups = *m_cups;
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
                                   : service() + QStringLiteral(" is not running or cannot be reached.")};
    }

    // The queue as libcups and lp choose it: lpoptions, PRINTER, LPDEST, then
    // the service's own default.
    heard();
    m_dest = cups.cupsGetNamedDest(m_http, nullptr, nullptr);
    if (!m_dest) {
        if (stopped())
            return stoppedOutcome(0);
        const QString why = missingDefault();
        return stopped() ? stoppedOutcome(0) : PrintOutcome{PrintOutcome::End::Failed, why};
    }

    const char* accepting = cups.cupsGetOption("printer-is-accepting-jobs", m_dest->num_options, m_dest->options);
    if (accepting && qstrcmp(accepting, "false") == 0)
        return {PrintOutcome::End::Failed,
                QStringLiteral("The printer \"%1\" is not accepting jobs.").arg(QString::fromLocal8Bit(m_dest->name))};

    // The paper and its margins as the destination itself reports them: a
    // printer that prints to the edge has zero margins, and keeps them. The
    // paper is the user's own choice for that printer (lpoptions), else the
    // printer's default; libcups would take US Letter for a missing choice,
    // and a page of another size comes out shifted to the paper's centre.
    cups_size_t size{};
    heard();
    m_info = cups.cupsCopyDestInfo(m_http, m_dest);
    if (stopped())
        return stoppedOutcome(0);
    const char* media = cups.cupsGetOption("media", m_dest->num_options, m_dest->options);
    if (!media && m_info) {
        if (ipp_attribute_t* printerDefault = cups.cupsFindDestDefault(m_http, m_dest, m_info, "media"))
            media = cups.ippGetString(printerDefault, 0, nullptr);
    }
    heard();
    if (!media || !cups.cupsGetDestMediaByName(m_http, m_dest, m_info, media, 0, &size)) {
        if (stopped())
            return stoppedOutcome(0);
        return {PrintOutcome::End::Failed, service() + QStringLiteral(" gave no paper size for ") + printer() +
                                               QStringLiteral(": ") + sentence(lastError())};
    }
    // Sizes and margins come in hundredths of a millimetre.
    m_layout = QPageLayout(QPageSize(QSizeF(size.width, size.length) / 100.0, QPageSize::Millimeter, QString(),
                                     QPageSize::ExactMatch),
                           QPageLayout::Portrait,
                           QMarginsF(size.left, size.top, size.right, size.bottom) / 100.0, QPageLayout::Millimeter);
    if (!m_layout.isValid() || m_layout.paintRect().isEmpty())
        return {PrintOutcome::End::Failed,
                service() + QStringLiteral(" gave no usable paper size for ") + printer() + u'.'};
    return {};
}

PrintOutcome CupsDestination::send(const QByteArray& pdf, const QString& title)
{
    const CupsApi& cups = *m_cups;
    const QByteArray jobTitle = title.toUtf8();
    int job = 0;
    const auto notSent = [&] {
        if (stopped())
            return stoppedOutcome(job);
        const QString why = m_passwordRefused
            ? QStringLiteral("The printer \"%1\" did not accept the user name and password.")
                  .arg(QString::fromLocal8Bit(m_dest->name))
            : QStringLiteral("The job could not be sent to ") + printer() + QStringLiteral(": ") +
                  sentence(lastError());
        withdraw(job);
        return PrintOutcome{PrintOutcome::End::Failed, why};
    };

    // The page goes at its own size and place: no scaling, no fitting to
    // the printable area, which the page already respects.
    cups_option_t* options = nullptr;
    int optionCount = cups.cupsAddOption("print-scaling", "none", 0, &options);
    optionCount = cups.cupsAddOption("fit-to-page", "false", optionCount, &options);
    m_passwordWanted = true;
    // A cancel does not cut this answer short: the service may have made the
    // job already, and only the answer says which job to withdraw.
    m_creating = true;
    heard();
    const ipp_status_t created =
        cups.cupsCreateDestJob(m_http, m_dest, m_info, &job, jobTitle.constData(), optionCount, options);
    m_creating = false;
    cups.cupsFreeOptions(optionCount, options);
    if (created > IPP_STATUS_OK_CONFLICTING || job <= 0 || stopped())
        return notSent();

    heard();
    if (cups.cupsStartDestDocument(m_http, m_dest, m_info, job, jobTitle.constData(), CUPS_FORMAT_PDF, 0, nullptr,
                                   1) != HTTP_STATUS_CONTINUE)
        return notSent();
    heard();
    if (cups.cupsWriteRequestData(m_http, pdf.constData(), size_t(pdf.size())) != HTTP_STATUS_CONTINUE)
        return notSent();
    heard();
    // libcups keeps the last error of an earlier request when an answer does
    // not come at all, so the connection's own state says whether it came.
    const ipp_status_t finished = cups.cupsFinishDestDocument(m_http, m_dest, m_info);
    const bool unanswered = m_timedOut || cups.httpGetStatus(m_http) == HTTP_STATUS_ERROR;
    if (unanswered && !m_requester.cancelled()) {
        // The whole document is with the service; only its answer is
        // missing, so the job may well print and must not be withdrawn.
        return {PrintOutcome::End::Printed,
                QStringLiteral("The report was sent to %1, but the printing service did not confirm it. "
                               "Check the printer before printing again.")
                    .arg(printer())};
    }
    if (finished > IPP_STATUS_OK_CONFLICTING || stopped())
        return notSent();
    return {PrintOutcome::End::Printed, pausedNote()};
}

// The job is in; a paused printer holds it until someone resumes it. The
// state is asked afresh, and when that fails the state at open() stands.
QString CupsDestination::pausedNote()
{
    const CupsApi& cups = *m_cups;
    const auto isStopped = [&](cups_dest_t* d) {
        const char* state = cups.cupsGetOption("printer-state", d->num_options, d->options);
        return state && QByteArray(state).toInt() == IPP_PSTATE_STOPPED;
    };
    heard();
    cups_dest_t* now =
        m_requester.cancelled() ? nullptr : cups.cupsGetNamedDest(m_http, m_dest->name, m_dest->instance);
    const bool paused = now ? isStopped(now) : isStopped(m_dest);
    if (now)
        cups.cupsFreeDests(1, now);
    if (!paused)
        return {};
    return QStringLiteral("The report waits in the queue of %1, which is paused. "
                          "It prints when the printer is resumed.")
        .arg(printer());
}

http_t* CupsDestination::connect(int* cancel, int msec)
{
    const CupsApi& cups = *m_cups;
    http_t* http = cups.httpConnect2(cups.cupsServer(), cups.ippPort(), nullptr, AF_UNSPEC, cups.cupsEncryption(), 1,
                                     msec, cancel);
    if (http)
        cups.httpSetTimeout(http, kWaitStepSeconds, &CupsDestination::keepWaiting, this);
    return http;
}

// On a connection of its own: the print's may be broken mid-request. When
// the program is ending, the request goes out but its answer is not awaited;
// the service acts on it all the same.
void CupsDestination::withdraw(int job)
{
    if (job <= 0)
        return;
    m_withdrawing = true;
    int never = 0;
    if (http_t* http = connect(&never, 1000)) {
        heard();
        m_cups->cupsCancelDestJob(http, m_dest, job);
        m_cups->httpClose(http);
    }
    m_withdrawing = false;
}

// Each wait on a connection lasts one step before it asks here whether to
// go on. The service was last heard when a call began, when what is left of
// an answer to read shrank, or when libcups read a line from it. libcups
// stamps that read with the wall clock in whole seconds, so only a change of
// the stamp is taken as news, and a stamp of the current second counts as
// heard just now: a read within the same second as the last one seen is not
// missed, and a wall clock set forward or back stamps nothing new.
int CupsDestination::keepWaiting(http_t* http, void* data)
{
    auto* self = static_cast<CupsDestination*>(data);
    const bool mayCancel = !self->m_withdrawing && !self->m_creating;
    if (self->m_requester.abandoned() || (mayCancel && self->m_requester.cancelled()))
        return 0;
    const CupsApi& cups = *self->m_cups;
    const size_t remaining = cups.httpGetRemaining(http);
    const time_t activity = cups.httpGetActivity(http);
    if (!self->m_counting) {
        self->m_counting = true;
        self->m_lastRemaining = remaining;
        self->m_lastActivity = activity;
    } else if (remaining != self->m_lastRemaining || activity != self->m_lastActivity) {
        self->m_lastRemaining = remaining;
        self->m_lastActivity = activity;
        self->m_silence.start();
    }
    if (activity == std::time(nullptr))
        self->m_silence.start();
    if (self->m_silence.hasExpired(kSilenceSeconds * 1000)) {
        self->m_timedOut = true;
        return 0;
    }
    return 1;
}

const char* CupsDestination::password(const char*, http_t*, const char*, const char*, void* data)
{
    return static_cast<CupsDestination*>(data)->answerPassword();
}

// Only a job asks the clerk: the service's other requests need no password,
// and asking for them would only puzzle. The withdrawal of a job uses the
// password that created it.
const char* CupsDestination::answerPassword()
{
    if (m_withdrawing)
        return m_password.isEmpty() ? nullptr : m_password.constData();
    if (!m_passwordWanted || m_requester.cancelled())
        return nullptr;
    if (++m_passwordAsks > 2) {
        m_passwordRefused = true;
        return nullptr;
    }
    std::optional<PrintCredentials> given = m_requester.askPassword(
        QString::fromLocal8Bit(m_dest->name), QString::fromLocal8Bit(m_cups->cupsUser()), m_passwordAsks > 1);
    m_password.fill('\0');
    m_password.clear();
    if (!given)
        return nullptr;
    m_cups->cupsSetUser(given->user.toLocal8Bit().constData());
    m_password = std::move(given->password); // the only copy, so that fill() reaches it
    // The silence count starts again once the clerk has answered.
    heard();
    return m_password.constData();
}

PrintOutcome CupsDestination::stoppedOutcome(int job)
{
    const bool cancelled = m_requester.cancelled();
    withdraw(job);
    return cancelled ? PrintOutcome{PrintOutcome::End::Cancelled, {}}
                     : PrintOutcome{PrintOutcome::End::Failed, notAnswering()};
}

bool CupsDestination::stopped() const
{
    return m_timedOut || m_requester.cancelled();
}

void CupsDestination::heard()
{
    m_silence.start();
    m_counting = false;
}

// "The printing service", and where it is when it is not this computer's own.
QString CupsDestination::service() const
{
    return m_server.isEmpty() ? QStringLiteral("The printing service")
                              : QStringLiteral("The printing service on %1").arg(m_server);
}

QString CupsDestination::notAnswering() const
{
    return service() + QStringLiteral(" did not answer within %1 seconds.").arg(kSilenceSeconds);
}

QString CupsDestination::printer() const
{
    return QStringLiteral("the printer \"%1\"").arg(QString::fromLocal8Bit(m_dest->name));
}

QString CupsDestination::sentence(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.endsWith(u'.') ? trimmed : trimmed + u'.';
}

QString CupsDestination::lastError() const
{
    return QString::fromLocal8Bit(m_cups->cupsLastErrorString());
}

} // namespace torvel
