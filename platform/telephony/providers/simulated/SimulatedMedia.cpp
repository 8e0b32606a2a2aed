// The simulated exchange: digits, tones, media modes, silence, the modem's pty, the phone.
#include "SimulatedExchange.h"

#include "../../TapiConstants.h"
#include "SimulatedCaps.h"

#include <algorithm>

namespace Telephony {

using namespace Sim;

namespace {

constexpr int kDigitPauseMs = 1000; // ',' in generated digits

bool isDtmf(char c)
{
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
}

// Does a monitored tone (non-zero frequencies, any order) match the frequencies heard?
bool matches(const LINEMONITORTONE& entry, const QList<DWORD>& heard)
{
    QList<DWORD> wanted;
    for (DWORD f : {entry.dwFrequency1, entry.dwFrequency2, entry.dwFrequency3})
        if (f != 0)
            wanted << f;
    if (wanted.isEmpty() || wanted.size() != heard.size())
        return false;
    QList<DWORD> a = wanted, b = heard;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    for (qsizetype i = 0; i < a.size(); ++i) {
        const double tolerance = double(b[i]) * 0.02 + 1.0;
        if (std::abs(double(a[i]) - double(b[i])) > tolerance)
            return false;
    }
    return true;
}

bool isSilence(const LINEMONITORTONE& e) { return e.dwFrequency1 == 0 && e.dwFrequency2 == 0 && e.dwFrequency3 == 0; }

} // namespace

// The frequencies of the exchange's standard tones.
QList<DWORD> SimulatedExchange::toneFrequencies(DWORD toneMode)
{
    switch (toneMode) {
    case LINETONEMODE_BUSY:
        return {480, 620};
    case LINETONEMODE_RINGBACK:
        return {440, 480};
    case LINETONEMODE_BEEP:
        return {1000};
    case LINETONEMODE_BILLING:
        return {1400};
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------
// Media modes
// ---------------------------------------------------------------------------------------

void SimulatedExchange::changeMedia(CallId id, DWORD mediaMode)
{
    SimCall* c = find(id);
    if (!c)
        return;
    c->info.fixed.dwMediaMode = mediaMode;
    m_sink->mediaModeDetected(id, mediaMode);
    infoChanged(id, LINECALLINFOSTATE_MEDIAMODE);
}

LONG SimulatedExchange::setMediaMode(CallId call, DWORD mediaModes)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (c->state == 0 || c->state == LINECALLSTATE_IDLE)
        return LONG(LINEERR_INVALCALLSTATE);
    const DWORD supported = m_lines[size_t(c->device)].fixed.dwMediaModes;
    if (mediaModes == 0 || (mediaModes & ~supported) != 0)
        return LONG(LINEERR_INVALMEDIAMODE);
    c->info.fixed.dwMediaMode = mediaModes;
    post([this, call] { infoChanged(call, LINECALLINFOSTATE_MEDIAMODE); });
    return 0;
}

// ---------------------------------------------------------------------------------------
// Digits and tones towards the far end
// ---------------------------------------------------------------------------------------

// Where media of a leg is heard: a conference's parties are heard on the conference call.
CallId SimulatedExchange::mediaCall(CallId leg) const
{
    const SimCall* c = find(leg);
    if (c && c->conference && !c->confConsult && find(c->conference))
        return c->conference;
    return leg;
}

void SimulatedExchange::cancelGeneration(SimCall& c)
{
    if (!c.generating)
        return;
    c.generating = false;
    cancel(c, Channel::Generate);
    m_sink->generateFinished(c.genToken, LINEGENERATETERM_CANCEL);
}

LONG SimulatedExchange::generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits,
                                       DWORD duration)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (digitMode != LINEDIGITMODE_DTMF)
        return LONG(LINEERR_INVALDIGITMODE);
    if (digits.isEmpty()) { // cancels the generation in progress
        if (c->generating) {
            c->generating = false;
            cancel(*c, Channel::Generate);
            const DWORD old = c->genToken;
            post([this, old] { m_sink->generateFinished(old, LINEGENERATETERM_CANCEL); });
        }
        return 0;
    }
    if (!(features(*c) & LINECALLFEATURE_GENERATEDIGITS))
        return LONG(LINEERR_INVALCALLSTATE);
    if (digits.size() > 256)
        return LONG(LINEERR_INVALDIGITS);
    for (char d : digits)
        if (!isDtmf(d) && d != ',')
            return LONG(LINEERR_INVALDIGITS);
    const LINEDEVCAPS& caps = m_lines[size_t(c->device)].fixed;
    const int ms = duration == 0 ? int(caps.DefaultDialParams.dwDigitDuration)
                                 : int(qBound(caps.MinDialParams.dwDigitDuration, duration,
                                              caps.MaxDialParams.dwDigitDuration));
    if (c->generating) {
        cancel(*c, Channel::Generate);
        const DWORD old = c->genToken;
        post([this, old] { m_sink->generateFinished(old, LINEGENERATETERM_CANCEL); });
    }
    c->generating = true;
    c->genToken = token;
    const quint64 generation = c->gen(Channel::Generate);
    post([this, call, token, digits, ms, generation] {
        SimCall* c = find(call);
        if (c && c->generating && c->genToken == token && c->gen(Channel::Generate) == generation)
            generateStep(call, token, digits, 0, ms);
    });
    return 0;
}

