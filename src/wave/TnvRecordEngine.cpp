// Recording: starting and resuming, the blocks coming back full, the size limit,
// pausing, and stopping with the save. The waits run the event loop, so every step
// re-reads the state afterwards.
#include "TnvRecord.h"
#include "TnvRecordPrivate.h"
#include "TnvRecordView.h"
#include "TnvWaveNumbers.h"
#include "TnvWaveWindow.h"

#include <TnvLog.h>
#include <TnvPumpWait.h>
#include <TnvResultTexts.h>
#include <TnvVantage.h>

#include <MmMessageEvent.h>

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <new>

namespace {

QString recordMessageName(UINT message)
{
    switch (message) {
    case MM_WIM_OPEN: return QStringLiteral("MM_WIM_OPEN");
    case MM_WIM_CLOSE: return QStringLiteral("MM_WIM_CLOSE");
    case MM_WIM_DATA: return QStringLiteral("MM_WIM_DATA");
    }
    return QStringLiteral("0x%1").arg(message, 4, 16, QLatin1Char('0'));
}

} // namespace

void TnvRecordPrivate::shutdown()
{
    q->Vantage()->setEvents(false);
    // A recording is never dropped, not even by destroying the control.
    if (m_device->Active() && !m_stopping) {
        resetDevice();
        stopAndSave();
    }
    releaseWindow();
}

void TnvRecordPrivate::setDeviceActive(bool value)
{
    write(true, QStringLiteral("Device.Active := ") + TnvVantage::BoolText(value));
    if (value && !m_device->Active()) {
        start();
    } else if (!value && m_device->Active() && !m_stopping) {
        resetDevice();
        if (m_device->Active() && !m_stopping)
            stopAndSave();
    }
    refreshDeviceMenu();
}

bool TnvRecordPrivate::start()
{
    if (m_stopping) {
        ReportResult(false, WAV_ERROR_BUSY);
        return false;
    }
    // A buffer that takes the recording needs no file name.
    if (!q->Source()->Valid() && !q->Source()->Buffer()->Active()) {
        ReportResult(false, WAV_ERROR_DIRNOTFOUND);
        return false;
    }
    m_device->storeActive(true);
    clearError();
    freeBlocks();
    m_recordedBytes = 0;
    m_warned = false;
    Format()->setSize(0, 0.0);
    const TnvWaveFormatFields fields = Format()->fields();
    m_format = WAVEFORMATEX{};
    m_format.wFormatTag = fields.tag;
    m_format.nChannels = fields.channels;
    m_format.nSamplesPerSec = fields.samplesPerSec;
    m_format.nAvgBytesPerSec = fields.avgBytesPerSec;
    m_format.nBlockAlign = fields.blockAlign;
    m_format.wBitsPerSample = fields.bitsPerSample;
    m_format.cbSize = 0;
    const DWORD mapped = m_device->CODECsEnabled() ? WAVE_MAPPED : 0;
    const auto id = UINT(m_device->ID());
    MMRESULT result = waveInOpen(nullptr, id, &m_format, 0, 0, WAVE_FORMAT_QUERY | mapped);
    if (result != MMSYSERR_NOERROR) {
        failStart(qint32(result));
        return false;
    }
    m_blockSize = blockSize();
    allocateWindow();
    HWAVEIN handle = nullptr;
    result = waveInOpen(&handle, id, &m_format, DWORD_PTR(static_cast<QObject*>(m_window)), 0,
                        CALLBACK_WINDOW | mapped);
    if (result != MMSYSERR_NOERROR) {
        failStart(qint32(result));
        return false;
    }
    m_handle = handle;
    if (const qint32 code = queueBlocks()) {
        failStart(code);
        return false;
    }
    result = waveInStart(m_handle);
    if (result != MMSYSERR_NOERROR) {
        failStart(qint32(result));
        return false;
    }
    clearError();
    return true;
}

