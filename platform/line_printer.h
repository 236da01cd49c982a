#pragma once

#include <QString>
#include <QStringList>

namespace torvel {

// The default printer driven line by line. A document begins at the top-left
// of the printable area with the first line printed after the previous
// document ended; each line moves down one line height of the current font.
// Tests stand in for it with a recorder.
class LinePrinter {
public:
    virtual ~LinePrinter() = default;

    // One line of pieces written one after another with nothing between
    // them, starting indentColumns print columns (the current font's average
    // character width) from the left edge. No pieces print an empty line.
    virtual void printLine(const QStringList& pieces = {}, int indentColumns = 0) = 0;

    // The font of the lines printed after this call.
    virtual void setFont(const QString& family, double pointSize) = 0;

    // Sends the lines printed since the document began as one document.
    // False when the document could not be printed, with the reason, in
    // words for the user, in message. True when it was sent; message then
    // holds what the user should know even so (a paused printer holds the
    // page), and is empty when there is nothing to tell.
    virtual bool endDocument(QString& message) = 0;
};

} // namespace torvel
