// The simulated exchange: devices, line state, timers and call bookkeeping.
#include "SimulatedExchange.h"

#include "../../TapiConstants.h"
#include "SimulatedCaps.h"

#include <QDateTime>
#include <QTimer>

#include <cmath>
#include <limits>

namespace Telephony {

using namespace Sim;

// Stands in until the core hands over its sink, so that nothing has to check for one.
class SimulatedExchange::NullSink : public ProviderSink {
public:
    void completeRequest(DWORD, LONG) override {}
    CallId newCall(DWORD, DWORD) override { return m_next++; }
    void callStateChanged(CallId, DWORD, DWORD) override {}
    void callInfoChanged(CallId, DWORD) override {}
    void lineDevStateChanged(DWORD, DWORD, DWORD, DWORD) override {}
    void addressStateChanged(DWORD, DWORD, DWORD) override {}
    void lineClosed(DWORD) override {}
    void lineDevSpecific(DWORD, CallId, DWORD, DWORD, DWORD) override {}
    void digitReceived(CallId, char, DWORD) override {}
    void mediaModeDetected(CallId, DWORD) override {}
    void toneDetected(DWORD, DWORD) override {}
    void generateFinished(DWORD, DWORD) override {}
    void phoneStateChanged(DWORD, DWORD, DWORD) override {}
    void phoneButton(DWORD, DWORD, DWORD, DWORD) override {}

private:
    CallId m_next = 0x7F000001;
};

namespace {

bool isHeldState(DWORD s)
{
    return s == LINECALLSTATE_ONHOLD || s == LINECALLSTATE_ONHOLDPENDTRANSFER || s == LINECALLSTATE_ONHOLDPENDCONF;
}

} // namespace

SimulatedExchange::SimulatedExchange(const QVariantMap& settings, QObject* parent)
    : QObject(parent)
    , m_nullSink(std::make_unique<NullSink>())
    , m_sink(m_nullSink.get())
{
    for (int d = 0; d < kLineCount; ++d) {
        m_lines.push_back(buildLineCaps(d));
        m_devStatusFlags[size_t(d)] = LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE;
    }
    applySettings(settings);
}

SimulatedExchange::~SimulatedExchange()
{
    m_sink = m_nullSink.get();
    m_calls.clear();
    m_released.clear();
}

QString SimulatedExchange::name() const { return QStringLiteral("simulated"); }

void SimulatedExchange::setSink(ProviderSink* sink) { m_sink = sink ? sink : m_nullSink.get(); }

int SimulatedExchange::lineDeviceCount() const { return int(m_lines.size()); }

const LineDeviceCaps& SimulatedExchange::lineCaps(int device) const
{
    static const LineDeviceCaps none;
    return validLine(device) ? m_lines[size_t(device)] : none;
}

int SimulatedExchange::phoneDeviceCount() const { return 1; }

const PhoneDeviceCaps* SimulatedExchange::phoneCaps(int phone) const
{
    return phone == 0 ? &m_phone.caps() : nullptr;
}

bool SimulatedExchange::isModem(int device) { return device == kModemDevice; }

// "tapi/phone" on line 1 (device 0) is phone 0; "tapi/line" on phone 0 is line 1 (device
// 0); "wave/out" and "wave/in" on the voice lines are wave devices 2*device and
// 2*device+1. Everything else has no related device.
LONG SimulatedExchange::deviceId(int device, const QString& deviceClass, DWORD* id) const
{
    const QString cls = deviceClass.trimmed().toLower();
    DWORD value = 0;
    if (cls == QLatin1String("tapi/phone") && device == 0)
        value = 0;
    else if (cls == QLatin1String("tapi/line") && device == 0)
        value = 0;
    else if (cls == QLatin1String("wave/out") && (device == 0 || device == 1))
        value = waveOutDevice(device);
    else if (cls == QLatin1String("wave/in") && (device == 0 || device == 1))
        value = waveInDevice(device);
    else
        return LONG(LINEERR_INVALDEVICECLASS);
    if (id)
        *id = value;
    return 0;
}

// ---------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::open(int device, DWORD privileges, DWORD mediaModes)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (privileges & LINECALLPRIVILEGE_OWNER) {
        const DWORD supported = m_lines[size_t(device)].fixed.dwMediaModes;
        if (mediaModes == 0 || (mediaModes & ~supported) != 0)
            return LONG(LINEERR_INVALMEDIAMODE);
        // A data modem cannot take incoming calls, so nobody can own them: it only dials.
        if (device == kModemDevice)
            return LONG(LINEERR_INVALMEDIAMODE);
    }
    ++m_opens[size_t(device)];
    return 0;
}

