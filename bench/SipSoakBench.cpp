// Memory over many calls on one SIP line: the line calls a local sipp far end that
// answers at once, call after call (10,000 unless LINKORA_SOAK_CALLS or --calls=N says
// otherwise), and the process's resident size is read after the warm-up calls (500, or
// --warmup=N, at most half the run), once the warm-up has also lasted 40 s, and at the
// end. A first run sends the line a few requests of nearly the largest datagram size
// and reads the resident size before, just after and some calls later. The figures are
// counters of the report, in MB and kB per call.

#include "TestPorts.h"

#include <ServiceControl.h>
#include <TnvCall.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLog.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

int g_calls = 10000;
int g_warmUp = 500;
constexpr qint64 kLingerMs = 40000;
constexpr int kHugeMessages = 20;
constexpr int kCallsAfterHuge = 50;

double residentMb()
{
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A number from /proc/self/status ("Threads", "RssAnon", ...), -1 when missing.
double statusField(const char* name)
{
    double value = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t length = std::strlen(name);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, name, length) == 0 && line[length] == ':')
                value = std::atof(line + length + 1);
        std::fclose(f);
    }
    return value;
}

bool soakWaitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// One sipp far end answering every call until killed.
class SoakFarEnd {
public:
    bool start()
    {
        const QString sipp = QStandardPaths::findExecutable(QStringLiteral("sipp"));
        m_port = TestPorts::next();
        if (sipp.isEmpty() || m_port == 0)
            return false;
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(sipp, {QStringLiteral("-sf"), QStringLiteral(LINKORA_SIP_BENCH_SCENARIO), QStringLiteral("-i"),
                               QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                               QStringLiteral("-mi"), QStringLiteral("127.0.0.1"), QStringLiteral("-mp"),
                               QString::number(TestPorts::next()), QStringLiteral("-timeout"),
                               QStringLiteral("3600"), QStringLiteral("-nostdin")});
        return m_process.waitForStarted(3000) && soakWaitUntil([this] {
                   QUdpSocket probe;
                   return !probe.bind(QHostAddress::LocalHost, quint16(m_port));
               });
    }
    ~SoakFarEnd()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = 0;
};

