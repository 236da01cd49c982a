#include "ui/result_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>

namespace torvel {

namespace {

// Where the label draws its one line of plain text, as QLabel lays it out:
// inside the frame and margin, and indented by half an "x" from a framed
// label's aligned side.
QRect shownTextRect(const QLabel& label)
{
    QRect area = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    const Qt::Alignment align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0) {
        if (align & Qt::AlignLeft)
            area.setLeft(area.left() + indent);
        if (align & Qt::AlignRight)
            area.setRight(area.right() - indent);
    }
    return label.style()->itemTextRect(label.fontMetrics(), area, int(align), label.isEnabled(), label.text());
}

// What AT-SPI clients see of a result label: a read-only text field whose
// text is the price. The text interface is what a reader reads and what
// carries the change events; Qt's label has none.
class AccessibleResultLabel final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleResultLabel(QWidget* label)
        : QAccessibleWidget(label, QAccessible::EditableText)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return label().text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        return s;
    }

    // The text: the price, read-only, with no caret; the mouse may select
    // part of it, and so may a reader.
    QString text(int startOffset, int endOffset) const override
    {
        return label().text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(label().text().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return label().hasSelectedText() ? 1 : 0; }
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (label().hasSelectedText()) {
            *startOffset = label().selectionStart();
            *endOffset = *startOffset + int(label().selectedText().size());
        }
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { editableLabel().setSelection(0, 0); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        editableLabel().setSelection(startOffset, endOffset - startOffset);
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    QRect characterRect(int offset) const override
    {
        const QRect glyph = glyphRect(offset);
        return glyph.isNull() ? glyph : QRect(label().mapToGlobal(glyph.topLeft()), glyph.size());
    }

    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = label().mapFromGlobal(point);
        for (int offset = 0; offset < characterCount(); ++offset) {
            if (glyphRect(offset).contains(local))
                return offset;
        }
        return -1;
    }

private:
    // The character at offset, in the label's own coordinates.
    QRect glyphRect(int offset) const
    {
        const QString shown = label().text();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics metrics = label().fontMetrics();
        const QRect line = shownTextRect(label());
        return {line.left() + metrics.horizontalAdvance(shown.left(offset)), line.top(),
                metrics.horizontalAdvance(shown.at(offset)), line.height()};
    }

    const QLabel& label() const { return *static_cast<const QLabel*>(widget()); }
    QLabel& editableLabel() { return *static_cast<QLabel*>(widget()); }
};

QAccessibleInterface* accessibleResultLabel(const QString& className, QObject* object)
{
    if (className == QLatin1String(ResultLabel::staticMetaObject.className()) && object->isWidgetType())
        return new AccessibleResultLabel(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

ResultLabel::ResultLabel(const QString& accessibleName, const QString& accessibleDescription, QWidget* parent)
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
    setAccessibleDescription(accessibleDescription);
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // Selectable text takes the focus when clicked, as a desktop program's
    // read-only text does, so that Ctrl+C reaches it; it stays out of the
    // Tab chain.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::ClickFocus);
}

void ResultLabel::setPrice(const QString& price, const QString& amount)
{
    m_amount = amount;
    const QString old = text();
    if (price == old)
        return;
    setText(price);
    // Removes the old price and inserts the new one, as a reader hears an
    // edited field change: a calculation inserts, a clear removes.
    QAccessibleTextUpdateEvent event(this, 0, old, price);
    QAccessible::updateAccessibility(&event);
}

// Qt's own label menu, Copy and Select All, followed by the label's actions.
void ResultLabel::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copy = menu->addAction(QStringLiteral("&Copy"), this, &ResultLabel::copySelection);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(hasSelectedText());
    QAction* selectAll = menu->addAction(QStringLiteral("Select All"), this,
                                         [this] { setSelection(0, int(text().size())); });
    selectAll->setEnabled(!text().isEmpty());
    if (!actions().isEmpty()) {
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->popup(event->globalPos());
    event->accept();
}

void ResultLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

// The selected characters exactly as shown. Qt's own copy would write the
// no-break space of a currency form as a plain space.
void ResultLabel::copySelection()
{
    if (hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText());
}

} // namespace torvel
