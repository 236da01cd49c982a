#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>
#include <QTextTable>
#include <QTimer>

#include "tests/support/calculator_fixture.h"
#include "ui/result_label.h"

namespace {

const QString kCopied = QStringLiteral("Prices copied.");
const QStringList kWorkedAmounts{"1.4557", "1.0302", "14.0578", "1.4557", "1.1590", "15.1779"};

using Grid = QList<QStringList>;

// The table a clerk pastes: the inputs with their captions, an empty row, then
// the results under their headings.
Grid expectedCells(const QStringList& inputs, const QStringList& results)
{
    return {{"CME Butter Price", inputs[0]},
            {"CME Cheese Price", inputs[1]},
            {"OV Wt'd Avg. Powder Price", inputs[2]},
            {""},
            {"", "FAT", "SNF", "CWT"},
            {"Class 4A", results[0], results[1], results[2]},
            {"Class 4B", results[3], results[4], results[5]}};
}

Grid textCells(QString text)
{
    Grid rows;
    if (!text.endsWith(u'\n'))
        return {{"(no line break at the end)"}};
    text.chop(1);
    for (const QString& line : text.split(u'\n'))
        rows << line.split(u'\t');
    return rows;
}

// The HTML as a word processor reads it: Qt's own reader finds the table.
Grid htmlCells(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    const QList<QTextFrame*> frames = document.rootFrame()->childFrames();
    auto* table = frames.size() == 1 ? qobject_cast<QTextTable*>(frames.first()) : nullptr;
    if (!table)
        return {{"(no table)"}};
    Grid rows;
    for (int r = 0; r < table->rows(); ++r) {
        QStringList row;
        for (int c = 0; c < table->columns(); ++c)
            row << table->cellAt(r, c).firstCursorPosition().block().text().replace(QChar::Nbsp, u'\u00a0');
        // Qt pads short rows to the widest: trim the empty cells it added.
        while (row.size() > 1 && row.last().isEmpty())
            row.removeLast();
        rows << row;
    }
    return rows;
}

// What LibreOffice reads of each result cell: the value, and the format code
// that shows it (read in US English, shown in the reader's locale).
QStringList sdvals(const QString& html)
{
    QStringList values;
    static const QRegularExpression sdval(QStringLiteral("<td sdval=\"([^\"]*)\" sdnum=\"1033;0;([^\"]*)\">"));
    for (const QRegularExpressionMatch& m : sdval.globalMatch(html))
        values << m.captured(1) + QStringLiteral(" as ") + m.captured(2).replace(QStringLiteral("&quot;"), "\"");
    return values;
}

// Each amount with the format that shows it as the window does.
QStringList valued(const QStringList& amounts, const QString& format, const QString& negativeFormat = {})
{
    QStringList values;
    for (const QString& amount : amounts)
        values << amount + QStringLiteral(" as ") + (amount.startsWith(u'-') ? negativeFormat : format);
    return values;
}

QAction* copyPricesAction(const CalculatorFixture& f)
{
    for (QAction* action : f.window.actions()) {
        if (action->text() == QLatin1String("Copy &Prices"))
            return action;
    }
    return nullptr;
}

QStringList actionTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("--") : action->text());
    return texts;
}

// Right-clicks the widget through its window, as the mouse does, reads the
// menu's entries and whether each is enabled, and picks the entry given, if
// any. The menu runs a loop of its own, hence the timer.
QStringList contextMenu(QWidget* widget, const QString& pick = {})
{
    QStringList texts;
    QTimer::singleShot(0, [&texts, pick] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        texts = actionTexts(menu);
        QAction* picked = nullptr;
        for (QAction* action : menu->actions()) {
            texts << (action->isEnabled() ? "enabled" : "disabled");
            if (action->text() == pick)
                picked = action;
        }
        menu->close();
        if (picked)
            picked->trigger();
    });
    QWidget* window = widget->window();
    QWidget* focus = QApplication::focusWidget();
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, widget->mapTo(window, widget->rect().center()));
    if (!QTest::qWaitFor([&texts] { return !texts.isEmpty() && !QApplication::activePopupWidget(); }))
        texts << QStringLiteral("(no menu, or it stayed open)");
    // The offscreen platform leaves no window active when a popup closes,
    // where a desktop's window keeps the activation, and its focus.
    window->activateWindow();
    if (!QTest::qWaitFor([window, focus] { return window->isActiveWindow() && QApplication::focusWidget() == focus; }))
        texts << QStringLiteral("(the focus did not come back)");
    return texts;
}

