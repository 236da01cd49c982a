#include "platform/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace torvel {

void QtMessageBox::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Torvel Calculator"), text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace torvel
