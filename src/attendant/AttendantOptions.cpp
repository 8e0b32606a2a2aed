#include "AttendantOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool readableFile(const QString& name)
{
    const QFileInfo info(name);
    return info.isFile() && info.isReadable();
}

bool dialable(const QString& number)
{
    if (number.isEmpty() || number.size() > 64)
        return false;
    for (const QChar c : number)
        if (!(c.isDigit() || QStringLiteral("*#+ -().,;").contains(c)))
            return false;
    return true;
}

} // namespace

QString AttendantOptions::defaultMessages()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/linkora/messages");
}

QString AttendantOptions::usage()
{
    return QStringLiteral(
        "Usage: linkora-attendant [OPTION]...\n"
        "Answers every call on the chosen lines, plays a greeting and records the caller's\n"
        "message until they hang up, press #, or the time is up.\n"
        "\n"
        "  --lines all|N[,N...]   the lines to answer, numbered from 1 (default: every voice line)\n"
        "  --greeting FILE        what callers hear first (default: a short tone)\n"
        "  --messages DIR         where messages and calls.jsonl go (default: %1)\n"
        "  --max-seconds S        longest message, 1 to %2 (default: 120)\n"
        "  --menu D=FILE          digit D pressed during the greeting plays FILE instead (repeatable)\n"
        "  --operator NUMBER      0 pressed during the greeting transfers the caller there\n"
        "  --count N              end after N calls\n"
        "  --sim-speed F          pacing of the simulated exchange (0: no delays, 1: realistic)\n"
        "  -h, --help             show this text\n"
        "\n"
        "SIGINT or SIGTERM: no more calls are taken; calls in progress end as they would and are\n"
        "saved, then the program ends. A second signal ends their recordings at once.\n")
        .arg(defaultMessages())
        .arg(kMaxSeconds);
}

std::optional<AttendantOptions> AttendantOptions::parse(const QStringList& arguments, QString* error)
{
    AttendantOptions options;
    options.messages = defaultMessages();
    const auto fail = [error](const QString& text) {
        *error = text;
        return std::nullopt;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments.at(i);
        if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            options.help = true;
            continue;
        }
        static const QStringList valued = {QStringLiteral("--lines"),       QStringLiteral("--greeting"),
                                           QStringLiteral("--messages"),    QStringLiteral("--max-seconds"),
                                           QStringLiteral("--menu"),        QStringLiteral("--operator"),
                                           QStringLiteral("--count"),       QStringLiteral("--sim-speed")};
        if (!valued.contains(name))
            return fail(QStringLiteral("unknown argument '%1'").arg(name));
        if (i + 1 >= arguments.size())
            return fail(QStringLiteral("%1 needs a value").arg(name));
        const QString value = arguments.at(++i);
        bool ok = false;
        if (name == QLatin1String("--lines")) {
            options.lines.clear();
            if (value == QLatin1String("all"))
                continue;
            for (const QString& part : value.split(QLatin1Char(','))) {
                const int line = part.trimmed().toInt(&ok);
                if (!ok || line < 1 || line > kMaxLine)
                    return fail(QStringLiteral("--lines wants 'all' or line numbers from 1, not '%1'").arg(value));
                if (!options.lines.contains(line))
                    options.lines << line;
            }
        } else if (name == QLatin1String("--greeting")) {
            if (!readableFile(value))
                return fail(QStringLiteral("--greeting: cannot read '%1'").arg(value));
            options.greeting = QFileInfo(value).absoluteFilePath();
        } else if (name == QLatin1String("--messages")) {
            if (value.isEmpty())
                return fail(QStringLiteral("--messages needs a folder"));
            options.messages = QFileInfo(value).absoluteFilePath();
        } else if (name == QLatin1String("--max-seconds")) {
            options.maxSeconds = value.toInt(&ok);
            if (!ok || options.maxSeconds < 1 || options.maxSeconds > kMaxSeconds)
                return fail(QStringLiteral("--max-seconds wants 1 to %1, not '%2'").arg(kMaxSeconds).arg(value));
        } else if (name == QLatin1String("--menu")) {
            const qsizetype eq = value.indexOf(QLatin1Char('='));
            if (eq != 1 || !(value.at(0).isDigit() || value.at(0) == u'*'))
                return fail(QStringLiteral("--menu wants D=FILE with D one of 0-9 and *, not '%1'").arg(value));
            const QString file = value.mid(2);
            if (!readableFile(file))
                return fail(QStringLiteral("--menu: cannot read '%1'").arg(file));
            options.menu.insert(value.at(0), QFileInfo(file).absoluteFilePath());
        } else if (name == QLatin1String("--operator")) {
            if (!dialable(value))
                return fail(QStringLiteral("--operator wants a number to dial, not '%1'").arg(value));
            options.operatorNumber = value;
        } else if (name == QLatin1String("--count")) {
            options.count = value.toInt(&ok);
            if (!ok || options.count < 1)
                return fail(QStringLiteral("--count wants a number from 1, not '%1'").arg(value));
        } else {
            const double speed = value.toDouble(&ok);
            if (!ok || !(speed >= 0) || speed > 1000)
                return fail(QStringLiteral("--sim-speed wants 0 to 1000, not '%1'").arg(value));
            options.simSpeed = speed;
        }
    }
    if (!options.operatorNumber.isEmpty() && options.menu.contains(QLatin1Char('0')))
        return fail(QStringLiteral("0 is the operator's; --menu cannot take it as well"));
    return options;
}
