#pragma once

#include <QAccessibleWidget>

namespace torvel {

class ResultLabel;

// What AT-SPI clients see of a result label: a read-only text field whose
// text is the price. The text interface is what a reader reads and what
// carries the change events; Qt's label has none. Kept apart from the label,
// as Qt keeps its widgets' accessible interfaces, and reads it only through
// its public functions.
class AccessibleResultLabel final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleResultLabel(QWidget* label);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // The text: the price, read-only, with no caret; the mouse may select
    // part of it, and so may a reader.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override;
    void selection(int, int* startOffset, int* endOffset) const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int) override;
    void setSelection(int, int startOffset, int endOffset) override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;

private:
    const ResultLabel& label() const;
    ResultLabel& result();
};

// The accessibility factory for result labels, for QAccessible::installFactory.
QAccessibleInterface* accessibleResultLabel(const QString& className, QObject* object);

} // namespace torvel
