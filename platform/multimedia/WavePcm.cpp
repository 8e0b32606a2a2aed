#include "WavePcm.h"

#include <cstring>

namespace WavePcm {

bool isPlain(const WAVEFORMATEX& f)
{
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nChannels >= 1
        && f.nChannels <= 8 && f.nSamplesPerSec >= 1000 && f.nSamplesPerSec <= 384000
        && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 && f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

char silenceByte(const WAVEFORMATEX& format)
{
    return format.wBitsPerSample == 8 ? char(0x80) : char(0);
}

void fillSilence(const WAVEFORMATEX& format, char* data, quint32 bytes)
{
    std::memset(data, silenceByte(format), bytes);
}

void applyVolume(const WAVEFORMATEX& format, DWORD volume, char* data, quint32 bytes)
{
    if (volume == 0xFFFFFFFFu || !isPlain(format))
        return;
    const quint32 left = volume & 0xFFFF;
    const quint32 right = format.nChannels >= 2 ? volume >> 16 : left;
    const int channels = format.nChannels;
    if (format.wBitsPerSample == 16) {
        const quint32 samples = bytes / 2;
        for (quint32 i = 0; i < samples; ++i) {
            qint16 s;
            std::memcpy(&s, data + 2 * i, 2);
            const quint32 gain = (i % channels) == 1 ? right : left;
            s = qint16(qint32(s) * qint32(gain) / 65535);
            std::memcpy(data + 2 * i, &s, 2);
        }
    } else {
        for (quint32 i = 0; i < bytes; ++i) {
            const quint32 gain = (i % channels) == 1 ? right : left;
            const qint32 s = qint32(quint8(data[i])) - 128;
            data[i] = char(quint8(s * qint32(gain) / 65535 + 128));
        }
    }
}

DWORD standardFormats()
{
    return WAVE_FORMAT_1M08 | WAVE_FORMAT_1S08 | WAVE_FORMAT_1M16 | WAVE_FORMAT_1S16 | WAVE_FORMAT_2M08
        | WAVE_FORMAT_2S08 | WAVE_FORMAT_2M16 | WAVE_FORMAT_2S16 | WAVE_FORMAT_4M08 | WAVE_FORMAT_4S08
        | WAVE_FORMAT_4M16 | WAVE_FORMAT_4S16;
}

quint64 framesIn(const WAVEFORMATEX& format, qint64 nanoseconds)
{
    if (nanoseconds <= 0)
        return 0;
    // Whole seconds and the rest apart, so long runs do not overflow.
    const quint64 ns = quint64(nanoseconds);
    return ns / 1000000000u * format.nSamplesPerSec + ns % 1000000000u * format.nSamplesPerSec / 1000000000u;
}

bool sameFormat(const WAVEFORMATEX& a, const WAVEFORMATEX& b)
{
    return a.wFormatTag == b.wFormatTag && a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec
        && a.nBlockAlign == b.nBlockAlign && a.wBitsPerSample == b.wBitsPerSample;
}

} // namespace WavePcm
