#include "BuiltinBackends.h"

#include "loopback/LoopbackBackend.h"
#if defined(LINKORA_HAVE_ALSA)
#include "alsa/AlsaBackend.h"
#endif

#include <WaveBackendRegistry.h>

namespace {

template<typename Backend>
std::shared_ptr<WaveBackend> create()
{
    return std::make_shared<Backend>();
}

struct Builtin {
    const char* name;
    std::shared_ptr<WaveBackend> (*create)();
};

// The machine's sound devices come first, so that device 0 is what a person hears.
constexpr Builtin kBuiltins[] = {
#if defined(LINKORA_HAVE_ALSA)
    {"alsa", &create<AlsaBackend>},
#endif
    {"loopback", &create<LoopbackBackend>},
};

} // namespace

void registerBuiltinWaveBackends()
{
    for (const Builtin& builtin : kBuiltins)
        WaveBackendRegistry::add(QString::fromLatin1(builtin.name), builtin.create);
}
