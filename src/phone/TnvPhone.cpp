#include "TnvPhone.h"

#include "TnvPhonePrivate.h"

#include <TnvResultTexts.h>

TnvPhone::TnvPhone(QObject* owner)
    : TnvSharedControl(owner)
    , d(std::make_unique<TnvPhonePrivate>(this))
{
}

TnvPhone::~TnvPhone()
{
    d->shutdown();
}

TnvPhoneDevice* TnvPhone::Device() const { return d->Device(); }
TnvHookSwitchDevice* TnvPhone::Handset() const { return d->Handset(); }
TnvHookSwitchDevice* TnvPhone::Speakerphone() const { return d->Speakerphone(); }
TnvHookSwitchDevice* TnvPhone::Headset() const { return d->Headset(); }
TnvPhoneRelatedDevice* TnvPhone::Line() const { return d->Line(); }
TnvPhoneRelatedDevice* TnvPhone::WavePlay() const { return d->WavePlay(); }
TnvPhoneRelatedDevice* TnvPhone::WaveRecord() const { return d->WaveRecord(); }
TnvPhonePopup* TnvPhone::Popup() const { return d->Popup(); }
TnvPhonePrivilege* TnvPhone::Privilege() const { return d->Privilege(); }
TnvTAPI* TnvPhone::TAPI() const { return d->TAPI(); }
TnvPhoneConnection* TnvPhone::Phone() const { return d->Connection(); }

bool TnvPhone::Enabled() const { return d->Enabled(); }
void TnvPhone::setEnabled(bool value) { d->setEnabled(value); }
bool TnvPhone::Initialised() const { return d->Initialised(); }
int TnvPhone::RingVolume() const { return int(d->RingVolume()); }
void TnvPhone::BeginLoading() { d->BeginLoading(); }
void TnvPhone::Loaded() { d->Loaded(); }
bool TnvPhone::Loading() const { return d->Loading(); }

bool TnvPhone::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    return d->LogProperties(header, prefix, indent);
}

QString TnvPhone::resultText(qint32 code) const
{
    return PhoneErrorText(code);
}

bool TnvPhone::popupOnError() const
{
    return d->popupOnError();
}
