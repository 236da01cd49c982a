#pragma once

#include <QLabel>

namespace torvel {

// A read-only display of one class price inside a single-line border. A
// screen reader hears its accessible name ("Class 4A FAT price") as the name
// and the price shown as the value, and is told when the price changes; a
// plain QLabel with an accessible name would never speak its text.
class ResultLabel : public QLabel {
    Q_OBJECT

public:
    ResultLabel(const QString& accessibleName, QWidget* parent);

    // Shows the price text, or nothing for an empty one.
    void setPrice(const QString& price);
};

} // namespace torvel
