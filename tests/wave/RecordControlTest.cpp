// The record control on the loopback device: block settings, pausing, stopping at once,
// trimming, appending to the buffer, the size limit, and a recording that cannot be
// saved where it should go.

#include "WaveControlSupport.h"

#include <TnvNotation.h>
#include <TnvPropertyPath.h>
#include <TnvResultTexts.h>

#include <MmResults.h>

#include <QDir>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

struct RecordFixture : ::testing::Test {
    QTemporaryDir dir;
    TracedRecord record;
    QString file;

    void SetUp() override
    {
        ASSERT_TRUE(record.select(kLoopbackName));
        file = dir.filePath(QStringLiteral("rec.wav"));
        record.control.Source()->setFileName(file);
        ASSERT_TRUE(record.control.Source()->Valid());
        record.control.Device()->setBuffer(100);
    }
    TnvRecordDevice* device() { return record.control.Device(); }
    bool recordFor(qint32 bytes)
    {
        device()->setActive(true);
        if (!device()->Active())
            return false;
        const bool enough =
            waitUntil([&] { return record.control.Source()->Format()->Bytes() >= quint32(bytes); }, 3000);
        device()->setActive(false);
        return enough && !device()->Active();
    }
};

} // namespace

TEST_F(RecordFixture, BlockLengthIsCheckedAndKeptToWholeFrames)
{
    const struct {
        qint32 ms;
        qint32 code;
        qint32 kept;
    } cases[] = {{99, WAV_ERROR_INVALIDBUFSIZE, 100}, {100, 0, 100}, {60000, 0, 60000},
                 {60001, WAV_ERROR_INVALIDBUFSIZE, 60000}, {500, 0, 500}};
    for (const auto& c : cases) {
        device()->setBuffer(c.ms);
        EXPECT_EQ(record.control.Error()->Number(), c.code) << c.ms;
        EXPECT_EQ(device()->Buffer(), c.kept) << c.ms;
    }
    EXPECT_TRUE(record.logged(QStringLiteral("Device.Buffer := 99 //milliseconds")));

    // The length leaves the channels out, but a block always holds whole frames.
    device()->setBuffer(100);
    TnvWaveFormat* format = record.control.Source()->Format();
    format->setID(wfPCM08000M16);
    EXPECT_EQ(record.control.BlockSize(), 1600u);
    format->setID(wfPCM11025S16);
    EXPECT_EQ(record.control.BlockSize(), 2204u);
    format->setID(wfPCM11025S08);
    EXPECT_EQ(record.control.BlockSize() % 2, 0u);

    format->setID(wfPCM08000M16);
    device()->setActive(true);
    device()->setBuffer(200);
    EXPECT_EQ(record.control.Error()->Number(), WAV_ERROR_DEVICEACTIVE);
    device()->setAppend(true);
    EXPECT_EQ(record.control.Error()->Number(), qint32(MMSYSERR_ALLOCATED));
    device()->setTrim(10);
    EXPECT_EQ(record.control.Error()->Number(), WAV_ERROR_DEVICEACTIVE);
    device()->setActive(false);
    EXPECT_EQ(device()->Buffer(), 100);
    EXPECT_FALSE(device()->Append());
}

TEST_F(RecordFixture, PausingWhileNotRecordingIsRefused)
{
    device()->setPause(true);
    EXPECT_EQ(record.control.Error()->Number(), WAV_ERROR_DEVICEINACTIVE);
    EXPECT_FALSE(device()->Pause());
    EXPECT_EQ(record.lines.constLast(), QStringLiteral("<< Error >> WAV_ERROR_DEVICEINACTIVE [FFFFFFF0]"));
}

TEST_F(RecordFixture, PauseKeepsTheRecordingAndResumeAddsToIt)
{
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return record.control.Source()->Format()->Bytes() >= 1600; }, 3000));
    device()->setPause(true);
    ASSERT_TRUE(device()->Pause());
    const quint32 paused = record.control.Source()->Format()->Bytes();
    EXPECT_FALSE(waitUntil([&] { return record.control.Source()->Format()->Bytes() != paused; }, 250));
    device()->setPause(false);
    EXPECT_FALSE(device()->Pause());
    ASSERT_TRUE(waitUntil([&] { return record.control.Source()->Format()->Bytes() >= paused + 1600; }, 3000));
    device()->setActive(false);
    EXPECT_EQ(record.count(QStringLiteral("OnDone")), 1);
    EXPECT_GE(quint32(dataOf(readFile(file)).size()), paused + 1600);
}

