// The record control's settings: the device list and selection, the setters of its
// device and source, and the window refreshes. Recording itself is in
// TnvRecordEngine.cpp, saving in TnvRecordSave.cpp.
#include "TnvRecordPrivate.h"

#include "TnvRecord.h"
#include "TnvRecordView.h"

#include <TnvLog.h>
#include <TnvResultTexts.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstring>


TnvRecordPrivate::TnvRecordPrivate(TnvRecord* record)
    : TnvWaveEngine(record)
    , q(record)
    , m_device(new TnvRecordDevice(this, record))
    , m_popup(new TnvRecordPopup(record->Log(), record))
{
}

TnvRecordPrivate::~TnvRecordPrivate() = default;

TnvRecordView* TnvRecordPrivate::view() const
{
    return windowAs<TnvRecordView>();
}

void TnvRecordPrivate::refresh(void (TnvRecordView::*operation)())
{
    if (TnvRecordView* v = view())
        (v->*operation)();
}

void TnvRecordPrivate::refreshDeviceMenu()
{
    refresh(&TnvRecordView::RefreshDeviceMenu);
}

quint32 TnvRecordPrivate::blockSize() const
{
    const TnvWaveFormat* format = Format();
    const double bits = std::round(double(m_device->Buffer()) / 1000.0 * double(format->SamplesPerSec())
                                   * double(format->BitsPerSample()));
    const auto bytes = quint64(qBound(0.0, bits, 4294967295.0)) / 8;
    // The length leaves the channels out; kept to whole frames so that no block ends
    // inside a sample.
    const quint64 frame = quint64(qMax(format->BlockAlign(), 1));
    return quint32(qMax(bytes / frame * frame, frame));
}

// --- Enabled and the device list ----------------------------------------------------

void TnvRecordPrivate::setEnabled(bool value)
{
    m_enabled = value;
    if (value) {
        fillDeviceList();
    } else {
        if (m_device->Active())
            setDeviceActive(false);
        if (q->Vantage()->window()) {
            q->Vantage()->setVisible(false);
            q->Log()->Clear();
        }
        m_device->storeList({});
        m_device->storeName(QString());
    }
    refresh(&TnvRecordView::RefreshDevice);
}

void TnvRecordPrivate::fillDeviceList()
{
    TnvWaveEngine::fillDeviceList(m_device, Direction::In);
}

void TnvRecordPrivate::setDeviceID(int value)
{
    if (!m_device->List().isEmpty() && value == m_device->ID())
        return;
    selectDevice(m_device, Direction::In, value, true);
    refresh(&TnvRecordView::RefreshDevice);
}

// --- Setters ---------------------------------------------------------------------------

void TnvRecordPrivate::setAppend(bool value)
{
    write(true, QStringLiteral("Device.Append := ") + TnvVantage::BoolText(value));
    clearError();
    if (m_device->Active())
        ReportResult(false, qint32(MMSYSERR_ALLOCATED));
    else
        m_device->storeAppend(value);
    refreshDeviceMenu();
}

void TnvRecordPrivate::setBuffer(qint32 value)
{
    write(true, QStringLiteral("Device.Buffer := %1 //milliseconds").arg(value));
    clearError();
    if (m_device->Active())
        ReportResult(false, WAV_ERROR_DEVICEACTIVE);
    else if (value < 100 || value > 60000)
        ReportResult(false, WAV_ERROR_INVALIDBUFSIZE);
    else
        m_device->storeBuffer(value);
    refreshDeviceMenu();
}

void TnvRecordPrivate::setDelay(qint32 value)
{
    write(true, QStringLiteral("Device.Delay := %1 //milliseconds").arg(value));
    clearError();
    if (m_device->Active())
        ReportResult(false, WAV_ERROR_DEVICEACTIVE);
    else
        m_device->storeDelay(value);
    refreshDeviceMenu();
}

void TnvRecordPrivate::setTrim(qint32 value)
{
    write(true, QStringLiteral("Device.Trim := %1 //milliseconds").arg(value));
    clearError();
    if (m_device->Active())
        ReportResult(false, WAV_ERROR_DEVICEACTIVE);
    else
        m_device->storeTrim(value);
    refreshDeviceMenu();
}

void TnvRecordPrivate::setSourceFileName(const QString& name)
{
    if (name == q->Source()->FileName())
        return;
    q->Source()->storeFileName(name);
    revalidateSource();
    write(true, QStringLiteral("Source.FileName := '") + name + QLatin1Char('\''));
    refresh(&TnvRecordView::RefreshSourceFile);
}

void TnvRecordPrivate::revalidateSource()
{
    const QFileInfo file(q->Source()->FileName());
    q->Source()->setValid(!file.fileName().isEmpty() && QDir(file.path()).exists());
}

void TnvRecordPrivate::setSourceMaxSize(qint32 kilobytes)
{
    write(true, QStringLiteral("Source.MaxSize := %1 //kilobytes").arg(kilobytes));
    q->Source()->storeMaxSize(kilobytes);
    refresh(&TnvRecordView::RefreshMaxSize);
}
