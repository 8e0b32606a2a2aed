// Files past what 32-bit positions reach: chunks beyond 2 GB are found and read, and a
// save that a RIFF size could not describe is refused before anything is written. The
// large files are sparse and the large image is never touched, so little disk or memory
// is used.

#include "WaveTestSupport.h"

#include <GlobalMemory.h>
#include <MmioApi.h>
#include <TnvResultTexts.h>
#include <TnvWaveRegistry.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

constexpr qint64 kGap = (qint64(5) << 29) + 2; // 2.5 GB of padding, even

QStringList folderEntries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A WAVE file whose format, samples and lists lie behind a sparse 2.5 GB padding chunk.
bool writeFarFile(const QString& path, const QByteArray& rest)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const qint64 riffSize = 4 + 8 + kGap + rest.size();
    bool ok = f.write(QByteArray("RIFF") + le32(quint32(riffSize)) + "WAVE" + "JUNK" + le32(quint32(kGap))) == 20;
    ok = ok && f.seek(20 + kGap) && f.write(rest) == rest.size();
    return ok;
}

} // namespace

TEST(WaveFileLimits, ChunksBeyondTwoGigabytesAreFoundAndRead)
{
    QTemporaryDir dir;
    const QString far = dir.filePath(QStringLiteral("far.wav"));
    const QByteArray cue = chunk("cue ", le32(1) + QByteArray(24, 'c'));
    ASSERT_TRUE(writeFarFile(far, chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", ramp(50)) + cue
                                      + info({{"INAM", "far away"}})));
    TestWaveControl control;
    ASSERT_TRUE(control.buffer()->LoadFromFile(far)) << control.Error()->Text().toStdString();
    EXPECT_EQ(samplesOf(control.buffer()), ramp(50));
    EXPECT_EQ(control.buffer()->Name(), QStringLiteral("far away"));

    // Saved again without the padding, and with the cue chunk read from beyond 2 GB.
    const QString near = dir.filePath(QStringLiteral("near.wav"));
    ASSERT_TRUE(control.buffer()->SaveToFile(near));
    const QByteArray saved = readFile(near);
    EXPECT_LT(saved.size(), 4096);
    EXPECT_TRUE(saved.contains(cue));
    EXPECT_FALSE(saved.contains("JUNK"));
    EXPECT_EQ(u32At(saved, 4), quint32(saved.size() - 8));
    control.buffer()->FreeBuffer();
}

TEST(WaveFileLimits, SixtyFourBitPositionsWriteChunksPastTwoGigabytesAndStopAtFour)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.bin"));
    MMIOINFO info;
    HMMIO file = mmioOpenA(QFile::encodeName(path), &info, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(file, nullptr);
    const std::int64_t at = std::int64_t(3) << 30;
    ASSERT_EQ(mmioSeek64(file, at, SEEK_SET), at);
    // The 32-bit seek cannot tell this position and leaves it alone.
    EXPECT_EQ(mmioSeek(file, 0, SEEK_CUR), -1);
    EXPECT_EQ(mmioSeek64(file, 0, SEEK_CUR), at);
    MMCKINFO chunk;
    chunk.ckid = mmioFOURCC('f', 'a', 'r', ' ');
    ASSERT_EQ(mmioCreateChunk(file, &chunk, 0), 0u);
    EXPECT_EQ(chunk.dwDataOffset, DWORD(at + 8));
    ASSERT_EQ(mmioWrite(file, "abc", 3), 3);
    ASSERT_EQ(mmioAscend(file, &chunk, 0), 0u);
    EXPECT_EQ(mmioSeek64(file, 0, SEEK_CUR), at + 12);
    // A chunk whose data would start past 4 GB cannot be described.
    ASSERT_EQ(mmioSeek64(file, std::int64_t(1) << 32, SEEK_SET), std::int64_t(1) << 32);
    MMCKINFO beyond;
    beyond.ckid = mmioFOURCC('n', 'o', 'p', 'e');
    EXPECT_NE(mmioCreateChunk(file, &beyond, 0), 0u);
    EXPECT_EQ(mmioSeek64(file, -1, SEEK_SET), -1);
    ASSERT_EQ(mmioClose(file, MMIO_ABANDON), 0u);
    EXPECT_TRUE(folderEntries(dir).isEmpty());
}

TEST(WaveFileLimits, ASaveLongerThanARiffSizeCanTellIsRefusedUntouched)
{
    // An image of the largest data size: mapped, never touched, so it costs no memory.
    const quint64 total = TnvWaveImage::HeaderSize + TnvWaveImage::MaxDataSize;
    const HGLOBAL block = GlobalAlloc(GHND, SIZE_T(total));
    if (!block)
        GTEST_SKIP() << "no room for a 4 GB mapping here";
    auto* image = static_cast<uchar*>(GlobalLock(block));
    TnvWaveImage::writeHeader(image, TnvWaveFormatFields{1, 1, 8000, 16000, 2, 16}, quint32(TnvWaveImage::MaxDataSize));
    GlobalUnlock(block);
    TnvWaveRegistry::instance().add(block, TnvBufferFields());

    TestWaveControl control;
    TnvWaveBuffer* buffer = control.buffer();
    buffer->setHandle(block);
    buffer->setActive(true);
    ASSERT_EQ(buffer->DataSize(), quint32(TnvWaveImage::MaxDataSize)) << control.Error()->Text().toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.wav"));
    ASSERT_TRUE(writeFile(path, pcmFile(8000, ramp(4))));
    // With the INFO list behind it the file would pass 4 GB.
    EXPECT_FALSE(buffer->SaveToFile(path));
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_FILETOOBIG);
    EXPECT_EQ(readFile(path), pcmFile(8000, ramp(4)));
    EXPECT_EQ(folderEntries(dir), QStringList{QStringLiteral("huge.wav")});
    buffer->FreeBuffer();
}
