#include "platform/qt_line_printer.h"

#include <QSaveFile>

#include "platform/pdf_page.h"
#include "platform/print_document.h"
#include "platform/print_job.h"

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
        m_document = std::make_shared<PrintDocument>();
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
    std::shared_ptr<const PrintDocument> document = std::move(m_document);
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

    m_job = StartPrintJob(kJobName, std::move(document), [this, ended = std::move(ended)](const PrintOutcome& outcome) {
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

void QtLinePrinter::writeFile(const PrintDocument& document, DocumentEnded ended)
{
    QByteArray pdf;
    PrintOutcome outcome;
    if (!DrawPdfPage(document, kJobName, m_fileLayout, pdf)) {
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