// One digit: its tone for `durationMs` (the far end hears it at the end), then as long a
// gap; ',' pauses a second. After the last one: LINEGENERATETERM_DONE.
void SimulatedExchange::generateStep(CallId id, DWORD token, QByteArray digits, int index, int durationMs)
{
    SimCall* c = find(id);
    if (!c || !c->generating || c->genToken != token)
        return;
    if (index >= digits.size()) {
        c->generating = false;
        m_sink->generateFinished(token, LINEGENERATETERM_DONE);
        return;
    }
    const char digit = digits.at(index);
    if (digit == ',') {
        after(id, Channel::Generate, kDigitPauseMs, [this, token, digits, index, durationMs](SimCall& call) {
            generateStep(call.id, token, digits, index + 1, durationMs);
        });
        return;
    }
    after(id, Channel::Generate, durationMs, [this, token, digits, index, durationMs, digit](SimCall& call) {
        const CallId id = call.id;
        deliverDigit(id, digit);
        after(id, Channel::Generate, durationMs, [this, token, digits, index, durationMs](SimCall& again) {
            generateStep(again.id, token, digits, index + 1, durationMs);
        });
    });
}

// A digit generated on a leg reaches its far end: another line hears it, the echo party
// sends it back; on a conference call every party hears it.
void SimulatedExchange::deliverDigit(CallId from, char digit)
{
    const SimCall* c = find(from);
    if (!c)
        return;
    if (c->isConference) {
        const QList<CallId> members = c->members;
        for (CallId m : members)
            deliverDigit(m, digit);
        return;
    }
    const FarEnd far = c->far;
    if (far.kind == FarEnd::Leg)
        receiveDigit(far.leg, digit);
    else if (far.kind == FarEnd::Party && far.scripted && far.party.behavior == Behavior::Echo)
        receiveDigit(from, digit);
}

// The far end of `leg` sent a digit: reported on the call where its media is heard.
void SimulatedExchange::receiveDigit(CallId leg, char digit)
{
    const CallId target = mediaCall(leg);
    SimCall* c = find(target);
    if (!c || c->state == LINECALLSTATE_IDLE)
        return;
    const char d = (digit >= 'a' && digit <= 'd') ? char(digit - 'a' + 'A') : digit;
    m_sink->digitReceived(target, d, LINEDIGITMODE_DTMF);
    restartSilence(target);
}

