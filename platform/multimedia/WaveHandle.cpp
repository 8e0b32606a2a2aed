#include "WaveHandle.h"

#include <algorithm>

namespace {

constexpr UINT kOpen[] = {MM_WOM_OPEN, MM_WIM_OPEN};
constexpr UINT kClose[] = {MM_WOM_CLOSE, MM_WIM_CLOSE};
constexpr UINT kDone[] = {MM_WOM_DONE, MM_WIM_DATA};

int side(WaveDirection direction)
{
    return direction == WaveDirection::Out ? 0 : 1;
}

} // namespace

WaveHandle::WaveHandle(quintptr id, WaveDirection direction, UINT deviceId, const WaveDelivery& delivery,
                       const WAVEFORMATEX& format, std::unique_ptr<WaveCodec> codec)
    : m_id(id)
    , m_direction(direction)
    , m_deviceId(deviceId)
    , m_delivery(delivery)
    , m_format(format)
    , m_codec(std::move(codec))
    , m_dispatcher(WaveDispatcher::forCurrentThread())
{
    m_delivery.device = reinterpret_cast<void*>(id);
    WaveDispatcher* dispatcher = m_dispatcher;
    m_queue = std::make_unique<WaveBlockQueue>([dispatcher, id] { dispatcher->postWake(id); });
}

WaveHandle::~WaveHandle()
{
    // The stream's thread stops before the queue it reads goes.
    m_stream.reset();
    if (m_backend)
        m_dispatcher->postMessage(m_id, m_delivery, kClose[side(m_direction)], 0, true);
}