// Drags the mouse across a result from one character boundary to another.
void dragAcross(torvel::ResultLabel* label, int from, int to)
{
    const auto boundary = [label](int offset) {
        if (offset < label->text().size())
            return label->glyphRect(offset).left();
        const QRect last = label->glyphRect(int(label->text().size()) - 1);
        return last.left() + last.width();
    };
    const int y = label->rect().center().y();
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(boundary(from), y));
    QTest::mouseMove(label, QPoint(boundary(to), y));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(boundary(to), y));
}

} // namespace

class TestCopyPrices : public QObject {
    Q_OBJECT

private slots:
    void init();

    void copyPricesPutsTheTableOnTheClipboard_data();
    void copyPricesPutsTheTableOnTheClipboard();
    void copyPricesWithNoResultsKeepsTheClipboard_data();
    void copyPricesWithNoResultsKeepsTheClipboard();
    void selectedResultCopiesItsText_data();
    void selectedResultCopiesItsText();
    void selectionGoesWithTheFocus_data();
    void selectionGoesWithTheFocus();
    void contextMenusOfferCopyPrices();
};

void TestCopyPrices::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication::clipboard()->clear();
}

void TestCopyPrices::copyPricesPutsTheTableOnTheClipboard_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("values");

    const QLocale enUs(QLocale::English, QLocale::UnitedStates);
    const QStringList workedExample{"1.4", "1.7", "1.2"};
    const QStringList dollars = valued(kWorkedAmounts, QStringLiteral("\"$\"0.0000"));
    QTest::newRow("worked example, US English")
        << enUs << workedExample << "cmdCalculate" << workedExampleResults() << dollars;
    QTest::newRow("worked example, German")
        << QLocale(QLocale::German, QLocale::Germany) << QStringList{"1,4", "1,7", "1,2"} << "cmdCalculate"
        << germanWorkedExampleResults() << valued(kWorkedAmounts, QStringLiteral("0.0000\"\u00a0€\""));
    // The amounts keep the sign that the parentheses show; the format shows
    // them as the window does.
    QTest::newRow("all zero, negative amounts")
        << enUs << QStringList{"0", "0", "0"} << "cmdCalculate"
        << QStringList{"($0.2243)", "($0.1698)", "($2.2622)", "($0.2243)", "($0.1443)", "($2.0402)"}
        << valued({"-0.2243", "-0.1698", "-2.2622", "-0.2243", "-0.1443", "-2.0402"}, {},
                  QStringLiteral("0.0000;\"($\"0.0000\")\""));
    // Amounts of 1,000 and more are grouped in the window, and their format
    // groups them too, so that a spreadsheet takes them for numbers; the
    // plain amount keeps no separator.
    const QStringList large{"1000", "1000", "-1000"};
    const QStringList largeAmounts{"1199.7757", "-1000.1698", "-4502.2622", "1199.7757", "682.3558", "10135.7102"};
    const auto formats = [&largeAmounts](const QString& grouped, const QString& negative, const QString& plain) {
        return QStringList{largeAmounts[0] + " as " + grouped,  largeAmounts[1] + " as " + negative,
                           largeAmounts[2] + " as " + negative, largeAmounts[3] + " as " + grouped,
                           largeAmounts[4] + " as " + plain,    largeAmounts[5] + " as " + grouped};
    };
    QTest::newRow("amounts of 1,000 and more, US English")
        << enUs << large << "cmdCalculate"
        << QStringList{"$1,199.7757", "($1,000.1698)", "($4,502.2622)", "$1,199.7757", "$682.3558", "$10,135.7102"}
        << formats("\"$\"#,##0.0000", "0.0000;\"($\"#,##0.0000\")\"", "\"$\"0.0000");
    QTest::newRow("amounts of 1,000 and more, German")
        << QLocale(QLocale::German, QLocale::Germany) << large << "cmdCalculate"
        << QStringList{"1.199,7757\u00a0€", "-1.000,1698\u00a0€", "-4.502,2622\u00a0€",
                       "1.199,7757\u00a0€", "682,3558\u00a0€",    "10.135,7102\u00a0€"}
        << formats("#,##0.0000\"\u00a0€\"", "0.0000;\"-\"#,##0.0000\"\u00a0€\"", "0.0000\"\u00a0€\"");
    // A tab in a typed price would split its cell.
    QTest::newRow("a typed price with a tab in it")
        << enUs << QStringList{"1.4", "1.7", "1.2\t"} << "cmdCalculate" << workedExampleResults() << dollars;
    // Ctrl+Shift+C from anywhere in the window, a clicked result too.
    for (const QString& focus : kTabOrder + QStringList{"lbl4BSNF"})
        QTest::addRow("from %s", qPrintable(focus))
            << enUs << workedExample << focus << workedExampleResults() << dollars;
}

