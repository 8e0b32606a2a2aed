// The built-in simulated exchange: the default telephony provider and the test bed of
// everything above it. Three line devices (two voice lines with extensions 201 and 202,
// and a data modem), one phone device attached to line 1, and a number plan of scripted
// parties in the fictional range 555-0100 .. 555-0199 (docs/number-plan.md).
//
// This class is the provider the service sees; the work is done by the parts it owns,
// each in its own file of this folder:
//   SimulatedSwitch      call legs, their states and timers, line bookkeeping, reports
//   CallFeatures         what a call can do in its state
//   SimulatedCalls       making, offering, answering and dropping calls
//   SimulatedRouting     routing to lines and parties, forwarding, joining far ends
//   SimulatedFeatures    hold, blind transfer, redirect, park, pickup, forwarding
//   SimulatedConference  consultation transfer and conference calls
//   SimulatedMedia       media modes, digits, tones, silence, the modem's pty
//   SimulatedFarEnd      what far ends and the exchange do on command
//   SimulatedControl     the JSON control interface (with ControlArguments)
// NumberPlan, SimulatedCaps, SimulatedPhone and SimulatedModem hold the number plan, the
// device capabilities, the phone device and the data call's far-end modem.
//
// Settings: "pacing" (a factor for every delay, 1.0 = realistic, 0 = no delays at all).
#pragma once

#include "../../TapiConstants.h"
#include "../../provider/TelephonyProvider.h"
#include "SimulatedFarEnd.h"
#include "SimulatedPhone.h"

#include <QObject>

#include <memory>

class WaveBackend;

namespace Telephony {

namespace Sim {
class SimulatedAudio;
class SimulatedCalls;
class SimulatedConference;
class SimulatedControl;
class SimulatedFeatures;
class SimulatedMedia;
class SimulatedRouting;
class SimulatedSwitch;
} // namespace Sim

class SimulatedExchange : public QObject, public TelephonyProvider {
public:
    // The name its voice lines' wave devices are registered under while it runs.
    static constexpr const char* kWaveBackend = "callaudio";

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
    LONG validateAddress(int device, const QByteArray& address) const override;

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

    // Typed twins of the control commands, for tests (see SimulatedFarEnd). Devices are
    // 0-based here.
    CallId ring(int device, const IncomingCall& caller, bool* forwardedElsewhere = nullptr);
    bool farEndAnswer(CallId call);
    bool farEndHangup(CallId call);
    bool farEndDigits(CallId call, const QByteArray& digits);
    bool farEndTone(CallId call, DWORD toneMode, int durationMs = 1000);
    bool farEndSilence(CallId call, int ms);
    bool farEndMedia(CallId call, DWORD mediaMode);
    bool signalLineState(int device, DWORD state, DWORD param2 = 0, DWORD param3 = 0);
    bool signalAddressState(int device, DWORD state);
    bool signalDevSpecific(int device, CallId call, DWORD param1, DWORD param2, DWORD param3);
    bool forceClose(int device);
    bool setForwarding(int device, const QByteArray& destination); // empty = off
    bool pressButton(char digit);
    // The far party of the call speaks a WAV file (8 kHz mono PCM), or has what it heard
    // so far written to one; false with *error set otherwise.
    bool farEndSay(CallId call, const QString& fileName, QString* error);
    bool farEndSaveHeard(CallId call, const QString& fileName, QString* error);
    Sim::SimulatedAudio& audio() const { return *m_audio; }
    void setPacing(double factor);
    double pacing() const;
    // The newest call of a line that is neither idle nor disconnected (0 when none).
    CallId newestCall(int device) const;
    QList<CallId> callIds(int device = -1) const;
    bool hasCall(CallId call) const;

private:
    using PhoneChange = std::function<LONG(Sim::SimulatedPhone::Changes*)>;

    // A request to the phone: the change now, the reply and its PHONE_STATE reports later.
    LONG phoneRequest(DWORD requestId, int phone, const PhoneChange& change);

    std::unique_ptr<Sim::SimulatedSwitch> m_switch;
    std::unique_ptr<Sim::SimulatedCalls> m_calls;
    std::unique_ptr<Sim::SimulatedRouting> m_routing;
    std::unique_ptr<Sim::SimulatedFeatures> m_features;
    std::unique_ptr<Sim::SimulatedConference> m_conference;
    std::unique_ptr<Sim::SimulatedMedia> m_media;
    std::unique_ptr<Sim::SimulatedFarEnd> m_farEnd;
    std::unique_ptr<Sim::SimulatedControl> m_control;
    Sim::SimulatedPhone m_phone;
    std::shared_ptr<Sim::SimulatedAudio> m_audio;
    std::shared_ptr<WaveBackend> m_waveDevices;
};

} // namespace Telephony
