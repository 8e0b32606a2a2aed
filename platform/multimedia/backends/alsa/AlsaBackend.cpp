#include "AlsaBackend.h"

#include "AlsaStream.h"

#include <WavePcm.h>

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdarg>

namespace {

// ALSA writes its complaints to stderr; the layer reports them as result codes instead.
void quiet(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_stream_t streamOf(WaveDirection direction)
{
    return direction == WaveDirection::Out ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE;
}

} // namespace

AlsaBackend::AlsaBackend()
{
    snd_lib_error_set_handler(&quiet);
}

MMRESULT AlsaBackend::resultOf(int alsaError)
{
    switch (-alsaError) {
    case 0: return MMSYSERR_NOERROR;
    case EBUSY:
    case EAGAIN: return MMSYSERR_ALLOCATED;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EBADFD:
    case EIO:
    case ESHUTDOWN: return MMSYSERR_NODRIVER;
    case ENOMEM: return MMSYSERR_NOMEM;
    case EINVAL: return WAVERR_BADFORMAT;
    default: return MMSYSERR_ERROR;
    }
}

void AlsaBackend::enumerate()
{
    if (m_enumerated)
        return;
    m_enumerated = true;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints)
        return;
    for (void** h = hints; *h; ++h) {
        char* name = snd_device_name_get_hint(*h, "NAME");
        char* io = snd_device_name_get_hint(*h, "IOID");
        if (name) {
            const QString n = QString::fromUtf8(name);
            const bool out = !io || qstrcmp(io, "Output") == 0;
            const bool in = !io || qstrcmp(io, "Input") == 0;
            // "default" leads: it is what the user chose as their sound device.
            const bool first = n == QLatin1String("default");
            if (out && !m_out.contains(n))
                first ? m_out.prepend(n) : m_out.append(n);
            if (in && !m_in.contains(n))
                first ? m_in.prepend(n) : m_in.append(n);
        }
        free(name);
        free(io);
    }
    snd_device_name_free_hint(hints);
}

QList<WaveDeviceInfo> AlsaBackend::devices(WaveDirection direction)
{
    std::lock_guard lock(m_mutex);
    enumerate();
    QList<WaveDeviceInfo> list;
    for (const QString& name : direction == WaveDirection::Out ? m_out : m_in) {
        WaveDeviceInfo info;
        info.name = name;
        info.formats = WavePcm::standardFormats();
        info.channels = 2;
        info.preferred = name == QLatin1String("default");
        if (direction == WaveDirection::Out)
            info.support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME;
        list << info;
    }
    return list;
}

QString AlsaBackend::pcmName(WaveDirection direction, int device)
{
    std::lock_guard lock(m_mutex);
    enumerate();
    const QStringList& list = direction == WaveDirection::Out ? m_out : m_in;
    return device >= 0 && device < list.size() ? list[device] : QString();
}

bool AlsaBackend::supports(WaveDirection direction, int device, const WAVEFORMATEX& format)
{
    if (!WavePcm::isPlain(format))
        return false;
    const QString name = pcmName(direction, device);
    if (name.isEmpty())
        return false;
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, name.toUtf8().constData(), streamOf(direction), SND_PCM_NONBLOCK) < 0)
        return true; // busy or gone: the open says which
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_malloc(&hw);
    bool ok = hw && snd_pcm_hw_params_any(pcm, hw) >= 0;
    ok = ok && snd_pcm_hw_params_test_format(pcm, hw, AlsaStream::sampleFormat(format)) == 0;
    ok = ok && snd_pcm_hw_params_test_channels(pcm, hw, format.nChannels) == 0;
    ok = ok && snd_pcm_hw_params_test_rate(pcm, hw, format.nSamplesPerSec, 0) == 0;
    snd_pcm_hw_params_free(hw);
    snd_pcm_close(pcm);
    return ok;
}

std::unique_ptr<WaveStream> AlsaBackend::open(WaveDirection direction, int device, const WAVEFORMATEX& format,
                                              WaveBlockQueue* queue, WaveStreamEvents* events, MMRESULT* error)
{
    const QString name = pcmName(direction, device);
    if (name.isEmpty()) {
        *error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    if (!WavePcm::isPlain(format)) {
        *error = WAVERR_BADFORMAT;
        return nullptr;
    }
    return AlsaStream::open(name, direction, format, queue, events, error);
}