TEST_F(RecordFixture, StoppedAtOnceOrTrimmedAwayGivesAOneByteDataChunk)
{
    for (const bool trim : {false, true}) {
        SCOPED_TRACE(trim ? "trim longer than the recording" : "immediate stop");
        device()->setTrim(trim ? 5000 : 0);
        if (trim) {
            ASSERT_TRUE(recordFor(1600));
        } else {
            device()->setActive(true);
            device()->setActive(false);
        }
        const QByteArray saved = readFile(file);
        ASSERT_EQ(saved.size(), 47);
        EXPECT_EQ(u32At(saved, 4), 39u);
        EXPECT_EQ(u32At(saved, 42), 1u);
        EXPECT_EQ(record.control.Source()->Format()->Bytes(), 0u);
    }
    EXPECT_EQ(record.count(QStringLiteral("OnDone")), 2);
    EXPECT_TRUE(record.logged(QStringLiteral("\t\t\tnvRecord.Device.Trim = 5000 //milliseconds")));
}

TEST_F(RecordFixture, AppendingTwiceGivesOneBufferOfBothRecordings)
{
    TnvWaveBuffer* buffer = record.control.Source()->Buffer();
    buffer->setActive(true);
    record.control.Source()->Format()->setID(wfPCM08000M16);
    device()->setAppend(true);
    ASSERT_TRUE(recordFor(1600));
    const QByteArray first = samplesOf(buffer);
    ASSERT_GE(first.size(), 1600);
    const quint32 handle = buffer->Handle();
    ASSERT_TRUE(recordFor(1600));
    const QByteArray both = samplesOf(buffer);
    EXPECT_EQ(buffer->Handle(), handle);
    EXPECT_GE(both.size(), first.size() + 1600);
    EXPECT_TRUE(both.startsWith(first));
    EXPECT_FALSE(QFile::exists(file));
    // The buffer holds a whole WAVE image another control can play or save.
    const QString saved = dir.filePath(QStringLiteral("both.wav"));
    ASSERT_TRUE(buffer->SaveToFile(saved));
    EXPECT_EQ(dataOf(readFile(saved)), both);
    buffer->FreeBuffer();
}

TEST_F(RecordFixture, SizeLimitWithoutPermissionStopsAndSaves)
{
    record.control.Source()->setMaxSize(1);
    EXPECT_EQ(record.lines.constLast(), QStringLiteral("Source.MaxSize := 1 //kilobytes"));
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return record.count(QStringLiteral("OnDone")) == 1; }, 3000));
    EXPECT_FALSE(device()->Active());
    // The save clears the error again; the log and OnError keep the stop's reason.
    EXPECT_TRUE(record.logged(QStringLiteral("<< Error >> WAV_ERROR_CANCELED [FFFFFFF6]")));
    EXPECT_EQ(record.events, (QStringList{QStringLiteral("OnError"), QStringLiteral("OnDone")}));
    const QByteArray data = dataOf(readFile(file));
    EXPECT_GE(data.size(), 1600);
    EXPECT_LT(data.size(), 3 * 1600);

    // With a handler that allows it, the recording goes on past the limit.
    int warnings = 0;
    record.control.OnWarning = [&](TnvSharedControl*, bool& Continue) {
        ++warnings;
        EXPECT_TRUE(Continue);
    };
    ASSERT_TRUE(recordFor(4 * 1600));
    EXPECT_EQ(warnings, 1);
    EXPECT_TRUE(record.logged(QStringLiteral("<< Warning >> WAV_ERROR_FILETOOBIG [FFFFFFF5]")));
    record.control.OnWarning = nullptr;
}

