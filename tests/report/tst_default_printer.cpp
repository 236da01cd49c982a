#include <QTest>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include "platform/qt_line_printer.h"
#include "tests/support/pdf_page.h"
#include "tests/support/print_and_wait.h"

using namespace torvel;

// The line printer against a private CUPS scheduler, or a stand-in for one,
// that cups_no_printer.sh and cups_print_end_to_end.sh set up for each case
// in turn and run one function for, by name, with what to expect in the
// environment: these cases need a print service in a given state.
class TestDefaultPrinter : public QObject {
    Q_OBJECT

private slots:
    void tellsTheOutcomeInTime();
    void letsTheProgramEndWhilePrinting();
    void landsAtThePrintableAreasTopLeft();
};

namespace {

// Answers each password dialog in turn with the next of answers ("password"
// or "user:password", or "<escape>"), as the clerk would type it, and writes down what each
// offered: "<user> <focus>" or "(<objectName>)" for something else modal.
class PasswordTyper : public QObject {
public:
    explicit PasswordTyper(const QStringList& answers)
        : m_answers(answers)
    {
        connect(&m_look, &QTimer::timeout, this, &PasswordTyper::look);
        m_look.start(100);
    }
    QStringList offered;

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_answered)
            return;
        m_answered = modal;
        auto* user = modal->findChild<QLineEdit*>(QStringLiteral("printUser"));
        if (modal->objectName() != QLatin1String("printPassword") || !user) {
            offered << QStringLiteral("(%1)").arg(modal->objectName());
            return;
        }
        QWidget* focus = QApplication::focusWidget();
        offered << user->text() + u' ' + (focus ? focus->objectName() : QStringLiteral("(none)"));
        const QString answer = m_answers.value(offered.size() - 1, QStringLiteral("<escape>"));
        if (answer == QLatin1String("<escape>")) {
            QTest::keyClick(modal, Qt::Key_Escape);
            return;
        }
        if (answer.contains(u':')) {
            user->selectAll();
            QTest::keyClicks(user, answer.section(u':', 0, 0));
        }
        QTest::keyClicks(focus, answer.section(u':', -1));
        QTest::keyClick(focus, Qt::Key_Return);
    }

    QStringList m_answers;
    QTimer m_look;
    QPointer<QWidget> m_answered;
};

} // namespace

