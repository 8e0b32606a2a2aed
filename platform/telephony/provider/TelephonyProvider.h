// The interface between the telephony service and a service provider: a provider reports
// its devices and what they can do and carries out operations on them; the service core
// owns handles, request IDs, privileges and message delivery. Providers are registered by
// name (ProviderRegistry) and created from the service's configuration.
#pragma once

#include "../TapiStructs.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace Telephony {

// A call as the core and its provider both name it; never 0, never reused.
using CallId = DWORD;

// What one address of a line can do. The fixed part uses TAPI's field names; sizes and
// offsets in it are ignored, the core lays out the variable parts.
struct AddressCaps {
    LINEADDRESSCAPS fixed{};
    QByteArray address;
    QByteArray devSpecific;
    QStringList deviceClasses;
};

struct LineDeviceCaps {
    LINEDEVCAPS fixed{};
    QByteArray providerInfo;
    QByteArray switchInfo;
    QByteArray lineName;
    QByteArray devSpecific;
    QList<LINETERMCAPS> terminalCaps;
    QList<QByteArray> terminalTexts;
    QStringList deviceClasses;
    QList<AddressCaps> addresses;
    // The API versions the provider speaks; an extension version range of 0..0 means
    // the provider offers no extensions.
    DWORD lowApiVersion = 0x00010003;
    DWORD highApiVersion = 0x00020002;
    DWORD lowExtVersion = 0;
    DWORD highExtVersion = 0;
    LINEEXTENSIONID extensionId{};
};

// Provider-side status; the core fills in what it knows itself (opens, counts of calls,
// privileges, owners and monitors).
struct LineStatusData {
    LINEDEVSTATUS fixed{};
    QList<DWORD> terminalModes;
    QByteArray devSpecific;
};

struct AddressStatusData {
    LINEADDRESSSTATUS fixed{};
    // Forwarding in force: one entry per forwarded mode.
    struct Forward {
        DWORD mode = 0;
        QByteArray callerAddress;
        DWORD destCountryCode = 0;
        QByteArray destAddress;
    };
    QList<Forward> forwards;
    QList<DWORD> terminalModes;
    QByteArray devSpecific;
};

struct PartyId {
    DWORD flags = 0; // LINECALLPARTYID_*
    QByteArray number;
    QByteArray name;
};

struct CallInfoData {
    LINECALLINFO fixed{}; // bearer/media mode, origin, reason, call IDs, rate, ...
    PartyId caller;
    PartyId called;
    PartyId connected;
    PartyId redirection;
    PartyId redirecting;
    QByteArray displayableAddress;
    QByteArray calledParty;
    QByteArray comment;
    QByteArray display;
    QByteArray userUserInfo;
    QByteArray devSpecific;
};

struct CallStatusData {
    DWORD callState = 0;
    DWORD callStateMode = 0;
    DWORD callFeatures = 0;
    DWORD callFeatures2 = 0;
    qint64 stateEntryMsecs = 0; // wall clock, ms since the epoch
    QByteArray devSpecific;
};

// Call parameters as checked and decoded by the core from a LINECALLPARAMS block.
struct CallParams {
    DWORD bearerMode = 0x1; // LINEBEARERMODE_VOICE
    DWORD mediaMode = 0x4;  // LINEMEDIAMODE_INTERACTIVEVOICE
    DWORD callParamFlags = 0;
    DWORD addressMode = 0x1;
    DWORD addressID = 0;
    DWORD noAnswerTimeout = 0; // seconds, 0 = the provider's own
    QByteArray origAddress;
    QByteArray displayableAddress;
    QByteArray calledParty;
    QByteArray comment;
    QByteArray userUserInfo;
};

struct PhoneDeviceCaps {
    PHONECAPS fixed{};
    QByteArray providerInfo;
    QByteArray phoneInfo;
    QByteArray phoneName;
    QByteArray devSpecific;
    QStringList deviceClasses;
    DWORD lowApiVersion = 0x00010003;
    DWORD highApiVersion = 0x00020002;
};

struct PhoneStatusData {
    PHONESTATUS fixed{}; // hook switches, volumes, gains, ring
    QByteArray display;
    QByteArray devSpecific;
};

