#pragma once

#include "platform/line_printer.h"

namespace torvel {

// The line printer on the system's default printer, through QPrinter. The
// printer is looked up only when a document begins, never at start-up.
class QtLinePrinter final : public LinePrinter {
public:
    void printLine(const QStringList& pieces = {}, int indentColumns = 0) override;
    void setFont(const QString& family, double pointSize) override;
    bool endDocument(QString& failureReason) override;
};

} // namespace torvel
