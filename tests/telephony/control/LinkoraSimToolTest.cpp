// The linkora-sim program itself, run as a person would run it, against a test server.

#include "ControlTestHelpers.h"

#include <ControlCommandLine.h>
#include <ControlServer.h>

#include <QProcess>

using namespace ControlTest;
using Telephony::ControlCommandLine;
using Telephony::ControlServer;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Pumps our event loop meanwhile, since the server it talks to lives on this thread.
ToolRun runTool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(LINKORA_SIM_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForStarted());
    EXPECT_TRUE(waitUntil([&] { return process.state() == QProcess::NotRunning; }, 20000));
    ToolRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(LinkoraSimTool, ExitCodesTellWhatHappened)
{
    const QString name = uniqueChannelName();
    ControlServer server(name);
    server.setHandler([](const QString& command, const QJsonObject& args) {
        if (command == QLatin1String("ring"))
            return QJsonObject{{"ok", true}, {"call", 7}, {"line", args.value("line")}};
        return QJsonObject{{"ok", false}, {"error", QString("unknown command \"%1\"").arg(command)}};
    });
    ASSERT_TRUE(server.listen()) << qPrintable(server.errorString());

    struct Case {
        QStringList arguments;
        int exitCode;
        QString out;
        QString err;
    };
    const QList<Case> cases{
        {{"--server", name, "ring", "--line", "1"}, ControlCommandLine::ExitOk, "ok\ncall: 7\nline: 1\n", {}},
        {{"--server", name, "dance"}, ControlCommandLine::ExitFailed, {}, "error: unknown command \"dance\"\n"},
        {{"--server", name + "-gone", "ring"}, ControlCommandLine::ExitNoServer, {},
         ControlCommandLine::noServerText() + "\n"},
        {{"--server", name, "ring", "stray"}, ControlCommandLine::ExitUsage, {}, "linkora-sim: unexpected"},
        {{"--help"}, ControlCommandLine::ExitOk, "Usage: linkora-sim", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(' ')));
        const ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.out.startsWith(c.out)) << qPrintable(run.out);
        EXPECT_TRUE(run.err.startsWith(c.err)) << qPrintable(run.err);
        EXPECT_EQ(run.out.isEmpty(), c.out.isEmpty());
    }
}

} // namespace
