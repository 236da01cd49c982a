#include "ui/frmcalculator.h"

namespace torvel {

frmCalculator::frmCalculator(MessageBox& messageBox, LinePrinter& printer, QWidget* parent)
    : QWidget(parent)
    , m_messageBox(messageBox)
    , m_printer(printer)
{
    setObjectName(QStringLiteral("frmCalculator"));
    setWindowTitle(QStringLiteral("Calculate Milk Price"));
}

} // namespace torvel
