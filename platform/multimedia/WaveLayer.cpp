#include "WaveLayer.h"

#include "WaveCodec.h"
#include "WaveHandle.h"
#include "backends/BuiltinBackends.h"

#include <QObject>

namespace {

constexpr DWORD kKnownFlags = CALLBACK_TYPEMASK | WAVE_FORMAT_QUERY | WAVE_ALLOWSYNC | WAVE_MAPPED | WAVE_FORMAT_DIRECT;

bool sane(const WAVEFORMATEX& f)
{
    return f.nChannels > 0 && f.nSamplesPerSec > 0 && f.nBlockAlign > 0;
}

} // namespace

WaveLayer& WaveLayer::instance()
{
    static WaveLayer layer;
    return layer;
}

WaveLayer::WaveLayer() = default;

WaveLayer::~WaveLayer()
{
    // Streams stop before the backends that run them.
    std::lock_guard lock(m_mutex);
    for (auto& [id, handle] : m_handles)
        handle->silence();
    m_handles.clear();
    m_backends.clear();
}

void WaveLayer::addBackend(const QString& name, Factory factory, std::shared_ptr<WaveBackend> backend, int rank)
{
    std::lock_guard lock(m_mutex);
    // The built-in backends come first whoever adds one.
    backendNames();
    for (qsizetype i = 0; i < m_backends.size(); ++i) {
        if (m_backends[i].name == name) {
            m_backends.removeAt(i);
            break;
        }
    }
    qsizetype at = 0;
    while (at < m_backends.size() && m_backends[at].rank <= rank)
        ++at;
    m_backends.insert(at, {name, std::move(factory), std::move(backend), rank});
}

void WaveLayer::removeBackend(const QString& name, const WaveBackend* onlyIf)
{
    std::lock_guard lock(m_mutex);
    for (qsizetype i = 0; i < m_backends.size(); ++i) {
        if (m_backends[i].name != name)
            continue;
        const std::shared_ptr<WaveBackend> backend = m_backends[i].backend;
        if (onlyIf && backend.get() != onlyIf)
            return;
        m_backends.removeAt(i);
        // Its open streams lose their device; their handles stay until closed.
        if (backend) {
            for (auto& [id, handle] : m_handles)
                if (handle->backend() == backend.get())
                    handle->lose(MMSYSERR_NODRIVER);
        }
        return;
    }
}

QStringList WaveLayer::backendNames()
{
    std::lock_guard lock(m_mutex);
    if (!m_builtinsAdded) {
        m_builtinsAdded = true;
        registerBuiltinWaveBackends();
    }
    QStringList names;
    for (const Entry& e : m_backends)
        names << e.name;
    return names;
}

std::shared_ptr<WaveBackend> WaveLayer::backendLocked(Entry& entry)
{
    if (!entry.backend && entry.factory)
        entry.backend = entry.factory();
    return entry.backend;
}

int WaveLayer::deviceNumber(const QString& backend, WaveDirection direction, int index)
{
    std::lock_guard lock(m_mutex);
    backendNames();
    int base = 0;
    for (Entry& e : m_backends) {
        const std::shared_ptr<WaveBackend> b = backendLocked(e);
        const int count = b ? int(b->devices(direction).size()) : 0;
        if (e.name == backend)
            return index >= 0 && index < count ? base + index : -1;
        base += count;
    }
    return -1;
}

int WaveLayer::deviceCount(WaveDirection direction)
{
    std::lock_guard lock(m_mutex);
    backendNames();
    int count = 0;
    for (Entry& e : m_backends)
        if (const std::shared_ptr<WaveBackend> b = backendLocked(e))
            count += int(b->devices(direction).size());
    return count;
}

bool WaveLayer::device(WaveDirection direction, UINT id, Device* out)
{
    std::lock_guard lock(m_mutex);
    backendNames();
    return deviceLocked(direction, id, out);
}

bool WaveLayer::deviceLocked(WaveDirection direction, UINT id, Device* out)
{
    quint64 base = 0;
    for (Entry& e : m_backends) {
        const std::shared_ptr<WaveBackend> b = backendLocked(e);
        if (!b)
            continue;
        const QList<WaveDeviceInfo> list = b->devices(direction);
        if (id < base + quint64(list.size())) {
            *out = {b, e.name, int(id - base), list[qsizetype(id - base)]};
            return true;
        }
        base += quint64(list.size());
    }
    return false;
}

