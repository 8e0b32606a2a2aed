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

void SipLineAudio::count(std::map<int, int>& running, int slot, bool started)
{
    int& n = running[slot];
    n = std::max(0, n + (started ? 1 : -1));
    if (n == 0)
        running.erase(slot);
}

int SipLineAudio::runningIn(const std::map<int, int>& running) const
{
    const auto it = running.find(m_active);
    return it == running.end() ? 0 : it->second;
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
    *live = runningIn(m_receivers) > 0;
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
    if (!playing && runningIn(m_senders) == 0)
        m_toCall.clear();
}

void SipLineAudio::setActiveSlot(int slot)
{
    std::lock_guard lock(m_mutex);
    m_active = slot;
}

int SipLineAudio::activeSlot() const
{
    std::lock_guard lock(m_mutex);
    return m_active;
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

void SipLineAudio::send(qint16* out, std::size_t samples, int slot)
{
    std::lock_guard lock(m_mutex);
    const std::size_t n = slot == m_active ? std::min(samples, m_toCall.size()) : 0;
    std::copy_n(m_toCall.begin(), n, out);
    m_toCall.erase(m_toCall.begin(), m_toCall.begin() + std::ptrdiff_t(n));
    std::fill(out + n, out + samples, qint16(0));
}

void SipLineAudio::received(const qint16* in, std::size_t samples, int slot)
{
    std::lock_guard lock(m_mutex);
    if (m_recording && slot == m_active)
        append(m_fromCall, in, samples);
}

void SipLineAudio::senderStarted(bool started, int slot)
{
    std::lock_guard lock(m_mutex);
    count(m_senders, slot, started);
    // What was played for a call that ended is not sent into the next one.
    if (!started && slot == m_active && runningIn(m_senders) == 0)
        m_toCall.clear();
}

void SipLineAudio::receiverStarted(bool started, int slot)
{
    std::lock_guard lock(m_mutex);
    count(m_receivers, slot, started);
}

} // namespace Telephony::Sip
