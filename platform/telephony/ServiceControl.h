// What the telephony service offers beyond the API itself: options a program or test
// sets before the first initialisation, and the control commands (the ones linkora-sim
// sends through the local socket) reachable in-process.
#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QVariantMap>

#if defined(LINKORA_TELEPHONY_BUILD)
#define LINKORA_TELEPHONY_EXPORT __attribute__((visibility("default")))
#else
#define LINKORA_TELEPHONY_EXPORT
#endif

namespace Telephony {

struct ServiceOptions {
    // The configuration file; empty means the user's (XDG) configuration directory.
    QString configPath;
    // Settings that override the configured ones, by provider name, for example
    // {"simulated": {"pacing": 0.0}} for an exchange without delays. A provider reads the
    // keys it knows; settings for a provider that does not run are ignored.
    QMap<QString, QVariantMap> providerSettings;
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

// A number that moves on whenever what the status and information structures report
// (line, address, call status, call information) may have changed: at every API call but
// their reads, every event the process handles and every control command. 0 while the
// service is not running. A structure read while the number stayed the same is still
// what a new read would give.
LINKORA_TELEPHONY_EXPORT quint64 serviceStamp();

// Whether the service is running (some usage handle is initialised).
LINKORA_TELEPHONY_EXPORT bool serviceRunning();

} // namespace Telephony
