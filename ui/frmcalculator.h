#pragma once

#include <QWidget>

namespace torvel {

class LinePrinter;
class MessageBox;

// The calculator's one window.
class frmCalculator : public QWidget {
    Q_OBJECT

public:
    frmCalculator(MessageBox& messageBox, LinePrinter& printer, QWidget* parent = nullptr);

private:
    MessageBox& m_messageBox;
    LinePrinter& m_printer;
};

} // namespace torvel
