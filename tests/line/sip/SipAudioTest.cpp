// The voice of SIP calls through the lines' wave devices: the devices are listed under
// the lines' names and lineGetID finds them; what one line's wave output plays, the
// other line's wave input records across a real call on loopback (through a lossy
// codec, so the tone is checked by its energy and pitch, not its bytes).

#include "SipLineFixture.h"
#include "WaveDoneCounter.h"

#include <MmMessageEvent.h>
#include <TnvRelatedWaveDevice.h>
#include <WaveApi.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

const WAVEFORMATEX kLineFormat{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};


std::vector<qint16> tone(double hz, int samples, double amplitude)
{
    std::vector<qint16> out(size_t(samples), 0);
    for (int i = 0; i < samples; ++i)
        out[size_t(i)] = qint16(amplitude * std::sin(2 * std::numbers::pi * hz * i / 8000.0));
    return out;
}

// Power at one frequency over power in all of a block (Goertzel), 0..1.
double share(const qint16* s, int n, double hz)
{
    const double k = 2 * std::cos(2 * std::numbers::pi * hz / 8000.0);
    double a = 0, b = 0, total = 0;
    for (int i = 0; i < n; ++i) {
        const double c = s[i] + k * a - b;
        b = a;
        a = c;
        total += double(s[i]) * s[i];
    }
    const double power = a * a + b * b - k * a * b;
    return total > 0 ? 2 * power / (n * total) : 0;
}

double rms(const qint16* s, int n)
{
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / n) : 0;
}

int deviceByName(bool out, const QString& name)
{
    const UINT count = out ? waveOutGetNumDevs() : waveInGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        char pname[32] = {};
        if (out) {
            WAVEOUTCAPSA caps{};
            if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
                std::memcpy(pname, caps.szPname, sizeof pname);
        } else {
            WAVEINCAPSA caps{};
            if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR)
                std::memcpy(pname, caps.szPname, sizeof pname);
        }
        pname[31] = 0;
        if (QString::fromLatin1(pname) == name)
            return int(i);
    }
    return -1;
}

// A recording under way on a wave input.
struct Recording {
    WaveDoneCounter window;
    HWAVEIN in = nullptr;
    std::vector<qint16> data;
    WAVEHDR h{};

