// The simulated exchange's control interface (tests and the linkora-sim tool) and its
// typed twins. Every argument is checked; values may be JSON numbers or strings.
#include "SimulatedExchange.h"

#include "../../TapiConstants.h"
#include "SimulatedCaps.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>

#include <cmath>

namespace Telephony {

using namespace Sim;

namespace {

constexpr int kMaxNameLength = 64;
constexpr int kMaxNumberLength = 32;
constexpr int kMaxDigits = 64;

struct Named {
    const char* name;
    DWORD value;
};

constexpr Named kLineStates[] = {
    {"other", LINEDEVSTATE_OTHER},
    {"ringing", LINEDEVSTATE_RINGING},
    {"connected", LINEDEVSTATE_CONNECTED},
    {"disconnected", LINEDEVSTATE_DISCONNECTED},
    {"msgwaiton", LINEDEVSTATE_MSGWAITON},
    {"msgwaitoff", LINEDEVSTATE_MSGWAITOFF},
    {"inservice", LINEDEVSTATE_INSERVICE},
    {"outofservice", LINEDEVSTATE_OUTOFSERVICE},
    {"maintenance", LINEDEVSTATE_MAINTENANCE},
    {"open", LINEDEVSTATE_OPEN},
    {"close", LINEDEVSTATE_CLOSE},
    {"numcalls", LINEDEVSTATE_NUMCALLS},
    {"terminals", LINEDEVSTATE_TERMINALS},
    {"roammode", LINEDEVSTATE_ROAMMODE},
    {"battery", LINEDEVSTATE_BATTERY},
    {"signal", LINEDEVSTATE_SIGNAL},
    {"devspecific", LINEDEVSTATE_DEVSPECIFIC},
    {"reinit", LINEDEVSTATE_REINIT},
    {"lock", LINEDEVSTATE_LOCK},
    {"capschange", LINEDEVSTATE_CAPSCHANGE},
    {"configchange", LINEDEVSTATE_CONFIGCHANGE},
    {"translatechange", LINEDEVSTATE_TRANSLATECHANGE},
    {"removed", LINEDEVSTATE_REMOVED},
};

constexpr Named kAddressStates[] = {
    {"other", LINEADDRESSSTATE_OTHER},         {"devspecific", LINEADDRESSSTATE_DEVSPECIFIC},
    {"inusezero", LINEADDRESSSTATE_INUSEZERO}, {"inuseone", LINEADDRESSSTATE_INUSEONE},
    {"numcalls", LINEADDRESSSTATE_NUMCALLS},   {"forward", LINEADDRESSSTATE_FORWARD},
    {"terminals", LINEADDRESSSTATE_TERMINALS}, {"capschange", LINEADDRESSSTATE_CAPSCHANGE},
};

constexpr Named kPartyFlags[] = {
    {"blocked", LINECALLPARTYID_BLOCKED}, {"outofarea", LINECALLPARTYID_OUTOFAREA},
    {"name", LINECALLPARTYID_NAME},       {"address", LINECALLPARTYID_ADDRESS},
    {"partial", LINECALLPARTYID_PARTIAL}, {"unknown", LINECALLPARTYID_UNKNOWN},
    {"unavail", LINECALLPARTYID_UNAVAIL},
};

constexpr Named kMedia[] = {
    {"voice", LINEMEDIAMODE_INTERACTIVEVOICE},
    {"fax", LINEMEDIAMODE_G3FAX},
    {"data", LINEMEDIAMODE_DATAMODEM},
};

constexpr Named kTones[] = {
    {"busy", LINETONEMODE_BUSY},
    {"ringback", LINETONEMODE_RINGBACK},
    {"beep", LINETONEMODE_BEEP},
    {"billing", LINETONEMODE_BILLING},
};

constexpr Named kCallStates[] = {
    {"IDLE", LINECALLSTATE_IDLE},
    {"OFFERING", LINECALLSTATE_OFFERING},
    {"ACCEPTED", LINECALLSTATE_ACCEPTED},
    {"DIALTONE", LINECALLSTATE_DIALTONE},
    {"DIALING", LINECALLSTATE_DIALING},
    {"RINGBACK", LINECALLSTATE_RINGBACK},
    {"BUSY", LINECALLSTATE_BUSY},
    {"SPECIALINFO", LINECALLSTATE_SPECIALINFO},
    {"CONNECTED", LINECALLSTATE_CONNECTED},
    {"PROCEEDING", LINECALLSTATE_PROCEEDING},
    {"ONHOLD", LINECALLSTATE_ONHOLD},
    {"CONFERENCED", LINECALLSTATE_CONFERENCED},
    {"ONHOLDPENDCONF", LINECALLSTATE_ONHOLDPENDCONF},
    {"ONHOLDPENDTRANSFER", LINECALLSTATE_ONHOLDPENDTRANSFER},
    {"DISCONNECTED", LINECALLSTATE_DISCONNECTED},
    {"UNKNOWN", LINECALLSTATE_UNKNOWN},
};

template <size_t N>
bool lookupName(const Named (&table)[N], const QString& name, DWORD* value)
{
    const QByteArray key = name.trimmed().toLower().toLatin1();
    for (const Named& n : table)
        if (key == n.name) {
            *value = n.value;
            return true;
        }
    return false;
}

template <size_t N>
QStringList namesOf(const Named (&table)[N])
{
    QStringList names;
    for (const Named& n : table)
        names << QString::fromLatin1(n.name);
    return names;
}

QString stateName(DWORD state)
{
    for (const Named& n : kCallStates)
        if (n.value == state)
            return QString::fromLatin1(n.name);
    return QString::number(state);
}

bool singleBit(DWORD v) { return v != 0 && (v & (v - 1)) == 0; }

// Reads an integer: a JSON number without a fraction, or a string of decimal digits (or
// 0x and hexadecimal digits), within [lo, hi].
bool readInteger(const QJsonObject& args, const QString& key, qint64 lo, qint64 hi, qint64* out, QString* error,
                 bool required = true)
{
    const QJsonValue v = args.value(key);
    if (v.isUndefined() || v.isNull()) {
        if (required)
            *error = QStringLiteral("missing '%1'").arg(key);
        return false;
    }
    const QString range = QStringLiteral("'%1' must be a whole number from %2 to %3").arg(key).arg(lo).arg(hi);
    qint64 value = 0;
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::floor(d) != d || d < double(lo) || d > double(hi)) {
            *error = range;
            return false;
        }
        value = qint64(d);
    } else if (v.isString()) {
        const QString s = v.toString().trimmed();
        bool ok = false;
        if (s.size() > 20 || s.isEmpty()) {
            *error = range;
            return false;
        }
        if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
            value = s.mid(2).toLongLong(&ok, 16);
        else
            value = s.toLongLong(&ok, 10);
        if (!ok || value < lo || value > hi) {
            *error = range;
            return false;
        }
    } else {
        *error = range;
        return false;
    }
    *out = value;
    return true;
}

