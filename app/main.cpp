#include <QApplication>

#include "app/command_line.h"
#include "platform/qt_line_printer.h"
#include "platform/qt_message_box.h"
#include "ui/frmcalculator.h"

int main(int argc, char* argv[])
{
    if (const auto status = torvel::HandleCommandLine(argc, argv))
        return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvel Calculator"));
    QApplication::setApplicationVersion(QStringLiteral("3.00"));
    // Lets Wayland docks match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.torvel.Calculator"));

    torvel::QtMessageBox messageBox;
    torvel::QtLinePrinter printer;
    torvel::frmCalculator window(messageBox, printer);
    window.show();
    return app.exec();
}
