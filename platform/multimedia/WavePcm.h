// Small facts about plain PCM that devices and codecs share: whether a format is one,
// what silence is, software volume, and the caps bit a format stands for.
#pragma once

#include "WaveApi.h"

#include <QtGlobal>

namespace WavePcm {

// Integer PCM of 8 or 16 bits, 1 to 8 channels, 1 kHz to 384 kHz, with consistent sizes.
bool isPlain(const WAVEFORMATEX& format);
// The byte silence is made of (0x80 for 8-bit samples).
char silenceByte(const WAVEFORMATEX& format);
void fillSilence(const WAVEFORMATEX& format, char* data, quint32 bytes);
// Scales 8- and 16-bit samples by a volume (low word left or mono, high word right).
void applyVolume(const WAVEFORMATEX& format, DWORD volume, char* data, quint32 bytes);
// The WAVE_FORMAT_1M08 ... 4S16 bits of 11.025, 22.05 and 44.1 kHz, mono and stereo.
DWORD standardFormats();
// Bytes of n frames, and frames of a time span in nanoseconds.
quint64 framesIn(const WAVEFORMATEX& format, qint64 nanoseconds);
bool sameFormat(const WAVEFORMATEX& a, const WAVEFORMATEX& b);

} // namespace WavePcm
