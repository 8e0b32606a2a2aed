#include "ServiceFaults.h"

#include "../control/ControlProtocol.h"

#include <QRegularExpression>

namespace Telephony {

namespace {

QJsonObject success()
{
    return {{QStringLiteral("ok"), true}};
}

// Arguments arrive as text from the command line or as numbers from JSON.
bool number(const QJsonValue& value, qint64* out)
{
    if (value.isDouble()) {
        *out = qint64(value.toDouble());
        return true;
    }
    bool ok = false;
    const QString text = value.toString().trimmed();
    *out = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toLongLong(&ok, 16)
                                                                      : text.toLongLong(&ok, 10);
    return ok;
}

bool validFunction(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^(line|phone)[A-Za-z]{2,40}$"));
    return pattern.match(name).hasMatch();
}

} // namespace

LONG ServiceFaults::takeFailure(const QString& function)
{
    auto it = m_failures.find(function);
    if (it == m_failures.end())
        return 0;
    const LONG code = it->code;
    if (--it->remaining <= 0)
        m_failures.erase(it);
    return code;
}

bool ServiceFaults::takeTooSmall(const QString& function)
{
    auto it = m_tooSmall.find(function);
    if (it == m_tooSmall.end())
        return false;
    if (--*it <= 0)
        m_tooSmall.erase(it);
    return true;
}

int ServiceFaults::replyDelay(const QString& function) const
{
    return m_delays.value(function, 0);
}

bool ServiceFaults::handles(const QString& command) const
{
    static const QStringList commands = {QStringLiteral("fail"), QStringLiteral("delay"), QStringLiteral("withhold"),
                                         QStringLiteral("toosmall"), QStringLiteral("clearfaults")};
    return commands.contains(command);
}

QJsonObject ServiceFaults::control(const QString& command, const QJsonObject& args)
{
    if (command == QLatin1String("clearfaults")) {
        clear();
        return success();
    }
    const QString function = args.value(QStringLiteral("function")).toString();
    if (!validFunction(function))
        return ControlProtocol::errorResponse(QStringLiteral("function must name a line or phone function, e.g. lineMakeCall"));

    if (command == QLatin1String("fail")) {
        qint64 code = 0;
        qint64 count = 1;
        if (!number(args.value(QStringLiteral("code")), &code) || code == 0 || code < INT32_MIN || code > UINT32_MAX)
            return ControlProtocol::errorResponse(QStringLiteral("code must be a non-zero 32-bit error code, e.g. 0x80000048"));
        if (args.contains(QStringLiteral("count")) && (!number(args.value(QStringLiteral("count")), &count) || count < 1
                                                       || count > 1000000))
            return ControlProtocol::errorResponse(QStringLiteral("count must be 1 or more"));
        m_failures.insert(function, {LONG(quint32(code)), int(count)});
        return success();
    }
    if (command == QLatin1String("delay")) {
        qint64 ms = 0;
        if (!number(args.value(QStringLiteral("ms")), &ms) || ms < 0 || ms > 3600000)
            return ControlProtocol::errorResponse(QStringLiteral("ms must be 0 to 3600000"));
        if (ms == 0)
            m_delays.remove(function);
        else
            m_delays.insert(function, int(ms));
        return success();
    }
    if (command == QLatin1String("withhold")) {
        m_delays.insert(function, -1);
        return success();
    }
    if (command == QLatin1String("toosmall")) {
        m_tooSmall.insert(function, 1);
        return success();
    }
    return ControlProtocol::errorResponse(QStringLiteral("unknown command '%1'").arg(command));
}

void ServiceFaults::clear()
{
    m_failures.clear();
    m_tooSmall.clear();
    m_delays.clear();
}

} // namespace Telephony
