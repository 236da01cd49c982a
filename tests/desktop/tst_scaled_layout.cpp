#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>

#include <cmath>

#include "tests/support/recording_line_printer.h"
#include "tests/support/recording_message_box.h"
#include "ui/frmcalculator.h"

// The window at a screen scale other than 1. CTest runs this with Qt scaling
// every logical pixel (as on a 144 or 192 DPI screen), and with Qt's scaling
// off and only the font DPI raised, where the layout itself must grow. Either
// way the window must keep the proportions of its 7800 x 4860 twip client
// area and every text must fit its control.
class tst_ScaledLayout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void screenIsScaled();
    void windowRendersAtScale();
    void controlKeepsItsPlaceInTheWindow_data();
    void controlKeepsItsPlaceInTheWindow();
    void captionLabelTextFits_data();
    void captionLabelTextFits();
    void resultCaptionFits_data();
    void resultCaptionFits();
    void typedPriceFitsItsTextBox_data();
    void typedPriceFitsItsTextBox();
    void buttonCaptionFits_data();
    void buttonCaptionFits();
    void frameCaptionFits_data();
    void frameCaptionFits();

private:
    QWidget* control(const QString& name, int index) const;
    void calculate(const QString& butter, const QString& cheese, const QString& powder);

    RecordingMessageBox m_messages;
    RecordingLinePrinter m_printer;
    torvel::frmCalculator* m_window = nullptr;
};

namespace {

constexpr double kTwipsPerInch = 1440.0;

double environmentNumber(const char* name, double fallback)
{
    bool ok = false;
    const double value = qEnvironmentVariable(name).toDouble(&ok);
    return ok ? value : fallback;
}

// The text a control draws, without the access-key marker.
QString shownText(QString text)
{
    return text.remove(QLatin1Char('&'));
}

void addControlRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
}

} // namespace

void tst_ScaledLayout::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    m_window = new torvel::frmCalculator(m_messages, m_printer);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void tst_ScaledLayout::cleanupTestCase()
{
    delete m_window;
}

QWidget* tst_ScaledLayout::control(const QString& name, int index) const
{
    for (QWidget* child : m_window->findChildren<QWidget*>(name)) {
        if (index < 0 || child->property("index").toInt() == index)
            return child;
    }
    return nullptr;
}

void tst_ScaledLayout::calculate(const QString& butter, const QString& cheese, const QString& powder)
{
    qobject_cast<QLineEdit*>(control(QStringLiteral("txtCMEButter"), -1))->setText(butter);
    qobject_cast<QLineEdit*>(control(QStringLiteral("txtCMECheese"), -1))->setText(cheese);
    qobject_cast<QLineEdit*>(control(QStringLiteral("txtAveragePowder"), -1))->setText(powder);
    qobject_cast<QPushButton*>(control(QStringLiteral("cmdCalculate"), -1))->click();
}

void tst_ScaledLayout::screenIsScaled()
{
    // CTest states the scale it set up; without this check every test below
    // would pass just as well at scale 1.
    const double ratio = environmentNumber("TORVEL_EXPECTED_PIXEL_RATIO", 1.0);
    const double dpi = environmentNumber("TORVEL_EXPECTED_LOGICAL_DPI", 96.0);
    QVERIFY2(ratio != 1.0 || dpi != 96.0, "run me at a scale other than 1");
    QCOMPARE(m_window->devicePixelRatioF(), ratio);
    QCOMPARE(m_window->logicalDpiX(), qRound(dpi));
}

void tst_ScaledLayout::windowRendersAtScale()
{
    // The client area in device pixels, as a screenshot shows it.
    const double pixelsPerTwip = m_window->logicalDpiX() / kTwipsPerInch * m_window->devicePixelRatioF();
    const QPixmap shot = m_window->grab();
    QVERIFY(std::abs(shot.width() - 7800 * pixelsPerTwip) <= 1.0 * m_window->devicePixelRatioF());
    QVERIFY(std::abs(shot.height() - 4860 * pixelsPerTwip) <= 1.0 * m_window->devicePixelRatioF());
    const double aspect = double(shot.width()) / shot.height();
    QVERIFY2(std::abs(aspect - 7800.0 / 4860.0) < 0.005, qPrintable(QString::number(aspect)));
}

