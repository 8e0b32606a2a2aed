#include "WaveDeviceCommands.h"

#include <TnvPlay.h>
#include <TnvRecord.h>
#include <TnvVantage.h>
#include <TnvWaveRecovery.h>
#include <TnvWaveNumbers.h>

#include <VisibleText.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <optional>

namespace {

std::atomic<bool> g_interrupted{false};

void printTo(FILE* to, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

int deviceUsage(const QString& problem)
{
    printTo(stderr, QStringLiteral("linkora-wave: ") + problem + QStringLiteral("\nTry 'linkora-wave --help'.\n"));
    return 2;
}

// Takes "--name VALUE" out of args; an empty value when the option ends the line.
std::optional<QString> takeOption(QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return std::nullopt;
    const QString value = at + 1 < args.size() ? args.at(at + 1) : QString();
    args.remove(at, at + 1 < args.size() ? 2 : 1);
    return value;
}

bool takeFlag(QStringList& args, const QString& name)
{
    return args.removeAll(name) > 0;
}

// The device a --device value names: its number, or its name (exactly, else the one
// name that contains it, ignoring case).
std::optional<int> deviceIndex(const QStringList& list, const QString& wanted)
{
    bool number = false;
    const int id = wanted.toInt(&number);
    if (number)
        return id >= 0 && id < list.size() ? std::optional<int>(id) : std::nullopt;
    if (const qsizetype exact = list.indexOf(wanted); exact >= 0)
        return int(exact);
    std::optional<int> found;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).contains(wanted, Qt::CaseInsensitive)) {
            if (found)
                return std::nullopt;
            found = int(i);
        }
    }
    return found;
}

QString deviceListText(const QStringList& list)
{
    QString text;
    for (qsizetype i = 0; i < list.size(); ++i)
        text += QStringLiteral("  %1  %2\n").arg(i).arg(list.at(i));
    return text.isEmpty() ? QStringLiteral("  (none)\n") : text;
}

void traceTo(TnvSharedControl& control, bool trace)
{
    control.OnLog = [trace](TnvSharedControl*, const QString& line) {
        if (trace)
            printTo(stderr, Telephony::VisibleText::escaped(line, Telephony::VisibleText::KeepTabs) + QLatin1Char('\n'));
    };
}

int failed(TnvSharedControl& control, const QString& what)
{
    printTo(stderr, QStringLiteral("linkora-wave: %1: %2 (%3)\n")
                      .arg(what, control.Error()->Text())
                      .arg(control.Error()->Number()));
    return 1;
}

template<typename Device>
bool selectDevice(Device* device, TnvSharedControl& control, const std::optional<QString>& wanted, const QString& kind)
{
    if (!wanted)
        return true;
    const std::optional<int> id = deviceIndex(device->List(), *wanted);
    if (!id) {
        printTo(stderr, QStringLiteral("linkora-wave: no single %1 device '%2'; there are:\n").arg(kind, *wanted)
                          + deviceListText(device->List()));
        return false;
    }
    device->setID(*id);
    return control.Error()->Number() == 0;
}

// Runs the event loop until done() holds, polling for Ctrl+C, which calls stop() once.
void runUntil(const std::function<bool()>& done, const std::function<void()>& stop)
{
    QEventLoop loop;
    QTimer poll;
    bool stopping = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        } else if (g_interrupted.exchange(false) && !stopping) {
            stopping = true;
            stop();
        }
    });
    poll.start(50);
    if (!done())
        loop.exec();
}

// The inspector window, where the program registered one (a person trying the control).
void showVantage(TnvSharedControl& control, bool vantage)
{
    if (vantage)
        control.Vantage()->setVisible(true);
}

// Until the person closes the window; Ctrl+C closes it.
void runWhileShown(TnvSharedControl& control)
{
    if (control.Vantage()->window())
        runUntil([&] { return !control.Vantage()->window(); }, [&] { control.Vantage()->setVisible(false); });
}

// The control keeps a recording it could not save in its buffer; the process is about
// to end, so the buffer goes to a recovery file rather than with it.
void rescueRecording(TnvRecord& control, const QString& target)
{
    if (!control.Source()->Buffer()->Handle())
        return;
    const QString name = TnvWaveRecovery::rescue(control, target);
    if (!name.isEmpty()) {
        printTo(stderr, QStringLiteral("linkora-wave: the recording is saved in %1\n").arg(name));
        return;
    }
    printTo(stderr, QStringLiteral("linkora-wave: the recording could not be saved anywhere and is lost%1\n")
                      .arg(control.Error()->Number() ? QStringLiteral(" (%1)").arg(control.Error()->Text()) : QString()));
}

} // namespace

void WaveDeviceCommands::interrupt()
{
    g_interrupted = true;
}

int WaveDeviceCommands::devices()
{
    TnvPlay play;
    TnvRecord record;
    printTo(stdout, QStringLiteral("Play devices (--device N or NAME):\n") + deviceListText(play.Device()->List())
                      + QStringLiteral("Record devices (--device N or NAME):\n")
                      + deviceListText(record.Device()->List()));
    return 0;
}

