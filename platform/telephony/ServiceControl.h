// What the telephony service offers beyond the API itself: options a program or test
// sets before the first initialisation, and the control commands (the ones linkora-sim
// sends through the local socket) reachable in-process.
#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

#if defined(LINKORA_TELEPHONY_BUILD)
#define LINKORA_TELEPHONY_EXPORT __attribute__((visibility("default")))
#else
#define LINKORA_TELEPHONY_EXPORT
#endif

namespace Telephony {

struct ServiceOptions {
    // The configuration file; empty means the user's (XDG) configuration directory.
    QString configPath;
    // Overrides the configured pacing of the simulated exchange (0: no delays at all).
    std::optional<double> pacing;
    // The control socket's name; empty means the per-user default. Off: no socket.
    QString controlServerName;
    bool controlServer = true;
};

// Takes effect at the next start of the service (the first initialisation after every
// usage handle was shut down).
LINKORA_TELEPHONY_EXPORT void setServiceOptions(const ServiceOptions& options);

// Runs one control command as if it came through the control socket. Fails with
// {"ok": false} while the service is not running.
LINKORA_TELEPHONY_EXPORT QJsonObject serviceControl(const QString& command, const QJsonObject& args = {});

// Whether the service is running (some usage handle is initialised).
LINKORA_TELEPHONY_EXPORT bool serviceRunning();

} // namespace Telephony
