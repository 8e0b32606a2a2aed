// linkora-wave: looks at, joins, cuts and tags RIFF WAVE files through a wave buffer,
// and plays and records them on the wave devices, for people and scripts. Exit codes:
// 0 done, 1 a file or device failed, 2 the command line was wrong.

#include "WaveDeviceCommands.h"

#include <TnvWaveControl.h>
#include <TnvWaveFileReader.h>
#include <TnvWaveInfo.h>
#include <TnvWaveNumbers.h>

#include <TnvResultTexts.h>

#include <TnvInspector.h>

#include <VisibleText.h>

#include <QApplication>
#include <QDate>
#include <QStringList>

#include <csignal>
#include <cstring>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace {

const char kUsage[] =
    "usage: linkora-wave COMMAND ... [--trace]\n"
    "  info FILE                          format, sizes, duration and INFO texts\n"
    "  join OUT IN1,IN2,...               one file of the inputs' samples in turn\n"
    "  cut OUT IN --before S | --after S  drop the first S seconds, or keep only them\n"
    "  tag FILE [--author T] [--name T] [--date YYYY-MM-DD]\n"
    "                                     set INFO texts and save the file in place\n"
    "  devices                            the play and record devices\n"
    "  play FILE[,FILE...] [--device N|NAME] [--loop] [--volume P]\n"
    "                                     play the files in turn (Ctrl+C stops)\n"
    "  record FILE --seconds S [--device N|NAME] [--format ID] [--append-buffer]\n"
    "                                     record S seconds into FILE (Ctrl+C stops early);\n"
    "                                     ID is a format number or name (wfPCM08000M16);\n"
    "                                     --append-buffer adds to what FILE holds\n"
    "  --vantage                          play and record also show the control's\n"
    "                                     inspector window and run until it is closed\n"
    "  --trace                            print the control's trace lines on stderr\n";

void print(FILE* to, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
}

QString visible(const QString& text)
{
    return Telephony::VisibleText::escaped(text, Telephony::VisibleText::KeepTabs);
}

int usage(const QString& problem)
{
    print(stderr, QStringLiteral("linkora-wave: ") + problem + QLatin1Char('\n'));
    std::fputs(kUsage, stderr);
    return 2;
}

// A control to hold the buffer; it remembers the last "File:" detail so errors can say
// which input failed.
class WaveTool {
public:
    explicit WaveTool(bool trace)
        : m_trace(trace)
        , m_control(ckPlay)
    {
        m_control.OnLog = [this, trace](TnvSharedControl*, const QString& line) {
            if (line.trimmed().startsWith(QStringLiteral("File: ")))
                m_lastFile = line.trimmed().mid(6);
            if (trace)
                print(stderr, visible(line) + QLatin1Char('\n'));
        };
    }

    TnvWaveBuffer* buffer() { return m_control.Source()->Buffer(); }
    TnvWaveFormat* format() { return m_control.Source()->Format(); }

    // The message for a failed step, naming the file the step was about.
    int fail(const QString& file)
    {
        const qint32 code = m_control.Error()->Number();
        const QString which = m_lastFile.isEmpty() ? file : m_lastFile;
        print(stderr, QStringLiteral("linkora-wave: %1: %2 (%3)\n")
                          .arg(visible(which), code ? m_control.Error()->Text() : QStringLiteral("failed"))
                          .arg(code));
        return 1;
    }

    bool load(const QString& names)
    {
        m_lastFile.clear();
        return buffer()->LoadFromFile(names);
    }

    // The control's closing lines still reach the trace, but not this object.
    ~WaveTool()
    {
        const bool trace = m_trace;
        m_control.OnLog = [trace](TnvSharedControl*, const QString& line) {
            if (trace)
                print(stderr, visible(line) + QLatin1Char('\n'));
        };
    }

private:
    bool m_trace = false;
    QString m_lastFile;
    TnvWaveControl m_control;
};

