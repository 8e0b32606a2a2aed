#include "SipLineAudio.h"

#include <algorithm>
#include <cstring>

namespace Telephony::Sip {

void SipLineAudio::append(std::deque<qint16>& fifo, const qint16* samples, std::size_t count)
{
    fifo.insert(fifo.end(), samples, samples + count);
    if (fifo.size() > kMaxSamples)
        fifo.erase(fifo.begin(), fifo.begin() + std::ptrdiff_t(fifo.size() - kMaxSamples));
}

void SipLineAudio::played(const char* data, quint32 bytes)
{
    // The bytes may sit anywhere in the caller's buffer: copied, never cast.
    qint16 chunk[256];
    std::lock_guard lock(m_mutex);
    if (!m_playing)
        return;
    std::size_t left = bytes / 2;
    while (left > 0) {
        const std::size_t n = std::min(left, std::size(chunk));
        std::memcpy(chunk, data, n * 2);
        append(m_toCall, chunk, n);
        data += n * 2;
        left -= n;
    }
}

quint32 SipLineAudio::heard(char* data, quint32 bytes, bool* live)
{
    std::lock_guard lock(m_mutex);
    *live = m_receivers > 0;
    const std::size_t n = std::min<std::size_t>(bytes / 2, m_fromCall.size());
    for (std::size_t i = 0; i < n; ++i) {
        const qint16 sample = m_fromCall[i];
        std::memcpy(data + i * 2, &sample, 2);
    }
    m_fromCall.erase(m_fromCall.begin(), m_fromCall.begin() + std::ptrdiff_t(n));
    return quint32(n * 2);
}

void SipLineAudio::setPlaying(bool playing)
{
    std::lock_guard lock(m_mutex);
    m_playing = playing;
    // Without a call to send it, what was played is not kept for a later one.
    if (!playing && m_senders == 0)
        m_toCall.clear();
}

void SipLineAudio::setRecording(bool recording)
{
    std::lock_guard lock(m_mutex);
    m_recording = recording;
    // A recording starts with what is said from now on.
    m_fromCall.clear();
}

bool SipLineAudio::playing() const
{
    std::lock_guard lock(m_mutex);
    return m_playing;
}

bool SipLineAudio::recording() const
{
    std::lock_guard lock(m_mutex);
    return m_recording;
}

void SipLineAudio::send(qint16* out, std::size_t samples)
{
    std::lock_guard lock(m_mutex);
    const std::size_t n = std::min(samples, m_toCall.size());
    std::copy_n(m_toCall.begin(), n, out);
    m_toCall.erase(m_toCall.begin(), m_toCall.begin() + std::ptrdiff_t(n));
    std::fill(out + n, out + samples, qint16(0));
}

void SipLineAudio::received(const qint16* in, std::size_t samples)
{
    std::lock_guard lock(m_mutex);
    if (m_recording)
        append(m_fromCall, in, samples);
}

void SipLineAudio::senderStarted(bool started)
{
    std::lock_guard lock(m_mutex);
    m_senders = std::max(0, m_senders + (started ? 1 : -1));
    // What was played for a call that ended is not sent into the next one.
    if (!started && m_senders == 0)
        m_toCall.clear();
}

void SipLineAudio::receiverStarted(bool started)
{
    std::lock_guard lock(m_mutex);
    m_receivers = std::max(0, m_receivers + (started ? 1 : -1));
}

} // namespace Telephony::Sip
