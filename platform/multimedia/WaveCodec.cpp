#include "WaveCodec.h"

#if defined(LINKORA_HAVE_SPANDSP)
// telephony.h first: the others rely on what it declares.
#include <spandsp/telephony.h>
#include <spandsp/bit_operations.h>
#include <spandsp/g711.h>
#include <spandsp/g726.h>
#include <spandsp/ima_adpcm.h>
#include <spandsp/oki_adpcm.h>
#endif

#include <algorithm>
#include <cstring>

WaveCodec::WaveCodec(const WAVEFORMATEX& caller, const WAVEFORMATEX& device)
    : m_caller(caller)
    , m_device(device)
{
}

quint64 WaveCodec::callerBytes(quint64 deviceBytes) const
{
    if (m_device.nAvgBytesPerSec == 0)
        return 0;
    return deviceBytes * m_caller.nAvgBytesPerSec / m_device.nAvgBytesPerSec;
}

#if defined(LINKORA_HAVE_SPANDSP)

namespace {

WAVEFORMATEX pcm16(DWORD rate)
{
    return {WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0};
}

// One codec of the library behind a common shape: the caller's bytes come in groups
// (bytesPerGroup) that stand for samplesPerGroup device samples.
class SpandspCodec : public WaveCodec {
public:
    struct Kind {
        void* (*init)(int parameter);
        void (*release)(void* state);
        int (*decode)(void* state, int16_t* amp, const uint8_t* data, int bytes);
        int (*encode)(void* state, uint8_t* data, const int16_t* amp, int samples);
        int parameter;
        quint32 bytesPerGroup;
        quint32 samplesPerGroup;
    };

    SpandspCodec(const WAVEFORMATEX& caller, DWORD deviceRate, const Kind& kind)
        : WaveCodec(caller, pcm16(deviceRate))
        , m_kind(kind)
    {
        restart();
    }

    ~SpandspCodec() override
    {
        if (m_state)
            m_kind.release(m_state);
    }

    bool valid() const { return m_state != nullptr; }

    std::vector<char> decode(const char* data, quint32 n) override
    {
        const quint32 groups = n / m_kind.bytesPerGroup;
        std::vector<int16_t> amp(std::size_t(groups) * m_kind.samplesPerGroup + 16);
        const int samples = groups ? m_kind.decode(m_state, amp.data(), reinterpret_cast<const uint8_t*>(data),
                                                   int(groups * m_kind.bytesPerGroup))
                                   : 0;
        std::vector<char> out(std::size_t(std::max(samples, 0)) * 2);
        std::memcpy(out.data(), amp.data(), out.size());
        return out;
    }

    quint32 pcmBytesFor(quint32 appBytes) const override
    {
        return appBytes / m_kind.bytesPerGroup * m_kind.samplesPerGroup * 2;
    }

    quint32 encode(const char* pcm, quint32 pcmBytes, char* out, quint32 outMax) override
    {
        const quint32 groups = pcmBytes / 2 / m_kind.samplesPerGroup;
        if (groups == 0)
            return 0;
        std::vector<int16_t> amp(std::size_t(groups) * m_kind.samplesPerGroup);
        std::memcpy(amp.data(), pcm, amp.size() * 2);
        std::vector<uint8_t> coded(std::size_t(groups) * m_kind.bytesPerGroup + 16);
        const int n = m_kind.encode(m_state, coded.data(), amp.data(), int(amp.size()));
        const quint32 written = std::min<quint32>(quint32(std::max(n, 0)), outMax);
        std::memcpy(out, coded.data(), written);
        return written;
    }

