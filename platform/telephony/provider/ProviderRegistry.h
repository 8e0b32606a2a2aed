// The providers the service can start, by name ("simulated", later "sip"): each adds a
// factory that creates it with its settings. The service core looks providers up here
// and names none itself; the built-in ones are added by registerBuiltinProviders().
#pragma once

#include "TelephonyProvider.h"

#include <functional>
#include <memory>

namespace Telephony {

class ProviderRegistry {
public:
    using Factory = std::function<std::unique_ptr<TelephonyProvider>(const QVariantMap& settings)>;

    // A second factory under the same name replaces the first.
    static void add(const QString& name, Factory factory);
    static bool contains(const QString& name);
    // Null for a name nobody registered.
    static std::unique_ptr<TelephonyProvider> create(const QString& name, const QVariantMap& settings);
    static QStringList names();

    // The provider that runs when none of the configured ones can be created; empty
    // until one is set.
    static void setFallback(const QString& name);
    static QString fallback();
};

} // namespace Telephony
