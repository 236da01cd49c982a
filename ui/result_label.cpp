#include "ui/result_label.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleHints>

#include "ui/result_label_accessible.h"

namespace torvel {

namespace {

// The area QLabel lays its one line of plain text out in: inside the frame
// and margin, and indented by half an "x" from a framed label's aligned side.
QRect textArea(const QLabel& label)
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
    return area;
}

// Where the label draws that line.
QRect shownTextRect(const QLabel& label)
{
    const Qt::Alignment align = QStyle::visualAlignment(label.layoutDirection(), label.alignment());
    return label.style()->itemTextRect(label.fontMetrics(), textArea(label), int(align), label.isEnabled(),
                                       label.text());
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
    setCursor(Qt::IBeamCursor);
}

void ResultLabel::setPrice(const QString& price, const QString& amount)
{
    m_amount = amount;
    const QString old = text();
    if (price == old)
        return;
    selectPrice(0, 0);
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
    copy->setEnabled(selectionBegin() < selectionEnd());
    QAction* selectAll = menu->addAction(QStringLiteral("Select All"), this,
                                         [this] { selectPrice(0, int(text().size())); });
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
    if (event->matches(QKeySequence::SelectAll)) {
        selectPrice(0, int(text().size()));
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

// The selected characters exactly as shown, with the no-break space of a
// currency form kept (Qt's text documents copy it as a plain space).
void ResultLabel::copySelection()
{
    if (selectionBegin() < selectionEnd())
        QGuiApplication::clipboard()->setText(selectedPrice());
}

QRect ResultLabel::glyphRect(int offset) const
{
    const QString shown = text();
    if (offset < 0 || offset >= shown.size())
        return {};
    const QFontMetrics metrics = fontMetrics();
    const QRect line = shownTextRect(*this);
    return {line.left() + metrics.horizontalAdvance(shown.left(offset)), line.top(),
            metrics.horizontalAdvance(shown.at(offset)), line.height()};
}

void ResultLabel::selectPrice(int begin, int end)
{
    const int length = int(text().size());
    m_anchor = std::clamp(begin, 0, length);
    m_position = std::clamp(end, 0, length);
    update();
}

// The character boundary nearest to x, in the label's own coordinates.
int ResultLabel::offsetAt(int x) const
{
    const QFontMetrics metrics = fontMetrics();
    const int left = shownTextRect(*this).left();
    int nearest = 0;
    for (int offset = 1; offset <= text().size(); ++offset) {
        if (std::abs(left + metrics.horizontalAdvance(text().left(offset)) - x)
            < std::abs(left + metrics.horizontalAdvance(text().left(nearest)) - x))
            nearest = offset;
    }
    return nearest;
}

void ResultLabel::mousePressEvent(QMouseEvent* event)
{
    // An empty result has nothing to select, and leaves the focus where the
    // clerk is typing.
    if (event->button() != Qt::LeftButton || text().isEmpty())
        return QLabel::mousePressEvent(event);
    // Selectable text takes the focus when clicked, as a desktop program's
    // read-only text does, so that Ctrl+C reaches it. Its focus policy stays
    // NoFocus, which keeps it out of the Tab chain, and keeps Qt's label from
    // laying its text out in a document of its own, whose changes a screen
    // reader would hear as well as the label's.
    setFocus(Qt::MouseFocusReason);
    if (m_doubleClicked.isValid()
        && m_doubleClicked.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
        selectPrice(0, int(text().size()));
        return;
    }
    const int offset = offsetAt(event->position().toPoint().x());
    selectPrice(offset, offset);
}

void ResultLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return QLabel::mouseMoveEvent(event);
    selectPrice(m_anchor, offsetAt(event->position().toPoint().x()));
}

// As on every X11 desktop, selected text can be pasted with the middle button.
void ResultLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::LeftButton && selectionBegin() < selectionEnd() && clipboard->supportsSelection())
        clipboard->setText(selectedPrice(), QClipboard::Selection);
    QLabel::mouseReleaseEvent(event);
}

// A price is one word to the clerk: a double click takes it whole, and so
// does the third click of a triple click.
void ResultLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QLabel::mouseDoubleClickEvent(event);
    selectPrice(0, int(text().size()));
    m_doubleClicked.start();
}

// Qt's label would make that document on taking the focus.
void ResultLabel::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
}

// The selection goes with the focus, as in any text field, but stays while
// the context menu is open or another window is in front.
void ResultLabel::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        selectPrice(0, 0);
    QFrame::focusOutEvent(event);
}

// The label draws itself; the selected characters are drawn again over it
// in the highlight colours, at the same place.
void ResultLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (selectionBegin() >= selectionEnd())
        return;
    const QFontMetrics metrics = fontMetrics();
    const QRect line = shownTextRect(*this);
    const int from = line.left() + metrics.horizontalAdvance(text().left(selectionBegin()));
    const int to = line.left() + metrics.horizontalAdvance(text().left(selectionEnd()));
    const QRect band(from, line.top(), to - from, line.height());
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QPainter painter(this);
    painter.fillRect(band, palette().brush(group, QPalette::Highlight));
    painter.setClipRect(band);
    painter.setPen(palette().color(group, QPalette::HighlightedText));
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    style()->drawItemText(&painter, textArea(*this), int(align), palette(), isEnabled(), text());
}

} // namespace torvel
