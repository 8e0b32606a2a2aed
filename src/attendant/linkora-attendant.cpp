// linkora-attendant: an answering service on the machine's telephone lines.

#include "Attendant.h"

#include <ServiceControl.h>
#include <VisibleText.h>

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> g_signals{0};

void onSignal(int)
{
    ++g_signals;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("linkora-attendant"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    const std::optional<AttendantOptions> options = AttendantOptions::parse(app.arguments().mid(1), &error);
    if (!options) {
        err << "linkora-attendant: " << Telephony::VisibleText::escaped(error)
            << "\nTry 'linkora-attendant --help'.\n";
        return 2;
    }
    if (options->help) {
        out << AttendantOptions::usage();
        return 0;
    }
    if (options->simSpeed) {
        Telephony::ServiceOptions service;
        service.providerSettings[QStringLiteral("simulated")].insert(QStringLiteral("pacing"), *options->simSpeed);
        Telephony::setServiceOptions(service);
    }

    Attendant attendant(*options);
    attendant.onLog = [&out](const QString& text) {
        out << Telephony::VisibleText::escaped(text) << '\n';
        out.flush();
    };
    attendant.onFinished = [&app] { app.exit(0); };
    if (!attendant.start(&error)) {
        err << "linkora-attendant: " << Telephony::VisibleText::escaped(error) << '\n';
        return 1;
    }
    // Signals are counted by the handler and acted on here, on the event loop.
    int handled = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &attendant, [&] {
        while (handled < g_signals.load()) {
            ++handled;
            attendant.stop();
        }
    });
    poll.start(100);
    return app.exec();
}
