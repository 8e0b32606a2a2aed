#include "SimulatedControl.h"

#include "SimulatedAudio.h"

#include "ControlArguments.h"
#include "SimulatedCaps.h"
#include "SimulatedFarEnd.h"
#include "SimulatedFeatures.h"
#include "SimulatedSwitch.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace Telephony::Sim {

namespace {

constexpr int kMaxNameLength = 64;
constexpr int kMaxNumberLength = 32;
constexpr int kVoiceLines = 2;

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

constexpr Named kHookSwitchDevs[] = {
    {"handset", PHONEHOOKSWITCHDEV_HANDSET},
    {"speaker", PHONEHOOKSWITCHDEV_SPEAKER},
    {"headset", PHONEHOOKSWITCHDEV_HEADSET},
};

constexpr Named kHookSwitchModes[] = {
    {"onhook", PHONEHOOKSWITCHMODE_ONHOOK},
    {"mic", PHONEHOOKSWITCHMODE_MIC},
    {"speaker", PHONEHOOKSWITCHMODE_SPEAKER},
    {"micspeaker", PHONEHOOKSWITCHMODE_MICSPEAKER},
};

QString stateName(DWORD state)
{
    for (const Named& n : kCallStates)
        if (n.value == state)
            return QString::fromLatin1(n.name);
    return QString::number(state);
}

bool ascii(QChar c) { return c.unicode() < 0x80; }
bool printableAscii(QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; }
bool numberChar(QChar c) { return ascii(c) && (c.isDigit() || QStringLiteral("*#+ -()").contains(c)); }
bool dtmfChar(QChar c) { return ascii(c) && isDtmf(char(c.unicode())); }
bool dialChar(QChar c) { return ascii(c) && isDialable(QByteArray(1, char(c.unicode()))); }
bool wordChar(QChar c) { return ascii(c) && (c.isLetterOrNumber() || c == QLatin1Char('_')); }

QJsonObject ok(QJsonObject extra = {})
{
    extra.insert(QStringLiteral("ok"), true);
    return extra;
}

QJsonObject fail(const QString& error)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

} // namespace

// In the order "help" lists them.
const SimulatedControl::Entry SimulatedControl::s_commands[] = {
    {"ring", &SimulatedControl::ring},
    {"answer", &SimulatedControl::answer},
    {"dialtone", &SimulatedControl::dialTone},
    {"hangup", &SimulatedControl::hangUp},
    {"digits", &SimulatedControl::digits},
    {"tone", &SimulatedControl::tone},
    {"silence", &SimulatedControl::silence},
    {"media", &SimulatedControl::media},
    {"linestate", &SimulatedControl::lineState},
    {"addressstate", &SimulatedControl::addressState},
    {"devspecific", &SimulatedControl::devSpecific},
    {"close", &SimulatedControl::close},
    {"forward", &SimulatedControl::forward},
    {"pacing", &SimulatedControl::pacing},
    {"button", &SimulatedControl::button},
    {"lift", &SimulatedControl::lift},
    {"replace", &SimulatedControl::replace},
    {"hookswitch", &SimulatedControl::hookSwitch},
    {"volume", &SimulatedControl::volume},
    {"gain", &SimulatedControl::gain},
    {"phonedevspecific", &SimulatedControl::phoneDevSpecific},
    {"phoneclose", &SimulatedControl::phoneClose},
    {"calls", &SimulatedControl::calls},
    {"say", &SimulatedControl::say},
    {"heard", &SimulatedControl::heard},
    {"help", &SimulatedControl::help},
};

QJsonObject SimulatedControl::run(const QString& command, const QJsonObject& args)
{
    const QString cmd = command.trimmed().toLower();
    for (const Entry& entry : s_commands) {
        if (cmd == QLatin1String(entry.name)) {
            ControlArguments arguments(args);
            return (this->*entry.run)(arguments);
        }
    }
    if (cmd.size() > 64 || !std::all_of(cmd.begin(), cmd.end(), wordChar))
        return fail(QStringLiteral("unknown command"));
    return fail(QStringLiteral("unknown command '%1'").arg(cmd));
}

bool SimulatedControl::readLine(ControlArguments& args, bool voiceOnly, int* device) const
{
    return args.line(voiceOnly ? kVoiceLines : m_sw.lineCount(), device);
}

bool SimulatedControl::readCall(ControlArguments& args, CallId* call) const
{
    if (args.contains(QStringLiteral("call"))) {
        DWORD id = 0;
        if (!args.dword(QStringLiteral("call"), &id))
            return false;
        if (!m_sw.find(id)) {
            args.setError(QStringLiteral("no call %1").arg(id));
            return false;
        }
        *call = id;
        return true;
    }
    int device = 0;
    if (!args.contains(QStringLiteral("line"))) {
        args.setError(QStringLiteral("missing 'call' (or 'line' for its newest active call)"));
        return false;
    }
    if (!readLine(args, false, &device))
        return false;
    *call = m_sw.newestCall(device);
    if (*call == 0) {
        args.setError(QStringLiteral("no active call on line %1").arg(device + 1));
        return false;
    }
    return true;
}

