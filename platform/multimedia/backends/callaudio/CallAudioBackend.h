// The wave devices of telephone lines: one output and one input per line, in the
// line's own audio format (8 kHz, 16-bit, mono; others through WAVE_MAPPED). What is
// played on a line's output goes to whoever is at the far end of its call, and its
// input hears them; who that is, the telephony side answers through a CallAudioRouter.
//
// Not built in: an exchange that has lines adds it to the registry while it runs.
#pragma once

#include <WaveBackend.h>

#include <QStringList>

#include <memory>

class WavePacer;

// The telephony side. Called on the backend's own thread; must be thread-safe.
class CallAudioRouter {
public:
    virtual ~CallAudioRouter() = default;
    // Samples a line's output played (8 kHz 16-bit mono).
    virtual void played(int line, const char* data, quint32 bytes) = 0;
    // Up to bytes of what the line hears; live says more is on its way, so a short
    // answer is a delay rather than silence.
    virtual quint32 heard(int line, char* data, quint32 bytes, bool* live) = 0;
    // A line's output starts or stops playing, or its input starts or stops recording.
    virtual void activeChanged(int line, WaveDirection direction, bool active) = 0;
};

class CallAudioBackend : public WaveBackend {
public:
    static const WAVEFORMATEX& lineFormat();

    // One output and one input for each line name.
    CallAudioBackend(const QStringList& outNames, const QStringList& inNames, std::shared_ptr<CallAudioRouter> router);
    ~CallAudioBackend() override;

    QList<WaveDeviceInfo> devices(WaveDirection direction) override;
    bool supports(WaveDirection direction, int device, const WAVEFORMATEX& format) override;
    std::unique_ptr<WaveStream> open(WaveDirection direction, int device, const WAVEFORMATEX& format,
                                     WaveBlockQueue* queue, WaveStreamEvents* events, MMRESULT* error) override;

private:
    QStringList m_out;
    QStringList m_in;
    std::shared_ptr<CallAudioRouter> m_router;
    std::unique_ptr<WavePacer> m_pacer;
};