void tst_ScaledLayout::controlKeepsItsPlaceInTheWindow_data()
{
    addControlRows();
    QTest::addColumn<QRect>("twips"); // left, top, width, height in the window's client area

    // Frames and buttons lie on the window; the rest lie in a frame, whose
    // own place is added here.
    QTest::newRow("Frame1") << "Frame1" << -1 << QRect(600, 120, 4935, 1605);
    QTest::newRow("Frame2") << "Frame2" << -1 << QRect(600, 1920, 6615, 1815);
    QTest::newRow("txtCMEButter") << "txtCMEButter" << -1 << QRect(600 + 2760, 120 + 360, 1575, 285);
    QTest::newRow("txtAveragePowder") << "txtAveragePowder" << -1 << QRect(600 + 2760, 120 + 1080, 1575, 285);
    QTest::newRow("Label2(3) powder caption") << "Label2" << 3 << QRect(600 + 480, 120 + 1080, 2055, 255);
    QTest::newRow("Label2(14) Class 4A FAT") << "Label2" << 14 << QRect(600 + 240, 1920 + 600, 1095, 255);
    QTest::newRow("lbl4AFAT") << "lbl4AFAT" << -1 << QRect(600 + 1440, 1920 + 480, 1050, 315);
    QTest::newRow("lbl4ACount 1078 x 310") << "lbl4ACount" << -1 << QRect(600 + 5280, 1920 + 480, 1078, 310);
    QTest::newRow("lbl4BCount 1075 x 310") << "lbl4BCount" << -1 << QRect(600 + 5280, 1920 + 1080, 1075, 310);
    QTest::newRow("cmdCalculate") << "cmdCalculate" << -1 << QRect(960, 3960, 1455, 615);
    QTest::newRow("cmdExit") << "cmdExit" << -1 << QRect(5280, 3960, 1455, 615);
}

void tst_ScaledLayout::controlKeepsItsPlaceInTheWindow()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QRect, twips);

    QWidget* widget = control(name, index);
    QVERIFY(widget);
    // Measured as fractions of the client area, so that a layout drawn in
    // fixed pixels fails under QT_FONT_DPI; a pixel of rounding is allowed
    // per edge, twice for a control placed inside a frame.
    const QRect at(widget->mapTo(m_window, QPoint(0, 0)), widget->size());
    const double x = double(m_window->width()) / 7800;
    const double y = double(m_window->height()) / 4860;
    const double slack = widget->parentWidget() == m_window ? 1.0 : 2.0;
    const QString where = QStringLiteral("at %1,%2 %3x%4 px")
                              .arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height());
    QVERIFY2(std::abs(at.x() - twips.x() * x) <= slack, qPrintable(where));
    QVERIFY2(std::abs(at.y() - twips.y() * y) <= slack, qPrintable(where));
    QVERIFY2(std::abs(at.width() - twips.width() * x) <= slack, qPrintable(where));
    QVERIFY2(std::abs(at.height() - twips.height() * y) <= slack, qPrintable(where));
}

void tst_ScaledLayout::captionLabelTextFits_data()
{
    addControlRows();
    const std::pair<int, const char*> captions[] = {
        {10, "CME Butter Price"}, {11, "CME Cheese Price"}, {3, "OV Wt'd Avg. Powder Price"},
        {14, "Class 4A FAT"},     {12, "4A SNF"},           {1, "4A CWT"},
        {13, "Class 4B FAT"},     {2, "4B SNF"},            {0, "4B CWT"},
    };
    for (const auto& [index, row] : captions)
        QTest::newRow(row) << "Label2" << index;
}

void tst_ScaledLayout::captionLabelTextFits()
{
    QFETCH(QString, name);
    QFETCH(int, index);

    auto* label = qobject_cast<QLabel*>(control(name, index));
    QVERIFY(label);
    QVERIFY(!label->text().isEmpty());
    const QFontMetrics metrics(label->font());
    const QRect room = label->contentsRect();
    QVERIFY2(metrics.horizontalAdvance(label->text()) <= room.width(),
             qPrintable(QStringLiteral("'%1' needs %2 px, has %3")
                            .arg(label->text()).arg(metrics.horizontalAdvance(label->text())).arg(room.width())));
    QVERIFY2(metrics.height() <= room.height(),
             qPrintable(QStringLiteral("needs %1 px high, has %2").arg(metrics.height()).arg(room.height())));
}

