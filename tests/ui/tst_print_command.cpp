#include <QTest>

#include "tests/support/calculator_fixture.h"
#include "tests/support/expected_report.h"

// The window's Print: what the report says after the clerk's typing and
// clicks, and what the clerk is told when it cannot be printed. The report's
// own lines are tested in tests/report.
class TestPrintCommand : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void printsWhatTheWindowShows_data();
    void printsWhatTheWindowShows();
    void printingTwicePrintsTwoEqualDocuments();
    void outcomeIsTold_data();
    void outcomeIsTold();
};

void TestPrintCommand::printsWhatTheWindowShows_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("typed"); // butter, cheese, powder, key by key
    QTest::addColumn<QStringList>("buttons"); // clicked before Print
    QTest::addColumn<QStringList>("edited"); // the three fields set after the clicks; empty: left alone
    QTest::addColumn<QStringList>("ends"); // what follows each report line's literal

    const QLocale enUs(QLocale::English, QLocale::UnitedStates);
    const QStringList nothing(3, QString());
    const QStringList workedExample{"1.4", "1.7", "1.2"};
    const QStringList workedPrices = workedExampleResults();

    QTest::newRow("right after start-up: the literals alone")
        << enUs << nothing << QStringList{} << QStringList{} << QStringList(9, QString());
    QTest::newRow("after a calculation: inputs as typed, prices as shown")
        << enUs << workedExample << QStringList{"cmdCalculate"} << QStringList{} << workedExample + workedPrices;
    QTest::newRow("after Clear: the literals alone")
        << enUs << workedExample << QStringList{"cmdCalculate", "cmdClear"} << QStringList{}
        << QStringList(9, QString());
    QTest::newRow("butter typed as $1.40 prints as $$1.40")
        << enUs << QStringList{"$1.40", "1.7", "1.2"} << QStringList{} << QStringList{}
        << QStringList{"$1.40", "1.7", "1.2", "", "", "", "", "", ""};
    QTest::newRow("inputs edited after a calculation print as they stand, beside its prices")
        << enUs << workedExample << QStringList{"cmdCalculate"} << QStringList{" $1.40", "1.7", "1.2"}
        << QStringList{" $1.40", "1.7", "1.2"} + workedPrices;
    const QStringList germanExample{"1,4", "1,7", "1,2"};
    QTest::newRow("de_DE: class lines in euro, input lines keep the dollar sign")
        << QLocale(QLocale::German, QLocale::Germany) << germanExample << QStringList{"cmdCalculate"}
        << QStringList{} << germanExample + germanWorkedExampleResults();
}

void TestPrintCommand::printsWhatTheWindowShows()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, edited);
    QFETCH(QStringList, ends);

    // State: the window after the clerk's typing and clicks.
    QLocale::setDefault(locale);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.typeInputs(typed);
    for (const QString& button : buttons)
        f.click(qPrintable(button));
    if (!edited.isEmpty())
        f.setInputs(edited[0], edited[1], edited[2]);
    const QStringList inputs = f.inputs();
    const QStringList results = f.results();

    // Action: Print.
    f.click("cmdPrint");

    // Expected: one document with the report's lines, no message, and the
    // window as it was.
    QCOMPARE(f.printer.calls, ExpectedCalls(ends));
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(f.inputs(), inputs);
    QCOMPARE(f.results(), results);
}

void TestPrintCommand::printingTwicePrintsTwoEqualDocuments()
{
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();

    f.click("cmdPrint");
    const QStringList first = f.printer.calls;
    f.printer.calls.clear();
    f.click("cmdPrint");

    QCOMPARE(first.count(QStringLiteral("end")), 1);
    QCOMPARE(f.printer.calls, first);
}

void TestPrintCommand::outcomeIsTold_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("a failure, with its reason")
        << "No default printer is set up." << QString()
        << QStringList{"The report could not be printed. No default printer is set up."};
    const QString paused = QStringLiteral("The report waits in the queue of the printer \"pdf\", which is paused. "
                                          "It prints when the printer is resumed.");
    QTest::newRow("printed but held by a paused printer: the note alone") << QString() << paused << QStringList{paused};
}

void TestPrintCommand::outcomeIsTold()
{
    QFETCH(QString, failure);
    QFETCH(QString, note);
    QFETCH(QStringList, shown);

    // State: the worked example in the window, a printer that ends as asked.
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    const QStringList results = f.results();
    f.printer.failure = failure;
    f.printer.note = note;

    // Action: Print.
    f.click("cmdPrint");

    // Expected: one message, and the window as it was.
    QCOMPARE(f.messages.shown, shown);
    QCOMPARE(f.results(), results);
}

QTEST_MAIN(TestPrintCommand)
#include "tst_print_command.moc"
