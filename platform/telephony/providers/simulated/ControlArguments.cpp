#include "ControlArguments.h"
#include "SimulatedCall.h"

#include <cmath>

namespace Telephony::Sim {


bool lookupName(std::span<const Named> table, const QString& name, DWORD* value)
{
    const QByteArray key = name.trimmed().toLower().toLatin1();
    for (const Named& n : table)
        if (key == n.name) {
            *value = n.value;
            return true;
        }
    return false;
}

QStringList namesOf(std::span<const Named> table)
{
    QStringList names;
    for (const Named& n : table)
        names << QString::fromLatin1(n.name);
    return names;
}

// True when the key is absent; then a required key is an error.
bool ControlArguments::missing(const QString& key, bool required)
{
    const QJsonValue v = m_args.value(key);
    if (!v.isUndefined() && !v.isNull())
        return false;
    if (required)
        m_error = QStringLiteral("missing '%1'").arg(key);
    return true;
}

bool ControlArguments::readInteger(const QString& key, qint64 lo, qint64 hi, qint64* out, bool required)
{
    if (missing(key, required))
        return false;
    const QJsonValue v = m_args.value(key);
    const QString range = QStringLiteral("'%1' must be a whole number from %2 to %3").arg(key).arg(lo).arg(hi);
    qint64 value = 0;
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::floor(d) != d || d < double(lo) || d > double(hi)) {
            m_error = range;
            return false;
        }
        value = qint64(d);
    } else if (v.isString()) {
        const QString s = v.toString().trimmed();
        bool ok = false;
        if (s.size() > 20 || s.isEmpty()) {
            m_error = range;
            return false;
        }
        if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            value = s.mid(2).toLongLong(&ok, 16);
        else
            value = s.toLongLong(&ok, 10);
        if (!ok || value < lo || value > hi) {
            m_error = range;
            return false;
        }
    } else {
        m_error = range;
        return false;
    }
    *out = value;
    return true;
}

bool ControlArguments::integer(const QString& key, qint64 lo, qint64 hi, qint64* out)
{
    return readInteger(key, lo, hi, out, true);
}

bool ControlArguments::dword(const QString& key, DWORD* out)
{
    qint64 v = 0;
    if (!readInteger(key, 0, 0xFFFFFFFFLL, &v, true))
        return false;
    *out = DWORD(v);
    return true;
}

bool ControlArguments::optionalDword(const QString& key, DWORD* out)
{
    qint64 v = 0;
    if (missing(key, false))
        return true;
    if (!readInteger(key, 0, 0xFFFFFFFFLL, &v, false))
        return false;
    *out = DWORD(v);
    return true;
}

bool ControlArguments::text(const QString& key, int maxLength, const std::function<bool(QChar)>& allowed,
                            const QString& what, QString* out, bool required)
{
    if (missing(key, required)) {
        out->clear();
        return !required;
    }
    const QJsonValue v = m_args.value(key);
    QString s;
    if (v.isString()) {
        s = v.toString();
    } else if (v.isDouble() && std::isfinite(v.toDouble()) && std::floor(v.toDouble()) == v.toDouble() &&
               std::abs(v.toDouble()) < 1e15) {
        s = QString::number(qint64(v.toDouble()));
    } else {
        m_error = QStringLiteral("'%1' must be %2").arg(key, what);
        return false;
    }
    if (s.size() > maxLength) {
        m_error = QStringLiteral("'%1' is longer than %2 characters").arg(key).arg(maxLength);
        return false;
    }
    for (QChar c : s)
        if (!allowed(c)) {
            m_error = QStringLiteral("'%1' must be %2").arg(key, what);
            return false;
        }
    *out = s;
    return true;
}

bool ControlArguments::namedBit(const QString& key, std::span<const Named> table, DWORD allowed, DWORD* out)
{
    if (missing(key, true))
        return false;
    const QJsonValue v = m_args.value(key);
    const QString bad = QStringLiteral("'%1' must be one of %2 or a single-bit number among them")
                            .arg(key, namesOf(table).join(QStringLiteral(", ")));
    DWORD value = 0;
    if (!(v.isString() && v.toString().size() <= 32 && lookupName(table, v.toString(), &value))) {
        ControlArguments number(m_args);
        if (!number.dword(key, &value)) {
            m_error = bad;
            return false;
        }
    }
    if (!singleBit(value) || (value & ~allowed) != 0) {
        m_error = bad;
        return false;
    }
    *out = value;
    return true;
}

bool ControlArguments::choice(const QString& key, std::span<const Named> table, DWORD fallback, bool required,
                              DWORD* out)
{
    if (missing(key, required)) {
        *out = fallback;
        return !required;
    }
    const QJsonValue v = m_args.value(key);
    if (!v.isString() || v.toString().size() > 32 || !lookupName(table, v.toString(), out)) {
        m_error = QStringLiteral("'%1' must be one of %2").arg(key, namesOf(table).join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

bool ControlArguments::line(int lastLine, int* device)
{
    qint64 line = 0;
    if (!integer(QStringLiteral("line"), 1, lastLine, &line))
        return false;
    *device = int(line) - 1;
    return true;
}

} // namespace Telephony::Sim