void tst_ScaledLayout::resultCaptionFits_data()
{
    QTest::addColumn<QStringList>("inputs");
    QTest::newRow("worked example 1.4, 1.7, 1.2") << QStringList{"1.4", "1.7", "1.2"};
    QTest::newRow("all zero: six negative amounts") << QStringList{"0", "0", "0"};
    QTest::newRow("two-digit prices: cwt above $100") << QStringList{"12.5", "17.25", "12.75"};
}

void tst_ScaledLayout::resultCaptionFits()
{
    QFETCH(QStringList, inputs);
    calculate(inputs[0], inputs[1], inputs[2]);
    QCOMPARE(m_messages.shown, QStringList());

    for (const char* name : {"lbl4AFAT", "lbl4ASNF", "lbl4ACount", "lbl4BFAT", "lbl4BSNF", "lbl4BCount"}) {
        auto* label = qobject_cast<QLabel*>(control(QLatin1String(name), -1));
        QVERIFY(label);
        QVERIFY(!label->text().isEmpty());
        const QFontMetrics metrics(label->font());
        const QRect room = label->contentsRect();
        const int needed = metrics.horizontalAdvance(label->text());
        QVERIFY2(needed <= room.width() && metrics.height() <= room.height(),
                 qPrintable(QStringLiteral("%1 '%2' needs %3 x %4 px, has %5 x %6")
                                .arg(QLatin1String(name), label->text())
                                .arg(needed).arg(metrics.height()).arg(room.width()).arg(room.height())));
    }
}

void tst_ScaledLayout::typedPriceFitsItsTextBox_data()
{
    addControlRows();
    QTest::newRow("butter") << "txtCMEButter" << -1;
    QTest::newRow("cheese") << "txtCMECheese" << -1;
    QTest::newRow("powder") << "txtAveragePowder" << -1;
}

void tst_ScaledLayout::typedPriceFitsItsTextBox()
{
    QFETCH(QString, name);
    QFETCH(int, index);

    auto* edit = qobject_cast<QLineEdit*>(control(name, index));
    QVERIFY(edit);
    // A price with more digits than any commodity quote.
    const QString typed = QStringLiteral("1234.56789");
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QFontMetrics metrics(edit->font());
    QVERIFY2(metrics.horizontalAdvance(typed) <= room.width(),
             qPrintable(QStringLiteral("needs %1 px, has %2").arg(metrics.horizontalAdvance(typed)).arg(room.width())));
    QVERIFY2(metrics.height() <= room.height(),
             qPrintable(QStringLiteral("needs %1 px high, has %2").arg(metrics.height()).arg(room.height())));
}

void tst_ScaledLayout::buttonCaptionFits_data()
{
    addControlRows();
    QTest::newRow("Calculate") << "cmdCalculate" << -1;
    QTest::newRow("Clear") << "cmdClear" << -1;
    QTest::newRow("Print") << "cmdPrint" << -1;
    QTest::newRow("Exit") << "cmdExit" << -1;
}

void tst_ScaledLayout::buttonCaptionFits()
{
    QFETCH(QString, name);
    QFETCH(int, index);

    auto* button = qobject_cast<QPushButton*>(control(name, index));
    QVERIFY(button);
    // The style's own measure of what the caption needs, margins included.
    const QSize needed = button->sizeHint();
    QVERIFY2(needed.width() <= button->width() && needed.height() <= button->height(),
             qPrintable(QStringLiteral("'%1' needs %2 x %3 px, has %4 x %5")
                            .arg(shownText(button->text())).arg(needed.width()).arg(needed.height())
                            .arg(button->width()).arg(button->height())));
}

void tst_ScaledLayout::frameCaptionFits_data()
{
    addControlRows();
    QTest::newRow("Frame1") << "Frame1" << -1;
    QTest::newRow("Frame2") << "Frame2" << -1;
}

void tst_ScaledLayout::frameCaptionFits()
{
    QFETCH(QString, name);
    QFETCH(int, index);

    auto* frame = qobject_cast<QGroupBox*>(control(name, index));
    QVERIFY(frame);
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
    const QFontMetrics metrics(frame->font());
    QVERIFY2(title.left() >= 0 && title.left() + metrics.horizontalAdvance(frame->title()) <= frame->width(),
             qPrintable(QStringLiteral("title from %1 needs %2 px in %3")
                            .arg(title.left()).arg(metrics.horizontalAdvance(frame->title())).arg(frame->width())));
}

QTEST_MAIN(tst_ScaledLayout)
#include "tst_scaled_layout.moc"
