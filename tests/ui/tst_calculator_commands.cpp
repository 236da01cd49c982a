#include <QAccessible>
#include <QAccessibleBridge>
#include <QOperatingSystemVersion>
#include <QScopeGuard>
#include <QTest>
#include <QtPlugin>

#include "tests/support/calculator_fixture.h"
#include "tests/ui/screen_reader_client.h"

// What a screen reader may speak of the spoken notice: the notice starting
// to show, with the name it has then, and every value change whose value is
// a text, which Qt's Windows plugin raises as a UI Automation notification.
// Qt hands each accessibility event to an installed update handler while a
// screen reader listens, as on Windows once one has asked for the window;
// otherwise the offscreen platform hands it to its bridge plugins.
class SpokenRecorder final : public QAccessibleBridge {
public:
    static QStringList& heard()
    {
        static QStringList events;
        return events;
    }

    static void record(QAccessibleEvent* event)
    {
        QAccessibleInterface* sender = event->accessibleInterface();
        const QString name = sender && sender->isValid() ? sender->object()->objectName() : "(no sender)";
        if (event->type() == QAccessible::ObjectShow && name == "spokenNotice")
            heard() << "shown: " + sender->text(QAccessible::Name);
        if (event->type() != QAccessible::ValueChanged)
            return;
        const QVariant value = static_cast<QAccessibleValueChangeEvent*>(event)->value();
        if (value.typeId() == QMetaType::QString)
            heard() << name + " value: " + value.toString();
    }

    // The one the plugin made, while it lives.
    static SpokenRecorder*& live()
    {
        static SpokenRecorder* recorder = nullptr;
        return recorder;
    }

    ~SpokenRecorder() override
    {
        if (live() == this)
            live() = nullptr;
    }

    void setRootObject(QAccessibleInterface*) override {}
    void notifyAccessibilityUpdate(QAccessibleEvent* event) override { record(event); }
};

// Qt 6.4 deletes its bridges when the application ends; Qt 6.8 keeps them to
// the end, so the recorder it kept is deleted once main has returned.
const struct SpokenRecorderEnd {
    ~SpokenRecorderEnd() { delete SpokenRecorder::live(); }
} spokenRecorderEnd;

// Built into this test (QT_STATICPLUGIN), with the key Qt's loader asks for.
class SpokenRecorderPlugin final : public QAccessibleBridgePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QAccessibleBridgeFactoryInterface" FILE "spoken_recorder.json")

public:
    QAccessibleBridge* create(const QString&) override { return SpokenRecorder::live() = new SpokenRecorder; }
};
Q_IMPORT_PLUGIN(SpokenRecorderPlugin)

namespace {
const QString kPleaseInput = QStringLiteral("Please input all commodities.");
const QString kOutOfRange = QStringLiteral("The prices could not be calculated because a result is out of range.");
} // namespace

class TestCalculatorCommands : public QObject {
    Q_OBJECT

private slots:
    void init();

    void enterWalksToCalculateWithoutCalculating_data();
    void enterWalksToCalculateWithoutCalculating();
    void enterOnCalculateCalculates();
    void calculateShowsSixPrices_data();
    void calculateShowsSixPrices();
    void invalidInputChangesNothing_data();
    void invalidInputChangesNothing();
    void arithmeticFaultChangesNothing_data();
    void arithmeticFaultChangesNothing();
    void clearFromAnyFocus_data();
    void clearFromAnyFocus();
    void keysPressFocusedButton_data();
    void keysPressFocusedButton();
    void accessKeyPressesButtonFromAnywhere_data();
    void accessKeyPressesButtonFromAnywhere();
    void escapeDoesNothing();
    void eachSentenceIsSpokenOnce_data();
    void eachSentenceIsSpokenOnce();
};

void TestCalculatorCommands::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestCalculatorCommands::enterWalksToCalculateWithoutCalculating_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    QTest::newRow("Return") << Qt::Key_Return << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("keypad Enter") << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier);
    QTest::newRow("Shift+Return") << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("Ctrl+Return") << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("Alt+keypad Enter") << Qt::Key_Enter << (Qt::AltModifier | Qt::KeypadModifier);
}