QJsonObject SimulatedControl::onCall(CallId call, bool done, const QString& why)
{
    if (!done)
        return fail(why.arg(call));
    return ok({{QStringLiteral("call"), qint64(call)}});
}

// ---------------------------------------------------------------------------------------
// Far ends
// ---------------------------------------------------------------------------------------

QJsonObject SimulatedControl::ring(ControlArguments& args)
{
    int device = 0;
    QString name, number;
    DWORD media = 0, flags = 0;
    if (!readLine(args, true, &device) ||
        !args.text(QStringLiteral("name"), kMaxNameLength, printableAscii, QStringLiteral("printable ASCII text"),
                   &name) ||
        !args.text(QStringLiteral("number"), kMaxNumberLength, numberChar,
                   QStringLiteral("digits, '*', '#', '+', ' ', '-', '(' and ')'"), &number) ||
        !args.choice(QStringLiteral("media"), kMedia, LINEMEDIAMODE_INTERACTIVEVOICE, false, &media))
        return fail(args.error());
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
        } else if (!args.dword(QStringLiteral("flags"), &flags) || flags == 0 || flags > 0x7F) {
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
    const CallId call = m_farEnd.ring(device, in, &forwarded);
    if (call == 0 && !forwarded)
        return fail(QStringLiteral("line %1 cannot take another call").arg(device + 1));
    QJsonObject answer{{QStringLiteral("call"), qint64(call)}};
    if (forwarded)
        answer.insert(QStringLiteral("forwarded"), true);
    return ok(answer);
}

QJsonObject SimulatedControl::answer(ControlArguments& args)
{
    CallId call = 0;
    if (!readCall(args, &call))
        return fail(args.error());
    return onCall(call, m_farEnd.answer(call), QStringLiteral("call %1 is not ringing a party"));
}

QJsonObject SimulatedControl::hangUp(ControlArguments& args)
{
    CallId call = 0;
    if (!readCall(args, &call))
        return fail(args.error());
    return onCall(call, m_farEnd.hangUp(call), QStringLiteral("call %1 has no far end to hang up"));
}

QJsonObject SimulatedControl::digits(ControlArguments& args)
{
    CallId call = 0;
    QString digits;
    if (!readCall(args, &call) ||
        !args.text(QStringLiteral("digits"), kMaxDigits, dtmfChar, QStringLiteral("DTMF digits (0-9, *, #, A-D)"),
                   &digits, true))
        return fail(args.error());
    if (digits.isEmpty())
        return fail(QStringLiteral("'digits' is empty"));
    return onCall(call, m_farEnd.sendDigits(call, digits.toLatin1()),
                  QStringLiteral("call %1 cannot receive digits now"));
}

QJsonObject SimulatedControl::tone(ControlArguments& args)
{
    CallId call = 0;
    DWORD tone = 0;
    qint64 duration = 1000;
    if (!readCall(args, &call) || !args.choice(QStringLiteral("tone"), kTones, 0, true, &tone))
        return fail(args.error());
    if (args.contains(QStringLiteral("duration")) && !args.integer(QStringLiteral("duration"), 1, 600000, &duration))
        return fail(args.error());
    return onCall(call, m_farEnd.sendTone(call, tone, int(duration)),
                  QStringLiteral("call %1 cannot receive a tone now"));
}

QJsonObject SimulatedControl::silence(ControlArguments& args)
{
    CallId call = 0;
    qint64 ms = 0;
    if (!readCall(args, &call) || !args.integer(QStringLiteral("ms"), 0, 3600000, &ms))
        return fail(args.error());
    return onCall(call, m_farEnd.beSilent(call, int(ms)), QStringLiteral("call %1 cannot be silent now"));
}

QJsonObject SimulatedControl::media(ControlArguments& args)
{
    CallId call = 0;
    DWORD mode = 0;
    if (!readCall(args, &call) || !args.choice(QStringLiteral("mode"), kMedia, 0, true, &mode))
        return fail(args.error());
    return onCall(call, m_farEnd.changeMedia(call, mode), QStringLiteral("call %1 cannot change to that media mode"));
}

QJsonObject SimulatedControl::button(ControlArguments& args)
{
    QString digit;
    if (!args.text(QStringLiteral("digit"), 1, dtmfChar, QStringLiteral("one of 0-9, * and #"), &digit, true))
        return fail(args.error());
    if (digit.isEmpty() || !m_farEnd.pressButton(digit.at(0).toLatin1()))
        return fail(QStringLiteral("'digit' must be one of 0-9, * and #"));
    return ok();
}

