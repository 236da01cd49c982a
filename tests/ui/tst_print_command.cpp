#include <QTest>

#include "tests/support/calculator_fixture.h"
#include "tests/support/expected_report.h"

using End = torvel::PrintOutcome::End;

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
    void printUnderWayIsNotStartedAgain();
    void printUnderWayIsCancelled_data();
    void printUnderWayIsCancelled();
};

namespace {

// The progress window, if one is shown.
QWidget* ShownProgress()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("printProgress") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

} // namespace

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
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("a failure, with its reason")
        << int(End::Failed) << "No default printer is set up."
        << QStringList{"The report could not be printed. No default printer is set up."};
    const QString paused = QStringLiteral("The report waits in the queue of the printer \"pdf\", which is paused. "
                                          "It prints when the printer is resumed.");
    QTest::newRow("printed but held by a paused printer: the note alone") << int(End::Printed) << paused
                                                                            << QStringList{paused};
    const QString unconfirmed = QStringLiteral("The report was sent to the printer \"pdf\", but the printing "
                                               "service did not confirm it. Check the printer before printing again.");
    QTest::newRow("sent but not confirmed: not a failure") << int(End::Printed) << unconfirmed
                                                            << QStringList{unconfirmed};
    QTest::newRow("printed: nothing to say") << int(End::Printed) << QString() << QStringList{};
    QTest::newRow("cancelled: nothing to say") << int(End::Cancelled) << QString() << QStringList{};
}

void TestPrintCommand::outcomeIsTold()
{
    QFETCH(int, end);
    QFETCH(QString, message);
    QFETCH(QStringList, shown);

    // State: the worked example in the window, a printer that takes its time.
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    const QStringList results = f.results();
    f.printer.hold = true;

    // Action: Print, and the print ends some time later.
    f.click("cmdPrint");
    QVERIFY(f.printer.pending);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    QVERIFY(f.messages.shown.isEmpty());
    f.printer.finish({End(end), message});

    // Expected: at most one message, the busy cursor gone, and the window as it was.
    QCOMPARE(f.messages.shown, shown);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(f.results(), results);
}

void TestPrintCommand::printUnderWayIsNotStartedAgain()
{
    // State: a print under way.
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    f.printer.hold = true;
    f.click("cmdPrint");

    // Action: Print again, by mouse and by access key.
    f.click("cmdPrint");
    f.press(Qt::Key_P, Qt::AltModifier);
    QTest::qWait(200); // an access-key press clicks only after its animation

    // Expected: still the one document; once it ends, Print prints again.
    QCOMPARE(f.printer.calls.count(QStringLiteral("end")), 1);
    f.printer.finish({});
    f.click("cmdPrint");
    QCOMPARE(f.printer.calls.count(QStringLiteral("end")), 2);
}

void TestPrintCommand::printUnderWayIsCancelled_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Escape in the window, before a second has passed") << "escape";
    QTest::newRow("Cancel in the progress window") << "cancel button";
    QTest::newRow("Escape in the progress window") << "progress escape";
}

void TestPrintCommand::printUnderWayIsCancelled()
{
    QFETCH(QString, how);

    // State: a print under way; the progress window comes after a second.
    CalculatorFixture f;
    QVERIFY(f.open());
    f.printer.hold = true;
    f.click("cmdPrint");
    if (how == "escape") {
        // Action: Escape, while the window is the only one.
        f.press(Qt::Key_Escape);
    } else {
        QTest::qWait(600);
        QCOMPARE(ShownProgress(), nullptr); // not for a print that ends at once
        QTRY_VERIFY_WITH_TIMEOUT(ShownProgress(), 2000);
        QWidget* progress = ShownProgress();
        QCOMPARE(progress->windowTitle(), QStringLiteral("Torvel Calculator"));
        QVERIFY(!progress->isModal());
        QVERIFY(progress->findChild<QLabel*>());
        QCOMPARE(progress->findChild<QLabel*>()->text(), QStringLiteral("Printing the report…"));
        auto* cancel = progress->findChild<QPushButton*>(QStringLiteral("printCancel"));
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));

        // Action: the clerk cancels it there.
        if (how == "cancel button") {
            QTest::mouseClick(cancel, Qt::LeftButton);
        } else {
            progress->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(progress));
            QTest::keyClick(progress, Qt::Key_Escape);
        }
    }

    // Expected: the printer is told to cancel; once it has, no message and
    // no progress window are left.
    QCOMPARE(f.printer.calls.last(), QStringLiteral("cancel"));
    f.printer.finish({End::Cancelled, {}});
    QCOMPARE(ShownProgress(), nullptr);
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestPrintCommand)
#include "tst_print_command.moc"
