// Playing: starting (load, open, write), pausing, stopping, closing and the device's
// messages. The waits run the event loop, so every step re-reads the state afterwards.
#include "TnvPlay.h"
#include "TnvPlayPrivate.h"
#include "TnvPlayView.h"
#include "TnvWaveWindow.h"

#include <TnvLog.h>
#include <TnvPumpWait.h>
#include <TnvResultTexts.h>
#include <TnvVantage.h>

#include "TnvWaveNumbers.h"


#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>

#include <cmath>


void TnvPlayPrivate::shutdown()
{
    q->Vantage()->setEvents(false);
    if (m_device->Active() && !m_stopping)
        stop();
    releaseWindow();
}

bool TnvPlayPrivate::fire(const TNV_NotifyEvent& handler, const QString& name, bool popup)
{
    write(true, name);
    const QPointer<TnvPlay> alive(q);
    if (q->Vantage()->Events() && handler)
        handler(q);
    if (!alive)
        return false;
    q->Vantage()->ShowPopup(popup);
    return true;
}

void TnvPlayPrivate::setDeviceActive(bool value)
{
    write(true, QStringLiteral("Device.Active := ") + TnvVantage::BoolText(value));
    if (value && !m_device->Active())
        start(0, m_device->Wait());
    else if (!value && m_device->Active() && !m_stopping)
        stop();
    refreshDeviceMenu();
}

bool TnvPlayPrivate::start(quint32 offset, bool wait)
{
    clearError();
    if (m_busy) {
        ReportResult(false, WAV_ERROR_BUSY);
        return false;
    }
    if (m_handle) {
        // Paused with the device open: go on where it stopped.
        m_device->storePause(false);
        m_device->storeActive(true);
        if (m_volume->Enabled()) {
            write(false, QStringLiteral("\tSystem volume := Volume.Position [%1]").arg(m_volume->Position()));
            waveOutSetVolume(m_handle, TnvPlayVolume::deviceVolumeOf(m_volume->Position()));
        }
        const MMRESULT result = waveOutRestart(m_handle);
        if (result != MMSYSERR_NOERROR) {
            ReportResult(false, qint32(result));
            stop();
            return false;
        }
        runTimer();
        refreshDeviceMenu();
        return true;
    }

    const bool fromBuffer = sourceIsBuffer();
    if (!fromBuffer && !m_data && !validate(q->Source()->FileName(), false)) {
        failStart();
        return false;
    }
    m_playing = false;
    m_stopping = false;
    m_doneEvent = true;
    if (!fromBuffer && q->Source()->FileName().isEmpty()) {
        ReportResult(false, WAV_ERROR_NOFILE);
        failStart();
        return false;
    }
    m_device->storeActive(true);
    if (!m_data && !load()) {
        failStart();
        return false;
    }
    m_offset = offset < m_dataSize ? offset : 0;
    m_header = WAVEHDR{};
    m_header.lpData = m_data.get() + m_offset;
    m_header.dwBufferLength = m_dataSize - m_offset;
    m_headerReady = true;
    if (!fire(q->OnLoaded, QStringLiteral("OnLoaded"), m_popup->OnLoaded()))
        return false;
    // The handler may have stopped playback or freed the sound.
    if (!m_device->Active() || !m_data || m_handle)
        return m_device->Active();
    if (m_device->Pause()) {
        write(true, QStringLiteral("\tDevice.Pause = True"));
        write(false, QStringLiteral("\t\tPosition.Byte = 0"));
        write(false, QStringLiteral("\t\tPosition.Percent = 0%"));
        write(false, QStringLiteral("\t\tPosition.Second = 0"));
        m_playing = true;
        refreshDeviceMenu();
        return true;
    }
    return openAndWrite(wait);
}

