#include "ui/result_label.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace torvel {

namespace {

class AccessibleResultLabel final : public QAccessibleWidget {
public:
    explicit AccessibleResultLabel(QWidget* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
};

QAccessibleInterface* accessibleResultLabel(const QString& className, QObject* object)
{
    if (className == QLatin1String(ResultLabel::staticMetaObject.className()) && object->isWidgetType())
        return new AccessibleResultLabel(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

ResultLabel::ResultLabel(const QString& accessibleName, QWidget* parent)
    : QLabel(parent)
{
    // Registered with the first label; the factory asks nothing of a window
    // until an accessibility client queries it.
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&accessibleResultLabel);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setAccessibleName(accessibleName);
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
}

void ResultLabel::setPrice(const QString& price)
{
    setText(price);
    QAccessibleValueChangeEvent event(this, price);
    QAccessible::updateAccessibility(&event);
}

} // namespace torvel
