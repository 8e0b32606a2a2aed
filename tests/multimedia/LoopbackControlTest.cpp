// Pause, restart, reset, position and volume on the loopback output: what a play
// control relies on to pause, seek and stop.
#include "WaveTestSupport.h"

#include <EventLoop.h>

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

DWORD positionOf(HWAVEOUT out)
{
    MMTIME t{};
    t.wType = TIME_BYTES;
    EXPECT_EQ(waveOutGetPosition(out, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.wType, TIME_BYTES);
    return t.u.cb;
}

class LoopbackControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        const int id = outDevice(kLoopback);
        ASSERT_GE(id, 0);
        ASSERT_EQ(waveOutOpen(&out, UINT(id), &format, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    }
    void TearDown() override
    {
        if (out) {
            waveOutReset(out);
            EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
        }
    }
    void write(TestBuffer& b)
    {
        ASSERT_EQ(waveOutPrepareHeader(out, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(out, &b.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }

    WAVEFORMATEX format = pcmFormat(8000, 16, 1);
    MessageWindow window;
    HWAVEOUT out = nullptr;
};

TEST_F(LoopbackControl, PositionAdvancesInRealTimeAndStopsWhilePaused)
{
    TestBuffer sound(ramp16(8000)); // 1 s
    write(sound);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return clock.elapsed() >= 100; }));
    const DWORD early = positionOf(out);
    // 16000 bytes a second: 100 ms is 1600 bytes, give or take a period or two.
    EXPECT_GT(early, 800u);
    EXPECT_LT(early, 16000u);

    ASSERT_EQ(waveOutPause(out), MMSYSERR_NOERROR);
    const DWORD paused = positionOf(out);
    clock.restart();
    ASSERT_TRUE(waitUntil([&] { return clock.elapsed() >= 60; }));
    EXPECT_EQ(positionOf(out), paused);
    EXPECT_FALSE(sound.done());

    ASSERT_EQ(waveOutRestart(out), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return positionOf(out) > paused; }, 1000));
}

TEST_F(LoopbackControl, ResetReturnsEveryBufferOnceAndStartsCountingAgain)
{
    std::vector<std::unique_ptr<TestBuffer>> buffers;
    for (int i = 0; i < 3; ++i) {
        buffers.push_back(std::make_unique<TestBuffer>(ramp16(4000)));
        write(*buffers.back());
    }
    ASSERT_EQ(waveOutReset(out), MMSYSERR_NOERROR);
    // Done at once, as the caller may free them now; the messages follow.
    for (const auto& b : buffers)
        EXPECT_EQ(b->header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    EXPECT_EQ(positionOf(out), 0u);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == 3; }));
    for (std::size_t i = 0; i < buffers.size(); ++i)
        EXPECT_EQ(window.messages[i + 1].param1, DWORD_PTR(&buffers[i]->header)) << "in the order written";

    // The same header plays again after a reset.
    TestBuffer& again = *buffers.front();
    ASSERT_EQ(waveOutWrite(out, &again.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == 4; }, 2000));
    EXPECT_EQ(positionOf(out), 8000u);
}

TEST_F(LoopbackControl, PausedBeforeTheFirstWritePlaysNothingUntilRestarted)
{
    ASSERT_EQ(waveOutPause(out), MMSYSERR_NOERROR);
    TestBuffer sound(ramp16(400)); // 50 ms
    write(sound);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return clock.elapsed() >= 100; }));
    EXPECT_FALSE(sound.done());
    EXPECT_EQ(positionOf(out), 0u);
    ASSERT_EQ(waveOutRestart(out), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == 1; }, 2000));
    EXPECT_EQ(positionOf(out), 800u);
}

