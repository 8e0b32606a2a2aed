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
    int rank;
};

// The loopback pair is device 0 everywhere; the machine's devices, which vary, come
// last (WAVE_MAPPER still picks the user's own sound device first).
constexpr Builtin kBuiltins[] = {
    {"loopback", &create<LoopbackBackend>, WaveBackendRegistry::kLoopbackRank},
#if defined(LINKORA_HAVE_ALSA)
    {"alsa", &create<AlsaBackend>, WaveBackendRegistry::kMachineRank},
#endif
};

} // namespace

void registerBuiltinWaveBackends()
{
    for (const Builtin& builtin : kBuiltins)
        WaveBackendRegistry::add(QString::fromLatin1(builtin.name), builtin.create, builtin.rank);
}
