// linkora-wave as scripts use it: what it prints and how it exits.

#include "WaveTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun tool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(LINKORA_WAVE_TOOL), args);
    ToolRun run;
    if (process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(WaveTool, CommandsWorkAndFailuresSayWhichFileAndExitNonZero)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.wav"));
    const QString b = dir.filePath(QStringLiteral("b.wav"));
    const QString c = dir.filePath(QStringLiteral("c.wav"));
    ASSERT_TRUE(writeFile(a, pcmFile(8000, ramp(8000))));
    ASSERT_TRUE(writeFile(b, pcmFile(8000, ramp(8000))));
    ASSERT_TRUE(writeFile(c, pcmFile(11025, ramp(10))));
    const QString joined = dir.filePath(QStringLiteral("j.wav"));

    ToolRun run = tool({QStringLiteral("join"), joined, a + QLatin1Char(',') + b});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = tool({QStringLiteral("tag"), joined, QStringLiteral("--author"), QStringLiteral("Zoë"),
                QStringLiteral("--date"), QStringLiteral("2001-09-08")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = tool({QStringLiteral("info"), joined});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("Seconds: 2.0\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Author: Zoë\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("CreationDate: 2001-09-08\n")));

    run = tool({QStringLiteral("cut"), dir.filePath(QStringLiteral("cut.wav")), joined, QStringLiteral("--before"),
                QStringLiteral("1.5"), QStringLiteral("--trace")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Source.Buffer.DeleteBefore (1.5)")));
    EXPECT_TRUE(tool({QStringLiteral("info"), dir.filePath(QStringLiteral("cut.wav"))})
                    .out.contains(QStringLiteral("Bytes: 8,000\n")));

    run = tool({QStringLiteral("join"), joined, a + QLatin1Char(',') + c});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(c + QStringLiteral(": WAV_ERROR_FORMATMISMATCH (-13)"))) << run.err.toStdString();
    run = tool({QStringLiteral("cut"), joined, a, QStringLiteral("--after"), QStringLiteral("9")});
    EXPECT_EQ(run.exitCode, 1);
    run = tool({QStringLiteral("info"), dir.filePath(QStringLiteral("none.wav"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("MMIOERR_FILENOTFOUND")));
    // A format with bytes of its own would be cut short by a rewrite: refused, untouched.
    const QString adpcm = dir.filePath(QStringLiteral("adpcm.wav"));
    const QByteArray adpcmBytes = riff(chunk("fmt ", fmtBody(17, 1, 8000, 4, 2)) + chunk("data", ramp(10)));
    ASSERT_TRUE(writeFile(adpcm, adpcmBytes));
    run = tool({QStringLiteral("tag"), adpcm, QStringLiteral("--name"), QStringLiteral("x")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("not rewritten"))) << run.err.toStdString();
    EXPECT_EQ(readFile(adpcm), adpcmBytes);
    EXPECT_EQ(tool({QStringLiteral("info"), adpcm}).exitCode, 0);

    // A text the file cannot give back is refused before anything is written.
    const QByteArray before = readFile(joined);
    run = tool({QStringLiteral("tag"), joined, QStringLiteral("--name"), QString(300, QLatin1Char('n'))});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--name is 300 bytes long"))) << run.err.toStdString();
    EXPECT_EQ(readFile(joined), before);
    // A read-only file is not replaced behind its owner's back, not even by root.
    ASSERT_TRUE(QFile::setPermissions(joined, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    run = tool({QStringLiteral("tag"), joined, QStringLiteral("--name"), QStringLiteral("x")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("MMIOERR_ACCESSDENIED"))) << run.err.toStdString();
    EXPECT_EQ(readFile(joined), before);

    EXPECT_EQ(tool({QStringLiteral("cut"), joined, a}).exitCode, 2);
    EXPECT_EQ(tool({QStringLiteral("tag"), joined, QStringLiteral("--date"), QStringLiteral("08.09.2001")}).exitCode, 2);
    EXPECT_EQ(tool({QStringLiteral("frobnicate")}).exitCode, 2);
}

TEST(WaveTool, InfoShowsControlCharactersOfTextsAsEscapes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.wav"));
    ASSERT_TRUE(writeFile(path, pcmFile(8000, ramp(4), info({{"ICMT", "a\x1b[2J\x07\rb"}, {"INAM", "x\x85y\tz"}}))));
    const ToolRun run = tool({QStringLiteral("info"), path});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("Comments: a\\x1b[2J\\x07\\x0db\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Name: x\\u0085y\tz\n"))) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0b-\\x1f\\x7f-\\x9f]"))));
}

TEST(WaveTool, DeviceCommandsListPlayAndRecord)
{
    QTemporaryDir dir;
    ToolRun run = tool({QStringLiteral("devices")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("Linkora Loopback"))) << run.out.toStdString();

    const QString sound = dir.filePath(QStringLiteral("s.wav"));
    ASSERT_TRUE(writeFile(sound, pcmFile(8000, ramp(800))));
    run = tool({QStringLiteral("play"), sound, QStringLiteral("--device"), QStringLiteral("loopback"),
                QStringLiteral("--volume"), QStringLiteral("50"), QStringLiteral("--trace")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("\nOnDone\n"))) << run.err.toStdString();

    const QString recorded = dir.filePath(QStringLiteral("r"));
    run = tool({QStringLiteral("record"), recorded, QStringLiteral("--seconds"), QStringLiteral("0.1"),
                QStringLiteral("--device"), QStringLiteral("Linkora Loopback"), QStringLiteral("--format"),
                QStringLiteral("wfPCM11025M08")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray saved = readFile(recorded + QStringLiteral(".wav"));
    ASSERT_GT(saved.size(), 46);
    EXPECT_EQ(u32At(saved, 24), 11025u);
    // Appending: the file grows by the second recording and keeps its format.
    run = tool({QStringLiteral("record"), recorded + QStringLiteral(".wav"), QStringLiteral("--seconds"),
                QStringLiteral("0.1"), QStringLiteral("--device"), QStringLiteral("loopback"),
                QStringLiteral("--append-buffer")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray appended = readFile(recorded + QStringLiteral(".wav"));
    EXPECT_EQ(u32At(appended, 24), 11025u);
    EXPECT_GT(u32At(appended, 42), u32At(saved, 42));

    EXPECT_EQ(tool({QStringLiteral("play"), sound, QStringLiteral("--device"), QStringLiteral("no such")}).exitCode, 2);
    EXPECT_EQ(tool({QStringLiteral("play"), dir.filePath(QStringLiteral("none.wav"))}).exitCode, 1);
    EXPECT_EQ(tool({QStringLiteral("play"), sound, QStringLiteral("--volume"), QStringLiteral("101")}).exitCode, 2);
    EXPECT_EQ(tool({QStringLiteral("record"), recorded}).exitCode, 2);
    EXPECT_EQ(tool({QStringLiteral("record"), recorded, QStringLiteral("--seconds"), QStringLiteral("1"),
                    QStringLiteral("--format"), QStringLiteral("wfNothing")})
                  .exitCode,
              2);
}

TEST(WaveTool, ARecordingWhoseFolderWentAwayIsSavedForRecovery)
{
    QTemporaryDir dir;
    QTemporaryDir state;
    const QString folder = dir.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LINKORA_WAVE_TOOL),
                  {QStringLiteral("record"), folder + QStringLiteral("/take.wav"), QStringLiteral("--seconds"),
                   QStringLiteral("600"), QStringLiteral("--device"), QStringLiteral("loopback")});
    // Once it records, the folder goes, and Ctrl+C's sibling ends the recording.
    QByteArray out;
    while (!out.contains("Recording") && process.waitForReadyRead(20000))
        out += process.readAllStandardOutput();
    ASSERT_TRUE(out.contains("Recording")) << out.toStdString();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 1);

    const QString err = QString::fromUtf8(process.readAllStandardError());
    const QString prefix = state.path() + QStringLiteral("/linkora/recordings/take-");
    const qsizetype at = err.indexOf(QStringLiteral("saved in ") + prefix);
    ASSERT_GE(at, 0) << err.toStdString();
    const QString saved = err.mid(at + 9).section(QLatin1Char('\n'), 0, 0);
    const QByteArray bytes = readFile(saved);
    ASSERT_GT(bytes.size(), 46);
    EXPECT_EQ(bytes.left(4), QByteArray("RIFF"));
}
