// Playing on the loopback output while its input records: the recording holds the
// played samples whole and in order, and each buffer comes back once.
#include "WaveTestSupport.h"

#include <EventLoop.h>

#include <gtest/gtest.h>

namespace {

struct LoopCase {
    const char* name;
    WAVEFORMATEX format;
    int playBuffers; // the sound split into this many writes
};

// Keeps the test list readable: the case's name, not its bytes.
void PrintTo(const LoopCase& c, std::ostream* os) { *os << c.name; }

class LoopbackPlayRecord : public ::testing::TestWithParam<LoopCase> {};

TEST_P(LoopbackPlayRecord, RecordsWhatIsPlayedSampleExact)
{
    const LoopCase c = GetParam();
    const WAVEFORMATEX f = c.format;
    const int outId = outDevice(kLoopback);
    const int inId = inDevice(kLoopback);
    ASSERT_GE(outId, 0);
    ASSERT_GE(inId, 0);

    MessageWindow window;
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveInOpen(&in, UINT(inId), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    // 0.6 s of recording room in three buffers.
    std::vector<std::unique_ptr<TestBuffer>> record;
    for (int i = 0; i < 3; ++i) {
        record.push_back(std::make_unique<TestBuffer>(std::size_t(f.nAvgBytesPerSec / 5)));
        ASSERT_EQ(waveInPrepareHeader(in, &record.back()->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveInAddBuffer(in, &record.back()->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);

    // 0.15 s of sound.
    const int samples = int(f.nSamplesPerSec * 15 / 100) * f.nChannels;
    const std::vector<char> sound = ramp16(samples);
    HWAVEOUT out = nullptr;
    ASSERT_EQ(waveOutOpen(&out, UINT(outId), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    std::vector<std::unique_ptr<TestBuffer>> play;
    const std::size_t part = sound.size() / std::size_t(c.playBuffers) / f.nBlockAlign * f.nBlockAlign;
    for (int i = 0; i < c.playBuffers; ++i) {
        const auto from = sound.begin() + std::ptrdiff_t(part * std::size_t(i));
        const auto to = i + 1 == c.playBuffers ? sound.end() : from + std::ptrdiff_t(part);
        play.push_back(std::make_unique<TestBuffer>(std::vector<char>(from, to)));
        ASSERT_EQ(waveOutPrepareHeader(out, &play.back()->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(out, &play.back()->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == c.playBuffers; }, 3000));
    for (const auto& b : play)
        EXPECT_EQ(b->header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);

    // A little more recording, then everything back.
    ASSERT_TRUE(waitUntil([&] { return record[1]->done(); }, 3000));
    ASSERT_EQ(waveInReset(in), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WIM_DATA) == 3; }, 3000));
    std::vector<char> heard;
    for (const auto& b : record) {
        EXPECT_TRUE(b->done());
        const std::vector<char> r = b->recorded();
        heard.insert(heard.end(), r.begin(), r.end());
    }
    EXPECT_GE(findBytes(heard, sound), 0) << "the played sound is not in the recording whole";

    for (const auto& b : play)
        EXPECT_EQ(waveOutUnprepareHeader(out, &b->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    for (const auto& b : record)
        EXPECT_EQ(waveInUnprepareHeader(in, &b->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_CLOSE) == 1 && window.count(MM_WIM_CLOSE) == 1; }));
    EXPECT_EQ(window.count(MM_WOM_OPEN), 1);
    EXPECT_EQ(window.count(MM_WIM_OPEN), 1);
    EXPECT_EQ(window.messages.front().message, MM_WIM_OPEN);
}

INSTANTIATE_TEST_SUITE_P(Formats, LoopbackPlayRecord,
                         ::testing::Values(LoopCase{"OneBuffer8k", pcmFormat(8000, 16, 1), 1},
                                           LoopCase{"ManyBuffers8k", pcmFormat(8000, 16, 1), 7},
                                           LoopCase{"Stereo44k", pcmFormat(44100, 16, 2), 3}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
