#include "platform/qt_line_printer.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "platform/cups_destination.h"

namespace torvel {

namespace {
const QString kJobName = QStringLiteral("Milk Price Report");
const QString kNotPrepared = QStringLiteral("The page could not be prepared for printing.");
} // namespace

// The page is drawn into memory, so no full or read-only disk can cut it
// short on its way to the printer.
struct QtLinePrinter::Document {
    QBuffer pdf;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter; // after writer: it must end before the writer goes
    std::unique_ptr<CupsDestination> destination; // null when writing a file
    qreal y = 0.0; // top of the next line, from the printable area's top
    QString failure; // once set, nothing more is drawn
};

QtLinePrinter::QtLinePrinter() = default;

QtLinePrinter::QtLinePrinter(const QString& pdfFile, const QPageLayout& layout)
    : m_pdfFile(pdfFile)
    , m_fileLayout(layout)
{
}

QtLinePrinter::~QtLinePrinter() = default;

void QtLinePrinter::beginDocument()
{
    m_document = std::make_unique<Document>();
    Document& d = *m_document;

    QPageLayout layout = m_fileLayout;
    if (m_pdfFile.isEmpty()) {
        d.destination = std::make_unique<CupsDestination>();
        if (!d.destination->open(d.failure))
            return;
        layout = d.destination->pageLayout();
    }

    d.pdf.open(QIODevice::WriteOnly);
    d.writer = std::make_unique<QPdfWriter>(&d.pdf);
    d.writer->setTitle(kJobName);
    d.writer->setCreator(QStringLiteral("Torvel Calculator"));
    // The painter's origin is then the printable area's top-left corner.
    if (!d.writer->setPageLayout(layout) || !d.painter.begin(d.writer.get())) {
        d.failure = kNotPrepared;
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

    // A line height is the font's distance from one baseline to the next.
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

bool QtLinePrinter::endDocument(QString& message)
{
    message.clear();
    if (!m_document)
        return true; // nothing printed since the last document: nothing to send

    const std::unique_ptr<Document> d = std::move(m_document);
    if (d->failure.isEmpty() && !d->painter.end())
        d->failure = kNotPrepared;
    if (d->failure.isEmpty() && d->destination) {
        d->destination->print(d->pdf.data(), kJobName, d->failure, message);
    } else if (d->failure.isEmpty()) {
        QSaveFile file(m_pdfFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(d->pdf.data()) != d->pdf.size() || !file.commit())
            d->failure = QStringLiteral("The page could not be written to %1.").arg(m_pdfFile);
    }

    if (!d->failure.isEmpty()) {
        message = d->failure;
        return false;
    }
    return true;
}

} // namespace torvel
