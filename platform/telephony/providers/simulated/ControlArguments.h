// The arguments of one control command of the simulated exchange, read and checked one
// at a time. Values may be JSON numbers or strings; the first problem found becomes the
// command's error text.
#pragma once

#include "../../TapiStructs.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <span>

namespace Telephony::Sim {

// A name a command accepts for a value.
struct Named {
    const char* name;
    DWORD value;
};

bool lookupName(std::span<const Named> table, const QString& name, DWORD* value);
QStringList namesOf(std::span<const Named> table);

class ControlArguments {
public:
    explicit ControlArguments(const QJsonObject& args)
        : m_args(args)
    {
    }

    bool contains(const QString& key) const { return m_args.contains(key); }
    QJsonValue value(const QString& key) const { return m_args.value(key); }
    QString error() const { return m_error; }
    void setError(const QString& error) { m_error = error; }

    // A JSON number without a fraction, or a string of decimal digits (or 0x and
    // hexadecimal digits), within [lo, hi].
    bool integer(const QString& key, qint64 lo, qint64 hi, qint64* out);
    bool dword(const QString& key, DWORD* out);
    // Absent is fine (out stays as it is); present must be a DWORD.
    bool optionalDword(const QString& key, DWORD* out);
    // A string (numbers are taken as their decimal text) of at most maxLength characters,
    // each accepted by `allowed`; `what` says what was expected. Absent: empty, unless
    // required.
    bool text(const QString& key, int maxLength, const std::function<bool(QChar)>& allowed, const QString& what,
              QString* out, bool required = false);
    // A name from the table, or a single-bit number among its values and `allowed`.
    bool namedBit(const QString& key, std::span<const Named> table, DWORD allowed, DWORD* out);
    // A name from the table; absent gives fallback unless required.
    bool choice(const QString& key, std::span<const Named> table, DWORD fallback, bool required, DWORD* out);
    // "line" is 1-based, from 1 to lastLine; *device becomes 0-based.
    bool line(int lastLine, int* device);

private:
    bool missing(const QString& key, bool required);
    bool readInteger(const QString& key, qint64 lo, qint64 hi, qint64* out, bool required);

    const QJsonObject& m_args;
    QString m_error;
};

} // namespace Telephony::Sim
