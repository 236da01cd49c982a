#pragma once

#include <QHash>
#include <QObject>

class QAbstractButton;
class QWidget;

namespace torvel {

// The Enter key (Return or keypad Enter, whatever the modifiers) as the
// calculator uses it. In a text box it moves the focus on and leaves the key
// to the text box, so it never presses a button by itself; on a focused
// button it presses the button, which a QPushButton outside a dialog does
// not do on its own. The window has no default button.
class EnterKeyFlow : public QObject {
    Q_OBJECT

public:
    explicit EnterKeyFlow(QObject* parent = nullptr);

    void moveFocusOnEnter(QWidget* from, QWidget* to);
    void clickOnEnter(QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, QWidget*> m_nextFocus;
};

} // namespace torvel
