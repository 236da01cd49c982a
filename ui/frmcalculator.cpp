#include "ui/frmcalculator.h"

#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ui/keyboard_flow.h"

namespace torvel {

frmCalculator::frmCalculator(MessageBox& messageBox, LinePrinter& printer, QWidget* parent)
    : QWidget(parent)
    , m_messageBox(messageBox)
    , m_printer(printer)
{
    setObjectName(QStringLiteral("frmCalculator"));
    setWindowTitle(QStringLiteral("Calculate Milk Price"));
    m_controls = BuildCalculatorControls(*this);
    const CalculatorControls& c = m_controls;

    auto* keys = new KeyboardFlow(this);
    keys->moveFocusOnEnter(c.txtCMEButter, c.txtCMECheese);
    keys->moveFocusOnEnter(c.txtCMECheese, c.txtAveragePowder);
    keys->moveFocusOnEnter(c.txtAveragePowder, c.cmdCalculate);
    for (QPushButton* button : {c.cmdCalculate, c.cmdClear, c.cmdPrint, c.cmdExit})
        keys->pressOnKeys(button);

    connect(c.cmdCalculate, &QPushButton::clicked, this, &frmCalculator::calculateClicked);
    connect(c.cmdClear, &QPushButton::clicked, this, &frmCalculator::clearClicked);
    connect(c.cmdPrint, &QPushButton::clicked, this, &frmCalculator::printClicked);
    connect(c.cmdExit, &QPushButton::clicked, this, &frmCalculator::exitClicked);
}

// The desktop switched between light and dark: by the time the window's own
// handling returns, the new palette has reached every child, so each text is
// measured against its current background.
bool frmCalculator::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        ApplyTextColours(*this);
    return handled;
}

} // namespace torvel
