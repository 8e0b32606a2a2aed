#include "TnvNotation.h"

#include "TnvClock.h"

#include <algorithm>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace TnvNotation {

namespace {

// A set of ASCII characters as a table, so a scan tests each character with one load.
struct CharSet {
    bool in[128] = {};

    constexpr CharSet(const char* chars)
    {
        for (; *chars; ++chars)
            in[static_cast<unsigned char>(*chars) & 0x7F] = true;
    }
    constexpr bool has(char16_t c) const { return c < 128 && in[c]; }
};

// The characters each notation acts on; a line without any of them stays as it is.
constexpr CharSet kCppChars("~.='");
constexpr CharSet kBasicChars(".~'=/");
// A basic line changes only with one of these (an "=" only after a ":").
constexpr CharSet kBasicTrigger(".~':/");
constexpr CharSet kBasicAny(".~'=:/");

// The index of the first character of text in set, or the text's length.
qsizetype firstOf(QStringView text, const CharSet& set)
{
    const char16_t* const begin = text.utf16();
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin;
    while (p != end && !set.has(*p))
        ++p;
    return p - begin;
}

// Copies the characters up to the next one of Chars; returns where that one is (or n).
// Eight characters are tested and copied at a time; all eight are stored even when one
// of them ends the run, which stays inside the room every writer is given because none
// writes further ahead of its input than that room allows (n, or 2n for C++).
template <char16_t... Chars>
qsizetype copyRun(const QChar* in, qsizetype from, qsizetype n, QChar*& out)
{
    qsizetype i = from;
    QChar* o = out;
#if defined(__SSE2__)
    while (i + 8 <= n) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i hits = (_mm_cmpeq_epi16(chars, _mm_set1_epi16(short(Chars))) | ...);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), chars);
        const unsigned mask = unsigned(_mm_movemask_epi8(hits));
        if (mask != 0) {
            const int k = __builtin_ctz(mask) / 2;
            out = o + k;
            return i + k;
        }
        i += 8;
        o += 8;
    }
#endif
    for (; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (((c == Chars) || ...))
            break;
        *o++ = in[i];
    }
    out = o;
    return i;
}

// The writers below get the index of the first character they act on (the rest before it
// is copied as it is) and room enough for the rewritten text.

// Every "~" becomes "."; room for n characters.
QChar* writeDelphi(const QChar* in, qsizetype from, qsizetype n, QChar* out)
{
    out = std::copy(in, in + from, out);
    for (qsizetype i = from; (i = copyRun<u'~'>(in, i, n, out)) < n; ++i)
        *out++ = QLatin1Char('.');
    return out;
}

// In one pass, what the rules do one after the other: every "~" becomes "." and every
// "." becomes "->"; every " = " becomes " == " (left to right, not overlapping); the first
// ":=" loses its colon; every single quote becomes a double quote. None of the rules
// makes or breaks a match of another, so one scan of the original text gives the same.
// Needs room for 2n characters.
QChar* writeCppBuilder(const QChar* in, qsizetype from, qsizetype n, QChar* out)
{
    out = std::copy(in, in + from, out);
    bool assignDone = false;
    qsizetype matchEnd = 0; // a " = " may not reuse the blank that ended the last one
    for (qsizetype i = from; (i = copyRun<u'~', u'.', u'=', u'\''>(in, i, n, out)) < n; ++i) {
        switch (in[i].unicode()) {
        case u'~':
        case u'.':
            *out++ = QLatin1Char('-');
            *out++ = QLatin1Char('>');
            break;
        case u'=':
            if (i >= 1 && i - 1 >= matchEnd && in[i - 1] == QLatin1Char(' ') && i + 1 < n
                && in[i + 1] == QLatin1Char(' ')) {
                // The blank before is written already.
                *out++ = QLatin1Char('=');
                *out++ = QLatin1Char('=');
                *out++ = QLatin1Char(' ');
                ++i;
                matchEnd = i + 1;
            } else if (!assignDone && i >= 1 && in[i - 1] == QLatin1Char(':')) {
                assignDone = true;
                out[-1] = QLatin1Char('=');
            } else {
                *out++ = QLatin1Char('=');
            }
            break;
        default: // the single quote
            *out++ = QLatin1Char('"');
            break;
        }
    }
    return out;
}

