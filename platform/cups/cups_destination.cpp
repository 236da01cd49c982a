#include "platform/cups/cups_destination.h"

#include <QPageSize>
#include <QRectF>
#include <QSizeF>

#include "platform/cups/cups_api.h"
#include "platform/cups/print_requester.h"

namespace torvel {

CupsDestination::CupsDestination(PrintRequester& requester)
    : m_requester(requester)
    , m_service(requester)
    , m_password(requester, m_service)
{
}

CupsDestination::~CupsDestination()
{
    if (!m_cups)
        return;
    if (m_info)
        m_cups->cupsFreeDestInfo(m_info);
    if (m_dest)
        m_cups->cupsFreeDests(1, m_dest);
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
    PrintOutcome reached = m_service.open(cups);
    if (reached.end != PrintOutcome::End::Printed)
        return reached;
    http_t* const http = m_service.http();

    // The queue as libcups and lp choose it: lpoptions, PRINTER, LPDEST, then
    // the service's own default.
    m_service.heard();
    m_dest = cups.cupsGetNamedDest(http, nullptr, nullptr);
    if (!m_dest) {
        if (m_service.stopped())
            return stoppedOutcome(0);
        const QString why = missingDefault();
        return m_service.stopped() ? stoppedOutcome(0) : PrintOutcome{PrintOutcome::End::Failed, why};
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
    m_service.heard();
    m_info = cups.cupsCopyDestInfo(http, m_dest);
    if (m_service.stopped())
        return stoppedOutcome(0);
    const char* media = cups.cupsGetOption("media", m_dest->num_options, m_dest->options);
    if (!media && m_info) {
        if (ipp_attribute_t* printerDefault = cups.cupsFindDestDefault(http, m_dest, m_info, "media"))
            media = cups.ippGetString(printerDefault, 0, nullptr);
    }
    m_service.heard();
    if (!media || !cups.cupsGetDestMediaByName(http, m_dest, m_info, media, 0, &size)) {
        if (m_service.stopped())
            return stoppedOutcome(0);
        return {PrintOutcome::End::Failed, m_service.name() + QStringLiteral(" gave no paper size for ") + printer() +
                                               QStringLiteral(": ") + sentence(lastError())};
    }
    // Sizes and margins come in hundredths of a millimetre.
    m_layout = QPageLayout(QPageSize(QSizeF(size.width, size.length) / 100.0, QPageSize::Millimeter, QString(),
                                     QPageSize::ExactMatch),
                           QPageLayout::Portrait,
                           QMarginsF(size.left, size.top, size.right, size.bottom) / 100.0, QPageLayout::Millimeter);
    if (!m_layout.isValid() || m_layout.paintRect().isEmpty())
        return {PrintOutcome::End::Failed,
                m_service.name() + QStringLiteral(" gave no usable paper size for ") + printer() + u'.'};
    return {};
}

PrintOutcome CupsDestination::send(const QByteArray& pdf, const QString& title)
{
    const CupsApi& cups = *m_cups;
    http_t* const http = m_service.http();
    const QByteArray jobTitle = title.toUtf8();
    int job = 0;
    const auto notSent = [&] {
        if (m_service.stopped())
            return stoppedOutcome(job);
        const QString why = m_password.refused()
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
    m_password.jobStarted();
    // A cancel does not cut this answer short: the service may have made the
    // job already, and only the answer says which job to withdraw.
    m_service.setCreating(true);
    m_service.heard();
    const ipp_status_t created =
        cups.cupsCreateDestJob(http, m_dest, m_info, &job, jobTitle.constData(), optionCount, options);
    m_service.setCreating(false);
    cups.cupsFreeOptions(optionCount, options);
    if (created > IPP_STATUS_OK_CONFLICTING || job <= 0 || m_service.stopped())
        return notSent();

    m_service.heard();
    if (cups.cupsStartDestDocument(http, m_dest, m_info, job, jobTitle.constData(), CUPS_FORMAT_PDF, 0, nullptr,
                                   1) != HTTP_STATUS_CONTINUE)
        return notSent();
    m_service.heard();
    if (cups.cupsWriteRequestData(http, pdf.constData(), size_t(pdf.size())) != HTTP_STATUS_CONTINUE)
        return notSent();
    m_service.heard();
    // libcups keeps the last error of an earlier request when an answer does
    // not come at all, so the connection's own state says whether it came.
    const ipp_status_t finished = cups.cupsFinishDestDocument(http, m_dest, m_info);
    const bool unanswered = m_service.timedOut() || cups.httpGetStatus(http) == HTTP_STATUS_ERROR;
    if (unanswered && !m_requester.cancelled()) {
        // The whole document is with the service; only its answer is
        // missing, so the job may well print and must not be withdrawn.
        return {PrintOutcome::End::Printed,
                QStringLiteral("The report was sent to %1, but the printing service did not confirm it. "
                               "Check the printer before printing again.")
                    .arg(printer())};
    }
    if (finished > IPP_STATUS_OK_CONFLICTING || m_service.stopped())
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
    http_t* const http = m_service.http();
    m_service.heard();
    cups_dest_t* now =
        m_requester.cancelled() ? nullptr : cups.cupsGetNamedDest(http, m_dest->name, m_dest->instance);
    const bool paused = now ? isStopped(now) : isStopped(m_dest);
    if (now)
        cups.cupsFreeDests(1, now);
    if (!paused)
        return {};
    return QStringLiteral("The report waits in the queue of %1, which is paused. "
                          "It prints when the printer is resumed.")
        .arg(printer());
}

// On a connection of its own: the print's may be broken mid-request. When
// the program is ending, the request goes out but its answer is not awaited;
// the service acts on it all the same.
void CupsDestination::withdraw(int job)
{
    if (job <= 0)
        return;
    m_service.setWithdrawing(true);
    int never = 0;
    if (http_t* http = m_service.connect(&never, 1000)) {
        m_service.heard();
        m_cups->cupsCancelDestJob(http, m_dest, job);
        m_cups->httpClose(http);
    }
    m_service.setWithdrawing(false);
}

const char* CupsDestination::password(const char*, http_t*, const char*, const char*, void* data)
{
    auto* self = static_cast<CupsDestination*>(data);
    return self->m_password.answer(*self->m_cups, self->m_dest);
}

PrintOutcome CupsDestination::stoppedOutcome(int job)
{
    const bool cancelled = m_requester.cancelled();
    withdraw(job);
    return cancelled ? PrintOutcome{PrintOutcome::End::Cancelled, {}}
                     : PrintOutcome{PrintOutcome::End::Failed, m_service.notAnswering()};
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
