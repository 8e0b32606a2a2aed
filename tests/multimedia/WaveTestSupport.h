#pragma once

// Helpers of the wave device tests: finding a device by name, a "window" that keeps
// the messages it gets, formats and test signals.

#include <MmMessageEvent.h>
#include <WaveApi.h>

#include <QObject>
#include <QString>

#include <cstring>
#include <vector>

// The number of the output (or input) device with that name, -1 when there is none.
inline int outDevice(const QString& name)
{
    for (UINT i = 0; i < waveOutGetNumDevs(); ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR && name == QLatin1String(caps.szPname))
            return int(i);
    }
    return -1;
}

inline int inDevice(const QString& name)
{
    for (UINT i = 0; i < waveInGetNumDevs(); ++i) {
        WAVEINCAPSA caps{};
        if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR && name == QLatin1String(caps.szPname))
            return int(i);
    }
    return -1;
}

inline const QString kLoopback = QStringLiteral("Linkora Loopback");

inline WAVEFORMATEX pcmFormat(DWORD rate = 8000, WORD bits = 16, WORD channels = 1)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// 16-bit samples no silence contains: a ramp that never hits 0.
inline std::vector<char> ramp16(int samples, int start = 1)
{
    std::vector<char> out(std::size_t(samples) * 2);
    for (int i = 0; i < samples; ++i) {
        const qint16 s = qint16(((start + i * 37) % 30000) + 1);
        std::memcpy(out.data() + 2 * i, &s, 2);
    }
    return out;
}

// Where needle begins inside hay, -1 when it is not there whole.
inline long long findBytes(const std::vector<char>& hay, const std::vector<char>& needle)
{
    if (needle.empty() || hay.size() < needle.size())
        return -1;
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (std::memcmp(hay.data() + i, needle.data(), needle.size()) == 0)
            return (long long)i;
    return -1;
}

// A window that records every wave message it receives.
class MessageWindow : public QObject {
public:
    struct Message {
        UINT message;
        void* device;
        DWORD_PTR param1;
    };
    std::vector<Message> messages;

    int count(UINT message) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.message == message;
        return n;
    }
    DWORD_PTR callback() { return DWORD_PTR(static_cast<QObject*>(this)); }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == MmMessageEvent::eventType()) {
            auto* m = static_cast<MmMessageEvent*>(e);
            messages.push_back({m->message(), m->device(), m->param1()});
            return true;
        }
        return QObject::event(e);
    }
};

// A header over a buffer of its own.
struct TestBuffer {
    std::vector<char> data;
    WAVEHDR header{};

    explicit TestBuffer(std::vector<char> bytes)
        : data(std::move(bytes))
    {
        header.lpData = data.data();
        header.dwBufferLength = DWORD(data.size());
    }
    explicit TestBuffer(std::size_t bytes)
        : TestBuffer(std::vector<char>(bytes, char(0x55)))
    {
    }
    bool done() const { return header.dwFlags & WHDR_DONE; }
    std::vector<char> recorded() const { return {data.begin(), data.begin() + header.dwBytesRecorded}; }
};
