#include "TnvWaveControl.h"

#include <TnvResultTexts.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

TnvWaveControl::TnvWaveControl(int kind, QObject* owner, bool logFormat)
    : TnvSharedControl(owner)
    , m_source(new TnvWaveSource(this, logFormat))
{
    SetKind(kind, KindText(kind));
}

void TnvWaveControl::assignSourceFileName(const QString& name)
{
    m_source->storeFileName(name);
    m_source->setValid(!name.isEmpty());
}

void TnvWaveControl::assignSourceMaxSize(qint32 kilobytes)
{
    m_source->storeMaxSize(kilobytes);
}

void TnvWaveControl::revalidateSource()
{
    assignSourceFileName(m_source->FileName());
}

void TnvWaveControl::refreshSource()
{
    if (TnvVantageWindow* window = Vantage()->window())
        window->refreshInfo();
}

bool TnvWaveControl::allowOverSize(bool asWarning)
{
    if (OnWarning) {
        ReportResult(asWarning, WAV_ERROR_FILETOOBIG);
        Vantage()->ShowPopup(popupOnWarning());
        bool proceed = true;
        if (Vantage()->Events())
            OnWarning(this, proceed);
        return proceed;
    }
    if (popupOnWarning())
        return ReportResult(true, WAV_ERROR_FILETOOBIG);
    return false;
}

bool TnvWaveControl::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    if (!TnvSharedControl::LogProperties(header, prefix, indent))
        return false;
    return m_source->LogProperties(QString(), prefix, indent);
}

QString TnvWaveControl::resultText(qint32 code) const
{
    return WaveErrorText(code);
}
