// One open ALSA PCM and the thread that feeds or drains it. The PCM is non-blocking and
// the thread sleeps on a condition between periods, so stopping, pausing and resets are
// taken up within one period. Underruns and overruns are recovered; an error that does
// not recover (the device went away) is reported once and the thread then idles.
//
// A device without a clock of its own (ALSA's "null", or one found taking or giving
// samples faster than time passes) is paced by the sample clock instead, so that a sound
// lasts as long there as on a sound card.
#pragma once

#include <WaveBackend.h>

#include <alsa/asoundlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class AlsaStream : public WaveStream {
public:
    static std::unique_ptr<WaveStream> open(const QString& name, WaveDirection direction, const WAVEFORMATEX& format,
                                            WaveBlockQueue* queue, WaveStreamEvents* events, MMRESULT* error);
    static snd_pcm_format_t sampleFormat(const WAVEFORMATEX& format);

    ~AlsaStream() override;

    void setRunning(bool running) override;
    void wake() override;
    void reset() override;
    quint64 position() const override { return m_position.load(); }
    bool volume(DWORD* value) const override;
    bool setVolume(DWORD value) override;

private:
    using Clock = std::chrono::steady_clock;

    AlsaStream(snd_pcm_t* pcm, WaveDirection direction, const WAVEFORMATEX& format, WaveBlockQueue* queue,
               WaveStreamEvents* events, snd_pcm_uframes_t period, snd_pcm_uframes_t buffer, bool canPause);

    void run();
    // One round of the thread; false when it has nothing to do until woken.
    bool playRound();
    bool recordRound();
    // A failed call: recovered (true) or reported as the device's failure.
    bool recover(long error);
    void restartPcm();
    // Frames of the sample clock: m_clockFrames when it was started, plus the time since.
    // Starts it when it stands.
    quint64 clockFrames(Clock::time_point now);
    void stopClock(quint64 at);
    // Frames handed over (or taken) so far that run ahead of the clock by more than the
    // device can hold show a device without a clock; it is paced from then on.
    void checkClock(quint64 clock);

    snd_pcm_t* m_pcm;
    WaveDirection m_direction;
    WAVEFORMATEX m_format;
    WaveBlockQueue* m_queue;
    WaveStreamEvents* m_events;
    snd_pcm_uframes_t m_period;
    snd_pcm_uframes_t m_buffer;
    bool m_canPause;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::condition_variable m_ack;
    bool m_quit = false;
    bool m_running;
    bool m_woken = false;
    quint64 m_resetAsked = 0;
    quint64 m_resetDone = 0;

    // The thread's own.
    std::vector<char> m_scratch;
    quint32 m_carry = 0; // bytes at the front of m_scratch not written yet
    quint32 m_scaled = 0; // of those, the bytes the volume was applied to
    quint64 m_frames = 0; // frames handed to (or read from) the PCM since the last reset
    quint64 m_dropped = 0; // bytes of a partial last frame given up for played
    bool m_paused = false;
    bool m_failed = false;
    bool m_clockless = false;
    bool m_clockRuns = false;
    Clock::time_point m_clockStart;
    quint64 m_clockFrames = 0;

    std::atomic<quint64> m_position{0};
    std::atomic<DWORD> m_volume{0xFFFFFFFFu};
    std::thread m_thread;
};
