// The SIP provider: every configured SIP account is one line device with one address,
// named after the account ("SIP alice@sip.example.org"). Each account runs a SIP stack
// of its own (SipEndpoint); this class maps its calls and registrations onto the
// telephony service's calls, states and replies:
//   SipProvider.cpp       devices, status, settings, registration
//   SipProviderCalls.cpp  making, offering, answering, dropping and redirecting calls
//   SipProviderFeatures.cpp  hold, transfer, digits, what SIP cannot do
//   SipProviderConference.cpp  three-way calls and conferences, mixed by the line's stack
// Settings: "audio" ("soundcard", or "none": only the lines' wave devices, else silence), "ringMs" (one ring cycle for
// forwarding on no answer, 6000), "mediaTimeout" (seconds without media from the far
// end before a call counts as lost, 30), "registerWaitMs" (how long a call made while
// the line registers waits for the registration, 30000; 0 fails it at once) and the
// accounts' keys (see SipAccount.h).
#pragma once

#include "SipAccount.h"
#include "SipCall.h"
#include "SipCallAudio.h"
#include "SipEndpoint.h"

#include "../../provider/TelephonyProvider.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace Telephony {

class SipProvider : public QObject, public TelephonyProvider, public Sip::SipEndpoint::Events {
public:
    explicit SipProvider(const QVariantMap& settings = {}, QObject* parent = nullptr);
    ~SipProvider() override;

    QString name() const override;
    void setSink(ProviderSink* sink) override;
    int lineDeviceCount() const override;
    const LineDeviceCaps& lineCaps(int device) const override;
    LONG deviceId(int device, const QString& deviceClass, DWORD* id) const override;
    LONG validateAddress(int device, const QByteArray& address) const override;

    LONG open(int device, DWORD privileges, DWORD mediaModes) override;
    void close(int device) override;
    LineStatusData lineStatus(int device) const override;
    AddressStatusData addressStatus(int device, DWORD addressId) const override;
    LONG forward(DWORD requestId, int device, bool allAddresses, DWORD addressId,
                 const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer) override;

    LONG makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination, bool hasDestination,
                  DWORD countryCode, const CallParams& params) override;
    LONG dial(DWORD requestId, CallId call, const QByteArray& digits, DWORD countryCode) override;
    LONG answer(DWORD requestId, CallId call, const QByteArray& userUserInfo) override;
    LONG drop(DWORD requestId, CallId call, const QByteArray& userUserInfo) override;
    LONG redirect(DWORD requestId, CallId call, const QByteArray& destination, DWORD countryCode) override;
    LONG hold(DWORD requestId, CallId call) override;
    LONG unhold(DWORD requestId, CallId call) override;
    LONG blindTransfer(DWORD requestId, CallId call, const QByteArray& destination, DWORD countryCode) override;
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
    LONG generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits, DWORD duration) override;
    LONG generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration,
                      const QList<LINEGENERATETONE>& tones) override;

    QVariantMap settings() const override;
    void applySettings(const QVariantMap& settings) override;
    QJsonObject control(const QString& command, const QJsonObject& args) override;

    // For tests and tools: the SIP port a line listens on, and whether it is in service.
    int localPort(int device) const;
    bool inService(int device) const;
    QStringList warnings() const { return m_warnings; }

    // Parties of a conference besides this line's user, each a SIP call of the line.
    static constexpr int kMaxConferenceParties = 3;

