// A person rings a running program's line from outside, with linkora-sim.

#include "ApiHarness.h"

#include "EventLoop.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

class ControlSocket : public ApiHarness {};

} // namespace

TEST_F(ControlSocket, LinkoraSimRingsTheLine)
{
    Telephony::ServiceOptions options;
    options.configPath = m_configDir.filePath(QStringLiteral("telephony.conf"));
    options.providerSettings[QStringLiteral("simulated")] = {{QStringLiteral("pacing"), 0.0}};
    options.controlServerName = QStringLiteral("linkora-test-%1").arg(QCoreApplication::applicationPid());
    Telephony::setServiceOptions(options);

    const HLINEAPP app = initialize("ringing");
    open(app, 0, 5);
    QProcess sim;
    sim.start(QStringLiteral(LINKORA_SIM_PROGRAM),
              {QStringLiteral("--server"), options.controlServerName, QStringLiteral("ring"), QStringLiteral("--line"),
               QStringLiteral("1"), QStringLiteral("--name"), QStringLiteral("SMITH JOHN"), QStringLiteral("--number"),
               QStringLiteral("4255550100")});
    // The service answers through this process's event loop, so keep it running.
    ASSERT_TRUE(waitUntil([&] { return sim.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(sim.exitCode(), 0) << sim.readAllStandardError().toStdString();

    TapiMessage offered{};
    ASSERT_TRUE(waitFor(5, [](const TapiMessage& m) { return m.message == LINE_CALLSTATE && m.param1 == LINECALLSTATE_OFFERING; },
                        &offered));
    Block<LINECALLINFO> info(sizeof(LINECALLINFO) + 4096);
    ASSERT_EQ(lineGetCallInfo(offered.device, info.get()), 0);
    EXPECT_EQ(info.text(info->dwCallerIDSize, info->dwCallerIDOffset), QByteArray("4255550100"));
    EXPECT_EQ(info.text(info->dwCallerIDNameSize, info->dwCallerIDNameOffset), QByteArray("SMITH JOHN"));
}
