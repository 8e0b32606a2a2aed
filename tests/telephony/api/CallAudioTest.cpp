// The voice of a call through the wave devices lineGetID names: an application answers
// an outside call, plays a greeting the caller hears, and records what the caller says;
// two lines in a call hear each other. The exchange's parties speak and keep WAV files.
#include "ApiHarness.h"
#include "EventLoop.h"
#include "WaveDoneCounter.h"

#include <MmMessageEvent.h>
#include <WaveApi.h>

#include <QFile>

#include <cstring>

namespace {

constexpr DWORD kCallAudioInstance = 41;
const WAVEFORMATEX kLineFormat{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};

std::vector<qint16> ramp(int samples, int seed)
{
    std::vector<qint16> out(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i)
        out[size_t(i)] = qint16((seed + i * 53) % 20000 + 1);
    return out;
}

QByteArray wavFile(const std::vector<qint16>& samples)
{
    const quint32 data = quint32(samples.size() * 2);
    QByteArray out;
    auto u32 = [&](quint32 v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    out.append("RIFF");
    u32(36 + data);
    out.append("WAVEfmt ");
    u32(16);
    out.append(reinterpret_cast<const char*>(&kLineFormat), 16);
    out.append("data");
    u32(data);
    out.append(reinterpret_cast<const char*>(samples.data()), qsizetype(data));
    return out;
}

// The samples of a file as this exchange writes it (44-byte header), empty otherwise.
std::vector<qint16> samplesOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    if (all.size() < 44 || !all.startsWith("RIFF") || all.mid(8, 8) != "WAVEfmt " || all.mid(36, 4) != "data"
        || std::memcmp(all.constData() + 20, &kLineFormat, 16) != 0)
        return {};
    std::vector<qint16> out(size_t(all.size() - 44) / 2);
    std::memcpy(out.data(), all.constData() + 44, out.size() * 2);
    return out;
}

bool contains(const std::vector<qint16>& hay, const std::vector<qint16>& needle)
{
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}


class CallAudio : public ApiHarness {
protected:
    UINT waveId(HLINE line, const char* deviceClass)
    {
        Block<VARSTRING> id(sizeof(VARSTRING) + 64);
        EXPECT_EQ(lineGetID(line, 0, 0, LINECALLSELECT_LINE, id.get(), deviceClass), 0);
        DWORD value = 0xFFFFFFFF;
        if (id->dwStringSize >= 4)
            std::memcpy(&value, id.bytes.data() + id->dwStringOffset, 4);
        return value;
    }

