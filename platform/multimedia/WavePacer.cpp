#include "WavePacer.h"

#include "WaveBlockQueue.h"
#include "WavePcm.h"

#include <algorithm>
#include <atomic>

namespace {

// The most an input may fall behind a playing source before silence fills the gap.
constexpr qint64 kMaxLagMs = 250;

} // namespace

class WavePacer::Stream : public WaveStream {
public:
    Stream(WavePacer* pacer, WaveDirection direction, const WAVEFORMATEX& format, WaveBlockQueue* queue,
           std::unique_ptr<Port> port)
        : m_pacer(pacer)
        , m_direction(direction)
        , m_format(format)
        , m_queue(queue)
        , m_port(std::move(port))
        , m_running(direction == WaveDirection::Out)
    {
        const quint32 periodFrames = std::max<quint32>(1, format.nSamplesPerSec * kPeriodMs / 1000);
        m_periodBytes = periodFrames * format.nBlockAlign;
        m_scratch.resize(m_periodBytes * 4);
        m_maxLagBytes = quint64(format.nSamplesPerSec) * kMaxLagMs / 1000 * format.nBlockAlign;
    }

    ~Stream() override { m_pacer->remove(this); }

    void setRunning(bool running) override
    {
        {
            std::lock_guard lock(m_pacer->m_mutex);
            if (running == m_running)
                return;
            if (!running && m_direction == WaveDirection::Out && m_anchored)
                m_queue->markPlayed(playedAt(Clock::now()));
            m_running = running;
            setAnchored(false);
        }
        m_pacer->wake();
    }

    void wake() override { m_pacer->wake(); }

    void reset() override
    {
        std::lock_guard lock(m_pacer->m_mutex);
        setAnchored(false);
        m_recorded = 0;
    }

    quint64 position() const override
    {
        std::lock_guard lock(m_pacer->m_mutex);
        if (m_direction == WaveDirection::In)
            return m_recorded;
        return m_anchored ? playedAt(Clock::now()) : m_queue->played();
    }

    bool volume(DWORD* value) const override
    {
        if (m_direction != WaveDirection::Out)
            return false;
        *value = m_volume.load();
        return true;
    }

    bool setVolume(DWORD value) override
    {
        if (m_direction != WaveDirection::Out)
            return false;
        m_volume.store(value);
        return true;
    }

    // The pacer's thread, under its lock. True while the stream needs ticks.
    bool tick(Clock::time_point now)
    {
        if (!m_running)
            return false;
        return m_direction == WaveDirection::Out ? tickOut(now) : tickIn(now);
    }

private:
    friend class WavePacer;

    quint64 playedAt(Clock::time_point now) const
    {
        const qint64 ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_anchorTime).count();
        const quint64 clock = m_anchorBytes + WavePcm::framesIn(m_format, ns) * m_format.nBlockAlign;
        return std::min(clock, m_queue->taken());
    }

    void setAnchored(bool anchored)
    {
        if (anchored == m_anchored)
            return;
        m_anchored = anchored;
        m_port->activeChanged(anchored);
    }

    bool tickOut(Clock::time_point now)
    {
        if (!m_anchored) {
            if (!m_queue->hasData())
                return false;
            m_anchorTime = now;
            m_anchorBytes = m_queue->played();
            setAnchored(true);
        }
        const quint64 played = playedAt(now);
        const quint64 wanted = played + m_periodBytes;
        quint64 taken = m_queue->taken();
        while (taken < wanted) {
            const quint32 n = m_queue->read(m_scratch.data(), quint32(std::min<quint64>(wanted - taken, m_scratch.size())));
            if (n == 0)
                break;
            WavePcm::applyVolume(m_format, m_volume.load(), m_scratch.data(), n);
            m_port->played(m_scratch.data(), n);
            taken += n;
        }
        m_queue->markPlayed(played);
        if (played >= m_queue->taken() && !m_queue->hasData()) {
            // Drained: the clock stops until the next buffer.
            setAnchored(false);
            return false;
        }
        return true;
    }

    bool tickIn(Clock::time_point now)
    {
        if (!m_anchored) {
            m_anchorTime = now;
            m_anchorBytes = m_recorded;
            setAnchored(true);
        }
        const qint64 ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_anchorTime).count();
        const quint64 due = m_anchorBytes + WavePcm::framesIn(m_format, ns) * m_format.nBlockAlign;
        while (m_recorded < due) {
            const quint64 owed = due - m_recorded;
            const quint32 want = quint32(std::min<quint64>(owed, m_scratch.size()));
            bool live = false;
            quint32 got = m_port->heard(m_scratch.data(), want, &live);
            got = std::min(got, want) / m_format.nBlockAlign * m_format.nBlockAlign;
            if (got < want && (!live || owed - got > m_maxLagBytes)) {
                // Nothing more is coming (or it is far too late): the device hears silence.
                WavePcm::fillSilence(m_format, m_scratch.data() + got, want - got);
                got = want;
            }
            if (got == 0)
                break;
            m_queue->write(m_scratch.data(), got);
            m_recorded += got;
        }
        return true;
    }

    WavePacer* m_pacer;
    WaveDirection m_direction;
    WAVEFORMATEX m_format;
    WaveBlockQueue* m_queue;
    std::unique_ptr<Port> m_port;
    std::vector<char> m_scratch;
    quint32 m_periodBytes = 0;
    quint64 m_maxLagBytes = 0;
    bool m_running;
    bool m_anchored = false;
    Clock::time_point m_anchorTime;
    quint64 m_anchorBytes = 0;
    quint64 m_recorded = 0;
    std::atomic<DWORD> m_volume{0xFFFFFFFFu};
};

WavePacer::WavePacer() = default;

WavePacer::~WavePacer()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_cv.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::unique_ptr<WaveStream> WavePacer::open(WaveDirection direction, const WAVEFORMATEX& format,
                                            WaveBlockQueue* queue, std::unique_ptr<Port> port)
{
    auto stream = std::make_unique<Stream>(this, direction, format, queue, std::move(port));
    add(stream.get());
    return stream;
}

void WavePacer::add(Stream* stream)
{
    std::lock_guard lock(m_mutex);
    m_streams.push_back(stream);
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void WavePacer::remove(Stream* stream)
{
    std::lock_guard lock(m_mutex);
    m_streams.erase(std::remove(m_streams.begin(), m_streams.end(), stream), m_streams.end());
}

void WavePacer::wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_cv.notify_all();
}

bool WavePacer::tickLocked(Clock::time_point now)
{
    bool busy = false;
    for (Stream* s : m_streams)
        busy = s->tick(now) || busy;
    return busy;
}

void WavePacer::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        m_woken = false;
        const Clock::time_point now = Clock::now();
        // The streams keep time by the clock, so a late or early tick moves no sample.
        if (tickLocked(now))
            m_cv.wait_until(lock, now + std::chrono::milliseconds(kPeriodMs), [this] { return m_quit || m_woken; });
        else
            m_cv.wait(lock, [this] { return m_quit || m_woken; });
    }
}
