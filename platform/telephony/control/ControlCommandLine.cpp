#include "ControlCommandLine.h"

#include "ControlClient.h"
#include "ControlProtocol.h"

#include "../VisibleText.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>

namespace Telephony {

namespace {

const QString toolOptionServer = QStringLiteral("server");
const QString toolOptionTimeout = QStringLiteral("timeout");
const QString toolOptionJson = QStringLiteral("json");

// Text from the other end goes to a terminal; escape sequences in it must not act there.
// Line breaks stay, for the callers indent what follows them.
QString visible(const QString& text)
{
    return VisibleText::escaped(text, VisibleText::KeepNewlines | VisibleText::KeepTabs);
}

bool isScalar(const QJsonValue& value)
{
    return !value.isArray() && !value.isObject();
}

} // namespace

bool ControlCommandLine::parse(const QStringList& arguments)
{
    *this = ControlCommandLine();
    m_serverName = ControlProtocol::defaultName();
    m_timeoutMs = ControlClient::defaultTimeoutMs;
    QJsonObject keyArgs;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        if (word == QLatin1String("-h") || word == QLatin1String("--help")) {
            m_action = Action::ShowUsage;
            return true;
        }
        if (word.startsWith(QLatin1String("--"))) {
            const QString body = word.mid(2);
            const qsizetype equals = body.indexOf(QLatin1Char('='));
            const QString key = equals < 0 ? body : body.left(equals);
            const bool inlineValue = equals >= 0;
            QString value = inlineValue ? body.mid(equals + 1) : QString();
            if (key.isEmpty())
                return invalid(QStringLiteral("\"%1\" names no option").arg(word.left(80)));
            if (key == toolOptionServer || key == toolOptionTimeout || key == toolOptionJson) {
                if (!inlineValue) {
                    if (i + 1 >= arguments.size())
                        return invalid(QStringLiteral("--%1 needs a value").arg(key));
                    value = arguments.at(++i);
                }
                if (!takeToolOption(key, value))
                    return false;
                continue;
            }
            if (m_command.isEmpty()) {
                return invalid(QStringLiteral("\"--%1\" comes before the command; write the command first")
                                   .arg(key.left(80)));
            }
            if (!ControlProtocol::isValidCommand(key))
                return invalid(QStringLiteral("\"--%1\" is not an argument name").arg(key.left(80)));
            if (keyArgs.contains(key))
                return invalid(QStringLiteral("--%1 is given twice").arg(key));
            bool hasValue = inlineValue;
            if (!hasValue && i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1String("--"))) {
                value = arguments.at(++i);
                hasValue = true;
            }
            if (value.size() > maxValueLength)
                return invalid(
                    QStringLiteral("the value of --%1 is longer than %2 characters").arg(key).arg(maxValueLength));
            keyArgs.insert(key, hasValue ? QJsonValue(value) : QJsonValue(true));
            continue;
        }
        if (!m_command.isEmpty()) {
            return invalid(QStringLiteral("unexpected \"%1\" after the command; values follow a --name")
                               .arg(word.left(80)));
        }
        if (word.startsWith(QLatin1Char('-')))
            return invalid(QStringLiteral("unknown option \"%1\"").arg(word.left(80)));
        if (!ControlProtocol::isValidCommand(word))
            return invalid(QStringLiteral("\"%1\" is not a command name").arg(word.left(80)));
        m_command = word;
    }

    if (m_command.isEmpty())
        return invalid(QStringLiteral("no command given"));
    if (m_jsonGiven && !keyArgs.isEmpty())
        return invalid(QStringLiteral("--json cannot be combined with --name value arguments"));
    // With --json, takeToolOption has already put the object into m_args.
    if (!m_jsonGiven)
        m_args = keyArgs;
    // A file is named as the person typing sees it; the program may run elsewhere.
    const QJsonValue file = m_args.value(QLatin1String("file"));
    if (file.isString() && !file.toString().isEmpty())
        m_args.insert(QStringLiteral("file"), QFileInfo(file.toString()).absoluteFilePath());
    if (ControlProtocol::encodeRequest(m_command, m_args).size() > ControlProtocol::maxRequestBytes + 1)
        return invalid(QStringLiteral("the arguments are longer than %1 bytes").arg(ControlProtocol::maxRequestBytes));
    m_action = Action::Send;
    return true;
}

