// Streams of devices that exist only in this process (the loopback pair, call audio),
// moved in real time by one thread on the monotonic clock. An output stream takes its
// samples from the queue as a sound card would (one period ahead of what it has played)
// and hands them to its Port; an input stream asks its Port for what the device hears,
// with silence where nothing is heard.
//
// The thread ticks every period while a stream runs and sleeps otherwise; queuing a
// buffer wakes it at once, so playing starts without waiting for a tick.
#pragma once

#include "WaveBackend.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class WavePacer {
public:
    // The device end of one stream; called on the pacer's thread only.
    class Port {
    public:
        virtual ~Port() = default;
        // Output: samples the device just took, in order.
        virtual void played(const char* data, quint32 bytes)
        {
            Q_UNUSED(data);
            Q_UNUSED(bytes);
        }
        // Input: up to bytes of what the device hears. live says that more is on its way
        // (a source is playing), so a short answer is a delay, not silence.
        virtual quint32 heard(char* data, quint32 bytes, bool* live)
        {
            Q_UNUSED(data);
            Q_UNUSED(bytes);
            *live = false;
            return 0;
        }
        // Output: the stream starts or stops taking samples. Input: it starts or stops
        // recording.
        virtual void activeChanged(bool active) { Q_UNUSED(active); }
    };

    static constexpr int kPeriodMs = 10;

    WavePacer();
    ~WavePacer();

    std::unique_ptr<WaveStream> open(WaveDirection direction, const WAVEFORMATEX& format, WaveBlockQueue* queue,
                                     std::unique_ptr<Port> port);

private:
    class Stream;
    using Clock = std::chrono::steady_clock;

    void add(Stream* stream);
    void remove(Stream* stream);
    void wake();
    void run();
    // One tick of every stream; true while any of them needs further ticks.
    bool tickLocked(Clock::time_point now);

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Stream*> m_streams;
    bool m_quit = false;
    bool m_woken = false;
    std::thread m_thread;
};
