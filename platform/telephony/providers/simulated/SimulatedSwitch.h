// The switching core of the simulated exchange: its call legs, their states and timers,
// what each line keeps besides its calls, and the reports to the service. The exchange's
// other parts (calls, routing, features, conferences, media, far ends) work on the legs
// through it and reach each other through it.
//
// Everything happens on the owner's thread, driven by single-shot timers that belong to
// the leg they drive; all delays are multiplied by the pacing factor (1.0 = realistic).
// With pacing 0 every step still runs asynchronously, in a fixed order, and waits that
// only end when an application acts do not end at all.
#pragma once

#include "../../TapiConstants.h"
#include "../../provider/TelephonyProvider.h"
#include "SimulatedCall.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace Telephony::Sim {

class SimulatedAudio;
class SimulatedCalls;
class SimulatedFeatures;
class SimulatedMedia;
class SimulatedRouting;

// What a line keeps besides its calls.
struct LineState {
    int opens = 0;
    int inUse = 0; // live calls as last reported
    QList<AddressStatusData::Forward> forwards;
    DWORD forwardRings = 3;
    DWORD terminalModes = 0;
    DWORD devStatusFlags = LINEDEVSTATUSFLAGS_CONNECTED | LINEDEVSTATUSFLAGS_INSERVICE;
    bool dialTone = true; // off: new calls get no dial tone (the control command "dialtone")
};

// Whether an operation may run on a call of the data modem.
enum class OnModem { Refused, Allowed };

class SimulatedSwitch {
public:
    // A check of a call that exists: 0 or the error the request fails with.
    using CallCheck = std::function<LONG(const SimCall&)>;
    using CallEffect = std::function<void(SimCall&)>;

    // The parts the exchange owns beside the switch, for the parts to reach each other.
    struct Parts {
        SimulatedCalls* calls = nullptr;
        SimulatedRouting* routing = nullptr;
        SimulatedFeatures* features = nullptr;
        SimulatedMedia* media = nullptr;
    };

    // Posted steps run in the context of owner, and die with it.
    explicit SimulatedSwitch(QObject* owner);
    ~SimulatedSwitch();

    SimulatedSwitch(const SimulatedSwitch&) = delete;
    SimulatedSwitch& operator=(const SimulatedSwitch&) = delete;

    void setParts(const Parts& parts) { m_parts = parts; }
    // Told of every state change and release, to route the calls' audio.
    void setAudio(SimulatedAudio* audio) { m_audio = audio; }
    SimulatedCalls& calls() const { return *m_parts.calls; }
    SimulatedRouting& routing() const { return *m_parts.routing; }
    SimulatedFeatures& features() const { return *m_parts.features; }
    SimulatedMedia& media() const { return *m_parts.media; }

    ProviderSink& sink() const { return *m_sink; }
    void setSink(ProviderSink* sink);

    // Lines.
    int lineCount() const { return int(m_caps.size()); }
    bool validLine(int device) const { return device >= 0 && device < lineCount(); }
    static bool isModem(int device);
    static bool isModem(const SimCall& c) { return isModem(c.device); }
    const LineDeviceCaps& caps(int device) const { return m_caps[size_t(device)]; }
    LineState& line(int device) { return m_lines[size_t(device)]; }
    const LineState& line(int device) const { return m_lines[size_t(device)]; }
    int liveCallCount(int device) const;
    // A call other than offered, idle or disconnected ones is up on the line.
    bool lineBusy(int device) const;

    // Pacing and timers.
    double pacing() const { return m_pacing; }
    void setPacing(double factor);
    void post(std::function<void()> fn);
    // Runs fn after ms (scaled) unless the leg goes away or the channel is bumped first.
    // waitsForApp: the wait ends only through an application; with pacing 0 it never ends.
    bool after(CallId id, Channel channel, int ms, CallEffect fn, bool waitsForApp = false);
    static void cancel(SimCall& c, Channel channel) { ++c.gen(channel); }

    // Requests. submit: check() now and again when the reply is due; the reply (check()'s
    // verdict) comes first, then effect() when it was 0.
    LONG submit(DWORD requestId, std::function<LONG()> check, std::function<void()> effect);
    // The frame of every operation on a call: the call must exist (LINEERR_INVALCALLHANDLE),
    // be allowed on the modem (LINEERR_OPERATIONUNAVAIL) and pass check.
    LONG checkCall(CallId id, OnModem modem, const CallCheck& check = {}) const;
    // checkCall now and when the reply is due, then effect on the call.
    LONG callRequest(DWORD requestId, CallId id, OnModem modem, CallCheck check, CallEffect effect);
    // The frame of an operation on a line's address: a line (LINEERR_BADDEVICEID), allowed
    // on the modem, address 0 (LINEERR_INVALADDRESSID).
    LONG checkLine(int device, OnModem modem, DWORD addressId) const;
    // 0 when the call offers the feature now, else LINEERR_INVALCALLSTATE.
    LONG needs(const SimCall& c, DWORD feature) const;

    // Legs.
    SimCall* find(CallId id) const;
    SimCall* createLeg(CallId id, int device);
    const std::map<CallId, std::unique_ptr<SimCall>>& legs() const { return m_legs; }
    // Reports the leg's new state; false when the leg went away meanwhile.
    bool setState(CallId id, DWORD state, DWORD mode = 0);
    void infoChanged(CallId id, DWORD states);
    DWORD callFeatures(const SimCall& c) const;
    DWORD callFeatures2(const SimCall& c) const;
    // The service no longer tracks the call: hung up silently, then forgotten.
    void release(CallId id);
    // The newest call of a line that is neither idle nor disconnected (0 when none).
    CallId newestCall(int device) const;
    QList<CallId> callIds(int device) const;

private:
    class NullSink;

    int scaled(int ms) const;
    void updateUse(int device);
    void purgeReleased();

    QObject* m_owner;
    Parts m_parts;
    SimulatedAudio* m_audio = nullptr;
    std::unique_ptr<NullSink> m_nullSink;
    ProviderSink* m_sink;
    double m_pacing = 1.0;
    std::vector<LineDeviceCaps> m_caps;
    std::vector<LineState> m_lines;
    std::map<CallId, std::unique_ptr<SimCall>> m_legs;
    std::vector<std::unique_ptr<SimCall>> m_released;
    bool m_purgePosted = false;
    quint64 m_nextSeq = 1;
    DWORD m_nextCallId = 0x00010001;
};

} // namespace Telephony::Sim
