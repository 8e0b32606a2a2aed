// Call set-up and tear-down on a SIP line against a local sipp far end that answers at
// once: through the line control (Dial to OnConnected, Hangup to OnCallEnd) and, in the
// same run, through the same SIP stack set-up driven directly (invite to connected,
// terminate to ended), both iterated by the same 10 ms timer. The ratio is the cost of
// the service and the line control on top of the stack.

#include <ServiceControl.h>
#include <SipEndpoint.h>
#include <TnvCall.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLog.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

int freePort()
{
    QUdpSocket socket;
    return socket.bind(QHostAddress::LocalHost, 0) ? socket.localPort() : 0;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// One sipp far end for the whole run.
class FarEnd {
public:
    bool start()
    {
        const QString sipp = QStandardPaths::findExecutable(QStringLiteral("sipp"));
        if (sipp.isEmpty())
            return false;
        m_port = freePort();
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(sipp, {QStringLiteral("-sf"), QStringLiteral(LINKORA_SIP_BENCH_SCENARIO), QStringLiteral("-i"),
                               QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                               QStringLiteral("-mi"), QStringLiteral("127.0.0.1"), QStringLiteral("-mp"),
                               QString::number(freePort()), QStringLiteral("-timeout"), QStringLiteral("300"),
                               QStringLiteral("-nostdin")});
        return m_process.waitForStarted(3000) && waitUntil([this] {
                   QUdpSocket probe;
                   return !probe.bind(QHostAddress::LocalHost, quint16(m_port));
               });
    }
    ~FarEnd()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = 0;
};

// Null when sipp is not installed or did not start.
FarEnd* farEnd()
{
    static FarEnd far;
    static const bool started = far.start();
    return started ? &far : nullptr;
}

Telephony::Sip::SipAccount account(int proxyPort)
{
    QVariantMap settings{{"account1.identity", "sip:alice@127.0.0.1"},
                         {"account1.bindAddress", "127.0.0.1"},
                         {"account1.proxy", QStringLiteral("sip:127.0.0.1:%1").arg(proxyPort)},
                         {"account1.register", false}};
    return Telephony::Sip::readAccounts(settings, nullptr).value(0);
}

class Watch : public Telephony::Sip::SipEndpoint::Events {
public:
    void registrationChanged(Telephony::Sip::SipEndpoint&) override {}
    void callStateChanged(Telephony::Sip::SipEndpoint&, const std::shared_ptr<linphone::Call>&,
                          linphone::Call::State state) override
    {
        last = state;
        connected = connected || state == linphone::Call::State::Connected;
    }
    void dtmfReceived(Telephony::Sip::SipEndpoint&, const std::shared_ptr<linphone::Call>&, int) override {}
    void transferStateChanged(Telephony::Sip::SipEndpoint&, const std::shared_ptr<linphone::Call>&,
                              linphone::Call::State) override
    {
    }
    linphone::Call::State last = linphone::Call::State::Idle;
    bool connected = false;
};

void bareStackCallCycle(benchmark::State& state)
{
    if (!farEnd()) {
        state.SkipWithError("sipp is not installed or did not start");
        return;
    }
    Watch watch;
    Telephony::Sip::SipEndpoint endpoint(0, account(farEnd()->port()), false, &watch);
    QString error;
    if (!endpoint.start(&error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    const auto target = endpoint.core()->interpretUrl("sip:bob@127.0.0.1");
    for (auto _ : state) {
        watch.last = linphone::Call::State::Idle;
        watch.connected = false;
        auto params = endpoint.core()->createCallParams(nullptr);
        params->enableVideo(false);
        auto call = endpoint.core()->inviteAddressWithParams(target, params);
        // Connected is what the line control reports as CONNECTED too.
        if (!call || !waitUntil([&] { return watch.connected; })) {
            state.SkipWithError(("the far end did not answer: " + std::to_string(int(watch.last))).c_str());
            return;
        }
        call->terminate();
        waitUntil([&] { return watch.last == linphone::Call::State::End || watch.last == linphone::Call::State::Released; });
    }
    state.SetItemsProcessed(state.iterations());
}

void lineControlCallCycle(benchmark::State& state)
{
    if (!farEnd()) {
        state.SkipWithError("sipp is not installed or did not start");
        return;
    }
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("telephony.conf")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("[provider sip]\naudio = \"none\"\naccount1.identity = \"sip:alice@127.0.0.1\"\n"
                                "account1.bindAddress = \"127.0.0.1\"\naccount1.proxy = \"sip:127.0.0.1:%1\"\n"
                                "account1.register = false\n")
                     .arg(farEnd()->port())
                     .toUtf8());
    config.close();
    Telephony::ServiceOptions options;
    options.configPath = config.fileName();
    options.controlServer = false;
    Telephony::setServiceOptions(options);
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
        line.Call()->setPhoneNumber(QStringLiteral("bob"));
        for (auto _ : state) {
            connected = ended = false;
            if (!line.Call()->Dial() || !waitUntil([&] { return connected; })) {
                state.SkipWithError("the far end did not answer");
                break;
            }
            line.Call()->Hangup();
            waitUntil([&] { return ended; });
        }
        state.SetItemsProcessed(state.iterations());
    }
    waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
}

BENCHMARK(bareStackCallCycle)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(lineControlCallCycle)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