bool TnvPlayPrivate::openAndWrite(bool wait)
{
    const WAVEFORMATEX format = waveFormat();
    const DWORD mapped = m_device->CODECsEnabled() ? WAVE_MAPPED : 0;
    const auto id = UINT(m_device->ID());
    MMRESULT result = waveOutOpen(nullptr, id, &format, 0, 0, WAVE_FORMAT_QUERY | mapped);
    if (result == MMSYSERR_NOERROR) {
        allocateWindow();
        HWAVEOUT handle = nullptr;
        result = waveOutOpen(&handle, id, &format, DWORD_PTR(static_cast<QObject*>(m_window)), 0,
                             CALLBACK_WINDOW | WAVE_ALLOWSYNC | mapped);
        m_handle = result == MMSYSERR_NOERROR ? handle : nullptr;
    }
    if (result == MMSYSERR_NOERROR) {
        m_closed = false;
        m_playing = true;
        if (m_volume->Enabled()) {
            result = waveOutGetVolume(m_handle, &m_storedVolume);
            m_volumeStored = result == MMSYSERR_NOERROR;
            if (m_volumeStored)
                write(false, QStringLiteral("\tStore system volume := %1").arg(TnvPlayVolume::percentOf(m_storedVolume)));
        }
    }
    if (result == MMSYSERR_NOERROR)
        result = waveOutPrepareHeader(m_handle, &m_header, sizeof m_header);
    if (result == MMSYSERR_NOERROR && m_volume->Enabled()) {
        if (m_volume->Default()) {
            m_volume->storePosition(TnvPlayVolume::percentOf(m_storedVolume));
            write(false, QStringLiteral("\tVolume.Position := System volume (%1)").arg(m_volume->Position()));
            refreshVolume();
        } else {
            write(false, QStringLiteral("\tSystem volume := Volume.Position (%1)").arg(m_volume->Position()));
            result = waveOutSetVolume(m_handle, TnvPlayVolume::deviceVolumeOf(m_volume->Position()));
        }
    }
    if (result == MMSYSERR_NOERROR) {
        runTimer();
        result = waveOutWrite(m_handle, &m_header, sizeof m_header);
    }
    if (result != MMSYSERR_NOERROR) {
        ReportResult(false, qint32(result));
        failStart();
        return false;
    }
    m_device->storePause(false);
    refreshDeviceMenu();
    if (!wait)
        return true;

    write(true, QStringLiteral("\tWaiting"));
    const QPointer<TnvPlay> alive(q);
    const double limit = Format()->Seconds() * 1000.0 + double(qMax(0, m_device->Timeout()));
    const bool ended = TnvPumpWait::until([&] { return !alive || !m_device->Active(); },
                                          int(qMin(limit, double(INT_MAX))));
    if (!alive)
        return false;
    if (!ended) {
        ReportResult(false, WAV_ERROR_TIMEOUT);
        failStart();
        return false;
    }
    write(true, QStringLiteral("\tWaiting complete"));
    return true;
}

