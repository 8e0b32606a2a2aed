#include "AlsaStream.h"

#include "AlsaBackend.h"

#include <WaveBlockQueue.h>
#include <WavePcm.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr unsigned kPeriodUs = 20000;
constexpr unsigned kBufferUs = 100000;

} // namespace

snd_pcm_format_t AlsaStream::sampleFormat(const WAVEFORMATEX& format)
{
    return format.wBitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
}

std::unique_ptr<WaveStream> AlsaStream::open(const QString& name, WaveDirection direction, const WAVEFORMATEX& format,
                                             WaveBlockQueue* queue, WaveStreamEvents* events, MMRESULT* error)
{
    snd_pcm_t* pcm = nullptr;
    int r = snd_pcm_open(&pcm, name.toUtf8().constData(),
                         direction == WaveDirection::Out ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE,
                         SND_PCM_NONBLOCK);
    if (r < 0) {
        *error = AlsaBackend::resultOf(r);
        return nullptr;
    }
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_hw_params_malloc(&hw);
    snd_pcm_sw_params_malloc(&sw);
    unsigned rate = format.nSamplesPerSec;
    unsigned periodUs = kPeriodUs;
    unsigned bufferUs = kBufferUs;
    snd_pcm_uframes_t period = 0;
    snd_pcm_uframes_t buffer = 0;
    bool canPause = false;
    r = !hw || !sw ? -ENOMEM : snd_pcm_hw_params_any(pcm, hw);
    if (r >= 0)
        r = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (r >= 0)
        r = snd_pcm_hw_params_set_format(pcm, hw, sampleFormat(format));
    if (r >= 0)
        r = snd_pcm_hw_params_set_channels(pcm, hw, format.nChannels);
    if (r >= 0)
        r = snd_pcm_hw_params_set_rate(pcm, hw, rate, 0);
    if (r >= 0) {
        // Sizes are wishes; the device may round them.
        snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferUs, nullptr);
        snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodUs, nullptr);
        r = snd_pcm_hw_params(pcm, hw);
    }
    if (r >= 0) {
        snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
        snd_pcm_hw_params_get_buffer_size(hw, &buffer);
        canPause = snd_pcm_hw_params_can_pause(hw) == 1;
        r = snd_pcm_sw_params_current(pcm, sw);
    }
    if (r >= 0 && direction == WaveDirection::Out)
        r = snd_pcm_sw_params_set_start_threshold(pcm, sw, std::max<snd_pcm_uframes_t>(period, 1));
    if (r >= 0)
        r = snd_pcm_sw_params_set_avail_min(pcm, sw, std::max<snd_pcm_uframes_t>(period, 1));
    if (r >= 0)
        r = snd_pcm_sw_params(pcm, sw);
    snd_pcm_hw_params_free(hw);
    snd_pcm_sw_params_free(sw);
    if (r < 0) {
        snd_pcm_close(pcm);
        *error = r == -EINVAL ? WAVERR_BADFORMAT : AlsaBackend::resultOf(r);
        return nullptr;
    }
    period = std::max<snd_pcm_uframes_t>(period, 1);
    return std::unique_ptr<WaveStream>(new AlsaStream(pcm, direction, format, queue, events, period,
                                                      std::max(buffer, period), canPause));
}

AlsaStream::AlsaStream(snd_pcm_t* pcm, WaveDirection direction, const WAVEFORMATEX& format, WaveBlockQueue* queue,
                       WaveStreamEvents* events, snd_pcm_uframes_t period, snd_pcm_uframes_t buffer, bool canPause)
    : m_pcm(pcm)
    , m_direction(direction)
    , m_format(format)
    , m_queue(queue)
    , m_events(events)
    , m_period(period)
    , m_buffer(buffer)
    , m_canPause(canPause)
    , m_running(direction == WaveDirection::Out)
    , m_clockless(snd_pcm_type(pcm) == SND_PCM_TYPE_NULL)
{
    m_scratch.resize(std::size_t(period) * 2 * format.nBlockAlign);
    m_thread = std::thread([this] { run(); });
}

AlsaStream::~AlsaStream()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_cv.notify_all();
    m_thread.join();
    snd_pcm_drop(m_pcm);
    snd_pcm_close(m_pcm);
}

void AlsaStream::setRunning(bool running)
{
    {
        std::lock_guard lock(m_mutex);
        m_running = running;
        m_woken = true;
    }
    m_cv.notify_all();
}

