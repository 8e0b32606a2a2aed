#pragma once

// The line control's call object: the current call as the application sees it, with its
// operations, and the list of known call handles. Selecting a handle loads that call's
// saved state from its record into the visible properties; every change is saved back.

// Complete types, so the property system can walk into them.
#include "TnvCallerID.h"
#include "TnvGatherDigits.h"
#include "TnvMonitorDigits.h"
#include "TnvMonitorMediaModes.h"
#include "TnvMonitorSilence.h"

#include <TapiStructs.h>

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <array>

class TnvCallParameters;
class TnvLineContext;
struct TnvCallRecord;

class TnvCall : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(int Address READ Address STORED false)
    Q_PROPERTY(uint BearerMode READ BearerMode STORED false)
    Q_PROPERTY(QDateTime Began READ Began STORED false)
    Q_PROPERTY(uint BusyMode READ BusyMode STORED false)
    Q_PROPERTY(QDateTime Connected READ Connected STORED false)
    Q_PROPERTY(int Count READ Count STORED false)
    Q_PROPERTY(uint DialtoneMode READ DialtoneMode STORED false)
    Q_PROPERTY(QDateTime Disconnected READ Disconnected STORED false)
    Q_PROPERTY(uint DisconnectMode READ DisconnectMode STORED false)
    Q_PROPERTY(QDateTime Ended READ Ended STORED false)
    Q_PROPERTY(uint Features READ Features STORED false)
    Q_PROPERTY(uint Features2 READ Features2 STORED false)
    Q_PROPERTY(uint Handle READ Handle WRITE setHandle STORED false)
    Q_PROPERTY(uint ID READ ID STORED false)
    Q_PROPERTY(QStringList List READ List STORED false)
    Q_PROPERTY(uint MediaMode READ MediaMode WRITE setMediaMode STORED false)
    Q_PROPERTY(int Monitors READ Monitors STORED false)
    Q_PROPERTY(uint Origin READ Origin STORED false)
    Q_PROPERTY(QString OriginatingApp READ OriginatingApp STORED false)
    Q_PROPERTY(bool Owner READ Owner WRITE setOwner STORED false)
    Q_PROPERTY(int Owners READ Owners STORED false)
    Q_PROPERTY(QString PhoneNumber READ PhoneNumber WRITE setPhoneNumber STORED false)
    Q_PROPERTY(uint Reason READ Reason STORED false)
    Q_PROPERTY(uint SpecialInfo READ SpecialInfo STORED false)
    Q_PROPERTY(uint State READ State STORED false)
    Q_PROPERTY(uint StateMode READ StateMode STORED false)
    Q_PROPERTY(int Tag READ Tag WRITE setTag STORED false)
    Q_PROPERTY(TnvCallParameters* Parameters READ Parameters CONSTANT)
    Q_PROPERTY(TnvCallerID* CalledID READ CalledID CONSTANT)
    Q_PROPERTY(TnvCallerID* CallerID READ CallerID CONSTANT)
    Q_PROPERTY(TnvCallerID* ConnectedID READ ConnectedID CONSTANT)
    Q_PROPERTY(TnvCallerID* RedirectingID READ RedirectingID CONSTANT)
    Q_PROPERTY(TnvCallerID* RedirectionID READ RedirectionID CONSTANT)
    Q_PROPERTY(TnvGatherDigits* GatherDigits READ GatherDigits CONSTANT)
    Q_PROPERTY(TnvMonitorDigits* MonitorDigits READ MonitorDigits CONSTANT)
    Q_PROPERTY(TnvMonitorMediaModes* MonitorMediaModes READ MonitorMediaModes CONSTANT)
    Q_PROPERTY(TnvMonitorSilence* MonitorSilence READ MonitorSilence CONSTANT)

