#pragma once

// The phone control TnvPhone: one telephony usage handle for phones, the machine's phone
// devices and at most one open phone, whose handset, speakerphone and headset are
// switched between their hook-switch modes and whose volumes and gains are set and read.
// The service's messages become the events below; every change is written to the trace.

#include "TnvHookSwitchDevice.h"
#include "TnvPhoneConnection.h"
#include "TnvPhoneDevice.h"
#include "TnvPhoneEvents.h"
#include "TnvPhonePopup.h"
#include "TnvPhonePrivilege.h"
#include "TnvPhoneRelatedDevice.h"

#include <TnvSharedControl.h>
#include <TnvTAPI.h>

#include <memory>

class TnvPhonePrivate;

class TnvPhone : public TnvSharedControl, public TnvPhoneEventSet {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(TnvPhoneDevice* Device READ Device CONSTANT)
    Q_PROPERTY(TnvHookSwitchDevice* Handset READ Handset CONSTANT STORED false)
    Q_PROPERTY(TnvHookSwitchDevice* Speakerphone READ Speakerphone CONSTANT STORED false)
    Q_PROPERTY(TnvHookSwitchDevice* Headset READ Headset CONSTANT STORED false)
    Q_PROPERTY(TnvPhoneRelatedDevice* Line READ Line CONSTANT)
    Q_PROPERTY(TnvPhoneRelatedDevice* WavePlay READ WavePlay CONSTANT)
    Q_PROPERTY(TnvPhoneRelatedDevice* WaveRecord READ WaveRecord CONSTANT)
    Q_PROPERTY(TnvPhonePopup* Popup READ Popup CONSTANT)
    Q_PROPERTY(TnvPhonePrivilege* Privilege READ Privilege CONSTANT)
    Q_PROPERTY(TnvTAPI* TAPI READ TAPI CONSTANT)
    Q_PROPERTY(TnvPhoneConnection* Phone READ Phone CONSTANT STORED false)

public:
    explicit TnvPhone(QObject* owner = nullptr);
    ~TnvPhone() override;

    TnvPhoneDevice* Device() const;
    TnvHookSwitchDevice* Handset() const;
    TnvHookSwitchDevice* Speakerphone() const;
    TnvHookSwitchDevice* Headset() const;
    TnvPhoneRelatedDevice* Line() const;
    TnvPhoneRelatedDevice* WavePlay() const;
    TnvPhoneRelatedDevice* WaveRecord() const;
    TnvPhonePopup* Popup() const;
    TnvPhonePrivilege* Privilege() const;
    TnvTAPI* TAPI() const;
    // The service handles (usage and open phone).
    TnvPhoneConnection* Phone() const;

    // True initialises the service for phones and lists the devices; False shuts it down.
    bool Enabled() const override;
    void setEnabled(bool value) override;
    // Whether the telephony service is initialised for this control.
    bool Initialised() const;
    // The phone's ring volume (0 to 100), read when the device opens.
    int RingVolume() const;

    // Stored settings are applied between BeginLoading and Loaded; meanwhile Enabled only
    // records its value, so the service is initialised once, by Loaded.
    void BeginLoading();
    void Loaded();
    bool Loading() const;

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent) override;

protected:
    QString resultText(qint32 code) const override;
    bool popupOnError() const override;

private:
    friend class TnvPhonePrivate;
    std::unique_ptr<TnvPhonePrivate> d;
};