private:
    // SipEndpoint::Events
    void registrationChanged(Sip::SipEndpoint& endpoint) override;
    void callStateChanged(Sip::SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call,
                          linphone::Call::State state) override;
    void dtmfReceived(Sip::SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call, int dtmf) override;
    void transferStateChanged(Sip::SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call,
                              linphone::Call::State state) override;

    void startEndpoints();
    // Starts the line's stack unless it runs; a failure is added to warnings, or logged.
    bool startEndpoint(int device, QStringList* warnings);
    // Calls made while their line registers wait for the registration's outcome.
    void awaitRegistration(DWORD requestId, CallId call, int device, const QByteArray& destination, bool dialNow);
    void registrationSettled(int device);
    void finishWaitingDial(DWORD requestId, LONG result);
    void failWaitingDials(LONG result);
    // The call goes to dial tone and, with a destination, dials it.
    void startDialling(CallId call, const QByteArray& destination, bool dialNow);
    // Writes the passwords given as "account<N>.newPassword" into their accounts' password
    // files (mode 0600) and returns the settings without them.
    QVariantMap takeNewPasswords(const QVariantMap& settings);
    ProviderSink& sink();
    bool validLine(int device) const { return device >= 0 && device < int(m_endpoints.size()); }
    Sip::SipCall* find(CallId id);
    const Sip::SipCall* find(CallId id) const;
    Sip::SipCall* findSip(const std::shared_ptr<linphone::Call>& call);
    int liveCalls(int device) const;
    DWORD features(const Sip::SipCall& c) const;
    DWORD conferenceFeatures(const Sip::SipCall& conference) const;
    // Runs effect later on the event loop, after the reply for requestId; check runs
    // again then, as the call may have changed in between. With Reply::FromEffect the
    // effect sends the reply itself (a failed check still replies here).
    enum class Reply { First, FromEffect };
    LONG submit(DWORD requestId, CallId call, std::function<LONG(Sip::SipCall&)> check,
                std::function<void(Sip::SipCall&)> effect, Reply reply = Reply::First);
    bool setState(CallId id, DWORD state, DWORD mode = 0);
    // Gives each call of the line its own audio and joins the active one to the line's
    // wave devices (SipProviderFeatures.cpp).
    void routeCallAudio(int device);
    void infoChanged(CallId id, DWORD states);
    void invite(CallId id, const QByteArray& destination);
    void offered(Sip::SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call);
    void endSipCall(Sip::SipCall& c, bool busy);
    void stopGeneration(Sip::SipCall& c, DWORD termination);
    // The generation timer of a call: single-shot, calling back with the call's id.
    void startGenTimer(Sip::SipCall& c, int ms, std::function<void(Sip::SipCall&)> due);
    void playToneAgain(Sip::SipCall& c, int fileMs);
    void farEndEnded(Sip::SipCall& c, const std::shared_ptr<linphone::Call>& call, bool error);
    // Forwarding in force on a line for a mode (UNCOND, BUSY, NOANSW): the destination
    // or an empty text.
    QByteArray forwardFor(int device, DWORD mode) const;
    bool forwardOffered(Sip::SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call);
    void redirectLater(CallId id, int delayMs, const QByteArray& destination);
    // Sends the far end on to the destination: 302 while the call is offered, REFER once
    // it is answered. The TAPI call lets go of the SIP call first (the stack reports its
    // end inside the request) and goes IDLE; a destination that is no address ends it.
    enum class SendOn { Redirect, Refer };
    void sendOn(Sip::SipCall& c, const QByteArray& destination, SendOn how);
    linphone::Status referWithReplaces(const std::shared_ptr<linphone::Call>& held,
                                       const std::shared_ptr<linphone::Call>& consult);

    // A call of this line's own making: one it places (related: the call it consults
    // for), or a conference call.
    Sip::SipCall& addOwnCall(CallId id, int device, DWORD origin);
    Sip::SipCall& addOutgoing(CallId id, int device, DWORD related);

    // Conferences (SipProviderConference.cpp).
    Sip::SipCall& addConference(CallId id, int device);
    // Parties a conference of the line takes, as its capabilities say.
    int partyLimit(int device) const;
    // Mixes the SIP calls of the conference's members in the stack's local conference,
    // with this line's user in it; false when the stack refused.
    bool mix(Sip::SipCall& conference);
    std::shared_ptr<linphone::Conference> mixerOf(const Sip::SipCall& conference) const;
    void joinThreeWay(CallId call, CallId consultCall, CallId conferenceCall, int device);
    // A call leaving its conference (dropped, removed, gone idle): the conference follows
    // once the call's own state is reported.
    void leaveConference(Sip::SipCall& c);
    void dropConference(Sip::SipCall& conference);
    // Ends the stack's mixes when the provider goes (calls going idle end their own).
    void endMixes();
    // Digits as SIP INFO, one request each, paced by the generation timer.
    void sendInfoDigits(CallId id, QByteArray digits, int perDigitMs, int durationMs);

    QVariantMap m_settings;
    QStringList m_warnings;
    bool m_soundCard = true;
    int m_ringMs = 6000;
    int m_registerWaitMs = 30000;
    struct WaitingDial {
        DWORD requestId = 0;
        CallId call = 0;
        int device = 0;
        QByteArray destination;
        bool dialNow = false;
    };
    std::vector<WaitingDial> m_waitingDials;
    QList<Sip::SipAccount> m_accounts;
    std::shared_ptr<Sip::SipCallAudio> m_callAudio; // the lines' wave devices
    std::vector<std::unique_ptr<Sip::SipEndpoint>> m_endpoints;
    std::vector<LineDeviceCaps> m_caps;
    std::vector<int> m_opens;
    // Forwarding is done by the line itself, by redirecting offered calls (302).
    struct Forwarding {
        QList<AddressStatusData::Forward> entries;
        DWORD rings = 3;
    };
    std::vector<Forwarding> m_forwarding;
    std::map<CallId, Sip::SipCall> m_calls;
    // Calls the application let go of while their SIP side still finishes (a transfer).
    std::vector<std::shared_ptr<linphone::Call>> m_leaving;
    CallId m_dialling = 0; // the call being invited, for the stack's reports inside invite
    ProviderSink* m_sink = nullptr;
};

} // namespace Telephony
