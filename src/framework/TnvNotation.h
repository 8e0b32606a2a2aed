#pragma once

// Text helpers of the trace log: the three notations and the value texts.
// Pure functions, so the log, the windows and the benchmarks share one implementation.

#include "TnvTypes.h"

#include <QTime>

namespace TnvNotation {

// Rewrites a line written in the native (dotted) notation into the notation of env, in
// one pass. A line without any character the notation changes comes back as it is,
// sharing the text.
QString notate(const QString& text, TDevEnv env);
// notate() into out: shares text when nothing changes, else writes into out's own
// buffer, which a caller may hand in to be used again.
void notateInto(QString& out, const QString& text, TDevEnv env);
// Appends the notated text to out, without a string of its own in between.
void appendNotated(QString& out, QStringView text, TDevEnv env);
// The most characters text can take in env's notation.
constexpr qsizetype roomFor(qsizetype length, TDevEnv env)
{
    return env == deCppBuilder ? 2 * length : length;
}
// Writes the notated text at out, which has roomFor() characters; returns its end.
QChar* writeNotated(QChar* out, QStringView text, TDevEnv env);

QString boolText(bool value);

// Eight upper-case hexadecimal digits, two's complement for negative values.
QString hex8(quint32 value);
// The same eight digits written to out[0..7], or appended to text.
void writeHex8(QChar* out, quint32 value);
void appendHex8(QString& text, quint32 value);

// hex8 in square brackets.
QString hexText(quint32 value);

// "mm:ss.zzz" of the given time of day.
QString timeStamp(const QTime& time);

// timeStamp of the local time now.
QString timeStampNow();

QString devEnvText(TDevEnv env);
QString windowStateText(TWindowState state);

// Calls fn for each set bit of value from the mask first up to and including last,
// doubling the mask. Stops after one full turn even when last is no single bit, so a
// bad range can never loop for ever.
template<typename Fn>
void forEachFlag(quint32 value, quint32 first, quint32 last, Fn fn)
{
    quint32 mask = first;
    for (int turns = 0; mask != last && turns < 34; ++turns) {
        if (value & mask)
            fn(value & mask);
        mask = mask ? mask * 2 : 1;
    }
    if (value & last)
        fn(value & last);
}

// The stepping variant serves enumerated capabilities: it names the value itself
// once, when it lies within first..last.
template<typename Fn>
void forEachStep(quint32 value, quint32 first, quint32 last, Fn fn)
{
    if (value != 0 && value >= first && value <= last)
        fn(value);
}

} // namespace TnvNotation
