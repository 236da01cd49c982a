#include "ui/frmcalculator.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "platform/line_printer.h"

#include "ui/keyboard_flow.h"
#include "ui/result_label.h"
#include "ui/spoken_notice.h"

namespace torvel {

namespace {

// For task bars, task switchers and docks, where the icon theme has none.
QIcon BuiltInIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/org.torvel.Calculator-%1.png").arg(size), QSize(size, size));
    return icon;
}

// A screen reader finds a window's title on a frame. Qt makes a plain top-level
// QWidget a "client" area, which AT-SPI calls a filler, and Orca then has no
// title to read.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object)
{
    if (className == QLatin1String(frmCalculator::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

frmCalculator::frmCalculator(MessageBox& messageBox, LinePrinter& printer, QWidget* parent)
    : QWidget(parent)
    , m_messageBox(messageBox)
    , m_printer(printer)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&accessibleWindow);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setObjectName(QStringLiteral("frmCalculator"));
    setWindowTitle(QStringLiteral("Calculate Milk Price"));
    // Set once the window is up: decoding the icon and asking the icon theme
    // would hold up the window's first appearance by a few milliseconds, a
    // large share of the whole start-up, and panels take the icon whenever it
    // comes.
    QMetaObject::invokeMethod(this, &frmCalculator::setProgramIcon, Qt::QueuedConnection);
    m_controls = BuildCalculatorControls(*this);
    const CalculatorControls& c = m_controls;
    m_notice = new SpokenNotice(this);

    auto* keys = new KeyboardFlow(this);
    keys->moveFocusOnEnter(c.txtCMEButter, c.txtCMECheese);
    keys->moveFocusOnEnter(c.txtCMECheese, c.txtAveragePowder);
    keys->moveFocusOnEnter(c.txtAveragePowder, c.cmdCalculate);
    for (QPushButton* button : {c.cmdCalculate, c.cmdClear, c.cmdPrint, c.cmdExit})
        keys->pressOnKeys(button);

    connect(c.cmdCalculate, &QPushButton::clicked, this, &frmCalculator::calculateClicked);
    connect(c.cmdClear, &QPushButton::clicked, this, &frmCalculator::clearClicked);
    connect(c.cmdPrint, &QPushButton::clicked, this, &frmCalculator::printClicked);
    connect(c.cmdExit, &QPushButton::clicked, this, &frmCalculator::exitClicked);

    // Ctrl+Shift+C from anywhere in the window, and the context menu of the
    // results: the frame's own, which its captions pass on, and each result's.
    m_copyPrices = new QAction(QStringLiteral("Copy &Prices"), this);
    m_copyPrices->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_copyPrices->setShortcutContext(Qt::WindowShortcut);
    m_copyPrices->setEnabled(false);
    connect(m_copyPrices, &QAction::triggered, this, &frmCalculator::copyPricesTriggered);
    addAction(m_copyPrices);
    c.Frame2->setContextMenuPolicy(Qt::ActionsContextMenu);
    c.Frame2->addAction(m_copyPrices);
    for (ResultLabel* result : {c.lbl4AFAT, c.lbl4ASNF, c.lbl4ACount, c.lbl4BFAT, c.lbl4BSNF, c.lbl4BCount})
        result->addAction(m_copyPrices);

    m_progressDelay.setSingleShot(true);
    m_progressDelay.setInterval(1000);
    connect(&m_progressDelay, &QTimer::timeout, this, &frmCalculator::printLasting);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &frmCalculator::cancelPrint);
}

frmCalculator::~frmCalculator()
{
    if (m_printing)
        QGuiApplication::restoreOverrideCursor();
}

// An icon theme may draw the program's icon in its own manner.
void frmCalculator::setProgramIcon()
{
    setWindowIcon(QIcon::fromTheme(QStringLiteral("org.torvel.Calculator"), BuiltInIcon()));
}

// The desktop switched between light and dark: by the time the window's own
// handling returns, the new palette has reached every child, so each text is
// measured against its current background.
bool frmCalculator::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        ApplyTextColours(*this);
    return handled;
}

// The program ends with the window; a print under way is cancelled, and the
// printer withdraws its job as it goes.
void frmCalculator::closeEvent(QCloseEvent* event)
{
    // A closed window shows no progress window for a print it has cancelled.
    m_progressDelay.stop();
    cancelPrint();
    QWidget::closeEvent(event);
}

} // namespace torvel
