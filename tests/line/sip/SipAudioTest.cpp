// The voice of SIP calls through the lines' wave devices: the devices are listed under
// the lines' names and lineGetID finds them; what one line's wave output plays, the
// other line's wave input records across a real call on loopback (through a lossy
// codec, so the tone is checked by its energy and pitch, not its bytes).

#include "SipLineFixture.h"
#include "SippPeer.h"
#include "WaveDoneCounter.h"

#include <MmMessageEvent.h>
#include <TnvRelatedWaveDevice.h>
#include <WaveApi.h>

#include <QDataStream>
#include <QFile>

#include <cmath>
#include <cstring>
#include <memory>
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

quint8 ulaw(qint16 sample)
{
    int s = sample;
    const int sign = s < 0 ? 0x80 : 0;
    s = std::min(std::abs(s), 32635) + 0x84;
    int exponent = 7;
    for (int mask = 0x4000; (s & mask) == 0 && exponent > 0; mask >>= 1)
        --exponent;
    return quint8(~(sign | (exponent << 4) | ((s >> (exponent + 3)) & 0x0f)));
}

// A capture of RTP packets (PCMU, 20 ms each) carrying a tone, as sipp plays them back.
bool writeTonePcap(const QString& path, double hz, int seconds)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(0xa1b2c3d4) << quint16(2) << quint16(4) << qint32(0) << quint32(0) << quint32(65535)
        << quint32(1); // Ethernet
    const std::vector<qint16> samples = tone(hz, seconds * 8000, 12000);
    for (int packet = 0; packet * 160 < int(samples.size()); ++packet) {
        QByteArray rtp(12, '\0');
        rtp[0] = char(0x80);
        rtp[2] = char(packet >> 8);
        rtp[3] = char(packet);
        const quint32 stamp = quint32(packet * 160);
        for (int i = 0; i < 4; ++i)
            rtp[4 + i] = char(stamp >> (24 - 8 * i));
        rtp[11] = 0x42; // SSRC
        for (int i = 0; i < 160; ++i)
            rtp += char(ulaw(samples[size_t(packet * 160 + i)]));
        QByteArray frame(14, '\0');
        frame[12] = 0x08; // IPv4
        QDataStream ip(&frame, QIODevice::Append);
        ip.setByteOrder(QDataStream::BigEndian);
        ip << quint8(0x45) << quint8(0) << quint16(20 + 8 + rtp.size()) << quint16(packet) << quint16(0)
           << quint8(64) << quint8(17) << quint16(0) << quint32(0x7f000001) << quint32(0x7f000001);
        ip << quint16(6000) << quint16(6000) << quint16(8 + rtp.size()) << quint16(0);
        frame += rtp;
        const qint64 us = qint64(packet) * 20000;
        out << quint32(us / 1000000) << quint32(us % 1000000) << quint32(frame.size()) << quint32(frame.size());
        out.writeRawData(frame.constData(), int(frame.size()));
    }
    return out.status() == QDataStream::Ok;
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
    void toneReachesTheFarEnd() { expectTone(playWhileRecording(m_alice, {m_bob})[0]); }

    // What `from` plays on its wave output (a 0.4 s tone at 1 kHz) as each of `listeners`
    // records on its wave input (1.2 s: the tone plus the network and a loaded machine).
    static std::vector<std::vector<qint16>> playWhileRecording(TnvLine* from, const std::vector<TnvLine*>& listeners)
    {
        std::vector<std::unique_ptr<Recording>> recordings;
        for (TnvLine* line : listeners) {
            recordings.push_back(std::make_unique<Recording>());
            recordings.back()->start(UINT(line->WaveRecord()->ID()), kRecordSamples);
        }
        play(UINT(from->WavePlay()->ID()), tone(1000, kRecordSamples / 3, 12000));
        std::vector<std::vector<qint16>> heard;
        for (auto& recording : recordings) {
            recording->finish();
            heard.push_back(recording->data);
        }
        return heard;
    }

    // The loudest 0.1 s block of a recording.
    static const qint16* loudest(const std::vector<qint16>& data)
    {
        int at = 0;
        for (int i = 0; i + kBlock <= int(data.size()); i += kBlock / 4)
            if (rms(data.data() + i, kBlock) > rms(data.data() + at, kBlock))
                at = i;
        return data.data() + at;
    }

    static void expectTone(const std::vector<qint16>& heard)
    {
        ASSERT_EQ(heard.size(), size_t(kRecordSamples));
        const qint16* block = loudest(heard);
        EXPECT_GT(rms(block, kBlock), 3000.0);
        EXPECT_GT(share(block, kBlock, 1000), 0.8);
        EXPECT_LT(share(block, kBlock, 600), 0.05);
    }

    static constexpr int kRecordSamples = 9600;
    static constexpr int kBlock = 800;

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

