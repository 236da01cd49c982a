#include "platform/qt_line_printer.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <vector>

#include "platform/cups_print_job.h"

namespace torvel {

namespace {
const QString kJobName = QStringLiteral("Milk Price Report");
const QString kNotPrepared = QStringLiteral("The page could not be prepared for printing.");

void Deliver(QObject* context, LinePrinter::DocumentEnded ended, PrintOutcome outcome)
{
    QMetaObject::invokeMethod(
        context, [ended = std::move(ended), outcome = std::move(outcome)] { ended(outcome); }, Qt::QueuedConnection);
}
} // namespace

// What a document asks for, in order: lines, and fonts set between them.
struct QtLinePrinter::Document {
    struct Step {
        QStringList pieces;
        int indentColumns = 0;
        QString fontFamily; // not empty: this step sets the font
        double pointSize = 0.0;
    };
    QString fontFamily; // current when the document began; empty: the default
    double pointSize = 0.0;
    std::vector<Step> steps;

    // The page is drawn into memory, so no full or read-only disk can cut it
    // short on its way to the printer.
    bool draw(const QPageLayout& layout, QByteArray& pdf) const
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(kJobName);
        writer.setCreator(QStringLiteral("Torvel Calculator"));
        // The painter's origin is then the printable area's top-left corner.
        QPainter painter;
        if (!writer.setPageLayout(layout) || !painter.begin(&writer))
            return false;
        const auto useFont = [&](const QString& family, double size) {
            QFont font(family);
            font.setPointSizeF(size);
            painter.setFont(font);
        };
        if (!fontFamily.isEmpty())
            useFont(fontFamily, pointSize);
        qreal y = 0.0; // top of the next line, from the printable area's top
        for (const Step& step : steps) {
            if (!step.fontFamily.isEmpty()) {
                useFont(step.fontFamily, step.pointSize);
                continue;
            }
            // A line height is the font's distance from one baseline to the next.
            const QFontMetricsF metrics(painter.font(), painter.device());
            if (!step.pieces.isEmpty()) {
                const qreal x = step.indentColumns * metrics.averageCharWidth();
                painter.drawText(QPointF(x, y + metrics.ascent()), step.pieces.join(QString()));
            }
            y += metrics.lineSpacing();
        }
        return painter.end();
    }
};

QtLinePrinter::QtLinePrinter() = default;

QtLinePrinter::QtLinePrinter(const QString& pdfFile, const QPageLayout& layout)
    : m_pdfFile(pdfFile)
    , m_fileLayout(layout)
{
}

QtLinePrinter::~QtLinePrinter()
{
    delete m_job;
}

void QtLinePrinter::printLine(const QStringList& pieces, int indentColumns)
{
    if (!m_document) {
        m_document = std::make_shared<Document>();
        m_document->fontFamily = m_fontFamily;
        m_document->pointSize = m_pointSize;
    }
    m_document->steps.push_back({pieces, indentColumns, {}, 0.0});
}

void QtLinePrinter::setFont(const QString& family, double pointSize)
{
    m_fontFamily = family;
    m_pointSize = pointSize;
    if (m_document)
        m_document->steps.push_back({{}, 0, family, pointSize});
}

void QtLinePrinter::endDocument(DocumentEnded ended)
{
    const std::shared_ptr<const Document> document = std::move(m_document);
    if (!document) {
        // Nothing printed since the last document: nothing to send.
        Deliver(&m_context, std::move(ended), {});
        return;
    }
    if (!m_pdfFile.isEmpty()) {
        writeFile(*document, std::move(ended));
        return;
    }
    if (m_job) {
        Deliver(&m_context, std::move(ended),
                {PrintOutcome::End::Failed, QStringLiteral("Another report is still being printed.")});
        return;
    }

    const auto drawPage = [document](const QPageLayout& page, QByteArray& pdf, QString& failure) {
        if (document->draw(page, pdf))
            return true;
        failure = kNotPrepared;
        return false;
    };
    m_job = new CupsPrintJob(kJobName, drawPage, [this, ended = std::move(ended)](const PrintOutcome& outcome) {
        m_job->deleteLater();
        m_job = nullptr;
        ended(outcome);
    }, &m_context);
}

void QtLinePrinter::cancelDocument()
{
    if (m_job)
        m_job->cancel();
}

void QtLinePrinter::writeFile(const Document& document, DocumentEnded ended)
{
    QByteArray pdf;
    PrintOutcome outcome;
    if (!document.draw(m_fileLayout, pdf)) {
        outcome = {PrintOutcome::End::Failed, kNotPrepared};
    } else {
        QSaveFile file(m_pdfFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
            outcome = {PrintOutcome::End::Failed,
                       QStringLiteral("The page could not be written to %1.").arg(m_pdfFile)};
    }
    Deliver(&m_context, std::move(ended), outcome);
}

} // namespace torvel
