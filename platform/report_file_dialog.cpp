#include "platform/report_file_dialog.h"

#include <QDir>
#include <QStandardPaths>

namespace torvel {

namespace {
struct Offer {
    QString filter;
    QString suffix;
};

// Windows' own name for a page in a printer's language is a .prn file.
Offer OfferFor(PrinterFile kind)
{
    switch (kind) {
    case PrinterFile::Pdf:
        return {QStringLiteral("PDF document (*.pdf)"), QStringLiteral("pdf")};
    case PrinterFile::Xps:
        return {QStringLiteral("XPS document (*.xps *.oxps)"), QStringLiteral("xps")};
    case PrinterFile::None:
    case PrinterFile::AnyFile:
        break;
    }
    return {QStringLiteral("Printer file (*.prn);;All files (*)"), QStringLiteral("prn")};
}

QString Folder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}
} // namespace

ReportFileDialog::ReportFileDialog(PrinterFile kind, const QString& documentName, QWidget* parent)
    : QFileDialog(parent, QStringLiteral("Torvel Calculator"))
{
    setObjectName(QStringLiteral("printFile"));
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    const Offer offer = OfferFor(kind);
    setNameFilter(offer.filter);
    setDefaultSuffix(offer.suffix);
    setDirectory(Folder());
    selectFile(documentName + QLatin1Char('.') + offer.suffix);
}

QString ReportFileDialog::chosenFile() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.first());
}

} // namespace torvel
