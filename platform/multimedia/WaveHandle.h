// One open wave stream as its caller sees it: the caller's headers in the order they
// were queued, the device stream behind them, the codec between the two when the
// caller's format is not the device's, and where its messages go.
//
// All of it runs on the opening thread under the layer's lock; the device's thread only
// reaches the queue and, through the dispatcher, asks for service(). The caller's
// WAVEHDR fields are written here, on the caller's thread, just before the message that
// hands the header back.
#pragma once

#include "WaveBackend.h"
#include "WaveBlockQueue.h"
#include "WaveCodec.h"
#include "WaveDispatcher.h"

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

class WaveHandle : public WaveStreamEvents {
public:
    struct Message {
        WaveDelivery delivery;
        UINT message;
        DWORD_PTR param1;
    };

    WaveHandle(quintptr id, WaveDirection direction, UINT deviceId, const WaveDelivery& delivery,
               const WAVEFORMATEX& format, std::unique_ptr<WaveCodec> codec);
    ~WaveHandle() override;

    MMRESULT start(const std::shared_ptr<WaveBackend>& backend, int index);

    quintptr id() const { return m_id; }
    WaveDirection direction() const { return m_direction; }
    UINT deviceId() const { return m_deviceId; }
    const WaveBackend* backend() const { return m_backend.get(); }
    const WaveDelivery& delivery() const { return m_delivery; }
    // No more messages, not even the close (the process is ending).
    void silence() { m_delivery.type = CALLBACK_NULL; }

    MMRESULT prepare(WAVEHDR* header, UINT size);
    MMRESULT unprepare(WAVEHDR* header, UINT size);
    // waveOutWrite and waveInAddBuffer.
    MMRESULT queue(WAVEHDR* header, UINT size);
    // Output: pause (false) and restart (true). Input: stop (false) and start (true).
    MMRESULT setRunning(bool running);
    MMRESULT reset();
    MMRESULT position(MMTIME* time, UINT size) const;
    MMRESULT volume(DWORD* value) const;
    MMRESULT setVolume(DWORD value);
    // WAVERR_STILLPLAYING while a header is queued; otherwise the stream stops.
    MMRESULT prepareClose();
    // The device is gone: every queued header comes back and further use fails.
    void lose(MMRESULT code);

    // Headers whose buffers the device finished, and a failure it reported, handed
    // back in order, each with a message of its own.
    void service();

    // WaveStreamEvents (any thread).
    void deviceFailed(MMRESULT code) override;

private:
    struct Pending {
        quint64 id;
        WAVEHDR* header;
        std::vector<char> shadow; // the device's samples when a codec stands between
    };

    MMRESULT usable() const;
    Message finish(const Pending& pending, quint32 bytes);
    // Every header the queue gave back, finished in order, each message posted to the
    // dispatcher as an event of its own: a handler that waits in the event loop for a
    // later header gets it, and a message for a handle closed meanwhile is dropped.
    void returnAll(const std::vector<WaveBlockQueue::Finished>& finished);

    quintptr m_id;
    WaveDirection m_direction;
    UINT m_deviceId;
    WaveDelivery m_delivery;
    WAVEFORMATEX m_format;
    std::unique_ptr<WaveCodec> m_codec;
    WaveDispatcher* m_dispatcher;
    std::shared_ptr<WaveBackend> m_backend;
    std::unique_ptr<WaveBlockQueue> m_queue;
    std::unique_ptr<WaveStream> m_stream;
    std::deque<Pending> m_pending;
    quint64 m_nextBlock = 1;
    bool m_running = false;
    MMRESULT m_lost = MMSYSERR_NOERROR;
    std::atomic<MMRESULT> m_failure{MMSYSERR_NOERROR};
};
