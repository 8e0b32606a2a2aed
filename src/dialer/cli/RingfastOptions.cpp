#include "RingfastOptions.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

// A decimal number within [low, high]; nothing when the text is not one.
std::optional<double> decimalIn(const QString& text, double low, double high)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<int> integerIn(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

QString RingfastOptions::helpText()
{
    return QStringLiteral(
        "Usage: ringfast COMMAND [options]\n"
        "\n"
        "A command-line dialer on the Linkora line control. It builds the same line control\n"
        "as the nvRingfast window (nvLine1 from the window's stored settings) and handles the\n"
        "same events, so it prints exactly the lines the window's log box would show.\n"
        "\n"
        "Commands:\n"
        "  devices          list the line devices, one per line: number, tab, name\n"
        "  dial NUMBER      activate the device, dial NUMBER, and hang up after\n"
        "                   --hangup-after seconds or when the far end ends the call\n"
        "                   (Ctrl-C hangs up). Exit status 0 when the call connected;\n"
        "                   otherwise 1 and the reason on standard error\n"
        "  answer           activate the device, answer incoming calls and hang up after\n"
        "                   --hangup-after seconds or when the caller hangs up; ends after\n"
        "                   --count calls. Calls may overlap; one offered beyond --count\n"
        "                   is rejected as busy. Exit status 0 when every call connected\n"
        "  shell            type commands to the line control: properties and methods by\n"
        "                   their dotted names (Device.ID 1, Call.Dial), wait, sleep, sim,\n"
        "                   echo; 'help' lists them. Tab completes names\n"
        "  run SCRIPT       the same commands from the file SCRIPT ('-': standard input);\n"
        "                   stops at the first step that fails. Exit status 0 when every\n"
        "                   step succeeded\n"
        "\n"
        "Options:\n"
        "  --device N           line device to use (default 0; see 'ringfast devices')\n"
        "  --hangup-after SEC   hang up SEC seconds after the call connects (0: at once)\n"
        "  --count K            calls to answer before ending (default 1)\n"
        "  --trace              print the line control's trace lines instead of the log-box\n"
        "                       lines (shell and run: as well as the events, and the\n"
        "                       service-level events too)\n"
        "  --devenv NOTATION    trace notation: delphi (default), cppbuilder, visualbasic\n"
        "  --timestamp          time-stamp the trace lines\n"
        "  --sim-speed FACTOR   pacing of the simulated exchange: 1 is realistic, 0 instant\n"
        "                       (default: the configured pacing)\n"
        "  --idle-delay MS      Device.IdleDelay, the wait before OnIdle (default 2000, as\n"
        "                       the window sets it)\n"
        "  --reply-timeout MS   TAPI.ReplyTimeout, the wait for each reply of the exchange\n"
        "                       and for a call to end after its hang-up (default 60000)\n"
        "  -h, --help           show this text\n"
        "\n"
        "Exit status: 0 success, 1 the call or the device failed, 2 a wrong command line.\n"
        "\n"
        "Examples:\n"
        "  ringfast devices\n"
        "  ringfast dial 555-0100 --hangup-after 5\n"
        "  ringfast dial 5550100 --sim-speed 0 --idle-delay 0 --hangup-after 0\n"
        "  ringfast answer --count 2      (ring it with: linkora-sim ring --line 1)\n"
        "  ringfast run docs/examples/answer.ringfast --sim-speed 0\n");
}

std::optional<RingfastOptions> RingfastOptions::parse(const QStringList& arguments, QString* error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption device(QStringLiteral("device"), QString(), QStringLiteral("N"));
    const QCommandLineOption hangupAfter(QStringLiteral("hangup-after"), QString(), QStringLiteral("SECONDS"));
    const QCommandLineOption count(QStringLiteral("count"), QString(), QStringLiteral("K"));
    const QCommandLineOption trace(QStringLiteral("trace"), QString());
    const QCommandLineOption devEnv(QStringLiteral("devenv"), QString(), QStringLiteral("NOTATION"));
    const QCommandLineOption timestamp(QStringLiteral("timestamp"), QString());
    const QCommandLineOption simSpeed(QStringLiteral("sim-speed"), QString(), QStringLiteral("FACTOR"));
    const QCommandLineOption idleDelay(QStringLiteral("idle-delay"), QString(), QStringLiteral("MS"));
    const QCommandLineOption replyTimeout(QStringLiteral("reply-timeout"), QString(), QStringLiteral("MS"));
    parser.addOptions({help, device, hangupAfter, count, trace, devEnv, timestamp, simSpeed, idleDelay, replyTimeout});
    const auto fail = [error](const QString& text) -> std::optional<RingfastOptions> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());

    RingfastOptions o;
    const QStringList words = parser.positionalArguments();
    if (parser.isSet(help) || words.isEmpty())
        return o;
    const QString& command = words.first();
    if (command == QLatin1String("devices"))
        o.command = Command::Devices;
    else if (command == QLatin1String("dial"))
        o.command = Command::Dial;
    else if (command == QLatin1String("answer"))
        o.command = Command::Answer;
    else if (command == QLatin1String("shell"))
        o.command = Command::Shell;
    else if (command == QLatin1String("run"))
        o.command = Command::Run;
    else if (command == QLatin1String("help"))
        return o;
    else
        return fail(QStringLiteral("unknown command '%1'").arg(command));
    const qsizetype wanted = o.command == Command::Dial || o.command == Command::Run ? 2 : 1;
    if (words.size() < wanted)
        return fail(o.command == Command::Dial ? QStringLiteral("dial needs the number to call")
                                               : QStringLiteral("run needs a script file, or - for standard input"));
    if (words.size() > wanted)
        return fail(QStringLiteral("unexpected argument '%1'").arg(words.at(wanted)));
    if (o.command == Command::Dial)
        o.number = words.at(1);
    if (o.command == Command::Run)
        o.script = words.at(1);

    if (parser.isSet(device)) {
        const auto value = integerIn(parser.value(device), 0, 9999);
        if (!value)
            return fail(QStringLiteral("--device needs a device number, not '%1'").arg(parser.value(device)));
        o.device = *value;
    }
    if (parser.isSet(hangupAfter)) {
        o.hangupAfter = decimalIn(parser.value(hangupAfter), 0, 86400);
        if (!o.hangupAfter)
            return fail(QStringLiteral("--hangup-after needs seconds from 0 to 86400, not '%1'")
                            .arg(parser.value(hangupAfter)));
    }
    if (parser.isSet(count)) {
        const auto value = integerIn(parser.value(count), 1, 1000000);
        if (!value)
            return fail(QStringLiteral("--count needs a number of calls from 1, not '%1'").arg(parser.value(count)));
        o.count = *value;
    }
    o.trace = parser.isSet(trace);
    if (parser.isSet(devEnv)) {
        const QString value = parser.value(devEnv).toLower();
        if (value == QLatin1String("delphi"))
            o.devEnv = QStringLiteral("deDelphi");
        else if (value == QLatin1String("cppbuilder"))
            o.devEnv = QStringLiteral("deCppBuilder");
        else if (value == QLatin1String("visualbasic"))
            o.devEnv = QStringLiteral("deVisualBasic");
        else
            return fail(QStringLiteral("--devenv is delphi, cppbuilder or visualbasic, not '%1'")
                            .arg(parser.value(devEnv)));
    }
    o.timestamp = parser.isSet(timestamp);
    if (parser.isSet(simSpeed)) {
        // The exchange takes factors from 0 to 1000.
        o.simSpeed = decimalIn(parser.value(simSpeed), 0, 1000);
        if (!o.simSpeed)
            return fail(QStringLiteral("--sim-speed needs a factor from 0 to 1000, not '%1'").arg(parser.value(simSpeed)));
    }
    if (parser.isSet(idleDelay)) {
        const auto value = integerIn(parser.value(idleDelay), 0, 3600000);
        if (!value)
            return fail(QStringLiteral("--idle-delay needs milliseconds from 0 to 3600000, not '%1'")
                            .arg(parser.value(idleDelay)));
        o.idleDelay = *value;
    }
    if (parser.isSet(replyTimeout)) {
        // 0 would not wait for replies at all.
        o.replyTimeout = integerIn(parser.value(replyTimeout), 1, 3600000);
        if (!o.replyTimeout)
            return fail(QStringLiteral("--reply-timeout needs milliseconds from 1 to 3600000, not '%1'")
                            .arg(parser.value(replyTimeout)));
    }
    return o;
}

TnvDialerDescription::Settings RingfastOptions::lineSettings() const
{
    TnvDialerDescription::Settings settings = TnvDialerDescription::settings();
    TnvDialerDescription::override(settings, QStringLiteral("Vantage.DevEnv"), devEnv);
    TnvDialerDescription::override(settings, QStringLiteral("Vantage.Log.TimeStamp"), timestamp);
    if (replyTimeout)
        TnvDialerDescription::override(settings, QStringLiteral("TAPI.ReplyTimeout"), *replyTimeout);
    return settings;
}
