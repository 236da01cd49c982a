#pragma once

#include <QLabel>

namespace torvel {

// A read-only display of one class price inside a single-line border. To a
// screen reader it is a read-only text field named after its caption ("Class
// 4A FAT") whose text is the price shown, and every change of the price is
// announced as a text change. Qt's own label offers a reader neither the
// text nor the change. The price can be selected with the mouse and copied
// (Ctrl+C or the context menu), which gives the label the focus for that
// click; Tab and Enter never bring the focus to it. Actions added to the
// label join its context menu after Copy and Select All.
class ResultLabel : public QLabel {
    Q_OBJECT

public:
    ResultLabel(const QString& accessibleName, const QString& accessibleDescription, QWidget* parent);

    // Shows the price text, or nothing for an empty one. The amount is the
    // same price as a plain decimal ("1.4557"), kept for the clipboard.
    void setPrice(const QString& price, const QString& amount = {});
    QString amount() const { return m_amount; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void copySelection();

    QString m_amount;
};

} // namespace torvel
