#include "platform/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace torvel {

void QtMessageBox::showMessage(const QString& text)
{
    // Over the window in use, and blocking every window until it is closed.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Torvel Calculator"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace torvel