LONG SimulatedExchange::generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration,
                                     const QList<LINEGENERATETONE>& tones)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (toneMode == 0) { // cancels the generation in progress
        if (c->generating) {
            c->generating = false;
            cancel(*c, Channel::Generate);
            const DWORD old = c->genToken;
            post([this, old] { m_sink->generateFinished(old, LINEGENERATETERM_CANCEL); });
        }
        return 0;
    }
    QList<DWORD> frequencies;
    int defaultMs = 1000;
    switch (toneMode) {
    case LINETONEMODE_CUSTOM:
        if (tones.isEmpty() || tones.size() > 3)
            return LONG(LINEERR_INVALTONE);
        for (const LINEGENERATETONE& t : tones) {
            if (t.dwFrequency == 0 || t.dwFrequency > 20000)
                return LONG(LINEERR_INVALTONE);
            frequencies << t.dwFrequency;
        }
        break;
    case LINETONEMODE_BEEP:
    case LINETONEMODE_BILLING:
        defaultMs = 500;
        frequencies = toneFrequencies(toneMode);
        break;
    case LINETONEMODE_BUSY:
        defaultMs = 4000;
        frequencies = toneFrequencies(toneMode);
        break;
    case LINETONEMODE_RINGBACK:
        defaultMs = 6000;
        frequencies = toneFrequencies(toneMode);
        break;
    default:
        return LONG(LINEERR_INVALTONEMODE);
    }
    if (!(features(*c) & LINECALLFEATURE_GENERATETONE))
        return LONG(LINEERR_INVALCALLSTATE);
    const int ms = duration == 0 ? defaultMs : int(qMin<DWORD>(duration, 600000));
    if (c->generating) {
        cancel(*c, Channel::Generate);
        const DWORD old = c->genToken;
        post([this, old] { m_sink->generateFinished(old, LINEGENERATETERM_CANCEL); });
    }
    c->generating = true;
    c->genToken = token;
    const quint64 generation = c->gen(Channel::Generate);
    post([this, call, token, frequencies, ms, generation] {
        SimCall* c = find(call);
        if (!c || !c->generating || c->genToken != token || c->gen(Channel::Generate) != generation)
            return;
        deliverTone(call, frequencies, ms);
        after(call, Channel::Generate, ms, [this, token](SimCall& again) {
            if (!again.generating || again.genToken != token)
                return;
            again.generating = false;
            m_sink->generateFinished(token, LINEGENERATETERM_DONE);
        });
    });
    return 0;
}

void SimulatedExchange::deliverTone(CallId from, const QList<DWORD>& frequencies, int durationMs)
{
    const SimCall* c = find(from);
    if (!c)
        return;
    if (c->isConference) {
        const QList<CallId> members = c->members;
        for (CallId m : members)
            deliverTone(m, frequencies, durationMs);
        return;
    }
    if (c->far.kind == FarEnd::Leg)
        receiveTone(c->far.leg, frequencies, durationMs);
}

// The far end of `leg` sends a tone for durationMs: silence is broken, a monitored tone
// with these frequencies is reported once it has lasted the entry's duration.
void SimulatedExchange::receiveTone(CallId leg, const QList<DWORD>& frequencies, int durationMs)
{
    const CallId target = mediaCall(leg);
    SimCall* c = find(target);
    if (!c || c->state == LINECALLSTATE_IDLE)
        return;
    cancel(*c, Channel::Silence);
    const DWORD token = c->monToken;
    for (const LINEMONITORTONE& entry : c->monitors) {
        if (isSilence(entry) || !matches(entry, frequencies) || int(entry.dwDuration) > durationMs)
            continue;
        const DWORD appSpecific = entry.dwAppSpecific;
        after(target, Channel::Far, int(entry.dwDuration), [this, token, appSpecific](SimCall& call) {
            if (call.monToken == token)
                m_sink->toneDetected(token, appSpecific);
        });
    }
    after(target, Channel::Far, durationMs, [this](SimCall& call) { restartSilence(call.id); });
}

// ---------------------------------------------------------------------------------------
// Tone and silence monitoring
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::monitorTones(CallId call, DWORD token, const QList<LINEMONITORTONE>& tones)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (tones.isEmpty()) {
        c->monitors.clear();
        c->silenceReported.clear();
        c->monToken = 0;
        cancel(*c, Channel::Silence);
        return 0;
    }
    if (c->state == 0 || c->state == LINECALLSTATE_IDLE)
        return LONG(LINEERR_INVALCALLSTATE);
    const LINEDEVCAPS& caps = m_lines[size_t(c->device)].fixed;
    if (tones.size() > int(caps.dwMonitorToneMaxNumEntries))
        return LONG(LINEERR_INVALTONELIST);
    for (const LINEMONITORTONE& t : tones)
        if (t.dwFrequency1 > 20000 || t.dwFrequency2 > 20000 || t.dwFrequency3 > 20000 ||
            t.dwDuration > 3600000)
            return LONG(LINEERR_INVALTONE);
    c->monToken = token;
    c->monitors = tones;
    restartSilence(call);
    return 0;
}

