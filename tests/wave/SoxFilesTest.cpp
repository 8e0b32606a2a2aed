// Files from an outside writer read correctly, and files we write read in the outside
// program. Skipped where sox is not installed.

#include "WaveTestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

QString sox()
{
    return QStandardPaths::findExecutable(QStringLiteral("sox"));
}

QString run(const QStringList& args)
{
    QProcess process;
    process.start(sox(), args);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace

TEST(SoxFiles, FilesSoxWritesLoadWithTheirFormatAndSamples)
{
    if (sox().isEmpty())
        GTEST_SKIP() << "sox is not installed";
    QTemporaryDir dir;
    const struct {
        const char* name;
        QStringList options;
        TWaveFormatID id;
        quint32 bytes;
    } rows[] = {
        {"m16.wav", {"-r", "8000", "-b", "16", "-c", "1"}, wfPCM08000M16, 8000 * 2},
        {"s16.wav", {"-r", "44100", "-b", "16", "-c", "2"}, wfPCM44100S16, 44100 * 4},
        {"m8.wav", {"-r", "11025", "-b", "8", "-c", "1"}, wfPCM11025M08, 11025},
        {"ulaw.wav", {"-r", "8000", "-e", "u-law", "-c", "1"}, wfuLaw08000M08, 8000},
    };
    for (const auto& row : rows) {
        const QString path = dir.filePath(QLatin1StringView(row.name));
        ASSERT_EQ(run(QStringList{QStringLiteral("-n")} + row.options
                      + QStringList{path, QStringLiteral("synth"), QStringLiteral("1"), QStringLiteral("sine"),
                                    QStringLiteral("440")}),
                  QString());
        TestWaveControl control;
        ASSERT_TRUE(control.buffer()->LoadFromFile(path)) << row.name << control.Error()->Text().toStdString();
        EXPECT_EQ(control.format()->ID(), row.id) << row.name;
        EXPECT_EQ(control.buffer()->DataSize(), row.bytes) << row.name;
        // The samples are the file's own: sox reads the same raw bytes back.
        const QString raw = dir.filePath(QStringLiteral("raw"));
        ASSERT_EQ(run({path, QStringLiteral("-t"), QStringLiteral("raw"), raw}), QString());
        EXPECT_EQ(samplesOf(control.buffer()), readFile(raw)) << row.name;
        control.buffer()->FreeBuffer();
    }
}

TEST(SoxFiles, FilesWeWriteReadInSox)
{
    if (sox().isEmpty())
        GTEST_SKIP() << "sox is not installed";
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.wav"));
    // Odd data and an INFO list: the list must not confuse another reader.
    ASSERT_TRUE(writeFile(in, riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)) + chunk("data", QByteArray(8001, 'x')))));
    TestWaveControl control;
    ASSERT_TRUE(control.buffer()->LoadFromFile(in));
    control.buffer()->setComments(QStringLiteral("written here"));
    const QString out = dir.filePath(QStringLiteral("out.wav"));
    ASSERT_TRUE(control.buffer()->SaveToFile(out));
    EXPECT_EQ(run({QStringLiteral("--i"), QStringLiteral("-s"), out}), QStringLiteral("8001"));
    control.buffer()->FreeBuffer();
}
