#include "TnvLine.h"

#include "TnvLinePrivate.h"

#include <TnvResultTexts.h>

TnvLine::TnvLine(QObject* owner)
    : TnvSharedControl(owner)
    , d(std::make_unique<TnvLinePrivate>(this))
{
}

TnvLine::~TnvLine()
{
    d->shutdown();
}

TnvAddress* TnvLine::Address() const { return d->Address(); }
TnvCall* TnvLine::Call() const { return d->Call(); }
TnvRelatedCommDevice* TnvLine::Comm() const { return d->Comm(); }
TnvConference* TnvLine::Conference() const { return d->Conference(); }
TnvLineDevice* TnvLine::Device() const { return d->Device(); }
TnvLineLine* TnvLine::Line() const { return d->Line(); }
TnvRelatedPhoneDevice* TnvLine::Phone() const { return d->Phone(); }
TnvPopup* TnvLine::Popup() const { return d->Popup(); }
TnvPrivilege* TnvLine::Privilege() const { return d->Privilege(); }
TnvTAPI* TnvLine::TAPI() const { return d->TAPI(); }
TnvTerminal* TnvLine::Terminal() const { return d->Terminal(); }
TnvTransfer* TnvLine::Transfer() const { return d->Transfer(); }
TnvRelatedWaveDevice* TnvLine::WavePlay() const { return d->WavePlay(); }
TnvRelatedWaveDevice* TnvLine::WaveRecord() const { return d->WaveRecord(); }

bool TnvLine::Enabled() const { return d->Enabled(); }
void TnvLine::setEnabled(bool value) { d->setEnabled(value); }
bool TnvLine::Initialised() const { return d->Initialised(); }
void TnvLine::BeginLoading() { d->BeginLoading(); }
void TnvLine::Loaded() { d->Loaded(); }
bool TnvLine::Loading() const { return d->Loading(); }
bool TnvLine::Configure() { return d->Configure(); }
bool TnvLine::SetLocation() { return d->SetLocation(); }

QString TnvLine::StripPhoneFormatting(const QString& number) const
{
    return d->StripPhoneFormatting(number);
}

bool TnvLine::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    return d->LogProperties(header, prefix, indent);
}

QString TnvLine::resultText(qint32 code) const
{
    return LineErrorText(code);
}

bool TnvLine::popupOnError() const
{
    return d->popupOnError();
}
