// The play and record controls together on the loopback pair: what one plays the other
// records byte for byte, and a whole play and a whole record leave the expected trace.

#include "WaveControlSupport.h"

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

struct FormatCase {
    const char* name;
    TWaveFormatID id;
};

// Keeps the test list readable: the case's name, not its bytes.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class LoopbackControls : public ::testing::TestWithParam<FormatCase> {};

} // namespace

TEST_P(LoopbackControls, RecordsWhatIsPlayedSampleExact)
{
    const TnvWaveFormatFields f = TnvWaveFormat::Row(GetParam().id);
    QTemporaryDir dir;
    // 0.2 s of sound that silence cannot contain.
    const QByteArray sound = tone(int(f.samplesPerSec / 5) * f.channels);
    const QString played = dir.filePath(QStringLiteral("played.wav"));
    ASSERT_TRUE(writeFile(played, riff(chunk("fmt ", fmtBody(f.tag, f.channels, f.samplesPerSec, f.bitsPerSample))
                                       + chunk("data", sound))));
    const QString recorded = dir.filePath(QStringLiteral("recorded.wav"));

    TracedRecord record;
    ASSERT_TRUE(record.select(kLoopbackName));
    record.control.Source()->Format()->setID(GetParam().id);
    record.control.Source()->setFileName(recorded);
    // Long blocks give a loaded machine a second's slack before the recorder runs dry.
    record.control.Device()->setBuffer(500);
    TracedPlay play;
    ASSERT_TRUE(play.select(kLoopbackName));
    play.control.Source()->setFileName(played);

    record.control.Device()->setActive(true);
    ASSERT_TRUE(record.control.Device()->Active());
    play.control.Device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
    const quint32 after = record.control.Source()->Format()->Bytes() + f.avgBytesPerSec / 5;
    ASSERT_TRUE(waitUntil([&] { return record.control.Source()->Format()->Bytes() >= after; }, 5000));
    record.control.Device()->setActive(false);
    ASSERT_EQ(record.count(QStringLiteral("OnDone")), 1);

    const QByteArray file = readFile(recorded);
    EXPECT_EQ(u32At(file, 4), quint32(file.size() - 8));
    const QByteArray data = dataOf(file);
    const qsizetype at = data.indexOf(sound);
    ASSERT_GE(at, 0) << "the played sound is not in the recording whole";
    EXPECT_EQ(at % f.blockAlign, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, LoopbackControls,
                         ::testing::Values(FormatCase{"Mono8k", wfPCM08000M16}, FormatCase{"Stereo22k", wfPCM22050S16}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ControlTraces, AWholePlayAndAWholeRecordAreTracedStepByStep)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("t.wav"));
    ASSERT_TRUE(writeFile(file, pcmFile(8000, tone(400))));

    TracedPlay play;
    ASSERT_TRUE(play.select(kLoopbackName));
    play.control.Popup()->setOnError(true);
    play.control.Volume()->setEnabled(true);
    play.control.Volume()->setPosition(80);
    play.control.Device()->setDelay(20);
    play.control.Source()->setFileName(file);
    play.control.Device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
    const QStringList expectedPlay{
        QStringLiteral("Device.Active := True"),
        QStringLiteral("OnLoaded"),
        QStringLiteral("\tAllocate Window Handle"),
        QStringLiteral("\tStore system volume := 100"),
        QStringLiteral("\tSystem volume := Volume.Position (80)"),
        QStringLiteral("Windows message \"MM_WOM_OPEN\""),
        QStringLiteral("Windows message \"MM_WOM_DONE\""),
        QStringLiteral("\tReset system volume = [100]"),
        QStringLiteral("\tDelaying"),
        QStringLiteral("\t\t\tnvPlay.Device.Delay = 20 //milliseconds"),
        QStringLiteral("\tComplete"),
        QStringLiteral("\tDeallocate Window Handle"),
        QStringLiteral("Device.Active = False"),
        QStringLiteral("OnDone"),
    };
    EXPECT_EQ(play.linesFrom(QStringLiteral("Device.Active := True")), expectedPlay);

    TracedRecord record;
    ASSERT_TRUE(record.select(kLoopbackName));
    record.control.Popup()->setOnError(true);
    record.control.Device()->setDelay(20);
    record.control.Device()->setTrim(10);
    record.control.Source()->setFileName(dir.filePath(QStringLiteral("r")));
    record.control.Device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return record.logged(QStringLiteral("Windows message \"MM_WIM_OPEN\"")); }, 3000));
    record.control.Device()->setActive(false);
    const QStringList expectedRecord{
        QStringLiteral("Device.Active := True"),
        QStringLiteral("\tAllocate Window Handle"),
        QStringLiteral("Windows message \"MM_WIM_OPEN\""),
        QStringLiteral("Device.Active := False"),
        QStringLiteral("Windows message \"MM_WIM_DATA\""),
        QStringLiteral("Windows message \"MM_WIM_DATA\""),
        QStringLiteral("\tReleasing wave device"),
        QStringLiteral("\t\tDelaying"),
        QStringLiteral("\t\t\tnvRecord.Device.Delay = 20 //milliseconds"),
        QStringLiteral("\t\t\tComplete"),
        QStringLiteral("Windows message \"MM_WIM_CLOSE\""),
        QStringLiteral("\tDeallocate Window Handle"),
        QStringLiteral("\tSaving to file"),
        QStringLiteral("\t\tTriming"),
        QStringLiteral("\t\t\tnvRecord.Device.Trim = 10 //milliseconds"),
        QStringLiteral("\tFree memory"),
        QStringLiteral("OnDone"),
    };
    EXPECT_EQ(record.linesFrom(QStringLiteral("Device.Active := True")), expectedRecord);
    // The name got its extension.
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("r.wav"))));
}