void TestCalculatorCommands::enterWalksToCalculateWithoutCalculating()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    CalculatorFixture f;
    QVERIFY(f.open());

    // State: focus on the butter field. Action: type each price and Enter.
    QCOMPARE(f.focusName(), QStringLiteral("txtCMEButter"));
    f.type(QStringLiteral("1.4"));
    f.press(key, modifiers);
    QCOMPARE(f.focusName(), QStringLiteral("txtCMECheese"));
    f.type(QStringLiteral("1.7"));
    f.press(key, modifiers);
    QCOMPARE(f.focusName(), QStringLiteral("txtAveragePowder"));
    f.type(QStringLiteral("1.2"));
    f.press(key, modifiers);

    // Expected: the prices stand as typed, the focus is on Calculate, and
    // nothing was calculated yet.
    QCOMPARE(f.focusName(), QStringLiteral("cmdCalculate"));
    QCOMPARE(f.inputs(), QStringList({"1.4", "1.7", "1.2"}));
    QCOMPARE(f.results(), QStringList(6, QString()));
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCalculatorCommands::enterOnCalculateCalculates()
{
    CalculatorFixture f;
    QVERIFY(f.open());
    for (const char* price : {"1.4", "1.7", "1.2"}) {
        f.type(QLatin1String(price));
        f.press(Qt::Key_Return);
    }

    f.press(Qt::Key_Return);

    QCOMPARE(f.results(), workedExampleResults());
    QCOMPARE(f.focusName(), QStringLiteral("cmdCalculate"));
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCalculatorCommands::calculateShowsSixPrices_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("expected");

    const QLocale enUs(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("worked example, US English")
        << enUs << QStringList{"1.4", "1.7", "1.2"} << workedExampleResults();
    // US English writes negative amounts in parentheses.
    QTest::newRow("all zero gives six negative amounts")
        << enUs << QStringList{"0", "0", "0"}
        << QStringList{"($0.2243)", "($0.1698)", "($2.2622)", "($0.2243)", "($0.1443)", "($2.0402)"};
    // The window reads and writes in the user's regional settings, not in
    // a fixed US form: the decimal comma is read and the euro shown.
    QTest::newRow("worked example, German")
        << QLocale(QLocale::German, QLocale::Germany) << QStringList{"1,4", "1,7", "1,2"}
        << germanWorkedExampleResults();
    // No locale chosen by the program: prices are read in the numeric setting
    // and shown in the money setting.
    QTest::newRow("US numbers, German money (LC_MONETARY=de_DE)")
        << QLocale::system() << QStringList{"1.4", "1.7", "1.2"} << germanWorkedExampleResults();
}

void TestCalculatorCommands::calculateShowsSixPrices()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, expected);
    if (locale == QLocale::system() && QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        QSKIP("Windows takes the money setting from the Region settings, not the environment");
    QLocale::setDefault(locale);
    // A money setting apart from LANG (en_US under CTest), which a locale the
    // program chose must override.
    const QByteArray lcMonetary = qgetenv("LC_MONETARY");
    qputenv("LC_MONETARY", "de_DE.UTF-8");
    const auto restore = qScopeGuard([&] { qputenv("LC_MONETARY", lcMonetary); });
    CalculatorFixture f;
    QVERIFY(f.open());
    f.setInputs(typed[0], typed[1], typed[2]);

    f.click("cmdCalculate");

    QCOMPARE(f.results(), expected);
    QCOMPARE(f.inputs(), typed);
    QCOMPARE(f.focusName(), QStringLiteral("cmdCalculate"));
    QVERIFY(f.messages.shown.isEmpty());
    // What a screen reader speaks: each price as shown, after its caption.
    const QWidget* notice = f.control("spokenNotice");
    QVERIFY(notice);
    QCOMPARE(notice->accessibleName(),
             QStringLiteral("Class 4A: FAT %1, SNF %2, cwt %3. Class 4B: FAT %4, SNF %5, cwt %6.")
                 .arg(expected[0], expected[1], expected[2], expected[3], expected[4], expected[5]));
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->size(), QSize(0, 0));
}

void TestCalculatorCommands::invalidInputChangesNothing_data()
{
    QTest::addColumn<bool>("afterGoodRun");
    QTest::addColumn<QStringList>("inputs");

    QTest::newRow("all three empty") << false << QStringList{"", "", ""};
    QTest::newRow("powder empty, two filled") << false << QStringList{"1.4", "1.7", ""};
    QTest::newRow("butter empty, two filled") << false << QStringList{"", "1.7", "1.2"};
    QTest::newRow("cheese not a number") << false << QStringList{"1.4", "xyz", "1.2"};
    QTest::newRow("powder spaces only") << false << QStringList{"1.4", "1.7", "   "};
    QTest::newRow("butter beyond binary64") << false << QStringList{"1E400", "1.7", "1.2"};
    QTest::newRow("cheese emptied after a good run") << true << QStringList{"1.4", "", "1.2"};
    QTest::newRow("powder garbled after a good run") << true << QStringList{"1.4", "1.7", "1.2x"};
}

