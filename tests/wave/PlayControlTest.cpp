// The play control on the loopback device: playing to the end, starting paused,
// looping, positioning, waiting, and the settings refused while it plays.

#include "WaveControlSupport.h"

#include <TnvResultTexts.h>

#include <MmResults.h>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

struct PlayFixture : ::testing::Test {
    QTemporaryDir dir;
    TracedPlay play;
    QString file;

    // A sound of the given length in milliseconds, 8 kHz 16-bit mono.
    void SetUp() override { useSound(100); }

    void useSound(int ms)
    {
        file = dir.filePath(QStringLiteral("s%1.wav").arg(ms));
        ASSERT_TRUE(writeFile(file, pcmFile(8000, tone(8 * ms))));
        ASSERT_TRUE(play.select(kLoopbackName));
        play.control.Source()->setFileName(file);
        ASSERT_TRUE(play.control.Source()->Valid());
    }
    TnvPlayDevice* device() { return play.control.Device(); }
};

} // namespace

TEST_F(PlayFixture, PlaysToTheEndClosesAndFiresOnDoneOnce)
{
    device()->setActive(true);
    EXPECT_TRUE(device()->Active());
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) > 0; }, 3000));
    EXPECT_FALSE(device()->Active());
    EXPECT_EQ(play.events, (QStringList{QStringLiteral("OnLoaded"), QStringLiteral("OnDone")}));
    EXPECT_EQ(play.control.Position()->Byte(), 0);
    // Nothing further arrives for a closed device.
    EXPECT_FALSE(waitUntil([&] { return play.events.size() > 2; }, 150));
    EXPECT_EQ(play.control.Error()->Number(), 0);
}

TEST_F(PlayFixture, WaitModeReturnsAfterTheEnd)
{
    device()->setWait(true);
    device()->setActive(true);
    EXPECT_FALSE(device()->Active());
    EXPECT_EQ(play.count(QStringLiteral("OnDone")), 1);
    const QStringList tail = play.linesFrom(QStringLiteral("\tWaiting"));
    ASSERT_FALSE(tail.isEmpty());
    EXPECT_EQ(tail.constLast(), QStringLiteral("\tWaiting complete"));
    // Wait cannot change under a running start.
    device()->setWait(false);
    EXPECT_FALSE(device()->Wait());
}

TEST_F(PlayFixture, StartedPausedLoadsButPlaysUntilResumed)
{
    device()->setPause(true);
    device()->setActive(true);
    EXPECT_TRUE(device()->Active());
    EXPECT_TRUE(device()->Pause());
    EXPECT_EQ(play.events, QStringList{QStringLiteral("OnLoaded")});
    const QStringList paused{QStringLiteral("\tDevice.Pause = True"), QStringLiteral("\t\tPosition.Byte = 0"),
                             QStringLiteral("\t\tPosition.Percent = 0%"), QStringLiteral("\t\tPosition.Second = 0")};
    EXPECT_EQ(play.lines.mid(play.lines.size() - 4), paused);
    EXPECT_FALSE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) > 0; }, 300));
    EXPECT_TRUE(device()->Active());

    device()->setPause(false);
    EXPECT_FALSE(device()->Pause());
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
    EXPECT_FALSE(device()->Active());
}

TEST_F(PlayFixture, PausingKeepsThePlaceAndResumingFinishes)
{
    useSound(400);
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.control.Position()->Byte() > 0; }, 2000));
    device()->setPause(true);
    const qint32 at = play.control.Position()->Byte();
    EXPECT_TRUE(play.logged(QStringLiteral("Device.Pause := True")));
    EXPECT_FALSE(waitUntil([&] { return play.control.Position()->Byte() != at; }, 150));
    device()->setPause(false);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
}

TEST_F(PlayFixture, LoopRepeatsAndStoppingEndsWithoutOnDone)
{
    device()->setLoop(true);
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnLoop")) >= 2; }, 3000));
    EXPECT_TRUE(device()->Active());
    device()->setActive(false);
    EXPECT_FALSE(device()->Active());
    EXPECT_EQ(play.count(QStringLiteral("OnDone")), 0);
    EXPECT_TRUE(play.logged(QStringLiteral("Device.Active = False")));
    EXPECT_FALSE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) > 0; }, 200));

    // Stopping from inside OnLoop, while the device's message is being handled: closed at
    // once, nothing waits for a message that is held behind the current one.
    play.control.OnLoop = [this](TnvSharedControl*) { device()->setActive(false); };
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return !device()->Active(); }, 3000));
    EXPECT_EQ(play.control.Error()->Number(), 0);
    EXPECT_EQ(play.count(QStringLiteral("OnDone")), 0);

    // Turning Loop off in OnLoop lets the sound end normally.
    play.control.OnLoop = [this](TnvSharedControl*) { device()->setLoop(false); };
    device()->setLoop(true);
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
    EXPECT_FALSE(device()->Active());
}

