#include "platform/printer_file.h"

#include <QStringList>

namespace torvel {

namespace {
bool Names(const QString& driver, const QString& printer, QLatin1StringView name)
{
    return driver.startsWith(name, Qt::CaseInsensitive) || printer.startsWith(name, Qt::CaseInsensitive);
}
} // namespace

// Only the port says whether the printer asks: a "Microsoft Print to PDF"
// moved to a port that names a file writes there without asking. The
// driver then says what kind of file it writes; the printer's name stands
// in where a driver has been renamed, as an IT department may do.
PrinterFile PrinterFileOf(const QString& port, const QString& driver, const QString& printer)
{
    bool asks = false;
    for (const QString& one : port.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = one.trimmed();
        asks = asks || name.compare(QLatin1String("PORTPROMPT:"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("FILE:"), Qt::CaseInsensitive) == 0;
    }
    if (!asks)
        return PrinterFile::None;
    if (Names(driver, printer, QLatin1StringView("Microsoft Print To PDF")))
        return PrinterFile::Pdf;
    if (Names(driver, printer, QLatin1StringView("Microsoft XPS Document Writer")))
        return PrinterFile::Xps;
    return PrinterFile::AnyFile;
}

} // namespace torvel
