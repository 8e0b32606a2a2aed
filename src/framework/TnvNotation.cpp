#include "TnvNotation.h"

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
    return time.toString(QStringLiteral("mm:ss.zzz"));
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
