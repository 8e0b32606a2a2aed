// The sources of wave devices, by name, in the order they were added: that order, each
// backend's list of output (or input) devices after the other, gives the device numbers.
// The layer names none itself; the built-in ones come from registerBuiltinWaveBackends()
// and others (call audio) are added while they exist.
#pragma once

#include "WaveBackend.h"

#include <QStringList>

#include <functional>
#include <memory>

class WaveBackendRegistry {
public:
    // Called once, on first use; the backend lives until removed or the process ends.
    using Factory = std::function<std::shared_ptr<WaveBackend>()>;

    // A second factory under the same name replaces the first and keeps its place.
    static void add(const QString& name, Factory factory);
    // Its open streams fail with MMSYSERR_NODRIVER, returning their buffers.
    static void remove(const QString& name);
    static QStringList names();
    // The wave device number of a backend's device, -1 when there is none.
    static int deviceNumber(const QString& backend, WaveDirection direction, int index);
};
