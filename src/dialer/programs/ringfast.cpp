// ringfast: the nvRingfast dialer for terminals, scripts and servers.

#include <RingfastCommand.h>
#include <RingfastOptions.h>

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

void onSignal(int)
{
    RingfastCommand::interrupt();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ringfast"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    const std::optional<RingfastOptions> options = RingfastOptions::parse(QCoreApplication::arguments(), &error);
    if (!options) {
        err << "ringfast: " << error << "\nTry 'ringfast --help'.\n";
        return RingfastCommand::Usage;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    RingfastCommand command(*options, out, err);
    return command.run();
}