int WaveDeviceCommands::play(QStringList args, bool trace, bool vantage)
{
    const std::optional<QString> device = takeOption(args, QStringLiteral("--device"));
    const std::optional<QString> volume = takeOption(args, QStringLiteral("--volume"));
    const bool loop = takeFlag(args, QStringLiteral("--loop"));
    if (args.size() != 1)
        return deviceUsage(QStringLiteral("play takes FILE[,FILE...]"));
    int percent = -1;
    if (volume) {
        bool ok = false;
        percent = volume->toInt(&ok);
        if (!ok || percent < 0 || percent > 100)
            return deviceUsage(QStringLiteral("--volume wants a percent from 0 to 100"));
    }

    TnvPlay control;
    traceTo(control, trace);
    if (!selectDevice(control.Device(), control, device, QStringLiteral("play")))
        return device && control.Error()->Number() ? failed(control, *device) : 2;
    control.Source()->setFileName(args.first());
    if (!control.Source()->Valid())
        return failed(control, args.first());
    if (percent >= 0) {
        control.Volume()->setEnabled(true);
        control.Volume()->setPosition(percent);
    }
    control.Device()->setLoop(loop);
    control.Device()->setCODECsEnabled(true);
    bool done = false;
    control.OnDone = [&done](TnvSharedControl*) { done = true; };
    printTo(stdout, QStringLiteral("Playing %1 (%2 s) on %3%4\n")
                      .arg(args.first(), TnvWaveNumbers::secondsText(control.Source()->Format()->Seconds()),
                           control.Device()->Name(), loop ? QStringLiteral(", looping until Ctrl+C") : QString()));
    showVantage(control, vantage);
    control.Device()->setActive(true);
    if (!control.Device()->Active() && !done && !vantage)
        return failed(control, args.first());
    runUntil([&] { return done || !control.Device()->Active(); }, [&] { control.Device()->setActive(false); });
    const int code = control.Error()->Number() ? failed(control, args.first()) : 0;
    runWhileShown(control);
    control.OnLog = nullptr;
    return code;
}

int WaveDeviceCommands::record(QStringList args, bool trace, bool vantage)
{
    const std::optional<QString> device = takeOption(args, QStringLiteral("--device"));
    const std::optional<QString> seconds = takeOption(args, QStringLiteral("--seconds"));
    const std::optional<QString> format = takeOption(args, QStringLiteral("--format"));
    const bool append = takeFlag(args, QStringLiteral("--append-buffer"));
    if (args.size() != 1 || !seconds)
        return deviceUsage(QStringLiteral("record takes FILE and --seconds S"));
    bool ok = false;
    const double length = seconds->toDouble(&ok);
    if (!ok || !(length > 0) || length > 24 * 3600)
        return deviceUsage(QStringLiteral("--seconds wants a number above 0"));
    std::optional<TWaveFormatID> id;
    if (format) {
        const int number = format->toInt(&ok);
        for (int i = 1; i < TnvWaveFormat::FormatCount && !id; ++i)
            if ((ok && number == i) || TnvWaveFormat::IDName(TWaveFormatID(i)).compare(*format, Qt::CaseInsensitive) == 0)
                id = TWaveFormatID(i);
        if (!id)
            return deviceUsage(QStringLiteral("--format wants a format number from 1 to 23 or its name (wfPCM08000M16)"));
    }

    TnvRecord control;
    traceTo(control, trace);
    if (!selectDevice(control.Device(), control, device, QStringLiteral("record")))
        return device && control.Error()->Number() ? failed(control, *device) : 2;
    const QString file = args.first();
    TnvWaveBuffer* buffer = control.Source()->Buffer();
    if (append) {
        // The file's sound goes into the buffer, the recording behind it, and the whole
        // back into the file.
        if (QFileInfo::exists(file) && !buffer->LoadFromFile(file))
            return failed(control, file);
        if (!buffer->Active())
            buffer->setActive(true);
        control.Device()->setAppend(true);
    } else {
        control.Source()->setFileName(file);
        if (!control.Source()->Valid())
            return deviceUsage(QStringLiteral("%1: no such folder").arg(file));
    }
    if (id && !(append && buffer->Handle()))
        control.Source()->Format()->setID(*id);
    control.Device()->setCODECsEnabled(true);
    bool done = false;
    control.OnDone = [&done](TnvSharedControl*) { done = true; };
    printTo(stdout, QStringLiteral("Recording %1 s of %2 from %3 into %4\n")
                      .arg(TnvWaveNumbers::secondsText(length), control.Source()->Format()->Name(),
                           control.Device()->Name(), file));
    showVantage(control, vantage);
    control.Device()->setActive(true);
    if (!control.Device()->Active() && !vantage)
        return failed(control, control.Device()->Name());
    QTimer::singleShot(int(length * 1000.0), &control, [&] {
        if (control.Device()->Active())
            control.Device()->setActive(false);
    });
    runUntil([&] { return done; }, [&] { control.Device()->setActive(false); });
    int code = control.Error()->Number() ? failed(control, file) : 0;
    if (append && code == 0 && !buffer->SaveToFile(file))
        code = failed(control, file);
    if (code != 0)
        rescueRecording(control, file);
    if (code == 0)
        printTo(stdout, QStringLiteral("Saved %1 bytes (%2 s)\n")
                          .arg(TnvWaveNumbers::bytesText(control.Source()->Format()->Bytes()),
                               TnvWaveNumbers::secondsText(control.Source()->Format()->Seconds())));
    runWhileShown(control);
    control.OnLog = nullptr;
    return code;
}
