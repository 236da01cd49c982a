#include "ui/enter_key_flow.h"

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

EnterKeyFlow::EnterKeyFlow(QObject* parent)
    : QObject(parent)
{}

void EnterKeyFlow::moveFocusOnEnter(QWidget* from, QWidget* to)
{
    m_nextFocus.insert(from, to);
    from->installEventFilter(this);
}

void EnterKeyFlow::clickOnEnter(QAbstractButton* button)
{
    button->installEventFilter(this);
}

bool EnterKeyFlow::eventFilter(QObject* watched, QEvent* event)
{
    if (!isEnter(event))
        return false;
    if (QWidget* next = m_nextFocus.value(watched)) {
        next->setFocus(Qt::TabFocusReason);
        return false;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
        button->click();
        return true;
    }
    return false;
}

} // namespace torvel
