#include "ui/print_progress.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace torvel {

PrintProgress::PrintProgress(QWidget* owner)
    : QWidget(owner, Qt::Dialog)
{
    setObjectName(QStringLiteral("printProgress"));
    setWindowTitle(QStringLiteral("Torvel Calculator"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Tells it from the message box, which has the same title, on X11.
    setWindowRole(QStringLiteral("printProgress"));

    auto* text = new QLabel(QStringLiteral("Printing the report…"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("printCancel"));
    connect(cancel, &QPushButton::clicked, this, &PrintProgress::cancelClicked);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &PrintProgress::cancelClicked);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace torvel