MMRESULT WaveLayer::open(WaveDirection direction, void** handle, UINT id, const WAVEFORMATEX* format,
                         DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    if (handle)
        *handle = nullptr;
    if (!format || (!handle && !(flags & WAVE_FORMAT_QUERY)))
        return MMSYSERR_INVALPARAM;
    if (flags & ~kKnownFlags)
        return MMSYSERR_INVALFLAG;
    const DWORD type = flags & CALLBACK_TYPEMASK;
    if (type != CALLBACK_NULL && type != CALLBACK_WINDOW && type != CALLBACK_FUNCTION)
        return MMSYSERR_INVALFLAG;
    if (type != CALLBACK_NULL && callback == 0 && !(flags & WAVE_FORMAT_QUERY))
        return MMSYSERR_INVALPARAM;
    if (!sane(*format))
        return WAVERR_BADFORMAT;

    std::lock_guard lock(m_mutex);
    backendNames();
    if (id != WAVE_MAPPER) {
        Device dev;
        if (!deviceLocked(direction, id, &dev))
            return MMSYSERR_BADDEVICEID;
        return openOn(direction, dev, id, *format, callback, instance, flags, handle);
    }
    // The mapper: the devices a backend prefers (the user's sound device), then the first
    // device of each backend in turn, converting where needed.
    struct Candidate {
        Device device;
        UINT id;
    };
    std::vector<Candidate> preferred, firsts;
    UINT base = 0;
    for (Entry& e : m_backends) {
        const std::shared_ptr<WaveBackend> b = backendLocked(e);
        if (!b)
            continue;
        const QList<WaveDeviceInfo> list = b->devices(direction);
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (list[i].preferred)
                preferred.push_back({{b, e.name, int(i), list[i]}, base + UINT(i)});
            else if (i == 0)
                firsts.push_back({{b, e.name, 0, list[0]}, base});
        }
        base += UINT(list.size());
    }
    preferred.insert(preferred.end(), firsts.begin(), firsts.end());
    MMRESULT result = MMSYSERR_NODRIVER;
    for (const Candidate& c : preferred) {
        result = openOn(direction, c.device, c.id, *format, callback, instance, flags | WAVE_MAPPED, handle);
        if (result == MMSYSERR_NOERROR)
            return result;
    }
    return result;
}

MMRESULT WaveLayer::openOn(WaveDirection direction, const Device& device, UINT id, const WAVEFORMATEX& format,
                           DWORD_PTR callback, DWORD_PTR instance, DWORD flags, void** handle)
{
    WAVEFORMATEX fmt = format;
    if (fmt.wFormatTag == WAVE_FORMAT_PCM)
        fmt.cbSize = 0;
    std::unique_ptr<WaveCodec> codec;
    if (!device.backend->supports(direction, device.index, fmt)) {
        if (!(flags & WAVE_MAPPED))
            return WAVERR_BADFORMAT;
        codec = WaveCodec::create(fmt);
        if (!codec || !device.backend->supports(direction, device.index, codec->deviceFormat()))
            return WAVERR_BADFORMAT;
    }
    if (flags & WAVE_FORMAT_QUERY)
        return MMSYSERR_NOERROR;

    WaveDelivery delivery;
    delivery.type = flags & CALLBACK_TYPEMASK;
    delivery.instance = instance;
    if (delivery.type == CALLBACK_WINDOW)
        delivery.window = reinterpret_cast<QObject*>(callback);
    else if (delivery.type == CALLBACK_FUNCTION)
        delivery.function = reinterpret_cast<WAVECALLBACK>(callback);

    const quintptr hid = m_nextHandle++;
    auto h = std::make_unique<WaveHandle>(hid, direction, id, delivery, fmt, std::move(codec));
    const MMRESULT result = h->start(device.backend, device.index);
    if (result != MMSYSERR_NOERROR)
        return result;
    m_handles.emplace(hid, std::move(h));
    *handle = reinterpret_cast<void*>(hid);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveLayer::close(WaveDirection direction, void* handle)
{
    std::unique_ptr<WaveHandle> closing;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_handles.find(quintptr(handle));
        if (it == m_handles.end() || it->second->direction() != direction)
            return MMSYSERR_INVALHANDLE;
        if (const MMRESULT r = it->second->prepareClose())
            return r;
        closing = std::move(it->second);
        m_handles.erase(it);
    }
    // Freed outside the lock: a stream's thread may be finishing a call into the layer.
    closing.reset();
    return MMSYSERR_NOERROR;
}

MMRESULT WaveLayer::with(WaveDirection direction, void* handle, const std::function<MMRESULT(WaveHandle&)>& op)
{
    std::lock_guard lock(m_mutex);
    auto it = m_handles.find(quintptr(handle));
    if (it == m_handles.end() || it->second->direction() != direction)
        return MMSYSERR_INVALHANDLE;
    return op(*it->second);
}

void WaveLayer::service(quintptr handle)
{
    std::lock_guard lock(m_mutex);
    auto it = m_handles.find(handle);
    if (it != m_handles.end())
        it->second->service();
}

bool WaveLayer::isOpen(quintptr handle)
{
    std::lock_guard lock(m_mutex);
    return m_handles.count(handle) > 0;
}
