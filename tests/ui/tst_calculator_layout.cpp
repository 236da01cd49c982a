#include <QAccessible>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QOperatingSystemVersion>
#include <QTest>

#include <limits>

#include "tests/support/calculator_fixture.h"
#include "ui/readable_colour.h"

namespace {

const QColor kDarkRed(128, 0, 0);
const QColor kDarkGreen(0, 128, 0);
const QColor kNavy(0, 0, 128);

// A control by name, or one of the Label2 captions by its index.
QWidget* find(const QWidget& window, const QString& name, int index)
{
    const QList<QWidget*> named = window.findChildren<QWidget*>(name);
    if (index < 0)
        return named.size() == 1 ? named.front() : nullptr;
    for (QWidget* w : named)
        if (w->property("index").toInt() == index)
            return w;
    return nullptr;
}

bool imageHasColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb())
                return true;
    return false;
}

// Colours as Qt 6.4's gtk3 platform theme gives them for Adwaita-dark.
QPalette adwaitaDark()
{
    QPalette dark(QColor("#f0f0f0"), QColor("#323232"), QColor("#4b4b4b"), QColor("#212121"), QColor("#262626"),
                  QColor("#f0f0f0"), QColor("#4b4b4b"), QColor("#242424"), QColor("#323232"));
    dark.setColor(QPalette::ButtonText, QColor("#f0f0f0"));
    return dark;
}

// Where a control draws its text: a frame's caption, a label's whole box, and
// the inside of a field or a button, away from its border and focus frame.
QRect textArea(QWidget* control)
{
    if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        return frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
    }
    if (qobject_cast<QLabel*>(control))
        return control->rect();
    return control->rect().adjusted(4, 4, -4, -4);
}

// The colours a text is painted in: its background is the commonest pixel,
// and its glyphs' full colour the pixel that stands out most from it (edge
// pixels blend the two and stand out less).
struct PaintedText {
    QColor text;
    QColor background;
    double contrast = 0;
};

PaintedText paintedText(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    PaintedText painted;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), painted.background = QColor(it.key());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double contrast = torvel::ContrastRatio(QColor(it.key()), painted.background);
        if (contrast > painted.contrast)
            painted.contrast = contrast, painted.text = QColor(it.key());
    }
    return painted;
}

} // namespace

class TestCalculatorLayout : public QObject {
    Q_OBJECT

private slots:
    void init();

    void windowIsAPlainFixedWindow();
    void windowIcon_data();
    void windowIcon();
    void controlsStandAtTheirPlaces_data();
    void controlsStandAtTheirPlaces();
    void fonts_data();
    void fonts();
    void textColours_data();
    void textColours();
    void frameCaptionsAreDrawnInTheirColours_data();
    void frameCaptionsAreDrawnInTheirColours();
    void frameBorderRunsThroughItsCaption_data();
    void frameBorderRunsThroughItsCaption();
    void everyTextIsReadable_data();
    void everyTextIsReadable();
    void noTextIsClipped();
    void opensEmptyWithFocusOnButter();
    void tabOrder_data();
    void tabOrder();
    void accessibleNames_data();
    void accessibleNames();
};

