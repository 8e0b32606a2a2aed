// The wave devices' own costs on the loopback output: the CPU time of the whole process
// while a sound plays in real time (as a share of one core), and how long after
// waveOutWrite the device starts taking samples. LINKORA_BENCH_WAVE_SECONDS sets the
// sound's length (10 by default).

#include <MmMessageEvent.h>
#include <WaveApi.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <vector>

namespace {

int seconds()
{
    const int s = qEnvironmentVariableIntValue("LINKORA_BENCH_WAVE_SECONDS");
    return s > 0 ? s : 10;
}

UINT loopbackOut()
{
    for (UINT i = 0; i < waveOutGetNumDevs(); ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR
            && std::strcmp(caps.szPname, "Linkora Loopback") == 0)
            return i;
    }
    return WAVE_MAPPER;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Ends the event loop when the buffer comes back.
class DoneWindow : public QObject {
public:
    QEventLoop loop;
    bool event(QEvent* e) override
    {
        if (e->type() != MmMessageEvent::eventType())
            return QObject::event(e);
        if (static_cast<MmMessageEvent*>(e)->message() == MM_WOM_DONE)
            loop.quit();
        return true;
    }
};

void playCost(benchmark::State& state, WAVEFORMATEX format)
{
    std::vector<char> sound(std::size_t(format.nAvgBytesPerSec) * std::size_t(seconds()));
    for (std::size_t i = 0; i < sound.size(); ++i)
        sound[i] = char(i * 7);
    DoneWindow window;
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, loopbackOut(), &format, DWORD_PTR(static_cast<QObject*>(&window)), 0, CALLBACK_WINDOW) != 0) {
        state.SkipWithError("no loopback output");
        return;
    }
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        WAVEHDR h{};
        h.lpData = sound.data();
        h.dwBufferLength = DWORD(sound.size());
        waveOutPrepareHeader(out, &h, sizeof h);
        QElapsedTimer clock;
        clock.start();
        const double before = cpuSeconds();
        waveOutWrite(out, &h, sizeof h);
        // Sleeps in the event loop until the buffer is back, as a program would.
        window.loop.exec();
        cpu += cpuSeconds() - before;
        wall += double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        waveOutUnprepareHeader(out, &h, sizeof h);
    }
    waveOutClose(out);
    state.counters["cpu_percent_of_core"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["sound_seconds"] = seconds();
}

void BM_PlayCost8k(benchmark::State& state)
{
    playCost(state, {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0});
}
BENCHMARK(BM_PlayCost8k)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_PlayCost44kStereo(benchmark::State& state)
{
    playCost(state, {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0});
}
BENCHMARK(BM_PlayCost44kStereo)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// From waveOutWrite until the device's position moves: the device took its first samples.
void BM_StartLatency(benchmark::State& state)
{
    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    std::vector<char> sound(1600, 1); // 50 ms
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, loopbackOut(), &format, 0, 0, CALLBACK_NULL) != 0) {
        state.SkipWithError("no loopback output");
        return;
    }
    double worst = 0;
    for (auto _ : state) {
        WAVEHDR h{};
        h.lpData = sound.data();
        h.dwBufferLength = DWORD(sound.size());
        waveOutPrepareHeader(out, &h, sizeof h);
        MMTIME t{};
        t.wType = TIME_BYTES;
        QElapsedTimer clock;
        clock.start();
        waveOutWrite(out, &h, sizeof h);
        do
            waveOutGetPosition(out, &t, sizeof t);
        while (t.u.cb == 0 && clock.nsecsElapsed() < 1000000000);
        const double s = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(s);
        worst = std::max(worst, s);
        waveOutReset(out);
        QCoreApplication::processEvents();
        waveOutUnprepareHeader(out, &h, sizeof h);
    }
    waveOutClose(out);
    state.counters["worst_ms"] = worst * 1000;
}
BENCHMARK(BM_StartLatency)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
