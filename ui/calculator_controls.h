#pragma once

class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace torvel {

class ResultLabel;

// The calculator window's controls, by the names they carry as object names.
// The nine caption labels are all named Label2 and told apart by their
// "index" property; nothing but the layout refers to them.
struct CalculatorControls {
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtCMEButter = nullptr;
    QLineEdit* txtCMECheese = nullptr;
    QLineEdit* txtAveragePowder = nullptr;

    QGroupBox* Frame2 = nullptr;
    ResultLabel* lbl4AFAT = nullptr;
    ResultLabel* lbl4ASNF = nullptr;
    ResultLabel* lbl4ACount = nullptr;
    ResultLabel* lbl4BFAT = nullptr;
    ResultLabel* lbl4BSNF = nullptr;
    ResultLabel* lbl4BCount = nullptr;

    QPushButton* cmdCalculate = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdExit = nullptr;
};

// Creates every control on the window at its fixed place, with its text,
// font, colour, accessible name and tab order, and sizes the window to fit.
// Positions and sizes are in twips, converted at the window's logical DPI.
CalculatorControls BuildCalculatorControls(QWidget& window);

// Colours every text on the window: in the hue it was made with on a light
// palette, lightened to a readable contrast against its own background on a
// dark one, and in the desktop's text colour where it has no hue of its own.
// Called again whenever the window's palette changes.
void ApplyTextColours(QWidget& window);

} // namespace torvel
