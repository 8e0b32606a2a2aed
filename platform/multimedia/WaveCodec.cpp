#include "WaveCodec.h"

#if defined(LINKORA_HAVE_SPANDSP)
// telephony.h first: the others rely on what it declares.
#include <spandsp/telephony.h>
#include <spandsp/bit_operations.h>
#include <spandsp/g711.h>
#include <spandsp/g726.h>
#include <spandsp/ima_adpcm.h>
#include <spandsp/oki_adpcm.h>

#include <dlfcn.h>
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

namespace {

#if defined(LINKORA_HAVE_SPANDSP)
// The DSP library and the image libraries it brings along are opened the first time a
// coded format is asked for, so programs that never convert never load them.
struct Spandsp {
    decltype(&::g711_init) g711_init = nullptr;
    decltype(&::g711_free) g711_free = nullptr;
    decltype(&::g711_decode) g711_decode = nullptr;
    decltype(&::g711_encode) g711_encode = nullptr;
    decltype(&::ima_adpcm_init) ima_adpcm_init = nullptr;
    decltype(&::ima_adpcm_free) ima_adpcm_free = nullptr;
    decltype(&::ima_adpcm_decode) ima_adpcm_decode = nullptr;
    decltype(&::ima_adpcm_encode) ima_adpcm_encode = nullptr;
    decltype(&::oki_adpcm_init) oki_adpcm_init = nullptr;
    decltype(&::oki_adpcm_free) oki_adpcm_free = nullptr;
    decltype(&::oki_adpcm_decode) oki_adpcm_decode = nullptr;
    decltype(&::oki_adpcm_encode) oki_adpcm_encode = nullptr;
    decltype(&::g726_init) g726_init = nullptr;
    decltype(&::g726_free) g726_free = nullptr;
    decltype(&::g726_decode) g726_decode = nullptr;
    decltype(&::g726_encode) g726_encode = nullptr;
};

template<typename Fn>
bool resolve(void* handle, const char* name, Fn& fn)
{
    fn = reinterpret_cast<Fn>(dlsym(handle, name));
    return fn != nullptr;
}

// Null when the library cannot be opened: coded formats are then refused.
const Spandsp* spandsp()
{
    static const Spandsp* const loaded = []() -> const Spandsp* {
        void* handle = dlopen(LINKORA_SPANDSP_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return nullptr;
        static Spandsp f;
        const bool all = true
            && resolve(handle, "g711_init", f.g711_init)
            && resolve(handle, "g711_free", f.g711_free)
            && resolve(handle, "g711_decode", f.g711_decode)
            && resolve(handle, "g711_encode", f.g711_encode)
            && resolve(handle, "ima_adpcm_init", f.ima_adpcm_init)
            && resolve(handle, "ima_adpcm_free", f.ima_adpcm_free)
            && resolve(handle, "ima_adpcm_decode", f.ima_adpcm_decode)
            && resolve(handle, "ima_adpcm_encode", f.ima_adpcm_encode)
            && resolve(handle, "oki_adpcm_init", f.oki_adpcm_init)
            && resolve(handle, "oki_adpcm_free", f.oki_adpcm_free)
            && resolve(handle, "oki_adpcm_decode", f.oki_adpcm_decode)
            && resolve(handle, "oki_adpcm_encode", f.oki_adpcm_encode)
            && resolve(handle, "g726_init", f.g726_init)
            && resolve(handle, "g726_free", f.g726_free)
            && resolve(handle, "g726_decode", f.g726_decode)
            && resolve(handle, "g726_encode", f.g726_encode);
        return all ? &f : nullptr;
    }();
    return loaded;
}
#endif

// 8-bit PCM on a device that takes only 16-bit samples (the telephone lines).
class WidenPcm : public WaveCodec {
public:
    explicit WidenPcm(const WAVEFORMATEX& caller)
        : WaveCodec(caller, widened(caller))
    {
    }

    static WAVEFORMATEX widened(const WAVEFORMATEX& f)
    {
        WAVEFORMATEX w = f;
        w.wBitsPerSample = 16;
        w.nBlockAlign = WORD(f.nChannels * 2);
        w.nAvgBytesPerSec = f.nSamplesPerSec * w.nBlockAlign;
        return w;
    }

    std::vector<char> decode(const char* data, quint32 n) override
    {
        std::vector<char> out(std::size_t(n) * 2);
        for (quint32 i = 0; i < n; ++i) {
            const qint16 s = qint16((int(quint8(data[i])) - 128) * 256);
            std::memcpy(out.data() + 2 * i, &s, 2);
        }
        return out;
    }
    quint32 pcmBytesFor(quint32 appBytes) const override { return appBytes * 2; }
    quint32 encode(const char* pcm, quint32 pcmBytes, char* out, quint32 outMax) override
    {
        const quint32 n = std::min(pcmBytes / 2, outMax);
        for (quint32 i = 0; i < n; ++i) {
            qint16 s;
            std::memcpy(&s, pcm + 2 * i, 2);
            out[i] = char(quint8((s >> 8) + 128));
        }
        return n;
    }
    void restart() override {}
};

std::unique_ptr<WaveCodec> widen(const WAVEFORMATEX& f)
{
    if (f.wFormatTag == WAVE_FORMAT_PCM && f.wBitsPerSample == 8 && f.nChannels >= 1 && f.nChannels <= 8
        && f.nBlockAlign == f.nChannels && f.nSamplesPerSec > 0)
        return std::make_unique<WidenPcm>(f);
    return nullptr;
}

} // namespace

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
    [](int mode) -> void* { return spandsp()->g711_init(nullptr, mode); },
    [](void* s) { spandsp()->g711_free(static_cast<g711_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return spandsp()->g711_decode(static_cast<g711_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return spandsp()->g711_encode(static_cast<g711_state_t*>(s), data, amp, samples);
    },
    0, 1, 1};

// The IMA stream of the format table: 4-bit codes, two samples a byte, no block headers.
// A chunk of 0 would put a header before every buffer; one endless chunk has none.
const SpandspCodec::Kind kIma{
    [](int) -> void* { return spandsp()->ima_adpcm_init(nullptr, IMA_ADPCM_IMA4, 1 << 30); },
    [](void* s) { spandsp()->ima_adpcm_free(static_cast<ima_adpcm_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return spandsp()->ima_adpcm_decode(static_cast<ima_adpcm_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return spandsp()->ima_adpcm_encode(static_cast<ima_adpcm_state_t*>(s), data, amp, samples);
    },
    0, 1, 2};

const SpandspCodec::Kind kOki{
    [](int rate) -> void* { return spandsp()->oki_adpcm_init(nullptr, rate); },
    [](void* s) { spandsp()->oki_adpcm_free(static_cast<oki_adpcm_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return spandsp()->oki_adpcm_decode(static_cast<oki_adpcm_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return spandsp()->oki_adpcm_encode(static_cast<oki_adpcm_state_t*>(s), data, amp, samples);
    },
    32000, 1, 2};

const SpandspCodec::Kind kG726{
    [](int rate) -> void* { return spandsp()->g726_init(nullptr, rate, G726_ENCODING_LINEAR, G726_PACKING_RIGHT); },
    [](void* s) { spandsp()->g726_free(static_cast<g726_state_t*>(s)); },
    [](void* s, int16_t* amp, const uint8_t* data, int bytes) {
        return spandsp()->g726_decode(static_cast<g726_state_t*>(s), amp, data, bytes);
    },
    [](void* s, uint8_t* data, const int16_t* amp, int samples) {
        return spandsp()->g726_encode(static_cast<g726_state_t*>(s), data, amp, samples);
    },
    32000, 1, 2};

} // namespace

std::unique_ptr<WaveCodec> WaveCodec::create(const WAVEFORMATEX& f)
{
    if (std::unique_ptr<WaveCodec> widened = widen(f))
        return widened;
    if (f.nChannels != 1 || f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 48000 || !spandsp())
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

std::unique_ptr<WaveCodec> WaveCodec::create(const WAVEFORMATEX& f)
{
    if (std::unique_ptr<WaveCodec> widened = widen(f))
        return widened;
    return nullptr;
}

#endif
