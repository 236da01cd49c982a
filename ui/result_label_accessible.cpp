#include "ui/result_label_accessible.h"

#include "ui/result_label.h"

namespace torvel {

AccessibleResultLabel::AccessibleResultLabel(QWidget* label)
    : QAccessibleWidget(label, QAccessible::EditableText)
{}

void* AccessibleResultLabel::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleResultLabel::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return label().text();
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleResultLabel::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.editable = false;
    return s;
}

QString AccessibleResultLabel::text(int startOffset, int endOffset) const
{
    return label().text().mid(startOffset, endOffset - startOffset);
}

int AccessibleResultLabel::characterCount() const
{
    return int(label().text().size());
}

int AccessibleResultLabel::selectionCount() const
{
    return label().selectionBegin() < label().selectionEnd() ? 1 : 0;
}

void AccessibleResultLabel::selection(int, int* startOffset, int* endOffset) const
{
    *startOffset = label().selectionBegin();
    *endOffset = label().selectionEnd();
}

void AccessibleResultLabel::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void AccessibleResultLabel::removeSelection(int)
{
    result().selectPrice(0, 0);
}

void AccessibleResultLabel::setSelection(int, int startOffset, int endOffset)
{
    result().selectPrice(startOffset, endOffset);
}

QString AccessibleResultLabel::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

QRect AccessibleResultLabel::characterRect(int offset) const
{
    const QRect glyph = label().glyphRect(offset);
    return glyph.isNull() ? glyph : QRect(label().mapToGlobal(glyph.topLeft()), glyph.size());
}

int AccessibleResultLabel::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = label().mapFromGlobal(point);
    for (int offset = 0; offset < characterCount(); ++offset) {
        if (label().glyphRect(offset).contains(local))
            return offset;
    }
    return -1;
}

const ResultLabel& AccessibleResultLabel::label() const
{
    return *static_cast<const ResultLabel*>(widget());
}

ResultLabel& AccessibleResultLabel::result()
{
    return *static_cast<ResultLabel*>(widget());
}

QAccessibleInterface* accessibleResultLabel(const QString& className, QObject* object)
{
    if (className == QLatin1String(ResultLabel::staticMetaObject.className()) && object->isWidgetType())
        return new AccessibleResultLabel(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace torvel
