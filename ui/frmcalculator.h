#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "ui/calculator_controls.h"

class QAction;

namespace torvel {

class LinePrinter;
class MessageBox;
class PrintProgress;
class SpokenNotice;
struct PrintOutcome;

// The calculator's one window: three commodity prices in, six class prices
// out. It holds no state beyond what its controls show; the formulas and the
// number texts belong to calc/, the report to report/, and messages and the
// printer come in through the platform interfaces so that tests can stand in
// for them.
class frmCalculator : public QWidget {
    Q_OBJECT

public:
    frmCalculator(MessageBox& messageBox, LinePrinter& printer, QWidget* parent = nullptr);
    ~frmCalculator() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void calculateClicked();
    void clearClicked();
    void printClicked();
    void exitClicked();
    void copyPricesTriggered();
    void setProgramIcon();
    void printEnded(const PrintOutcome& outcome);
    void printLasting();
    void cancelPrint();

private:
    MessageBox& m_messageBox;
    LinePrinter& m_printer;
    CalculatorControls m_controls;
    SpokenNotice* m_notice = nullptr;
    // Copies the inputs and results as a table; there is nothing to copy
    // while the results are empty.
    QAction* m_copyPrices = nullptr;
    // A print under way: the window goes on working meanwhile, and after a
    // second it shows a small progress window to cancel it from.
    bool m_printing = false;
    QTimer m_progressDelay;
    QPointer<PrintProgress> m_progress;
};

} // namespace torvel
