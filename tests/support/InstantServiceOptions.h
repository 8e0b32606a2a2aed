#pragma once

// The telephony service as tests and benchmarks want it: a private configuration in a
// temporary folder, no pacing (every step of the exchange at once, in order), no control
// socket.

#include <ServiceControl.h>

#include <QTemporaryDir>

inline void useInstantService(const QTemporaryDir& configDir)
{
    Telephony::ServiceOptions options;
    options.configPath = configDir.filePath(QStringLiteral("telephony.conf"));
    options.providerSettings[QStringLiteral("simulated")] = {{QStringLiteral("pacing"), 0.0}};
    options.controlServer = false;
    Telephony::setServiceOptions(options);
}
