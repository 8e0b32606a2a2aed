#include "SimulatedMedia.h"

#include "SimulatedSwitch.h"

#include <algorithm>

namespace Telephony::Sim {

namespace {

constexpr int kDigitPauseMs = 1000; // ',' in generated digits

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

QList<DWORD> SimulatedMedia::toneFrequencies(DWORD toneMode)
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

void SimulatedMedia::changeMedia(CallId id, DWORD mediaMode)
{
    SimCall* c = m_sw.find(id);
    if (!c)
        return;
    c->info.fixed.dwMediaMode = mediaMode;
    m_sw.sink().mediaModeDetected(id, mediaMode);
    m_sw.infoChanged(id, LINECALLINFOSTATE_MEDIAMODE);
}

LONG SimulatedMedia::setMediaMode(CallId call, DWORD mediaModes)
{
    SimCall* c = m_sw.find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (c->state == 0 || c->state == LINECALLSTATE_IDLE)
        return LONG(LINEERR_INVALCALLSTATE);
    const DWORD supported = m_sw.caps(c->device).fixed.dwMediaModes;
    if (mediaModes == 0 || (mediaModes & ~supported) != 0)
        return LONG(LINEERR_INVALMEDIAMODE);
    c->info.fixed.dwMediaMode = mediaModes;
    m_sw.post([this, call] { m_sw.infoChanged(call, LINECALLINFOSTATE_MEDIAMODE); });
    return 0;
}

// ---------------------------------------------------------------------------------------
// Digits and tones towards the far end
// ---------------------------------------------------------------------------------------

CallId SimulatedMedia::mediaCall(CallId leg) const
{
    const SimCall* c = m_sw.find(leg);
    if (c && c->conference && !c->confConsult && m_sw.find(c->conference))
        return c->conference;
    return leg;
}

void SimulatedMedia::cancelGeneration(SimCall& c)
{
    if (!c.generating)
        return;
    c.generating = false;
    SimulatedSwitch::cancel(c, Channel::Generate);
    m_sw.sink().generateFinished(c.genToken, LINEGENERATETERM_CANCEL);
}

void SimulatedMedia::endGenerationLater(SimCall& c)
{
    if (!c.generating)
        return;
    c.generating = false;
    SimulatedSwitch::cancel(c, Channel::Generate);
    const DWORD old = c.genToken;
    m_sw.post([this, old] { m_sw.sink().generateFinished(old, LINEGENERATETERM_CANCEL); });
}

void SimulatedMedia::startGeneration(SimCall& c, DWORD token, std::function<void()> first)
{
    endGenerationLater(c);
    c.generating = true;
    c.genToken = token;
    const quint64 generation = c.gen(Channel::Generate);
    m_sw.post([this, call = c.id, token, generation, first = std::move(first)] {
        SimCall* c = m_sw.find(call);
        if (c && c->generating && c->genToken == token && c->gen(Channel::Generate) == generation)
            first();
    });
}

LONG SimulatedMedia::generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits,
                                    DWORD duration)
{
    if (const LONG error = m_sw.checkCall(call, OnModem::Refused))
        return error;
    SimCall* c = m_sw.find(call);
    if (digitMode != LINEDIGITMODE_DTMF)
        return LONG(LINEERR_INVALDIGITMODE);
    if (digits.isEmpty()) { // cancels the generation in progress
        endGenerationLater(*c);
        return 0;
    }
    if (!(m_sw.callFeatures(*c) & LINECALLFEATURE_GENERATEDIGITS))
        return LONG(LINEERR_INVALCALLSTATE);
    if (digits.size() > 256)
        return LONG(LINEERR_INVALDIGITS);
    for (char d : digits)
        if (!isDtmf(d) && d != ',')
            return LONG(LINEERR_INVALDIGITS);
    const LINEDEVCAPS& caps = m_sw.caps(c->device).fixed;
    const int ms = duration == 0 ? int(caps.DefaultDialParams.dwDigitDuration)
                                 : int(qBound(caps.MinDialParams.dwDigitDuration, duration,
                                              caps.MaxDialParams.dwDigitDuration));
    startGeneration(*c, token, [this, call, token, digits, ms] { generateStep(call, token, digits, 0, ms); });
    return 0;
}

// One digit: its tone for `durationMs` (the far end hears it at the end), then as long a
// gap; ',' pauses a second. After the last one: LINEGENERATETERM_DONE.
void SimulatedMedia::generateStep(CallId id, DWORD token, QByteArray digits, int index, int durationMs)
{
    SimCall* c = m_sw.find(id);
    if (!c || !c->generating || c->genToken != token)
        return;
    if (index >= digits.size()) {
        c->generating = false;
        m_sw.sink().generateFinished(token, LINEGENERATETERM_DONE);
        return;
    }
    const char digit = digits.at(index);
    if (digit == ',') {
        m_sw.after(id, Channel::Generate, kDigitPauseMs, [this, token, digits, index, durationMs](SimCall& call) {
            generateStep(call.id, token, digits, index + 1, durationMs);
        });
        return;
    }
    m_sw.after(id, Channel::Generate, durationMs, [this, token, digits, index, durationMs, digit](SimCall& call) {
        const CallId id = call.id;
        deliverDigit(id, digit);
        m_sw.after(id, Channel::Generate, durationMs, [this, token, digits, index, durationMs](SimCall& again) {
            generateStep(again.id, token, digits, index + 1, durationMs);
        });
    });
}

// A digit generated on a leg reaches its far end: another line hears it, the echo party
// sends it back; on a conference call every party hears it.
void SimulatedMedia::deliverDigit(CallId from, char digit)
{
    const SimCall* c = m_sw.find(from);
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
void SimulatedMedia::receiveDigit(CallId leg, char digit)
{
    const CallId target = mediaCall(leg);
    SimCall* c = m_sw.find(target);
    if (!c || c->state == LINECALLSTATE_IDLE)
        return;
    const char d = (digit >= 'a' && digit <= 'd') ? char(digit - 'a' + 'A') : digit;
    m_sw.sink().digitReceived(target, d, LINEDIGITMODE_DTMF);
    restartSilence(target);
}

LONG SimulatedMedia::generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration,
                                  const QList<LINEGENERATETONE>& tones)
{
    if (const LONG error = m_sw.checkCall(call, OnModem::Refused))
        return error;
    SimCall* c = m_sw.find(call);
    if (toneMode == 0) { // cancels the generation in progress
        endGenerationLater(*c);
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
    if (!(m_sw.callFeatures(*c) & LINECALLFEATURE_GENERATETONE))
        return LONG(LINEERR_INVALCALLSTATE);
    const int ms = duration == 0 ? defaultMs : int(qMin<DWORD>(duration, 600000));
    startGeneration(*c, token, [this, call, token, frequencies, ms] {
        deliverTone(call, frequencies, ms);
        m_sw.after(call, Channel::Generate, ms, [this, token](SimCall& again) {
            if (!again.generating || again.genToken != token)
                return;
            again.generating = false;
            m_sw.sink().generateFinished(token, LINEGENERATETERM_DONE);
        });
    });
    return 0;
}

void SimulatedMedia::deliverTone(CallId from, const QList<DWORD>& frequencies, int durationMs)
{
    const SimCall* c = m_sw.find(from);
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
void SimulatedMedia::receiveTone(CallId leg, const QList<DWORD>& frequencies, int durationMs)
{
    const CallId target = mediaCall(leg);
    SimCall* c = m_sw.find(target);
    if (!c || c->state == LINECALLSTATE_IDLE)
        return;
    SimulatedSwitch::cancel(*c, Channel::Silence);
    const DWORD token = c->monToken;
    for (const LINEMONITORTONE& entry : c->monitors) {
        if (isSilence(entry) || !matches(entry, frequencies) || int(entry.dwDuration) > durationMs)
            continue;
        const DWORD appSpecific = entry.dwAppSpecific;
        m_sw.after(target, Channel::Far, int(entry.dwDuration), [this, token, appSpecific](SimCall& call) {
            if (call.monToken == token)
                m_sw.sink().toneDetected(token, appSpecific);
        });
    }
    m_sw.after(target, Channel::Far, durationMs, [this](SimCall& call) { restartSilence(call.id); });
}

// ---------------------------------------------------------------------------------------
// Tone and silence monitoring
// ---------------------------------------------------------------------------------------

LONG SimulatedMedia::monitorTones(CallId call, DWORD token, const QList<LINEMONITORTONE>& tones)
{
    if (const LONG error = m_sw.checkCall(call, OnModem::Refused))
        return error;
    SimCall* c = m_sw.find(call);
    if (tones.isEmpty()) {
        c->monitors.clear();
        c->silenceReported.clear();
        c->monToken = 0;
        SimulatedSwitch::cancel(*c, Channel::Silence);
        return 0;
    }
    if (c->state == 0 || c->state == LINECALLSTATE_IDLE)
        return LONG(LINEERR_INVALCALLSTATE);
    const LINEDEVCAPS& caps = m_sw.caps(c->device).fixed;
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

// Each silence entry fires once the stretch has lasted long enough. Silence only counts
// on a connected call.
void SimulatedMedia::restartSilence(CallId id)
{
    SimCall* c = m_sw.find(id);
    if (!c)
        return;
    SimulatedSwitch::cancel(*c, Channel::Silence);
    c->silenceReported = QList<bool>(c->monitors.size(), false);
    if (c->state != LINECALLSTATE_CONNECTED)
        return;
    const DWORD token = c->monToken;
    for (qsizetype i = 0; i < c->monitors.size(); ++i) {
        const LINEMONITORTONE entry = c->monitors[i];
        if (!isSilence(entry))
            continue;
        m_sw.after(id, Channel::Silence, int(entry.dwDuration), [this, token, i, entry](SimCall& call) {
            if (call.monToken != token || i >= call.silenceReported.size() || call.silenceReported[i])
                return;
            call.silenceReported[i] = true;
            m_sw.sink().toneDetected(token, entry.dwAppSpecific);
        });
    }
}

// ---------------------------------------------------------------------------------------
// The modem's data channel
// ---------------------------------------------------------------------------------------

LONG SimulatedMedia::commHandle(CallId call, int* fd)
{
    SimCall* c = m_sw.find(call);
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

} // namespace Telephony::Sim
