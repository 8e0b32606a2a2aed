// The "Linkora Loopback" output and input pair: what is played on the output is what a
// recording on the input hears, in real time, byte for byte when both use one format.
// Always there, so every machine has a device and tests can check samples end to end.
//
// The input hears the outputs of its own format that play while it records; with no
// such output playing it hears silence. Two outputs playing at once are heard one
// period after the other, not mixed.
#pragma once

#include <WaveBackend.h>

#include <memory>

class LoopbackBus;
class WavePacer;

class LoopbackBackend : public WaveBackend {
public:
    static constexpr const char* kName = "Linkora Loopback";

    LoopbackBackend();
    ~LoopbackBackend() override;

    QList<WaveDeviceInfo> devices(WaveDirection direction) override;
    bool supports(WaveDirection direction, int device, const WAVEFORMATEX& format) override;
    std::unique_ptr<WaveStream> open(WaveDirection direction, int device, const WAVEFORMATEX& format,
                                     WaveBlockQueue* queue, WaveStreamEvents* events, MMRESULT* error) override;

private:
    std::shared_ptr<LoopbackBus> m_bus;
    // Destroyed first: its thread stops before the bus goes.
    std::unique_ptr<WavePacer> m_pacer;
};
