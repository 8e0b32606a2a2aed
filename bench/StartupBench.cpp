// Start-up as whole processes, each measured against a yardstick run in turn with it, so
// the ratio holds while the machine's speed drifts:
// - the nvRingfast dialer from launch to its window shown with the device list filled
//   (offscreen) against an empty widget window shown;
// - `ringfast dial` of one instant call, launch to exit, against an empty Qt Core program.
// Peak resident memory and processor time come from the kernel's accounting of each
// finished process.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Run {
    bool ok = false;
    double shownSeconds = 0; // until the line with the marker, else until exit
    double wholeSeconds = 0;
    double cpuSeconds = 0; // user and system, the whole process
    double peakRssKb = 0;
};

using Clock = std::chrono::steady_clock;

std::vector<std::string> g_environment;

// Starts argv with g_environment, reads its output until it ends and reaps it.
Run runProcess(const std::vector<std::string>& args, const char* marker)
{
    Run run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : g_environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return run;
    }
    std::string out;
    bool seen = marker == nullptr;
    char buffer[4096];
    for (;;) {
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, 30000) <= 0)
            break;
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        out.append(buffer, size_t(got));
        if (!seen && out.find(marker) != std::string::npos && out.find('\n', out.find(marker)) != std::string::npos) {
            seen = true;
            run.shownSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        }
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.wholeSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (marker == nullptr)
        run.shownSeconds = run.wholeSeconds;
    run.peakRssKb = double(usage.ru_maxrss);
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.ok = seen && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Runs the program and its yardstick in turn; the iteration time is the program's.
void pairedStartup(benchmark::State& state, const std::vector<std::string>& program,
                   const std::vector<std::string>& yardstick, const char* marker)
{
    std::vector<double> ratios, programMs, yardstickMs, programRss, yardstickRss, cpuRatios, programCpu, yardstickCpu;
    for (auto _ : state) {
        const Run a = runProcess(program, marker);
        const Run b = runProcess(yardstick, marker);
        if (!a.ok || !b.ok) {
            state.SkipWithError(!a.ok ? "the program did not run to its end" : "the yardstick did not run to its end");
            break;
        }
        state.SetIterationTime(a.shownSeconds);
        programMs.push_back(a.shownSeconds * 1e3);
        yardstickMs.push_back(b.shownSeconds * 1e3);
        ratios.push_back(a.shownSeconds / b.shownSeconds);
        programCpu.push_back(a.cpuSeconds * 1e3);
        yardstickCpu.push_back(b.cpuSeconds * 1e3);
        if (b.cpuSeconds > 0)
            cpuRatios.push_back(a.cpuSeconds / b.cpuSeconds);
        programRss.push_back(a.peakRssKb);
        yardstickRss.push_back(b.peakRssKb);
    }
    state.counters["ms"] = median(programMs);
    state.counters["yardstick_ms"] = median(yardstickMs);
    state.counters["ratio"] = median(ratios);
    // On a busy machine the wall clock also counts waiting for a processor; the processor
    // time of the whole process does not.
    state.counters["cpu_ms"] = median(programCpu);
    state.counters["yardstick_cpu_ms"] = median(yardstickCpu);
    state.counters["cpu_ratio"] = median(cpuRatios);
    state.counters["peak_rss_kB"] = median(programRss);
    state.counters["yardstick_peak_rss_kB"] = median(yardstickRss);
    state.counters["rss_ratio"] = median(yardstickRss) > 0 ? median(programRss) / median(yardstickRss) : 0;
}

void BM_DialerVsEmptyWindow(benchmark::State& state)
{
    pairedStartup(state, {LINKORA_NVRINGFAST}, {LINKORA_EMPTY_WINDOW}, " shown: ");
}
BENCHMARK(BM_DialerVsEmptyWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RingfastDialVsEmptyCore(benchmark::State& state)
{
    pairedStartup(state,
                  {LINKORA_RINGFAST, "dial", "5550100", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "0"},
                  {LINKORA_EMPTY_CORE}, nullptr);
}
BENCHMARK(BM_RingfastDialVsEmptyCore)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Every run gets an empty configuration and runtime folder of its own session.
    QTemporaryDir home;
    const auto overridden = [](const std::string& entry) {
        for (const char* name : {"QT_QPA_PLATFORM=", "LINKORA_STARTUP_PROBE=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR="})
            if (entry.rfind(name, 0) == 0)
                return true;
        return false;
    };
    for (char** e = environ; *e; ++e) {
        if (!overridden(*e))
            g_environment.emplace_back(*e);
    }
    const std::string dir = home.path().toStdString();
    g_environment.push_back("QT_QPA_PLATFORM=offscreen");
    g_environment.push_back("LINKORA_STARTUP_PROBE=1");
    g_environment.push_back("XDG_CONFIG_HOME=" + dir);
    g_environment.push_back("XDG_RUNTIME_DIR=" + dir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
