// Times the Calculate command on the real window (three parses, the
// calculation, six formats, six captions) and its parts, with Google
// Benchmark. Not a test: nothing here asserts on time.
//
//   calculate_bench [--benchmark_repetitions=N ...]

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMetaMethod>
#include <QPushButton>

#include <memory>

#include "calc/class_prices.h"
#include "calc/price_text.h"
#include "platform/line_printer.h"
#include "platform/message_box.h"
#include "ui/frmcalculator.h"

using namespace torvel;

namespace {

const QLocale kEnUs(QLocale::English, QLocale::UnitedStates);

class CountingMessageBox final : public MessageBox {
public:
    void showMessage(const QString&) override { ++shown; }
    int shown = 0;
};

class IdlePrinter final : public LinePrinter {
public:
    void printLine(const QStringList&, int) override {}
    void setFont(const QString&, double) override {}
    void endDocument(DocumentEnded ended) override { ended({}); }
    void cancelDocument() override {}
};

// The window shown with the worked example typed in. The butter price
// alternates between two values so that every Calculate changes all six
// captions, as a clerk's next calculation does, rather than re-setting
// unchanged texts.
struct Window {
    CountingMessageBox messages;
    IdlePrinter printer;
    frmCalculator window{messages, printer};
    QLineEdit* butter = window.findChild<QLineEdit*>(QStringLiteral("txtCMEButter"));
    QLabel* class4AFat = window.findChild<QLabel*>(QStringLiteral("lbl4AFAT"));

    Window()
    {
        window.findChild<QLineEdit*>(QStringLiteral("txtCMECheese"))->setText(QStringLiteral("1.7"));
        window.findChild<QLineEdit*>(QStringLiteral("txtAveragePowder"))->setText(QStringLiteral("1.2"));
        window.show();
        QCoreApplication::processEvents();
    }

    void typeNextButterPrice(int64_t iteration)
    {
        butter->setText(iteration % 2 ? QStringLiteral("1.5") : QStringLiteral("1.4"));
    }

    // Calculate must have run its whole way: no message, a price shown.
    bool calculated() const { return messages.shown == 0 && class4AFat->text() == QStringLiteral("$1.5757"); }
};

void BM_CalculateClassPrices(benchmark::State& state)
{
    ClassPriceInputs inputs{1.4, 1.7, 1.2};
    for (auto _ : state) {
        benchmark::DoNotOptimize(inputs);
        ClassPriceResult result = CalculateClassPrices(inputs);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_CalculateClassPrices);

void BM_TextToNumber(benchmark::State& state)
{
    const QString text = QStringLiteral("1.4");
    for (auto _ : state)
        benchmark::DoNotOptimize(TextToNumber(text, kEnUs));
}
BENCHMARK(BM_TextToNumber);

void BM_FormatPrice(benchmark::State& state)
{
    double amount = 14.057760000000002;
    for (auto _ : state) {
        benchmark::DoNotOptimize(amount);
        benchmark::DoNotOptimize(FormatPrice(amount, kEnUs));
    }
}
BENCHMARK(BM_FormatPrice);

// The calculateClicked() handler itself, called as the button's signal calls it.
void BM_CalculateHandler(benchmark::State& state)
{
    Window w;
    const QMetaObject* meta = w.window.metaObject();
    const QMetaMethod handler = meta->method(meta->indexOfSlot("calculateClicked()"));
    int64_t iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.typeNextButterPrice(iteration++);
        QCoreApplication::processEvents(); // repaints belong to the event loop, not the handler
        state.ResumeTiming();
        handler.invoke(&w.window, Qt::DirectConnection);
    }
    w.typeNextButterPrice(1);
    handler.invoke(&w.window, Qt::DirectConnection);
    if (!w.calculated())
        state.SkipWithError("Calculate did not show the prices");
}
BENCHMARK(BM_CalculateHandler);

// The same through the button, as its access key or Enter presses it.
void BM_CalculateButtonClick(benchmark::State& state)
{
    Window w;
    auto* button = w.window.findChild<QPushButton*>(QStringLiteral("cmdCalculate"));
    int64_t iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.typeNextButterPrice(iteration++);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        button->click();
    }
    w.typeNextButterPrice(1);
    button->click();
    if (!w.calculated())
        state.SkipWithError("Calculate did not show the prices");
}
BENCHMARK(BM_CalculateButtonClick);

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    // The handler reads the user's regional settings; pin them.
    QLocale::setDefault(kEnUs);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
