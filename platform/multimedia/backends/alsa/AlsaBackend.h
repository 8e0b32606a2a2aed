// The machine's sound devices through ALSA: every PCM device ALSA's configuration names
// ("default" first where there is one, and "null", which discards what it is given).
// The list is read once, so device numbers stay put while the program runs.
#pragma once

#include <WaveBackend.h>

#include <QStringList>

#include <mutex>

class AlsaBackend : public WaveBackend {
public:
    AlsaBackend();

    QList<WaveDeviceInfo> devices(WaveDirection direction) override;
    bool supports(WaveDirection direction, int device, const WAVEFORMATEX& format) override;
    std::unique_ptr<WaveStream> open(WaveDirection direction, int device, const WAVEFORMATEX& format,
                                     WaveBlockQueue* queue, WaveStreamEvents* events, MMRESULT* error) override;

    // The layer's code for an ALSA error number.
    static MMRESULT resultOf(int alsaError);

private:
    void enumerate();
    QString pcmName(WaveDirection direction, int device);

    std::mutex m_mutex;
    bool m_enumerated = false;
    QStringList m_out;
    QStringList m_in;
};