void TestCalculatorLayout::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestCalculatorLayout::windowIsAPlainFixedWindow()
{
    CalculatorFixture f;
    QVERIFY(f.open());

    QCOMPARE(f.window.objectName(), QStringLiteral("frmCalculator"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Calculate Milk Price"));
    // A dialog would make a button its default and take Escape.
    QVERIFY(!qobject_cast<QDialog*>(&f.window));
    QCOMPARE(f.window.logicalDpiX(), 96);
    QCOMPARE(f.window.logicalDpiY(), 96);
    QCOMPARE(f.window.size(), QSize(520, 324));
    QCOMPARE(f.window.minimumSize(), f.window.maximumSize());
}

void TestCalculatorLayout::windowIcon_data()
{
    QTest::addColumn<bool>("themeHasIt");

    QTest::newRow("built in, where the icon theme has none") << false;
    QTest::newRow("the icon theme's") << true;
}

// What task bars and switchers show.
void TestCalculatorLayout::windowIcon()
{
    QFETCH(bool, themeHasIt);
    QTemporaryDir themes;
    QVERIFY2(themes.isValid(), qPrintable(themes.errorString()));
    const QDir theme(themes.filePath("hicolor"));
    QVERIFY(theme.mkpath("32x32/apps"));
    QFile index(theme.filePath("index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=hicolor\nDirectories=32x32/apps\n\n[32x32/apps]\nSize=32\nType=Fixed\n");
    index.close();
    QImage themed(32, 32, QImage::Format_ARGB32);
    themed.fill(Qt::magenta);
    if (themeHasIt)
        QVERIFY(themed.save(theme.filePath("32x32/apps/org.torvel.Calculator.png")));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    const auto restore = qScopeGuard([&] {
        QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(themeName);
    });
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName("hicolor");

    CalculatorFixture f;
    QVERIFY(f.open());
    QCoreApplication::processEvents(); // the icon is set once the window is up

    const QImage shown = f.window.windowIcon().pixmap(32).toImage();
    QVERIFY(!shown.isNull());
    if (themeHasIt)
        QCOMPARE(shown.pixelColor(16, 16), QColor(Qt::magenta));
    else
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 QImage(":/icons/org.torvel.Calculator-32.png").convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void TestCalculatorLayout::controlsStandAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("pixels");

    // Pixels at 96 DPI, 15 twips each. The cwt results' odd twips sizes
    // (1078 x 310, 1075 x 310) round to whole pixels from their edges.
    const auto row = [](const char* name, int index, const char* parent, const char* text, QRect pixels) {
        const QString tag = index < 0 ? QString::fromLatin1(name) : QStringLiteral("%1(%2)").arg(name).arg(index);
        QTest::newRow(qPrintable(tag)) << QString::fromLatin1(name) << index << QString::fromLatin1(parent)
                                       << QString::fromUtf8(text) << pixels;
    };
    row("Frame1", -1, "frmCalculator", "Enter the following commodities:", {40, 8, 329, 107});
    row("Label2", 10, "Frame1", "CME Butter Price", {32, 24, 129, 17});
    row("Label2", 11, "Frame1", "CME Cheese Price", {32, 48, 129, 17});
    row("Label2", 3, "Frame1", "OV Wt'd Avg. Powder Price", {32, 72, 137, 17});
    row("txtCMEButter", -1, "Frame1", "", {184, 24, 105, 19});
    row("txtCMECheese", -1, "Frame1", "", {184, 48, 105, 19});
    row("txtAveragePowder", -1, "Frame1", "", {184, 72, 105, 19});

    row("Frame2", -1, "frmCalculator", "At the above prices, Class Prices are:", {40, 128, 441, 121});
    row("Label2", 14, "Frame2", "Class 4A FAT", {16, 40, 73, 17});
    row("lbl4AFAT", -1, "Frame2", "", {96, 32, 70, 21});
    row("Label2", 12, "Frame2", "SNF", {192, 40, 33, 17});
    row("lbl4ASNF", -1, "Frame2", "", {224, 32, 70, 21});
    row("Label2", 1, "Frame2", "CWT", {312, 40, 41, 17});
    row("lbl4ACount", -1, "Frame2", "", {352, 32, 72, 21});
    row("Label2", 13, "Frame2", "Class 4B FAT", {16, 80, 73, 17});
    row("lbl4BFAT", -1, "Frame2", "", {96, 72, 70, 21});
    row("Label2", 2, "Frame2", "SNF", {192, 80, 33, 17});
    row("lbl4BSNF", -1, "Frame2", "", {224, 72, 70, 21});
    row("Label2", 0, "Frame2", "CWT", {312, 80, 41, 17});
    row("lbl4BCount", -1, "Frame2", "", {352, 72, 72, 21});

    // Each button overlaps its right-hand neighbour by 15 twips, one pixel.
    row("cmdCalculate", -1, "frmCalculator", "&Calculate", {64, 264, 97, 41});
    row("cmdClear", -1, "frmCalculator", "C&lear", {160, 264, 97, 41});
    row("cmdPrint", -1, "frmCalculator", "&Print", {256, 264, 97, 41});
    row("cmdExit", -1, "frmCalculator", "E&xit", {352, 264, 97, 41});
}

void TestCalculatorLayout::controlsStandAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QRect, pixels);
    CalculatorFixture f;
    QVERIFY(f.open());

    QWidget* control = find(f.window, name, index);
    QVERIFY2(control, "missing, or its name is not unique");
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), pixels);
    QVERIFY(control->isVisible());
    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(label->text(), text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        QCOMPARE(edit->text(), text);
    else if (auto* button = qobject_cast<QPushButton*>(control))
        QCOMPARE(button->text(), text);
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        QCOMPARE(frame->title(), text);
    QCOMPARE(f.window.findChildren<QLabel*>("Label2").size(), 9);
}