    void start(UINT device, int samples)
    {
        ASSERT_EQ(waveInOpen(&in, device, &kLineFormat, DWORD_PTR(static_cast<QObject*>(&window)), 0, CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
        data.assign(size_t(samples), 0);
        h.lpData = reinterpret_cast<char*>(data.data());
        h.dwBufferLength = DWORD(samples * 2);
        ASSERT_EQ(waveInPrepareHeader(in, &h, sizeof h), MMSYSERR_NOERROR);
        ASSERT_EQ(waveInAddBuffer(in, &h, sizeof h), MMSYSERR_NOERROR);
        ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);
    }
    void finish()
    {
        ASSERT_TRUE(waitUntil([&] { return window.done == 1; }, 5000));
        EXPECT_EQ(h.dwBytesRecorded, h.dwBufferLength);
        EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
        in = nullptr;
    }
    ~Recording()
    {
        if (in) {
            waveInReset(in);
            waveInClose(in);
        }
    }
};

// Plays samples on a wave output and waits for the end.
void play(UINT device, std::vector<qint16> samples)
{
    WaveDoneCounter window;
    HWAVEOUT out = nullptr;
    ASSERT_EQ(waveOutOpen(&out, device, &kLineFormat, DWORD_PTR(static_cast<QObject*>(&window)), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    WAVEHDR h{};
    h.lpData = reinterpret_cast<char*>(samples.data());
    h.dwBufferLength = DWORD(samples.size() * 2);
    ASSERT_EQ(waveOutPrepareHeader(out, &h, sizeof h), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &h, sizeof h), MMSYSERR_NOERROR);
    EXPECT_TRUE(waitUntil([&] { return window.done == 1; }, 5000));
    waveOutReset(out);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
}

class SipAudio : public SipLineFixture {
protected:
    void start(const QString& audio)
    {
        writeConfig({QStringLiteral("alice"), QStringLiteral("bob")}, QStringLiteral("audio = \"%1\"\n").arg(audio));
        m_alice = openLine(0);
        m_bob = openLine(1);
    }

    void connect()
    {
        m_alice->Call()->setPhoneNumber(uriOf(1, QStringLiteral("bob")));
        ASSERT_TRUE(m_alice->Call()->Dial()) << log(m_alice);
        ASSERT_TRUE(waitFor(1, QStringLiteral("OnOffering"))) << log(m_bob);
        ASSERT_TRUE(m_bob->Call()->Answer()) << log(m_bob);
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(m_alice);
        ASSERT_TRUE(waitFor(1, QStringLiteral("OnConnected"))) << log(m_bob);
    }

    void hangUp()
    {
        ASSERT_TRUE(m_alice->Call()->Hangup()) << log(m_alice);
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(m_alice);
        ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected"))) << log(m_bob);
    }

    // Alice's wave output plays a 1 kHz tone while Bob's wave input records: Bob hears
    // it, loud and at its pitch, and nothing of it before it was played.
    void toneReachesTheFarEnd()
    {
        constexpr int kToneSamples = 3200; // 0.4 s
        constexpr int kRecordSamples = 9600; // 1.2 s: the tone plus the network and a loaded machine
        Recording recording;
        recording.start(UINT(m_bob->WaveRecord()->ID()), kRecordSamples);
        play(UINT(m_alice->WavePlay()->ID()), tone(1000, kToneSamples, 12000));
        recording.finish();

        // The loudest 0.1 s block holds the tone.
        constexpr int kBlock = 800;
        int loudest = 0;
        for (int at = 0; at + kBlock <= kRecordSamples; at += kBlock / 4)
            if (rms(recording.data.data() + at, kBlock) > rms(recording.data.data() + loudest, kBlock))
                loudest = at;
        const qint16* block = recording.data.data() + loudest;
        EXPECT_GT(rms(block, kBlock), 3000.0) << "loudest block at " << loudest;
        EXPECT_GT(share(block, kBlock, 1000), 0.8);
        EXPECT_LT(share(block, kBlock, 600), 0.05);
    }

    TnvLine* m_alice = nullptr;
    TnvLine* m_bob = nullptr;
};

TEST_F(SipAudio, EachLineHasANamedWaveOutputAndInputThatLineGetIdFinds)
{
    start(QStringLiteral("none"));
    struct Case {
        TnvLine* line;
        const char* name;
    };
    for (const Case& c : {Case{m_alice, "SIP alice@127.0.0.1 call audio"}, Case{m_bob, "SIP bob@127.0.0.1 call audio"}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.line->WavePlay()->Available()) << log(c.line);
        ASSERT_TRUE(c.line->WaveRecord()->Available()) << log(c.line);
        EXPECT_EQ(c.line->WavePlay()->ID(), deviceByName(true, QString::fromLatin1(c.name)));
        EXPECT_EQ(c.line->WaveRecord()->ID(), deviceByName(false, QString::fromLatin1(c.name)));
    }
    EXPECT_NE(m_alice->WavePlay()->ID(), m_bob->WavePlay()->ID());
    // The devices take the line's own format only (others through the mapper).
    const WAVEFORMATEX cd{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    EXPECT_EQ(waveOutOpen(nullptr, UINT(m_alice->WavePlay()->ID()), &cd, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
}

TEST_F(SipAudio, WhatOneLinePlaysTheOtherRecordsWithoutASoundCard)
{
    start(QStringLiteral("none"));
    connect();
    toneReachesTheFarEnd();
    hangUp();
}

// With the sound card setting, the wave devices take the machine's card's place while
// they are open; a machine without any card (a test machine) still gets their audio.
TEST_F(SipAudio, WaveDevicesCarryTheCallWithTheSoundCardSetting)
{
    start(QStringLiteral("soundcard"));
    connect();
    toneReachesTheFarEnd();
    hangUp();
}

// Recording a line without a call ends with silence instead of waiting for a far end.
TEST_F(SipAudio, RecordingWithoutACallHearsSilence)
{
    start(QStringLiteral("none"));
    Recording recording;
    recording.start(UINT(m_bob->WaveRecord()->ID()), 800);
    recording.finish();
    EXPECT_EQ(rms(recording.data.data(), 800), 0.0);
}

} // namespace
