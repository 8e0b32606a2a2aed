#pragma once

// The line control TnvLine: one telephony usage handle, the machine's line devices, at
// most one open line and every call on it. Settings are sub-objects published by their
// dotted names (Device.ID, Call.PhoneNumber, ...) and its operations are invokable by
// name (Call.Dial), so tools can drive it without a table of their own; the service's
// messages become the events below; every change is written to the trace log.

#include "TnvAddress.h"
#include "TnvCall.h"
#include "TnvConference.h"
#include "TnvLineDevice.h"
#include "TnvLineEvents.h"
#include "TnvLineLine.h"
#include "TnvPopup.h"
#include "TnvPrivilege.h"
#include "TnvRelatedCommDevice.h"
#include "TnvRelatedPhoneDevice.h"
#include "TnvRelatedWaveDevice.h"
#include "TnvTerminal.h"
#include "TnvTransfer.h"

#include <TnvSharedControl.h>
#include <TnvTAPI.h>

#include <memory>

class TnvLinePrivate;

class TnvLine : public TnvSharedControl, public TnvLineEventSet {
    Q_OBJECT
    Q_PROPERTY(TnvAddress* Address READ Address CONSTANT)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool EnabledControl READ Enabled WRITE setEnabled STORED false)
    Q_PROPERTY(TnvCall* Call READ Call CONSTANT)
    Q_PROPERTY(TnvRelatedCommDevice* Comm READ Comm CONSTANT)
    Q_PROPERTY(TnvConference* Conference READ Conference CONSTANT)
    Q_PROPERTY(TnvLineDevice* Device READ Device CONSTANT)
    Q_PROPERTY(TnvRelatedPhoneDevice* Phone READ Phone CONSTANT)
    Q_PROPERTY(TnvPrivilege* Privilege READ Privilege CONSTANT)
    Q_PROPERTY(TnvTAPI* TAPI READ TAPI CONSTANT)
    Q_PROPERTY(TnvTransfer* Transfer READ Transfer CONSTANT)
    Q_PROPERTY(TnvRelatedWaveDevice* WavePlay READ WavePlay CONSTANT)
    Q_PROPERTY(TnvRelatedWaveDevice* WaveRecord READ WaveRecord CONSTANT)
    Q_PROPERTY(TnvLineLine* Line READ Line CONSTANT STORED false)
    Q_PROPERTY(TnvTerminal* Terminal READ Terminal CONSTANT STORED false)
    Q_PROPERTY(TnvPopup* Popup READ Popup CONSTANT STORED false)

public:
    explicit TnvLine(QObject* owner = nullptr);
    ~TnvLine() override;

    TnvAddress* Address() const;
    TnvCall* Call() const;
    TnvRelatedCommDevice* Comm() const;
    TnvConference* Conference() const;
    TnvLineDevice* Device() const;
    TnvLineLine* Line() const;
    TnvRelatedPhoneDevice* Phone() const;
    TnvPopup* Popup() const;
    TnvPrivilege* Privilege() const;
    TnvTAPI* TAPI() const;
    TnvTerminal* Terminal() const;
    TnvTransfer* Transfer() const;
    TnvRelatedWaveDevice* WavePlay() const;
    TnvRelatedWaveDevice* WaveRecord() const;

    // Enabled and EnabledControl are one value under two names.
    bool Enabled() const override;
    void setEnabled(bool value) override;
    // Whether the telephony service is initialised for this control.
    bool Initialised() const;

    // Stored settings are applied between BeginLoading and Loaded; meanwhile Enabled only
    // records its value, so the service is initialised once, by Loaded.
    void BeginLoading();
    void Loaded();
    bool Loading() const;

    // The line device's configuration dialog and the dialing-location dialog.
    Q_INVOKABLE bool Configure();
    Q_INVOKABLE bool SetLocation();
    // A phone number without the formatting characters the device does not dial.
    QString StripPhoneFormatting(const QString& number) const;
    Q_INVOKABLE bool LogProperties(const QString& header, const QString& prefix, const QString& indent) override;

protected:
    QString resultText(qint32 code) const override;
    bool popupOnError() const override;

private:
    friend class TnvLinePrivate;
    std::unique_ptr<TnvLinePrivate> d;
};
