#include "TnvRecord.h"

#include "TnvRecordPrivate.h"
#include "TnvRecordView.h"

#include <TnvVantage.h>

TnvRecord::TnvRecord(QObject* owner)
    : TnvWaveControl(ckRecord, owner, true)
    , d(std::make_unique<TnvRecordPrivate>(this))
{
    // Telephone-quality PCM until told otherwise; assigned quietly, as a stored value.
    Source()->Format()->assign(TnvWaveFormat::Row(wfPCM08000M16), 0, 0.0);
    d->fillDeviceList();
}

TnvRecord::~TnvRecord()
{
    d->shutdown();
}

TnvRecordDevice* TnvRecord::Device() const
{
    return d->Device();
}

TnvRecordPopup* TnvRecord::Popup() const
{
    return d->Popup();
}

bool TnvRecord::Enabled() const
{
    return d->Enabled();
}

void TnvRecord::setEnabled(bool value)
{
    d->setEnabled(value);
}

bool TnvRecord::deviceActive() const
{
    return d->Device()->Active();
}

void TnvRecord::assignSourceFileName(const QString& name)
{
    d->setSourceFileName(name);
}

void TnvRecord::assignSourceMaxSize(qint32 kilobytes)
{
    d->setSourceMaxSize(kilobytes);
}

void TnvRecord::revalidateSource()
{
    d->revalidateSource();
}

void TnvRecord::refreshSource()
{
    if (TnvRecordView* view = d->view()) {
        view->RefreshSourceFile();
        view->RefreshFormat();
        view->RefreshBuffer();
    }
}

quint32 TnvRecord::BlockSize() const
{
    return d->blockSize();
}

bool TnvRecord::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    if (!Log()->Active())
        return false;
    Log()->BeginUpdate();
    TnvWaveControl::LogProperties(header, prefix, indent);
    d->Device()->LogProperties(QString(), prefix, indent);
    d->Popup()->LogProperties(QString(), prefix, indent);
    Log()->EndUpdate();
    return true;
}

bool TnvRecord::popupOnError() const
{
    return d->Popup()->OnError();
}

bool TnvRecord::popupOnWarning() const
{
    return d->Popup()->OnWarning();
}

bool TnvRecord::vantageOpensOnLog() const
{
    return Source()->Valid();
}
