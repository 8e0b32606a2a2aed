// Start-up of the nvRingfast dialer: from launching the program to its window shown with
// the device list filled (offscreen), and the resident memory it then holds. The program
// prints one line when shown and ends at once when LINKORA_STARTUP_PROBE is set.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

void BM_DialerStartup(benchmark::State& state)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LINKORA_STARTUP_PROBE"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    const QRegularExpression marker(QStringLiteral("nvRingfast shown: (\\d+) ms, (\\d+) devices, VmRSS (\\d+) kB"));
    double rssKb = 0;
    double devices = 0;
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral(LINKORA_NVRINGFAST), {});
        QString out;
        QRegularExpressionMatch match;
        while (!(match = marker.match(out)).hasMatch() && process.waitForReadyRead(10000))
            out += QString::fromUtf8(process.readAllStandardOutput());
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        process.waitForFinished(10000);
        if (!match.hasMatch()) {
            state.SkipWithError("nvRingfast did not report its window shown");
            break;
        }
        state.SetIterationTime(seconds);
        rssKb = match.captured(3).toDouble();
        devices = match.captured(2).toDouble();
    }
    state.counters["idle_rss_kB"] = rssKb;
    state.counters["devices"] = devices;
}
BENCHMARK(BM_DialerStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
