// Trace-log throughput: Add with Count 50 in each notation, with and without the time
// stamp, and with an inspector window open. With the window open the benchmark turns the
// event loop once every few lines, as a program does between messages, so whatever the
// window does with the lines (refresh, layout, paint) is part of the figure.

#include <TnvInspector.h>
#include <TnvLog.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kLinesPerTurn = 8;

class BenchControl : public TnvSharedControl {
public:
    BenchControl() { SetKind(ckLine, QStringLiteral("nvLine")); }
};

// Arguments: notation, time stamp (0/1), window open (0/1).
void addLine(benchmark::State& state)
{
    BenchControl control;
    control.Vantage()->setDevEnv(static_cast<TDevEnv>(state.range(0)));
    control.Log()->setTimeStamp(state.range(1) != 0);
    const bool window = state.range(2) != 0;
    if (window)
        control.Vantage()->setVisible(true);
    QCoreApplication::processEvents();
    // Distinct lines, as a real trace has: the window cannot skip a repeated one.
    QStringList texts;
    for (int i = 0; i < 64; ++i)
        texts << QStringLiteral("\tCall.Dial [%1] - Returned = True //Lines").arg(i, 8, 16, QLatin1Char('0'));
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(control.Log()->Add(true, texts.at(next++ & 63)));
        if (window && next % kLinesPerTurn == 0)
            QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(QStringLiteral("%1%2%3")
                       .arg(QStringList({"cpp", "delphi", "other", "basic"}).at(state.range(0)))
                       .arg(state.range(1) ? "+stamp" : "")
                       .arg(state.range(2) ? "+window" : "")
                       .toStdString());
    control.Vantage()->setVisible(false);
    QCoreApplication::processEvents();
}

BENCHMARK(addLine)->ArgsProduct({{deCppBuilder, deDelphi, deVisualBasic}, {0, 1}, {0, 1}});

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    TnvInspector::setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
