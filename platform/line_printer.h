#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "platform/print_outcome.h"

namespace torvel {

// The default printer driven line by line. A document begins at the top-left
// of the printable area with the first line printed after the previous
// document ended; each line moves down one line height of the current font.
// Sending a document takes as long as the print service takes, so it ends
// later, on the caller's thread, while the caller goes on with its events.
// Tests stand in for it with a recorder.
class LinePrinter {
public:
    using DocumentEnded = std::function<void(const PrintOutcome&)>;

    virtual ~LinePrinter() = default;

    // One line of pieces written one after another with nothing between
    // them, starting indentColumns print columns (the current font's average
    // character width) from the left edge. No pieces print an empty line.
    virtual void printLine(const QStringList& pieces = {}, int indentColumns = 0) = 0;

    // The font of the lines printed after this call.
    virtual void setFont(const QString& family, double pointSize) = 0;

    // Sends the lines printed since the document began as one document and
    // calls ended once with how that went, at the latest when the document
    // is cancelled; never if the printer is destroyed first.
    virtual void endDocument(DocumentEnded ended) = 0;

    // Stops the document being sent, withdrawing what reached the service.
    // Its ended then reports it cancelled, unless it had already ended.
    virtual void cancelDocument() = 0;
};

} // namespace torvel