void SimulatedExchange::close(int device)
{
    if (validLine(device) && m_opens[size_t(device)] > 0)
        --m_opens[size_t(device)];
}

LineStatusData SimulatedExchange::lineStatus(int device) const
{
    LineStatusData d;
    if (!validLine(device))
        return d;
    const LINEDEVCAPS& caps = m_lines[size_t(device)].fixed;
    LINEDEVSTATUS& s = d.fixed;
    s.dwNumOpens = DWORD(m_opens[size_t(device)]);
    bool ringing = false;
    for (const auto& [id, c] : m_calls) {
        if (c->device != device)
            continue;
        if (c->state == LINECALLSTATE_ONHOLD)
            ++s.dwNumOnHoldCalls;
        else if (c->state == LINECALLSTATE_ONHOLDPENDTRANSFER || c->state == LINECALLSTATE_ONHOLDPENDCONF)
            ++s.dwNumOnHoldPendCalls;
        else if (c->state != 0 && c->state != LINECALLSTATE_IDLE && c->state != LINECALLSTATE_OFFERING &&
                 c->state != LINECALLSTATE_DISCONNECTED)
            ++s.dwNumActiveCalls;
        ringing = ringing || c->state == LINECALLSTATE_OFFERING;
    }
    s.dwLineFeatures = caps.dwLineFeatures;
    s.dwRingMode = ringing ? 1 : 0;
    s.dwSignalLevel = 0xFFFF;
    s.dwBatteryLevel = 0xFFFF;
    s.dwRoamMode = 0x00000002; // LINEROAMMODE_UNAVAIL: a wired line does not roam
    s.dwDevStatusFlags = m_devStatusFlags[size_t(device)];
    s.dwAvailableMediaModes = caps.dwMediaModes;
    if (caps.dwNumTerminals > 0)
        d.terminalModes = {m_terminalModes[size_t(device)]};
    return d;
}

AddressStatusData SimulatedExchange::addressStatus(int device, DWORD addressId) const
{
    AddressStatusData d;
    if (!validLine(device) || addressId != 0)
        return d;
    const LineStatusData line = lineStatus(device);
    LINEADDRESSSTATUS& s = d.fixed;
    s.dwNumInUse = liveCallCount(device) > 0 ? 1 : 0;
    s.dwNumActiveCalls = line.fixed.dwNumActiveCalls;
    s.dwNumOnHoldCalls = line.fixed.dwNumOnHoldCalls;
    s.dwNumOnHoldPendCalls = line.fixed.dwNumOnHoldPendCalls;
    s.dwAddressFeatures = m_lines[size_t(device)].addresses.value(0).fixed.dwAddressFeatures;
    s.dwNumRingsNoAnswer = isModem(device) ? 0 : m_fwdRings[size_t(device)];
    d.forwards = m_forwards[size_t(device)];
    d.terminalModes = line.terminalModes;
    return d;
}

LONG SimulatedExchange::setTerminal(DWORD requestId, int device, DWORD addressId, CallId call, DWORD modes,
                                    DWORD terminalId, bool enable)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (isModem(device))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (addressId != 0)
        return LONG(LINEERR_INVALADDRESSID);
    const LineDeviceCaps& caps = m_lines[size_t(device)];
    if (terminalId >= DWORD(caps.terminalCaps.size()))
        return LONG(LINEERR_INVALTERMINALID);
    if (modes == 0 || (modes & ~caps.terminalCaps[int(terminalId)].dwTermModes) != 0)
        return LONG(LINEERR_INVALTERMINALMODE);
    if (call != 0) {
        const SimCall* c = find(call);
        if (!c || c->device != device)
            return LONG(LINEERR_INVALCALLHANDLE);
    }
    return submit(
        requestId,
        [this, call] { return call != 0 && !find(call) ? LONG(LINEERR_INVALCALLHANDLE) : LONG(0); },
        [this, device, call, modes, enable] {
            DWORD& current = m_terminalModes[size_t(device)];
            current = enable ? (current | modes) : (current & ~modes);
            if (call != 0)
                infoChanged(call, LINECALLINFOSTATE_TERMINAL);
            else
                m_sink->lineDevStateChanged(DWORD(device), LINEDEVSTATE_TERMINALS, 0, 0);
        });
}

