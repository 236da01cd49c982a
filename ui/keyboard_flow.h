#pragma once

#include <QHash>
#include <QObject>

class QAbstractButton;
class QWidget;

namespace torvel {

// The calculator's keyboard flow beyond Tab.
// Enter (Return or keypad Enter, whatever the modifiers) in a text box moves
// the focus on and leaves the key to the text box, so it never presses a
// button by itself. On a focused button Enter presses it, which a QPushButton
// outside a dialog does not do on its own; the window has no default button.
// A button's access key gives it the focus before it presses it, as a mouse
// click does, so that the focus is on the button that was last used.
class KeyboardFlow : public QObject {
    Q_OBJECT

public:
    explicit KeyboardFlow(QObject* parent = nullptr);

    void moveFocusOnEnter(QWidget* from, QWidget* to);
    void pressOnKeys(QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, QWidget*> m_nextFocus;
};

} // namespace torvel
