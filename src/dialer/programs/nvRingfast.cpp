// nvRingfast: the dialer window on the line control.

#include <TForm1.h>
#include <TFormAboutBox.h>
#include <TnvInspector.h>
#include <TnvLine.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// The resident set of this process in kB, 0 when /proc does not tell.
long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer started;
    started.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nvRingfast"));
    QApplication::setDesktopFileName(QStringLiteral("nvringfast"));
    TnvInspector::setUp();

    // The start-up benchmark asks for one line once the window is up, then the end.
    const bool probe = qEnvironmentVariableIsSet("LINKORA_STARTUP_PROBE");
    // The information dialog opens over the window once it is shown; built only then, and
    // not at all when the probe ends the program there.
    std::unique_ptr<TFormAboutBox> about;
    TForm1 form([&about, probe]() -> TFormAboutBox* {
        if (probe)
            return nullptr;
        about = std::make_unique<TFormAboutBox>();
        return about.get();
    });
    if (probe) {
        QObject::connect(&form, &TForm1::firstShown, &app, [&] {
            std::printf("nvRingfast shown: %lld ms, %lld devices, VmRSS %ld kB\n",
                        static_cast<long long>(started.elapsed()),
                        static_cast<long long>(form.nvLine1()->Device()->Count()), residentKilobytes());
            std::fflush(stdout);
            QTimer::singleShot(0, &app, [] { QApplication::exit(0); });
        });
    }
    // The program ends with its main window, whatever other windows are still open.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&form, &TForm1::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    form.show();
    return app.exec();
}
