#pragma once

#include <QElapsedTimer>
#include <QLabel>

#include <algorithm>

namespace torvel {

// A read-only display of one class price inside a single-line border. To a
// screen reader it is a read-only text field named after its caption ("Class
// 4A FAT") whose text is the price shown, and every change of the price is
// announced as a text change. Qt's own label offers a reader neither the
// text nor the change. The price can be selected with the mouse (a drag, a
// double or triple click) and copied with Ctrl+C or the context menu; a click
// gives the label the focus for that, Tab and Enter never do. Actions added
// to the label join its context menu after Copy and Select All.
//
// The selection is the label's own rather than Qt's selectable label, whose
// text document would announce every price again, padded with spaces, to a
// screen reader.
class ResultLabel : public QLabel {
    Q_OBJECT

public:
    ResultLabel(const QString& accessibleName, const QString& accessibleDescription, QWidget* parent);

    // Shows the price text, or nothing for an empty one. The amount is the
    // same price as a plain decimal ("1.4557"), kept for the clipboard.
    void setPrice(const QString& price, const QString& amount = {});
    QString amount() const { return m_amount; }

    // The selected part of the price, as offsets into its text.
    int selectionBegin() const { return std::min(m_anchor, m_position); }
    int selectionEnd() const { return std::max(m_anchor, m_position); }
    QString selectedPrice() const { return text().mid(selectionBegin(), selectionEnd() - selectionBegin()); }
    void selectPrice(int begin, int end);

    // Where the character at offset is drawn, in the label's own coordinates;
    // a null rectangle for an offset outside the price.
    QRect glyphRect(int offset) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void copySelection();
    int offsetAt(int x) const;

    QString m_amount;
    int m_anchor = 0;
    int m_position = 0;
    QElapsedTimer m_doubleClicked; // a click soon after is a triple click
};

} // namespace torvel
