#include "BuiltinProviders.h"

#include "../provider/ProviderRegistry.h"
#include "simulated/SimulatedExchange.h"
#if defined(LINKORA_HAVE_SIP)
#include "sip/SipProvider.h"
#endif

namespace Telephony {

namespace {

template<typename Provider>
std::unique_ptr<TelephonyProvider> create(const QVariantMap& settings)
{
    return std::make_unique<Provider>(settings);
}

struct Builtin {
    const char* name;
    std::unique_ptr<TelephonyProvider> (*create)(const QVariantMap& settings);
};

// The first is what runs when no configured provider can: the simulated exchange needs
// nothing outside the process.
constexpr Builtin kBuiltins[] = {
    {"simulated", &create<SimulatedExchange>},
#if defined(LINKORA_HAVE_SIP)
    {"sip", &create<SipProvider>},
#endif
};

} // namespace

void registerBuiltinProviders()
{
    for (const Builtin& builtin : kBuiltins)
        ProviderRegistry::add(QString::fromLatin1(builtin.name), builtin.create);
    ProviderRegistry::setFallback(QString::fromLatin1(kBuiltins[0].name));
}

} // namespace Telephony
