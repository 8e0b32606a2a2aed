// linkora-attendant as a person runs it: the exchange in its own process, driven through
// the control channel as linkora-sim drives it, and ended by its count or a signal.

#include "../wave/WaveControlSupport.h"

#include <ControlClient.h>
#include <ControlProtocol.h>

#include <QDeadlineTimer>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

class AttendantProgram : public ::testing::Test {
protected:
    void start(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Its own configuration (no SIP accounts of the machine's), state and channel.
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
            env.insert(QLatin1String(name), m_home.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(LINKORA_ATTENDANT), arguments);
    }

    // Reads the program's output until it holds text; false when it ended or took too long.
    static bool readUntil(QProcess& process, QString* out, const QString& text, int timeoutMs = 20000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!out->contains(text)) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
            *out += QString::fromUtf8(process.readAllStandardOutput());
        }
        return true;
    }

    QJsonObject sim(const QString& command, const QJsonObject& args)
    {
        Telephony::ControlClient client(m_home.path() + QLatin1Char('/') + Telephony::ControlProtocol::defaultName());
        return client.request(command, args);
    }

    QTemporaryDir m_home;
};

} // namespace

TEST_F(AttendantProgram, TakesItsCountOfCallsAndEndsOnASignal)
{
    ASSERT_TRUE(writeFile(m_home.filePath(QStringLiteral("words.wav")), pcmFile(8000, tone(1600))));
    const QString messages = m_home.filePath(QStringLiteral("messages"));
    QProcess counted;
    start(counted, {"--lines", "1", "--messages", messages, "--count", "1", "--sim-speed", "0"});
    QString out;
    ASSERT_TRUE(readUntil(counted, &out, QStringLiteral("messages go to"))) << out.toStdString();
    const QJsonObject rung = sim(QStringLiteral("ring"), {{"line", 1}, {"number", "5550100"}});
    ASSERT_TRUE(rung.value("ok").toBool()) << rung.value("error").toString().toStdString();
    const QJsonObject said = sim(QStringLiteral("say"), {{"call", rung.value("call")},
                                                         {"file", m_home.filePath(QStringLiteral("words.wav"))},
                                                         {"then", "hangup"}});
    ASSERT_TRUE(said.value("ok").toBool()) << said.value("error").toString().toStdString();
    ASSERT_TRUE(counted.waitForFinished(20000)) << out.toStdString();
    EXPECT_EQ(counted.exitCode(), 0) << counted.readAllStandardError().toStdString();
    const QByteArray calls = readFile(messages + QStringLiteral("/calls.jsonl"));
    EXPECT_EQ(calls.count('\n'), 1);
    EXPECT_TRUE(calls.contains("\"result\":\"recorded\"")) << calls.toStdString();

    QProcess signalled;
    start(signalled, {"--lines", "1,2", "--messages", messages, "--sim-speed", "0"});
    out.clear();
    ASSERT_TRUE(readUntil(signalled, &out, QStringLiteral("messages go to"))) << out.toStdString();
    signalled.terminate();
    ASSERT_TRUE(signalled.waitForFinished(10000));
    EXPECT_EQ(signalled.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(signalled.exitCode(), 0);
    out += QString::fromUtf8(signalled.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("taking no more calls"))) << out.toStdString();

    QProcess refused;
    start(refused, {"--lines", "9", "--messages", messages, "--sim-speed", "0"});
    ASSERT_TRUE(refused.waitForFinished(10000));
    EXPECT_EQ(refused.exitCode(), 1);
    EXPECT_TRUE(refused.readAllStandardError().contains("there is no line 9"));
}