    // Plays samples on an output device to the end.
    void play(UINT device, const std::vector<qint16>& samples)
    {
        WaveDoneCounter window;
        HWAVEOUT out = nullptr;
        ASSERT_EQ(waveOutOpen(&out, device, &kLineFormat, DWORD_PTR(static_cast<QObject*>(&window)), 0, CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
        std::vector<qint16> data = samples;
        WAVEHDR h{};
        h.lpData = reinterpret_cast<char*>(data.data());
        h.dwBufferLength = DWORD(data.size() * 2);
        ASSERT_EQ(waveOutPrepareHeader(out, &h, sizeof h), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(out, &h, sizeof h), MMSYSERR_NOERROR);
        ASSERT_TRUE(waitUntil([&] { return window.done == 1; }, 3000));
        EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    }

    // Starts recording samples from an input device; record() waits for them.
    struct Recording {
        WaveDoneCounter window;
        HWAVEIN in = nullptr;
        std::vector<qint16> data;
        WAVEHDR h{};
    };
    void startRecording(UINT device, int samples, Recording* r)
    {
        ASSERT_EQ(waveInOpen(&r->in, device, &kLineFormat, DWORD_PTR(static_cast<QObject*>(&r->window)), 0,
                             CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
        r->data.assign(size_t(samples), 0);
        r->h.lpData = reinterpret_cast<char*>(r->data.data());
        r->h.dwBufferLength = DWORD(samples * 2);
        ASSERT_EQ(waveInPrepareHeader(r->in, &r->h, sizeof r->h), MMSYSERR_NOERROR);
        ASSERT_EQ(waveInAddBuffer(r->in, &r->h, sizeof r->h), MMSYSERR_NOERROR);
        ASSERT_EQ(waveInStart(r->in), MMSYSERR_NOERROR);
    }
    void finishRecording(Recording* r)
    {
        ASSERT_TRUE(waitUntil([&] { return r->window.done == 1; }, 3000));
        EXPECT_EQ(r->h.dwBytesRecorded, r->h.dwBufferLength);
        EXPECT_EQ(waveInClose(r->in), MMSYSERR_NOERROR);
    }

    HCALL answerOutsideCall(DWORD instance, int line)
    {
        EXPECT_TRUE(control(QStringLiteral("ring"), {{"line", line}, {"number", "5550123"}}).value("ok").toBool());
        TapiMessage offered{};
        EXPECT_TRUE(waitFor(instance, [](const TapiMessage& m) {
            return m.message == LINE_CALLSTATE && m.param1 == LINECALLSTATE_OFFERING;
        }, &offered));
        EXPECT_GT(lineAnswer(offered.device, nullptr, 0), 0);
        EXPECT_TRUE(waitForState(instance, offered.device, LINECALLSTATE_CONNECTED));
        return offered.device;
    }
};

TEST_F(CallAudio, TheLinesWaveDevicesAreTheOnesLineGetIdNames)
{
    const HLINE line1 = open(initialize("names"), 0, kCallAudioInstance);
    WAVEOUTCAPSA out{};
    WAVEINCAPSA in{};
    ASSERT_EQ(waveOutGetDevCapsA(waveId(line1, "wave/out"), &out, sizeof out), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInGetDevCapsA(waveId(line1, "wave/in"), &in, sizeof in), MMSYSERR_NOERROR);
    EXPECT_STREQ(out.szPname, "Linkora Simulated Line 1 Out");
    EXPECT_STREQ(in.szPname, "Linkora Simulated Line 1 In");
    // Call audio is 8 kHz 16-bit mono; anything else needs WAVE_MAPPED and a codec.
    const WAVEFORMATEX cd{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    EXPECT_EQ(waveOutOpen(nullptr, waveId(line1, "wave/out"), &cd, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    const WAVEFORMATEX narrow{WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0};
    EXPECT_EQ(waveInOpen(nullptr, waveId(line1, "wave/in"), &narrow, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    EXPECT_EQ(waveInOpen(nullptr, waveId(line1, "wave/in"), &narrow, 0, 0, WAVE_FORMAT_QUERY | WAVE_MAPPED),
              MMSYSERR_NOERROR);
}

TEST_F(CallAudio, AnsweringPlaysAGreetingAndRecordsTheCaller)
{
    const HLINE line1 = open(initialize("answering"), 0, kCallAudioInstance);
    answerOutsideCall(kCallAudioInstance, 1);
    const QString dir = m_configDir.path();

    // The caller hears the greeting played into the line.
    const std::vector<qint16> greeting = ramp(1600, 7); // 0.2 s
    play(waveId(line1, "wave/out"), greeting);
    const QJsonObject saved = control(QStringLiteral("heard"), {{"line", 1}, {"file", dir + "/heard.wav"}});
    ASSERT_TRUE(saved.value("ok").toBool()) << saved.value("error").toString().toStdString();
    EXPECT_TRUE(contains(samplesOf(dir + "/heard.wav"), greeting));

    // The caller's message, said before the line listens, is recorded whole.
    const std::vector<qint16> message = ramp(2000, 99);
    QFile wav(dir + "/message.wav");
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(wavFile(message));
    wav.close();
    const QJsonObject said = control(QStringLiteral("say"), {{"line", 1}, {"file", wav.fileName()}});
    ASSERT_TRUE(said.value("ok").toBool()) << said.value("error").toString().toStdString();
    Recording r;
    startRecording(waveId(line1, "wave/in"), 2400, &r);
    finishRecording(&r);
    EXPECT_TRUE(contains(r.data, message));

    // What cannot be said or saved is refused with the reason.
    EXPECT_FALSE(control(QStringLiteral("say"), {{"line", 1}, {"file", dir + "/missing.wav"}}).value("ok").toBool());
    EXPECT_FALSE(control(QStringLiteral("say"), {{"line", 1}, {"file", wav.fileName()}, {"then", "later"}}).value("ok").toBool());
    EXPECT_FALSE(control(QStringLiteral("say"), {{"line", 1}, {"file", dir + "/heard.wav/x"}}).value("ok").toBool());
    EXPECT_FALSE(control(QStringLiteral("heard"), {{"line", 1}, {"file", dir + "/no/such/dir.wav"}}).value("ok").toBool());
    EXPECT_FALSE(control(QStringLiteral("heard"), {{"line", 2}, {"file", dir + "/x.wav"}}).value("ok").toBool())
        << "line 2 has no call";
}

TEST_F(CallAudio, TwoLinesInACallHearEachOther)
{
    const HLINEAPP app = initialize("internal");
    const HLINE line1 = open(app, 0, 1);
    const HLINE line2 = open(app, 1, 2);
    HCALL outgoing = 0;
    ASSERT_GT(lineMakeCall(line1, &outgoing, "202", 0, nullptr), 0);
    TapiMessage offered{};
    ASSERT_TRUE(waitFor(2, [](const TapiMessage& m) { return m.message == LINE_CALLSTATE && m.param1 == LINECALLSTATE_OFFERING; },
                        &offered));
    ASSERT_GT(lineAnswer(offered.device, nullptr, 0), 0);
    ASSERT_TRUE(waitForState(1, outgoing, LINECALLSTATE_CONNECTED));
    // The other line is no outside party: it speaks through its own wave device.
    EXPECT_FALSE(control(QStringLiteral("say"), {{"line", 1}, {"file", "/dev/null"}}).value("ok").toBool());

    Recording r;
    startRecording(waveId(line2, "wave/in"), 4000, &r);
    const std::vector<qint16> words = ramp(1200, 3);
    play(waveId(line1, "wave/out"), words);
    finishRecording(&r);
    EXPECT_TRUE(contains(r.data, words));
}

} // namespace