TEST_F(RecordFixture, ARecordingThatCannotBeSavedStaysInTheBuffer)
{
    const QString gone = dir.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkpath(gone));
    record.control.Source()->setFileName(gone + QStringLiteral("/rec.wav"));
    ASSERT_TRUE(record.control.Source()->Valid());
    device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return record.control.Source()->Format()->Bytes() >= 1600; }, 3000));
    ASSERT_TRUE(QDir(gone).removeRecursively());
    device()->setActive(false);

    EXPECT_NE(record.control.Error()->Number(), 0);
    EXPECT_EQ(record.count(QStringLiteral("OnError")), 1);
    EXPECT_EQ(record.count(QStringLiteral("OnDone")), 1);
    TnvWaveBuffer* buffer = record.control.Source()->Buffer();
    ASSERT_NE(buffer->Handle(), 0u);
    EXPECT_TRUE(record.logged(QStringLiteral("\tRecording kept in Source.Buffer [") + TnvNotation::hex8(buffer->Handle())
                              + QLatin1Char(']')));
    // From there it can be saved elsewhere.
    buffer->setActive(true);
    const QString elsewhere = dir.filePath(QStringLiteral("kept.wav"));
    ASSERT_TRUE(buffer->SaveToFile(elsewhere));
    EXPECT_GE(dataOf(readFile(elsewhere)).size(), 1600);
    buffer->FreeBuffer();
}

TEST_F(RecordFixture, StartNeedsAFolderThatExists)
{
    record.control.Source()->setFileName(dir.filePath(QStringLiteral("no/such/folder/x.wav")));
    EXPECT_FALSE(record.control.Source()->Valid());
    device()->setActive(true);
    EXPECT_FALSE(device()->Active());
    EXPECT_EQ(record.control.Error()->Number(), WAV_ERROR_DIRNOTFOUND);
    record.control.Source()->setFileName(dir.filePath(QStringLiteral("folder-only/")));
    EXPECT_FALSE(record.control.Source()->Valid());
}

TEST_F(RecordFixture, SettingsAreReachedByTheirDottedNames)
{
    // Stored settings and the shell go through these paths.
    EXPECT_TRUE(TnvPropertyPath::write(&record.control, QStringLiteral("Device.Buffer"), 250));
    EXPECT_EQ(record.lines.constLast(), QStringLiteral("Device.Buffer := 250 //milliseconds"));
    EXPECT_TRUE(TnvPropertyPath::write(&record.control, QStringLiteral("Source.Format.ID"),
                                       QStringLiteral("wfPCM22050M16")));
    EXPECT_EQ(TnvPropertyPath::read(&record.control, QStringLiteral("Source.Format.SamplesPerSec")).toInt(), 22050);
    EXPECT_TRUE(TnvPropertyPath::write(&record.control, QStringLiteral("Popup.OnWarning"), true));
    EXPECT_TRUE(record.control.popupOnWarning());
    EXPECT_TRUE(TnvPropertyPath::write(&record.control, QStringLiteral("Device.CODECsEnabled"), true));
    EXPECT_TRUE(record.control.Device()->CODECsEnabled());
    EXPECT_EQ(TnvPropertyPath::read(&record.control, QStringLiteral("Source.Buffer.Active")).toBool(), false);

    TnvPlay play;
    EXPECT_TRUE(TnvPropertyPath::write(&play, QStringLiteral("Volume.Position"), 40));
    EXPECT_EQ(play.Volume()->Position(), 40);
    EXPECT_TRUE(TnvPropertyPath::write(&play, QStringLiteral("Timer.Interval"), 250));
    EXPECT_EQ(TnvPropertyPath::read(&play, QStringLiteral("Position.Percent")).toInt(), 0);
    EXPECT_FALSE(TnvPropertyPath::write(&play, QStringLiteral("Device.Nothing"), 1));

    // The dump names every sub-object; the codec switch is not part of it.
    ASSERT_TRUE(record.control.LogProperties(QStringLiteral("Current nvRecord property values:"), QString(),
                                             QStringLiteral("\t")));
    const QString dump = record.lines.join(QLatin1Char('\n'));
    for (const char* line : {"\tDevice.Buffer = 250 //milliseconds", "\tPopup.OnWarning = True",
                             "\tSource.Format.SamplesPerSec = 22050", "\tSource.Format.Buffer.Active = False"})
        EXPECT_TRUE(dump.contains(QLatin1String(line))) << line;
    EXPECT_FALSE(dump.contains(QStringLiteral("CODECs")));
}