// ---------------------------------------------------------------------------------------
// The person at the phone
// ---------------------------------------------------------------------------------------

QJsonObject SimulatedControl::setHookSwitch(ControlArguments& args, DWORD mode)
{
    DWORD device = 0;
    if (!args.choice(QStringLiteral("device"), kHookSwitchDevs, PHONEHOOKSWITCHDEV_HANDSET, false, &device))
        return fail(args.error());
    if (!m_farEnd.phoneHookSwitch(device, mode))
        return fail(QStringLiteral("the phone cannot do that now"));
    return ok();
}

QJsonObject SimulatedControl::hookSwitch(ControlArguments& args)
{
    DWORD mode = 0;
    if (!args.choice(QStringLiteral("mode"), kHookSwitchModes, 0, true, &mode))
        return fail(args.error());
    return setHookSwitch(args, mode);
}

QJsonObject SimulatedControl::lift(ControlArguments& args)
{
    return setHookSwitch(args, PHONEHOOKSWITCHMODE_MICSPEAKER);
}

QJsonObject SimulatedControl::replace(ControlArguments& args)
{
    return setHookSwitch(args, PHONEHOOKSWITCHMODE_ONHOOK);
}

QJsonObject SimulatedControl::setLevel(ControlArguments& args, bool volume)
{
    DWORD device = 0;
    qint64 value = 0;
    if (!args.choice(QStringLiteral("device"), kHookSwitchDevs, PHONEHOOKSWITCHDEV_HANDSET, false, &device)
        || !args.integer(QStringLiteral("value"), 0, 0xFFFF, &value))
        return fail(args.error());
    if (!m_farEnd.phoneLevel(volume, device, DWORD(value)))
        return fail(QStringLiteral("the phone cannot do that now"));
    return ok();
}

QJsonObject SimulatedControl::volume(ControlArguments& args)
{
    return setLevel(args, true);
}

QJsonObject SimulatedControl::gain(ControlArguments& args)
{
    return setLevel(args, false);
}

QJsonObject SimulatedControl::phoneDevSpecific(ControlArguments& args)
{
    DWORD p1 = 0, p2 = 0, p3 = 0;
    if (!args.optionalDword(QStringLiteral("p1"), &p1) || !args.optionalDword(QStringLiteral("p2"), &p2)
        || !args.optionalDword(QStringLiteral("p3"), &p3))
        return fail(args.error());
    m_farEnd.phoneDevSpecific(p1, p2, p3);
    return ok();
}

QJsonObject SimulatedControl::phoneClose(ControlArguments&)
{
    m_farEnd.phoneClose();
    return ok();
}

// ---------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------

QJsonObject SimulatedControl::dialTone(ControlArguments& args)
{
    int device = 0;
    if (!readLine(args, false, &device))
        return fail(args.error());
    const QJsonValue on = args.value(QStringLiteral("on"));
    if (!on.isBool())
        return fail(QStringLiteral("'on' must be true or false"));
    m_sw.line(device).dialTone = on.toBool();
    return ok();
}

QJsonObject SimulatedControl::lineState(ControlArguments& args)
{
    int device = 0;
    DWORD state = 0, p2 = 0, p3 = 0;
    if (!readLine(args, false, &device) ||
        !args.namedBit(QStringLiteral("state"), kLineStates, supportedLineStates(), &state) ||
        !args.optionalDword(QStringLiteral("p2"), &p2) || !args.optionalDword(QStringLiteral("p3"), &p3))
        return fail(args.error());
    m_farEnd.signalLineState(device, state, p2, p3);
    return ok();
}

QJsonObject SimulatedControl::addressState(ControlArguments& args)
{
    int device = 0;
    DWORD state = 0;
    if (!readLine(args, false, &device) ||
        !args.namedBit(QStringLiteral("state"), kAddressStates, supportedAddressStates(), &state))
        return fail(args.error());
    m_farEnd.signalAddressState(device, state);
    return ok();
}

QJsonObject SimulatedControl::devSpecific(ControlArguments& args)
{
    int device = 0;
    DWORD p1 = 0, p2 = 0, p3 = 0, call = 0;
    if (!readLine(args, false, &device) || !args.optionalDword(QStringLiteral("p1"), &p1) ||
        !args.optionalDword(QStringLiteral("p2"), &p2) || !args.optionalDword(QStringLiteral("p3"), &p3) ||
        !args.optionalDword(QStringLiteral("call"), &call))
        return fail(args.error());
    if (!m_farEnd.signalDevSpecific(device, call, p1, p2, p3))
        return fail(QStringLiteral("no call %1 on line %2").arg(call).arg(device + 1));
    return ok();
}