void TestCalculatorCommands::invalidInputChangesNothing()
{
    QFETCH(bool, afterGoodRun);
    QFETCH(QStringList, inputs);
    CalculatorFixture f;
    QVERIFY(f.open());
    if (afterGoodRun) {
        f.calculateWorkedExample();
        QCOMPARE(f.results(), workedExampleResults());
    }
    const QStringList resultsBefore = f.results();
    f.setInputs(inputs[0], inputs[1], inputs[2]);
    f.button("cmdCalculate")->setFocus();

    f.press(Qt::Key_Space);

    QCOMPARE(f.messages.shown, QStringList{kPleaseInput});
    QCOMPARE(f.inputs(), inputs);
    QCOMPARE(f.results(), resultsBefore);
    QCOMPARE(f.focusName(), QStringLiteral("cmdCalculate"));
}

void TestCalculatorCommands::arithmeticFaultChangesNothing_data()
{
    QTest::addColumn<QStringList>("inputs");

    QTest::newRow("cheese 1E+38 overflows the single-precision 4B base")
        << QStringList{"1.4", "1E+38", "1.2"};
    QTest::newRow("butter 1E+308 overflows the 4A cwt") << QStringList{"1E+308", "1.7", "1.2"};
}

void TestCalculatorCommands::arithmeticFaultChangesNothing()
{
    QFETCH(QStringList, inputs);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    QCOMPARE(f.results(), workedExampleResults());

    f.setInputs(inputs[0], inputs[1], inputs[2]);
    f.click("cmdCalculate");

    QCOMPARE(f.messages.shown, QStringList{kOutOfRange});
    QCOMPARE(f.results(), workedExampleResults());
    QCOMPARE(f.inputs(), inputs);

    // The program goes on: the next good calculation shows its prices.
    f.setInputs("0", "0", "0");
    f.click("cmdCalculate");
    QCOMPARE(f.label("lbl4ASNF")->text(), QStringLiteral("($0.1698)"));
}

void TestCalculatorCommands::clearFromAnyFocus_data()
{
    QTest::addColumn<QString>("focus");

    for (const QString& name : kTabOrder)
        QTest::newRow(qPrintable(name)) << name;
}

void TestCalculatorCommands::clearFromAnyFocus()
{
    QFETCH(QString, focus);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    QCOMPARE(f.results(), workedExampleResults());
    f.control(focus.toLatin1())->setFocus();
    QCOMPARE(f.focusName(), focus);

    f.press(Qt::Key_L, Qt::AltModifier);

    QTRY_COMPARE(f.inputs(), QStringList(3, QString()));
    QTRY_COMPARE(f.results(), QStringList(6, QString()));
    QTRY_COMPARE(f.focusName(), QStringLiteral("txtCMEButter"));
    QVERIFY(f.window.isVisible());
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCalculatorCommands::keysPressFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* name;
    } keys[] = {{Qt::Key_Return, Qt::NoModifier, "Return"},
                {Qt::Key_Enter, Qt::KeypadModifier, "keypad Enter"},
                {Qt::Key_Space, Qt::NoModifier, "Space"}};
    for (const char* button : {"cmdCalculate", "cmdClear", "cmdPrint", "cmdExit"})
        for (const auto& k : keys)
            QTest::addRow("%s on %s", k.name, button) << QString::fromLatin1(button) << k.key << k.modifiers;
}

void TestCalculatorCommands::keysPressFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.setInputs("1.4", "1.7", "1.2");
    f.button(button.toLatin1())->setFocus();

    f.press(key, modifiers);

    // Each button's own effect, and no other button's.
    const bool calculated = f.results() == workedExampleResults();
    const bool cleared = f.inputs() == QStringList(3, QString());
    const bool printed = f.printer.calls.contains("end");
    const bool closed = !f.window.isVisible();
    QCOMPARE(calculated, button == "cmdCalculate");
    QCOMPARE(cleared, button == "cmdClear");
    QCOMPARE(printed, button == "cmdPrint");
    QCOMPARE(closed, button == "cmdExit");
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCalculatorCommands::accessKeyPressesButtonFromAnywhere_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Alt+C calculates") << Qt::Key_C << "cmdCalculate" << "calculated";
    QTest::newRow("Alt+L clears") << Qt::Key_L << "txtCMEButter" << "cleared";
    QTest::newRow("Alt+P prints") << Qt::Key_P << "cmdPrint" << "printed";
    QTest::newRow("Alt+X closes") << Qt::Key_X << "" << "closed";
}

