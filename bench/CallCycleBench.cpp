// Complete call cycles on the simulated exchange with no pacing, once through the raw
// telephony API (make the call, wait for connected, drop, wait for idle, deallocate) and
// once through the line control with its trace log on (Dial to OnCallEnd). Run together,
// the two give the control's cost as a ratio on the same machine at the same moment.
// The last one repeats the control's cycle with N idle records in the call list (calls
// the line saw go idle but could not end yet): the cost per cycle should not grow with N.

#include "CallCycle.h"

#include <TapiApi.h>
#include <TnvLinePrivate.h>

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

void rawApiCallCycle(benchmark::State& state)
{
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

// Handles the simulated exchange never gives out.
constexpr HCALL kIdleHandleBase = 0xF0000000u;

void runLineCycles(benchmark::State& state, int idleRecords)
{
    CallCycleLine cycles;
    TnvLine& line = cycles.line();
    qint64 lines = 0;
    line.OnLog = [&](TnvSharedControl*, const QString&) { ++lines; };
    TnvCallRecords& records = TnvLinePrivate::get(&line)->records();
    for (int i = 0; i < idleRecords; ++i)
        records.add(kIdleHandleBase + HCALL(i))->state = LINECALLSTATE_IDLE;
    for (auto _ : state)
        cycles.cycle();
    state.SetItemsProcessed(state.iterations());
    state.counters["trace_lines_per_call"] = double(lines) / double(qMax<qint64>(1, qint64(state.iterations())));
    cycles.close();
}

void lineControlCallCycle(benchmark::State& state)
{
    runLineCycles(state, 0);
}

void lineControlCallCycleIdleRecords(benchmark::State& state)
{
    runLineCycles(state, int(state.range(0)));
    state.counters["idle_records"] = double(state.range(0));
}

BENCHMARK(rawApiCallCycle)->Unit(benchmark::kMicrosecond);
BENCHMARK(lineControlCallCycle)->Unit(benchmark::kMicrosecond);
BENCHMARK(lineControlCallCycleIdleRecords)->Arg(100)->Arg(1000)->Arg(3000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    useInstantService(dir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
