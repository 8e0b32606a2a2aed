// ringfast: the nvRingfast dialer for terminals, scripts and servers.

#include <RingfastCommand.h>
#include <RingfastOptions.h>
#include <RingfastShell.h>

#include <VisibleText.h>

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

void onSignal(int signal)
{
    // A command waiting for its calls hangs up first. Before it waits (starting up,
    // reading the configuration) nothing would look at the request, so the signal
    // does what it does to any program.
    if (!RingfastCommand::interrupt()) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ringfast"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    const std::optional<RingfastOptions> options = RingfastOptions::parse(QCoreApplication::arguments(), &error);
    if (!options) {
        err << "ringfast: " << Telephony::VisibleText::escaped(error) << "\nTry 'ringfast --help'.\n";
        return RingfastCommand::Usage;
    }
    if (options->command == RingfastOptions::Command::Shell || options->command == RingfastOptions::Command::Run) {
        RingfastShell shell(*options, out, err);
        return shell.run();
    }
    RingfastCommand command(*options, out, err);
    return command.run();
}
