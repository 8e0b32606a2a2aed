// The built-in simulated exchange: the default telephony provider and the test bed of
// everything above it. Three line devices (two voice lines with extensions 201 and 202,
// and a data modem), one phone device attached to line 1, and a number plan of scripted
// parties in the fictional range 555-0100 .. 555-0199 (docs/number-plan.md).
//
// Everything happens on the service's thread, driven by single-shot timers that belong to
// the call they drive; all delays are multiplied by the pacing factor ("pacing" setting,
// 1.0 = realistic). With pacing 0 every step still runs asynchronously, in a fixed order,
// and waits that only end when an application acts (ring repetition and the caller giving
// up on an offered call) do not end at all.
//
// The implementation is spread over several files of this folder:
//   SimulatedExchange.cpp   devices, lines, timers, call state bookkeeping, call data
//   SimulatedCalls.cpp      making, offering, answering and dropping calls
//   SimulatedRouting.cpp    routing to lines and parties, forwarding, joining far ends
//   SimulatedFeatures.cpp   hold, transfer, conference, park, pickup, redirect, forward
//   SimulatedMedia.cpp      digits, tones, media modes, silence, the modem's pty, phone
//   SimulatedFarEnd.cpp     the typed control methods (far ends, line events)
//   SimulatedControl.cpp    the JSON control interface
// NumberPlan, SimulatedCaps, SimulatedPhone and SimulatedModem hold the number plan, the
// device capabilities, the phone device and the data call's far-end modem.
#pragma once

#include "../../TapiConstants.h"
#include "../../provider/TelephonyProvider.h"
#include "NumberPlan.h"
#include "SimulatedCall.h"
#include "SimulatedPhone.h"

#include <QHash>
#include <QMap>
#include <QObject>

#include <array>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <vector>

namespace Telephony {

// An outside caller, as the control interface's "ring" describes it.
struct IncomingCall {
    QByteArray number;
    QByteArray name;
    DWORD flags = 0;            // LINECALLPARTYID_*; 0 = derived from what is given
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
};

class SimulatedExchange : public QObject, public TelephonyProvider {
public:
    // Wave device numbers related to the voice lines (lineGetID "wave/out", "wave/in").
    static DWORD waveOutDevice(int line) { return DWORD(2 * line); }
    static DWORD waveInDevice(int line) { return DWORD(2 * line + 1); }

    explicit SimulatedExchange(const QVariantMap& settings = {}, QObject* parent = nullptr);
    ~SimulatedExchange() override;

    // TelephonyProvider
    QString name() const override;
    void setSink(ProviderSink* sink) override;
    int lineDeviceCount() const override;
    const LineDeviceCaps& lineCaps(int device) const override;
    int phoneDeviceCount() const override;
    const PhoneDeviceCaps* phoneCaps(int phone) const override;
    LONG deviceId(int device, const QString& deviceClass, DWORD* id) const override;
    LONG commHandle(CallId call, int* fd) override;

    LONG open(int device, DWORD privileges, DWORD mediaModes) override;
    void close(int device) override;
    LineStatusData lineStatus(int device) const override;
    AddressStatusData addressStatus(int device, DWORD addressId) const override;
    LONG setTerminal(DWORD requestId, int device, DWORD addressId, CallId call, DWORD modes, DWORD terminalId,
                     bool enable) override;
    LONG forward(DWORD requestId, int device, bool allAddresses, DWORD addressId,
                 const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer) override;

    LONG makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination, bool hasDestination,
                  DWORD countryCode, const CallParams& params) override;
    LONG dial(DWORD requestId, CallId call, const QByteArray& digits, DWORD countryCode) override;
    LONG answer(DWORD requestId, CallId call, const QByteArray& userUserInfo) override;
    LONG drop(DWORD requestId, CallId call, const QByteArray& userUserInfo) override;
    LONG hold(DWORD requestId, CallId call) override;
    LONG unhold(DWORD requestId, CallId call) override;
    LONG blindTransfer(DWORD requestId, CallId call, const QByteArray& destination, DWORD countryCode) override;
    LONG redirect(DWORD requestId, CallId call, const QByteArray& destination, DWORD countryCode) override;
    LONG park(DWORD requestId, CallId call, DWORD parkMode, const QByteArray& directedAddress,
              QByteArray* nonDirectedAddress) override;
    LONG unpark(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address) override;
    LONG pickup(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address,
                const QByteArray& groupId) override;
    LONG setupTransfer(DWORD requestId, CallId call, CallId consultCall, const CallParams& params) override;
    LONG completeTransfer(DWORD requestId, CallId call, CallId consultCall, CallId conferenceCall,
                          DWORD transferMode) override;
    LONG swapHold(DWORD requestId, CallId activeCall, CallId heldCall) override;
    LONG setupConference(DWORD requestId, int device, CallId call, CallId conferenceCall, CallId consultCall,
                         DWORD numParties, const CallParams& params) override;
    LONG prepareAddToConference(DWORD requestId, CallId conferenceCall, CallId consultCall,
                                const CallParams& params) override;
    LONG addToConference(DWORD requestId, CallId conferenceCall, CallId consultCall) override;
    LONG removeFromConference(DWORD requestId, CallId call) override;