void TnvPlayPrivate::failStart()
{
    stopTimer();
    m_device->storeActive(false);
    m_device->storePause(false);
    if (m_handle) {
        if (m_volume->Enabled() && m_volume->Reset() && m_volumeStored) {
            write(false, QStringLiteral("\tReset system volume := %1").arg(TnvPlayVolume::percentOf(m_storedVolume)));
            waveOutSetVolume(m_handle, m_storedVolume);
        }
        waveOutReset(m_handle);
        if (m_header.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(m_handle, &m_header, sizeof m_header);
        waveOutClose(m_handle);
        m_handle = nullptr;
    }
    m_volumeStored = false;
    freeSound();
    releaseWindow();
    m_playing = false;
    m_closed = true;
    refreshDeviceMenu();
}

void TnvPlayPrivate::freeSound()
{
    m_data.reset();
    m_dataSize = 0;
    m_header = WAVEHDR{};
    m_headerReady = false;
}

bool TnvPlayPrivate::stop()
{
    m_doneEvent = false;
    m_stopping = true;
    m_busy = true;
    stopTimer();
    bool stopped = true;
    if (m_handle) {
        m_closed = false;
        const HWAVEOUT handle = m_handle;
        waveOutReset(handle);
        // The reset marks the buffer done and hands it back with MM_WOM_DONE, which
        // closes the device. The flag is what is awaited: when the stop comes from the
        // buffer's own message (OnLoop), no other message follows.
        const QPointer<TnvPlay> alive(q);
        stopped = TnvPumpWait::until([&] { return !alive || m_closed || (m_header.dwFlags & WHDR_DONE); },
                                     m_device->Timeout());
        if (alive && !m_closed && stopped)
            QCoreApplication::processEvents();
        if (!alive)
            return false;
        if (!stopped)
            ReportResult(false, WAV_ERROR_TIMEOUT);
        // A device that never answers (unplugged, a broken driver) must not leave the
        // control open for ever.
        if (!m_closed && m_handle == handle)
            closeDevice(false);
    } else {
        closeDevice(false);
    }
    m_stopping = false;
    m_busy = false;
    m_device->storeActive(false);
    refreshDeviceMenu();
    return stopped;
}

void TnvPlayPrivate::closeDevice(bool doneEvent)
{
    stopTimer();
    const bool busy = m_busy;
    m_busy = true;
    if (m_handle) {
        if (m_volume->Enabled() && m_volume->Reset() && m_volumeStored) {
            write(false, QStringLiteral("\tReset system volume = [%1]").arg(TnvPlayVolume::percentOf(m_storedVolume)));
            waveOutSetVolume(m_handle, m_storedVolume);
        }
        m_device->storeActive(false);
        m_device->storePause(false);
        unprepareWithDelay();
        waveOutClose(m_handle);
        m_handle = nullptr;
    }
    m_volumeStored = false;
    freeSound();
    releaseWindow();
    m_closed = true;
    m_playing = false;
    m_busy = busy;
    m_device->storeActive(false);
    m_device->storePause(false);
    write(true, QStringLiteral("Device.Active = False"));
    refreshDeviceMenu();
    refresh(&TnvPlayView::RefreshPosition);
    if (doneEvent && m_doneEvent) {
        m_doneEvent = false;
        fire(q->OnDone, QStringLiteral("OnDone"), m_popup->OnDone());
    }
}

void TnvPlayPrivate::unprepareWithDelay()
{
    const qint32 delay = qMax(0, m_device->Delay());
    bool first = true;
    if (m_header.dwFlags & WHDR_PREPARED) {
        // Bounded: a device that keeps the buffer past the time-out is reset.
        const QDeadlineTimer limit(qMax(delay, m_device->Timeout()));
        bool reset = false;
        while (waveOutUnprepareHeader(m_handle, &m_header, sizeof m_header) == WAVERR_STILLPLAYING) {
            first = false;
            if (reset)
                break;
            write(true, QStringLiteral("\tDelaying"));
            write(false, QStringLiteral("\t\tnvPlay.Device.Delay = %1 //milliseconds").arg(delay));
            const int wait = delay > 0 ? delay : int(qMax<qint64>(1, limit.remainingTime()));
            TnvPumpWait::until([this] { return (m_header.dwFlags & WHDR_DONE) != 0; }, wait);
            write(true, QStringLiteral("\tComplete "));
            if (limit.hasExpired()) {
                waveOutReset(m_handle);
                reset = true;
            }
        }
    }
    if (first && delay > 0) {
        write(true, QStringLiteral("\tDelaying"));
        write(false, QStringLiteral("\t\t\tnvPlay.Device.Delay = %1 //milliseconds").arg(delay));
        TnvPumpWait::sleep(delay);
        write(true, QStringLiteral("\tComplete"));
    }
}

void TnvPlayPrivate::setPause(bool value)
{
    if (value == m_device->Pause())
        return;
    write(true, QStringLiteral("Device.Pause := ") + TnvVantage::BoolText(value));
    if (!m_device->Active()) {
        m_device->storePause(value);
        refreshDeviceMenu();
        return;
    }
    clearError();
    if (m_device->Pause()) {
        m_device->storePause(false);
        if (m_playing)
            start(m_offset, m_handle ? false : m_device->Wait());
    } else {
        if (m_handle) {
            const MMRESULT result = waveOutPause(m_handle);
            if (result != MMSYSERR_NOERROR) {
                ReportResult(false, qint32(result));
                refreshDeviceMenu();
                return;
            }
        }
        m_device->storePause(true);
        write(false, QStringLiteral("\tPosition.Byte = ") + TnvWaveNumbers::bytesText(m_position->Byte()));
        write(false, QStringLiteral("\tPosition.Percent = %1%").arg(m_position->Percent()));
        write(false, QStringLiteral("\tPosition.Second = ") + TnvWaveNumbers::secondsText(m_position->Second()));
        if (m_volume->Enabled() && m_volume->Reset() && m_volumeStored && m_handle) {
            write(false, QStringLiteral("\tReset system volume := [%1]").arg(TnvPlayVolume::percentOf(m_storedVolume)));
            waveOutSetVolume(m_handle, m_storedVolume);
        }
        stopTimer();
    }
    refreshDeviceMenu();
    refreshVolume();
    refresh(&TnvPlayView::RefreshPosition);
}
