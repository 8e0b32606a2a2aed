#include "LoopbackBackend.h"

#include <WavePacer.h>
#include <WavePcm.h>

#include <algorithm>
#include <mutex>
#include <vector>

// What the outputs played, waiting for the inputs that record.
class LoopbackBus {
public:
    struct Listener {
        WAVEFORMATEX format;
        bool recording = false;
        std::vector<char> fifo;
        std::size_t head = 0;
    };

    void attach(Listener* l)
    {
        std::lock_guard lock(m_mutex);
        m_listeners.push_back(l);
    }

    void detach(Listener* l)
    {
        std::lock_guard lock(m_mutex);
        m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), l), m_listeners.end());
    }

    void setRecording(Listener* l, bool on)
    {
        std::lock_guard lock(m_mutex);
        l->recording = on;
        l->fifo.clear();
        l->head = 0;
    }

    void setPlaying(const WAVEFORMATEX& format, bool on)
    {
        std::lock_guard lock(m_mutex);
        if (on) {
            m_players.push_back(format);
            return;
        }
        auto it = std::find_if(m_players.begin(), m_players.end(),
                               [&](const WAVEFORMATEX& f) { return WavePcm::sameFormat(f, format); });
        if (it != m_players.end())
            m_players.erase(it);
    }

    void played(const WAVEFORMATEX& format, const char* data, quint32 bytes)
    {
        std::lock_guard lock(m_mutex);
        for (Listener* l : m_listeners) {
            if (!l->recording || !WavePcm::sameFormat(l->format, format))
                continue;
            l->fifo.insert(l->fifo.end(), data, data + bytes);
            // Nobody should fall this far behind; the oldest goes first.
            const std::size_t cap = std::size_t(format.nAvgBytesPerSec) * 2;
            if (l->fifo.size() - l->head > cap)
                l->head = l->fifo.size() - cap / format.nBlockAlign * format.nBlockAlign;
        }
    }

    quint32 heard(Listener* l, char* data, quint32 bytes, bool* live)
    {
        std::lock_guard lock(m_mutex);
        const std::size_t available = l->fifo.size() - l->head;
        const quint32 n = quint32(std::min<std::size_t>(available, bytes));
        std::copy_n(l->fifo.data() + l->head, n, data);
        l->head += n;
        if (l->head == l->fifo.size() || l->head > (1u << 16)) {
            l->fifo.erase(l->fifo.begin(), l->fifo.begin() + std::ptrdiff_t(l->head));
            l->head = 0;
        }
        *live = std::any_of(m_players.begin(), m_players.end(),
                            [&](const WAVEFORMATEX& f) { return WavePcm::sameFormat(f, l->format); });
        return n;
    }

private:
    std::mutex m_mutex;
    std::vector<Listener*> m_listeners;
    std::vector<WAVEFORMATEX> m_players;
};

namespace {

class OutPort : public WavePacer::Port {
public:
    OutPort(std::shared_ptr<LoopbackBus> bus, const WAVEFORMATEX& format)
        : m_bus(std::move(bus))
        , m_format(format)
    {
    }
    ~OutPort() override { activeChanged(false); }

    void played(const char* data, quint32 bytes) override { m_bus->played(m_format, data, bytes); }

    void activeChanged(bool active) override
    {
        if (active != m_active)
            m_bus->setPlaying(m_format, active);
        m_active = active;
    }

private:
    std::shared_ptr<LoopbackBus> m_bus;
    WAVEFORMATEX m_format;
    bool m_active = false;
};

class InPort : public WavePacer::Port {
public:
    InPort(std::shared_ptr<LoopbackBus> bus, const WAVEFORMATEX& format)
        : m_bus(std::move(bus))
    {
        m_listener.format = format;
        m_bus->attach(&m_listener);
    }
    ~InPort() override { m_bus->detach(&m_listener); }

    quint32 heard(char* data, quint32 bytes, bool* live) override { return m_bus->heard(&m_listener, data, bytes, live); }
    void activeChanged(bool active) override { m_bus->setRecording(&m_listener, active); }

private:
    std::shared_ptr<LoopbackBus> m_bus;
    LoopbackBus::Listener m_listener;
};

} // namespace

LoopbackBackend::LoopbackBackend()
    : m_bus(std::make_shared<LoopbackBus>())
    , m_pacer(std::make_unique<WavePacer>())
{
}

LoopbackBackend::~LoopbackBackend() = default;

QList<WaveDeviceInfo> LoopbackBackend::devices(WaveDirection direction)
{
    WaveDeviceInfo info;
    info.name = QString::fromLatin1(kName);
    info.formats = WavePcm::standardFormats();
    info.channels = 2;
    if (direction == WaveDirection::Out)
        info.support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME | WAVECAPS_SAMPLEACCURATE;
    return {info};
}

bool LoopbackBackend::supports(WaveDirection, int device, const WAVEFORMATEX& format)
{
    return device == 0 && WavePcm::isPlain(format);
}

std::unique_ptr<WaveStream> LoopbackBackend::open(WaveDirection direction, int device, const WAVEFORMATEX& format,
                                                  WaveBlockQueue* queue, WaveStreamEvents*, MMRESULT* error)
{
    if (device != 0) {
        *error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    if (!WavePcm::isPlain(format)) {
        *error = WAVERR_BADFORMAT;
        return nullptr;
    }
    std::unique_ptr<WavePacer::Port> port;
    if (direction == WaveDirection::Out)
        port = std::make_unique<OutPort>(m_bus, format);
    else
        port = std::make_unique<InPort>(m_bus, format);
    return m_pacer->open(direction, format, queue, std::move(port));
}
