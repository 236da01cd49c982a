#include <QTest>
#include <QTimer>

#include "tests/support/calculator_fixture.h"

namespace {
// exec()'s result when the program had not ended by itself.
constexpr int kDidNotEnd = 99;
} // namespace

class TestProgramEnd : public QObject {
    Q_OBJECT

private slots:
    void init();
    void endsWithStatusZero_data();
    void endsWithStatusZero();
};

void TestProgramEnd::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestProgramEnd::endsWithStatusZero_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Exit clicked") << "click";
    QTest::newRow("Alt+X") << "alt+x";
    QTest::newRow("Enter on the focused Exit") << "enter";
    QTest::newRow("window closed through its frame") << "frame";
    QTest::newRow("Alt+X while a print is under way") << "alt+x printing";
}

void TestProgramEnd::endsWithStatusZero()
{
    QFETCH(QString, how);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.setInputs("1.4", "1.7", "1.2");

    // Action, once the program's event loop runs as it does in main().
    QTimer::singleShot(0, &f.window, [&] {
        if (how == "click") {
            f.click("cmdExit");
        } else if (how == "alt+x") {
            f.press(Qt::Key_X, Qt::AltModifier);
        } else if (how == "alt+x printing") {
            f.printer.hold = true;
            f.click("cmdPrint");
            f.press(Qt::Key_X, Qt::AltModifier);
        } else if (how == "enter") {
            f.button("cmdExit")->setFocus();
            f.press(Qt::Key_Return);
        } else {
            // What the platform does when the user closes the window.
            f.window.windowHandle()->close();
        }
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(kDidNotEnd); });
    watchdog.start(20000);

    const int status = QApplication::exec();

    QVERIFY2(status != kDidNotEnd, "the program did not end");
    QCOMPARE(status, 0);
    QVERIFY(!f.window.isVisible());
    QVERIFY(f.messages.shown.isEmpty());
    // A print under way is cancelled on the way out, so that its job is withdrawn.
    QCOMPARE(f.printer.calls.contains(QStringLiteral("cancel")), how == "alt+x printing");
}

QTEST_MAIN(TestProgramEnd)
#include "tst_program_end.moc"
