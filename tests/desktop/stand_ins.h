#pragma once

#include <QStringList>

#include "platform/line_printer.h"
#include "platform/message_box.h"

// Stand-ins for the platform services, so that the window can be built in a
// test without a printer and without a message box that would block.
class NoteMessageBox : public torvel::MessageBox {
public:
    void showMessage(const QString& text) override { shown << text; }
    QStringList shown;
};

class DiscardLinePrinter : public torvel::LinePrinter {
public:
    void printLine(const QStringList&, int) override {}
    void setFont(const QString&, double) override {}
    bool endDocument(QString&) override { return true; }
};
