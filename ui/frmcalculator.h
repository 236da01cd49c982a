#pragma once

#include <QWidget>

#include "ui/calculator_controls.h"

namespace torvel {

class LinePrinter;
class MessageBox;
class SpokenNotice;

// The calculator's one window: three commodity prices in, six class prices
// out. It holds no state beyond what its controls show; the formulas and the
// number texts belong to calc/, the report to report/, and messages and the
// printer come in through the platform interfaces so that tests can stand in
// for them.
class frmCalculator : public QWidget {
    Q_OBJECT

public:
    frmCalculator(MessageBox& messageBox, LinePrinter& printer, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;

private slots:
    void calculateClicked();
    void clearClicked();
    void printClicked();
    void exitClicked();
    void setProgramIcon();

private:
    MessageBox& m_messageBox;
    LinePrinter& m_printer;
    CalculatorControls m_controls;
    SpokenNotice* m_notice = nullptr;
};

} // namespace torvel