// TORVEL_EXPECT_PRINTED (1 or 0) and TORVEL_EXPECT_MESSAGE say how the
// report must end: printed or not, and what the clerk is told (nothing, for a
// print cancelled after TORVEL_CANCEL_AFTER_MS, or with TORVEL_EXPECT_CANCELLED=1
// in a password dialog). Meanwhile the caller's
// event loop must keep running, as the window's must to answer its desktop.
// Password dialogs are answered with TORVEL_PASSWORDS (comma-separated), and
// must have asked TORVEL_EXPECT_ASKED ("<user> <focus>" each, one a line).
void TestDefaultPrinter::tellsTheOutcomeInTime()
{
    const bool expectPrinted = qEnvironmentVariableIntValue("TORVEL_EXPECT_PRINTED") == 1;
    const QString expectMessage = qEnvironmentVariable("TORVEL_EXPECT_MESSAGE");
    bool cancelAfterSet = false;
    const int cancelAfter = qEnvironmentVariableIntValue("TORVEL_CANCEL_AFTER_MS", &cancelAfterSet);
    const PasswordTyper typer(qEnvironmentVariable("TORVEL_PASSWORDS").split(u',', Qt::SkipEmptyParts));
    const QStringList expectAsked = qEnvironmentVariable("TORVEL_EXPECT_ASKED").split(u'\n', Qt::SkipEmptyParts);

    QtLinePrinter printer;
    QElapsedTimer clock;
    clock.start();
    // The longest the event loop went without running a 50 ms tick.
    qint64 lastTick = 0;
    qint64 longestStall = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestStall = qMax(longestStall, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    tick.start(50);
    if (cancelAfterSet)
        QTimer::singleShot(cancelAfter, [&] { printer.cancelDocument(); });
    const PrintOutcome outcome = PrintAndWait(printer, kTexts, 90000);
    const qint64 held = clock.elapsed();

    qInfo("after %lld ms, longest stall %lld ms: %s \"%s\"", held, longestStall,
          outcome.end == PrintOutcome::End::Printed     ? "printed"
          : outcome.end == PrintOutcome::End::Cancelled ? "cancelled"
                                                        : "not printed",
          qPrintable(outcome.message));
    QCOMPARE(outcome.end == PrintOutcome::End::Printed, expectPrinted);
    QCOMPARE(typer.offered, expectAsked);
    QCOMPARE(outcome.end == PrintOutcome::End::Cancelled,
             cancelAfterSet || qEnvironmentVariableIntValue("TORVEL_EXPECT_CANCELLED") == 1);
    QCOMPARE(outcome.message, expectMessage);
    QVERIFY2(longestStall < 500, qPrintable(QStringLiteral("the event loop stalled for %1 ms").arg(longestStall)));
    // However the service fails, it is given up on in seconds, not minutes;
    // a slow one that keeps answering is waited for.
    QVERIFY2(held < 60000, qPrintable(QStringLiteral("ended after %1 ms").arg(held)));
}

// The program ends TORVEL_END_AFTER_MS into a print, as on Exit: the printer
// goes with it, cancelling the print and withdrawing its job, within
// TORVEL_END_WITHIN_MS, else the 2 s the clerk may be kept waiting. The
// calling script looks at the queue.
void TestDefaultPrinter::letsTheProgramEndWhilePrinting()
{
    bool withinSet = false;
    const int within = qEnvironmentVariableIntValue("TORVEL_END_WITHIN_MS", &withinSet);
    const qint64 limit = withinSet ? within : 2000;

    auto printer = std::make_unique<QtLinePrinter>();
    bool ended = false;
    PrintPriceReport(*printer, kTexts, [&](const PrintOutcome&) { ended = true; });
    QTest::qWait(qEnvironmentVariableIntValue("TORVEL_END_AFTER_MS"));
    QVERIFY2(!ended, "the print ended before the program did; nothing was tested");

    QElapsedTimer clock;
    clock.start();
    printer.reset();
    const qint64 held = clock.elapsed();
    qInfo("the printer went in %lld ms", held);
    QVERIFY2(held < limit, qPrintable(QStringLiteral("the printer held the end for %1 ms").arg(held)));
}

// Prints on the default queue, which writes its PDFs into TORVEL_PDF_DIR and
// declares the margins TORVEL_MARGINS ("left top right bottom", in points);
// the report must start at their top-left corner, unmoved by the service.
void TestDefaultPrinter::landsAtThePrintableAreasTopLeft()
{
    const QDir out(qEnvironmentVariable("TORVEL_PDF_DIR"));
    const QStringList margins = qEnvironmentVariable("TORVEL_MARGINS").split(u' ');
    QCOMPARE(margins.size(), 4);
    QVERIFY(out.exists());

    QtLinePrinter printer;
    const PrintOutcome outcome = PrintAndWait(printer, kTexts);
    QVERIFY2(outcome == PrintOutcome{}, qPrintable(outcome.message));

    QTRY_COMPARE_WITH_TIMEOUT(out.entryList({"*.pdf"}, QDir::Files).size(), 1, 60000);
    const QString pdf = out.filePath(out.entryList({"*.pdf"}, QDir::Files).first());
    // Only the printable area's top-left corner matters here, so any paper does.
    const QPageLayout page(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                           QMarginsF(margins[0].toDouble(), margins[1].toDouble(), margins[2].toDouble(),
                                     margins[3].toDouble()),
                           QPageLayout::Point);
    // The service's filters rewrite the page and may round its positions.
    // They also embed the font anew, with a glyph box whose top stands 2 pt
    // off Qt's, which moves pdftotext's word tops; a default margin (10 pt)
    // or a wrong side's margin is still far outside.
    QString off;
    QTRY_VERIFY2_WITH_TIMEOUT((off = OffTheOrigin(pdf, page, 0.5, 3.0)).isEmpty(), qPrintable(off), 10000);
}

QTEST_MAIN(TestDefaultPrinter)
#include "tst_default_printer.moc"