void TestCalculatorLayout::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("bold");

    QTest::newRow("window") << "frmCalculator" << -1 << true;
    for (const char* name : {"Frame1", "Frame2", "lbl4AFAT", "lbl4ASNF", "lbl4ACount", "lbl4BFAT", "lbl4BSNF",
                             "lbl4BCount", "cmdCalculate", "cmdClear", "cmdPrint", "cmdExit"})
        QTest::newRow(name) << name << -1 << true;
    for (const char* name : {"txtCMEButter", "txtCMECheese", "txtAveragePowder"})
        QTest::newRow(name) << name << -1 << false;
    for (int index : {0, 1, 2, 3, 10, 11, 12, 13, 14})
        QTest::addRow("Label2(%d)", index) << "Label2" << index << false;
}

void TestCalculatorLayout::fonts()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(bool, bold);
    CalculatorFixture f;
    QVERIFY(f.open());

    QWidget* control = name == "frmCalculator" ? &f.window : find(f.window, name, index);
    QVERIFY(control);
    const QFont font = control->font();
    QCOMPARE(font.families().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(font.pointSizeF(), 8.25);
    QCOMPARE(font.bold(), bold);
    // Where "MS Sans Serif" is missing the chosen fallback must be the one
    // drawn, not whatever the font system picks for an unknown name.
    const QString drawn = QFontInfo(font).family();
    QVERIFY2(drawn == "MS Sans Serif" || drawn == "Liberation Sans", qPrintable(drawn));
}

void TestCalculatorLayout::textColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour"); // invalid: the platform's default

    QTest::newRow("Frame1") << "Frame1" << -1 << kDarkRed;
    QTest::newRow("Frame2") << "Frame2" << -1 << kDarkGreen;
    for (int index : {14, 12, 1})
        QTest::addRow("Label2(%d), Class 4A row", index) << "Label2" << index << kNavy;
    for (int index : {13, 2, 0})
        QTest::addRow("Label2(%d), Class 4B row", index) << "Label2" << index << kDarkRed;
    // Inside the coloured frames, but in the default colour.
    for (int index : {10, 11, 3})
        QTest::addRow("Label2(%d), input caption", index) << "Label2" << index << QColor();
    for (const char* name : {"lbl4AFAT", "lbl4ASNF", "lbl4ACount", "lbl4BFAT", "lbl4BSNF", "lbl4BCount"})
        QTest::newRow(name) << name << -1 << QColor();
}

void TestCalculatorLayout::textColours()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QColor, colour);
    CalculatorFixture f;
    QVERIFY(f.open());
    auto* label = qobject_cast<QLabel*>(find(f.window, name, index));
    QWidget* control = label ? label : find(f.window, name, index);
    QVERIFY(control);
    if (!colour.isValid())
        colour = QApplication::palette(control).color(QPalette::WindowText);

    QCOMPARE(control->palette().color(QPalette::WindowText), colour);
    if (label) {
        // The glyphs themselves come out in that colour.
        label->setText(QStringLiteral("$8.8888"));
        QVERIFY(imageHasColour(label->grab().toImage(), colour));
    }
}