MMRESULT WaveHandle::start(const std::shared_ptr<WaveBackend>& backend, int index)
{
    const WAVEFORMATEX& deviceFormat = m_codec ? m_codec->deviceFormat() : m_format;
    MMRESULT error = MMSYSERR_ERROR;
    m_stream = backend->open(m_direction, index, deviceFormat, m_queue.get(), this, &error);
    if (!m_stream)
        return error == MMSYSERR_NOERROR ? MMSYSERR_ERROR : error;
    m_backend = backend;
    m_running = m_direction == WaveDirection::Out;
    m_dispatcher->postMessage(m_id, m_delivery, kOpen[side(m_direction)], 0);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveHandle::usable() const
{
    return m_lost;
}

MMRESULT WaveHandle::prepare(WAVEHDR* header, UINT size)
{
    if (!header || size < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    if (!header->lpData && header->dwBufferLength > 0)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveHandle::unprepare(WAVEHDR* header, UINT size)
{
    if (!header || size < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveHandle::queue(WAVEHDR* header, UINT size)
{
    if (!header || size < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    if (const MMRESULT lost = usable())
        return lost;
    Pending pending{m_nextBlock++, header, {}};
    char* data = header->lpData;
    quint32 length = header->dwBufferLength;
    if (m_codec) {
        if (m_direction == WaveDirection::Out)
            pending.shadow = m_codec->decode(header->lpData, header->dwBufferLength);
        else
            pending.shadow.resize(m_codec->pcmBytesFor(header->dwBufferLength));
        data = pending.shadow.data();
        length = quint32(pending.shadow.size());
    }
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    header->lpNext = nullptr;
    if (m_direction == WaveDirection::In)
        header->dwBytesRecorded = 0;
    // The shadow's storage does not move when the pending entry does.
    m_pending.push_back(std::move(pending));
    m_queue->push(m_pending.back().id, data, length);
    m_stream->wake();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveHandle::setRunning(bool running)
{
    if (const MMRESULT lost = usable())
        return lost;
    if (!running && m_direction == WaveDirection::In) {
        m_stream->setRunning(false);
        m_running = false;
        // A stopped recording hands back the buffer it was filling.
        m_queue->finishPartial();
        return MMSYSERR_NOERROR;
    }
    m_stream->setRunning(running);
    m_running = running;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveHandle::reset()
{
    if (m_lost)
        return MMSYSERR_NOERROR;
    if (m_direction == WaveDirection::In) {
        m_stream->setRunning(false);
        m_running = false;
    }
    returnAll(m_queue->clear());
    m_stream->reset();
    if (m_codec)
        m_codec->restart();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveHandle::position(MMTIME* time, UINT size) const
{
    if (!time || size < sizeof(MMTIME))
        return MMSYSERR_INVALPARAM;
    const quint64 device = m_stream && !m_lost ? m_stream->position() : 0;
    const quint64 bytes = m_codec ? m_codec->callerBytes(device) : device;
    const WAVEFORMATEX& pcm = m_codec ? m_codec->deviceFormat() : m_format;
    const quint64 samples = pcm.nBlockAlign ? device / pcm.nBlockAlign : 0;
    switch (time->wType) {
    case TIME_SAMPLES:
        time->u.sample = DWORD(samples);
        break;
    case TIME_MS:
        time->u.ms = pcm.nSamplesPerSec ? DWORD(samples * 1000 / pcm.nSamplesPerSec) : 0;
        break;
    default:
        // Any other kind is answered in bytes, and says so.
        time->wType = TIME_BYTES;
        time->u.cb = DWORD(bytes);
        break;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT WaveHandle::volume(DWORD* value) const
{
    if (!value)
        return MMSYSERR_INVALPARAM;
    if (const MMRESULT lost = usable())
        return lost;
    return m_stream->volume(value) ? MMSYSERR_NOERROR : MMSYSERR_NOTSUPPORTED;
}

MMRESULT WaveHandle::setVolume(DWORD value)
{
    if (const MMRESULT lost = usable())
        return lost;
    return m_stream->setVolume(value) ? MMSYSERR_NOERROR : MMSYSERR_NOTSUPPORTED;
}

MMRESULT WaveHandle::prepareClose()
{
    // Buffers the device finished but whose messages have not run yet are not playing.
    returnAll(m_queue->takeFinished());
    if (!m_pending.empty())
        return WAVERR_STILLPLAYING;
    m_stream.reset();
    return MMSYSERR_NOERROR;
}

void WaveHandle::lose(MMRESULT code)
{
    if (m_lost)
        return;
    m_lost = code ? code : MMSYSERR_NODRIVER;
    m_running = false;
    m_stream.reset();
    returnAll(m_queue->clear());
}

WaveHandle::Message WaveHandle::finish(const Pending& pending, quint32 bytes)
{
    WAVEHDR* header = pending.header;
    if (m_direction == WaveDirection::In) {
        if (m_codec)
            bytes = m_codec->encode(pending.shadow.data(), std::min<quint32>(bytes, quint32(pending.shadow.size())),
                                    header->lpData, header->dwBufferLength);
        header->dwBytesRecorded = std::min(bytes, header->dwBufferLength);
    }
    header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
    return {m_delivery, kDone[side(m_direction)], DWORD_PTR(header)};
}

void WaveHandle::returnAll(const std::vector<WaveBlockQueue::Finished>& finished)
{
    for (const WaveBlockQueue::Finished& f : finished) {
        auto it = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending& p) { return p.id == f.id; });
        if (it == m_pending.end())
            continue;
        const Message m = finish(*it, f.bytes);
        m_pending.erase(it);
        m_dispatcher->postMessage(m_id, m.delivery, m.message, m.param1);
    }
}

void WaveHandle::service()
{
    if (const MMRESULT failure = m_failure.exchange(MMSYSERR_NOERROR)) {
        // What the device finished before it failed still comes back first.
        returnAll(m_queue->takeFinished());
        lose(failure);
        return;
    }
    returnAll(m_queue->takeFinished());
}

void WaveHandle::deviceFailed(MMRESULT code)
{
    MMRESULT expected = MMSYSERR_NOERROR;
    m_failure.compare_exchange_strong(expected, code ? code : MMSYSERR_NODRIVER);
    m_dispatcher->postWake(m_id);
}
