#include "ui/spoken_notice.h"

#include <QAccessible>

namespace torvel {

// UI Automation has no event for an object that starts showing, and Narrator
// and NVDA do not speak a name change away from the focus. They speak a UI
// Automation notification wherever the focus is, and Qt's Windows plugin
// raises one for a value change whose value is a text.
//
// Sent once the command's handler has returned: a reader stops speaking when
// the focus moves, and Clear moves it after the notice has spoken.
void SpokenNotice::tellSystem(const QString& text)
{
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            QAccessibleValueChangeEvent event(this, text);
            QAccessible::updateAccessibility(&event);
        },
        Qt::QueuedConnection);
}

} // namespace torvel