void TestCopyPrices::copyPricesPutsTheTableOnTheClipboard()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, typed);
    QFETCH(QString, focus);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, values);
    QLocale::setDefault(locale);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.setInputs(typed[0], typed[1], typed[2]);
    f.click("cmdCalculate");
    QCOMPARE(f.results(), shown);
    f.control(focus.toLatin1())->setFocus(Qt::MouseFocusReason);
    QCOMPARE(f.focusName(), focus);

    f.press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);

    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied && copied->hasText() && copied->hasHtml());
    QStringList cellInputs = typed;
    cellInputs[2].replace(u'\t', u' ');
    QCOMPARE(textCells(copied->text()), expectedCells(cellInputs, shown));
    // A word processor keeps the table; the amounts travel beside the shown
    // prices for a spreadsheet that would read a currency text as text, with
    // a format for a reader that shows a cell's value rather than its text.
    QCOMPARE(htmlCells(copied->html()), expectedCells(cellInputs, shown));
    QCOMPARE(sdvals(copied->html()), values);
    QCOMPARE(f.control("spokenNotice")->accessibleName(), kCopied);
    QVERIFY(f.control("spokenNotice")->isVisible());
    // The key copied and did nothing else.
    QCOMPARE(f.focusName(), focus);
    QCOMPARE(f.inputs(), typed);
    QVERIFY(f.messages.shown.isEmpty());
}

void TestCopyPrices::copyPricesWithNoResultsKeepsTheClipboard_data()
{
    QTest::addColumn<QString>("before");

    QTest::newRow("before the first calculation") << "nothing";
    QTest::newRow("after Clear") << "clear";
    QTest::newRow("after Clear and a refused Calculate") << "clear, refused";
}

void TestCopyPrices::copyPricesWithNoResultsKeepsTheClipboard()
{
    QFETCH(QString, before);
    CalculatorFixture f;
    QVERIFY(f.open());
    if (before.startsWith("clear")) {
        f.calculateWorkedExample();
        f.press(Qt::Key_L, Qt::AltModifier);
        QTRY_COMPARE(f.results(), QStringList(6, QString()));
    }
    if (before.endsWith("refused")) {
        f.setInputs("1.4", "", "1.2");
        f.click("cmdCalculate");
        QCOMPARE(f.messages.shown.size(), 1);
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    f.text("txtCMEButter")->setFocus();
    f.text("txtCMEButter")->setText(QStringLiteral("1.4"));
    // An empty result has nothing to select, and a click on it leaves the
    // focus in the field.
    QTest::mouseClick(f.label("lbl4AFAT"), Qt::LeftButton);
    QCOMPARE(f.focusName(), QStringLiteral("txtCMEButter"));

    f.press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);

    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasHtml());
    QVERIFY(copyPricesAction(f) && !copyPricesAction(f)->isEnabled());
    QVERIFY(f.control("spokenNotice")->accessibleName() != kCopied);
    QCOMPARE(f.text("txtCMEButter")->text(), QStringLiteral("1.4"));
}