// A rewritten file keeps only the 18-byte format chunk; a format with data of its own
// (compressed, extensible) would come out unreadable, so such inputs are refused.
bool rewritable(const QString& names)
{
    QString directory;
    const QStringList elements = names.split(QLatin1Char(','));
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const QString name = TnvWaveFileReader::completeName(elements.at(i).trimmed(), directory);
        if (i == 0 && name.contains(QLatin1Char('/')))
            directory = name.left(name.lastIndexOf(QLatin1Char('/')));
        TnvWaveFileReader reader;
        if (reader.open(name) == 0 && reader.extraFormatBytes() > 0) {
            print(stderr, QStringLiteral("linkora-wave: %1: the format carries %2 bytes of its own that a rewritten "
                                         "file would lose; not rewritten\n")
                              .arg(name)
                              .arg(reader.extraFormatBytes()));
            return false;
        }
    }
    return true;
}

int info(WaveTool& tool, const QString& file)
{
    if (!tool.load(file))
        return tool.fail(file);
    const TnvWaveFormat* f = tool.format();
    const TnvWaveBuffer* b = tool.buffer();
    QString out;
    out += QStringLiteral("File: %1\n").arg(visible(file));
    out += QStringLiteral("Format: %1 (%2, ID %3)\n").arg(f->Name(), TnvWaveFormat::IDName(f->ID())).arg(int(f->ID()));
    out += QStringLiteral("Tag: %1\nChannels: %2\nSamplesPerSec: %3\nAvgBytesPerSec: %4\nBlockAlign: %5\n"
                          "BitsPerSample: %6\n")
               .arg(f->Tag())
               .arg(f->Channels())
               .arg(f->SamplesPerSec())
               .arg(f->AvgBytesPerSec())
               .arg(f->BlockAlign())
               .arg(f->BitsPerSample());
    out += QStringLiteral("Bytes: %1\n").arg(TnvWaveNumbers::bytesText(f->Bytes()));
    out += QStringLiteral("Image: %1\n").arg(TnvWaveNumbers::bytesText(b->TotalSize()));
    out += QStringLiteral("Seconds: %1\n").arg(TnvWaveNumbers::secondsText(f->Seconds()));
    // The texts come from the file: shown, not obeyed by the terminal.
    out += QStringLiteral("Author: %1\nCategory: %2\nComments: %3\nCopyright: %4\n")
               .arg(visible(b->Author()), visible(b->Category()), visible(b->Comments()), visible(b->Copyright()));
    out += QStringLiteral("CreationDate: %1\n")
               .arg(b->CreationDate().isValid() ? b->CreationDate().date().toString(Qt::ISODate) : QString());
    out += QStringLiteral("Keywords: %1\nName: %2\nSubject: %3\n")
               .arg(visible(b->Keywords()), visible(b->Name()), visible(b->Subject()));
    print(stdout, out);
    return 0;
}

int save(WaveTool& tool, const QString& out)
{
    return tool.buffer()->SaveToFile(out) ? 0 : tool.fail(out);
}

} // namespace

