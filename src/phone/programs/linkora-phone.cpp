// linkora-phone: opens a phone device through the phone control and lets a person drive
// it from a terminal, printing the control's events and trace. With the simulated
// exchange, "linkora-sim lift" and the like act at the phone's side meanwhile. With
// --window the control's inspector window shows the phone as well.

#include "PhoneConsole.h"

#include <TnvInspector.h>
#include <TnvPhone.h>
#include <TnvVantage.h>

#include <ServiceControl.h>
#include <VisibleText.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <unistd.h>

int main(int argc, char** argv)
{
    // A terminal without a display still runs the console alone.
    bool window = false;
    for (int i = 1; i < argc; ++i)
        window = window || QByteArray(argv[i]) == "--window";
    std::unique_ptr<QCoreApplication> app;
    if (window)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("linkora-phone"));
    QTextStream out(stdout);
    QStringList args = QCoreApplication::arguments().mid(1);
    args.removeAll(QStringLiteral("--window"));
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        out << "usage: linkora-phone [--window] [--server NAME] [DEVICE]\n"
               "Opens phone device DEVICE (default 0) and reads commands from standard input.\n"
               "--server names the control channel linkora-sim reaches the exchange through\n"
               "(linkora-sim --server NAME ...); without it the per-user default is used.\n"
               "--window shows the phone control's inspector window as well.\n\n"
            << PhoneConsole::helpText();
        return 0;
    }
    if (const qsizetype at = args.indexOf(QLatin1String("--server")); at >= 0) {
        if (at + 1 >= args.size() || args.at(at + 1).isEmpty()) {
            QTextStream(stderr) << "linkora-phone: --server needs a name\n";
            return 2;
        }
        Telephony::ServiceOptions options;
        options.controlServerName = args.at(at + 1);
        Telephony::setServiceOptions(options);
        args.remove(at, 2);
    }
    int device = 0;
    if (!args.isEmpty()) {
        bool ok = false;
        device = args.first().toInt(&ok);
        if (!ok || device < 0 || args.size() > 1) {
            QTextStream(stderr) << "linkora-phone: the only argument is a device number\n";
            return 2;
        }
    }

    TnvPhone phone;
    phone.setName(QStringLiteral("nvPhone1"));
    PhoneConsole console(&phone, [&out](const QString& line) {
        out << Telephony::VisibleText::escaped(line, Telephony::VisibleText::KeepTabs | Telephony::VisibleText::KeepNewlines) << '\n';
        out.flush();
    });
    phone.setEnabled(true);
    if (device != 0)
        phone.Device()->setID(device);
    phone.Device()->setActive(true);
    if (window) {
        TnvInspector::setUp();
        phone.Vantage()->setVisible(true);
    }
    out << "Type help for the commands.\n";
    out.flush();

    // Read unbuffered: lines left in a stream's buffer would raise no second notice.
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, app.get(), [&] {
        // A command waits for its reply in the event loop; no second one starts meanwhile.
        notifier.setEnabled(false);
        char chunk[4096];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            notifier.setEnabled(true);
            return;
        }
        const bool atEnd = got <= 0;
        if (!console.runInput(QByteArray(chunk, atEnd ? 0 : qsizetype(got)), atEnd) || atEnd) {
            QCoreApplication::quit();
            return;
        }
        notifier.setEnabled(true);
    });
    const int result = QCoreApplication::exec();
    phone.setEnabled(false);
    return result;
}
