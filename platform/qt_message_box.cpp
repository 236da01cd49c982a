#include "platform/qt_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace torvel {

void QtMessageBox::showMessage(const QString& text)
{
    // Over the window in use, and blocking every window until it is closed.
    QPointer<QWidget> window = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Torvel Calculator"), text, QMessageBox::Ok, window);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // Styles whose platform theme puts icons on dialog buttons would show a
    // check mark on OK; the box has no icon anywhere.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
    // Without a window manager nothing hands the activation back, and the
    // keys and a screen reader's focus would go nowhere; with one, this
    // confirms what it does anyway.
    if (window)
        window->activateWindow();
}

} // namespace torvel