    CallInfoData callInfo(CallId call) const override;
    CallStatusData callStatus(CallId call) const override;
    void releaseCall(CallId call) override;
    LONG setMediaMode(CallId call, DWORD mediaModes) override;
    LONG generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits,
                        DWORD duration) override;
    LONG generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration,
                      const QList<LINEGENERATETONE>& tones) override;
    LONG monitorTones(CallId call, DWORD token, const QList<LINEMONITORTONE>& tones) override;

    LONG phoneOpen(int phone, DWORD privilege) override;
    void phoneClose(int phone) override;
    PhoneStatusData phoneStatus(int phone) const override;
    LONG phoneSetHookSwitch(DWORD requestId, int phone, DWORD hookSwitchDevs, DWORD mode) override;
    LONG phoneSetVolume(DWORD requestId, int phone, DWORD hookSwitchDev, DWORD volume) override;
    LONG phoneSetGain(DWORD requestId, int phone, DWORD hookSwitchDev, DWORD gain) override;

    QVariantMap settings() const override;
    void applySettings(const QVariantMap& settings) override;
    QJsonObject control(const QString& command, const QJsonObject& args) override;

    // Typed twins of the control commands, for tests. Devices are 0-based here.
    // An outside caller rings a voice line: the new OFFERING call, or 0 when the line is
    // busy beyond its limit, not a voice line, or forwarded elsewhere (then
    // *forwardedElsewhere is set).
    CallId ring(int device, const IncomingCall& caller, bool* forwardedElsewhere = nullptr);
    bool farEndAnswer(CallId call);   // the party being rung answers
    bool farEndHangup(CallId call);   // the far end hangs up (DISCONNECTED, NORMAL)
    bool farEndDigits(CallId call, const QByteArray& digits);
    bool farEndTone(CallId call, DWORD toneMode, int durationMs = 1000); // LINETONEMODE_*
    bool farEndSilence(CallId call, int ms);
    bool farEndMedia(CallId call, DWORD mediaMode);
    bool signalLineState(int device, DWORD state, DWORD param2 = 0, DWORD param3 = 0);
    bool signalAddressState(int device, DWORD state);
    bool signalDevSpecific(int device, CallId call, DWORD param1, DWORD param2, DWORD param3);
    bool forceClose(int device);
    bool setForwarding(int device, const QByteArray& destination); // empty = off
    bool pressButton(char digit);
    void setPacing(double factor);
    double pacing() const { return m_pacing; }
    // The newest call of a line that is neither idle nor disconnected (0 when none).
    CallId newestCall(int device) const;
    QList<CallId> callIds(int device = -1) const;
    bool hasCall(CallId call) const { return find(call) != nullptr; }

