// linkora-sim: drives the simulated exchange of a running Linkora program from a shell,
// one command per run. See docs/linkora-sim.md.

#include "ControlClient.h"
#include "ControlCommandLine.h"
#include "../VisibleText.h"

#include <QCoreApplication>
#include <QTextStream>

using Telephony::ControlClient;
using Telephony::ControlCommandLine;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    ControlCommandLine commandLine;
    commandLine.parse(QCoreApplication::arguments().mid(1));
    switch (commandLine.action()) {
    case ControlCommandLine::Action::ShowUsage:
        out << ControlCommandLine::usage();
        return ControlCommandLine::ExitOk;
    case ControlCommandLine::Action::Invalid:
        err << "linkora-sim: " << Telephony::VisibleText::escaped(commandLine.errorText()) << "\n"
            << "Try 'linkora-sim --help'.\n";
        return ControlCommandLine::ExitUsage;
    case ControlCommandLine::Action::Send:
        break;
    }

    ControlClient client(commandLine.serverName());
    const QJsonObject response = client.request(commandLine.command(), commandLine.args(), commandLine.timeoutMs());
    if (client.lastFailure() == ControlClient::Failure::NoServer) {
        err << ControlCommandLine::noServerText() << "\n";
        return ControlCommandLine::ExitNoServer;
    }
    const QStringList fields = ControlCommandLine::fieldLines(response);
    if (response.value(QLatin1String("ok")).toBool()) {
        out << "ok\n";
        for (const QString& line : fields)
            out << line << "\n";
        return ControlCommandLine::ExitOk;
    }
    err << "error: " << ControlCommandLine::valueText(response.value(QLatin1String("error"))) << "\n";
    for (const QString& line : fields)
        err << line << "\n";
    return ControlCommandLine::ExitFailed;
}
