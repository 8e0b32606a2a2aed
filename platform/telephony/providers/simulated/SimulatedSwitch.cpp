#include "SimulatedSwitch.h"

#include "SimulatedAudio.h"

#include "CallFeatures.h"
#include "SimulatedCalls.h"
#include "SimulatedCaps.h"
#include "SimulatedMedia.h"

#include <QDateTime>
#include <QTimer>

#include <cmath>
#include <limits>

namespace Telephony::Sim {

// Stands in until the core hands over its sink, so that nothing has to check for one.
class SimulatedSwitch::NullSink : public ProviderSink {
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

SimulatedSwitch::SimulatedSwitch(QObject* owner)
    : m_owner(owner)
    , m_nullSink(std::make_unique<NullSink>())
    , m_sink(m_nullSink.get())
{
    for (int d = 0; d < kLineCount; ++d)
        m_caps.push_back(buildLineCaps(d));
    m_lines.resize(m_caps.size());
}

SimulatedSwitch::~SimulatedSwitch()
{
    m_sink = m_nullSink.get();
    m_legs.clear();
    m_released.clear();
}

void SimulatedSwitch::setSink(ProviderSink* sink)
{
    m_sink = sink ? sink : m_nullSink.get();
}

bool SimulatedSwitch::isModem(int device)
{
    return device == kModemDevice;
}

int SimulatedSwitch::liveCallCount(int device) const
{
    int n = 0;
    for (const auto& [id, c] : m_legs)
        if (c->device == device && c->state != 0 && c->state != LINECALLSTATE_IDLE)
            ++n;
    return n;
}

bool SimulatedSwitch::lineBusy(int device) const
{
    for (const auto& [id, c] : m_legs) {
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

// ---------------------------------------------------------------------------------------
// Pacing and timers
// ---------------------------------------------------------------------------------------

void SimulatedSwitch::setPacing(double factor)
{
    if (!std::isfinite(factor) || factor < 0)
        return;
    m_pacing = qMin(factor, 1000.0);
}

int SimulatedSwitch::scaled(int ms) const
{
    if (m_pacing <= 0 || ms <= 0)
        return 0;
    const double value = std::round(double(ms) * m_pacing);
    return value >= double(std::numeric_limits<int>::max() / 2) ? std::numeric_limits<int>::max() / 2 : int(value);
}

void SimulatedSwitch::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(m_owner, std::move(fn), Qt::QueuedConnection);
}

bool SimulatedSwitch::after(CallId id, Channel channel, int ms, CallEffect fn, bool waitsForApp)
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

// ---------------------------------------------------------------------------------------
// Requests
// ---------------------------------------------------------------------------------------

LONG SimulatedSwitch::submit(DWORD requestId, std::function<LONG()> check, std::function<void()> effect)
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

LONG SimulatedSwitch::checkCall(CallId id, OnModem modem, const CallCheck& check) const
{
    const SimCall* c = find(id);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (modem == OnModem::Refused && isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    return check ? check(*c) : LONG(0);
}

LONG SimulatedSwitch::callRequest(DWORD requestId, CallId id, OnModem modem, CallCheck check, CallEffect effect)
{
    return submit(
        requestId, [this, id, modem, check = std::move(check)] { return checkCall(id, modem, check); },
        [this, id, effect = std::move(effect)] {
            if (SimCall* c = find(id))
                effect(*c);
        });
}

LONG SimulatedSwitch::checkLine(int device, OnModem modem, DWORD addressId) const
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (modem == OnModem::Refused && isModem(device))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    return addressId != 0 ? LONG(LINEERR_INVALADDRESSID) : LONG(0);
}

LONG SimulatedSwitch::needs(const SimCall& c, DWORD feature) const
{
    return (callFeatures(c) & feature) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
}

// ---------------------------------------------------------------------------------------
// Legs
// ---------------------------------------------------------------------------------------

SimCall* SimulatedSwitch::find(CallId id) const
{
    const auto it = m_legs.find(id);
    return it == m_legs.end() ? nullptr : it->second.get();
}

SimCall* SimulatedSwitch::createLeg(CallId id, int device)
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
    f.DialParams = m_caps[size_t(device)].fixed.DefaultDialParams;
    f.dwOrigin = LINECALLORIGIN_UNKNOWN;
    f.dwReason = LINECALLREASON_DIRECT;
    f.dwCountryCode = 1;
    f.dwTrunk = 0xFFFFFFFF;
    SimCall* raw = leg.get();
    m_legs[id] = std::move(leg);
    return raw;
}

void SimulatedSwitch::updateUse(int device)
{
    if (!validLine(device))
        return;
    const int now = liveCallCount(device);
    int& before = line(device).inUse;
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

bool SimulatedSwitch::setState(CallId id, DWORD state, DWORD mode)
{
    SimCall* c = find(id);
    if (!c)
        return false;
    if (c->state == state && c->mode == mode)
        return true;
    const DWORD old = c->state;
    if (old == LINECALLSTATE_CONNECTED && state != LINECALLSTATE_CONNECTED && c->generating) {
        media().cancelGeneration(*c);
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
    if (m_audio)
        m_audio->update(*this);
    m_sink->callStateChanged(id, state, mode);
    if (state == LINECALLSTATE_CONNECTED)
        media().restartSilence(id);
    updateUse(device);
    return find(id) != nullptr;
}

void SimulatedSwitch::infoChanged(CallId id, DWORD states)
{
    if (find(id))
        m_sink->callInfoChanged(id, states);
}

DWORD SimulatedSwitch::callFeatures(const SimCall& c) const
{
    return CallFeatures(*this).of(c);
}

DWORD SimulatedSwitch::callFeatures2(const SimCall& c) const
{
    return CallFeatures(*this).secondOf(c);
}

void SimulatedSwitch::release(CallId id)
{
    SimCall* c = find(id);
    if (!c)
        return;
    // A call released while still in progress is hung up without further reports.
    if (c->state != 0 && c->state != LINECALLSTATE_IDLE)
        calls().localDrop(id, false);
    const auto it = m_legs.find(id);
    if (it == m_legs.end())
        return;
    const int device = it->second->device;
    it->second->released = true;
    m_released.push_back(std::move(it->second));
    m_legs.erase(it);
    if (m_audio) {
        m_audio->update(*this);
        m_audio->forget(id);
    }
    updateUse(device);
    if (!m_purgePosted) {
        m_purgePosted = true;
        post([this] { purgeReleased(); });
    }
}

void SimulatedSwitch::purgeReleased()
{
    m_purgePosted = false;
    m_released.clear();
}

CallId SimulatedSwitch::newestCall(int device) const
{
    const SimCall* best = nullptr;
    for (const auto& [id, c] : m_legs) {
        if (c->device != device || c->state == 0 || c->state == LINECALLSTATE_IDLE ||
            c->state == LINECALLSTATE_DISCONNECTED)
            continue;
        if (!best || c->seq > best->seq)
            best = c.get();
    }
    return best ? best->id : 0;
}

QList<CallId> SimulatedSwitch::callIds(int device) const
{
    QList<CallId> ids;
    for (const auto& [id, c] : m_legs)
        if (device < 0 || c->device == device)
            ids << id;
    return ids;
}

} // namespace Telephony::Sim
