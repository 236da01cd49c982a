// The floor for the start-up benchmark: the calculator's widget set in a bare
// window and nothing else. Two group boxes, nine caption labels, three line
// edits, six framed result labels and four push buttons, with the same title,
// size, texts and window font, at their places in pixels at 96 dpi. No
// colours, keyboard flow, accessibility, platform services or calculation.

#include <QApplication>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace {

void AddLabel(QWidget* parent, const char* text, int x, int y, int width, int height)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(x, y, width, height);
}

void AddResult(QWidget* parent, int x, int y, int width, int height)
{
    auto* result = new QLabel(parent);
    result->setFrameStyle(QFrame::Box | QFrame::Plain);
    result->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    result->setGeometry(x, y, width, height);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Calculate Milk Price"));
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    font.setBold(true);
    window.setFont(font);
    window.setFixedSize(520, 324);

    auto* inputs = new QGroupBox(QStringLiteral("Enter the following commodities:"), &window);
    inputs->setGeometry(40, 8, 329, 107);
    AddLabel(inputs, "CME Butter Price", 32, 24, 129, 17);
    AddLabel(inputs, "CME Cheese Price", 32, 48, 129, 17);
    AddLabel(inputs, "OV Wt'd Avg. Powder Price", 32, 72, 137, 17);
    for (int y : {24, 48, 72})
        (new QLineEdit(inputs))->setGeometry(184, y, 105, 19);

    auto* results = new QGroupBox(QStringLiteral("At the above prices, Class Prices are:"), &window);
    results->setGeometry(40, 128, 441, 121);
    const char* rows[] = {"Class 4A FAT", "Class 4B FAT"};
    for (int row = 0; row < 2; ++row) {
        const int captionY = 40 + 40 * row;
        const int resultY = 32 + 40 * row;
        AddLabel(results, rows[row], 16, captionY, 73, 17);
        AddResult(results, 96, resultY, 70, 21);
        AddLabel(results, "SNF", 192, captionY, 33, 17);
        AddResult(results, 224, resultY, 70, 21);
        AddLabel(results, "CWT", 312, captionY, 41, 17);
        AddResult(results, 352, resultY, 72, 21);
    }

    const char* buttons[] = {"&Calculate", "C&lear", "&Print", "E&xit"};
    for (int i = 0; i < 4; ++i)
        (new QPushButton(QString::fromUtf8(buttons[i]), &window))->setGeometry(64 + 96 * i, 264, 97, 41);

    window.show();
    return app.exec();
}
