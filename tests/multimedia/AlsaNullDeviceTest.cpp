// ALSA's "null" device, there on every machine with ALSA: it opens, takes a sound to
// the end and gives its buffer back exactly once, and keeps time though it has no clock.
#include "WaveTestSupport.h"

#include <EventLoop.h>

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

TEST(AlsaNullDevice, PlaysToTheEndWithOneDone)
{
    const int id = outDevice(QStringLiteral("null"));
    if (id < 0)
        GTEST_SKIP() << "ALSA has no null device here";
    const WAVEFORMATEX f = pcmFormat(8000, 16, 1);
    MessageWindow window;
    HWAVEOUT out = nullptr;
    ASSERT_EQ(waveOutOpen(&out, UINT(id), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    TestBuffer sound(ramp16(1600)); // 0.2 s
    ASSERT_EQ(waveOutPrepareHeader(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == 1; }, 3000));
    MMTIME t{};
    t.wType = TIME_BYTES;
    ASSERT_EQ(waveOutGetPosition(out, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.cb, 3200u);
    QElapsedTimer clock;
    clock.start();
    waitUntil([&] { return clock.elapsed() > 100; });
    EXPECT_EQ(window.count(MM_WOM_DONE), 1);
    EXPECT_EQ(waveOutUnprepareHeader(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_CLOSE) == 1; }));
}

TEST(AlsaNullDevice, PlaysInRealTimeAndEndsOnAPartialFrame)
{
    const int id = outDevice(QStringLiteral("null"));
    if (id < 0)
        GTEST_SKIP() << "ALSA has no null device here";
    const WAVEFORMATEX f = pcmFormat(8000, 16, 1);
    MessageWindow window;
    HWAVEOUT out = nullptr;
    ASSERT_EQ(waveOutOpen(&out, UINT(id), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    std::vector<char> bytes = ramp16(8000); // 1 s and one byte of a frame that never ends
    bytes.push_back(1);
    TestBuffer sound(bytes);
    ASSERT_EQ(waveOutPrepareHeader(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(waveOutWrite(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == 1; }, 20000));
    EXPECT_GE(clock.elapsed(), 800);
    EXPECT_EQ(waveOutUnprepareHeader(out, &sound.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
}

TEST(AlsaNullDevice, RecordsInRealTime)
{
    const int id = inDevice(QStringLiteral("null"));
    if (id < 0)
        GTEST_SKIP() << "ALSA has no null device here";
    const WAVEFORMATEX f = pcmFormat(8000, 16, 1);
    MessageWindow window;
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveInOpen(&in, UINT(id), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    TestBuffer heard(std::size_t(f.nAvgBytesPerSec * 5));
    ASSERT_EQ(waveInPrepareHeader(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInAddBuffer(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);
    waitUntil([&] { return clock.elapsed() >= 1000; });
    MMTIME t{};
    t.wType = TIME_BYTES;
    ASSERT_EQ(waveInGetPosition(in, &t, sizeof t), MMSYSERR_NOERROR);
    // As much as the time that passed, give or take what a loaded machine adds.
    const double seconds = double(t.u.cb) / f.nAvgBytesPerSec;
    EXPECT_GE(seconds, 0.8);
    EXPECT_LE(seconds, double(clock.elapsed()) / 1000 + 0.5);
    EXPECT_EQ(waveInReset(in), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInUnprepareHeader(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
}

TEST(AlsaNullDevice, RecordsSilence)
{
    const int id = inDevice(QStringLiteral("null"));
    if (id < 0)
        GTEST_SKIP() << "ALSA has no null device here";
    const WAVEFORMATEX f = pcmFormat(8000, 16, 1);
    MessageWindow window;
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveInOpen(&in, UINT(id), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    TestBuffer heard(std::size_t(800));
    ASSERT_EQ(waveInPrepareHeader(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInAddBuffer(in, &heard.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInStart(in), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WIM_DATA) == 1; }, 3000));
    EXPECT_EQ(heard.header.dwBytesRecorded, 800u);
    EXPECT_EQ(heard.recorded(), std::vector<char>(800, 0));
    EXPECT_EQ(waveInReset(in), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
}

} // namespace