bool readDword(const QJsonObject& args, const QString& key, DWORD* out, QString* error, bool required = true)
{
    qint64 v = 0;
    if (!readInteger(args, key, 0, 0xFFFFFFFFLL, &v, error, required))
        return false;
    *out = DWORD(v);
    return true;
}

// Reads a text argument: a string (numbers are taken as their decimal text) of at most
// maxLength characters, each accepted by `allowed`.
bool readText(const QJsonObject& args, const QString& key, int maxLength, const std::function<bool(QChar)>& allowed,
              const QString& what, QString* out, QString* error, bool required = false)
{
    const QJsonValue v = args.value(key);
    if (v.isUndefined() || v.isNull()) {
        if (required) {
            *error = QStringLiteral("missing '%1'").arg(key);
            return false;
        }
        out->clear();
        return true;
    }
    QString s;
    if (v.isString()) {
        s = v.toString();
    } else if (v.isDouble() && std::isfinite(v.toDouble()) && std::floor(v.toDouble()) == v.toDouble() &&
               std::abs(v.toDouble()) < 1e15) {
        s = QString::number(qint64(v.toDouble()));
    } else {
        *error = QStringLiteral("'%1' must be %2").arg(key, what);
        return false;
    }
    if (s.size() > maxLength) {
        *error = QStringLiteral("'%1' is longer than %2 characters").arg(key).arg(maxLength);
        return false;
    }
    for (QChar c : s)
        if (!allowed(c)) {
            *error = QStringLiteral("'%1' must be %2").arg(key, what);
            return false;
        }
    *out = s;
    return true;
}

