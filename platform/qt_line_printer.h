#pragma once

#include <QObject>
#include <QPageLayout>

#include <memory>

#include "platform/line_printer.h"

namespace torvel {

class PrintJob;
struct PrintDocument;

// The line printer on the system's default printer. The lines are kept
// until the document ends, since the paper and the printer's own measures are
// known only once the printer has been asked, and then go to the system's
// print service as one job (PrintJob); the printer is looked up then, never
// at start-up.
//
// Before any setFont the lines use the application's default font. A font
// once set stays current, also for later documents, as on a printer that
// keeps its settings between jobs. Text beyond the printable area is drawn
// as far as the paper reaches and is not wrapped.
class QtLinePrinter final : public LinePrinter {
public:
    // Prints on the default printer.
    QtLinePrinter();
    // Writes each document into pdfFile, replacing it, on the given page,
    // instead of printing.
    QtLinePrinter(const QString& pdfFile, const QPageLayout& layout);
    // Cancels a document still being sent.
    ~QtLinePrinter() override;

    QtLinePrinter(const QtLinePrinter&) = delete;
    QtLinePrinter& operator=(const QtLinePrinter&) = delete;

    void printLine(const QStringList& pieces = {}, int indentColumns = 0) override;
    void setFont(const QString& family, double pointSize) override;
    void endDocument(DocumentEnded ended) override;
    void cancelDocument() override;

private:
    void writeFile(const PrintDocument& document, DocumentEnded ended);

    QString m_pdfFile; // empty: the default printer
    QPageLayout m_fileLayout; // the page when writing a file
    QString m_fontFamily; // empty: no font set yet
    double m_pointSize = 0.0;
    std::shared_ptr<PrintDocument> m_document; // null between documents
    QObject m_context; // where outcomes are delivered, on the owner's thread
    PrintJob* m_job = nullptr; // the document being sent, if any
};

} // namespace torvel