bool ControlCommandLine::takeToolOption(const QString& key, const QString& value)
{
    if (key == toolOptionServer) {
        if (m_serverGiven)
            return invalid(QStringLiteral("--server is given twice"));
        const QString problem = ControlProtocol::checkServerName(value);
        if (!problem.isEmpty())
            return invalid(QStringLiteral("--server: %1").arg(problem));
        m_serverGiven = true;
        m_serverName = value;
        return true;
    }
    if (key == toolOptionTimeout) {
        if (m_timeoutGiven)
            return invalid(QStringLiteral("--timeout is given twice"));
        bool isNumber = false;
        const int ms = value.toInt(&isNumber);
        if (!isNumber || ms < 1 || ms > ControlClient::maxTimeoutMs) {
            return invalid(QStringLiteral("--timeout takes milliseconds from 1 to %1, not \"%2\"")
                               .arg(ControlClient::maxTimeoutMs)
                               .arg(value.left(80)));
        }
        m_timeoutGiven = true;
        m_timeoutMs = ms;
        return true;
    }
    if (m_jsonGiven)
        return invalid(QStringLiteral("--json is given twice"));
    if (value.size() > ControlProtocol::maxRequestBytes)
        return invalid(QStringLiteral("--json is longer than %1 characters").arg(ControlProtocol::maxRequestBytes));
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(value.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        return invalid(QStringLiteral("--json: %1 at character %2").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        return invalid(QStringLiteral("--json takes a JSON object such as '{\"line\": 1}'"));
    m_jsonGiven = true;
    m_args = document.object();
    return true;
}

bool ControlCommandLine::invalid(const QString& text)
{
    m_action = Action::Invalid;
    m_errorText = text;
    return false;
}

QString ControlCommandLine::usage()
{
    return QStringLiteral(
               "Usage: linkora-sim [--server NAME] [--timeout MS] COMMAND [--name value]... [--flag]...\n"
               "       linkora-sim [--server NAME] [--timeout MS] COMMAND --json '{\"name\": value, ...}'\n"
               "       linkora-sim --help\n"
               "\n"
               "Drives the simulated exchange inside a running Linkora program (the dialer, a test)\n"
               "through its control channel: rings its lines, plays the far end of its calls and\n"
               "makes its telephony functions fail on purpose.\n"
               "\n"
               "Every --name value pair becomes an argument of COMMAND, sent as text; the program\n"
               "converts it. A --name with no value is sent as true. --name=value also works, and\n"
               "is the way to pass a value that starts with \"--\".\n"
               "\n"
               "Options:\n"
               "  --server NAME   the control channel to use (default: %1)\n"
               "  --timeout MS    how long to wait for the answer, 1 to %2 ms (default: %3)\n"
               "  --json OBJECT   send this JSON object as the arguments, unchanged\n"
               "  -h, --help      show this text\n"
               "\n"
               "The running program decides which commands exist; \"linkora-sim help\" lists them.\n"
               "Examples:\n"
               "  linkora-sim ring --line 1 --name \"SMITH JOHN\" --number 4255550100\n"
               "  linkora-sim answer --line 1\n"
               "  linkora-sim hangup --line 1\n"
               "  linkora-sim say --line 1 --file message.wav\n"
               "  linkora-sim heard --line 1 --file greeting-heard.wav\n"
               "  linkora-sim digits --line 1 --digits 1234#\n"
               "  linkora-sim linestate --line 1 --state outofservice\n"
               "  linkora-sim close --line 1\n"
               "  linkora-sim forward --line 1 --number 4255550199\n"
               "  linkora-sim calls\n"
               "  linkora-sim pacing --factor 0.5\n"
               "  linkora-sim fail --function lineMakeCall --code 0x80000005 --count 1\n"
               "  linkora-sim delay --function lineAnswer --ms 3000\n"
               "  linkora-sim withhold --function lineDrop\n"
               "  linkora-sim toosmall --function lineGetCallInfo\n"
               "  linkora-sim clearfaults\n"
               "  linkora-sim ring --json '{\"line\": 1, \"name\": \"SMITH JOHN\"}'\n"
               "\n"
               "Prints \"ok\" and the answer's fields as \"name: value\" lines, or \"error: ...\" on\n"
               "standard error. Exit status: 0 done, 1 refused or no usable answer, 2 wrong\n"
               "usage, 3 no program with the simulated exchange is running.\n")
        .arg(ControlProtocol::defaultName())
        .arg(ControlClient::maxTimeoutMs)
        .arg(ControlClient::defaultTimeoutMs);
}

QString ControlCommandLine::noServerText()
{
    return QStringLiteral("No Linkora program with the simulated exchange is running.");
}

QStringList ControlCommandLine::fieldLines(const QJsonObject& response)
{
    QStringList lines;
    for (auto it = response.begin(); it != response.end(); ++it) {
        if (it.key() == QLatin1String("ok") || it.key() == QLatin1String("error"))
            continue;
        lines.append(visible(it.key()).replace(QLatin1Char('\n'), QLatin1Char(' ')) + QStringLiteral(": ")
                     + valueText(it.value()));
    }
    return lines;
}

QString ControlCommandLine::valueText(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double: {
        const double number = value.toDouble();
        // Counts and handles arrive as doubles; show them without a fraction.
        if (std::isfinite(number) && std::trunc(number) == number && std::abs(number) < 1e15)
            return QString::number(qint64(number));
        return QString::number(number, 'g', 15);
    }
    case QJsonValue::String:
        return visible(value.toString()).replace(QLatin1Char('\n'), QStringLiteral("\n  "));
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        if (std::all_of(array.begin(), array.end(), [](const QJsonValue& item) { return isScalar(item); })) {
            QStringList items;
            for (const QJsonValue& item : array)
                items.append(valueText(item));
            return items.join(QStringLiteral(", "));
        }
        return visible(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
    }
    case QJsonValue::Object:
        return visible(QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)));
    case QJsonValue::Undefined:
        break;
    }
    return {};
}

} // namespace Telephony