// What a provider reports to the core. Every call happens on the service's thread; the
// core turns each report into messages for the applications, in the order reported.
class ProviderSink {
public:
    virtual ~ProviderSink() = default;

    // An asynchronous request finished (0 or a LINEERR_/PHONEERR_ code). Report it before
    // the state changes it causes, as applications expect the reply first.
    virtual void completeRequest(DWORD requestId, LONG result) = 0;
    // A call the provider created itself (an offered call, a conference's consult call):
    // the core answers with the id under which it tracks the call.
    virtual CallId newCall(DWORD deviceId, DWORD addressId) = 0;
    virtual void callStateChanged(CallId call, DWORD state, DWORD mode) = 0;
    virtual void callInfoChanged(CallId call, DWORD infoStates) = 0;
    virtual void lineDevStateChanged(DWORD deviceId, DWORD state, DWORD param2, DWORD param3) = 0;
    virtual void addressStateChanged(DWORD deviceId, DWORD addressId, DWORD state) = 0;
    // The device went away or must be reopened: every open of it gets LINE_CLOSE.
    virtual void lineClosed(DWORD deviceId) = 0;
    virtual void lineDevSpecific(DWORD deviceId, CallId call, DWORD param1, DWORD param2, DWORD param3) = 0;
    // The far end sent a digit (always reported; the core applies monitoring and gathering).
    virtual void digitReceived(CallId call, char digit, DWORD digitMode) = 0;
    // The call's media mode was detected or changed (a fax or modem answered).
    virtual void mediaModeDetected(CallId call, DWORD mediaMode) = 0;
    // Tone monitoring matched an entry; token is the one given to monitorTones.
    virtual void toneDetected(DWORD token, DWORD appSpecific) = 0;
    // Digit or tone generation ended; token is the one given to generate*.
    virtual void generateFinished(DWORD token, DWORD termination) = 0;
    virtual void phoneStateChanged(DWORD phoneId, DWORD state, DWORD param2) = 0;
    virtual void phoneButton(DWORD phoneId, DWORD buttonId, DWORD buttonMode, DWORD buttonState) = 0;
    // The phone sent device-specific data: every open of it gets PHONE_DEVSPECIFIC.
    virtual void phoneDevSpecific(DWORD /*phoneId*/, DWORD /*param1*/, DWORD /*param2*/, DWORD /*param3*/) {}
    // The phone went away or must be reopened: every open of it gets PHONE_CLOSE.
    virtual void phoneClosed(DWORD /*phoneId*/) {}
};

// A telephony service provider. Synchronous operations return 0 or an error; the
// asynchronous ones (those taking a requestId) return 0 when they accepted the request
// and report its end through ProviderSink::completeRequest, or return an error at once.
// Providers register by name in ProviderRegistry.
class TelephonyProvider {
public:
    virtual ~TelephonyProvider() = default;

    virtual QString name() const = 0;
    virtual void setSink(ProviderSink* sink) = 0;

    // Devices and their description.
    virtual int lineDeviceCount() const = 0;
    virtual const LineDeviceCaps& lineCaps(int device) const = 0;
    virtual int phoneDeviceCount() const { return 0; }
    virtual const PhoneDeviceCaps* phoneCaps(int) const { return nullptr; }
    // The related device of a line or phone for a device class ("tapi/phone", "wave/out",
    // "wave/in", "tapi/line"); LINEERR_INVALDEVICECLASS when there is none.
    virtual LONG deviceId(int device, const QString& deviceClass, DWORD* id) const;
    // "comm/datamodem" on a data call: a file descriptor the application closes.
    virtual LONG commHandle(CallId call, int* fd);
    // Whether the provider could dial this address on the device, by its own rules (a
    // number plan, a URI grammar, ...): 0 or LINEERR_INVALADDRESS. The service has only
    // checked what the API requires (a text of bounded length); it asks before it makes a
    // call, and the provider's operations apply the same rule to what they are given.
    virtual LONG validateAddress(int device, const QByteArray& address) const;