// ---------------------------------------------------------------------------------------
// Timers and requests
// ---------------------------------------------------------------------------------------

int SimulatedExchange::scaled(int ms) const
{
    if (m_pacing <= 0 || ms <= 0)
        return 0;
    const double value = std::round(double(ms) * m_pacing);
    return value >= double(std::numeric_limits<int>::max() / 2) ? std::numeric_limits<int>::max() / 2 : int(value);
}

void SimulatedExchange::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

bool SimulatedExchange::after(CallId id, Channel channel, int ms, std::function<void(SimCall&)> fn, bool waitsForApp)
{
    SimCall* c = find(id);
    if (!c)
        return false;
    if (waitsForApp && m_pacing <= 0)
        return false;
    const quint64 generation = c->gen(channel);
    auto run = [this, id, channel, generation, fn = std::move(fn)] {
        SimCall* call = find(id);
        if (!call || call->gen(channel) != generation)
            return;
        fn(*call);
    };
    int delay = scaled(ms);
    if (waitsForApp)
        delay = qMax(delay, 1);
    if (delay == 0)
        QMetaObject::invokeMethod(c->context.get(), std::move(run), Qt::QueuedConnection);
    else
        QTimer::singleShot(delay, Qt::PreciseTimer, c->context.get(), std::move(run));
    return true;
}

LONG SimulatedExchange::submit(DWORD requestId, std::function<LONG()> check, std::function<void()> effect)
{
    if (const LONG result = check())
        return result;
    post([this, requestId, check = std::move(check), effect = std::move(effect)] {
        const LONG result = check();
        m_sink->completeRequest(requestId, result);
        if (result == 0)
            effect();
    });
    return 0;
}

// ---------------------------------------------------------------------------------------
// Calls
// ---------------------------------------------------------------------------------------

SimulatedExchange::SimCall* SimulatedExchange::find(CallId id) const
{
    const auto it = m_calls.find(id);
    return it == m_calls.end() ? nullptr : it->second.get();
}

SimulatedExchange::SimCall* SimulatedExchange::createLeg(CallId id, int device)
{
    auto leg = std::make_unique<SimCall>();
    leg->id = id;
    leg->device = device;
    leg->seq = m_nextSeq++;
    leg->context = std::make_unique<QObject>();
    const PartyId unknown{LINECALLPARTYID_UNKNOWN, {}, {}};
    CallInfoData& info = leg->info;
    info.caller = info.called = info.connected = info.redirection = info.redirecting = unknown;
    LINECALLINFO& f = info.fixed;
    f.dwLineDeviceID = DWORD(device);
    f.dwAddressID = 0;
    f.dwBearerMode = LINEBEARERMODE_VOICE;
    f.dwMediaMode = isModem(device) ? LINEMEDIAMODE_DATAMODEM : LINEMEDIAMODE_INTERACTIVEVOICE;
    f.dwCallID = m_nextCallId++;
    f.dwCallStates = isModem(device) ? modemCallStates() : voiceCallStates();
    f.DialParams = m_lines[size_t(device)].fixed.DefaultDialParams;
    f.dwOrigin = LINECALLORIGIN_UNKNOWN;
    f.dwReason = LINECALLREASON_DIRECT;
    f.dwCountryCode = 1;
    f.dwTrunk = 0xFFFFFFFF;
    SimCall* raw = leg.get();
    m_calls[id] = std::move(leg);
    return raw;
}

int SimulatedExchange::liveCallCount(int device) const
{
    int n = 0;
    for (const auto& [id, c] : m_calls)
        if (c->device == device && c->state != 0 && c->state != LINECALLSTATE_IDLE)
            ++n;
    return n;
}

bool SimulatedExchange::lineBusy(int device) const
{
    for (const auto& [id, c] : m_calls) {
        if (c->device != device)
            continue;
        switch (c->state) {
        case 0:
        case LINECALLSTATE_IDLE:
        case LINECALLSTATE_OFFERING:
        case LINECALLSTATE_DISCONNECTED:
            break;
        default:
            return true;
        }
    }
    return false;
}

