#pragma once

#include <QLabel>

namespace torvel {

// A read-only display of one class price inside a single-line border. To a
// screen reader it is a read-only text field named after its caption ("Class
// 4A FAT") whose text is the price shown, and every change of the price is
// announced as a text change. Qt's own label offers a reader neither the
// text nor the change, and the label never takes the keyboard focus.
class ResultLabel : public QLabel {
    Q_OBJECT

public:
    ResultLabel(const QString& accessibleName, const QString& accessibleDescription, QWidget* parent);

    // Shows the price text, or nothing for an empty one.
    void setPrice(const QString& price);
};

} // namespace torvel
