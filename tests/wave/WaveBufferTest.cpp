// Wave buffers: loading and joining files, files that lie, cutting, the registry and
// adopting or combining registered images.

#include "WaveTestSupport.h"

#include <MmResults.h>
#include <TnvNotation.h>
#include <TnvResultTexts.h>
#include <TnvWaveRegistry.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

struct BufferFixture : ::testing::Test {
    QTemporaryDir dir;
    TestWaveControl control;
    TnvWaveBuffer* buffer = control.buffer();

    QString file(const char* name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(QLatin1StringView(name));
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
};

} // namespace

TEST_F(BufferFixture, JoiningTwoFilesGivesTheirSamplesInTurnAndTheFirstFilesInfo)
{
    file("a.wav", pcmFile(8000, ramp(100), info({{"INAM", "first"}, {"ICRD", "2001-09-08"}})));
    file("b.wav", pcmFile(8000, ramp(50, 100), info({{"INAM", "second"}, {"IAUT", "b's"}})));
    // The second name has no directory and no extension: both come from the first.
    ASSERT_TRUE(buffer->LoadFromFile(dir.filePath(QStringLiteral("a.wav")) + QStringLiteral(",  b")));
    EXPECT_EQ(control.Error()->Number(), 0);
    EXPECT_TRUE(buffer->Active());
    EXPECT_EQ(samplesOf(buffer), ramp(150));
    EXPECT_EQ(buffer->Name(), QStringLiteral("first"));
    EXPECT_EQ(buffer->Author(), QString());
    EXPECT_EQ(buffer->CreationDate().date(), QDate(2001, 9, 8));
    EXPECT_EQ(buffer->TotalSize(), 46u + 300u);
    EXPECT_EQ(control.format()->ID(), wfPCM08000M16);
    EXPECT_EQ(control.format()->Bytes(), 300u);
    EXPECT_DOUBLE_EQ(control.format()->Seconds(), 300.0 / 16000);
    EXPECT_TRUE(buffer->List().contains(TnvNotation::hex8(buffer->Handle())));
}

