// The RIFF file functions: chunk walking bounded by parent and file, open errors, and
// created files that only replace the old file once they are complete.

#include "WaveTestSupport.h"

#include <MmioApi.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace wavetest;

namespace {

QByteArray name(const QString& path)
{
    return QFile::encodeName(path);
}

QStringList entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST(Mmio, DescendWalksChunksInsideTheirParentAndAscendSkipsThePadByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("walk.wav"));
    // An odd chunk before "data": the walk must step over its pad byte.
    ASSERT_TRUE(writeFile(path, riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("odd ", "abc")
                                     + chunk("data", ramp(4)))));
    MMIOINFO info;
    HMMIO file = mmioOpenA(name(path), &info, MMIO_READ | MMIO_ALLOCBUF);
    ASSERT_NE(file, nullptr);
    MMCKINFO form;
    form.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(file, &form, nullptr, MMIO_FINDRIFF), 0u);
    EXPECT_EQ(form.dwDataOffset, 8u);
    MMCKINFO odd;
    odd.ckid = mmioFOURCC('o', 'd', 'd', ' ');
    ASSERT_EQ(mmioDescend(file, &odd, &form, MMIO_FINDCHUNK), 0u);
    EXPECT_EQ(odd.cksize, 3u);
    ASSERT_EQ(mmioAscend(file, &odd, 0), 0u);
    MMCKINFO data;
    ASSERT_EQ(mmioDescend(file, &data, &form, 0), 0u);
    EXPECT_EQ(data.ckid, mmioFOURCC('d', 'a', 't', 'a'));
    char samples[8];
    EXPECT_EQ(mmioRead(file, samples, 8), 8);
    EXPECT_EQ(QByteArray(samples, 8), ramp(4));
    // Nothing more inside the form.
    MMCKINFO none;
    none.ckid = mmioFOURCC('n', 'o', 'n', 'e');
    EXPECT_EQ(mmioSeek(file, 12, SEEK_SET), 12);
    EXPECT_EQ(mmioDescend(file, &none, &form, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioClose(file, 0), 0u);
    // The handle is gone; using it again is refused, not followed.
    EXPECT_EQ(mmioClose(file, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioRead(file, samples, 1), -1);
}

TEST(Mmio, ChunksThatRunPastTheirParentOrTheFileAreNotFound)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lie.wav"));
    // The data chunk claims more than the file has; a search for a later chunk must not
    // jump past the end either.
    ASSERT_TRUE(writeFile(path, riff(chunk("fmt ", fmtBody(1, 1, 8000, 16)) + chunk("data", ramp(4), 0xFFFFFFF0))));
    HMMIO file = mmioOpenA(name(path), nullptr, MMIO_READ);
    ASSERT_NE(file, nullptr);
    MMCKINFO form;
    form.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(file, &form, nullptr, MMIO_FINDRIFF), 0u);
    MMCKINFO data;
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(file, &data, &form, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    mmioClose(file, 0);
}

