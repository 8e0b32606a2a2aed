// The sources of wave devices, by name, ordered by rank (then by when they were added):
// that order, each backend's list of output (or input) devices after the other, gives
// the device numbers. The layer names none itself; the built-in ones come from
// registerBuiltinWaveBackends() and others (call audio) are added while they exist.
//
// Ranks keep the numbers of the devices every machine has apart from those that vary:
// the loopback pair is kLoopbackRank, devices of a running exchange kCallRank, the
// machine's sound devices kMachineRank.
#pragma once

#include "WaveBackend.h"

#include <QStringList>

#include <functional>
#include <memory>

class WaveBackendRegistry {
public:
    // Called once, on first use; the backend lives until removed or the process ends.
    using Factory = std::function<std::shared_ptr<WaveBackend>()>;

    static constexpr int kLoopbackRank = 0;
    static constexpr int kCallRank = 10;
    static constexpr int kMachineRank = 100;

    // A second backend under the same name replaces the first and takes its place.
    static void add(const QString& name, Factory factory, int rank);
    static void add(const QString& name, std::shared_ptr<WaveBackend> backend, int rank);
    // Its open streams fail with MMSYSERR_NODRIVER, returning their buffers. With
    // onlyIf, nothing happens unless that is the backend registered under the name.
    static void remove(const QString& name, const WaveBackend* onlyIf = nullptr);
    static QStringList names();
    // The wave device number of a backend's device, -1 when there is none.
    static int deviceNumber(const QString& backend, WaveDirection direction, int index);
};
