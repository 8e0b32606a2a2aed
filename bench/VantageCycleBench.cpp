// The cost of the line inspector window: complete call cycles on the simulated exchange
// with no pacing (Dial to OnCallEnd, trace log on), once with the window closed and once
// with it open on the offscreen platform, in the same run. The window is refreshed on
// every change of the call, so the ratio of the two is what it adds to a call.

#include "CallCycle.h"

#include <TnvInspector.h>
#include <TnvVantage.h>

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void runCycles(benchmark::State& state, bool windowOpen)
{
    CallCycleLine cycles;
    TnvLine& line = cycles.line();
    if (windowOpen) {
        line.Vantage()->setVisible(true);
        QApplication::processEvents();
    }
    for (auto _ : state)
        cycles.cycle();
    state.SetItemsProcessed(state.iterations());
    line.Vantage()->setVisible(false);
    cycles.close();
}

void callCycleWindowClosed(benchmark::State& state)
{
    runCycles(state, false);
}

void callCycleWindowOpen(benchmark::State& state)
{
    runCycles(state, true);
}

BENCHMARK(callCycleWindowClosed)->Unit(benchmark::kMicrosecond);
BENCHMARK(callCycleWindowOpen)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TnvInspector::setUp();
    QTemporaryDir dir;
    useInstantService(dir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
