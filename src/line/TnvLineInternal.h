#pragma once

// All behaviour of the line control: one usage handle of the telephony service, the list
// of line devices, at most one open line and the calls on it, every change written to the
// trace log. TnvLine derives from it and only publishes properties and events.

#include "TnvLineEvents.h"

#include <TapiStructs.h>
#include <TnvSharedControl.h>

#include <QByteArray>
#include <QTimer>

class TnvAddress;
struct TnvCallRecord;
class TnvCall;
class TnvConference;
class TnvLineDevice;
class TnvLineLine;
class TnvLineView;
class TnvPopup;
class TnvPrivilege;
class TnvRelatedCommDevice;
class TnvRelatedPhoneDevice;
class TnvRelatedWaveDevice;
class TnvTAPI;
class TnvTerminal;
class TnvTransfer;

class TnvLineInternal : public TnvSharedControl {
    Q_OBJECT

public:
    explicit TnvLineInternal(QObject* owner = nullptr);
    ~TnvLineInternal() override;

    // Sub-objects, owned; each lives as long as the control.
    TnvAddress* Address() const { return m_address; }
    TnvCall* Call() const { return m_call; }
    TnvRelatedCommDevice* Comm() const { return m_comm; }
    TnvConference* Conference() const { return m_conference; }
    TnvLineDevice* Device() const { return m_device; }
    TnvLineLine* Line() const { return m_line; }
    TnvRelatedPhoneDevice* Phone() const { return m_phone; }
    TnvPopup* Popup() const { return m_popup; }
    TnvPrivilege* Privilege() const { return m_privilege; }
    TnvTAPI* TAPI() const { return m_tapi; }
    TnvTerminal* Terminal() const { return m_terminal; }
    TnvTransfer* Transfer() const { return m_transfer; }
    TnvRelatedWaveDevice* WavePlay() const { return m_wavePlay; }
    TnvRelatedWaveDevice* WaveRecord() const { return m_waveRecord; }

    // Enabled and EnabledControl are one value under two names.
    bool Enabled() const override { return m_enabled; }
    void setEnabled(bool value) override;
    bool Initialised() const { return m_initialised; }

    // Stored settings are applied between BeginLoading and Loaded; meanwhile Enabled only
    // records its value, so the service is initialised once, by Loaded.
    void BeginLoading();
    void Loaded();
    bool Loading() const { return m_loading; }

