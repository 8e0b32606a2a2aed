// What a source of wave devices offers the wave layer: its output and input devices with
// their caps, whether a device takes a format, and an open stream on a device that moves
// samples between the device and a WaveBlockQueue.
//
// The layer calls a backend and its streams on the thread that opened the stream (the
// GUI thread); a stream does its device I/O on a thread or poll loop of its own and
// reaches the caller only through the queue and WaveStreamEvents.
#pragma once

#include "WaveApi.h"

#include <QList>
#include <QString>

#include <memory>

class WaveBlockQueue;

enum class WaveDirection { Out, In };

struct WaveDeviceInfo {
    QString name; // whole; the caps' szPname holds its first 31 bytes
    DWORD formats = 0; // WAVE_FORMAT_1M08 ...
    WORD channels = 1;
    DWORD support = 0; // output only: WAVECAPS_*
    bool preferred = false; // what WAVE_MAPPER tries first (the user's own sound device)
};

// How a stream tells the layer that the device failed (any thread). The layer then
// returns the stream's buffers and refuses further use of the handle with the code.
class WaveStreamEvents {
public:
    virtual ~WaveStreamEvents() = default;
    virtual void deviceFailed(MMRESULT code) = 0;
};

class WaveStream {
public:
    // Stops the device's I/O: once it returns, the stream touches neither its queue nor
    // its events any more.
    virtual ~WaveStream() = default;

    // Output: the device plays while not paused (it starts unpaused). Input: it records
    // while running (it starts stopped).
    virtual void setRunning(bool running) = 0;
    // New buffers were queued.
    virtual void wake() = 0;
    // The queue was cleared: drop what the device holds and count from 0 again.
    virtual void reset() = 0;
    // Position in device bytes: played (output) or recorded (input) since the last reset.
    virtual quint64 position() const = 0;
    // Output volume, low word left, high word right; false when the device has none.
    virtual bool volume(DWORD* value) const
    {
        Q_UNUSED(value);
        return false;
    }
    virtual bool setVolume(DWORD value)
    {
        Q_UNUSED(value);
        return false;
    }
};

class WaveBackend {
public:
    virtual ~WaveBackend() = default;
    virtual QList<WaveDeviceInfo> devices(WaveDirection direction) = 0;
    // Whether the device takes the format as it is.
    virtual bool supports(WaveDirection direction, int device, const WAVEFORMATEX& format) = 0;
    // Null with *error set when the device cannot be opened.
    virtual std::unique_ptr<WaveStream> open(WaveDirection direction, int device, const WAVEFORMATEX& format,
                                             WaveBlockQueue* queue, WaveStreamEvents* events, MMRESULT* error) = 0;
};