void SimulatedExchange::updateUse(int device)
{
    if (!validLine(device))
        return;
    const int now = liveCallCount(device);
    int& before = m_inUse[size_t(device)];
    if (now == before)
        return;
    const int old = before;
    before = now;
    if (old == 0 && now > 0)
        m_sink->addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_INUSEONE);
    if (now == 0)
        m_sink->addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_INUSEZERO);
    m_sink->addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_NUMCALLS);
    m_sink->lineDevStateChanged(DWORD(device), LINEDEVSTATE_NUMCALLS, 0, 0);
}

bool SimulatedExchange::setState(CallId id, DWORD state, DWORD mode)
{
    SimCall* c = find(id);
    if (!c)
        return false;
    if (c->state == state && c->mode == mode)
        return true;
    const DWORD old = c->state;
    if (old == LINECALLSTATE_CONNECTED && state != LINECALLSTATE_CONNECTED && c->generating) {
        cancelGeneration(*c);
        c = find(id);
        if (!c)
            return false;
    }
    c->state = state;
    c->mode = mode;
    c->stateMs = QDateTime::currentMSecsSinceEpoch();
    if (state != LINECALLSTATE_OFFERING)
        cancel(*c, Channel::Ring);
    if (state != LINECALLSTATE_CONNECTED) {
        cancel(*c, Channel::Silence);
        c->modem.reset(); // the far-end modem hangs up: the application's side sees EIO
    }
    if (state == LINECALLSTATE_IDLE || state == LINECALLSTATE_DISCONNECTED) {
        cancel(*c, Channel::Script);
        cancel(*c, Channel::Far);
    }
    if (state == LINECALLSTATE_IDLE) {
        cancel(*c, Channel::Generate);
        c->monitors.clear();
        c->silenceReported.clear();
    }
    const int device = c->device;
    m_sink->callStateChanged(id, state, mode);
    if (state == LINECALLSTATE_CONNECTED)
        restartSilence(id);
    updateUse(device);
    return find(id) != nullptr;
}

void SimulatedExchange::infoChanged(CallId id, DWORD states)
{
    if (find(id))
        m_sink->callInfoChanged(id, states);
}

bool SimulatedExchange::hasHeldCall(const SimCall& c) const
{
    for (const auto& [id, other] : m_calls)
        if (other.get() != &c && other->device == c.device && isHeldState(other->state))
            return true;
    return false;
}

bool SimulatedExchange::hasConnectedCall(const SimCall& c) const
{
    for (const auto& [id, other] : m_calls)
        if (other.get() != &c && other->device == c.device && other->state == LINECALLSTATE_CONNECTED)
            return true;
    return false;
}

