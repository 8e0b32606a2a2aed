// The telephony service core: owns usage, line, call and phone handles, request IDs,
// privileges and message delivery, and puts the providers' devices behind one device
// numbering. Every API function lands here; providers report back through ProviderSink.
// Runs on the thread of the first initialisation; the API is meant for that thread.
#pragma once

#include "../ServiceControl.h"
#include "../provider/TelephonyProvider.h"
#include "AppConnection.h"
#include "ServiceFaults.h"

#include <QHash>
#include <QPointer>
#include <QTimer>

#include <map>
#include <memory>
#include <vector>

namespace Telephony {

class ControlServer;
class TelephonyConfig;

class TelephonyService : public QObject {
    Q_OBJECT

public:
    // The running service, started by the first initialisation. Whoever reaches it here
    // may change what it reports, so the change stamp moves on.
    static TelephonyService* instance();
    // The same for the functions that only read the status and information structures,
    // which leave the stamp alone.
    static TelephonyService* instanceForReading();
    // See serviceStamp().
    static quint64 stamp();
    static TelephonyService* start();
    static void setOptions(const ServiceOptions& options);

    ~TelephonyService() override;

    // Every event the process handles may be one that changes the service's state.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Usage handles.
    LONG initialize(bool phone, DWORD* handle, LINECALLBACK callback, const QByteArray& appName, DWORD* numDevs);
    LONG shutdown(bool phone, DWORD handle);
    LONG negotiateApiVersion(bool phone, DWORD app, DWORD device, DWORD low, DWORD high, DWORD* version,
                             LINEEXTENSIONID* extensionId);
    LONG negotiateExtVersion(bool phone, DWORD app, DWORD device, DWORD apiVersion, DWORD low, DWORD high,
                             DWORD* version);
    LONG getDevCaps(DWORD app, DWORD device, DWORD apiVersion, LINEDEVCAPS* caps);
    LONG getAddressCaps(DWORD app, DWORD device, DWORD address, DWORD apiVersion, LINEADDRESSCAPS* caps);
    LONG configDialog(DWORD device, void* owner, const QByteArray& deviceClass);
    LONG translateDialog(DWORD app, DWORD device, DWORD apiVersion, void* owner, const QByteArray& address);
    LONG translateAddress(DWORD app, DWORD device, DWORD apiVersion, const QByteArray& address, DWORD options,
                          LINETRANSLATEOUTPUT* output);

    // Lines.
    LONG open(DWORD app, DWORD device, HLINE* line, DWORD apiVersion, DWORD extVersion, DWORD instance,
              DWORD privileges, DWORD mediaModes);
    LONG close(HLINE line);
    LONG setStatusMessages(HLINE line, DWORD lineStates, DWORD addressStates);
    LONG getLineDevStatus(HLINE line, LINEDEVSTATUS* status);
    LONG getAddressStatus(HLINE line, DWORD address, LINEADDRESSSTATUS* status);
    LONG getNewCalls(HLINE line, DWORD address, DWORD select, LINECALLLIST* list);
    LONG getId(HLINE line, DWORD address, HCALL call, DWORD select, VARSTRING* id, const QByteArray& deviceClass);
    LONG setTerminal(HLINE line, DWORD address, HCALL call, DWORD select, DWORD modes, DWORD terminal, bool enable);
    LONG forward(HLINE line, bool allAddresses, DWORD address, const LINEFORWARDLIST* list, DWORD rings,
                 HCALL* consultCall);

    // Calls. The asynchronous ones answer a request ID or an error.
    LONG makeCall(HLINE line, HCALL* call, const char* destination, DWORD countryCode, const LINECALLPARAMS* params);
    LONG callRequest(const char* function, HCALL call, const std::function<LONG(DWORD request, CallId id)>& run);
    LONG unpark(HLINE line, DWORD address, HCALL* call, const QByteArray& destination);
    LONG pickup(HLINE line, DWORD address, HCALL* call, const QByteArray& destination, const QByteArray& group);
    LONG park(HCALL call, DWORD mode, const QByteArray& address, VARSTRING* nonDirected);
    LONG setupTransfer(HCALL call, HCALL* consultCall, const LINECALLPARAMS* params);
    LONG completeTransfer(HCALL call, HCALL consultCall, HCALL* conferenceCall, DWORD mode);
    LONG swapHold(HCALL active, HCALL held);
    LONG setupConference(HCALL call, HLINE line, HCALL* conferenceCall, HCALL* consultCall, DWORD parties,
                         const LINECALLPARAMS* params);
    LONG prepareAddToConference(HCALL conferenceCall, HCALL* consultCall, const LINECALLPARAMS* params);
    LONG addToConference(HCALL conferenceCall, HCALL consultCall);