void TestCopyPrices::selectedResultCopiesItsText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("from"); // for "drag part": the character boundaries
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QString>("expected");

    const QLocale enUs(QLocale::English, QLocale::UnitedStates);
    const QLocale deDe(QLocale::German, QLocale::Germany);
    QTest::newRow("triple-click, US English") << enUs << "lbl4ACount" << "triple-click" << 0 << 0 << "Ctrl+C"
                                              << "$14.0578";
    QTest::newRow("drag across, US English") << enUs << "lbl4BSNF" << "drag" << 0 << 0 << "Ctrl+C" << "$1.1590";
    // The no-break space before the euro sign stays one: Qt's own copy
    // would turn it into a plain space.
    QTest::newRow("triple-click, German") << deDe << "lbl4BCount" << "triple-click" << 0 << 0 << "Ctrl+C"
                                          << "15,1779\u00a0€";
    QTest::newRow("drag across, German") << deDe << "lbl4AFAT" << "drag" << 0 << 0 << "Ctrl+C" << "1,4557\u00a0€";
    // Part of a price copies that part alone, by either way of copying.
    QTest::newRow("the digits without the dollar sign, Ctrl+C")
        << enUs << "lbl4AFAT" << "drag part" << 1 << 7 << "Ctrl+C" << "1.4557";
    QTest::newRow("the digits without the dollar sign, the result's Copy")
        << enUs << "lbl4ASNF" << "drag part" << 1 << 7 << "menu Copy" << "1.0302";
    QTest::newRow("dragged right to left, Ctrl+C") << enUs << "lbl4ACount" << "drag part" << 6 << 1 << "Ctrl+C"
                                                   << "14.05";
    QTest::newRow("the amount without the euro sign, the result's Copy")
        << deDe << "lbl4BSNF" << "drag part" << 0 << 6 << "menu Copy" << "1,1590";
    QTest::newRow("triple-click, the result's Copy") << enUs << "lbl4BFAT" << "triple-click" << 0 << 0
                                                     << "menu Copy" << "$1.4557";
}

void TestCopyPrices::selectedResultCopiesItsText()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, result);
    QFETCH(QString, gesture);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, copy);
    QFETCH(QString, expected);
    QLocale::setDefault(locale);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.setInputs(locale.toString(1.4), locale.toString(1.7), locale.toString(1.2));
    f.click("cmdCalculate");
    auto* label = f.control<torvel::ResultLabel>(result.toLatin1());
    const QString shown = label->text();
    QVERIFY2(shown.contains(expected), qPrintable(shown));

    // Action: the mouse selects the price or part of it, then Ctrl+C or the
    // result's own Copy.
    const QPoint middle = label->rect().center();
    if (gesture == "triple-click") {
        QTest::mouseDClick(label, Qt::LeftButton, {}, middle);
        QTest::mouseClick(label, Qt::LeftButton, {}, middle);
    } else if (gesture == "drag") {
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(1, middle.y()));
        QTest::mouseMove(label, QPoint(label->width() - 2, middle.y()));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() - 2, middle.y()));
    } else {
        dragAcross(label, from, to);
    }
    QCOMPARE(label->selectedPrice(), expected);
    QCOMPARE(f.focusName(), result);
    if (copy == "Ctrl+C") {
        f.press(Qt::Key_C, Qt::ControlModifier);
    } else {
        // The menu takes the focus while it is open; the selection stays.
        const QStringList menu = contextMenu(label, "&Copy");
        QVERIFY2(menu.startsWith({"&Copy"}), qPrintable(menu.join(u' ')));
    }

    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    // Qt's label, once it may take the focus, lays its text out in a document
    // of its own, whose changes a screen reader hears as further text changes
    // of the result, padded with spaces.
    QVERIFY(label->findChildren<QTextDocument*>().isEmpty());
    // Selecting changes nothing on the window, and Tab leaves the result for
    // the next field or button, never for another result.
    QCOMPARE(label->text(), shown);
    QCOMPARE(f.focusName(), result);
    f.press(Qt::Key_Tab);
    QVERIFY2(kTabOrder.contains(f.focusName()), qPrintable(f.focusName()));
}