TEST_F(LoopbackControl, VolumeIsKeptPerChannelAndScalesWhatIsHeard)
{
    DWORD v = 0;
    ASSERT_EQ(waveOutGetVolume(out, &v), MMSYSERR_NOERROR);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_EQ(waveOutSetVolume(out, 0x40008000u), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutGetVolume(out, &v), MMSYSERR_NOERROR);
    EXPECT_EQ(v, 0x40008000u);
    EXPECT_EQ(waveOutGetVolume(out, nullptr), MMSYSERR_INVALPARAM);

    // Half volume on a mono stream: the recording hears half of each sample.
    ASSERT_EQ(waveOutSetVolume(out, 0x00008000u), MMSYSERR_NOERROR);
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveInOpen(&in, UINT(inDevice(kLoopback)), &format, window.callback(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    TestBuffer heard(std::size_t(8000));
    ASSERT_EQ(waveInPrepareHeader(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInAddBuffer(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);
    std::vector<char> loud(800 * 2);
    for (int i = 0; i < 800; ++i) {
        const qint16 s = 20000;
        std::memcpy(loud.data() + 2 * i, &s, 2);
    }
    TestBuffer sound(loud);
    write(sound);
    ASSERT_TRUE(waitUntil([&] { return heard.done(); }, 3000));
    std::vector<char> half(16);
    for (int i = 0; i < 8; ++i) {
        const qint16 s = qint16(20000 * 0x8000 / 65535);
        std::memcpy(half.data() + 2 * i, &s, 2);
    }
    EXPECT_GE(findBytes(heard.recorded(), half), 0);
    EXPECT_LT(findBytes(heard.recorded(), std::vector<char>(loud.begin(), loud.begin() + 16)), 0);
    EXPECT_EQ(waveInUnprepareHeader(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
}

TEST_F(LoopbackControl, StoppingARecordingReturnsThePartBufferAndKeepsTheEmptyOnes)
{
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveInOpen(&in, UINT(inDevice(kLoopback)), &format, window.callback(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    TestBuffer first(std::size_t(16000));
    TestBuffer second(std::size_t(16000));
    for (TestBuffer* b : {&first, &second}) {
        ASSERT_EQ(waveInPrepareHeader(in, &b->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveInAddBuffer(in, &b->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);
    MMTIME t{};
    t.wType = TIME_BYTES;
    ASSERT_TRUE(waitUntil([&] { return waveInGetPosition(in, &t, sizeof t) == MMSYSERR_NOERROR && t.u.cb > 0; }));
    ASSERT_EQ(waveInStop(in), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WIM_DATA) == 1; }));
    EXPECT_TRUE(first.done());
    EXPECT_GT(first.header.dwBytesRecorded, 0u);
    EXPECT_LT(first.header.dwBytesRecorded, 16000u);
    EXPECT_FALSE(second.done());
    EXPECT_EQ(waveInClose(in), WAVERR_STILLPLAYING);
    ASSERT_EQ(waveInReset(in), MMSYSERR_NOERROR);
    EXPECT_TRUE(second.done());
    EXPECT_EQ(second.header.dwBytesRecorded, 0u);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
}

// A window that, inside the first MM_WOM_DONE, waits in the event loop for the others.
class WaitingWindow : public MessageWindow {
public:
    bool othersCameInside = false;

protected:
    bool event(QEvent* e) override
    {
        const bool handled = MessageWindow::event(e);
        if (e->type() == MmMessageEvent::eventType() && count(MM_WOM_DONE) == 1 && !m_waited) {
            m_waited = true;
            othersCameInside = waitUntil([this] { return count(MM_WOM_DONE) == 3; }, 2000);
        }
        return handled;
    }

private:
    bool m_waited = false;
};

TEST(LoopbackMessages, BuffersFinishedTogetherComeAsOneMessageEach)
{
    WaitingWindow window;
    HWAVEOUT out = nullptr;
    const WAVEFORMATEX format = pcmFormat(8000, 16, 1);
    ASSERT_EQ(waveOutOpen(&out, UINT(outDevice(kLoopback)), &format, window.callback(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    // A millisecond each, written without turning the event loop: they end together.
    std::vector<std::unique_ptr<TestBuffer>> buffers;
    for (int i = 0; i < 3; ++i) {
        buffers.push_back(std::make_unique<TestBuffer>(ramp16(8)));
        ASSERT_EQ(waveOutPrepareHeader(out, &buffers.back()->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(out, &buffers.back()->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == 3; }, 3000));
    EXPECT_TRUE(window.othersCameInside) << "the later messages were held behind the first";
    std::vector<DWORD_PTR> done;
    for (const MessageWindow::Message& m : window.messages)
        if (m.message == MM_WOM_DONE)
            done.push_back(m.param1);
    ASSERT_EQ(done.size(), 3u);
    for (std::size_t i = 0; i < done.size(); ++i)
        EXPECT_EQ(done[i], DWORD_PTR(&buffers[i]->header)) << "in the order written";
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
}

} // namespace