void TestCalculatorLayout::frameCaptionsAreDrawnInTheirColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("Frame1 in dark red") << "Frame1" << kDarkRed;
    QTest::newRow("Frame2 in dark green") << "Frame2" << kDarkGreen;
}

void TestCalculatorLayout::frameCaptionsAreDrawnInTheirColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    CalculatorFixture f;
    QVERIFY(f.open());
    auto* frame = f.control<QGroupBox>(name.toLatin1());

    // The caption line, above every control in the frame.
    const QRect captionLine(0, 0, frame->width(), frame->childrenRect().top());
    QVERIFY(imageHasColour(frame->grab(captionLine).toImage(), colour));
}

void TestCalculatorLayout::frameBorderRunsThroughItsCaption_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("caption");
    QTest::addColumn<int>("firstRow"); // the top of the first control inside

    for (const char* style : {"Fusion", "Windows"}) {
        QTest::addRow("%s, Frame1", style) << style << "Frame1" << kDarkRed << 24;
        QTest::addRow("%s, Frame2", style) << style << "Frame2" << kDarkGreen << 32;
    }
}

// The caption stands on the frame's top edge with the border through its
// middle, so that the controls inside, placed from that edge, stand clear
// below the border, whatever the style.
void TestCalculatorLayout::frameBorderRunsThroughItsCaption()
{
    QFETCH(QString, style);
    QFETCH(QString, name);
    QFETCH(QColor, caption);
    QFETCH(int, firstRow);
    const QString previous = QApplication::style()->name();
    const auto restore = qScopeGuard([&] { QApplication::setStyle(previous); });
    QVERIFY(QApplication::setStyle(style));
    CalculatorFixture f;
    QVERIFY(f.open());
    auto* frame = f.control<QGroupBox>(name.toLatin1());
    const QImage image = frame->grab().toImage();

    // Right of the caption, the first row off the window's background.
    const int x = frame->width() - 12;
    const QRgb background = image.pixel(x, 0);
    int border = 0;
    while (border < image.height() && image.pixel(x, border) == background)
        ++border;
    // The caption's ink, from its top to the bottom of its descenders.
    int top = image.height();
    int bottom = -1;
    int left = image.width();
    int right = -1;
    for (int y = 0; y < frame->childrenRect().top(); ++y)
        for (int px = 0; px < image.width(); ++px)
            if (image.pixel(px, y) == caption.rgb())
                top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, px),
                right = std::max(right, px);
    const QString what = QStringLiteral("border at y=%1, caption ink from y=%2 to y=%3").arg(border).arg(top).arg(bottom);
    qInfo("%s", qPrintable(what));

    QVERIFY2(top <= 3, qPrintable(what));
    QVERIFY2(qAbs(border - (top + bottom) / 2) <= 2, qPrintable(what));
    // The border stops either side of the caption rather than strike it out.
    QVERIFY(left > 0 && image.pixel(left / 2, border) == image.pixel(x, border));
    for (int px = left; px <= right; ++px)
        QVERIFY2(image.pixel(px, border) != image.pixel(x, border), qPrintable(what));
    QCOMPARE(frame->childrenRect().top(), firstRow);
    QVERIFY2(firstRow - border >= 16, qPrintable(what));
}

void TestCalculatorLayout::everyTextIsReadable_data()
{
    QTest::addColumn<QList<QPalette>>("palettes"); // set in turn while the window is open

    const QPalette light = QApplication::style()->standardPalette();
    QTest::newRow("light") << QList<QPalette>{light};
    QTest::newRow("dark") << QList<QPalette>{adwaitaDark()};
    QTest::newRow("the desktop turns dark") << QList<QPalette>{light, adwaitaDark()};
    QTest::newRow("dark, then light again") << QList<QPalette>{adwaitaDark(), light};
}

