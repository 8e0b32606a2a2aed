// The messages of the wave devices opened on one thread, delivered from that thread's
// event loop, one message per event and in order. Device threads and the layer post
// here; a message about a handle that has been closed meanwhile is dropped, except the
// close message itself, which carries all it needs.
#pragma once

#include "WaveApi.h"

#include <QObject>
#include <QPointer>

#include <deque>
#include <mutex>

// Where a handle's messages go, as given to the open.
struct WaveDelivery {
    DWORD type = CALLBACK_NULL;
    QPointer<QObject> window;
    WAVECALLBACK function = nullptr;
    DWORD_PTR instance = 0;
    void* device = nullptr;

    // Hands one message over now; the caller holds no lock.
    void deliver(UINT message, DWORD_PTR param1, DWORD_PTR param2) const;
};

class WaveDispatcher : public QObject {
public:
    // The dispatcher of the calling thread, made on first use and kept for the process.
    static WaveDispatcher* forCurrentThread();

    // A finished buffer or a failure of the handle may be waiting (any thread).
    void postWake(quintptr handle);
    // A message made on the layer's side (open, close, buffers returned by a reset).
    void postMessage(quintptr handle, const WaveDelivery& delivery, UINT message, DWORD_PTR param1,
                     bool evenWhenClosed = false);

protected:
    bool event(QEvent* event) override;

private:
    struct Message {
        quintptr handle = 0;
        WaveDelivery delivery;
        UINT message = 0;
        DWORD_PTR param1 = 0;
        bool evenWhenClosed = false;
    };

    WaveDispatcher() = default;

    // Messages wait here in order; one event at a time stands for the first of them.
    std::mutex m_lock;
    std::deque<Message> m_messages;
    bool m_posted = false;
};