TEST(Mmio, OpenErrorsNameTheirCause)
{
    QTemporaryDir dir;
    MMIOINFO info;
    EXPECT_EQ(mmioOpenA(name(dir.filePath(QStringLiteral("missing.wav"))), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
    EXPECT_EQ(mmioOpenA(name(dir.filePath(QStringLiteral("no/such.wav"))), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_PATHNOTFOUND);
    EXPECT_EQ(mmioOpenA(name(dir.filePath(QStringLiteral("no/such.wav"))), &info, MMIO_CREATE | MMIO_WRITE), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_PATHNOTFOUND);
    EXPECT_EQ(mmioOpenA(name(dir.path()), &info, MMIO_READ), nullptr);
    EXPECT_NE(info.wErrorRet, 0u);
    EXPECT_EQ(mmioOpenA(name(dir.path()), &info, MMIO_CREATE | MMIO_WRITE), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_ACCESSDENIED);
}

TEST(Mmio, CreatedFileReplacesTheOldOneOnlyWhenClosed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.wav"));
    ASSERT_TRUE(writeFile(path, "old contents"));
    HMMIO file = mmioOpenA(name(path), nullptr, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(mmioWrite(file, "new", 3), 3);
    // A process killed here leaves the old file as it was.
    EXPECT_EQ(readFile(path), QByteArray("old contents"));
    EXPECT_EQ(mmioClose(file, 0), 0u);
    EXPECT_EQ(readFile(path), QByteArray("new"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("keep.wav")});

    file = mmioOpenA(name(path), nullptr, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(file, nullptr);
    mmioWrite(file, "abandoned", 9);
    EXPECT_EQ(mmioClose(file, MMIO_ABANDON), 0u);
    EXPECT_EQ(readFile(path), QByteArray("new"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("keep.wav")});
}

TEST(Mmio, CreatingThroughASymbolicLinkReplacesTheFileItNames)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.wav"));
    const QString link = dir.filePath(QStringLiteral("link.wav"));
    ASSERT_TRUE(writeFile(real, "old"));
    ASSERT_TRUE(QFile::link(real, link));
    HMMIO file = mmioOpenA(name(link), nullptr, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(file, nullptr);
    mmioWrite(file, "new", 3);
    ASSERT_EQ(mmioClose(file, 0), 0u);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(real), QByteArray("new"));
}

TEST(Mmio, ReplacingKeepsOwnerAndGroupAndRefusesAReadOnlyFile)
{
    QTemporaryDir dir;
    const QString readOnly = dir.filePath(QStringLiteral("ro.wav"));
    ASSERT_TRUE(writeFile(readOnly, "old"));
    ASSERT_EQ(::chmod(name(readOnly).constData(), 0444), 0);
    MMIOINFO info;
    EXPECT_EQ(mmioOpenA(name(readOnly), &info, MMIO_CREATE | MMIO_WRITE), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_ACCESSDENIED);
    EXPECT_EQ(readFile(readOnly), QByteArray("old"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("ro.wav")});

    // Only root can hand a file to someone else.
    if (::geteuid() != 0)
        GTEST_SKIP() << "owners can only be tried as root";
    const QString owned = dir.filePath(QStringLiteral("owned.wav"));
    ASSERT_TRUE(writeFile(owned, "old"));
    ASSERT_EQ(::chown(name(owned).constData(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(name(owned).constData(), 06640), 0);
    HMMIO file = mmioOpenA(name(owned), nullptr, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(file, nullptr);
    mmioWrite(file, "new", 3);
    ASSERT_EQ(mmioClose(file, 0), 0u);
    struct stat saved{};
    ASSERT_EQ(::stat(name(owned).constData(), &saved), 0);
    EXPECT_EQ(readFile(owned), QByteArray("new"));
    EXPECT_EQ(saved.st_uid, 4321u);
    EXPECT_EQ(saved.st_gid, 4322u);
    EXPECT_EQ(saved.st_mode & 07777, 06640u);
}

TEST(Mmio, AWriteThatFailsLeavesTheOldFileAndNoLeftovers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.wav"));
    ASSERT_TRUE(writeFile(path, "precious"));
    // A file-size limit stands in for a full disk: writes past it fail with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    HMMIO file = mmioOpenA(name(path), nullptr, MMIO_CREATE | MMIO_WRITE);
    const QByteArray big(8192, 'x');
    const LONG written = file ? mmioWrite(file, big.constData(), LONG(big.size())) : 0;
    const MMRESULT closed = file ? mmioClose(file, 0) : 0;
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(written, -1);
    EXPECT_EQ(closed, MMIOERR_CANNOTWRITE);
    EXPECT_EQ(readFile(path), QByteArray("precious"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("full.wav")});
}

TEST(Mmio, CreatedChunksGetTheirSizeAndPadWhenAscending)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("made.riff"));
    HMMIO file = mmioOpenA(name(path), nullptr, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(file, nullptr);
    MMCKINFO list;
    list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
    ASSERT_EQ(mmioCreateChunk(file, &list, MMIO_CREATELIST), 0u);
    MMCKINFO item;
    item.ckid = mmioFOURCC('I', 'N', 'A', 'M');
    ASSERT_EQ(mmioCreateChunk(file, &item, 0), 0u);
    mmioWrite(file, "abc", 3);
    ASSERT_EQ(mmioAscend(file, &item, 0), 0u);
    ASSERT_EQ(mmioAscend(file, &list, 0), 0u);
    ASSERT_EQ(mmioClose(file, 0), 0u);
    EXPECT_EQ(readFile(path), chunk("LIST", QByteArray("INFO") + chunk("INAM", "abc")));
}

TEST(Mmio, LeftoversOfDeadWritersGoWhileLiveOnesStay)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("x.wav"));
    ASSERT_TRUE(writeFile(target, "old"));
    const auto part = [&](const char* name, bool old) {
        const QString path = dir.filePath(QLatin1StringView(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("half a save");
        f.flush();
        if (old)
            f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
        return path;
    };
    part(".x.wav.0123abcd.part", true);
    part(".x.wav.89abcdef.part", false); // just written: perhaps still being written
    part(".y.wav.0123abcd.part", true);  // another file's
    part(".x.wav.notmine1.part", true);  // not a name a save makes
    // A writer that still lives holds its lock.
    const QString live = part(".x.wav.00000001.part", true);
    const int fd = ::open(QFile::encodeName(live).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    MMIOINFO info;
    HMMIO file = mmioOpenA(name(target), &info, MMIO_CREATE | MMIO_WRITE);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(mmioWrite(file, "new", 3), 3);
    ASSERT_EQ(mmioClose(file, 0), 0u);
    ::close(fd);
    EXPECT_EQ(readFile(target), QByteArray("new"));
    QStringList left = entries(dir);
    left.sort();
    EXPECT_EQ(left, (QStringList{QStringLiteral(".x.wav.00000001.part"), QStringLiteral(".x.wav.89abcdef.part"),
                                 QStringLiteral(".x.wav.notmine1.part"), QStringLiteral(".y.wav.0123abcd.part"),
                                 QStringLiteral("x.wav")}));
}