TEST_F(PlayFixture, PercentPositioningRestartsAtTheMiddle)
{
    useSound(500);
    device()->setActive(true);
    play.control.Position()->setPercent(50);
    EXPECT_EQ(play.control.Error()->Number(), 0);
    EXPECT_TRUE(device()->Active());
    EXPECT_TRUE(play.logged(QStringLiteral("Position.Percent := 50")));
    EXPECT_EQ(play.lines.constLast(), QStringLiteral("Device.Active = True"));
    // 8000 bytes of 16-bit samples: the restart is at byte 4000 or just after it.
    EXPECT_GE(play.control.Position()->Byte(), 4000);
    EXPECT_GE(play.control.Position()->Percent(), 50);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
    // The restart did not end the playback: one OnDone, for the real end.
    EXPECT_EQ(play.count(QStringLiteral("OnLoaded")), 2);

    // Out of range: no line, nothing happens.
    const qsizetype before = play.lines.size();
    play.control.Position()->setPercent(101);
    EXPECT_EQ(play.lines.size(), before);

    device()->setLoop(true);
    play.control.Position()->setPercent(50);
    EXPECT_EQ(play.control.Error()->Number(), WAV_ERROR_INVALIDSTATE);
}

TEST_F(PlayFixture, RefusedSettingsReportAndKeepTheOldValue)
{
    struct Case {
        const char* name;
        std::function<void(TnvPlay&)> set;
        std::function<int(TnvPlay&)> get;
        int kept;
        qint32 code;
        bool whilePlaying;
    };
    const Case cases[] = {
        {"volume 101", [](TnvPlay& p) { p.Volume()->setPosition(101); },
         [](TnvPlay& p) { return p.Volume()->Position(); }, 100, WAV_ERROR_INVALIDVOLUME, false},
        {"volume -1", [](TnvPlay& p) { p.Volume()->setPosition(-1); },
         [](TnvPlay& p) { return p.Volume()->Position(); }, 100, WAV_ERROR_INVALIDVOLUME, false},
        {"delay while playing", [](TnvPlay& p) { p.Device()->setDelay(50); },
         [](TnvPlay& p) { return p.Device()->Delay(); }, 0, WAV_ERROR_DEVICEACTIVE, true},
        {"device id out of range", [](TnvPlay& p) { p.Device()->setID(p.Device()->Count()); },
         [](TnvPlay& p) { return p.Device()->ID(); }, -1, qint32(MMSYSERR_BADDEVICEID), false},
    };
    useSound(300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int kept = c.kept < 0 ? device()->ID() : c.kept;
        if (c.whilePlaying)
            device()->setActive(true);
        c.set(play.control);
        EXPECT_EQ(play.control.Error()->Number(), c.code);
        EXPECT_EQ(c.get(play.control), kept);
        if (c.whilePlaying)
            device()->setActive(false);
    }
    play.control.Volume()->setPosition(100);
    EXPECT_EQ(play.control.Error()->Number(), 0);
}

TEST_F(PlayFixture, AFailedStartLeavesTheControlClosed)
{
    play.control.Source()->setFileName(dir.filePath(QStringLiteral("missing.wav")));
    EXPECT_FALSE(play.control.Source()->Valid());
    device()->setActive(true);
    EXPECT_FALSE(device()->Active());
    EXPECT_NE(play.control.Error()->Number(), 0);
    EXPECT_EQ(play.count(QStringLiteral("OnLoaded")), 0);

    // A format the device cannot take: refused by the format query, control closed.
    const QString odd = dir.filePath(QStringLiteral("odd.wav"));
    ASSERT_TRUE(writeFile(odd, riff(chunk("fmt ", fmtBody(0x55, 1, 8000, 16)) + chunk("data", tone(100)))));
    play.control.Source()->setFileName(odd);
    ASSERT_TRUE(play.control.Source()->Valid());
    device()->setActive(true);
    EXPECT_FALSE(device()->Active());
    EXPECT_NE(play.control.Error()->Number(), 0);
    EXPECT_EQ(play.count(QStringLiteral("OnDone")), 0);
    // And it plays the next good file.
    useSound(100);
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
}

TEST_F(PlayFixture, PlaysABufferSource)
{
    TnvWaveBuffer* buffer = play.control.Source()->Buffer();
    ASSERT_TRUE(buffer->LoadFromFile(file));
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
    // While it plays, the buffer cannot be swapped or freed.
    device()->setActive(true);
    buffer->FreeBuffer();
    EXPECT_EQ(play.control.Error()->Number(), WAV_ERROR_DEVICEACTIVE);
    device()->setActive(false);
    buffer->FreeBuffer();
}