public:
    TnvCall(TnvLineContext* line, QObject* parent);
    ~TnvCall() override;

    TnvCallParameters* Parameters() const { return m_parameters; }
    TnvCallerID* CalledID() const { return m_parties[TnvCallerID::Called]; }
    TnvCallerID* CallerID() const { return m_parties[TnvCallerID::Caller]; }
    TnvCallerID* ConnectedID() const { return m_parties[TnvCallerID::Connected]; }
    TnvCallerID* RedirectingID() const { return m_parties[TnvCallerID::Redirecting]; }
    TnvCallerID* RedirectionID() const { return m_parties[TnvCallerID::Redirection]; }
    TnvCallerID* party(TnvCallerID::Party party) const { return m_parties[party]; }
    TnvGatherDigits* GatherDigits() const { return m_gatherDigits; }
    TnvMonitorDigits* MonitorDigits() const { return m_monitorDigits; }
    TnvMonitorMediaModes* MonitorMediaModes() const { return m_monitorMediaModes; }
    TnvMonitorSilence* MonitorSilence() const { return m_monitorSilence; }

    bool Active() const { return m_active; }
    qint32 Address() const { return m_address; }
    DWORD BearerMode() const { return m_bearerMode; }
    QDateTime Began() const { return m_began; }
    DWORD BusyMode() const { return m_busyMode; }
    QDateTime Connected() const { return m_connected; }
    int Count() const;
    DWORD DialtoneMode() const { return m_dialtoneMode; }
    QDateTime Disconnected() const { return m_disconnected; }
    DWORD DisconnectMode() const { return m_disconnectMode; }
    QDateTime Ended() const { return m_ended; }
    DWORD Features() const { return m_features; }
    DWORD Features2() const { return m_features2; }
    HCALL Handle() const { return m_handle; }
    DWORD ID() const { return m_id; }
    const QStringList& List() const;
    DWORD MediaMode() const { return m_mediaMode; }
    qint32 Monitors() const { return m_monitors; }
    DWORD Origin() const { return m_origin; }
    QString OriginatingApp() const { return m_originatingApp; }
    bool Owner() const { return m_owner; }
    qint32 Owners() const { return m_owners; }
    QString PhoneNumber() const { return m_phoneNumber; }
    DWORD Reason() const { return m_reason; }
    DWORD SpecialInfo() const { return m_specialInfo; }
    DWORD State() const { return m_state; }
    DWORD StateMode() const { return m_stateMode; }
    qint32 Tag() const { return m_tag; }
    // The last known state of any listed call, the visible one included; 0 when unknown.
    DWORD StateOf(HCALL handle) const;

    // Property setters with their effects.
    void setActive(bool value);
    void setHandle(HCALL value);
    void setMediaMode(DWORD value);
    void setOwner(bool value);
    void setPhoneNumber(const QString& value);
    // The digit events report the record's tag, so a change reaches the record at once.
    void setTag(qint32 value);

    // Operations on the current call; each returns whether it succeeded, the reason of a
    // failure is the control's last error.
    Q_INVOKABLE bool Dial();
    Q_INVOKABLE bool Answer();
    Q_INVOKABLE bool Hangup();
    Q_INVOKABLE bool Hold();
    Q_INVOKABLE bool Unhold();
    Q_INVOKABLE bool Transfer();
    Q_INVOKABLE bool Redirect(const QString& phoneNumber);
    Q_INVOKABLE bool Park(const QString& phoneNumber);
    Q_INVOKABLE bool Unpark(const QString& phoneNumber);
    Q_INVOKABLE bool Pickup(const QString& phoneNumber, const QString& groupID);
    Q_INVOKABLE bool Handoff(const QString& application);
    Q_INVOKABLE bool SendDigits(const QString& digits, int duration);
    Q_INVOKABLE bool SendTone(DWORD tone, int duration);

    Q_INVOKABLE bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    // The control's own bookkeeping of the visible call, as its messages arrive and its
    // operations go; applications see only the properties and operations above.
    friend class TnvAddressForward;
    friend class TnvCallOperations;
    friend class TnvConference;
    friend class TnvLineDispatch;
    friend class TnvLinePrivate;
    friend class TnvTransfer;

    // What the control does to the visible call as messages arrive. Plain stores: no
    // trace, no service call.
    void setActiveState(bool value) { m_active = value; }
    void setHandleValue(HCALL value) { m_handle = value; }
    void storeState(DWORD state, DWORD mode) { m_state = state; m_stateMode = mode; }
    void storeBusyMode(DWORD value) { m_busyMode = value; }
    void storeDialtoneMode(DWORD value) { m_dialtoneMode = value; }
    void storeSpecialInfo(DWORD value) { m_specialInfo = value; }
    void storeDisconnectMode(DWORD value) { m_disconnectMode = value; }
    void storeMediaMode(DWORD value) { m_mediaMode = value; }
    void storeBegan(const QDateTime& value) { m_began = value; }
    void storeConnected(const QDateTime& value) { m_connected = value; }
    void storeDisconnected(const QDateTime& value) { m_disconnected = value; }
    void storeOriginatingApp(const QString& value) { m_originatingApp = value; }

    // Ends a listed call: forced, or when its record is idle; fires OnCallEnd.
    bool EndCall(bool forced, HCALL handle);
    // Forgets the call data and the party IDs (not the list).
    void ClearCallData();
    // What Dial clears before a new call.
    void ResetProperties();
    // Forgets the five party IDs, so that the next call's are announced afresh.
    void ResetParties();
    bool RefreshCallStatus(bool keepState);
    void SaveCallState(HCALL handle);
    void LoadCallState(HCALL handle);
    void SelectNextCall();
    void refreshViews();

    // The gathering and monitoring settings in a record, and back.
    void SaveDetection(TnvCallRecord& record) const;
    void LoadDetection(const TnvCallRecord& record);
    // A call just created or taken up: its record gets the settings with every service
    // off; SwitchOffDetection does the same to the visible objects.
    void SeedDetection(TnvCallRecord& record) const;
    void SwitchOffDetection();
    // A call this application owns became connected (everything switched on for it) or
    // proceeds outbound (media monitoring only).
    void RearmDetection(HCALL handle, bool media, bool others);
    bool LogDetection(const QString& prefix, const QString& indent);


    QString hex(HCALL handle) const;

    TnvLineContext* m_line;
    TnvCallParameters* m_parameters;
    std::array<TnvCallerID*, TnvCallerID::PartyCount> m_parties{};
    TnvGatherDigits* m_gatherDigits;
    TnvMonitorDigits* m_monitorDigits;
    TnvMonitorMediaModes* m_monitorMediaModes;
    TnvMonitorSilence* m_monitorSilence;

    bool m_active = false;
    qint32 m_address = 0;
    DWORD m_bearerMode = 0;
    QDateTime m_began;
    DWORD m_busyMode = 0;
    QDateTime m_connected;
    DWORD m_dialtoneMode = 0;
    QDateTime m_disconnected;
    DWORD m_disconnectMode = 0;
    QDateTime m_ended;
    DWORD m_features = 0;
    DWORD m_features2 = 0;
    HCALL m_handle = 0;
    DWORD m_id = 0;
    DWORD m_mediaMode = 0;
    qint32 m_monitors = 0;
    DWORD m_origin = 0;
    QString m_originatingApp;
    bool m_owner = false;
    qint32 m_owners = 0;
    QString m_phoneNumber;
    DWORD m_reason = 0;
    DWORD m_specialInfo = 0;
    DWORD m_state = 0;
    DWORD m_stateMode = 0;
    qint32 m_tag = 0;
};