    // Line operations.
    virtual LONG open(int device, DWORD privileges, DWORD mediaModes) = 0;
    virtual void close(int device) = 0;
    virtual LineStatusData lineStatus(int device) const = 0;
    virtual AddressStatusData addressStatus(int device, DWORD addressId) const = 0;
    virtual LONG setTerminal(DWORD requestId, int device, DWORD addressId, CallId call, DWORD modes, DWORD terminalId,
                             bool enable);
    virtual LONG forward(DWORD requestId, int device, bool allAddresses, DWORD addressId,
                         const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer);

    // Calls.
    virtual LONG makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination,
                          bool hasDestination, DWORD countryCode, const CallParams& params) = 0;
    virtual LONG dial(DWORD requestId, CallId call, const QByteArray& digits, DWORD countryCode) = 0;
    virtual LONG answer(DWORD requestId, CallId call, const QByteArray& userUserInfo) = 0;
    virtual LONG drop(DWORD requestId, CallId call, const QByteArray& userUserInfo) = 0;
    virtual LONG hold(DWORD requestId, CallId call);
    virtual LONG unhold(DWORD requestId, CallId call);
    virtual LONG blindTransfer(DWORD requestId, CallId call, const QByteArray& destination, DWORD countryCode);
    virtual LONG redirect(DWORD requestId, CallId call, const QByteArray& destination, DWORD countryCode);
    virtual LONG park(DWORD requestId, CallId call, DWORD parkMode, const QByteArray& directedAddress,
                      QByteArray* nonDirectedAddress);
    virtual LONG unpark(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address);
    virtual LONG pickup(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address,
                        const QByteArray& groupId);
    virtual LONG setupTransfer(DWORD requestId, CallId call, CallId consultCall, const CallParams& params);
    // conferenceCall is 0 for the transfer mode; the provider fills it for the conference mode.
    virtual LONG completeTransfer(DWORD requestId, CallId call, CallId consultCall, CallId conferenceCall,
                                  DWORD transferMode);
    virtual LONG swapHold(DWORD requestId, CallId activeCall, CallId heldCall);
    // call is 0 when the conference starts without an existing call.
    virtual LONG setupConference(DWORD requestId, int device, CallId call, CallId conferenceCall,
                                 CallId consultCall, DWORD numParties, const CallParams& params);
    virtual LONG prepareAddToConference(DWORD requestId, CallId conferenceCall, CallId consultCall,
                                        const CallParams& params);
    virtual LONG addToConference(DWORD requestId, CallId conferenceCall, CallId consultCall);
    virtual LONG removeFromConference(DWORD requestId, CallId call);

    virtual CallInfoData callInfo(CallId call) const = 0;
    virtual CallStatusData callStatus(CallId call) const = 0;
    // The core no longer tracks the call (every handle deallocated, call idle).
    virtual void releaseCall(CallId call) = 0;
    virtual LONG setMediaMode(CallId call, DWORD mediaModes);
    virtual LONG generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits, DWORD duration);
    virtual LONG generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration,
                              const QList<LINEGENERATETONE>& tones);
    virtual LONG monitorTones(CallId call, DWORD token, const QList<LINEMONITORTONE>& tones);

    // Phones.
    virtual LONG phoneOpen(int, DWORD) { return LONG(0x90000018); } // PHONEERR_NODEVICE
    virtual void phoneClose(int) {}
    virtual PhoneStatusData phoneStatus(int) const { return {}; }
    virtual LONG phoneSetHookSwitch(DWORD, int, DWORD, DWORD) { return LONG(0x9000001D); }
    virtual LONG phoneSetVolume(DWORD, int, DWORD, DWORD) { return LONG(0x9000001D); }
    virtual LONG phoneSetGain(DWORD, int, DWORD, DWORD) { return LONG(0x9000001D); }

    // The provider's settings, shown and edited by the configuration dialog; a changed
    // map is handed back through applySettings and stored by the service.
    virtual QVariantMap settings() const { return {}; }
    virtual void applySettings(const QVariantMap&) {}

    // Commands of the provider's control interface (tests and the linkora-sim tool):
    // answers {"ok": true, ...} or {"ok": false, "error": text}.
    virtual QJsonObject control(const QString& command, const QJsonObject& args);
};

} // namespace Telephony