DWORD SimulatedExchange::features(const SimCall& c) const
{
    if (isModem(c)) {
        switch (c.state) {
        case 0:
        case LINECALLSTATE_IDLE:
            return 0;
        case LINECALLSTATE_DIALTONE:
        case LINECALLSTATE_DIALING:
            return LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP;
        default:
            return LINECALLFEATURE_DROP;
        }
    }
    const SimCall* partner = c.transferPartner ? find(c.transferPartner) : nullptr;
    const SimCall* conf = c.conference ? find(c.conference) : nullptr;
    const SimCall* consult = nullptr;
    if (c.isConference)
        for (const auto& [id, other] : m_calls)
            if (other->confConsult && other->conference == c.id)
                consult = other.get();
    const bool partnerReady = partner && partner->far.kind != FarEnd::None && partner->state != LINECALLSTATE_IDLE &&
                              partner->state != LINECALLSTATE_DISCONNECTED && c.far.kind != FarEnd::None;
    const bool consultReady = consult && consult->far.kind != FarEnd::None &&
                              (consult->state == LINECALLSTATE_CONNECTED || consult->state == LINECALLSTATE_RINGBACK ||
                               consult->state == LINECALLSTATE_ONHOLD);
    const bool addable = c.confConsult && conf && c.far.kind != FarEnd::None;
    const DWORD media = LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_GENERATETONE |
                        LINECALLFEATURE_MONITORDIGITS | LINECALLFEATURE_MONITORMEDIA |
                        LINECALLFEATURE_MONITORTONES | LINECALLFEATURE_GATHERDIGITS |
                        LINECALLFEATURE_SETMEDIACONTROL | LINECALLFEATURE_SETTERMINAL;
    DWORD f = 0;
    switch (c.state) {
    case LINECALLSTATE_OFFERING:
        f = LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_REDIRECT;
        break;
    case LINECALLSTATE_DIALTONE:
    case LINECALLSTATE_DIALING:
        f = LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP;
        break;
    case LINECALLSTATE_RINGBACK:
        f = LINECALLFEATURE_DROP;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (addable)
            f |= LINECALLFEATURE_ADDTOCONF;
        break;
    case LINECALLSTATE_CONNECTED:
        if (c.isConference) {
            f = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | media;
            if (!consult && c.members.size() < 3)
                f |= LINECALLFEATURE_PREPAREADDCONF;
        } else if (partner || c.confConsult) {
            f = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | media;
            if (partnerReady)
                f |= LINECALLFEATURE_COMPLETETRANSF;
            if (addable)
                f |= LINECALLFEATURE_ADDTOCONF;
        } else {
            f = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | LINECALLFEATURE_BLINDTRANSFER |
                LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_SETUPCONF | LINECALLFEATURE_PARK | media;
        }
        if (hasHeldCall(c))
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_ONHOLD:
        f = LINECALLFEATURE_UNHOLD | LINECALLFEATURE_DROP;
        if (hasConnectedCall(c))
            f |= LINECALLFEATURE_SWAPHOLD;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (addable)
            f |= LINECALLFEATURE_ADDTOCONF;
        break;
    case LINECALLSTATE_ONHOLDPENDTRANSFER:
        f = LINECALLFEATURE_DROP;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (partner && partner->state == LINECALLSTATE_CONNECTED)
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_ONHOLDPENDCONF:
        f = LINECALLFEATURE_DROP;
        if (consultReady)
            f |= LINECALLFEATURE_ADDTOCONF;
        if (consult && consult->state == LINECALLSTATE_CONNECTED)
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_CONFERENCED:
        f = LINECALLFEATURE_DROP | LINECALLFEATURE_REMOVEFROMCONF;
        break;
    case LINECALLSTATE_PROCEEDING:
    case LINECALLSTATE_BUSY:
    case LINECALLSTATE_SPECIALINFO:
    case LINECALLSTATE_DISCONNECTED:
        f = LINECALLFEATURE_DROP;
        break;
    default:
        f = 0;
        break;
    }
    return f;
}

DWORD SimulatedExchange::features2(const SimCall& c) const
{
    const DWORD f = features(c);
    DWORD f2 = 0;
    if (f & (LINECALLFEATURE_COMPLETETRANSF | LINECALLFEATURE_SETUPTRANSFER))
        f2 |= LINECALLFEATURE2_TRANSFERNORM | LINECALLFEATURE2_TRANSFERCONF;
    if (f & LINECALLFEATURE_PARK)
        f2 |= LINECALLFEATURE2_PARKDIRECT | LINECALLFEATURE2_PARKNONDIRECT;
    return f2;
}

CallInfoData SimulatedExchange::callInfo(CallId call) const
{
    const SimCall* c = find(call);
    if (!c)
        return {};
    CallInfoData info = c->info;
    LINECALLINFO& f = info.fixed;
    f.dwCallerIDFlags = info.caller.flags;
    f.dwCalledIDFlags = info.called.flags;
    f.dwConnectedIDFlags = info.connected.flags;
    f.dwRedirectionIDFlags = info.redirection.flags;
    f.dwRedirectingIDFlags = info.redirecting.flags;
    return info;
}

CallStatusData SimulatedExchange::callStatus(CallId call) const
{
    const SimCall* c = find(call);
    if (!c)
        return {};
    CallStatusData s;
    s.callState = c->state;
    s.callStateMode = c->mode;
    s.callFeatures = features(*c);
    s.callFeatures2 = features2(*c);
    s.stateEntryMsecs = c->stateMs;
    return s;
}

