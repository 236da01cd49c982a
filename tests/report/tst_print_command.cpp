#include <QTest>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "tests/support/expected_report.h"
#include "tests/support/recording_line_printer.h"
#include "tests/support/recording_message_box.h"
#include "ui/frmcalculator.h"

using namespace torvel;

namespace {

// The window with recording stand-ins, driven as a clerk would: typing into
// the fields and clicking the buttons.
struct Window {
    RecordingMessageBox messages;
    RecordingLinePrinter printer;
    frmCalculator window{messages, printer};

    void type(const char* field, const QString& text)
    {
        auto* edit = window.findChild<QLineEdit*>(QLatin1String(field));
        QVERIFY2(edit, field);
        QTest::keyClicks(edit, text);
    }

    void click(const char* button)
    {
        auto* push = window.findChild<QPushButton*>(QLatin1String(button));
        QVERIFY2(push, button);
        QTest::mouseClick(push, Qt::LeftButton);
    }
};

} // namespace

class TestPrintCommand : public QObject {
    Q_OBJECT

private slots:
    void printsWhatTheWindowShows_data();
    void printsWhatTheWindowShows();
    void printingTwicePrintsTwoEqualDocuments();
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

void TestPrintCommand::printsWhatTheWindowShows_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("typed"); // butter, cheese, powder
    QTest::addColumn<QStringList>("buttons"); // clicked before Print
    QTest::addColumn<QStringList>("ends"); // what follows each line's literal

    const QLocale enUs(QLocale::English, QLocale::UnitedStates);
    const QStringList nothing(3, QString());
    const QStringList workedExample{"1.4", "1.7", "1.2"};

    QTest::newRow("right after start-up: the literals alone")
        << enUs << nothing << QStringList{} << QStringList(9, QString());

    QTest::newRow("after a calculation: inputs as typed, prices as shown")
        << enUs << workedExample << QStringList{"cmdCalculate"}
        << QStringList{"1.4", "1.7", "1.2", "$1.4557", "$1.0302", "$14.0578", "$1.4557", "$1.1590", "$15.1779"};

    QTest::newRow("after Clear: the literals alone")
        << enUs << workedExample << QStringList{"cmdCalculate", "cmdClear"} << QStringList(9, QString());

    QTest::newRow("butter typed as $1.40 prints as $$1.40")
        << enUs << QStringList{"$1.40", "1.7", "1.2"} << QStringList{}
        << QStringList{"$1.40", "1.7", "1.2", "", "", "", "", "", ""};

    const QString nbsp(QChar(0x00A0));
    QTest::newRow("de_DE: class lines in euro, input lines keep the dollar sign")
        << QLocale(QLocale::German, QLocale::Germany) << QStringList{"1,4", "1,7", "1,2"}
        << QStringList{"cmdCalculate"}
        << QStringList{"1,4", "1,7", "1,2",
                       "1,4557" + nbsp + "€", "1,0302" + nbsp + "€", "14,0578" + nbsp + "€",
                       "1,4557" + nbsp + "€", "1,1590" + nbsp + "€", "15,1779" + nbsp + "€"};
}

void TestPrintCommand::printsWhatTheWindowShows()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, ends);

    // State: the window after the clerk's typing and clicks.
    QLocale::setDefault(locale);
    Window w;
    w.type("txtCMEButter", typed[0]);
    w.type("txtCMECheese", typed[1]);
    w.type("txtAveragePowder", typed[2]);
    for (const QString& button : buttons)
        w.click(qPrintable(button));
    w.printer.calls.clear();

    // Action: Print.
    w.click("cmdPrint");

    // Expected: one document with the report's lines, and no message.
    QCOMPARE(w.printer.calls, ExpectedCalls(ends));
    QVERIFY(w.messages.shown.isEmpty());
}

void TestPrintCommand::printingTwicePrintsTwoEqualDocuments()
{
    Window w;
    w.type("txtCMEButter", "1.4");
    w.type("txtCMECheese", "1.7");
    w.type("txtAveragePowder", "1.2");
    w.click("cmdCalculate");
    w.printer.calls.clear();

    w.click("cmdPrint");
    const QStringList first = w.printer.calls;
    w.printer.calls.clear();
    w.click("cmdPrint");

    QCOMPARE(first.count(QStringLiteral("end")), 1);
    QCOMPARE(w.printer.calls, first);
}

QTEST_MAIN(TestPrintCommand)
#include "tst_print_command.moc"
