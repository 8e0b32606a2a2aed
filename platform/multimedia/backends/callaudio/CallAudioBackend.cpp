#include "CallAudioBackend.h"

#include <WavePacer.h>
#include <WavePcm.h>

namespace {

class LinePort : public WavePacer::Port {
public:
    LinePort(std::shared_ptr<CallAudioRouter> router, int line, WaveDirection direction)
        : m_router(std::move(router))
        , m_line(line)
        , m_direction(direction)
    {
    }
    ~LinePort() override { activeChanged(false); }

    void played(const char* data, quint32 bytes) override { m_router->played(m_line, data, bytes); }
    quint32 heard(char* data, quint32 bytes, bool* live) override { return m_router->heard(m_line, data, bytes, live); }
    void activeChanged(bool active) override
    {
        if (active != m_active)
            m_router->activeChanged(m_line, m_direction, active);
        m_active = active;
    }

private:
    std::shared_ptr<CallAudioRouter> m_router;
    int m_line;
    WaveDirection m_direction;
    bool m_active = false;
};

} // namespace

const WAVEFORMATEX& CallAudioBackend::lineFormat()
{
    static const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    return format;
}

CallAudioBackend::CallAudioBackend(const QStringList& outNames, const QStringList& inNames,
                                   std::shared_ptr<CallAudioRouter> router)
    : m_out(outNames)
    , m_in(inNames)
    , m_router(std::move(router))
    , m_pacer(std::make_unique<WavePacer>())
{
}

CallAudioBackend::~CallAudioBackend() = default;

QList<WaveDeviceInfo> CallAudioBackend::devices(WaveDirection direction)
{
    QList<WaveDeviceInfo> list;
    for (const QString& name : direction == WaveDirection::Out ? m_out : m_in) {
        WaveDeviceInfo info;
        info.name = name;
        info.formats = 0; // none of the standard 11/22/44 kHz formats
        info.channels = 1;
        if (direction == WaveDirection::Out)
            info.support = WAVECAPS_VOLUME;
        list << info;
    }
    return list;
}

bool CallAudioBackend::supports(WaveDirection direction, int device, const WAVEFORMATEX& format)
{
    const int count = int(direction == WaveDirection::Out ? m_out.size() : m_in.size());
    return device >= 0 && device < count && WavePcm::sameFormat(format, lineFormat());
}

std::unique_ptr<WaveStream> CallAudioBackend::open(WaveDirection direction, int device, const WAVEFORMATEX& format,
                                                   WaveBlockQueue* queue, WaveStreamEvents*, MMRESULT* error)
{
    if (!supports(direction, device, format)) {
        *error = WAVERR_BADFORMAT;
        return nullptr;
    }
    return m_pacer->open(direction, format, queue, std::make_unique<LinePort>(m_router, device, direction));
}