// Whether a window can be shown: a display, or a platform chosen by hand.
bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int main(int argc, char** argv)
{
    // Windows only for --vantage: the other commands run where there is no display.
    bool vantage = false;
    for (int i = 1; i < argc; ++i)
        vantage = vantage || std::strcmp(argv[i], "--vantage") == 0;
    if (vantage && !haveDisplay()) {
        std::fputs("linkora-wave: no display; --vantage shows no window\n", stderr);
        vantage = false;
    }
    std::unique_ptr<QCoreApplication> application =
        vantage ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    if (vantage)
        TnvInspector::setUp();
    // Ctrl+C stops a playback or recording (which saves it); the second one ends the program.
    const auto onSignal = [](int signal) {
        WaveDeviceCommands::interrupt();
        std::signal(signal, SIG_DFL);
    };
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QStringList args = app.arguments().mid(1);
    const bool trace = args.removeAll(QStringLiteral("--trace")) > 0;
    args.removeAll(QStringLiteral("--vantage"));
    if (args.isEmpty() || args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h")) {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    const QString command = args.takeFirst();

    // Options with a value; what is left are the positional arguments.
    const auto option = [&args](const QString& name) -> std::optional<QString> {
        const qsizetype at = args.indexOf(name);
        if (at < 0)
            return std::nullopt;
        if (at + 1 >= args.size())
            return QString();
        const QString value = args.at(at + 1);
        args.remove(at, 2);
        return value;
    };

    if (command == QStringLiteral("devices"))
        return args.isEmpty() ? WaveDeviceCommands::devices() : usage(QStringLiteral("devices takes no arguments"));
    if (command == QStringLiteral("play"))
        return WaveDeviceCommands::play(args, trace, vantage);
    if (command == QStringLiteral("record"))
        return WaveDeviceCommands::record(args, trace, vantage);

    WaveTool tool(trace);
    if (command == QStringLiteral("info")) {
        if (args.size() != 1)
            return usage(QStringLiteral("info takes one FILE"));
        return info(tool, args.first());
    }
    if (command == QStringLiteral("join")) {
        if (args.size() != 2)
            return usage(QStringLiteral("join takes OUT and a comma-separated list of inputs"));
        if (!rewritable(args.at(1)))
            return 1;
        if (!tool.load(args.at(1)))
            return tool.fail(args.at(1));
        return save(tool, args.at(0));
    }
    if (command == QStringLiteral("cut")) {
        const std::optional<QString> before = option(QStringLiteral("--before"));
        const std::optional<QString> after = option(QStringLiteral("--after"));
        if (args.size() != 2 || before.has_value() == after.has_value())
            return usage(QStringLiteral("cut takes OUT, IN and one of --before S or --after S"));
        bool ok = false;
        const double seconds = (before ? *before : *after).toDouble(&ok);
        if (!ok || !(seconds > 0))
            return usage(QStringLiteral("the seconds must be a number above 0"));
        if (!rewritable(args.at(1)))
            return 1;
        if (!tool.load(args.at(1)))
            return tool.fail(args.at(1));
        const double length = tool.format()->Seconds();
        const bool cut = before ? tool.buffer()->DeleteBefore(seconds) : tool.buffer()->DeleteAfter(seconds);
        if (!cut) {
            print(stderr, QStringLiteral("linkora-wave: %1: %2 s is not inside the sound (%3 s); nothing cut\n")
                              .arg(args.at(1), TnvWaveNumbers::secondsText(seconds), TnvWaveNumbers::secondsText(length)));
            return 1;
        }
        return save(tool, args.at(0));
    }
    if (command == QStringLiteral("tag")) {
        const std::optional<QString> author = option(QStringLiteral("--author"));
        const std::optional<QString> name = option(QStringLiteral("--name"));
        const std::optional<QString> date = option(QStringLiteral("--date"));
        if (args.size() != 1 || (!author && !name && !date))
            return usage(QStringLiteral("tag takes FILE and at least one of --author, --name, --date"));
        QDate day;
        if (date && !date->isEmpty()) {
            day = QDate::fromString(*date, Qt::ISODate);
            if (!day.isValid())
                return usage(QStringLiteral("--date wants YYYY-MM-DD"));
        }
        // A longer text would be saved but read back as no text at all.
        for (const auto& [option, text] : {std::pair{"--author", author}, std::pair{"--name", name}}) {
            if (text && !TnvWaveInfo::fits(*text)) {
                print(stderr, QStringLiteral("linkora-wave: %1 is %2 bytes long; an INFO text holds at most %3; "
                                             "nothing saved\n")
                                  .arg(QLatin1String(option))
                                  .arg(TnvWaveInfo::encodeText(*text).size())
                                  .arg(TnvWaveInfo::MaxItemSize - 1));
                return 2;
            }
        }
        if (!rewritable(args.first()))
            return 1;
        if (!tool.load(args.first()))
            return tool.fail(args.first());
        if (author)
            tool.buffer()->setAuthor(*author);
        if (name)
            tool.buffer()->setName(*name);
        if (date)
            tool.buffer()->setCreationDate(day.isValid() ? QDateTime(day, QTime(0, 0)) : QDateTime());
        return save(tool, args.first());
    }
    return usage(QStringLiteral("unknown command '%1'").arg(command));
}
