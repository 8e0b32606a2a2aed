#include "BuiltinProviders.h"

#include "../provider/ProviderRegistry.h"
#include "simulated/SimulatedExchange.h"

#if defined(LINKORA_HAVE_SIP)
#include <SiblingModule.h>

#include <QtDebug>
#endif

namespace Telephony {

namespace {

template<typename Provider>
std::unique_ptr<TelephonyProvider> create(const QVariantMap& settings)
{
    return std::make_unique<Provider>(settings);
}

#if defined(LINKORA_HAVE_SIP)
// The SIP stack brings some hundred and forty libraries with it, so the provider lives in
// a module beside this library and is loaded when a SIP line is first started: programs
// that never use one start without them.
std::unique_ptr<TelephonyProvider> createSip(const QVariantMap& settings)
{
    using Entry = TelephonyProvider* (*)(const QVariantMap*);
    static const Entry entry = [] {
        QString error;
        const auto found = SiblingModule::resolve<Entry>(SiblingModule::folderOf(reinterpret_cast<void*>(&createSip)),
                                                         "liblinkora-telephony-sip.so",
                                                         "linkora_telephony_sip_provider", &error);
        if (!found)
            qWarning().noquote() << "linkora-telephony: no SIP provider:" << error;
        return found;
    }();
    return std::unique_ptr<TelephonyProvider>(entry ? entry(&settings) : nullptr);
}
#endif

struct Builtin {
    const char* name;
    std::unique_ptr<TelephonyProvider> (*create)(const QVariantMap& settings);
};

// The first is what runs when no configured provider can: the simulated exchange needs
// nothing outside the process.
constexpr Builtin kBuiltins[] = {
    {"simulated", &create<SimulatedExchange>},
#if defined(LINKORA_HAVE_SIP)
    {"sip", &createSip},
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
