// linkora-wave with --vantage: the control's window opens beside the command and the
// program runs until the window goes (Ctrl+C or SIGTERM closes it).

#include "WaveTestSupport.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(WaveToolVantage, PlayStaysWithItsWindowUntilAskedToStop)
{
    QTemporaryDir dir;
    const QString sound = dir.filePath(QStringLiteral("a.wav"));
    ASSERT_TRUE(wavetest::writeFile(sound, wavetest::pcmFile(8000, wavetest::ramp(800))));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(LINKORA_WAVE_TOOL),
                  {QStringLiteral("play"), sound, QStringLiteral("--device"), QStringLiteral("Linkora Loopback"),
                   QStringLiteral("--vantage"), QStringLiteral("--trace")});
    ASSERT_TRUE(process.waitForStarted(5000));
    QByteArray err;
    QDeadlineTimer deadline(10000);
    while (!err.contains("OnDone") && !deadline.hasExpired() && process.state() == QProcess::Running) {
        process.waitForReadyRead(100);
        err += process.readAllStandardError();
    }
    EXPECT_TRUE(err.contains("OnDone")) << err.toStdString();
    // The sound ended; the window keeps the program.
    EXPECT_FALSE(process.waitForFinished(300));
    EXPECT_EQ(process.state(), QProcess::Running);
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

} // namespace
