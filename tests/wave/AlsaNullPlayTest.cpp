// The play and record controls on ALSA's "null" device, a real sound device that
// discards what it is given: it opens, plays to the end and reports the end once.
// Skipped where ALSA has no "null" device.

#include "WaveControlSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace wavetest;

TEST(AlsaNull, PlaysToTheEndWithOneOnDone)
{
    TracedPlay play;
    if (!play.select(QStringLiteral("null")))
        GTEST_SKIP() << "no ALSA null device";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("n.wav"));
    ASSERT_TRUE(writeFile(file, pcmFile(8000, tone(1600))));
    play.control.Source()->setFileName(file);
    QElapsedTimer clock;
    clock.start();
    play.control.Device()->setActive(true);
    ASSERT_TRUE(play.control.Device()->Active()) << play.control.Error()->Text().toStdString();
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) > 0; }, 3000));
    // The device has no clock; the sound still takes its time (0.2 s).
    EXPECT_GE(clock.elapsed(), 160);
    EXPECT_FALSE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) > 1; }, 200));
    EXPECT_EQ(play.count(QStringLiteral("OnDone")), 1);
    EXPECT_FALSE(play.control.Device()->Active());
    EXPECT_EQ(play.control.Error()->Number(), 0);

    // Stopping it half-way closes it without OnDone.
    play.control.Device()->setActive(true);
    play.control.Device()->setActive(false);
    EXPECT_FALSE(play.control.Device()->Active());
    EXPECT_EQ(play.count(QStringLiteral("OnDone")), 1);
}

TEST(AlsaNull, RecordsSilenceOfTheRightLength)
{
    TracedRecord record;
    if (!record.select(QStringLiteral("null")))
        GTEST_SKIP() << "no ALSA null device";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("n.wav"));
    record.control.Source()->setFileName(file);
    record.control.Device()->setBuffer(100);
    QElapsedTimer clock;
    clock.start();
    record.control.Device()->setActive(true);
    ASSERT_TRUE(record.control.Device()->Active()) << record.control.Error()->Text().toStdString();
    waitUntil([&] { return clock.elapsed() >= 1000; });
    record.control.Device()->setActive(false);
    const double elapsed = double(clock.elapsed()) / 1000;
    EXPECT_EQ(record.count(QStringLiteral("OnDone")), 1);
    // 1 s of silence, give or take what a loaded machine adds.
    const double seconds = double(dataOf(readFile(file)).size()) / record.control.Source()->Format()->AvgBytesPerSec();
    EXPECT_GE(seconds, 0.8);
    EXPECT_LE(seconds, elapsed + 0.5);
}