qint32 TnvRecordPrivate::queueBlocks()
{
    while (m_atDevice.size() < size_t(BlocksAtDevice)) {
        auto block = std::make_unique<Block>();
        block->data.reset(new (std::nothrow) char[m_blockSize]());
        if (!block->data)
            return WAV_ERROR_NOMEMORY;
        block->header.lpData = block->data.get();
        block->header.dwBufferLength = m_blockSize;
        MMRESULT result = waveInPrepareHeader(m_handle, &block->header, sizeof block->header);
        if (result != MMSYSERR_NOERROR)
            return qint32(result);
        result = waveInAddBuffer(m_handle, &block->header, sizeof block->header);
        if (result != MMSYSERR_NOERROR) {
            waveInUnprepareHeader(m_handle, &block->header, sizeof block->header);
            return qint32(result);
        }
        m_atDevice.push_back(std::move(block));
    }
    return 0;
}

void TnvRecordPrivate::failStart(qint32 code)
{
    releaseWindow();
    if (m_handle) {
        waveInReset(m_handle);
        for (const std::unique_ptr<Block>& block : m_atDevice)
            waveInUnprepareHeader(m_handle, &block->header, sizeof block->header);
        waveInClose(m_handle);
        m_handle = nullptr;
    }
    freeBlocks();
    ReportResult(false, code);
    m_device->storeActive(false);
}

void TnvRecordPrivate::freeBlocks()
{
    m_atDevice.clear();
    m_recorded.clear();
}

bool TnvRecordPrivate::resetDevice()
{
    if (!m_handle || m_atDevice.empty())
        return true;
    const QPointer<TnvRecord> alive(q);
    m_resetting = true;
    waveInReset(m_handle);
    // The reset hands every block back with MM_WIM_DATA, each message an event of its
    // own, so they arrive here even when this runs inside another block's message.
    const bool done = TnvPumpWait::until([&] { return !alive || m_atDevice.empty(); }, m_device->Timeout());
    if (!alive)
        return false;
    m_resetting = false;
    if (!done)
        ReportResult(false, WAV_ERROR_TIMEOUT);
    return done;
}

void TnvRecordPrivate::setPause(bool value)
{
    write(true, QStringLiteral("Device.Pause := ") + TnvVantage::BoolText(value));
    if (value == m_device->Pause())
        return;
    clearError();
    if (!m_device->Active()) {
        m_device->storePause(false);
        ReportResult(false, WAV_ERROR_DEVICEINACTIVE);
    } else if (m_device->Pause()) {
        qint32 code = queueBlocks();
        if (code == 0)
            code = qint32(waveInStart(m_handle));
        if (code != 0) {
            ReportResult(false, code);
            resetDevice();
            stopAndSave();
        } else {
            m_device->storePause(false);
        }
    } else {
        write(false, QStringLiteral("\tDevice.Byte = ") + TnvWaveNumbers::bytesText(Format()->Bytes()));
        write(false, QStringLiteral("\tDevice.Second = ") + TnvWaveNumbers::secondsText(Format()->Seconds()));
        if (resetDevice())
            m_device->storePause(true);
    }
    refreshDeviceMenu();
}

void TnvRecordPrivate::updateSize()
{
    m_recordedBytes = 0;
    for (const std::unique_ptr<Block>& block : m_recorded)
        m_recordedBytes += std::min(block->header.dwBytesRecorded, block->header.dwBufferLength);
    const auto bytes = quint32(std::min<quint64>(m_recordedBytes, TnvWaveImage::MaxDataSize));
    Format()->setSize(bytes, TnvWaveFormat::secondsOf(bytes, m_format.nAvgBytesPerSec));
    refresh(&TnvRecordView::RefreshFormatSize);
}

void TnvRecordPrivate::onMessage(const MmMessageEvent& message)
{
    if (m_popup->OnError())
        write(true, QStringLiteral("Windows message \"") + recordMessageName(message.message()) + QLatin1Char('"'));
    if (message.message() == MM_WIM_DATA && m_handle && message.device() == static_cast<void*>(m_handle))
        onData(reinterpret_cast<WAVEHDR*>(message.param1()));
}

