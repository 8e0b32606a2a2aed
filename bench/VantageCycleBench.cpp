// The cost of the line inspector window: complete call cycles on the simulated exchange
// with no pacing (Dial to OnCallEnd, trace log on), once with the window closed and once
// with it open on the offscreen platform, in the same run. The window is refreshed on
// every change of the call, so the ratio of the two is what it adds to a call.

#include <ServiceControl.h>
#include <TnvCall.h>
#include <TnvInspector.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLog.h>
#include <TnvVantage.h>

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void runCycles(benchmark::State& state, bool windowOpen)
{
    TnvLine line;
    line.Log()->setActive(true);
    line.Device()->setIdleDelay(0);
    line.setEnabled(true);
    line.Device()->setActive(true);
    bool connected = false;
    bool ended = false;
    line.OnConnected = [&](TnvSharedControl*, int) { connected = true; };
    line.OnCallEnd = [&](TnvSharedControl*, int) { ended = true; };
    if (windowOpen) {
        line.Vantage()->setVisible(true);
        QApplication::processEvents();
    }
    for (auto _ : state) {
        connected = ended = false;
        line.Call()->setPhoneNumber(QStringLiteral("5550100"));
        line.Call()->Dial();
        while (!connected)
            QApplication::processEvents();
        line.Call()->Hangup();
        while (!ended)
            QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
    line.Vantage()->setVisible(false);
    line.Device()->setActive(false);
    QApplication::processEvents();
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
    Telephony::ServiceOptions options;
    options.configPath = dir.filePath(QStringLiteral("telephony.conf"));
    options.providerSettings[QStringLiteral("simulated")] = {{QStringLiteral("pacing"), 0.0}};
    options.controlServer = false;
    Telephony::setServiceOptions(options);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
