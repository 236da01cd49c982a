#pragma once

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "tests/support/recording_line_printer.h"
#include "tests/support/recording_message_box.h"
#include "ui/frmcalculator.h"

// A shown, active calculator window with recording stand-ins for the message
// box and the printer, driven through its platform window as a user's keys
// would be: keys go to whatever has the focus, and access keys reach the
// shortcut map.
struct CalculatorFixture {
    RecordingMessageBox messages;
    RecordingLinePrinter printer;
    torvel::frmCalculator window{messages, printer};

    bool open()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    template <typename T = QWidget>
    T* control(const char* name) const
    {
        return window.findChild<T*>(QLatin1String(name));
    }

    QLineEdit* text(const char* name) const { return control<QLineEdit>(name); }
    QLabel* label(const char* name) const { return control<QLabel>(name); }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window.windowHandle(), key, modifiers);
    }

    void type(const QString& chars)
    {
        for (QChar ch : chars)
            QTest::keyClick(window.windowHandle(), ch.toLatin1());
    }

    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    void setInputs(const QString& butter, const QString& cheese, const QString& powder)
    {
        text("txtCMEButter")->setText(butter);
        text("txtCMECheese")->setText(cheese);
        text("txtAveragePowder")->setText(powder);
    }

    // Types butter, cheese and powder into their fields key by key.
    void typeInputs(const QStringList& prices)
    {
        QTest::keyClicks(text("txtCMEButter"), prices.value(0));
        QTest::keyClicks(text("txtCMECheese"), prices.value(1));
        QTest::keyClicks(text("txtAveragePowder"), prices.value(2));
    }

    void calculateWorkedExample()
    {
        setInputs(QStringLiteral("1.4"), QStringLiteral("1.7"), QStringLiteral("1.2"));
        click("cmdCalculate");
    }

    QStringList inputs() const
    {
        return {text("txtCMEButter")->text(), text("txtCMECheese")->text(), text("txtAveragePowder")->text()};
    }

    QStringList results() const
    {
        return {label("lbl4AFAT")->text(), label("lbl4ASNF")->text(), label("lbl4ACount")->text(),
                label("lbl4BFAT")->text(), label("lbl4BSNF")->text(), label("lbl4BCount")->text()};
    }

    QString focusName() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QStringLiteral("(none)");
    }
};

// The controls that take the focus, in tab order.
inline const QStringList kTabOrder{"txtCMEButter", "txtCMECheese", "txtAveragePowder", "cmdCalculate",
                                   "cmdClear",     "cmdExit",      "cmdPrint"};

// The worked example's six prices in US English.
inline QStringList workedExampleResults()
{
    return {QStringLiteral("$1.4557"), QStringLiteral("$1.0302"), QStringLiteral("$14.0578"),
            QStringLiteral("$1.4557"), QStringLiteral("$1.1590"), QStringLiteral("$15.1779")};
}

// The same in German: Qt's currency form is the amount, a no-break space and
// the euro sign.
inline QStringList germanWorkedExampleResults()
{
    return {QStringLiteral("1,4557\u00a0€"), QStringLiteral("1,0302\u00a0€"), QStringLiteral("14,0578\u00a0€"),
            QStringLiteral("1,4557\u00a0€"), QStringLiteral("1,1590\u00a0€"), QStringLiteral("15,1779\u00a0€")};
}