void TnvRecordPrivate::onData(WAVEHDR* header)
{
    const auto at = std::find_if(m_atDevice.begin(), m_atDevice.end(),
                                 [header](const std::unique_ptr<Block>& block) { return &block->header == header; });
    if (at == m_atDevice.end() || !(header->dwFlags & WHDR_DONE))
        return;
    waveInUnprepareHeader(m_handle, header, sizeof *header);
    header->dwFlags &= ~WHDR_PREPARED;
    m_recorded.push_back(std::move(*at));
    m_atDevice.erase(at);
    updateSize();
    if (!m_device->Active() || m_resetting || m_stopping || m_device->Pause())
        return;

    const qint64 limit = qint64(q->Source()->MaxSize()) * 1024;
    if (!m_warned && limit > 0 && m_recordedBytes >= quint64(limit)) {
        const QPointer<TnvRecord> alive(q);
        const bool proceed = q->allowOverSize(true);
        if (!alive || !m_device->Active() || m_stopping)
            return;
        if (!proceed) {
            resetDevice();
            ReportResult(false, WAV_ERROR_CANCELED);
            if (alive && m_device->Active() && !m_stopping)
                stopAndSave();
            return;
        }
        m_warned = true;
    }
    if (const qint32 code = queueBlocks()) {
        resetDevice();
        ReportResult(false, code);
        if (m_device->Active() && !m_stopping)
            stopAndSave();
    }
}

void TnvRecordPrivate::stopAndSave()
{
    const QPointer<TnvRecord> alive(q);
    m_stopping = true;
    m_device->storeActive(false);
    m_device->storePause(false);
    if (!m_atDevice.empty())
        resetDevice();
    if (!alive)
        return;
    releaseDevice();

    if (q->Source()->Buffer()->Active())
        saveToBuffer();
    else
        saveToFile();

    write(false, QStringLiteral("\tFree memory"));
    freeBlocks();
    m_stopping = false;
    refreshDeviceMenu();
    q->refreshSource();
    write(true, QStringLiteral("OnDone"));
    if (q->Vantage()->Events() && q->OnDone)
        q->OnDone(q);
    if (alive)
        q->Vantage()->ShowPopup(m_popup->OnDone());
}

void TnvRecordPrivate::releaseDevice()
{
    write(false, QStringLiteral("\tReleasing wave device"));
    const qint32 delay = m_device->Delay();
    if (delay > 0) {
        write(true, QStringLiteral("\t\tDelaying"));
        write(false, QStringLiteral("\t\t\tnvRecord.Device.Delay = %1 //milliseconds").arg(delay));
        TnvPumpWait::sleep(delay);
        write(true, QStringLiteral("\t\t\tComplete"));
    }
    if (m_handle) {
        if (waveInClose(m_handle) != MMSYSERR_NOERROR) {
            // Blocks still held by a device that did not answer the reset.
            waveInReset(m_handle);
            waveInClose(m_handle);
        }
        // The device is closed: what it still held comes into the recording as it is.
        for (std::unique_ptr<Block>& block : m_atDevice)
            m_recorded.push_back(std::move(block));
        m_atDevice.clear();
        updateSize();
        QCoreApplication::processEvents();
        m_handle = nullptr;
    }
    releaseWindow();
}

void TnvRecordPrivate::allocateWindow()
{
    if (m_window)
        return;
    if (m_popup->OnError())
        write(false, QStringLiteral("\tAllocate Window Handle"));
    m_window = new TnvWaveWindow([this](const MmMessageEvent& message) { onMessage(message); }, this);
}

void TnvRecordPrivate::releaseWindow()
{
    if (!m_window)
        return;
    if (m_popup->OnError())
        write(false, QStringLiteral("\tDeallocate Window Handle"));
    m_window->release();
    m_window = nullptr;
}