// Two calls of one line, one held while the other is consulted: each call has audio of
// its own, and the line's wave devices carry the connected one only. What Bob plays
// reaches Carol and nothing of it Alice, whom he holds; what Carol plays, Bob hears.
TEST_F(SipAudio, TheLinesDevicesCarryOnlyTheCallNotOnHold)
{
    writeConfig({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol")}, QStringLiteral("audio = \"soundcard\"\n"));
    m_alice = openLine(0);
    m_bob = openLine(1);
    TnvLine* carol = openLine(2);
    SipLineFixture::connect(m_alice, 0, m_bob, 1, QStringLiteral("bob"));
    m_bob->Transfer()->setPrimaryCall(m_bob->Call()->Handle());
    m_bob->Transfer()->setPhoneNumber(uriOf(2, QStringLiteral("carol")));
    ASSERT_TRUE(m_bob->Transfer()->Dial()) << log(m_bob);
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(carol);
    ASSERT_TRUE(carol->Call()->Answer());
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnConnected"))) << log(carol);
    ASSERT_TRUE(waitUntil([&] { return m_bob->Call()->State() == LINECALLSTATE_CONNECTED; })) << log(m_bob);

    const auto heard = playWhileRecording(m_bob, {carol, m_alice});
    {
        SCOPED_TRACE("Carol, the call Bob consults");
        expectTone(heard[0]);
    }
    EXPECT_LT(rms(loudest(heard[1]), kBlock), 300.0) << "Alice, held, hears Bob's line";
    {
        SCOPED_TRACE("Bob hears Carol");
        expectTone(playWhileRecording(carol, {m_bob})[0]);
    }
    ASSERT_TRUE(carol->Call()->Hangup());
    ASSERT_TRUE(m_alice->Call()->Hangup());
    ASSERT_TRUE(waitUntil([&] { return m_events[1].count(QStringLiteral("OnDisconnected")) == 2; })) << log(m_bob);
}

// A far end that talks on while held (a 600 Hz tone) is not heard on the holding line:
// Bob's wave input carries Carol, the call he consults, and nothing of the held call.
TEST_F(SipAudio, AHeldCallThatTalksOnIsNotMixedIntoTheLine)
{
    if (SippPeer::program().isEmpty())
        GTEST_SKIP() << "sipp is not installed (scripts/install-deps.sh installs it)";
    writeConfig({QStringLiteral("bob"), QStringLiteral("carol")});
    m_bob = openLine(0);
    TnvLine* carol = openLine(1);
    ASSERT_TRUE(writeTonePcap(m_configDir.filePath(QStringLiteral("held-tone.pcap")), 600, 8));
    SippPeer held;
    held.setWorkingDirectory(m_configDir.path());
    const int heldPort = freePort();
    ASSERT_TRUE(held.start(QStringLiteral("uas-held-talks-on.xml"), heldPort, freePort()));
    m_bob->Call()->setPhoneNumber(QStringLiteral("sip:held@127.0.0.1:%1").arg(heldPort));
    ASSERT_TRUE(m_bob->Call()->Dial()) << log(m_bob);
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(m_bob);

    m_bob->Transfer()->setPrimaryCall(m_bob->Call()->Handle());
    m_bob->Transfer()->setPhoneNumber(uriOf(1, QStringLiteral("carol")));
    ASSERT_TRUE(m_bob->Transfer()->Dial()) << log(m_bob);
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnOffering"))) << log(carol);
    ASSERT_TRUE(carol->Call()->Answer());
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnConnected"))) << log(carol);
    ASSERT_TRUE(waitUntil([&] { return m_bob->Call()->State() == LINECALLSTATE_CONNECTED; })) << log(m_bob);

    expectTone(playWhileRecording(carol, {m_bob})[0]);
    ASSERT_TRUE(m_bob->Call()->Hangup()); // Carol
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected"))) << log(carol);
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