void TestCopyPrices::selectionGoesWithTheFocus_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("selected"); // afterwards

    // As in a line edit: the focus moving on in the window takes the
    // selection away; a menu or another window in front leaves it.
    QTest::newRow("a click in a price field") << "click txtCMECheese" << "";
    QTest::newRow("a click on another result") << "click lbl4BCount" << "";
    QTest::newRow("Tab") << "Tab" << "";
    QTest::newRow("the result's context menu, closed") << "menu" << "1.0302";
    QTest::newRow("another window in front") << "window" << "1.0302";
}

void TestCopyPrices::selectionGoesWithTheFocus()
{
    QFETCH(QString, action);
    QFETCH(QString, selected);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    auto* label = f.control<torvel::ResultLabel>("lbl4ASNF");
    dragAcross(label, 1, 7);
    QCOMPARE(label->selectedPrice(), QStringLiteral("1.0302"));

    QWidget other;
    if (action.startsWith("click ")) {
        QTest::mouseClick(f.control(action.mid(6).toLatin1()), Qt::LeftButton);
        QCOMPARE(f.focusName(), action.mid(6));
    } else if (action == "Tab") {
        f.press(Qt::Key_Tab);
        QVERIFY2(kTabOrder.contains(f.focusName()), qPrintable(f.focusName()));
    } else if (action == "menu") {
        QVERIFY(!contextMenu(label).isEmpty());
        QCOMPARE(f.focusName(), QStringLiteral("lbl4ASNF"));
    } else {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }

    QCOMPARE(label->selectedPrice(), selected);
}

void TestCopyPrices::contextMenusOfferCopyPrices()
{
    CalculatorFixture f;
    QVERIFY(f.open());
    auto* result = f.control<torvel::ResultLabel>("lbl4ASNF");
    QWidget* caption = nullptr;
    for (QLabel* label : f.control<QGroupBox>("Frame2")->findChildren<QLabel*>()) {
        if (label->property("index").toInt() == 12)
            caption = label;
    }
    QVERIFY(caption);

    // State: no results yet. Expected: Copy Prices there, but disabled.
    QCOMPARE(contextMenu(result), QStringList({"&Copy", "Select All", "--", "Copy &Prices", "disabled", "disabled",
                                          "enabled", "disabled"}));
    QCOMPARE(contextMenu(caption), QStringList({"Copy &Prices", "disabled"}));

    // State: the worked example. Action: the result's menu, Select All, then
    // Copy. Expected: the price on the clipboard.
    f.calculateWorkedExample();
    QCOMPARE(contextMenu(result, "Select All"),
             QStringList({"&Copy", "Select All", "--", "Copy &Prices", "disabled", "enabled", "enabled",
                          "enabled"}));
    QCOMPARE(result->selectedPrice(), QStringLiteral("$1.0302"));
    contextMenu(result, "&Copy");
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("$1.0302"));

    // Action: the frame's menu, through a caption, Copy Prices. Expected: the
    // table on the clipboard.
    QCOMPARE(contextMenu(caption, "Copy &Prices"), QStringList({"Copy &Prices", "enabled"}));
    QCOMPARE(textCells(QGuiApplication::clipboard()->text()),
             expectedCells({"1.4", "1.7", "1.2"}, workedExampleResults()));
    QCOMPARE(copyPricesAction(f)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+C")));
}

QTEST_MAIN(TestCopyPrices)
#include "tst_copy_prices.moc"
