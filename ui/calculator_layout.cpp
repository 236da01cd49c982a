#include "ui/calculator_controls.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

#include "ui/caption_on_line_style.h"
#include "ui/readable_colour.h"
#include "ui/result_label.h"
#include "ui/twips.h"

namespace torvel {

namespace {

const QColor kDarkRed(128, 0, 0);
const QColor kDarkGreen(0, 128, 0);
const QColor kNavy(0, 0, 128);

constexpr int kClientWidth = 7800;
constexpr int kClientHeight = 4860;
constexpr int kButtonTop = 3960;
constexpr int kButtonWidth = 1455;
constexpr int kButtonHeight = 615;

// "MS Sans Serif" is a Windows bitmap font. Liberation Sans, metrically
// compatible with Arial, stands in for it where it is missing (Debian's
// fontconfig would otherwise pick the much wider DejaVu Sans).
QFont calculatorFont(bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

// The colour each text is made with, kept for ApplyTextColours(); an invalid
// one stands for the desktop's own text colour. A frame's caption colour is
// its palette's window text, which its children would inherit, so each child
// has a colour of its own.
const char* const kTextHue = "textHue";

void setTextHue(QWidget* widget, const QColor& hue)
{
    widget->setProperty(kTextHue, hue);
}

// Makes the controls and places them, in twips, at the window's logical DPI.
class ControlMaker {
public:
    ControlMaker(const QWidget& window, QStyle* frameStyle)
        : m_dpiX(window.logicalDpiX())
        , m_dpiY(window.logicalDpiY())
        , m_frameStyle(frameStyle)
    {}

    void place(QWidget* widget, const TwipsRect& twips) const
    {
        widget->setGeometry(TwipsToPixels(twips, m_dpiX, m_dpiY));
    }

    QSize size(int widthTwips, int heightTwips) const
    {
        return {TwipsToPixels(widthTwips, m_dpiX), TwipsToPixels(heightTwips, m_dpiY)};
    }

    QGroupBox* frame(QWidget* window, const char* name, const QString& caption, const QColor& colour,
                     const TwipsRect& at) const
    {
        auto* frame = new QGroupBox(caption, window);
        frame->setObjectName(QLatin1String(name));
        frame->setStyle(m_frameStyle);
        setTextHue(frame, colour);
        place(frame, at);
        return frame;
    }

    void caption(QGroupBox* frame, int index, const QString& text, const TwipsRect& at,
                 const QColor& colour) const
    {
        auto* label = new QLabel(text, frame);
        label->setObjectName(QStringLiteral("Label2"));
        label->setProperty("index", index);
        label->setTextFormat(Qt::PlainText);
        // At the top of its box, where the layout puts the caption's text,
        // a little below the text of the result label beside it.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFont(calculatorFont(false));
        setTextHue(label, colour);
        place(label, at);
    }

    QLineEdit* textBox(QGroupBox* frame, const char* name, const QString& accessibleName,
                       const QString& description, const TwipsRect& at) const
    {
        auto* edit = new QLineEdit(frame);
        edit->setObjectName(QLatin1String(name));
        edit->setAccessibleName(accessibleName);
        edit->setAccessibleDescription(description);
        edit->setFont(calculatorFont(false));
        edit->setMaxLength(std::numeric_limits<int>::max());
        place(edit, at);
        return edit;
    }

    // In the window font.
    ResultLabel* result(QGroupBox* frame, const char* name, const QString& accessibleName,
                        const QString& description, const TwipsRect& at) const
    {
        auto* label = new ResultLabel(accessibleName, description, frame);
        label->setObjectName(QLatin1String(name));
        setTextHue(label, {});
        place(label, at);
        return label;
    }

    QPushButton* button(QWidget* window, const char* name, const QString& caption, const QString& description,
                        int left) const
    {
        auto* button = new QPushButton(caption, window);
        button->setObjectName(QLatin1String(name));
        button->setAccessibleDescription(description);
        place(button, {left, kButtonTop, kButtonWidth, kButtonHeight});
        return button;
    }

private:
    int m_dpiX;
    int m_dpiY;
    QStyle* m_frameStyle;
};

} // namespace

CalculatorControls BuildCalculatorControls(QWidget& window)
{
    window.setFont(calculatorFont(true));
    auto* frameStyle = new CaptionOnLineStyle;
    const ControlMaker at(window, frameStyle);
    window.setFixedSize(at.size(kClientWidth, kClientHeight));

    CalculatorControls c;

    c.Frame1 = at.frame(&window, "Frame1", QStringLiteral("Enter the following commodities:"), kDarkRed,
                        {600, 120, 4935, 1605});
    at.caption(c.Frame1, 10, QStringLiteral("CME Butter Price"), {480, 360, 1935, 255}, {});
    at.caption(c.Frame1, 11, QStringLiteral("CME Cheese Price"), {480, 720, 1935, 255}, {});
    at.caption(c.Frame1, 3, QStringLiteral("OV Wt'd Avg. Powder Price"), {480, 1080, 2055, 255}, {});
    c.txtCMEButter = at.textBox(c.Frame1, "txtCMEButter", QStringLiteral("CME butter price"),
                                QStringLiteral("In dollars. Enter moves on to the cheese price."),
                                {2760, 360, 1575, 285});
    c.txtCMECheese = at.textBox(c.Frame1, "txtCMECheese", QStringLiteral("CME cheese price"),
                                QStringLiteral("In dollars. Enter moves on to the powder price."),
                                {2760, 720, 1575, 285});
    c.txtAveragePowder = at.textBox(c.Frame1, "txtAveragePowder",
                                    QStringLiteral("OV weighted average powder price"),
                                    QStringLiteral("In dollars. Enter moves on to the Calculate button."),
                                    {2760, 1080, 1575, 285});

    // Each result label follows its caption so that it is drawn over the
    // caption's 15-twip overlap.
    c.Frame2 = at.frame(&window, "Frame2", QStringLiteral("At the above prices, Class Prices are:"),
                        kDarkGreen, {600, 1920, 6615, 1815});
    at.caption(c.Frame2, 14, QStringLiteral("Class 4A FAT"), {240, 600, 1095, 255}, kNavy);
    c.lbl4AFAT = at.result(c.Frame2, "lbl4AFAT", QStringLiteral("Class 4A FAT"),
                           QStringLiteral("Class 4A butterfat price"), {1440, 480, 1050, 315});
    at.caption(c.Frame2, 12, QStringLiteral("SNF"), {2880, 600, 495, 255}, kNavy);
    c.lbl4ASNF = at.result(c.Frame2, "lbl4ASNF", QStringLiteral("Class 4A SNF"),
                           QStringLiteral("Class 4A solids-not-fat price"), {3360, 480, 1050, 315});
    at.caption(c.Frame2, 1, QStringLiteral("CWT"), {4680, 600, 615, 255}, kNavy);
    c.lbl4ACount = at.result(c.Frame2, "lbl4ACount", QStringLiteral("Class 4A cwt"),
                             QStringLiteral("Class 4A price per hundredweight"), {5280, 480, 1078, 310});
    at.caption(c.Frame2, 13, QStringLiteral("Class 4B FAT"), {240, 1200, 1095, 255}, kDarkRed);
    c.lbl4BFAT = at.result(c.Frame2, "lbl4BFAT", QStringLiteral("Class 4B FAT"),
                           QStringLiteral("Class 4B butterfat price"), {1440, 1080, 1050, 315});
    at.caption(c.Frame2, 2, QStringLiteral("SNF"), {2880, 1200, 495, 255}, kDarkRed);
    c.lbl4BSNF = at.result(c.Frame2, "lbl4BSNF", QStringLiteral("Class 4B SNF"),
                           QStringLiteral("Class 4B solids-not-fat price"), {3360, 1080, 1050, 315});
    at.caption(c.Frame2, 0, QStringLiteral("CWT"), {4680, 1200, 615, 255}, kDarkRed);
    c.lbl4BCount = at.result(c.Frame2, "lbl4BCount", QStringLiteral("Class 4B cwt"),
                             QStringLiteral("Class 4B price per hundredweight"), {5280, 1080, 1075, 310});

    c.cmdCalculate = at.button(&window, "cmdCalculate", QStringLiteral("&Calculate"),
                               QStringLiteral("Works out the six class prices from the three commodity prices."),
                               960);
    c.cmdClear = at.button(&window, "cmdClear", QStringLiteral("C&lear"),
                           QStringLiteral("Empties the three prices and the six results."), 2400);
    c.cmdPrint = at.button(&window, "cmdPrint", QStringLiteral("&Print"),
                           QStringLiteral("Prints the prices and results on the default printer."), 3840);
    c.cmdExit = at.button(&window, "cmdExit", QStringLiteral("E&xit"), QStringLiteral("Closes the calculator."),
                          5280);
    // Kept with the names, like the captions' indices; they change nothing.
    c.cmdCalculate->setProperty("index", 0);
    c.cmdClear->setProperty("index", 1);
    c.cmdExit->setProperty("index", 2);

    // Print comes last although it stands left of Exit.
    QWidget::setTabOrder(c.txtCMEButter, c.txtCMECheese);
    QWidget::setTabOrder(c.txtCMECheese, c.txtAveragePowder);
    QWidget::setTabOrder(c.txtAveragePowder, c.cmdCalculate);
    QWidget::setTabOrder(c.cmdCalculate, c.cmdClear);
    QWidget::setTabOrder(c.cmdClear, c.cmdExit);
    QWidget::setTabOrder(c.cmdExit, c.cmdPrint);
    c.txtCMEButter->setFocus();
    ApplyTextColours(window);
    // Owned by the window, and destroyed after the frames that use it.
    frameStyle->setParent(&window);
    return c;
}

void ApplyTextColours(QWidget& window)
{
    const QColor desktopText = window.palette().color(QPalette::WindowText);
    const bool dark = IsDarkPalette(window.palette());
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const QVariant hue = widget->property(kTextHue);
        if (!hue.isValid())
            continue;
        QColor colour = hue.value<QColor>();
        if (!colour.isValid())
            colour = desktopText;
        else if (dark)
            colour = LightenedToContrast(colour, widget->palette().color(widget->backgroundRole()));
        // Only the text colour is the widget's own; everything else still
        // follows the desktop.
        QPalette own;
        own.setColor(QPalette::WindowText, colour);
        widget->setPalette(own);
    }
}

} // namespace torvel
