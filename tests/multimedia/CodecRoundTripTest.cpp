// Compressed telephony formats through WAVE_MAPPED on the loopback pair: G.711 comes
// back byte for byte (decoding then encoding it changes nothing), the ADPCM formats
// play to the end with positions in the caller's bytes.
#include "WaveTestSupport.h"

#include <EventLoop.h>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    WAVEFORMATEX format;
    bool exact; // recorded bytes equal played bytes
};

// Keeps the test list readable: the case's name, not its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class CodecRoundTrip : public ::testing::TestWithParam<Case> {};

std::vector<char> codedSignal(std::size_t bytes)
{
    // G.711 codes of a loud, changing signal; 0xFF and 0xD5 (silence) do not occur.
    std::vector<char> out(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        out[i] = char(0x10 + (i * 7) % 0x60);
    return out;
}

TEST_P(CodecRoundTrip, PlaysAndRecordsThroughTheCodec)
{
    const Case c = GetParam();
    const WAVEFORMATEX f = c.format;
    const UINT outId = UINT(outDevice(kLoopback));
    const UINT inId = UINT(inDevice(kLoopback));
    if (waveOutOpen(nullptr, outId, &f, 0, 0, WAVE_FORMAT_QUERY | WAVE_MAPPED) == WAVERR_BADFORMAT)
        GTEST_SKIP() << "built without the codec library";

    MessageWindow window;
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveInOpen(&in, inId, &f, window.callback(), 0, CALLBACK_WINDOW | WAVE_MAPPED), MMSYSERR_NOERROR);
    TestBuffer heard(std::size_t(f.nAvgBytesPerSec / 2));
    ASSERT_EQ(waveInPrepareHeader(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInAddBuffer(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);

    HWAVEOUT out = nullptr;
    ASSERT_EQ(waveOutOpen(&out, outId, &f, window.callback(), 0, CALLBACK_WINDOW | WAVE_MAPPED), MMSYSERR_NOERROR);
    TestBuffer sound(codedSignal(f.nAvgBytesPerSec / 8));
    ASSERT_EQ(waveOutPrepareHeader(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return sound.done(); }, 3000));
    MMTIME t{};
    t.wType = TIME_BYTES;
    ASSERT_EQ(waveOutGetPosition(out, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.cb, sound.header.dwBufferLength) << "positions count the caller's bytes";

    ASSERT_TRUE(waitUntil([&] { return heard.done(); }, 3000));
    EXPECT_EQ(heard.header.dwBytesRecorded, heard.header.dwBufferLength);
    if (c.exact) {
        EXPECT_GE(findBytes(heard.recorded(), sound.data), 0) << "the coded sound comes back whole";
    }

    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
}

INSTANTIATE_TEST_SUITE_P(Formats, CodecRoundTrip,
                         ::testing::Values(Case{"MuLaw", {WAVE_FORMAT_MULAW, 1, 8000, 8000, 1, 8, 0}, true},
                                           Case{"ALaw", {WAVE_FORMAT_ALAW, 1, 8000, 8000, 1, 8, 0}, true},
                                           Case{"ImaAdpcm", {WAVE_FORMAT_IMA_ADPCM, 1, 8000, 4000, 1, 4, 0}, false},
                                           Case{"OkiAdpcm6k", {WAVE_FORMAT_DIALOGIC_OKI_ADPCM, 1, 6000, 3000, 1, 4, 0}, false},
                                           Case{"G726", {WAVE_FORMAT_G726_ADPCM, 1, 8000, 4000, 1, 4, 0}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodecMapper, TheMapperConvertsWithoutBeingAsked)
{
    const WAVEFORMATEX mulaw{WAVE_FORMAT_MULAW, 1, 8000, 8000, 1, 8, 0};
    if (waveOutOpen(nullptr, UINT(outDevice(kLoopback)), &mulaw, 0, 0, WAVE_FORMAT_QUERY | WAVE_MAPPED) != 0)
        GTEST_SKIP() << "built without the codec library";
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &mulaw, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInOpen(nullptr, WAVE_MAPPER, &mulaw, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    const WAVEFORMATEX blocks{WAVE_FORMAT_IMA_ADPCM, 1, 8000, 4055, 256, 4, 2};
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &blocks, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
}

} // namespace
