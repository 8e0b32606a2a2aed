#include "TnvPlay.h"

#include "TnvPlayPrivate.h"
#include "TnvPlayView.h"

#include <TnvVantage.h>

TnvPlay::TnvPlay(QObject* owner)
    : TnvWaveControl(ckPlay, owner)
    , d(std::make_unique<TnvPlayPrivate>(this))
{
    d->fillDeviceList();
}

TnvPlay::~TnvPlay()
{
    d->shutdown();
}

TnvPlayDevice* TnvPlay::Device() const
{
    return d->Device();
}

TnvPlayPosition* TnvPlay::Position() const
{
    return d->Position();
}

TnvPlayVolume* TnvPlay::Volume() const
{
    return d->Volume();
}

TnvPlayTimer* TnvPlay::Timer() const
{
    return d->Timer();
}

TnvPlayPopup* TnvPlay::Popup() const
{
    return d->Popup();
}

bool TnvPlay::Enabled() const
{
    return d->Enabled();
}

void TnvPlay::setEnabled(bool value)
{
    d->setEnabled(value);
}

bool TnvPlay::deviceActive() const
{
    return d->Device()->Active();
}

void TnvPlay::assignSourceFileName(const QString& name)
{
    d->setSourceFileName(name);
}

void TnvPlay::revalidateSource()
{
    d->revalidateSource();
}

void TnvPlay::refreshSource()
{
    if (TnvPlayView* view = d->view()) {
        view->RefreshSourceFile();
        view->RefreshFormat();
        view->RefreshBuffer();
    }
}

bool TnvPlay::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    if (!Log()->Active())
        return false;
    Log()->BeginUpdate();
    TnvWaveControl::LogProperties(header, prefix, indent);
    d->Device()->LogProperties(QString(), prefix, indent);
    d->Popup()->LogProperties(QString(), prefix, indent);
    d->Position()->LogProperties(QString(), prefix, indent);
    d->Timer()->LogProperties(QString(), prefix, indent);
    d->Volume()->LogProperties(QString(), prefix, indent);
    Log()->EndUpdate();
    return true;
}

bool TnvPlay::popupOnError() const
{
    return d->Popup()->OnError();
}

bool TnvPlay::popupOnWarning() const
{
    return d->Popup()->OnWarning();
}

bool TnvPlay::vantageOpensOnLog() const
{
    return Source()->Valid();
}
