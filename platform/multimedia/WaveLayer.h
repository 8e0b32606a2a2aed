// The wave layer's one state: the backends in their registration order (which gives
// the device numbers) and the open handles. The wave functions are thin calls into it.
// One lock guards it; no callback and no message delivery runs under that lock.
#pragma once

#include "WaveBackend.h"

#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

class WaveHandle;

class WaveLayer {
public:
    using Factory = std::function<std::shared_ptr<WaveBackend>()>;

    struct Device {
        std::shared_ptr<WaveBackend> backend;
        QString backendName;
        int index = -1; // in the backend's list
        WaveDeviceInfo info;
    };

    static WaveLayer& instance();

    // Registry (see WaveBackendRegistry).
    void addBackend(const QString& name, Factory factory, std::shared_ptr<WaveBackend> backend, int rank);
    void removeBackend(const QString& name, const WaveBackend* onlyIf);
    QStringList backendNames();
    int deviceNumber(const QString& backend, WaveDirection direction, int index);

    int deviceCount(WaveDirection direction);
    bool device(WaveDirection direction, UINT id, Device* out);

    MMRESULT open(WaveDirection direction, void** handle, UINT id, const WAVEFORMATEX* format, DWORD_PTR callback,
                  DWORD_PTR instance, DWORD flags);
    MMRESULT close(WaveDirection direction, void* handle);
    // Runs op on the open handle of that direction under the lock, or answers
    // MMSYSERR_INVALHANDLE; messages op leaves are delivered after the lock is released.
    MMRESULT with(WaveDirection direction, void* handle, const std::function<MMRESULT(WaveHandle&)>& op);

    // The dispatcher's side: finished buffers and failures of a handle, whose messages
    // are posted one by one.
    void service(quintptr handle);
    bool isOpen(quintptr handle);

private:
    struct Entry {
        QString name;
        Factory factory;
        std::shared_ptr<WaveBackend> backend;
        int rank = 0;
    };

    WaveLayer();
    ~WaveLayer();
    std::shared_ptr<WaveBackend> backendLocked(Entry& entry);
    bool deviceLocked(WaveDirection direction, UINT id, Device* out);
    MMRESULT openOn(WaveDirection direction, const Device& device, UINT id, const WAVEFORMATEX& format,
                    DWORD_PTR callback, DWORD_PTR instance, DWORD flags, void** handle);

    std::recursive_mutex m_mutex;
    QList<Entry> m_backends;
    bool m_builtinsAdded = false;
    std::map<quintptr, std::unique_ptr<WaveHandle>> m_handles;
    quintptr m_nextHandle = 0x5700;
};
