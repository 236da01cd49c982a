#include "platform/cups_destination.h"

#include <QCursor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLibrary>
#include <QPageSize>
#include <QRectF>

#include <cups/cups.h>

namespace torvel {

namespace {

// libcups, loaded when the first page is sent rather than with the program:
// linked directly it would add its own dependencies to every start-up.
#define TORVEL_CUPS_FUNCTIONS(X)                                                       \
    X(cupsServer) X(ippPort) X(cupsEncryption)                                         \
    X(httpConnect2) X(httpSetTimeout) X(httpClose)                                     \
    X(cupsGetNamedDest) X(cupsFreeDests) X(cupsGetOption)                              \
    X(cupsCopyDestInfo) X(cupsFreeDestInfo) X(cupsFindDestDefault) X(ippGetString)     \
    X(cupsGetDestMediaByName) X(cupsAddOption) X(cupsFreeOptions)                      \
    X(cupsCreateDestJob) X(cupsStartDestDocument) X(cupsWriteRequestData)              \
    X(cupsFinishDestDocument) X(cupsLastError) X(cupsLastErrorString)

struct CupsApi {
#define TORVEL_CUPS_MEMBER(name) decltype(&::name) name = nullptr;
    TORVEL_CUPS_FUNCTIONS(TORVEL_CUPS_MEMBER)
#undef TORVEL_CUPS_MEMBER
};

const CupsApi* LoadCups()
{
    static const CupsApi* const api = []() -> const CupsApi* {
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return nullptr;
        static CupsApi loaded;
        bool complete = true;
#define TORVEL_CUPS_RESOLVE(name)                                                                          \
    loaded.name = reinterpret_cast<decltype(&::name)>(library.resolve(#name));                            \
    complete = complete && loaded.name;
        TORVEL_CUPS_FUNCTIONS(TORVEL_CUPS_RESOLVE)
#undef TORVEL_CUPS_RESOLVE
        return complete ? &loaded : nullptr;
    }();
    return api;
}

// Each wait on the connection lasts this long before the deadline is asked
// whether to go on waiting.
constexpr double kWaitStepSeconds = 0.5;
constexpr int kDefaultIppPort = 631;

// The busy cursor for as long as the window waits for the service.
class BusyCursor {
public:
    BusyCursor()
        : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_shown;
};

QString Sentence(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.endsWith(u'.') ? trimmed : trimmed + u'.';
}

} // namespace

struct CupsDestination::Connection {
    explicit Connection(const CupsApi& api)
        : cups(api)
    {
    }
    ~Connection()
    {
        if (info)
            cups.cupsFreeDestInfo(info);
        if (dest)
            cups.cupsFreeDests(1, dest);
        if (http)
            cups.httpClose(http);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The service's answers are awaited in steps; after the deadline the
    // wait in progress gives up, and so does every later one.
    static int keepWaiting(http_t*, void* data)
    {
        auto* self = static_cast<Connection*>(data);
        if (!self->deadline.hasExpired())
            return 1;
        self->timedOut = true;
        return 0;
    }

    // "The printing service", and where it is when it is not this computer's own.
    QString service() const
    {
        return server.isEmpty() ? QStringLiteral("The printing service")
                                : QStringLiteral("The printing service on %1").arg(server);
    }
    QString notAnswering() const
    {
        return service() + QStringLiteral(" did not answer within %1 seconds.").arg(kWaitSeconds);
    }
    QString printer() const { return QStringLiteral("the printer \"%1\"").arg(QString::fromLocal8Bit(dest->name)); }
    QString lastError() const { return QString::fromLocal8Bit(cups.cupsLastErrorString()); }

    bool stopped(cups_dest_t* d) const
    {
        const char* state = cups.cupsGetOption("printer-state", d->num_options, d->options);
        return state && QByteArray(state).toInt() == IPP_PSTATE_STOPPED;
    }

    const CupsApi& cups;
    QDeadlineTimer deadline{CupsDestination::kWaitSeconds * 1000};
    bool timedOut = false;
    QString server; // empty: this computer's own service
    http_t* http = nullptr;
    cups_dest_t* dest = nullptr;
    cups_dinfo_t* info = nullptr;
    QPageLayout layout;
};

CupsDestination::CupsDestination() = default;

CupsDestination::~CupsDestination() = default;

bool CupsDestination::open(QString& failureReason)
{
    m_connection.reset();
    const CupsApi* cups = LoadCups();
    if (!cups) {
        failureReason = QStringLiteral("The printing service (CUPS) is not installed on this computer.");
        return false;
    }

    const BusyCursor busy;
    auto c = std::make_unique<Connection>(*cups);
    // A socket path, or localhost on the usual port, is this computer's own
    // service; any other is named, as the clerk may not know which it is.
    const QString host = QString::fromLocal8Bit(cups->cupsServer());
    const int port = cups->ippPort();
    if (!host.startsWith(u'/') && !(host == QLatin1String("localhost") && port == kDefaultIppPort))
        c->server = port == kDefaultIppPort ? host : QStringLiteral("%1:%2").arg(host).arg(port);

    c->http = cups->httpConnect2(cups->cupsServer(), port, nullptr, AF_UNSPEC, cups->cupsEncryption(), 1,
                                 int(c->deadline.remainingTime()), nullptr);
    if (!c->http) {
        if (c->deadline.hasExpired())
            failureReason = c->notAnswering();
        else if (c->server.isEmpty())
            failureReason = QStringLiteral("The printing service is not running on this computer.");
        else
            failureReason = c->service() + QStringLiteral(" is not running or cannot be reached.");
        return false;
    }
    cups->httpSetTimeout(c->http, kWaitStepSeconds, &Connection::keepWaiting, c.get());

    c->dest = cups->cupsGetNamedDest(c->http, nullptr, nullptr);
    if (!c->dest) {
        if (c->timedOut)
            failureReason = c->notAnswering();
        else if (cups->cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            failureReason = QStringLiteral("No default printer is set up.");
        else
            failureReason = c->service() + QStringLiteral(" could not name the default printer: ") +
                            Sentence(c->lastError());
        return false;
    }

    const char* accepting = cups->cupsGetOption("printer-is-accepting-jobs", c->dest->num_options, c->dest->options);
    if (accepting && qstrcmp(accepting, "false") == 0) {
        failureReason = QStringLiteral("The printer \"%1\" is not accepting jobs.")
                            .arg(QString::fromLocal8Bit(c->dest->name));
        return false;
    }

    // The paper and its margins as the destination itself reports them: a
    // printer that prints to the edge has zero margins, and keeps them. The
    // paper is the user's own choice for that printer (lpoptions), else the
    // printer's default; libcups would take US Letter for a missing choice,
    // and a page of another size comes out shifted to the paper's centre.
    cups_size_t size{};
    c->info = cups->cupsCopyDestInfo(c->http, c->dest);
    const char* media = cups->cupsGetOption("media", c->dest->num_options, c->dest->options);
    if (!media && c->info) {
        if (ipp_attribute_t* printerDefault = cups->cupsFindDestDefault(c->http, c->dest, c->info, "media"))
            media = cups->ippGetString(printerDefault, 0, nullptr);
    }
    if (!media || !cups->cupsGetDestMediaByName(c->http, c->dest, c->info, media, 0, &size)) {
        failureReason = c->timedOut ? c->notAnswering()
                                    : c->service() + QStringLiteral(" gave no paper size for ") + c->printer() +
                                          QStringLiteral(": ") + Sentence(c->lastError());
        return false;
    }
    // Sizes and margins come in hundredths of a millimetre.
    c->layout = QPageLayout(QPageSize(QSizeF(size.width, size.length) / 100.0, QPageSize::Millimeter, QString(),
                                      QPageSize::ExactMatch),
                            QPageLayout::Portrait,
                            QMarginsF(size.left, size.top, size.right, size.bottom) / 100.0, QPageLayout::Millimeter);
    if (!c->layout.isValid() || c->layout.paintRect().isEmpty()) {
        failureReason = c->service() + QStringLiteral(" gave no usable paper size for ") + c->printer() + u'.';
        return false;
    }

    m_connection = std::move(c);
    return true;
}

QPageLayout CupsDestination::pageLayout() const
{
    return m_connection ? m_connection->layout : QPageLayout();
}

bool CupsDestination::print(const QByteArray& pdf, const QString& title, QString& failureReason, QString& note)
{
    note.clear();
    if (!m_connection) {
        failureReason = QStringLiteral("The printer was not reached.");
        return false;
    }
    Connection& c = *m_connection;
    const CupsApi& cups = c.cups;
    const BusyCursor busy;
    const auto notSent = [&] {
        failureReason = c.timedOut ? c.notAnswering()
                                   : QStringLiteral("The job could not be sent to ") + c.printer() +
                                         QStringLiteral(": ") + Sentence(c.lastError());
        return false;
    };

    // The page goes at its own size and place: no scaling, no fitting to
    // the printable area, which the page already respects.
    cups_option_t* options = nullptr;
    int optionCount = cups.cupsAddOption("print-scaling", "none", 0, &options);
    optionCount = cups.cupsAddOption("fit-to-page", "false", optionCount, &options);
    int job = 0;
    const QByteArray jobTitle = title.toUtf8();
    const ipp_status_t created =
        cups.cupsCreateDestJob(c.http, c.dest, c.info, &job, jobTitle.constData(), optionCount, options);
    cups.cupsFreeOptions(optionCount, options);
    if (created > IPP_STATUS_OK_CONFLICTING || job <= 0)
        return notSent();

    if (cups.cupsStartDestDocument(c.http, c.dest, c.info, job, jobTitle.constData(), CUPS_FORMAT_PDF, 0, nullptr,
                                   1) != HTTP_STATUS_CONTINUE)
        return notSent();
    if (cups.cupsWriteRequestData(c.http, pdf.constData(), size_t(pdf.size())) != HTTP_STATUS_CONTINUE)
        return notSent();
    if (cups.cupsFinishDestDocument(c.http, c.dest, c.info) > IPP_STATUS_OK_CONFLICTING)
        return notSent();

    // The job is in; a paused printer holds it until someone resumes it.
    // The state is asked afresh, and when that fails the state at open() stands.
    cups_dest_t* now = cups.cupsGetNamedDest(c.http, c.dest->name, c.dest->instance);
    const bool stopped = now ? c.stopped(now) : c.stopped(c.dest);
    if (now)
        cups.cupsFreeDests(1, now);
    if (stopped) {
        note = QStringLiteral("The report waits in the queue of %1, which is paused. "
                              "It prints when the printer is resumed.")
                   .arg(c.printer());
    }
    return true;
}

} // namespace torvel