QJsonObject SimulatedControl::close(ControlArguments& args)
{
    int device = 0;
    if (!readLine(args, false, &device))
        return fail(args.error());
    m_farEnd.forceClose(device);
    return ok();
}

QJsonObject SimulatedControl::forward(ControlArguments& args)
{
    int device = 0;
    QString destination;
    if (!readLine(args, true, &device) ||
        !args.text(QStringLiteral("destination"), kMaxNumberLength, dialChar, QStringLiteral("a dialable number"),
                   &destination))
        return fail(args.error());
    if (!destination.trimmed().isEmpty() && normalize(destination.toLatin1()).isEmpty())
        return fail(QStringLiteral("'destination' has no digits"));
    if (!m_sw.features().setForwarding(device, destination.toLatin1()))
        return fail(QStringLiteral("line %1 cannot be forwarded").arg(device + 1));
    return ok({{QStringLiteral("destination"), destination.trimmed()}});
}

// ---------------------------------------------------------------------------------------
// The exchange
// ---------------------------------------------------------------------------------------

QJsonObject SimulatedControl::pacing(ControlArguments& args)
{
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
    m_sw.setPacing(value);
    return ok({{QStringLiteral("pacing"), m_sw.pacing()}});
}

QJsonObject SimulatedControl::calls(ControlArguments& args)
{
    int only = -1;
    if (args.contains(QStringLiteral("line")) && !readLine(args, false, &only))
        return fail(args.error());
    QJsonArray list;
    for (const auto& [id, c] : m_sw.legs()) {
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

// ---------------------------------------------------------------------------------------
// Call audio
// ---------------------------------------------------------------------------------------

bool SimulatedControl::readPartyFile(ControlArguments& args, CallId* call, QString* file) const
{
    if (!readCall(args, call)
        || !args.text(QStringLiteral("file"), 4096, [](QChar c) { return c.unicode() >= 0x20 && c != QChar(0x7F); },
                      QStringLiteral("a file name"), file, true))
        return false;
    if (file->isEmpty()) {
        args.setError(QStringLiteral("'file' is empty"));
        return false;
    }
    const SimCall* c = m_sw.find(*call);
    if (!c || c->far.kind != FarEnd::Party) {
        args.setError(QStringLiteral("the far end of call %1 is no outside party").arg(*call));
        return false;
    }
    return true;
}

QJsonObject SimulatedControl::onPartyFile(ControlArguments& args,
                                          bool (SimulatedAudio::*act)(CallId, const QString&, QString*))
{
    CallId call = 0;
    QString file, error;
    if (!readPartyFile(args, &call, &file))
        return fail(args.error());
    if (!m_audio || !(m_audio->*act)(call, file, &error))
        return fail(error.isEmpty() ? QStringLiteral("the exchange has no call audio") : error);
    return ok({{QStringLiteral("call"), qint64(call)}});
}

QJsonObject SimulatedControl::say(ControlArguments& args)
{
    // "then": what the party does after its words, so a script's caller can leave a
    // message and hang up (or key digits) once the line has heard it all.
    QString then;
    if (!args.text(QStringLiteral("then"), kMaxDigits, printableAscii, QStringLiteral("'hangup' or DTMF digits"), &then,
                   false))
        return fail(args.error());
    if (!then.isEmpty() && then != QLatin1String("hangup") && !std::all_of(then.begin(), then.end(), dtmfChar))
        return fail(QStringLiteral("'then' wants 'hangup' or DTMF digits (0-9, *, #, A-D)"));
    CallId call = 0;
    QString file, error;
    if (!readPartyFile(args, &call, &file))
        return fail(args.error());
    if (!m_audio)
        return fail(QStringLiteral("the exchange has no call audio"));
    if (!m_audio->say(call, file, &error, then.toLatin1()))
        return fail(error);
    return ok({{QStringLiteral("call"), qint64(call)}});
}

void SimulatedControl::afterSaying(CallId leg, const QByteArray& then)
{
    if (!m_sw.find(leg))
        return;
    if (then == "hangup")
        m_farEnd.hangUp(leg);
    else
        m_farEnd.sendDigits(leg, then);
}

QJsonObject SimulatedControl::heard(ControlArguments& args)
{
    return onPartyFile(args, &SimulatedAudio::saveHeard);
}

QJsonObject SimulatedControl::help(ControlArguments&)
{
    QStringList names;
    for (const Entry& entry : s_commands)
        names << QString::fromLatin1(entry.name);
    return ok({{QStringLiteral("commands"), QJsonArray::fromStringList(names)}});
}

} // namespace Telephony::Sim
