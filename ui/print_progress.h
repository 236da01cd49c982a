#pragma once

#include <QWidget>

namespace torvel {

// The small window that says a print is still under way and lets the clerk
// cancel it, with the Cancel button or Escape. It does not take the
// activation from the window it belongs to.
class PrintProgress : public QWidget {
    Q_OBJECT

public:
    explicit PrintProgress(QWidget* owner);

signals:
    void cancelClicked();
};

} // namespace torvel