// A line of its own service calling the far end; the line's SIP port is known so that
// messages can be sent to it directly.
class SoakLine {
public:
    bool start(int farEndPort)
    {
        m_linePort = TestPorts::next();
        QFile config(m_dir.filePath(QStringLiteral("telephony.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral("[provider sip]\naudio = \"none\"\naccount1.identity = \"sip:alice@127.0.0.1\"\n"
                                    "account1.bindAddress = \"127.0.0.1\"\naccount1.port = %1\n"
                                    "account1.proxy = \"sip:127.0.0.1:%2\"\naccount1.register = false\n")
                         .arg(m_linePort)
                         .arg(farEndPort)
                         .toUtf8());
        config.close();
        Telephony::ServiceOptions options;
        options.configPath = config.fileName();
        options.controlServer = false;
        Telephony::setServiceOptions(options);
        m_line = std::make_unique<TnvLine>();
        m_line->Device()->setIdleDelay(0);
        m_line->setEnabled(true);
        m_line->Device()->setActive(true);
        m_line->OnConnected = [this](TnvSharedControl*, int) { m_connected = true; };
        m_line->OnCallEnd = [this](TnvSharedControl*, int) { m_ended = true; };
        m_line->Call()->setPhoneNumber(QStringLiteral("bob"));
        return m_line->Device()->Active();
    }
    ~SoakLine()
    {
        m_line.reset();
        soakWaitUntil([] { return !Telephony::serviceRunning(); }, 3000);
    }

    bool call()
    {
        m_connected = m_ended = false;
        if (!m_line->Call()->Dial() || !soakWaitUntil([this] { return m_connected; }))
            return false;
        m_line->Call()->Hangup();
        return soakWaitUntil([this] { return m_ended; });
    }

    int port() const { return m_linePort; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TnvLine> m_line;
    int m_linePort = 0;
    bool m_connected = false;
    bool m_ended = false;
};

// A request of about 60 kB, most of it one header; the line answers it.
QByteArray hugeOptions(int port, int replyPort, int n)
{
    const QByteArray pad(60000, 'x');
    return QStringLiteral("OPTIONS sip:alice@127.0.0.1:%1 SIP/2.0\r\n"
                          "Via: SIP/2.0/UDP 127.0.0.1:%3;branch=z9hG4bKsoak%2\r\n"
                          "Max-Forwards: 70\r\n"
                          "From: <sip:soak@127.0.0.1:%3>;tag=soak%2\r\n"
                          "To: <sip:alice@127.0.0.1:%1>\r\n"
                          "Call-ID: soak-huge-%2@127.0.0.1\r\n"
                          "CSeq: 1 OPTIONS\r\n"
                          "X-Padding: ")
               .arg(port)
               .arg(n)
               .arg(replyPort)
               .toLatin1() +
           pad + "\r\nContent-Length: 0\r\n\r\n";
}

void sipSoak(benchmark::State& state)
{
    SoakFarEnd far;
    if (!far.start()) {
        state.SkipWithError("sipp is not installed or did not start");
        return;
    }
    SoakLine line;
    if (!line.start(far.port())) {
        state.SkipWithError("the SIP line did not open");
        return;
    }
    const int warmUp = std::min(g_warmUp, int(state.max_iterations / 2));
    // The stack keeps a finished call's transactions for 32 s (the SIP timers), so the
    // warm-up also lasts that long before the figure that counts is taken.
    QElapsedTimer clock;
    clock.start();
    int done = 0;
    int warmCalls = 0;
    double atWarmUp = residentMb();
    double warm = atWarmUp;
    double warmThreads = statusField("Threads");
    for (auto _ : state) {
        if (!line.call()) {
            state.SkipWithError("a call failed");
            return;
        }
        if (++done == warmUp)
            atWarmUp = residentMb();
        if (warmCalls == 0 && done >= warmUp && clock.elapsed() >= kLingerMs) {
            warmCalls = done;
            warm = residentMb();
            warmThreads = statusField("Threads");
        }
    }
    const double end = residentMb();
    if (warmCalls == 0) {
        // A run too short to outlast the stack's timers: the figure holds what they keep.
        warmCalls = warmUp;
        warm = atWarmUp;
    }
    state.counters["rss_after_warmup_calls_MB"] = atWarmUp;
    state.counters["rss_warm_MB"] = warm;
    state.counters["warm_calls"] = warmCalls;
    state.counters["rss_end_MB"] = end;
    state.counters["threads_warm"] = warmThreads;
    state.counters["threads_end"] = statusField("Threads");
    state.counters["growth_kB_per_call"] = (end - warm) * 1024.0 / std::max(1, done - warmCalls);
    state.counters["growth_after_warmup_calls_kB_per_call"] = (end - atWarmUp) * 1024.0 / std::max(1, done - warmUp);
}

void sipHugeMessages(benchmark::State& state)
{
    SoakFarEnd far;
    if (!far.start()) {
        state.SkipWithError("sipp is not installed or did not start");
        return;
    }
    SoakLine line;
    if (!line.start(far.port())) {
        state.SkipWithError("the SIP line did not open");
        return;
    }
    for (int i = 0; i < kCallsAfterHuge; ++i)
        line.call();
    double before = 0, after = 0, later = 0;
    for (auto _ : state) {
        before = residentMb();
        QUdpSocket socket;
        socket.bind(QHostAddress::LocalHost, 0);
        int answered = 0;
        for (int n = 0; n < kHugeMessages; ++n) {
            socket.writeDatagram(hugeOptions(line.port(), socket.localPort(), n), QHostAddress::LocalHost, quint16(line.port()));
            // Answered or not, the stack has read it once a call after it went through.
            soakWaitUntil([&] { return socket.hasPendingDatagrams(); }, 500);
            while (socket.hasPendingDatagrams()) {
                socket.receiveDatagram();
                ++answered;
            }
        }
        line.call();
        after = residentMb();
        for (int i = 0; i < kCallsAfterHuge; ++i)
            line.call();
        later = residentMb();
        state.counters["answered"] = answered;
    }
    state.counters["rss_before_MB"] = before;
    state.counters["rss_after_MB"] = after;
    state.counters["rss_later_MB"] = later;
    state.counters["growth_MB"] = later - before;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* calls = std::getenv("LINKORA_SOAK_CALLS"))
        g_calls = std::max(2, std::atoi(calls));
    // --calls=N and --warmup=N are this program's own; the rest go to the benchmark library.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--calls=", 8) == 0)
            g_calls = std::max(2, std::atoi(argv[i] + 8));
        else if (std::strncmp(argv[i], "--warmup=", 9) == 0)
            g_warmUp = std::max(1, std::atoi(argv[i] + 9));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    QCoreApplication app(argc, argv);
    // The huge messages first, while the heap is still small.
    benchmark::RegisterBenchmark("sipHugeMessages", sipHugeMessages)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("sipSoak", sipSoak)->Iterations(g_calls)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