// A new stretch of silence begins: each silence entry fires once it has lasted long
// enough. Silence only counts on a connected call.
void SimulatedExchange::restartSilence(CallId id)
{
    SimCall* c = find(id);
    if (!c)
        return;
    cancel(*c, Channel::Silence);
    c->silenceReported = QList<bool>(c->monitors.size(), false);
    if (c->state != LINECALLSTATE_CONNECTED)
        return;
    const DWORD token = c->monToken;
    for (qsizetype i = 0; i < c->monitors.size(); ++i) {
        const LINEMONITORTONE entry = c->monitors[i];
        if (!isSilence(entry))
            continue;
        after(id, Channel::Silence, int(entry.dwDuration), [this, token, i, entry](SimCall& call) {
            if (call.monToken != token || i >= call.silenceReported.size() || call.silenceReported[i])
                return;
            call.silenceReported[i] = true;
            m_sink->toneDetected(token, entry.dwAppSpecific);
        });
    }
}

// ---------------------------------------------------------------------------------------
// The modem's data channel
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::commHandle(CallId call, int* fd)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (c->state != LINECALLSTATE_CONNECTED || !(c->info.fixed.dwMediaMode & LINEMEDIAMODE_DATAMODEM))
        return LONG(LINEERR_INVALCALLSTATE);
    auto modem = std::make_unique<SimulatedModem>();
    const int master = modem->takeMasterFd();
    if (master < 0 || !modem->isOpen())
        return LONG(LINEERR_RESOURCEUNAVAIL);
    c->modem = std::move(modem);
    if (fd)
        *fd = master;
    return 0;
}

// ---------------------------------------------------------------------------------------
// The phone
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::phoneOpen(int phone, DWORD privilege)
{
    if (phone != 0)
        return LONG(PHONEERR_BADDEVICEID);
    return m_phone.open(privilege);
}

void SimulatedExchange::phoneClose(int phone)
{
    if (phone == 0)
        m_phone.close();
}

PhoneStatusData SimulatedExchange::phoneStatus(int phone) const
{
    return phone == 0 ? m_phone.status() : PhoneStatusData{};
}

void SimulatedExchange::reportPhone(DWORD requestId, int phone, const SimulatedPhone::Changes& changes)
{
    post([this, requestId, phone, changes] {
        m_sink->completeRequest(requestId, 0);
        for (const auto& [state, value] : changes)
            m_sink->phoneStateChanged(DWORD(phone), state, value);
    });
}

LONG SimulatedExchange::phoneSetHookSwitch(DWORD requestId, int phone, DWORD hookSwitchDevs, DWORD mode)
{
    if (phone != 0)
        return LONG(PHONEERR_BADDEVICEID);
    SimulatedPhone::Changes changes;
    if (const LONG error = m_phone.setHookSwitch(hookSwitchDevs, mode, &changes))
        return error;
    reportPhone(requestId, phone, changes);
    return 0;
}

LONG SimulatedExchange::phoneSetVolume(DWORD requestId, int phone, DWORD hookSwitchDev, DWORD volume)
{
    if (phone != 0)
        return LONG(PHONEERR_BADDEVICEID);
    SimulatedPhone::Changes changes;
    if (const LONG error = m_phone.setVolume(hookSwitchDev, volume, &changes))
        return error;
    reportPhone(requestId, phone, changes);
    return 0;
}

LONG SimulatedExchange::phoneSetGain(DWORD requestId, int phone, DWORD hookSwitchDev, DWORD gain)
{
    if (phone != 0)
        return LONG(PHONEERR_BADDEVICEID);
    SimulatedPhone::Changes changes;
    if (const LONG error = m_phone.setGain(hookSwitchDev, gain, &changes))
        return error;
    reportPhone(requestId, phone, changes);
    return 0;
}

} // namespace Telephony