    LONG getCallInfo(HCALL call, LINECALLINFO* info);
    LONG getCallStatus(HCALL call, LINECALLSTATUS* status);
    LONG deallocateCall(HCALL call);
    LONG handoff(HCALL call, const QByteArray& target, DWORD mediaMode);
    LONG setCallPrivilege(HCALL call, DWORD privilege);
    LONG setMediaMode(HCALL call, DWORD modes);
    LONG generateDigits(HCALL call, DWORD mode, const QByteArray& digits, DWORD duration);
    LONG generateTone(HCALL call, DWORD mode, DWORD duration, const QList<LINEGENERATETONE>& tones);
    LONG gatherDigits(HCALL call, DWORD modes, char* buffer, DWORD count, const QByteArray& terminators,
                      DWORD firstTimeout, DWORD interTimeout);
    LONG monitorDigits(HCALL call, DWORD modes);
    LONG monitorMedia(HCALL call, DWORD modes);
    LONG monitorTones(HCALL call, const QList<LINEMONITORTONE>& tones);

    // Phones.
    LONG phoneGetDevCaps(DWORD app, DWORD device, DWORD apiVersion, PHONECAPS* caps);
    LONG phoneOpen(DWORD app, DWORD device, HPHONE* phone, DWORD apiVersion, DWORD instance, DWORD privilege);
    LONG phoneClose(HPHONE phone);
    LONG phoneSetStatusMessages(HPHONE phone, DWORD states, DWORD buttonModes, DWORD buttonStates);
    LONG phoneGetStatus(HPHONE phone, PHONESTATUS* status);
    LONG phoneGetId(HPHONE phone, VARSTRING* id, const QByteArray& deviceClass);
    LONG phoneGetValue(HPHONE phone, const char* function, DWORD device, DWORD* value);
    LONG phoneRequest(HPHONE phone, const char* function, DWORD device, DWORD value);

    // Control commands (the local socket and serviceControl).
    QJsonObject control(const QString& command, const QJsonObject& args);
    // Fault injection at the API's entry: the code a function fails with now, or 0.
    LONG injectedFailure(const char* function);

    // What providers report, with the service's own device numbers (ProviderPort
    // translates each provider's numbers).
    void completeRequest(DWORD requestId, LONG result);
    CallId newCall(DWORD device, DWORD addressId);
    void callStateChanged(CallId call, DWORD state, DWORD mode);
    void callInfoChanged(CallId call, DWORD infoStates);
    void lineDevStateChanged(DWORD device, DWORD state, DWORD param2, DWORD param3);
    void addressStateChanged(DWORD device, DWORD addressId, DWORD state);
    void lineClosed(DWORD device);
    void lineDevSpecific(DWORD device, CallId call, DWORD param1, DWORD param2, DWORD param3);
    void digitReceived(CallId call, char digit, DWORD digitMode);
    void mediaModeDetected(CallId call, DWORD mediaMode);
    void toneDetected(DWORD token, DWORD appSpecific);
    void generateFinished(DWORD token, DWORD termination);
    void phoneStateChanged(DWORD phone, DWORD state, DWORD param2);
    void phoneButton(DWORD phone, DWORD buttonId, DWORD buttonMode, DWORD buttonState);
    void phoneDevSpecific(DWORD phone, DWORD param1, DWORD param2, DWORD param3);
    void phoneClosed(DWORD phone);

    TelephonyProvider* providerOfCall(CallId id) { return m_lines[m_calls.at(id).device].provider; }

    // The service's number of a provider's device, or -1.
    int lineDeviceOf(const TelephonyProvider* provider, int index) const;
    int phoneDeviceOf(const TelephonyProvider* provider, int index) const;

private:
    struct App {
        DWORD handle = 0;
        bool phone = false;
        QByteArray name;
        QPointer<AppConnection> connection;
    };
    struct Device {
        TelephonyProvider* provider = nullptr;
        int index = 0; // the provider's own number
    };
    struct LineOpen {
        HLINE handle = 0;
        DWORD app = 0;
        DWORD device = 0;
        DWORD instance = 0;
        DWORD privileges = 0;
        DWORD mediaModes = 0;
        DWORD apiVersion = 0;
        DWORD lineStates = 0;
        DWORD addressStates = 0;
    };
    struct Gather {
        char* buffer = nullptr;
        DWORD count = 0;
        QByteArray digits;
        QByteArray terminators;
        DWORD modes = 0;
        DWORD interTimeout = 0;
        std::unique_ptr<QTimer> timer;
    };
    struct CallHandle {
        HCALL handle = 0;
        CallId call = 0;
        HLINE line = 0;
        DWORD privilege = 0;
        bool announced = false; // the first call-state message tells the privilege
        DWORD monitorDigitModes = 0;
        DWORD monitorMediaModes = 0;
        std::unique_ptr<Gather> gather;
    };
    struct Call {
        CallId id = 0;
        DWORD device = 0;
        DWORD address = 0;
        DWORD state = 0;
        DWORD mode = 0;
        qint64 stateEntered = 0;
        bool pending = true;  // created by a request that has not completed yet
        bool offered = false; // its owner and monitors have their handles
        std::vector<HCALL> handles;
    };
    struct Request {
        DWORD id = 0;
        QString function;
        HLINE line = 0;   // the open (or phone) whose application gets the reply
        bool phone = false;
        HCALL newHandle = 0; // written into *out when the request succeeds
        HCALL* out = nullptr;
        HCALL newHandle2 = 0;
        HCALL* out2 = nullptr;
        std::function<void(LONG)> done; // runs when the reply goes out
    };
    struct PhoneOpen {
        HPHONE handle = 0;
        DWORD app = 0;
        DWORD device = 0;
        DWORD instance = 0;
        DWORD privilege = 0;
        DWORD states = 0;
        DWORD buttonModes = 0;
        DWORD buttonStates = 0;
    };

