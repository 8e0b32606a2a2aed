#include "TnvNotation.h"

#include <QDateTime>

#include <iterator>

namespace TnvNotation {

namespace {

void replaceFirst(QString& text, QLatin1StringView from, QLatin1StringView to)
{
    const qsizetype at = text.indexOf(from);
    if (at >= 0)
        text.replace(at, from.size(), to);
}

// Removes the dots of the member path before the first "=", keeping ranges ("..")
// and "~" separators, which become dots afterwards.
void flattenNames(QString& text)
{
    text.replace(QLatin1StringView(".."), QLatin1StringView("~~"));
    qsizetype end = text.indexOf(QLatin1Char('='));
    if (end < 0)
        end = text.size();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i < end && text.at(i) == QLatin1Char('.'))
            continue;
        out.append(text.at(i));
    }
    out.replace(QLatin1Char('~'), QLatin1Char('.'));
    text = std::move(out);
}

} // namespace

QString notate(const QString& text, TDevEnv env)
{
    QString out = text;
    switch (env) {
    case deDelphi:
        out.replace(QLatin1Char('~'), QLatin1Char('.'));
        break;
    case deCppBuilder:
        out.replace(QLatin1Char('~'), QLatin1Char('.'));
        out.replace(QLatin1StringView("."), QLatin1StringView("->"));
        out.replace(QLatin1StringView(" = "), QLatin1StringView(" == "));
        replaceFirst(out, QLatin1StringView(":="), QLatin1StringView("="));
        out.replace(QLatin1Char('\''), QLatin1Char('"'));
        break;
    case deOther:
    case deVisualBasic:
        flattenNames(out);
        out.replace(QLatin1Char('\''), QLatin1Char('"'));
        replaceFirst(out, QLatin1StringView(":="), QLatin1StringView("="));
        replaceFirst(out, QLatin1StringView("//"), QLatin1StringView("'"));
        break;
    }
    return out;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString hex8(quint32 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

QString hexText(quint32 value)
{
    return QLatin1Char('[') + hex8(value) + QLatin1Char(']');
}

QString timeStamp(const QTime& time)
{
    const int minute = time.minute();
    const int second = time.second();
    const int ms = time.msec();
    const char16_t text[] = {
        char16_t(u'0' + minute / 10), char16_t(u'0' + minute % 10), u':',
        char16_t(u'0' + second / 10), char16_t(u'0' + second % 10), u'.',
        char16_t(u'0' + ms / 100), char16_t(u'0' + ms / 10 % 10), char16_t(u'0' + ms % 10),
    };
    return QString(reinterpret_cast<const QChar*>(text), std::size(text));
}

QString timeStampNow()
{
    // Local time costs a time-zone lookup; within one second only the milliseconds move,
    // so the local minute and second are looked up once a second.
    static thread_local qint64 cachedSecond = -1;
    static thread_local QTime cachedTime;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 second = now / 1000;
    if (second != cachedSecond) {
        cachedSecond = second;
        cachedTime = QDateTime::fromMSecsSinceEpoch(second * 1000).time();
    }
    return timeStamp(cachedTime.addMSecs(int(now % 1000)));
}

QString devEnvText(TDevEnv env)
{
    switch (env) {
    case deCppBuilder: return QStringLiteral("deCppBuilder");
    case deDelphi: return QStringLiteral("deDelphi");
    case deOther: return QStringLiteral("deOther");
    case deVisualBasic: return QStringLiteral("deVisualBasic");
    }
    return QStringLiteral("deDelphi");
}

QString windowStateText(TWindowState state)
{
    switch (state) {
    case wsNormal: return QStringLiteral("wsNormal");
    case wsMinimized: return QStringLiteral("wsMinimized");
    case wsMaximized: return QStringLiteral("wsMaximized");
    }
    return QStringLiteral("wsNormal");
}

} // namespace TnvNotation