private:
    using SimCall = Sim::SimCall;
    using Channel = Sim::Channel;
    using FarEnd = Sim::FarEnd;

    // Why and how a call reaches where it is routed.
    struct Routing {
        DWORD reason = LINECALLREASON_DIRECT;
        bool redirected = false;
        PartyId redirecting;
        int hops = 0;
        DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    };
    struct Parked {
        FarEnd far;
        CallId from = 0;   // the parking call, while the request is pending
        bool pending = true;
        PartyId caller;
        PartyId called;
        DWORD origin = 0;
        DWORD mediaMode = 0;
    };
    enum class ForwardCondition { Unconditional, Busy, NoAnswer };

    // --- SimulatedExchange.cpp: infrastructure
    SimCall* find(CallId id) const;
    SimCall* createLeg(CallId id, int device);
    bool validLine(int device) const { return device >= 0 && device < int(m_lines.size()); }
    static bool isModem(int device);
    bool isModem(const SimCall& c) const { return isModem(c.device); }
    int scaled(int ms) const;
    void post(std::function<void()> fn);
    // Runs fn after ms (scaled) unless the leg goes away or the channel is bumped first.
    // waitsForApp: the wait ends only through an application; with pacing 0 it never ends.
    bool after(CallId id, Channel channel, int ms, std::function<void(SimCall&)> fn, bool waitsForApp = false);
    void cancel(SimCall& c, Channel channel) { ++c.gen(channel); }
    // Accepts an asynchronous request: check() now and again when the reply is due; the
    // reply (check()'s verdict) comes first, then effect() when it was 0.
    LONG submit(DWORD requestId, std::function<LONG()> check, std::function<void()> effect);
    bool setState(CallId id, DWORD state, DWORD mode = 0);
    void infoChanged(CallId id, DWORD states);
    void updateUse(int device);
    int liveCallCount(int device) const;
    bool lineBusy(int device) const;
    DWORD features(const SimCall& c) const;
    DWORD features2(const SimCall& c) const;
    bool hasHeldCall(const SimCall& c) const;
    bool hasConnectedCall(const SimCall& c) const;
    void purgeReleased();
    LONG checkParams(int device, const CallParams& params, DWORD* mediaMode, DWORD* bearerMode) const;
    SimCall* createOutgoing(CallId id, int device, DWORD mediaMode, DWORD bearerMode, const CallParams& params);

    // --- SimulatedCalls.cpp: making, offering, answering, dropping
    void startOutgoing(CallId id, bool waitForDigits, bool complete);
    void dialed(CallId id, int newDigits, bool explicitPartial);
    void proceed(CallId id);
    PartyId callerIdOf(const SimCall& c) const;
    CallId createOffered(int device, const FarEnd& from, const PartyId& callerId, const Routing& routing);
    void presentOffered(CallId id);
    void ringOnce(CallId id);
    void answerOffered(CallId id);
    void connectPeer(CallId peer, int answeringDevice);
    void localDrop(CallId id, bool report = true);
    std::vector<std::function<void()>> detach(CallId id);
    void farGone(CallId id, DWORD disconnectMode);
    void conferenceMemberLeft(CallId conference);

    // --- SimulatedRouting.cpp
    void routeLeg(CallId id, const Sim::Target& target, const Routing& routing);
    void routeLegToParty(CallId id, const Sim::Party& party, const Routing& routing);
    void routeOutside(const FarEnd& from, const Sim::Target& target, const Routing& routing);
    void partyAnswers(CallId id);
    const AddressStatusData::Forward* forwardFor(int device, ForwardCondition condition, const FarEnd& from) const;
    bool forwardIfNeeded(int device, ForwardCondition condition, const FarEnd& from, const Routing& routing);
    void join(const FarEnd& a, const FarEnd& b, bool bAnswered, const Routing& routing);

    // --- SimulatedMedia.cpp
    void changeMedia(CallId id, DWORD mediaMode);
    CallId mediaCall(CallId leg) const;
    void restartSilence(CallId id);
    void deliverDigit(CallId from, char digit);
    void receiveDigit(CallId leg, char digit);
    void deliverTone(CallId from, const QList<DWORD>& frequencies, int durationMs);
    void receiveTone(CallId leg, const QList<DWORD>& frequencies, int durationMs);
    void generateStep(CallId id, DWORD token, QByteArray digits, int index, int durationMs);
    void cancelGeneration(SimCall& c);
    void reportPhone(DWORD requestId, int phone, const Sim::SimulatedPhone::Changes& changes);
    static QList<DWORD> toneFrequencies(DWORD toneMode);

    class NullSink;
    std::unique_ptr<NullSink> m_nullSink;
    ProviderSink* m_sink = nullptr;
    double m_pacing = 1.0;
    std::vector<LineDeviceCaps> m_lines;
    // Lines whose new calls get no dial tone (the control command "dialtone").
    std::set<int> m_noDialTone;
    std::map<CallId, std::unique_ptr<SimCall>> m_calls;
    std::vector<std::unique_ptr<SimCall>> m_released;
    bool m_purgePosted = false;
    quint64 m_nextSeq = 1;
    DWORD m_nextCallId = 0x00010001;
    std::array<int, 3> m_opens{};
    std::array<int, 3> m_inUse{};
    std::array<QList<AddressStatusData::Forward>, 3> m_forwards;
    std::array<DWORD, 3> m_fwdRings{{3, 3, 3}};
    std::array<DWORD, 3> m_terminalModes{};
    std::array<DWORD, 3> m_devStatusFlags{};
    std::map<QByteArray, Parked> m_orbits;
    Sim::SimulatedPhone m_phone;
};

// Registers the provider under the name "simulated" (called by the service core).
void registerSimulatedExchange();

} // namespace Telephony