TEST_F(BufferFixture, ASecondFileOfAnotherRateEndsTheLoadNamingIt)
{
    const QString a = file("a.wav", pcmFile(8000, ramp(10)));
    const QString c = file("c.wav", pcmFile(11025, ramp(10)));
    ASSERT_TRUE(buffer->LoadFromFile(a));
    const quint32 before = buffer->Handle();
    const int count = buffer->Count();
    EXPECT_FALSE(buffer->LoadFromFile(a + QLatin1Char(',') + c));
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_FORMATMISMATCH);
    const qsizetype at = control.lines.indexOf(QStringLiteral("<< Error >> WAV_ERROR_FORMATMISMATCH [FFFFFFF3]"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(control.lines.value(at + 1), QStringLiteral("    File: ") + c);
    // The buffer keeps what it had, and the failed load leaves nothing registered.
    EXPECT_EQ(buffer->Handle(), before);
    EXPECT_EQ(buffer->Count(), count);
}

TEST_F(BufferFixture, FilesThatLieOrEndEarlyAreCorruptAndNothingIsRead)
{
    const QByteArray fmt = chunk("fmt ", fmtBody(1, 1, 8000, 16));
    const struct {
        const char* name;
        QByteArray bytes;
        qint32 code;
    } rows[] = {
        {"data-past-end.wav", riff(fmt + chunk("data", ramp(4), 1000)), WAV_ERROR_FILECORRUPT},
        {"data-4gb.wav", riff(fmt + chunk("data", ramp(4), 0xFFFFFFFF)), WAV_ERROR_FILECORRUPT},
        {"riff-4gb.wav", riff(fmt + chunk("data", ramp(4)), 0xFFFFFFFF), WAV_ERROR_FILECORRUPT},
        {"fmt-past-riff.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16), 0x7FFFFFF0) + chunk("data", ramp(4))),
         WAV_ERROR_FILECORRUPT},
        {"fmt-short.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16).left(6)) + chunk("data", ramp(4))), 0},
        {"truncated.wav", pcmFile(8000, ramp(100)).left(120), WAV_ERROR_FILECORRUPT},
        {"header-only.wav", pcmFile(8000, ramp(100)).left(10), WAV_ERROR_FILECORRUPT},
        {"no-data.wav", riff(fmt), WAV_ERROR_FILECORRUPT},
        {"empty-data.wav", riff(fmt + chunk("data", {})), WAV_ERROR_FILECORRUPT},
        {"no-fmt.wav", riff(chunk("data", ramp(4))), WAV_ERROR_FILECORRUPT},
        {"not-wave.wav", QByteArray("RIFF") + le32(4) + "AVI ", WAV_ERROR_FILECORRUPT},
        {"empty.wav", QByteArray(), WAV_ERROR_FILECORRUPT},
        {"missing.wav", QByteArray(), qint32(MMIOERR_FILENOTFOUND)},
    };
    for (const auto& row : rows) {
        QString path = dir.filePath(QLatin1StringView(row.name));
        if (row.code != qint32(MMIOERR_FILENOTFOUND))
            path = file(row.name, row.bytes);
        control.lines.clear();
        const bool loaded = buffer->LoadFromFile(path);
        EXPECT_EQ(loaded, row.code == 0) << row.name;
        EXPECT_EQ(control.Error()->Number(), row.code) << row.name;
        if (row.code != 0) {
            EXPECT_EQ(control.lines.constLast(), QStringLiteral("    File: ") + path) << row.name;
        }
    }
}

TEST_F(BufferFixture, CuttingMovesTheRestDownOnceAndKeepsWholeFrames)
{
    ASSERT_TRUE(buffer->LoadFromFile(file("a.wav", pcmFile(8000, ramp(8000)))));
    // 0.10003 s of 16 kB/s is 1600.48 bytes: 1600, already even.
    EXPECT_TRUE(buffer->DeleteBefore(0.10003));
    EXPECT_TRUE(control.logged(QStringLiteral("Source.Buffer.DeleteBefore (0.1)")));
    EXPECT_EQ(samplesOf(buffer), ramp(7200, 800));
    EXPECT_EQ(buffer->DataSize(), 14400u);
    EXPECT_EQ(control.format()->Bytes(), 14400u);
    EXPECT_DOUBLE_EQ(control.format()->Seconds(), 0.9);
    EXPECT_TRUE(buffer->DeleteAfter(0.5));
    EXPECT_EQ(samplesOf(buffer), ramp(4000, 800));
    // The registry copy follows.
    EXPECT_EQ(TnvWaveRegistry::instance().find(buffer->Handle())->dataSize, 8000u);

    // Past the data, nothing at all, or a negative time: nothing changes.
    for (double seconds : {0.5, 5.0, 0.0, -1.0}) {
        EXPECT_FALSE(buffer->DeleteBefore(seconds)) << seconds;
        EXPECT_FALSE(buffer->DeleteAfter(seconds)) << seconds;
    }
    EXPECT_EQ(samplesOf(buffer), ramp(4000, 800));

    // Stereo 16-bit frames are 4 bytes: 1 ms (32 bytes) plus a little rounds to 36.
    TestWaveControl stereo;
    ASSERT_TRUE(stereo.buffer()->LoadFromFile(
        file("s.wav", riff(chunk("fmt ", fmtBody(1, 2, 8000, 16)) + chunk("data", ramp(400))))));
    EXPECT_TRUE(stereo.buffer()->DeleteBefore(0.00106));
    EXPECT_EQ(samplesOf(stereo.buffer()), ramp(382, 18));
}

TEST_F(BufferFixture, RegistryListsCreatedBuffersUntilTheyAreFreed)
{
    const int count = buffer->Count();
    control.lines.clear();
    ASSERT_TRUE(buffer->CreateBuffer(1000));
    const QString hex = TnvNotation::hex8(buffer->Handle());
    EXPECT_EQ(control.lines, (QStringList{QStringLiteral("Source.Buffer.CreateBuffer (1000)"),
                                          QStringLiteral("\tSource.Buffer.Active = False"),
                                          QStringLiteral("\tSource.Buffer.Count = %1").arg(count + 1),
                                          QStringLiteral("\tSource.Buffer.Handle = [") + hex + QLatin1Char(']')}));
    EXPECT_EQ(buffer->List().constLast(), hex);
    EXPECT_EQ(buffer->TotalSize(), 1000u);
    EXPECT_FALSE(buffer->CreateBuffer(0));

    control.lines.clear();
    buffer->FreeBuffer();
    EXPECT_EQ(control.lines.value(0), QStringLiteral("Source.Buffer.FreeBuffer [") + hex + QLatin1Char(']'));
    EXPECT_EQ(control.lines.value(1), QStringLiteral("Source.Buffer.Handle = [00000000]"));
    EXPECT_EQ(buffer->Count(), count);
    EXPECT_FALSE(buffer->List().contains(hex));
    EXPECT_EQ(buffer->Handle(), 0u);
    EXPECT_EQ(control.Error()->Number(), 0);
}

TEST_F(BufferFixture, AnotherControlAdoptsOrCombinesRegisteredImages)
{
    ASSERT_TRUE(buffer->LoadFromFile(file("a.wav", pcmFile(8000, ramp(10), info({{"INAM", "a"}})))));
    const quint32 a = buffer->Handle();
    TestWaveControl other;
    ASSERT_TRUE(other.buffer()->LoadFromFile(file("b.wav", pcmFile(8000, ramp(5, 10)))));
    const quint32 b = other.buffer()->Handle();

    // Adopting: samples, format and metadata come with the handle.
    TestWaveControl third;
    third.buffer()->setHandle(a);
    third.buffer()->setActive(true);
    EXPECT_EQ(third.Error()->Number(), 0);
    EXPECT_EQ(third.buffer()->Name(), QStringLiteral("a"));
    EXPECT_EQ(third.format()->ID(), wfPCM08000M16);
    EXPECT_EQ(samplesOf(third.buffer()), ramp(10));

    // Combining: a new image, the samples in turn, the buffer's own texts.
    third.buffer()->setName(QStringLiteral("both"));
    third.lines.clear();
    ASSERT_TRUE(third.buffer()->LoadFromBuffers(TnvNotation::hex8(a) + QStringLiteral(", ") + TnvNotation::hex8(b)));
    EXPECT_NE(third.buffer()->Handle(), a);
    EXPECT_EQ(samplesOf(third.buffer()), ramp(15));
    EXPECT_EQ(TnvWaveRegistry::instance().find(third.buffer()->Handle())->Name, QStringLiteral("both"));

    // An unknown handle is corrupt and named.
    EXPECT_FALSE(third.buffer()->LoadFromBuffers(TnvNotation::hex8(a) + QStringLiteral(",DEAD")));
    EXPECT_EQ(third.Error()->Number(), WAV_ERROR_FILECORRUPT);
    EXPECT_EQ(third.lines.constLast(), QStringLiteral("    Buffer: DEAD"));

    // A buffer whose image another control freed refuses it instead of reading it.
    buffer->FreeBuffer();
    third.buffer()->setHandle(a);
    EXPECT_EQ(third.Error()->Number(), WAV_ERROR_FILECORRUPT);
    EXPECT_FALSE(third.Source()->Valid());
    other.buffer()->FreeBuffer();
    third.buffer()->FreeBuffer();
}

TEST_F(BufferFixture, ChangesAreRefusedWhileTheDeviceRuns)
{
    ASSERT_TRUE(buffer->LoadFromFile(file("a.wav", pcmFile(8000, ramp(10)))));
    const quint32 handle = buffer->Handle();
    control.device = true;
    buffer->setHandle(0);
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_DEVICEACTIVE);
    buffer->setActive(false);
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_DEVICEACTIVE);
    buffer->FreeBuffer();
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_DEVICEACTIVE);
    EXPECT_EQ(buffer->Handle(), handle);
    EXPECT_TRUE(buffer->Active());
    EXPECT_EQ(samplesOf(buffer), ramp(10));
    control.device = false;
    buffer->FreeBuffer();
}

