#include "IniValue.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace Telephony {

namespace {

const QRegularExpression& integerPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?[0-9]+$"));
    return pattern;
}

const QRegularExpression& realPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    return pattern;
}

bool unescape(QStringView body, QString* out)
{
    QString result;
    result.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == QLatin1Char('"'))
            return false; // an inner quote must be escaped
        if (c != QLatin1Char('\\')) {
            result.append(c);
            continue;
        }
        if (++i >= body.size())
            return false;
        switch (body[i].unicode()) {
        case '\\': result.append(QLatin1Char('\\')); break;
        case '"': result.append(QLatin1Char('"')); break;
        default: return false;
        }
    }
    *out = result;
    return true;
}

} // namespace

bool IniValue::hasControlCharacter(QStringView text)
{
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

bool IniValue::text(const QString& raw, QString* out)
{
    if (!raw.startsWith(QLatin1Char('"'))) {
        *out = raw;
        return true;
    }
    if (raw.size() < 2 || !raw.endsWith(QLatin1Char('"')))
        return false;
    return unescape(QStringView(raw).mid(1, raw.size() - 2), out);
}

QString IniValue::quote(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        // Stored texts hold no control characters; should one slip through, it must
        // not break the line structure.
        if (c.category() == QChar::Other_Control) {
            out += QLatin1Char(' ');
            continue;
        }
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

QString IniValue::formatText(const QString& text)
{
    const bool bare = text == text.trimmed() && !text.startsWith(QLatin1Char('"')) && !hasControlCharacter(text);
    return bare ? text : quote(text);
}

QVariant IniValue::parse(const QString& raw, QString* problem)
{
    const auto fail = [&](const QString& why) {
        if (problem)
            *problem = why;
        return QVariant();
    };
    if (raw.size() > maxTextLength + 2)
        return fail(QStringLiteral("longer than %1 characters").arg(maxTextLength));

    if (raw.startsWith(QLatin1Char('"'))) {
        QString out;
        if (!text(raw, &out))
            return fail(QStringLiteral("broken quoted text"));
        if (out.size() > maxTextLength)
            return fail(QStringLiteral("longer than %1 characters").arg(maxTextLength));
        return out;
    }
    if (raw == QLatin1String("true"))
        return true;
    if (raw == QLatin1String("false"))
        return false;
    if (integerPattern().match(raw).hasMatch()) {
        bool ok = false;
        const qlonglong value = raw.toLongLong(&ok);
        if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            return fail(QStringLiteral("number out of range"));
        return static_cast<int>(value);
    }
    if (realPattern().match(raw).hasMatch()) {
        bool ok = false;
        const double value = raw.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return fail(QStringLiteral("number out of range"));
        return value;
    }
    if (raw.size() > maxTextLength)
        return fail(QStringLiteral("longer than %1 characters").arg(maxTextLength));
    return raw;
}

bool IniValue::canFormat(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
        return true;
    case QMetaType::Double:
        return std::isfinite(value.toDouble());
    case QMetaType::QString:
        return value.toString().size() <= maxTextLength;
    default:
        return false;
    }
}

QString IniValue::format(const QVariant& value)
{
    if (!canFormat(value))
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Int:
        return QString::number(value.toInt());
    case QMetaType::Double: {
        QString out = QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        // A double must still look like one, or it would come back as an int.
        if (!out.contains(QLatin1Char('.')) && !out.contains(QLatin1Char('e')))
            out += QStringLiteral(".0");
        return out;
    }
    default:
        return quote(value.toString());
    }
}

} // namespace Telephony