void TestCalculatorCommands::accessKeyPressesButtonFromAnywhere()
{
    QFETCH(Qt::Key, key);
    QFETCH(QString, focusAfter);
    QFETCH(QString, effect);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.setInputs("1.4", "1.7", "1.2");
    f.text("txtCMECheese")->setFocus();

    f.press(key, Qt::AltModifier);

    if (effect == "calculated")
        QTRY_COMPARE(f.results(), workedExampleResults());
    else if (effect == "cleared")
        QTRY_COMPARE(f.inputs(), QStringList(3, QString()));
    else if (effect == "printed")
        QTRY_VERIFY(f.printer.calls.contains("end"));
    else
        QTRY_VERIFY(!f.window.isVisible());
    if (!focusAfter.isEmpty())
        QCOMPARE(f.focusName(), focusAfter);
    // The letters are access keys, not text for the focused field.
    QVERIFY(effect == "cleared" || f.text("txtCMECheese")->text() == "1.7");
}

void TestCalculatorCommands::escapeDoesNothing()
{
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    QCOMPARE(f.results(), workedExampleResults());

    for (const QString& name : kTabOrder) {
        f.control(qPrintable(name))->setFocus();
        f.press(Qt::Key_Escape);
        QCOMPARE(f.focusName(), name);
    }
    QTest::qWait(200); // an access-key press would click only after its animation

    QVERIFY(f.window.isVisible());
    QCOMPARE(f.inputs(), QStringList({"1.4", "1.7", "1.2"}));
    QCOMPARE(f.results(), workedExampleResults());
    QVERIFY(f.printer.calls.isEmpty());
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCalculatorCommands::eachSentenceIsSpokenOnce_data()
{
    QTest::addColumn<bool>("calculatedBefore");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QKeyCombination>("keys");
    QTest::addColumn<QString>("sentence");

    const QString prices =
        "Class 4A: FAT $1.4557, SNF $1.0302, cwt $14.0578. Class 4B: FAT $1.4557, SNF $1.1590, cwt $15.1779.";
    const QKeyCombination none;
    QTest::newRow("Calculate clicked") << false << "txtAveragePowder" << "cmdCalculate" << none << prices;
    QTest::newRow("Alt+C in the powder field") << false << "txtAveragePowder" << "" << (Qt::ALT | Qt::Key_C) << prices;
    QTest::newRow("Enter on Calculate") << false << "cmdCalculate" << "" << QKeyCombination(Qt::Key_Return) << prices;
    QTest::newRow("Space on Calculate") << false << "cmdCalculate" << "" << QKeyCombination(Qt::Key_Space) << prices;
    QTest::newRow("Clear clicked") << true << "txtCMECheese" << "cmdClear" << none << "Prices cleared.";
    QTest::newRow("Ctrl+Shift+C copies the prices")
        << true << "txtCMECheese" << "" << (Qt::CTRL | Qt::SHIFT | Qt::Key_C) << "Prices copied.";
}

void TestCalculatorCommands::eachSentenceIsSpokenOnce()
{
    QFETCH(bool, calculatedBefore);
    QFETCH(QString, focus);
    QFETCH(QString, clicked);
    QFETCH(QKeyCombination, keys);
    QFETCH(QString, sentence);
    const auto previousHandler = QAccessible::installUpdateHandler(&SpokenRecorder::record);
    const auto restore = qScopeGuard([&] { QAccessible::installUpdateHandler(previousHandler); });
    CalculatorFixture f;
    QVERIFY(f.open());
    AskForAccessibleWindow(f.window);
    f.setInputs("1.4", "1.7", "1.2");
    if (calculatedBefore)
        f.click("cmdCalculate");
    f.control(qPrintable(focus))->setFocus();
    QTest::qWait(200); // on Windows the setup's own sentence goes out after its handler
    SpokenRecorder::heard().clear();

    if (clicked.isEmpty())
        f.press(keys.key(), keys.keyboardModifiers());
    else
        f.click(qPrintable(clicked));

    // Orca hears the notice as it shows; Narrator and NVDA only a UI
    // Automation notification, which Linux does not send. Nothing goes out
    // twice, even late.
    QStringList expected{"shown: " + sentence};
    if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        expected << "spokenNotice value: " + sentence;
    QTRY_COMPARE(SpokenRecorder::heard(), expected);
    QTest::qWait(200);
    QCOMPARE(SpokenRecorder::heard(), expected);
}

QTEST_MAIN(TestCalculatorCommands)
#include "tst_calculator_commands.moc"