TEST_F(BufferFixture, SavingNeedsAnActiveBufferAndANameAndKeepsTheOldFileOnFailure)
{
    TestWaveControl idle;
    EXPECT_FALSE(idle.buffer()->SaveToFile(dir.filePath(QStringLiteral("x.wav"))));
    EXPECT_EQ(idle.Error()->Number(), 0);

    ASSERT_TRUE(buffer->LoadFromFile(file("a.wav", pcmFile(8000, ramp(10)))));
    EXPECT_FALSE(buffer->SaveToFile(QString()));
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_NOFILE);
    EXPECT_FALSE(buffer->SaveToFile(dir.filePath(QStringLiteral("no/such/dir/x.wav"))));
    EXPECT_EQ(control.Error()->Number(), qint32(MMIOERR_PATHNOTFOUND));

    // Saving over the file it came from.
    const QString a = dir.filePath(QStringLiteral("a.wav"));
    buffer->setComments(QStringLiteral("again"));
    ASSERT_TRUE(buffer->SaveToFile(a));
    TestWaveControl reader;
    ASSERT_TRUE(reader.buffer()->LoadFromFile(a));
    EXPECT_EQ(reader.buffer()->Comments(), QStringLiteral("again"));
    EXPECT_EQ(samplesOf(reader.buffer()), ramp(10));
}

