#include "AlsaBackend.h"

// The module's one entry point: a new backend, owned by the caller.
extern "C" __attribute__((visibility("default"))) WaveBackend* linkora_wave_alsa_backend()
{
    return new AlsaBackend;
}
