#include "platform/qt_line_printer.h"

namespace torvel {

// Interim: the QPrinter implementation replaces this.
void QtLinePrinter::printLine(const QStringList&, int) {}
void QtLinePrinter::setFont(const QString&, double) {}

bool QtLinePrinter::endDocument(QString& failureReason)
{
    failureReason = QStringLiteral("Printing is not available in this build.");
    return false;
}

} // namespace torvel
