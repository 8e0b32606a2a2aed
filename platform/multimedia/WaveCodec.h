// Converts between a caller's compressed format and the 16-bit PCM a device takes, for
// streams opened with WAVE_MAPPED (or on WAVE_MAPPER): G.711 mu-law and A-law, IMA
// ADPCM, the 4-bit OKI ADPCM and G.726, on the telephony DSP library's codecs.
#pragma once

#include "WaveApi.h"

#include <QtGlobal>

#include <memory>
#include <vector>

class WaveCodec {
public:
    // Null when the format is PCM or has no codec here.
    static std::unique_ptr<WaveCodec> create(const WAVEFORMATEX& format);
    virtual ~WaveCodec() = default;

    // The PCM format the device plays or records in.
    const WAVEFORMATEX& deviceFormat() const { return m_device; }

    // Output: the PCM of n bytes of the caller's data (a stream codec keeps its state
    // from one buffer to the next).
    virtual std::vector<char> decode(const char* data, quint32 n) = 0;
    // Input: the PCM bytes that encode into at most appBytes of the caller's data.
    virtual quint32 pcmBytesFor(quint32 appBytes) const = 0;
    // Input: encodes PCM into out (at most outMax bytes); returns the bytes written.
    virtual quint32 encode(const char* pcm, quint32 pcmBytes, char* out, quint32 outMax) = 0;
    // A reset starts the stream again.
    virtual void restart() = 0;

    // Device bytes as the caller's bytes, for positions.
    quint64 callerBytes(quint64 deviceBytes) const;

protected:
    WaveCodec(const WAVEFORMATEX& caller, const WAVEFORMATEX& device);

    WAVEFORMATEX m_caller;
    WAVEFORMATEX m_device;
};
