#include "ui/spoken_notice.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace torvel {

namespace {

QAccessibleInterface* accessibleNotice(const QString& className, QObject* object)
{
    if (className == QLatin1String(SpokenNotice::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
    return nullptr;
}

} // namespace

SpokenNotice::SpokenNotice(QWidget* parent)
    : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&accessibleNotice);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setObjectName(QStringLiteral("spokenNotice"));
    setGeometry(0, 0, 0, 0);
    hide();
}

void SpokenNotice::say(const QString& text)
{
    // A reader hears a notification when it starts showing: the name is set
    // while it is hidden, so the reader has the new one when it shows.
    hide();
    setAccessibleName(text);
    show();
    tellSystem(text);
}

} // namespace torvel