void AlsaStream::wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_cv.notify_all();
}

void AlsaStream::reset()
{
    std::unique_lock lock(m_mutex);
    const quint64 asked = ++m_resetAsked;
    m_woken = true;
    m_cv.notify_all();
    // The thread answers within a round; it never blocks in ALSA.
    m_ack.wait_for(lock, std::chrono::seconds(1), [&] { return m_resetDone >= asked; });
}

bool AlsaStream::volume(DWORD* value) const
{
    if (m_direction != WaveDirection::Out)
        return false;
    *value = m_volume.load();
    return true;
}

bool AlsaStream::setVolume(DWORD value)
{
    if (m_direction != WaveDirection::Out)
        return false;
    m_volume.store(value);
    return true;
}

void AlsaStream::restartPcm()
{
    snd_pcm_drop(m_pcm);
    snd_pcm_prepare(m_pcm);
    m_carry = 0;
    m_scaled = 0;
    m_frames = 0;
    m_dropped = 0;
    m_paused = false;
    m_clockRuns = false;
    m_clockFrames = 0;
    m_position.store(0);
}

quint64 AlsaStream::clockFrames(Clock::time_point now)
{
    if (!m_clockRuns) {
        m_clockRuns = true;
        m_clockStart = now;
    }
    const qint64 ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - m_clockStart).count();
    return m_clockFrames + WavePcm::framesIn(m_format, ns);
}

void AlsaStream::stopClock(quint64 at)
{
    m_clockRuns = false;
    m_clockFrames = at;
}

void AlsaStream::checkClock(quint64 clock)
{
    // A sound card takes at most its buffer ahead of time (a capture gives less); the
    // rest of the margin is for rounds that come late and clocks that differ a little.
    if (!m_clockless && m_frames > clock + m_buffer + 2 * m_period + clock / 50)
        m_clockless = true;
}

bool AlsaStream::recover(long error)
{
    if (error == -EAGAIN)
        return true;
    if (snd_pcm_recover(m_pcm, int(error), 1) >= 0)
        return true;
    m_failed = true;
    const MMRESULT code = AlsaBackend::resultOf(int(error));
    m_events->deviceFailed(code == WAVERR_BADFORMAT || code == MMSYSERR_NOERROR ? MMSYSERR_NODRIVER : code);
    return false;
}

void AlsaStream::run()
{
    const auto period = std::chrono::microseconds(quint64(m_period) * 1000000u / m_format.nSamplesPerSec);
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (m_resetDone != m_resetAsked) {
            restartPcm();
            m_resetDone = m_resetAsked;
            m_ack.notify_all();
        }
        const bool running = m_running;
        m_woken = false;
        bool busy = false;
        if (!m_failed) {
            lock.unlock();
            if (!running && m_clockRuns) {
                // The clock stands while the device does, at what it has played.
                const quint64 clock = clockFrames(Clock::now());
                stopClock(m_clockless && m_direction == WaveDirection::Out ? std::min(m_frames, clock) : m_frames);
            }
            if (m_direction == WaveDirection::Out) {
                if (!running && !m_paused && m_canPause && snd_pcm_state(m_pcm) == SND_PCM_STATE_RUNNING)
                    m_paused = snd_pcm_pause(m_pcm, 1) == 0;
                else if (running && m_paused)
                    m_paused = snd_pcm_pause(m_pcm, 0) != 0;
                busy = running ? playRound() : false;
            } else {
                if (!running && snd_pcm_state(m_pcm) == SND_PCM_STATE_RUNNING) {
                    snd_pcm_drop(m_pcm);
                    snd_pcm_prepare(m_pcm);
                }
                busy = running && recordRound();
            }
            lock.lock();
        }
        if (m_quit || m_woken || m_resetDone != m_resetAsked)
            continue;
        if (busy)
            m_cv.wait_for(lock, period / 2, [this] { return m_quit || m_woken; });
        else
            m_cv.wait(lock, [this] { return m_quit || m_woken; });
    }
}

