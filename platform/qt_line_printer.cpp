#include "platform/qt_line_printer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLibrary>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <cups/cups.h>

namespace torvel {

namespace {

const QString kJobName = QStringLiteral("Milk Price Report");

QString NotStarted(const QString& detail = {})
{
    QString reason = QStringLiteral("The print job could not be started.");
    const QString trimmed = detail.trimmed();
    if (!trimmed.isEmpty())
        reason += u' ' + trimmed + (trimmed.endsWith(u'.') ? QString() : QStringLiteral("."));
    return reason;
}

// libcups, loaded when the first page is sent rather than with the program:
// linked directly it would add its own dependencies to every start-up.
struct CupsApi {
    decltype(&cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&cupsPrintFile2) printFile2 = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;
};

const CupsApi* LoadCups()
{
    static const CupsApi api = [] {
        QLibrary library(QStringLiteral("cups"), 2);
        CupsApi loaded;
        if (!library.load())
            return loaded;
        loaded.getNamedDest = reinterpret_cast<decltype(&cupsGetNamedDest)>(library.resolve("cupsGetNamedDest"));
        loaded.printFile2 = reinterpret_cast<decltype(&cupsPrintFile2)>(library.resolve("cupsPrintFile2"));
        loaded.freeDests = reinterpret_cast<decltype(&cupsFreeDests)>(library.resolve("cupsFreeDests"));
        loaded.lastErrorString =
            reinterpret_cast<decltype(&cupsLastErrorString)>(library.resolve("cupsLastErrorString"));
        return loaded;
    }();
    const bool complete = api.getNamedDest && api.printFile2 && api.freeDests && api.lastErrorString;
    return complete ? &api : nullptr;
}

// Hands the finished PDF to CUPS as one job, with the destination's own
// options as lp(1) would. Qt's CUPS engine drops the scheduler's answer, so a
// queue that refuses the job would pass for success; here it is an error.
QString SubmitToCups(const QString& printerName, const QString& pdfFile)
{
    const CupsApi* cups = LoadCups();
    if (!cups)
        return NotStarted(QStringLiteral("The printing system (CUPS) is not available."));

    // Qt names an instance "queue/instance"; CUPS takes the two apart.
    const QStringList parts = printerName.split(u'/');
    const QByteArray queue = parts.value(0).toLocal8Bit();
    const QByteArray instance = parts.value(1).toLocal8Bit();
    cups_dest_t* dest = cups->getNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                           instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return NotStarted(QString::fromLocal8Bit(cups->lastErrorString()));

    const int job = cups->printFile2(CUPS_HTTP_DEFAULT, dest->name, pdfFile.toLocal8Bit().constData(),
                                     kJobName.toUtf8().constData(), dest->num_options, dest->options);
    cups->freeDests(1, dest);
    if (job == 0)
        return NotStarted(QString::fromLocal8Bit(cups->lastErrorString()));
    return {};
}

} // namespace

struct QtLinePrinter::Document {
    QPrinter printer{QPrinter::HighResolution};
    QPainter painter; // after printer: it must end before the printer goes
    std::unique_ptr<QTemporaryDir> spool; // holds the page until CUPS has it
    QString printerName; // empty when writing a PDF file
    qreal y = 0.0; // top of the next line, from the printable area's top
    QString failure; // once set, nothing more is drawn
};

QtLinePrinter::QtLinePrinter() = default;

QtLinePrinter::QtLinePrinter(const QString& pdfFile)
    : m_pdfFile(pdfFile)
{
}

QtLinePrinter::~QtLinePrinter() = default;

void QtLinePrinter::beginDocument()
{
    m_document = std::make_unique<Document>();
    Document& d = *m_document;

    QString outputFile = m_pdfFile;
    QPageLayout layout = d.printer.pageLayout();
    if (m_pdfFile.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            d.failure = QStringLiteral("No default printer is set up.");
            return;
        }
        d.printerName = info.printerName();
        // The page as that printer lays it out: its paper and printable area.
        layout = QPrinter(info).pageLayout();
        d.spool = std::make_unique<QTemporaryDir>();
        if (!d.spool->isValid()) {
            d.failure = NotStarted();
            return;
        }
        outputFile = d.spool->filePath(QStringLiteral("report.pdf"));
    }

    d.printer.setOutputFormat(QPrinter::PdfFormat);
    d.printer.setOutputFileName(outputFile);
    d.printer.setDocName(kJobName);
    d.printer.setPageLayout(layout);
    if (!d.painter.begin(&d.printer)) {
        d.failure = NotStarted();
        return;
    }
    if (!m_fontFamily.isEmpty())
        setFont(m_fontFamily, m_pointSize);
}

void QtLinePrinter::printLine(const QStringList& pieces, int indentColumns)
{
    if (!m_document)
        beginDocument();
    Document& d = *m_document;
    if (!d.failure.isEmpty())
        return;

    // The painter's origin is the printable area's top-left corner; a line
    // height is the font's distance from one baseline to the next.
    const QFontMetricsF metrics(d.painter.font(), d.painter.device());
    if (!pieces.isEmpty()) {
        const qreal x = indentColumns * metrics.averageCharWidth();
        d.painter.drawText(QPointF(x, d.y + metrics.ascent()), pieces.join(QString()));
    }
    d.y += metrics.lineSpacing();
}

void QtLinePrinter::setFont(const QString& family, double pointSize)
{
    m_fontFamily = family;
    m_pointSize = pointSize;
    if (m_document && m_document->painter.isActive()) {
        QFont font(family);
        font.setPointSizeF(pointSize);
        m_document->painter.setFont(font);
    }
}

bool QtLinePrinter::endDocument(QString& failureReason)
{
    if (!m_document)
        return true; // nothing printed since the last document: nothing to send

    const std::unique_ptr<Document> d = std::move(m_document);
    if (d->failure.isEmpty() && !d->painter.end())
        d->failure = QStringLiteral("The page could not be prepared for printing.");
    if (d->failure.isEmpty() && !d->printerName.isEmpty())
        d->failure = SubmitToCups(d->printerName, d->printer.outputFileName());

    if (!d->failure.isEmpty()) {
        failureReason = d->failure;
        return false;
    }
    return true;
}

} // namespace torvel