// In one pass, what the rules do one after the other: ranges ("..") stay, the other dots
// before the first "=" go, "~" becomes "."; then single quotes become double quotes, the
// first ":=" loses its colon and the first "//" becomes a single quote. Dropping a dot
// can join a colon to the "=" after it, so the last two look at what was written.
// Needs room for n characters.
QChar* writeBasic(const QChar* in, qsizetype from, qsizetype n, QChar* out)
{
    const QChar* const begin = out;
    out = std::copy(in, in + from, out);
    // Every "=" is one of the characters the scan stops at, and none comes before from.
    bool pastEquals = false;
    bool assignDone = false;
    bool commentDone = false;
    for (qsizetype i = from; (i = copyRun<u'.', u'~', u'\'', u'=', u'/'>(in, i, n, out)) < n; ++i) {
        switch (in[i].unicode()) {
        case u'.':
            if (i + 1 < n && in[i + 1] == QLatin1Char('.')) {
                *out++ = QLatin1Char('.');
                *out++ = QLatin1Char('.');
                ++i;
            } else if (pastEquals) {
                *out++ = QLatin1Char('.');
            }
            break;
        case u'~':
            *out++ = QLatin1Char('.');
            break;
        case u'\'':
            *out++ = QLatin1Char('"');
            break;
        case u'=':
            pastEquals = true;
            if (!assignDone && out > begin && out[-1] == QLatin1Char(':')) {
                assignDone = true;
                out[-1] = QLatin1Char('=');
            } else {
                *out++ = QLatin1Char('=');
            }
            break;
        default: // the slash
            if (!commentDone && out > begin && out[-1] == QLatin1Char('/')) {
                commentDone = true;
                out[-1] = QLatin1Char('\'');
            } else {
                *out++ = QLatin1Char('/');
            }
            break;
        }
    }
    return out;
}

// Where the first character that env changes lies, or the text's length when none does.
qsizetype firstChange(QStringView text, TDevEnv env)
{
    switch (env) {
    case deDelphi: {
        const qsizetype at = text.indexOf(QLatin1Char('~'));
        return at < 0 ? text.size() : at;
    }
    case deCppBuilder:
        return firstOf(text, kCppChars);
    case deOther:
    case deVisualBasic: {
        // A line changes only with a dot, a tilde, a quote, a ":" or a "/"; the writer
        // starts at the first character it acts on, which may be an earlier "=". One
        // scan settles the usual line, whose first such character is in both sets.
        const qsizetype n = text.size();
        const qsizetype first = firstOf(text, kBasicAny);
        if (first == n)
            return n;
        if (text[first] == QLatin1Char('='))
            return firstOf(text.sliced(first + 1), kBasicTrigger) == n - first - 1 ? n : first;
        if (text[first] == QLatin1Char(':'))
            return first + 1 + firstOf(text.sliced(first + 1), kBasicChars);
        return first;
    }
    }
    return text.size();
}

// Writes text from its first change on; from is where firstChange() found it.
QChar* writeFrom(QChar* out, QStringView text, qsizetype from, TDevEnv env)
{
    const qsizetype n = text.size();
    switch (env) {
    case deDelphi: return writeDelphi(text.data(), from, n, out);
    case deCppBuilder: return writeCppBuilder(text.data(), from, n, out);
    case deOther:
    case deVisualBasic: return writeBasic(text.data(), from, n, out);
    }
    return std::copy(text.begin(), text.end(), out);
}

void appendFrom(QString& out, QStringView text, qsizetype from, TDevEnv env)
{
    const qsizetype at = out.size();
    out.resize(at + roomFor(text.size(), env));
    QChar* const start = out.data() + at;
    out.truncate(at + (writeFrom(start, text, from, env) - start));
}

} // namespace

QString notate(const QString& text, TDevEnv env)
{
    const qsizetype from = firstChange(text, env);
    if (from == text.size())
        return text;
    QString out;
    appendFrom(out, text, from, env);
    return out;
}

void notateInto(QString& out, const QString& text, TDevEnv env)
{
    const qsizetype from = firstChange(text, env);
    if (from == text.size()) {
        out = text;
        return;
    }
    out.truncate(0);
    appendFrom(out, text, from, env);
}

QChar* writeNotated(QChar* out, QStringView text, TDevEnv env)
{
    const qsizetype from = firstChange(text, env);
    if (from == text.size())
        return std::copy(text.begin(), text.end(), out);
    return writeFrom(out, text, from, env);
}

void appendNotated(QString& out, QStringView text, TDevEnv env)
{
    const qsizetype from = firstChange(text, env);
    if (from == text.size())
        out.append(text);
    else
        appendFrom(out, text, from, env);
}

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void writeHex8(QChar* out, quint32 value)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int i = 7; i >= 0; --i, value >>= 4)
        out[i] = QChar(kDigits[value & 0xF]);
}

void appendHex8(QString& text, quint32 value)
{
    const qsizetype at = text.size();
    text.resize(at + 8);
    writeHex8(text.data() + at, value);
}

QString hex8(quint32 value)
{
    QString out(8, Qt::Uninitialized);
    writeHex8(out.data(), value);
    return out;
}

QString hexText(quint32 value)
{
    QString out(10, Qt::Uninitialized);
    QChar* o = out.data();
    o[0] = QLatin1Char('[');
    writeHex8(o + 1, value);
    o[9] = QLatin1Char(']');
    return out;
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
    QString out(TnvClock::StampLength, Qt::Uninitialized);
    TnvClock::writeStamp(out.data());
    return out;
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
