#pragma once

#include <QString>

namespace torvel {

// What a printer that writes its pages to a file makes of them. Such a
// printer asks for the file's name when a document starts, unless the
// program names it: Windows' "Microsoft Print to PDF", its XPS Document
// Writer, and any printer on the FILE: port.
enum class PrinterFile {
    None, // prints on paper, or writes where its port says, without asking
    Pdf,
    Xps,
    AnyFile, // the printer's own language, which only its driver knows
};

// The file a printer writes, from its port (a port name, or a list of them
// for a pool of printers), its driver's name and its own name.
PrinterFile PrinterFileOf(const QString& port, const QString& driver, const QString& printer);

} // namespace torvel
