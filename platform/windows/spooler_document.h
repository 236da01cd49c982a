#pragma once

#include <QString>

#include <functional>

#include "platform/print_outcome.h"
#include "platform/printer_file.h"

namespace torvel {

struct PrintDocument;

// The talk with Windows' print spooler for one document: find the default
// printer, open a document on it, draw the lines with GDI on the printable
// area (whose top-left corner is the printer device context's origin), and
// close the document. proceed is asked before each call to the spooler, and
// after the last: false stops the print, and a document already opened is
// withdrawn with AbortDoc. Every call may wait, so this runs on a thread of
// its own.
// A printer that writes files would ask for the file's name inside StartDocW,
// on this thread and without an owner; askFile is asked instead, before the
// document opens, and its answer (a path, or empty when the clerk cancelled)
// becomes the document's output.
// The document's lines before any font is set use its own fontFamily, which
// must name one.
struct SpoolerTalk {
    std::function<bool()> proceed;
    std::function<QString(PrinterFile kind)> askFile;
};
PrintOutcome SendToSpooler(const QString& title, const PrintDocument& document, const SpoolerTalk& talk);

} // namespace torvel