    bool Configure();
    bool SetLocation();
    QString StripPhoneFormatting(const QString& number) const;
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent) override;

    // Operations the sub-objects use.
    LONG InitializeTAPI();
    LONG ShutdownTAPI();
    void ReadDeviceInfo();
    void ResetState();
    bool OpenLine(DWORD mediaModes);
    bool CloseLine(bool closedByTapi);
    LONG DeallocateCall(HCALL call);
    void setDeviceActive(bool value);
    void setDeviceID(int value);
    void setIdleDelay(int value);
    // Growing-buffer reads of the structures; block receives the whole structure.
    LONG ReadDevCaps(DWORD device, QByteArray& block);
    LONG ReadAddressCaps(DWORD address, QByteArray& block);
    void ReadLineDevStatus();
    void ReadAddressStatus();
    // Pumps the event loop until the slot is marked replied (-1); true when it timed out.
    bool WaitForReply(const qint32& slot);
    // The error of a reply that did not come in time.
    static constexpr qint32 ReplyTimeoutCode = -3;
    // The device ID (or comm handle) of a device class for a line or call handle.
    bool GetRelatedDeviceID(const QString& deviceClass, DWORD handle, DWORD* value);
    // The open inspector window, as far as it follows the line; null without one.
    TnvLineView* view() const;

    // A related device's class: writes "<name>.DeviceClass := \"value\"", refuses the
    // change while the line is open, and shows the result.
    void assignDeviceClass(const QString& name, const QString& value, QString& deviceClass);

    // Every trace line goes through here, as does every event of the control.
    void write(bool stamped, const QString& text);

    // The instance value given to lineOpen: names this control to the callback.
    DWORD callbackInstance() const { return m_instance; }
    // Delivers one message of the service to the control it names (if it still lives).
    static void LineCallback(DWORD hDevice, DWORD message, DWORD instance, DWORD param1, DWORD param2, DWORD param3);

    // The last Device.Active request of any line control in the process, which Loaded
    // repeats for a control stored as enabled.
    static bool rememberedActiveRequest();
    static void setRememberedActiveRequest(bool value);

    // Which entry point the last initialisation used (tests of the fallback).
    bool usedInitializeEx() const { return m_usedInitializeEx; }

    // The call-information refresh of one call; mask selects the party IDs refilled.
    LONG RefreshCallInfo(HCALL handle, DWORD mask);
    // Whether the last generation was digits (LINE_GENERATE then means digits sent).
    bool DigitsGenerated() const { return m_digitsGenerated; }
    void setDigitsGenerated(bool value) { m_digitsGenerated = value; }

    // Fires a call event: the handler while Vantage.Events is on, then the popup rule.
    void fireCallEvent(const char* name, HCALL handle);

    // The events of the line control.
    TNV_AddressNotifyEvent OnAddressForward;
    TNV_AddressStateEvent OnAddressState;
    TNV_CallNotifyEvent OnBusy;
    TNV_CallNotifyEvent OnCallBegin;
    TNV_CallNotifyEvent OnCallEnd;
    TNV_CallNotifyEvent OnCallerID;
    TNV_CallNotifyEvent OnCalledID;
    TNV_CallNotifyEvent OnConnectedID;
    TNV_CallNotifyEvent OnRedirectionID;
    TNV_CallNotifyEvent OnRedirectingID;
    TNV_CallInfoEvent OnCallInfo;
    TNV_CallNotifyEvent OnCallMediaModeChange;
    TNV_CallNotifyEvent OnCallOwnerChange;
    TNV_CallStateEvent OnCallState;
    TNV_CallNotifyEvent OnConferenced;
    TNV_CallNotifyEvent OnConnected;
    TNV_DevSpecific OnDevSpecific;
    TNV_DevSpecific OnDevSpecificFeature;
    TNV_CallNotifyEvent OnDialing;
    TNV_CallNotifyEvent OnDialtone;
    TNV_ProcDigitReceived OnDigitReceived;
    TNV_ProcDigitsGathered OnDigitsGathered;
    TNV_CallNotifyEvent OnDigitsSent;
    TNV_CallNotifyEvent OnDisconnected;
    TNV_CallNotifyEvent OnHold;
    TNV_CallNotifyEvent OnHoldPendingConference;
    TNV_CallNotifyEvent OnHoldPendingTransfer;
    TNV_CallNotifyEvent OnIdle;
    TNV_LineStateEvent OnLineState;
    TNV_NotifyEvent OnMessageOff;
    TNV_NotifyEvent OnMessageOn;
    TNV_CallNotifyEvent OnOffering;
    TNV_CallNotifyEvent OnProceeding;
    TNV_ProcDeviceStateCount OnRing;
    TNV_CallNotifyEvent OnRingBack;
    TNV_CallNotifyEvent OnSilence;
    TNV_CallNotifyEvent OnSpecialInfo;
    TNV_TAPIMessageEvent OnTAPIMessage;
    TNV_TAPIReplyEvent OnTAPIReply;
    TNV_CallNotifyEvent OnToneSent;

protected:
    QString resultText(qint32 code) const override;
    bool popupOnError() const override;

    // The record of a call the control learns of, created (with OnCallBegin) if new.
    TnvCallRecord* BeginCall(HCALL handle);

private:
    void handleMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3);
    void writeMessageBlock(const QString& title, DWORD hDevice, DWORD message, DWORD param1, DWORD param2,
                           DWORD param3);
    void onReply(DWORD request, DWORD result, DWORD param3);
    void onAddressState(DWORD address, DWORD state);
    void onCallInfo(HCALL handle, DWORD states);
    void onCallState(HCALL handle, DWORD state, DWORD mode, DWORD privilege);
    void onIdleTimer();
    void onLineState(DWORD state, DWORD param2, DWORD param3);
    void onDigitsGathered(HCALL handle, DWORD termination);
    void onDigitReceived(HCALL handle, DWORD digit);
    void onMediaMode(HCALL handle, DWORD mediaMode);
    void storeDevCaps(const QByteArray& block);
    void refreshAfterDeviceChange();

    TnvAddress* m_address;
    TnvCall* m_call;
    TnvConference* m_conference;
    TnvRelatedCommDevice* m_comm;
    TnvLineDevice* m_device;
    TnvLineLine* m_line;
    TnvRelatedPhoneDevice* m_phone;
    TnvPopup* m_popup;
    TnvPrivilege* m_privilege;
    TnvTAPI* m_tapi;
    TnvTerminal* m_terminal;
    TnvTransfer* m_transfer;
    TnvRelatedWaveDevice* m_wavePlay;
    TnvRelatedWaveDevice* m_waveRecord;
    QTimer m_idleTimer;
    // Replies that arrived while waits were running, for waits whose slot was reused.
    struct Answer {
        qint32 request;
        qint32 result;
    };
    QList<Answer> m_answered;
    int m_waitDepth = 0;
    QByteArray m_devSpecific;
    DWORD m_instance = 0;
    bool m_enabled = false;
    bool m_initialised = false;
    bool m_loading = false;
    bool m_usedInitializeEx = false;
    bool m_digitsGenerated = false;
};
