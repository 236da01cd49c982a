#include "ui/keyboard_flow.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace torvel {

namespace {
bool isEnter(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

KeyboardFlow::KeyboardFlow(QObject* parent)
    : QObject(parent)
{}

void KeyboardFlow::moveFocusOnEnter(QWidget* from, QWidget* to)
{
    m_nextFocus.insert(from, to);
    from->installEventFilter(this);
}

void KeyboardFlow::pressOnKeys(QAbstractButton* button)
{
    button->installEventFilter(this);
}

bool KeyboardFlow::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button && event->type() == QEvent::Shortcut) {
        // The button still handles its shortcut and clicks.
        button->setFocus(Qt::ShortcutFocusReason);
        return false;
    }
    if (!isEnter(event))
        return false;
    if (QWidget* next = m_nextFocus.value(watched)) {
        next->setFocus(Qt::TabFocusReason);
        return false;
    }
    if (button) {
        button->click();
        return true;
    }
    return false;
}

} // namespace torvel
