#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleTextInterface>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <optional>

#include "tests/support/calculator_fixture.h"

// What a screen reader can read from the calculator window: it sees the
// window only through QAccessible, so every control the keyboard reaches and
// every result must say what it is, and the results must say what they show.
class tst_Accessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyFocusableControlIsNamedAndDescribed();
    void buttonAnnouncesItsCaptionAndAccessKey_data();
    void buttonAnnouncesItsCaptionAndAccessKey();
    void textBoxReadsWhatWasTyped_data();
    void textBoxReadsWhatWasTyped();
    void resultLabelReadsItsCurrentCaption_data();
    void resultLabelReadsItsCurrentCaption();
    void clearedResultLabelReadsNoStaleCaption();

private:
    QWidget* control(const QString& name) const { return m_f->control(qPrintable(name)); }

    std::optional<CalculatorFixture> m_f; // a new window for each test
};

namespace {

// Every accessible text a reader may speak for an object: its name, its
// value, its description and, where it has one, its text content.
QString everythingSpoken(QAccessibleInterface* iface)
{
    QStringList parts{iface->text(QAccessible::Name), iface->text(QAccessible::Value),
                      iface->text(QAccessible::Description)};
    if (QAccessibleTextInterface* text = iface->textInterface())
        parts << text->text(0, text->characterCount());
    return parts.join(QLatin1Char('\n'));
}

QStringList focusableControls(QWidget* window)
{
    QStringList names;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isVisibleTo(window) && (child->focusPolicy() & Qt::TabFocus))
            names << child->objectName();
    }
    return names;
}

} // namespace

void tst_Accessibility::initTestCase()
{
    // Results are shown in the user's regional settings; pin them.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void tst_Accessibility::init()
{
    m_f.emplace();
    QVERIFY(m_f->open());
}

void tst_Accessibility::cleanup()
{
    m_f.reset();
}

void tst_Accessibility::everyFocusableControlIsNamedAndDescribed()
{
    const QStringList names = focusableControls(&m_f->window);
    // The three inputs and four buttons; a control added later is held to the
    // same rule without changing this test.
    QCOMPARE(names.size(), 7);
    for (const QString& name : names) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control(name));
        QVERIFY2(iface && iface->isValid(), qPrintable(name));
        QVERIFY2(iface->state().focusable, qPrintable(name));
        const QString spokenName = iface->text(QAccessible::Name);
        const QString description = iface->text(QAccessible::Description);
        QVERIFY2(!spokenName.trimmed().isEmpty(), qPrintable(name + QStringLiteral(" has no accessible name")));
        QVERIFY2(!spokenName.contains(QLatin1Char('&')), qPrintable(name + QStringLiteral(" speaks its access-key markup: ") + spokenName));
        QVERIFY2(!description.trimmed().isEmpty(), qPrintable(name + QStringLiteral(" has no accessible description")));
        QVERIFY2(description != spokenName, qPrintable(name + QStringLiteral(" describes itself only by its name")));
    }
}

void tst_Accessibility::buttonAnnouncesItsCaptionAndAccessKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accessKey");
    QTest::newRow("Calculate, Alt+C") << "cmdCalculate" << "Calculate" << "Alt+C";
    QTest::newRow("Clear, Alt+L") << "cmdClear" << "Clear" << "Alt+L";
    QTest::newRow("Print, Alt+P") << "cmdPrint" << "Print" << "Alt+P";
    QTest::newRow("Exit, Alt+X") << "cmdExit" << "Exit" << "Alt+X";
}

void tst_Accessibility::buttonAnnouncesItsCaptionAndAccessKey()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, accessKey);

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control(button));
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Button);
    // A reader names the button as a sighted user reads it.
    QVERIFY2(iface->text(QAccessible::Name).contains(caption, Qt::CaseInsensitive),
             qPrintable(iface->text(QAccessible::Name)));

    QAccessibleActionInterface* actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    const QStringList keys = actions->keyBindingsForAction(QAccessibleActionInterface::pressAction());
    QVERIFY2(keys.contains(accessKey), qPrintable(keys.join(QStringLiteral(", "))));
}

void tst_Accessibility::textBoxReadsWhatWasTyped_data()
{
    QTest::addColumn<QString>("textBox");
    QTest::addColumn<QString>("typed");
    QTest::newRow("butter price") << "txtCMEButter" << "1.4";
    QTest::newRow("cheese price") << "txtCMECheese" << "1.7";
    QTest::newRow("powder price typed with its own dollar sign") << "txtAveragePowder" << "$1.2";
}

void tst_Accessibility::textBoxReadsWhatWasTyped()
{
    QFETCH(QString, textBox);
    QFETCH(QString, typed);

    auto* edit = qobject_cast<QLineEdit*>(control(textBox));
    QVERIFY(edit);
    QTest::keyClicks(edit, typed);

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(edit);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::EditableText);
    QVERIFY(!iface->state().readOnly);
    QCOMPARE(iface->text(QAccessible::Value), typed);
    QAccessibleTextInterface* text = iface->textInterface();
    QVERIFY(text);
    QCOMPARE(text->text(0, text->characterCount()), typed);
}

void tst_Accessibility::resultLabelReadsItsCurrentCaption_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    // The worked example: butter 1.4, cheese 1.7, powder 1.2.
    QTest::newRow("Class 4A FAT") << "lbl4AFAT" << "4A FAT" << "$1.4557";
    QTest::newRow("Class 4A SNF") << "lbl4ASNF" << "4A SNF" << "$1.0302";
    QTest::newRow("Class 4A cwt") << "lbl4ACount" << "4A cwt" << "$14.0578";
    QTest::newRow("Class 4B FAT") << "lbl4BFAT" << "4B FAT" << "$1.4557";
    QTest::newRow("Class 4B SNF") << "lbl4BSNF" << "4B SNF" << "$1.1590";
    QTest::newRow("Class 4B cwt") << "lbl4BCount" << "4B cwt" << "$15.1779";
}

void tst_Accessibility::resultLabelReadsItsCurrentCaption()
{
    QFETCH(QString, label);
    QFETCH(QString, kind);
    QFETCH(QString, caption);

    m_f->calculateWorkedExample();
    QCOMPARE(m_f->messages.shown, QStringList());

    auto* result = qobject_cast<QLabel*>(control(label));
    QVERIFY(result);
    QCOMPARE(result->text(), caption);

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(result);
    QVERIFY(iface);
    QVERIFY2(!iface->state().invisible, "a reader skips invisible objects");
    // Which price it is, and the price itself, are both within reach.
    const QString spoken = everythingSpoken(iface);
    QVERIFY2(spoken.contains(kind, Qt::CaseInsensitive), qPrintable(spoken));
    QVERIFY2(spoken.contains(caption), qPrintable(spoken));
}

void tst_Accessibility::clearedResultLabelReadsNoStaleCaption()
{
    m_f->calculateWorkedExample();
    m_f->click("cmdClear");

    for (const char* name : {"lbl4AFAT", "lbl4ASNF", "lbl4ACount", "lbl4BFAT", "lbl4BSNF", "lbl4BCount"}) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control(QLatin1String(name)));
        QVERIFY(iface);
        const QString spoken = everythingSpoken(iface);
        QVERIFY2(!spoken.contains(QLatin1Char('$')), qPrintable(QLatin1String(name) + QStringLiteral(": ") + spoken));
    }
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
