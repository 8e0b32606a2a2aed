// The play control's hidden window and the device's messages: the end of the sound,
// looping, and a device that went away.
#include "TnvPlay.h"
#include "TnvPlayPrivate.h"
#include "TnvWaveWindow.h"

#include <TnvLog.h>
#include <TnvVantage.h>

#include <MmMessageEvent.h>

namespace {

QString playMessageName(UINT message)
{
    switch (message) {
    case MM_WOM_OPEN: return QStringLiteral("MM_WOM_OPEN");
    case MM_WOM_CLOSE: return QStringLiteral("MM_WOM_CLOSE");
    case MM_WOM_DONE: return QStringLiteral("MM_WOM_DONE");
    }
    return QStringLiteral("0x%1").arg(message, 4, 16, QLatin1Char('0'));
}

} // namespace

// --- The hidden window and the device's messages ----------------------------------------

void TnvPlayPrivate::allocateWindow()
{
    if (m_window)
        return;
    if (m_popup->OnError())
        write(false, QStringLiteral("\tAllocate Window Handle"));
    m_window = new TnvWaveWindow([this](const MmMessageEvent& message) { onMessage(message); }, this);
}

void TnvPlayPrivate::releaseWindow()
{
    if (!m_window)
        return;
    if (m_popup->OnError())
        write(false, QStringLiteral("\tDeallocate Window Handle"));
    m_window->release();
    m_window = nullptr;
}

void TnvPlayPrivate::onMessage(const MmMessageEvent& message)
{
    if (m_popup->OnError())
        write(true, QStringLiteral("Windows message \"") + playMessageName(message.message()) + QLatin1Char('"'));
    if (message.message() == MM_WOM_DONE && message.device() == static_cast<void*>(m_handle))
        onDone(reinterpret_cast<WAVEHDR*>(message.param1()));
}

void TnvPlayPrivate::onDone(WAVEHDR* header)
{
    if (header != &m_header || !m_device->Active())
        return;
    // A device that went away hands its buffer back as if played; any call on it then
    // answers with the reason, which is the playback's result, not an end.
    DWORD volume = 0;
    const MMRESULT state = waveOutGetVolume(m_handle, &volume);
    if (state != MMSYSERR_NOERROR && state != MMSYSERR_NOTSUPPORTED) {
        m_doneEvent = false;
        ReportResult(false, qint32(state));
        m_device->storeActive(false);
        closeDevice(false);
        return;
    }
    if (m_stopping || !m_device->Loop()) {
        m_device->storeActive(false);
        closeDevice(true);
        return;
    }
    if (!fire(q->OnLoop, QStringLiteral("OnLoop"), m_popup->OnLoop()))
        return;
    if (!m_device->Active() || !m_handle || m_stopping)
        return;
    MMRESULT result = MMSYSERR_NOERROR;
    if (m_device->Loop()) {
        waveOutUnprepareHeader(m_handle, &m_header, sizeof m_header);
        m_header.dwFlags = 0;
        result = waveOutPrepareHeader(m_handle, &m_header, sizeof m_header);
        if (result == MMSYSERR_NOERROR)
            result = waveOutWrite(m_handle, &m_header, sizeof m_header);
        if (result == MMSYSERR_NOERROR)
            return;
        ReportResult(false, qint32(result));
    }
    // The handler turned Loop off, or the replay failed: the sound has ended.
    m_device->storeActive(false);
    closeDevice(true);
}
