// Why there is no default printer to print on: the user's or the system's
// choice names a queue the service lacks, the service has none, or it would
// not say.

#include "platform/cups/cups_destination.h"

#include <QDir>
#include <QFile>

#include <cstring>

#include "platform/cups/cups_api.h"

namespace torvel {

namespace {

// The default that the user or the system names, where libcups looks
// before it asks the service: LPDEST, PRINTER (but "lp", a System V
// leftover), then the user's lpoptions and the system's. Empty when none
// names one.
QString NamedDefault()
{
    for (const char* variable : {"LPDEST", "PRINTER"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty() && !(qstrcmp(variable, "PRINTER") == 0 && name == QLatin1String("lp")))
            return name.section(u'/', 0, 0);
    }
    const QString serverRoot = qEnvironmentVariable("CUPS_SERVERROOT", QStringLiteral("/etc/cups"));
    const QString files[] = {QDir::homePath() + QStringLiteral("/.cups/lpoptions"),
                             serverRoot + QStringLiteral("/lpoptions")};
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!file.atEnd()) {
            const QStringList words = QString::fromLocal8Bit(file.readLine()).split(u' ', Qt::SkipEmptyParts);
            if (words.size() >= 2 && words[0].compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0)
                return words[1].trimmed().section(u'/', 0, 0);
        }
    }
    return {};
}

} // namespace

// libcups answers every failure to find the default with "not found". Which
// queue was named comes from where libcups looks, where it was named from
// libcups' own words, and whether the service has a default from asking it
// directly.
QString CupsDestination::missingDefault()
{
    const CupsApi& cups = *m_cups;
    const ipp_status_t status = cups.cupsLastError();

    const QString words = lastError();

    // A default the user or the system named, which the service does not have.
    if (const QString named = NamedDefault(); !named.isEmpty() && status == IPP_STATUS_ERROR_NOT_FOUND)
        return QStringLiteral("The default printer \"%1\" does not exist: ").arg(named) + sentence(words);

    m_service.heard();
    ipp_t* response = cups.cupsDoRequest(m_service.http(), cups.ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/");
    const ipp_status_t answer = response ? cups.ippGetStatusCode(response) : cups.cupsLastError();
    QString reason = lastError().trimmed();
    if (response)
        cups.ippDelete(response);
    // A broken or dropped answer leaves libcups with the words for errno 0.
    if (reason == QString::fromLocal8Bit(strerror(0)))
        reason.clear();
    // Only the service's own "none is set" means that none is set.
    if (response && answer == IPP_STATUS_ERROR_NOT_FOUND)
        return QStringLiteral("No default printer is set up.");
    return QStringLiteral("The printing service could not name the default printer: ") +
           (reason.isEmpty() ? QStringLiteral("the service refused or failed the request.") : sentence(reason));
}

} // namespace torvel
