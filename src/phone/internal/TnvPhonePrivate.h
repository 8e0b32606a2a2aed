#pragma once

// Everything the phone control does behind its published face: one usage handle of the
// telephony service for phones, the list of phone devices, at most one open phone, the
// dispatch of the service's messages and the waits for its replies. TnvPhone holds one
// and forwards to it; the sub-objects work through it.

#include "TnvPhonePopup.h"

#include <TapiConstants.h>
#include <TapiStructs.h>
#include <TnvStructBuffer.h>
#include <TnvTypes.h>

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class TnvError;
class TnvHookSwitchDevice;
class TnvLog;
class TnvPhone;
class TnvPhoneConnection;
class TnvPhoneDevice;
class TnvPhonePrivilege;
class TnvPhoneRelatedDevice;
class TnvPhoneView;
class TnvTAPI;
class TnvVantage;
struct TnvPhoneEventSet;

class TnvPhonePrivate : public QObject {
    Q_OBJECT

public:
    // The error of a reply that did not come in time.
    static constexpr qint32 ReplyTimeoutCode = -3;
    // The phone states, button modes and button states asked for once the phone is open.
    static constexpr DWORD AllPhoneStates = 0xFFFFFF;
    static constexpr DWORD AllButtonModes = 62;
    static constexpr DWORD AllButtonStates = 3;
    // How the phone functions say that a structure needs a larger block.
    static constexpr TnvStructBuffer::Codes BufferCodes{LONG(PHONEERR_STRUCTURETOOSMALL), LONG(PHONEERR_NOMEM)};

    explicit TnvPhonePrivate(TnvPhone* q);
    ~TnvPhonePrivate() override;

    static TnvPhonePrivate* get(TnvPhone* phone);

    // Closes the phone, the usage handle and the inspector window; the control's
    // destructor calls it while everything still lives.
    void shutdown();

    // --- Reporting, the trace and the window ---
    TnvPhone* control() const { return q; }
    TnvError* Error() const;
    TnvLog* Log() const;
    TnvVantage* Vantage() const;
    bool ReportResult(bool warning, qint32 code);
    void write(bool stamped, const QString& text);
    TnvPhoneView* view() const;
    void refreshHookSwitches();
    void refreshInfo();
    // After Device.Active or Device.ID changed: button, device list, pages and info.
    void refreshAfterDeviceChange();
    TnvPhoneEventSet& events();

    // --- Sub-objects and state ---
    TnvPhoneDevice* Device() const { return m_device; }
    TnvPhoneConnection* Connection() const { return m_connection; }
    TnvHookSwitchDevice* Handset() const { return m_handset; }
    TnvHookSwitchDevice* Speakerphone() const { return m_speakerphone; }
    TnvHookSwitchDevice* Headset() const { return m_headset; }
    TnvPhoneRelatedDevice* Line() const { return m_lineDevice; }
    TnvPhoneRelatedDevice* WavePlay() const { return m_wavePlay; }
    TnvPhoneRelatedDevice* WaveRecord() const { return m_waveRecord; }
    TnvPhonePopup* Popup() const { return m_popup; }
    TnvPhonePrivilege* Privilege() const { return m_privilege; }
    TnvTAPI* TAPI() const { return m_tapi; }
    bool Initialised() const { return m_initialised; }
    quint32 RingVolume() const { return m_ringVolume; }

    // --- What TnvPhone forwards ---
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    void BeginLoading();
    void Loaded();
    bool Loading() const { return m_loading; }
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);
    bool popupOnError() const;

    // --- The control's own steps ---
    LONG InitializeTAPI();
    LONG ShutdownTAPI();
    // Lists the devices (when the list is empty) and reads the selected one's capabilities.
    void ReadDeviceInfo();
    // Forgets everything learnt from the devices after the service was shut down.
    void ResetState();
    void setDeviceActive(bool value);
    bool OpenPhone();
    // closedByService: the service closed the phone already (PHONE_CLOSE).
    bool ClosePhone(bool closedByService);
    void setDeviceID(int value);
    bool Configure();
    // A related device's class: writes "<name>.DeviceClass := \"value\"", refuses the
    // change while the phone is open, and shows the result.
    void assignDeviceClass(const QString& name, const QString& value, QString& deviceClass);
    // The related device's identifier for a device class on the open phone; false when
    // the service names none.
    bool GetRelatedDeviceID(const QString& deviceClass, DWORD* value);

    // Sends one asynchronous request (send gives the service's answer), keeps its
    // identifier in slot and waits for the reply. The result: 0 on success, otherwise the
    // code that was reported (the call's own error, the reply's error, -3 when no reply
    // came in time, PHONEERR_INVALPHONEHANDLE when the service closed the phone meanwhile).
    qint32 runRequest(qint32& slot, const std::function<LONG()>& send);
    // Blocks in the event loop until the predicate holds or the reply time-out passes;
    // false on the time-out.
    bool waitUntil(const std::function<bool()>& done);

    // The instance value given to phoneOpen: names this control to the callback.
    DWORD callbackInstance() const { return m_instance; }
    // Delivers one message of the service to the control it names (if it still lives).
    static void PhoneCallback(DWORD hDevice, DWORD message, DWORD instance, DWORD param1, DWORD param2, DWORD param3);
    // How many service messages are being handled one inside another right now.
    static int messageDepth();
    // Which entry point the last initialisation used (tests of the fallback).
    bool usedInitializeEx() const { return m_usedInitializeEx; }

private:
    void handleMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3);
    void writeMessageDump(const QString& title, DWORD hDevice, DWORD message, DWORD param1, DWORD param2,
                          DWORD param3);
    void onButton(DWORD key, DWORD mode, DWORD state);
    void onDevSpecific(DWORD hDevice, DWORD param1, DWORD param2, DWORD param3);
    void onReply(DWORD hDevice, DWORD request, DWORD result, DWORD param3);
    void onPhoneState(DWORD state, DWORD details);
    void onPhoneClosed(DWORD hDevice);
    LONG ReadDevCaps(DWORD device, DWORD version, QByteArray& block);
    void storeDevCaps(const QByteArray& block);
    void ReadStatus();
    void lookUpRelatedDevices();
    void clearDeviceData();
    void clearSlots();

    TnvPhone* q;
    TnvPhoneDevice* m_device;
    TnvPhoneConnection* m_connection;
    TnvHookSwitchDevice* m_handset;
    TnvHookSwitchDevice* m_speakerphone;
    TnvHookSwitchDevice* m_headset;
    TnvPhoneRelatedDevice* m_lineDevice;
    TnvPhoneRelatedDevice* m_wavePlay;
    TnvPhoneRelatedDevice* m_waveRecord;
    TnvPhonePopup* m_popup;
    TnvPhonePrivilege* m_privilege;
    TnvTAPI* m_tapi;
    // Replies that arrived while waits were running: a nested request may reuse a slot,
    // so each wait looks for its own request identifier here.
    struct Answer {
        qint32 request;
        qint32 result;
    };
    QList<Answer> m_answered;
    int m_waitDepth = 0;
    DWORD m_instance = 0;
    quint32 m_ringVolume = 0;
    bool m_enabled = false;
    bool m_initialised = false;
    bool m_loading = false;
    bool m_usedInitializeEx = false;
};