bool printableAscii(QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; }
bool numberChar(QChar c)
{
    return c.unicode() < 0x80 && (c.isDigit() || QStringLiteral("*#+ -()").contains(c));
}
bool dtmfChar(QChar c) { return c.unicode() < 0x80 && QStringLiteral("0123456789*#ABCDabcd").contains(c); }
bool dialChar(QChar c)
{
    return c.unicode() < 0x80 && (c.isDigit() || QStringLiteral("*#+ -().,;!@$WwPpTtABCDabcd").contains(c));
}
bool wordChar(QChar c) { return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('_')); }

QJsonObject ok(QJsonObject extra = {})
{
    extra.insert(QStringLiteral("ok"), true);
    return extra;
}

QJsonObject fail(const QString& error)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

// A named value or a number from a table of single-bit names.
template <size_t N>
bool readNamedBit(const QJsonObject& args, const QString& key, const Named (&table)[N], DWORD allowed, DWORD* out,
                  QString* error)
{
    const QJsonValue v = args.value(key);
    if (v.isUndefined() || v.isNull()) {
        *error = QStringLiteral("missing '%1'").arg(key);
        return false;
    }
    const QString bad = QStringLiteral("'%1' must be one of %2 or a single-bit number among them")
                            .arg(key, namesOf(table).join(QStringLiteral(", ")));
    DWORD value = 0;
    if (v.isString() && v.toString().size() <= 32 && lookupName(table, v.toString(), &value)) {
        // a name
    } else {
        QString ignored;
        if (!readDword(args, key, &value, &ignored)) {
            *error = bad;
            return false;
        }
    }
    if (!singleBit(value) || (value & ~allowed) != 0) {
        *error = bad;
        return false;
    }
    *out = value;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The JSON control interface
// ---------------------------------------------------------------------------------------

QJsonObject SimulatedExchange::control(const QString& command, const QJsonObject& args)
{
    QString error;
    const QString cmd = command.trimmed().toLower();

    // "line" is 1-based; voiceOnly limits it to the two voice lines.
    auto readLine = [&](bool voiceOnly, int* device) {
        qint64 line = 0;
        if (!readInteger(args, QStringLiteral("line"), 1, voiceOnly ? 2 : lineDeviceCount(), &line, &error))
            return false;
        *device = int(line) - 1;
        return true;
    };
    // "call", or else the newest active call of "line".
    auto readCall = [&](CallId* call) {
        if (args.contains(QStringLiteral("call"))) {
            DWORD id = 0;
            if (!readDword(args, QStringLiteral("call"), &id, &error))
                return false;
            if (!find(id)) {
                error = QStringLiteral("no call %1").arg(id);
                return false;
            }
            *call = id;
            return true;
        }
        int device = 0;
        if (!args.contains(QStringLiteral("line"))) {
            error = QStringLiteral("missing 'call' (or 'line' for its newest active call)");
            return false;
        }
        if (!readLine(false, &device))
            return false;
        *call = newestCall(device);
        if (*call == 0) {
            error = QStringLiteral("no active call on line %1").arg(device + 1);
            return false;
        }
        return true;
    };
    auto readChoice = [&](const QString& key, auto& table, DWORD fallback, bool required, DWORD* out) {
        const QJsonValue v = args.value(key);
        if (v.isUndefined() || v.isNull()) {
            if (required) {
                error = QStringLiteral("missing '%1'").arg(key);
                return false;
            }
            *out = fallback;
            return true;
        }
        if (!v.isString() || v.toString().size() > 32 || !lookupName(table, v.toString(), out)) {
            error = QStringLiteral("'%1' must be one of %2").arg(key, namesOf(table).join(QStringLiteral(", ")));
            return false;
        }
        return true;
    };

    if (cmd == QLatin1String("ring")) {
        int device = 0;
        QString name, number;
        DWORD media = 0, flags = 0;
        if (!readLine(true, &device) ||
            !readText(args, QStringLiteral("name"), kMaxNameLength, printableAscii,
                      QStringLiteral("printable ASCII text"), &name, &error) ||
            !readText(args, QStringLiteral("number"), kMaxNumberLength, numberChar,
                      QStringLiteral("digits, '*', '#', '+', ' ', '-', '(' and ')'"), &number, &error) ||
            !readChoice(QStringLiteral("media"), kMedia, LINEMEDIAMODE_INTERACTIVEVOICE, false, &media))
            return fail(error);
        const QJsonValue f = args.value(QStringLiteral("flags"));
        if (!f.isUndefined() && !f.isNull()) {
            const QString bad = QStringLiteral("'flags' must be a number from 1 to 127 or names among %1")
                                    .arg(namesOf(kPartyFlags).join(QStringLiteral(", ")));
            QStringList names;
            if (f.isArray()) {
                for (const QJsonValue& item : f.toArray()) {
                    if (!item.isString())
                        return fail(bad);
                    names << item.toString();
                }
            } else if (f.isString() && !f.toString().trimmed().isEmpty() && !f.toString().trimmed().at(0).isDigit()) {
                names = f.toString().split(QRegularExpression(QStringLiteral("[,|+ ]+")), Qt::SkipEmptyParts);
            } else if (!readDword(args, QStringLiteral("flags"), &flags, &error) || flags == 0 || flags > 0x7F) {
                return fail(bad);
            }
            if (names.size() > 7 || f.toString().size() > 80)
                return fail(bad);
            for (const QString& n : names) {
                DWORD bit = 0;
                if (!lookupName(kPartyFlags, n, &bit))
                    return fail(bad);
                flags |= bit;
            }
            if (!names.isEmpty() && flags == 0)
                return fail(bad);
        }
        IncomingCall in;
        in.name = name.toLatin1();
        in.number = number.toLatin1();
        in.flags = flags;
        in.mediaMode = media;
        bool forwarded = false;
        const CallId call = ring(device, in, &forwarded);
        if (call == 0 && !forwarded)
            return fail(QStringLiteral("line %1 cannot take another call").arg(device + 1));
        QJsonObject answer{{QStringLiteral("call"), qint64(call)}};
        if (forwarded)
            answer.insert(QStringLiteral("forwarded"), true);
        return ok(answer);
    }

    if (cmd == QLatin1String("answer") || cmd == QLatin1String("hangup")) {
        CallId call = 0;
        if (!readCall(&call))
            return fail(error);
        const bool done = cmd == QLatin1String("answer") ? farEndAnswer(call) : farEndHangup(call);
        if (!done)
            return fail(cmd == QLatin1String("answer")
                            ? QStringLiteral("call %1 is not ringing a party").arg(call)
                            : QStringLiteral("call %1 has no far end to hang up").arg(call));
        return ok({{QStringLiteral("call"), qint64(call)}});
    }

    if (cmd == QLatin1String("digits")) {
        CallId call = 0;
        QString digits;
        if (!readCall(&call) ||
            !readText(args, QStringLiteral("digits"), kMaxDigits, dtmfChar,
                      QStringLiteral("DTMF digits (0-9, *, #, A-D)"), &digits, &error, true))
            return fail(error);
        if (digits.isEmpty())
            return fail(QStringLiteral("'digits' is empty"));
        if (!farEndDigits(call, digits.toLatin1()))
            return fail(QStringLiteral("call %1 cannot receive digits now").arg(call));
        return ok({{QStringLiteral("call"), qint64(call)}});
    }

    if (cmd == QLatin1String("tone")) {
        CallId call = 0;
        DWORD tone = 0;
        qint64 duration = 1000;
        if (!readCall(&call) || !readChoice(QStringLiteral("tone"), kTones, 0, true, &tone))
            return fail(error);
        if (args.contains(QStringLiteral("duration")) &&
            !readInteger(args, QStringLiteral("duration"), 1, 600000, &duration, &error))
            return fail(error);
        if (!farEndTone(call, tone, int(duration)))
            return fail(QStringLiteral("call %1 cannot receive a tone now").arg(call));
        return ok({{QStringLiteral("call"), qint64(call)}});
    }

    if (cmd == QLatin1String("silence")) {
        CallId call = 0;
        qint64 ms = 0;
        if (!readCall(&call) || !readInteger(args, QStringLiteral("ms"), 0, 3600000, &ms, &error))
            return fail(error);
        if (!farEndSilence(call, int(ms)))
            return fail(QStringLiteral("call %1 cannot be silent now").arg(call));
        return ok({{QStringLiteral("call"), qint64(call)}});
    }

    if (cmd == QLatin1String("media")) {
        CallId call = 0;
        DWORD mode = 0;
        if (!readCall(&call) || !readChoice(QStringLiteral("mode"), kMedia, 0, true, &mode))
            return fail(error);
        if (!farEndMedia(call, mode))
            return fail(QStringLiteral("call %1 cannot change to that media mode").arg(call));
        return ok({{QStringLiteral("call"), qint64(call)}});
    }

    if (cmd == QLatin1String("dialtone")) {
        int device = 0;
        if (!readLine(false, &device))
            return fail(error);
        const QJsonValue on = args.value(QStringLiteral("on"));
        if (!on.isBool())
            return fail(QStringLiteral("'on' must be true or false"));
        if (on.toBool())
            m_noDialTone.erase(device);
        else
            m_noDialTone.insert(device);
        return ok();
    }

    if (cmd == QLatin1String("linestate")) {
        int device = 0;
        DWORD state = 0, p2 = 0, p3 = 0;
        if (!readLine(false, &device) ||
            !readNamedBit(args, QStringLiteral("state"), kLineStates, supportedLineStates(), &state, &error))
            return fail(error);
        error.clear();
        if (!readDword(args, QStringLiteral("p2"), &p2, &error, false) && !error.isEmpty())
            return fail(error);
        if (!readDword(args, QStringLiteral("p3"), &p3, &error, false) && !error.isEmpty())
            return fail(error);
        signalLineState(device, state, p2, p3);
        return ok();
    }

    if (cmd == QLatin1String("addressstate")) {
        int device = 0;
        DWORD state = 0;
        if (!readLine(false, &device) ||
            !readNamedBit(args, QStringLiteral("state"), kAddressStates, supportedAddressStates(), &state, &error))
            return fail(error);
        signalAddressState(device, state);
        return ok();
    }

    if (cmd == QLatin1String("devspecific")) {
        int device = 0;
        DWORD p[3] = {0, 0, 0};
        DWORD call = 0;
        if (!readLine(false, &device))
            return fail(error);
        const char* keys[3] = {"p1", "p2", "p3"};
        for (int i = 0; i < 3; ++i) {
            error.clear();
            if (!readDword(args, QString::fromLatin1(keys[i]), &p[i], &error, false) && !error.isEmpty())
                return fail(error);
        }
        error.clear();
        if (!readDword(args, QStringLiteral("call"), &call, &error, false) && !error.isEmpty())
            return fail(error);
        if (!signalDevSpecific(device, call, p[0], p[1], p[2]))
            return fail(QStringLiteral("no call %1 on line %2").arg(call).arg(device + 1));
        return ok();
    }

    if (cmd == QLatin1String("close")) {
        int device = 0;
        if (!readLine(false, &device))
            return fail(error);
        forceClose(device);
        return ok();
    }

    if (cmd == QLatin1String("forward")) {
        int device = 0;
        QString destination;
        if (!readLine(true, &device) ||
            !readText(args, QStringLiteral("destination"), kMaxNumberLength, dialChar,
                      QStringLiteral("a dialable number"), &destination, &error))
            return fail(error);
        if (!destination.trimmed().isEmpty() && normalize(destination.toLatin1()).isEmpty())
            return fail(QStringLiteral("'destination' has no digits"));
        if (!setForwarding(device, destination.toLatin1()))
            return fail(QStringLiteral("line %1 cannot be forwarded").arg(device + 1));
        return ok({{QStringLiteral("destination"), destination.trimmed()}});
    }

    if (cmd == QLatin1String("pacing")) {
        const QJsonValue v = args.value(QStringLiteral("value"));
        double value = -1;
        bool valid = false;
        if (v.isDouble()) {
            value = v.toDouble();
            valid = true;
        } else if (v.isString() && v.toString().size() <= 20) {
            value = v.toString().trimmed().toDouble(&valid);
        }
        if (!valid || !std::isfinite(value) || value < 0 || value > 1000)
            return fail(QStringLiteral("'value' must be a number from 0 to 1000"));
        setPacing(value);
        return ok({{QStringLiteral("pacing"), m_pacing}});
    }

    if (cmd == QLatin1String("button")) {
        QString digit;
        if (!readText(args, QStringLiteral("digit"), 1, dtmfChar, QStringLiteral("one of 0-9, * and #"), &digit,
                      &error, true))
            return fail(error);
        if (digit.isEmpty() || !pressButton(digit.at(0).toLatin1()))
            return fail(QStringLiteral("'digit' must be one of 0-9, * and #"));
        return ok();
    }

    if (cmd == QLatin1String("calls")) {
        int only = -1;
        if (args.contains(QStringLiteral("line")) && !readLine(false, &only))
            return fail(error);
        QJsonArray list;
        for (const auto& [id, c] : m_calls) {
            if (only >= 0 && c->device != only)
                continue;
            QJsonObject entry{{QStringLiteral("call"), qint64(id)},
                              {QStringLiteral("line"), c->device + 1},
                              {QStringLiteral("state"), c->state ? stateName(c->state) : QStringLiteral("NONE")},
                              {QStringLiteral("mode"), qint64(c->mode)},
                              {QStringLiteral("party"), QString::fromLatin1(c->far.id.number)},
                              {QStringLiteral("name"), QString::fromLatin1(c->far.id.name)}};
            if (c->isConference)
                entry.insert(QStringLiteral("conference"), true);
            if (c->conference)
                entry.insert(QStringLiteral("conferenceCall"), qint64(c->conference));
            list.append(entry);
        }
        return ok({{QStringLiteral("calls"), list}});
    }

    if (cmd == QLatin1String("help")) {
        return ok({{QStringLiteral("commands"),
                    QJsonArray::fromStringList({QStringLiteral("ring"), QStringLiteral("answer"), QStringLiteral("dialtone"),
                                                QStringLiteral("hangup"), QStringLiteral("digits"),
                                                QStringLiteral("tone"), QStringLiteral("silence"),
                                                QStringLiteral("media"), QStringLiteral("linestate"),
                                                QStringLiteral("addressstate"), QStringLiteral("devspecific"),
                                                QStringLiteral("close"), QStringLiteral("forward"),
                                                QStringLiteral("pacing"), QStringLiteral("button"),
                                                QStringLiteral("calls"), QStringLiteral("help")})}});
    }

    if (cmd.size() > 64 || !std::all_of(cmd.begin(), cmd.end(), wordChar))
        return fail(QStringLiteral("unknown command"));
    return fail(QStringLiteral("unknown command '%1'").arg(cmd));
}

} // namespace Telephony