void SimulatedExchange::releaseCall(CallId call)
{
    SimCall* c = find(call);
    if (!c)
        return;
    // A call released while still in progress is hung up without further reports.
    if (c->state != 0 && c->state != LINECALLSTATE_IDLE)
        localDrop(call, false);
    const auto it = m_calls.find(call);
    if (it == m_calls.end())
        return;
    const int device = it->second->device;
    it->second->released = true;
    m_released.push_back(std::move(it->second));
    m_calls.erase(it);
    updateUse(device);
    if (!m_purgePosted) {
        m_purgePosted = true;
        post([this] { purgeReleased(); });
    }
}

void SimulatedExchange::purgeReleased()
{
    m_purgePosted = false;
    m_released.clear();
}

LONG SimulatedExchange::checkParams(int device, const CallParams& params, DWORD* mediaMode, DWORD* bearerMode) const
{
    const LINEDEVCAPS& caps = m_lines[size_t(device)].fixed;
    if (params.addressID != 0)
        return LONG(LINEERR_INVALADDRESSID);
    DWORD bearer = params.bearerMode ? params.bearerMode : LINEBEARERMODE_VOICE;
    if ((bearer & (bearer - 1)) != 0 || (bearer & ~caps.dwBearerModes) != 0)
        return LONG(LINEERR_INVALBEARERMODE);
    DWORD media = params.mediaMode ? params.mediaMode : LINEMEDIAMODE_INTERACTIVEVOICE;
    if (isModem(device)) {
        media = LINEMEDIAMODE_DATAMODEM; // the modem places data calls whatever is asked
    } else if ((media & (media - 1)) != 0 || (media & ~caps.dwMediaModes) != 0) {
        return LONG(LINEERR_INVALMEDIAMODE);
    }
    *mediaMode = media;
    *bearerMode = bearer;
    return 0;
}

SimulatedExchange::SimCall* SimulatedExchange::createOutgoing(CallId id, int device, DWORD mediaMode,
                                                             DWORD bearerMode, const CallParams& params)
{
    SimCall* c = createLeg(id, device);
    c->outgoing = true;
    c->info.caller = lineIdentity(device);
    c->info.fixed.dwOrigin = LINECALLORIGIN_OUTBOUND;
    c->info.fixed.dwReason = LINECALLREASON_DIRECT;
    c->info.fixed.dwMediaMode = mediaMode;
    c->info.fixed.dwBearerMode = bearerMode;
    c->info.fixed.dwCallParamFlags = params.callParamFlags;
    c->info.displayableAddress = params.displayableAddress;
    c->info.calledParty = params.calledParty;
    c->info.comment = params.comment;
    if (params.noAnswerTimeout > 0)
        c->noAnswerMs = int(qMin<DWORD>(params.noAnswerTimeout, 300)) * 1000;
    return c;
}

// ---------------------------------------------------------------------------------------
// Settings and registration
// ---------------------------------------------------------------------------------------

QVariantMap SimulatedExchange::settings() const
{
    return {{QStringLiteral("pacing"), m_pacing}};
}

void SimulatedExchange::applySettings(const QVariantMap& settings)
{
    const auto it = settings.constFind(QStringLiteral("pacing"));
    if (it == settings.constEnd())
        return;
    bool ok = false;
    const double value = it->toDouble(&ok);
    if (ok)
        setPacing(value);
}

void SimulatedExchange::setPacing(double factor)
{
    if (!std::isfinite(factor) || factor < 0)
        return;
    m_pacing = qMin(factor, 1000.0);
}

CallId SimulatedExchange::newestCall(int device) const
{
    const SimCall* best = nullptr;
    for (const auto& [id, c] : m_calls) {
        if (c->device != device || c->state == 0 || c->state == LINECALLSTATE_IDLE ||
            c->state == LINECALLSTATE_DISCONNECTED)
            continue;
        if (!best || c->seq > best->seq)
            best = c.get();
    }
    return best ? best->id : 0;
}

QList<CallId> SimulatedExchange::callIds(int device) const
{
    QList<CallId> ids;
    for (const auto& [id, c] : m_calls)
        if (device < 0 || c->device == device)
            ids << id;
    return ids;
}

void registerSimulatedExchange()
{
    ProviderRegistry::add(QStringLiteral("simulated"), [](const QVariantMap& settings) {
        return std::unique_ptr<TelephonyProvider>(std::make_unique<SimulatedExchange>(settings));
    });
}

} // namespace Telephony