// Every text on the window, measured in the colours actually painted.
void TestCalculatorLayout::everyTextIsReadable()
{
    QFETCH(QList<QPalette>, palettes);
    // Qt 6.4's Windows styles draw fields in the system's own light colours
    // whatever the palette, and Qt gives Windows programs no dark palette.
    if (palettes.back().color(QPalette::Window).lightness() < 128
        && QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
        QSKIP("no dark palette for Windows programs in Qt 6.4");
    const QPalette previous = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(previous); });
    QApplication::setPalette(palettes.front());
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();
    for (const QPalette& palette : palettes.mid(1)) {
        // As a desktop's switch does: each widget hears of it through a posted event.
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
    }
    const bool dark = palettes.back().color(QPalette::Window).lightness() < 128;

    // The hue each text is made with; an invalid one is the desktop's text colour.
    struct Text {
        const char* name;
        int index;
        QColor hue;
    };
    const Text texts[] = {
        {"Frame1", -1, kDarkRed},       {"Frame2", -1, kDarkGreen},     {"Label2", 10, {}},
        {"Label2", 11, {}},             {"Label2", 3, {}},              {"Label2", 14, kNavy},
        {"Label2", 12, kNavy},          {"Label2", 1, kNavy},           {"Label2", 13, kDarkRed},
        {"Label2", 2, kDarkRed},        {"Label2", 0, kDarkRed},        {"lbl4AFAT", -1, {}},
        {"lbl4ASNF", -1, {}},           {"lbl4ACount", -1, {}},         {"lbl4BFAT", -1, {}},
        {"lbl4BSNF", -1, {}},           {"lbl4BCount", -1, {}},         {"txtCMEButter", -1, {}},
        {"txtCMECheese", -1, {}},       {"txtAveragePowder", -1, {}},   {"cmdCalculate", -1, {}},
        {"cmdClear", -1, {}},           {"cmdPrint", -1, {}},           {"cmdExit", -1, {}},
    };
    for (const Text& t : texts) {
        QWidget* control = find(f.window, t.name, t.index);
        QVERIFY(control);
        const PaintedText painted = paintedText(control->grab(textArea(control)).toImage());
        // Thin glyphs cover no pixel fully, so the fullest one is the text
        // colour blended with a little background: the colour the painter
        // was given must be the one found, up to that blend.
        const QColor textColour = control->palette().color(control->foregroundRole());
        const double contrast = torvel::ContrastRatio(textColour, painted.background);
        const QString what = QStringLiteral("%1(%2): %3 (painted %4) on %5, %6:1 (painted %7:1)")
                                 .arg(t.name).arg(t.index)
                                 .arg(textColour.name(), painted.text.name(), painted.background.name())
                                 .arg(contrast, 0, 'f', 2).arg(painted.contrast, 0, 'f', 2);
        qInfo("%s", qPrintable(what));
        QVERIFY2(qAbs(painted.text.red() - textColour.red()) <= 8 && qAbs(painted.text.green() - textColour.green()) <= 8
                     && qAbs(painted.text.blue() - textColour.blue()) <= 8,
                 qPrintable(what));
        // On a light desktop the fixed colours stay as they are, even dark
        // green's 4.47:1 against Fusion's light grey.
        if (dark || !t.hue.isValid())
            QVERIFY2(contrast >= 4.5, qPrintable(what));
        if (!t.hue.isValid())
            continue;
        if (dark) {
            // Lightened, not recoloured.
            QVERIFY2(qAbs(textColour.hslHue() - t.hue.hslHue()) <= 2, qPrintable(what));
            QVERIFY2(textColour.lightness() > t.hue.lightness(), qPrintable(what));
        } else {
            QCOMPARE(textColour, t.hue);
        }
    }
}

