#pragma once

// Everything the line control does behind its published face: one usage handle of the
// telephony service, the list of line devices, at most one open line and the calls on
// it, the dispatch of the service's messages and the waits for its replies. It is the
// context every sub-object works through; TnvLine holds one and forwards to it.

#include "TnvCallRecords.h"
#include "TnvLineDispatch.h"
#include "TnvLineContext.h"

#include <TapiStructs.h>

#include <QByteArray>
#include <QList>
#include <QObject>

#include <memory>

class TnvLine;
class TnvLineView;
class TnvPopup;
class TnvPrivilege;
class TnvRelatedCommDevice;
class TnvRelatedPhoneDevice;
class TnvRelatedWaveDevice;
class TnvTerminal;
class TnvTransfer;

class TnvLinePrivate : public QObject, public TnvLineContext {
    Q_OBJECT

public:
    explicit TnvLinePrivate(TnvLine* q);
    ~TnvLinePrivate() override;

    static TnvLinePrivate* get(TnvLine* line);

    // Closes the line and the usage handle and the inspector window; the control's
    // destructor calls it while everything still lives.
    void shutdown();

    // --- TnvLineContext ---
    TnvSharedControl* control() const override;
    TnvError* Error() const override;
    TnvLog* Log() const override;
    TnvVantage* Vantage() const override;
    bool ReportResult(bool warning, qint32 code) override;
    void restoreError(qint32 code) override;
    void write(bool stamped, const QString& text) override;
    TnvLineView* view() const override;
    void fireCallEvent(TnvPopup::Event event, HCALL handle) override;
    bool WaitForReply(const qint32& slot) override;
    bool waitUntil(const std::function<bool()>& done) override;
    void holdCallMessages(const HCALL* handle) override { m_dispatch->holdCall(handle); }
    void releaseCallMessages(const HCALL* handle) override { m_dispatch->releaseCall(handle); }
    bool Initialised() const override { return m_initialised; }
    TnvLineLine* Line() const override { return m_line; }
    TnvTAPI* TAPI() const override { return m_tapi; }
    TnvLineDevice* Device() const override { return m_device; }
    TnvAddress* Address() const override { return m_address; }
    TnvCall* Call() const override { return m_call; }
    TnvCallRecords& records() override { return m_records; }
    TnvCallOperations& operations() override { return *m_operations; }
    TnvCallActions& actions() override;
    TnvConference* Conference() const override { return m_conference; }
    TnvTransfer* Transfer() const override { return m_transfer; }
    TnvRelatedCommDevice* Comm() const override { return m_comm; }
    TnvTerminal* Terminal() const override { return m_terminal; }
    TnvPopup* Popup() const override { return m_popup; }
    TnvLineEventSet& events() override;
    void noteReply(qint32 request, qint32 result) override;
    bool CloseLine(bool closedByTapi) override;
    LONG DeallocateCall(HCALL call) override;
    void refreshAfterDeviceChange() override;
    bool DigitsGenerated() const override { return m_digitsGenerated; }
    DWORD addressID() const override;
    DWORD addressRingsNoAnswer() const override;
    HCALL callHandle() const override;
    bool callActive() const override;
    LONG ReadDevCaps(DWORD device, QByteArray& block) override;
    LONG ReadAddressCaps(DWORD address, QByteArray& block) override;
    void ReadLineDevStatus() override;
    void ReadAddressStatus() override;
    LONG RefreshCallInfo(HCALL handle, DWORD mask) override;
    TnvTapiBuffer::Remembered& rememberedRead(TnvTapiBuffer::Kind kind) override { return m_reads[kind]; }
    bool GetRelatedDeviceID(const QString& deviceClass, DWORD handle, DWORD* value) override;
    QString StripPhoneFormatting(const QString& number) const override;
    void assignDeviceClass(const QString& name, const QString& value, QString& deviceClass) override;
    bool Configure() override;
    void setDeviceActive(bool value) override;
    void setDeviceID(int value) override;
    void setIdleDelay(int value) override;
    void setDigitsGenerated(bool value) override { m_digitsGenerated = value; }

    // --- What TnvLine forwards ---
    TnvRelatedPhoneDevice* Phone() const { return m_phone; }
    TnvPrivilege* Privilege() const { return m_privilege; }
    TnvRelatedWaveDevice* WavePlay() const { return m_wavePlay; }
    TnvRelatedWaveDevice* WaveRecord() const { return m_waveRecord; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    void BeginLoading();
    void Loaded();
    bool Loading() const { return m_loading; }
    bool SetLocation();
    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);
    bool popupOnError() const;

    // --- The control's own steps ---
    LONG InitializeTAPI();
    LONG ShutdownTAPI();
    void ReadDeviceInfo();
    void ResetState();
    bool OpenLine(DWORD mediaModes);

    // The instance value given to lineOpen: names this control to the callback.
    DWORD callbackInstance() const { return m_instance; }
    // Delivers one message of the service to the control it names (if it still lives).
    static void LineCallback(DWORD hDevice, DWORD message, DWORD instance, DWORD param1, DWORD param2, DWORD param3);

    // The last Device.Active request of any line control in the process, which Loaded
    // repeats for a control stored as enabled.
    static bool rememberedActiveRequest();
    static void setRememberedActiveRequest(bool value);
    // How many service messages are being handled one inside another right now.
    static int messageDepth() { return TnvLineDispatch::messageDepth(); }
    // Which entry point the last initialisation used (tests of the fallback).
    bool usedInitializeEx() const { return m_usedInitializeEx; }

    // The call object's bookkeeping, for the tests of its rules.
    bool endCall(bool forced, HCALL handle);
    bool logDetection(const QString& prefix, const QString& indent);
    void setCallActiveState(bool value);

private:
    void storeDevCaps(const QByteArray& block);

    TnvLine* q;
    TnvCallRecords m_records;
    TnvAddress* m_address;
    TnvCall* m_call;
    std::unique_ptr<TnvCallOperations> m_operations;
    std::unique_ptr<TnvLineDispatch> m_dispatch;
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
    // Replies that arrived while waits were running, for waits whose slot was reused.
    struct Answer {
        qint32 request;
        qint32 result;
    };
    QList<Answer> m_answered;
    TnvTapiBuffer::Remembered m_reads[TnvTapiBuffer::KindCount];
    int m_waitDepth = 0;
    // Counts the line's closes, so a reply wait sees its line go away under it.
    quint64 m_closes = 0;
    DWORD m_instance = 0;
    bool m_enabled = false;
    bool m_initialised = false;
    bool m_loading = false;
    bool m_usedInitializeEx = false;
    bool m_digitsGenerated = false;
};
