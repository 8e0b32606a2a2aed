#include "WaveBlockQueue.h"

#include <algorithm>
#include <cstring>

WaveBlockQueue::WaveBlockQueue(std::function<void()> notify)
    : m_notify(std::move(notify))
{
}

void WaveBlockQueue::push(quint64 id, char* data, quint32 length)
{
    std::lock_guard lock(m_mutex);
    m_queued.push_back({id, data, length, 0, 0});
}

std::vector<WaveBlockQueue::Finished> WaveBlockQueue::takeFinished()
{
    std::lock_guard lock(m_mutex);
    std::vector<Finished> out;
    out.swap(m_finished);
    return out;
}

std::vector<WaveBlockQueue::Finished> WaveBlockQueue::clear()
{
    std::lock_guard lock(m_mutex);
    std::vector<Finished> out;
    out.swap(m_finished);
    for (const Block& b : m_taken)
        out.push_back({b.id, b.length});
    for (const Block& b : m_queued)
        out.push_back({b.id, b.offset});
    m_taken.clear();
    m_queued.clear();
    m_takenBytes = 0;
    m_played = 0;
    m_recorded = 0;
    ++m_generation;
    return out;
}

void WaveBlockQueue::finishPartial()
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_queued.empty() && m_queued.front().offset > 0) {
            finishLocked(m_queued.front(), m_queued.front().offset, &wake);
            m_queued.pop_front();
        }
    }
    if (wake && m_notify)
        m_notify();
}

bool WaveBlockQueue::empty() const
{
    std::lock_guard lock(m_mutex);
    return m_queued.empty() && m_taken.empty() && m_finished.empty();
}

void WaveBlockQueue::finishLocked(const Block& block, quint32 bytes, bool* wake)
{
    *wake = *wake || m_finished.empty();
    m_finished.push_back({block.id, bytes});
}

quint32 WaveBlockQueue::read(char* dst, quint32 max)
{
    std::lock_guard lock(m_mutex);
    quint32 done = 0;
    while (done < max && !m_queued.empty()) {
        Block& b = m_queued.front();
        const quint32 n = std::min(max - done, b.length - b.offset);
        if (n > 0)
            std::memcpy(dst + done, b.data + b.offset, n);
        b.offset += n;
        done += n;
        m_takenBytes += n;
        if (b.offset == b.length) {
            b.end = m_takenBytes;
            m_taken.push_back(b);
            m_queued.pop_front();
        }
    }
    return done;
}

void WaveBlockQueue::markPlayed(quint64 playedTotal)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_played = std::min(std::max(m_played, playedTotal), m_takenBytes);
        while (!m_taken.empty() && m_taken.front().end <= m_played) {
            finishLocked(m_taken.front(), m_taken.front().length, &wake);
            m_taken.pop_front();
        }
    }
    if (wake && m_notify)
        m_notify();
}

quint32 WaveBlockQueue::write(const char* src, quint32 n)
{
    bool wake = false;
    quint32 done = 0;
    {
        std::lock_guard lock(m_mutex);
        while (done < n && !m_queued.empty()) {
            Block& b = m_queued.front();
            const quint32 k = std::min(n - done, b.length - b.offset);
            if (k > 0)
                std::memcpy(b.data + b.offset, src + done, k);
            b.offset += k;
            done += k;
            if (b.offset == b.length) {
                finishLocked(b, b.length, &wake);
                m_queued.pop_front();
            }
        }
        m_recorded += done;
    }
    if (wake && m_notify)
        m_notify();
    return done;
}

bool WaveBlockQueue::hasData() const
{
    std::lock_guard lock(m_mutex);
    return !m_queued.empty();
}

quint64 WaveBlockQueue::taken() const
{
    std::lock_guard lock(m_mutex);
    return m_takenBytes;
}

quint64 WaveBlockQueue::played() const
{
    std::lock_guard lock(m_mutex);
    return m_played;
}

quint64 WaveBlockQueue::recorded() const
{
    std::lock_guard lock(m_mutex);
    return m_recorded;
}

quint64 WaveBlockQueue::generation() const
{
    std::lock_guard lock(m_mutex);
    return m_generation;
}