    TelephonyService();
    void loadProviders();
    // Creates the named provider with its settings (and the options' overrides) and puts
    // its devices behind the service's numbering; false when no provider has the name.
    bool startProvider(const QString& name, QVariantMap settings);

    DWORD nextHandle();
    DWORD nextRequest();
    App* app(DWORD handle, bool phone);
    LineOpen* lineOpen(HLINE handle);
    CallHandle* callHandle(HCALL handle);
    Call* call(CallId id);
    const LineDeviceCaps* lineCaps(DWORD device) const;
    LONG checkDevice(bool phone, DWORD app, DWORD device) const;
    LONG checkVersion(DWORD device, DWORD apiVersion) const;

    void postToLine(const LineOpen& open, Message message);
    void postToPhone(const PhoneOpen& open, Message message);
    // Tells the other opens of a phone how many owners or monitors it has now.
    void sendPhoneOpenCount(DWORD device, DWORD privilege);
    DWORD startRequest(const QString& function, HLINE line, bool phone = false);
    void finishRequest(Request request, LONG result);

    // Call bookkeeping (TelephonyServiceCalls.cpp).
    Call& addCall(CallId id, DWORD device, DWORD address);
    HCALL addHandle(Call& call, const LineOpen& open, DWORD privilege);
    void offerCall(Call& call, HLINE creator);
    void removeHandle(HCALL handle);
    void releaseIfDone(CallId id);
    CallId addOwnedCall(Request& request, const LineOpen& open, DWORD device, DWORD address, HCALL* out,
                        bool second = false);
    void dropOwnedCall(CallId id);
    LONG lineCallRequest(const char* function, const LineOpen& open, DWORD address, HCALL* out,
                         const std::function<LONG(DWORD request, CallId id)>& run);
    void sendCallInfo(const Call& call, DWORD states);
    void sendToCallHandles(const Call& call, DWORD message, DWORD param1, DWORD param2, DWORD param3);
    void endGather(CallHandle& handle, DWORD termination);
    void restartGatherTimer(CallHandle& handle, DWORD timeout, DWORD termination);
    bool detectsDigitModes(CallId id, DWORD modes) const;
    LONG requireOwner(HCALL call, CallHandle** out);
    void dropOrphanCalls(HLINE line);
    void sendLineState(DWORD device, DWORD state, DWORD param2, DWORD param3, HLINE except = 0);
    void closeLine(LineOpen open, bool notifyApp);
    QList<AddressStatusData::Forward> forwardsOf(DWORD device, DWORD address) const;
    DWORD ownersOf(const Call& call) const;
    DWORD monitorsOf(const Call& call) const;

    static ServiceOptions s_options;

    std::unique_ptr<TelephonyConfig> m_config;
    std::vector<std::unique_ptr<TelephonyProvider>> m_providers;
    std::vector<std::unique_ptr<ProviderSink>> m_ports;
    std::vector<Device> m_lines;
    std::vector<Device> m_phones;
    std::map<DWORD, App> m_apps;
    std::map<HLINE, LineOpen> m_opens;
    std::map<HCALL, CallHandle> m_handles;
    std::map<CallId, Call> m_calls;
    std::map<DWORD, Request> m_requests;
    std::map<HPHONE, PhoneOpen> m_phoneOpens;
    ServiceFaults m_faults;
    std::unique_ptr<ControlServer> m_control;
    DWORD m_lastHandle = 0x00010000;
    DWORD m_lastRequest = 0;
    CallId m_lastCall = 0;
};

} // namespace Telephony