void TestCalculatorLayout::noTextIsClipped()
{
    CalculatorFixture f;
    QVERIFY(f.open());
    // The widest prices an everyday calculation shows: negative, in parentheses.
    for (QLabel* result : f.window.findChildren<QLabel*>(QRegularExpression("^lbl4")))
        result->setText(QStringLiteral("($88.8888)"));

    for (QLabel* label : f.window.findChildren<QLabel*>()) {
        const QFontMetrics metrics(label->font());
        const int indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        const QRect text = metrics.boundingRect(label->text());
        QVERIFY2(metrics.horizontalAdvance(label->text()) + indent <= label->contentsRect().width()
                     && text.height() <= label->contentsRect().height(),
                 qPrintable(label->text()));
    }
    for (QWidget* w : f.window.findChildren<QWidget*>()) {
        if (qobject_cast<QPushButton*>(w) || qobject_cast<QGroupBox*>(w)) {
            QVERIFY2(w->minimumSizeHint().width() <= w->width(), qPrintable(w->objectName()));
            QVERIFY2(w->minimumSizeHint().height() <= w->height(), qPrintable(w->objectName()));
        }
    }
}

void TestCalculatorLayout::opensEmptyWithFocusOnButter()
{
    CalculatorFixture f;
    QVERIFY(f.open());

    QCOMPARE(f.focusName(), QStringLiteral("txtCMEButter"));
    QCOMPARE(f.inputs(), QStringList(3, QString()));
    QCOMPARE(f.results(), QStringList(6, QString()));
    for (const char* name : {"txtCMEButter", "txtCMECheese", "txtAveragePowder"}) {
        QCOMPARE(f.text(name)->maxLength(), std::numeric_limits<int>::max());
        QCOMPARE(f.text(name)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }
    // Labels and frames never take the focus, and no button is a default
    // button, not even the focused one.
    for (QWidget* w : f.window.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w))
            QCOMPARE(w->focusPolicy(), Qt::NoFocus);
    }
    for (QPushButton* button : f.window.findChildren<QPushButton*>()) {
        button->setFocus();
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->objectName()));
    }
}

void TestCalculatorLayout::tabOrder_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QStringList>("expected");

    QStringList backwards = kTabOrder;
    std::reverse(backwards.begin(), backwards.end());
    QTest::newRow("Tab, Print last, then round") << Qt::Key_Tab << kTabOrder.mid(1) + kTabOrder.mid(0, 2);
    QTest::newRow("Shift+Tab, backwards") << Qt::Key_Backtab << backwards + backwards.mid(0, 1);
}

void TestCalculatorLayout::tabOrder()
{
    QFETCH(Qt::Key, key);
    QFETCH(QStringList, expected);
    CalculatorFixture f;
    QVERIFY(f.open());
    QCOMPARE(f.focusName(), QStringLiteral("txtCMEButter"));

    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        f.press(key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        visited << f.focusName();
    }

    QCOMPARE(visited, expected);
}

void TestCalculatorLayout::accessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");

    QTest::newRow("txtCMEButter") << "txtCMEButter" << "CME butter price";
    QTest::newRow("txtCMECheese") << "txtCMECheese" << "CME cheese price";
    QTest::newRow("txtAveragePowder") << "txtAveragePowder" << "OV weighted average powder price";
    QTest::newRow("lbl4AFAT") << "lbl4AFAT" << "Class 4A FAT";
    QTest::newRow("lbl4ASNF") << "lbl4ASNF" << "Class 4A SNF";
    QTest::newRow("lbl4ACount") << "lbl4ACount" << "Class 4A cwt";
    QTest::newRow("lbl4BFAT") << "lbl4BFAT" << "Class 4B FAT";
    QTest::newRow("lbl4BSNF") << "lbl4BSNF" << "Class 4B SNF";
    QTest::newRow("lbl4BCount") << "lbl4BCount" << "Class 4B cwt";
}

void TestCalculatorLayout::accessibleNames()
{
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    CalculatorFixture f;
    QVERIFY(f.open());
    f.calculateWorkedExample();

    // What a screen reader announces: the name, and the price as the value.
    QWidget* control = f.control(name.toLatin1());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), spoken);
    if (auto* result = qobject_cast<QLabel*>(control)) {
        QVERIFY(result->text().startsWith(QLatin1Char('$')));
        QCOMPARE(accessible->text(QAccessible::Value), result->text());
        QVERIFY(accessible->state().readOnly);
    }
}

QTEST_MAIN(TestCalculatorLayout)
#include "tst_calculator_layout.moc"
