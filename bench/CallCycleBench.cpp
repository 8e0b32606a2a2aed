// Complete call cycles through the raw telephony API on the simulated exchange with no
// pacing: make the call, wait for connected, drop, wait for idle, deallocate.

#include <ServiceControl.h>
#include <TapiApi.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

HCALL g_call = 0;
DWORD g_lastState = 0;

void callback(DWORD device, DWORD message, DWORD, DWORD param1, DWORD, DWORD)
{
    if (message == LINE_CALLSTATE && device == g_call)
        g_lastState = param1;
}

void waitState(DWORD state)
{
    while (g_lastState != state)
        QCoreApplication::processEvents();
}

void callCycle(benchmark::State& state)
{
    QTemporaryDir dir;
    Telephony::ServiceOptions options;
    options.configPath = dir.filePath(QStringLiteral("telephony.conf"));
    options.pacing = 0.0;
    options.controlServer = false;
    Telephony::setServiceOptions(options);

    HLINEAPP app = 0;
    DWORD devices = 0;
    DWORD version = TAPI_VERSION2_2;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    lineInitializeExA(&app, nullptr, callback, "bench", &devices, &version, &params);
    HLINE line = 0;
    lineOpen(app, 0, &line, TAPI_VERSION2_2, 0, 1, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE, nullptr);

    for (auto _ : state) {
        g_call = 0;
        g_lastState = 0;
        lineMakeCall(line, &g_call, "5550100", 0, nullptr);
        waitState(LINECALLSTATE_CONNECTED);
        lineDrop(g_call, nullptr, 0);
        waitState(LINECALLSTATE_IDLE);
        lineDeallocateCall(g_call);
    }
    state.SetItemsProcessed(state.iterations());
    lineShutdown(app);
    QCoreApplication::processEvents();
}

BENCHMARK(callCycle)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
