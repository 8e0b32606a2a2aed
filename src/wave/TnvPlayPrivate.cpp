// The play control's settings: the device list and selection, the setters of its
// sub-objects and the window refreshes. Playing itself is in TnvPlayEngine.cpp.
#include "TnvPlayPrivate.h"

#include "TnvPlay.h"
#include "TnvPlayView.h"
#include "TnvWaveWindow.h"

#include <TnvLog.h>
#include <TnvResultTexts.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

#include <QTimer>

#include <cmath>
#include <cstring>
#include <numeric>

TnvPlayPrivate::TnvPlayPrivate(TnvPlay* play)
    : TnvWaveEngine(play)
    , q(play)
    , m_device(new TnvPlayDevice(this, play))
    , m_position(new TnvPlayPosition(this, play))
    , m_volume(new TnvPlayVolume(this, play))
    , m_timer(new TnvPlayTimer(this, play))
    , m_popup(new TnvPlayPopup(play->Log(), play))
    , m_ticker(new QTimer(this))
{
    connect(m_ticker, &QTimer::timeout, this, [this] {
        // Not traced: a tick every interval would push every other line out of the log.
        if (!m_device->Active() || m_device->Pause())
            return;
        if (q->Vantage()->Events() && q->OnTimer)
            q->OnTimer(q);
        q->Vantage()->ShowPopup(m_popup->OnTimer());
    });
}

TnvPlayPrivate::~TnvPlayPrivate() = default;

TnvPlayView* TnvPlayPrivate::view() const
{
    return windowAs<TnvPlayView>();
}

void TnvPlayPrivate::refresh(void (TnvPlayView::*operation)())
{
    if (TnvPlayView* v = view())
        (v->*operation)();
}

void TnvPlayPrivate::refreshDeviceMenu()
{
    refresh(&TnvPlayView::RefreshDeviceMenu);
}

void TnvPlayPrivate::refreshVolume()
{
    refresh(&TnvPlayView::RefreshVolume);
}

bool TnvPlayPrivate::sourceIsBuffer() const
{
    return q->Source()->Buffer()->Active();
}

WAVEFORMATEX TnvPlayPrivate::waveFormat() const
{
    WAVEFORMATEX format{};
    format.wFormatTag = m_format.tag;
    format.nChannels = m_format.channels;
    format.nSamplesPerSec = m_format.samplesPerSec;
    format.nAvgBytesPerSec = m_format.avgBytesPerSec;
    format.nBlockAlign = m_format.blockAlign;
    format.wBitsPerSample = m_format.bitsPerSample;
    format.cbSize = 0;
    return format;
}

// --- Enabled and the device list ----------------------------------------------------

void TnvPlayPrivate::setEnabled(bool value)
{
    m_enabled = value;
    if (value) {
        fillDeviceList();
    } else {
        if (m_device->Active())
            stop();
        if (q->Vantage()->window()) {
            q->Vantage()->setVisible(false);
            q->Log()->Clear();
        }
        m_device->storeList({});
        m_device->storeName(QString());
    }
    refresh(&TnvPlayView::RefreshDevice);
}

void TnvPlayPrivate::fillDeviceList()
{
    TnvWaveEngine::fillDeviceList(m_device, Direction::Out);
}

void TnvPlayPrivate::setDeviceID(int value)
{
    if (!m_device->List().isEmpty() && value == m_device->ID())
        return;
    selectDevice(m_device, Direction::Out, value, false);
    refresh(&TnvPlayView::RefreshDevice);
}

// --- Setters -------------------------------------------------------------------------

void TnvPlayPrivate::setDelay(qint32 value)
{
    write(true, QStringLiteral("Device.Delay := %1 //milliseconds").arg(value));
    clearError();
    if (m_device->Active())
        ReportResult(false, WAV_ERROR_DEVICEACTIVE);
    else
        m_device->storeDelay(value);
    refreshDeviceMenu();
}

void TnvPlayPrivate::setVolumePosition(qint32 value)
{
    write(true, QStringLiteral("Volume.Position := %1").arg(value));
    clearError();
    if (value < 0 || value > 100) {
        ReportResult(false, WAV_ERROR_INVALIDVOLUME);
    } else {
        m_volume->storePosition(value);
        if (m_volume->Enabled() && m_handle) {
            const MMRESULT result = waveOutSetVolume(m_handle, TnvPlayVolume::deviceVolumeOf(value));
            if (result != MMSYSERR_NOERROR)
                ReportResult(false, qint32(result));
        }
    }
    refreshVolume();
}

void TnvPlayPrivate::timerChanged()
{
    m_ticker->setInterval(qMax(1, m_timer->Interval()));
    if (m_timer->Enabled() && m_device->Active() && m_handle && !m_device->Pause())
        runTimer();
    else if (!m_timer->Enabled())
        stopTimer();
    refresh(&TnvPlayView::RefreshTimerEnabled);
    refresh(&TnvPlayView::RefreshTimerInterval);
}

void TnvPlayPrivate::runTimer()
{
    if (m_timer->Enabled() && m_device->Active())
        m_ticker->start(qMax(1, m_timer->Interval()));
}

void TnvPlayPrivate::stopTimer()
{
    m_ticker->stop();
}

// --- Position --------------------------------------------------------------------------

quint32 TnvPlayPrivate::positionBytes() const
{
    if (!m_device->Active() || !m_handle || m_dataSize == 0)
        return 0;
    MMTIME time{};
    time.wType = TIME_BYTES;
    if (waveOutGetPosition(m_handle, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_BYTES)
        return 0;
    const quint64 bytes = quint64(time.u.cb) + m_offset;
    return quint32(bytes % m_dataSize);
}

void TnvPlayPrivate::moveTo(double byte, const QString& line)
{
    write(false, line);
    clearError();
    if (m_device->Loop()) {
        ReportResult(false, WAV_ERROR_INVALIDSTATE);
        return;
    }
    if (!m_device->Active() || m_device->Wait() || !(byte >= 0) || m_dataSize == 0)
        return;
    // Whole sample frames, rounded up: an even byte, and never inside a frame, so a
    // restart cannot swap the channels or split a sample.
    const quint64 unit = std::lcm<quint64>(2, quint64(qMax<int>(m_format.blockAlign, 1)));
    const quint64 target = (quint64(std::llround(byte)) + unit - 1) / unit * unit;
    if (target >= m_dataSize)
        return;
    const bool paused = m_device->Pause();
    if (!stop() || !start(quint32(target), false))
        return;
    write(true, QStringLiteral("Device.Active = True"));
    if (paused)
        setPause(true);
}
