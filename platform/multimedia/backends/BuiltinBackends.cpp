#include "BuiltinBackends.h"

#include "loopback/LoopbackBackend.h"
#include <WaveBackendRegistry.h>

#if defined(LINKORA_HAVE_ALSA)
#include <SiblingModule.h>

#include <QDebug>
#endif

namespace {

template<typename Backend>
std::shared_ptr<WaveBackend> create()
{
    return std::make_shared<Backend>();
}

#if defined(LINKORA_HAVE_ALSA)
// The machine's devices live in a module beside this library, loaded the first time the
// devices are listed; without it the other devices still work.
std::shared_ptr<WaveBackend> createAlsa()
{
    using Entry = WaveBackend* (*)();
    static const Entry entry = [] {
        QString error;
        const auto found = SiblingModule::resolve<Entry>(SiblingModule::folderOf(reinterpret_cast<void*>(&createAlsa)),
                                                         "liblinkora-multimedia-alsa.so", "linkora_wave_alsa_backend",
                                                         &error);
        if (!found)
            qWarning().noquote() << "linkora-multimedia: no ALSA devices:" << error;
        return found;
    }();
    return entry ? std::shared_ptr<WaveBackend>(entry()) : nullptr;
}
#endif

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
    {"alsa", &createAlsa, WaveBackendRegistry::kMachineRank},
#endif
};

} // namespace

void registerBuiltinWaveBackends()
{
    for (const Builtin& builtin : kBuiltins)
        WaveBackendRegistry::add(QString::fromLatin1(builtin.name), builtin.create, builtin.rank);
}