bool AlsaStream::playRound()
{
    const quint32 align = m_format.nBlockAlign;
    snd_pcm_sframes_t avail = snd_pcm_avail_update(m_pcm);
    if (avail < 0) {
        if (!recover(avail))
            return false;
        avail = snd_pcm_avail_update(m_pcm);
        if (avail < 0)
            return true;
    }
    const quint64 clock = clockFrames(Clock::now());
    // Without a clock of its own the device gets what the clock says it would have
    // played, and a period more, as a sound card would take it.
    if (m_clockless)
        avail = std::min<snd_pcm_sframes_t>(avail, snd_pcm_sframes_t(std::max<qint64>(
                                                       qint64(clock + m_period) - qint64(m_frames), 0)));
    // Fill what the device has room for; a partial frame waits for the next buffer.
    while (avail > 0) {
        const quint32 room = quint32(std::min<snd_pcm_sframes_t>(avail, snd_pcm_sframes_t(m_scratch.size() / align)));
        if (m_carry < room * align)
            m_carry += m_queue->read(m_scratch.data() + m_carry, room * align - m_carry);
        const quint32 frames = m_carry / align;
        if (frames == 0)
            break;
        // Each frame is scaled once, however many rounds it waits.
        if (m_scaled < frames * align) {
            WavePcm::applyVolume(m_format, m_volume.load(), m_scratch.data() + m_scaled, frames * align - m_scaled);
            m_scaled = frames * align;
        }
        const snd_pcm_sframes_t w = snd_pcm_writei(m_pcm, m_scratch.data(), frames);
        if (w < 0) {
            // The samples stay in the scratch buffer for the next round.
            if (!recover(w))
                return false;
            break;
        }
        const quint32 bytes = quint32(w) * align;
        std::memmove(m_scratch.data(), m_scratch.data() + bytes, m_carry - bytes);
        m_carry -= bytes;
        m_scaled -= bytes;
        m_frames += quint64(w);
        avail -= w;
        if (quint32(w) < frames)
            break;
    }
    checkClock(clock);
    const bool more = m_queue->hasData() || m_carry >= align;
    snd_pcm_state_t state = snd_pcm_state(m_pcm);
    // The end of a sound shorter than the start threshold still has to play.
    if (state == SND_PCM_STATE_PREPARED && m_frames > 0 && !more) {
        snd_pcm_start(m_pcm);
        state = snd_pcm_state(m_pcm);
    }
    quint64 played = m_frames;
    snd_pcm_sframes_t delay = 0;
    if (m_clockless)
        played = std::min(m_frames, clock);
    else if ((state == SND_PCM_STATE_RUNNING || state == SND_PCM_STATE_DRAINING) && snd_pcm_delay(m_pcm, &delay) == 0
             && delay > 0)
        played = m_frames - std::min<quint64>(quint64(delay), m_frames);
    // Behind the clock: the device ran dry and waits, and so does its clock.
    if (m_frames < clock)
        stopClock(m_frames);
    // A partial frame at the very end can never play: once the rest has, it counts as
    // played, so that its buffer comes back.
    if (!more && m_carry > 0 && played == m_frames) {
        m_dropped += m_carry;
        m_carry = 0;
        m_scaled = 0;
    }
    m_position.store(played * align + m_dropped);
    m_queue->markPlayed(played * align + m_dropped);
    if (state == SND_PCM_STATE_XRUN) {
        // Ran dry: everything given has played. Ready for the next buffer.
        snd_pcm_prepare(m_pcm);
    }
    const bool busy = more || played < m_frames;
    // All played: the clock waits for the next sound, so that the pause is not made up.
    if (!busy)
        stopClock(m_frames);
    return busy;
}

bool AlsaStream::recordRound()
{
    if (snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED) {
        const int r = snd_pcm_start(m_pcm);
        if (r < 0 && !recover(r))
            return false;
    }
    const quint32 align = m_format.nBlockAlign;
    const quint64 clock = clockFrames(Clock::now());
    // A device without a clock of its own gives what the clock says it has heard.
    snd_pcm_uframes_t wanted = m_scratch.size() / align;
    if (m_clockless)
        wanted = snd_pcm_uframes_t(std::min<quint64>(wanted, clock > m_frames ? clock - m_frames : 0));
    if (wanted == 0)
        return true;
    const snd_pcm_sframes_t r = snd_pcm_readi(m_pcm, m_scratch.data(), wanted);
    if (r == -EAGAIN || r == 0)
        return true;
    if (r < 0) {
        if (!recover(r))
            return false;
        snd_pcm_start(m_pcm);
        return true;
    }
    m_queue->write(m_scratch.data(), quint32(r) * align);
    m_frames += quint64(r);
    m_position.store(m_frames * align);
    checkClock(clock);
    return true;
}