    void restart() override
    {
        if (m_state)
            m_kind.release(m_state);
        m_state = m_kind.init(m_kind.parameter);
    }

private:
    Kind m_kind;
    void* m_state = nullptr;
};

const SpandspCodec::Kind kG711{
    [](int mode) -> void* { return g711_init(nullptr, mode); },
    [](void* s) { g711_free(static_cast<g711_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return g711_decode(static_cast<g711_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return g711_encode(static_cast<g711_state_t*>(s), data, amp, samples);
    },
    0, 1, 1};

// The IMA stream of the format table: 4-bit codes, two samples a byte, no block headers.
// A chunk of 0 would put a header before every buffer; one endless chunk has none.
const SpandspCodec::Kind kIma{
    [](int) -> void* { return ima_adpcm_init(nullptr, IMA_ADPCM_IMA4, 1 << 30); },
    [](void* s) { ima_adpcm_free(static_cast<ima_adpcm_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return ima_adpcm_decode(static_cast<ima_adpcm_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return ima_adpcm_encode(static_cast<ima_adpcm_state_t*>(s), data, amp, samples);
    },
    0, 1, 2};

const SpandspCodec::Kind kOki{
    [](int rate) -> void* { return oki_adpcm_init(nullptr, rate); },
    [](void* s) { oki_adpcm_free(static_cast<oki_adpcm_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return oki_adpcm_decode(static_cast<oki_adpcm_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return oki_adpcm_encode(static_cast<oki_adpcm_state_t*>(s), data, amp, samples);
    },
    32000, 1, 2};

const SpandspCodec::Kind kG726{
    [](int rate) -> void* { return g726_init(nullptr, rate, G726_ENCODING_LINEAR, G726_PACKING_RIGHT); },
    [](void* s) { g726_free(static_cast<g726_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return g726_decode(static_cast<g726_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return g726_encode(static_cast<g726_state_t*>(s), data, amp, samples);
    },
    32000, 1, 2};

} // namespace

std::unique_ptr<WaveCodec> WaveCodec::create(const WAVEFORMATEX& f)
{
    if (f.nChannels != 1 || f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 48000)
        return nullptr;
    const DWORD rate = f.nSamplesPerSec;
    std::unique_ptr<SpandspCodec> codec;
    switch (f.wFormatTag) {
    case WAVE_FORMAT_MULAW:
    case WAVE_FORMAT_ALAW:
        if (f.wBitsPerSample == 8 && f.nBlockAlign == 1) {
            SpandspCodec::Kind kind = kG711;
            kind.parameter = f.wFormatTag == WAVE_FORMAT_MULAW ? G711_ULAW : G711_ALAW;
            codec = std::make_unique<SpandspCodec>(f, rate, kind);
        }
        break;
    case WAVE_FORMAT_IMA_ADPCM:
        // FIXME: the block format with per-block headers (nBlockAlign 256 and up) needs a
        // decoder whose state can be set from the header; only the plain stream is taken.
        if (f.wBitsPerSample == 4 && f.nBlockAlign == 1)
            codec = std::make_unique<SpandspCodec>(f, rate, kIma);
        break;
    case WAVE_FORMAT_DIALOGIC_OKI_ADPCM:
        // The library's 24 kbit/s mode is 6 kHz ADPCM against 8 kHz samples.
        if (f.wBitsPerSample == 4 && f.nBlockAlign == 1 && (rate == 8000 || rate == 6000)) {
            SpandspCodec::Kind kind = kOki;
            if (rate == 6000) {
                kind.parameter = 24000;
                kind.bytesPerGroup = 3;
                kind.samplesPerGroup = 8;
            }
            codec = std::make_unique<SpandspCodec>(f, 8000, kind);
        }
        break;
    case WAVE_FORMAT_G726_ADPCM:
        if (f.wBitsPerSample == 4 && f.nBlockAlign == 1 && rate == 8000)
            codec = std::make_unique<SpandspCodec>(f, rate, kG726);
        break;
    default:
        break;
    }
    if (!codec || !codec->valid())
        return nullptr;
    return codec;
}

#else

std::unique_ptr<WaveCodec> WaveCodec::create(const WAVEFORMATEX&)
{
    return nullptr;
}

#endif