TEST_F(BufferFixture, OtherChunksOfAFileComeBackWhenItIsSavedUnchanged)
{
    const QByteArray fact = chunk("fact", le32(40));
    const QByteArray cue = chunk("cue ", le32(1) + QByteArray(24, 'c'));
    const QByteArray labels = chunk("LIST", QByteArray("adtl") + chunk("labl", le32(1) + "odd"));
    const QByteArray tail = cue + chunk("JUNK", QByteArray(10, '\0')) + labels + info({{"INAM", "cues"}});
    const QString source = file("cues.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + fact
                                                 + chunk("data", ramp(40)) + tail));
    ASSERT_TRUE(buffer->LoadFromFile(source));
    const QString out = dir.filePath(QStringLiteral("out.wav"));
    ASSERT_TRUE(buffer->SaveToFile(out));
    const QByteArray saved = readFile(out);
    // The image and its INFO list first, as always; the rest behind, padding left out.
    const qsizetype list = TnvWaveImage::HeaderSize + 80;
    EXPECT_EQ(saved.mid(list, 4), QByteArray("LIST"));
    const qsizetype others = list + 8 + qsizetype(u32At(saved, list + 4));
    EXPECT_EQ(saved.mid(others), fact + cue + labels);
    EXPECT_EQ(u32At(saved, 4), quint32(saved.size() - 8));
    TestWaveControl reader;
    ASSERT_TRUE(reader.buffer()->LoadFromFile(out));
    EXPECT_EQ(samplesOf(reader.buffer()), ramp(40));
    EXPECT_EQ(reader.buffer()->Name(), QStringLiteral("cues"));

    // Cut or joined samples no longer match the cue points: they are not written.
    ASSERT_TRUE(buffer->DeleteBefore(0.001));
    ASSERT_TRUE(buffer->SaveToFile(out));
    EXPECT_FALSE(readFile(out).contains("cue "));
    ASSERT_TRUE(buffer->LoadFromFile(source + QStringLiteral(",") + source));
    ASSERT_TRUE(buffer->SaveToFile(out));
    EXPECT_FALSE(readFile(out).contains("fact"));
    // Nor does another control that adopts the image carry them.
    ASSERT_TRUE(buffer->LoadFromFile(source));
    TestWaveControl other;
    other.buffer()->setHandle(buffer->Handle());
    other.buffer()->setActive(true);
    ASSERT_TRUE(other.buffer()->SaveToFile(out));
    EXPECT_FALSE(readFile(out).contains("cue "));
}
