// ringfast answer, run in this process so the test can ring the exchange it answers on.

#include "EventLoop.h"

#include <RingfastCommand.h>
#include <TnvLinePrivate.h>

#include <ServiceControl.h>

#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class RingfastAnswer : public ::testing::Test {
protected:
    void SetUp() override { TnvLinePrivate::setRememberedActiveRequest(false); }
    void TearDown() override
    {
        waitUntil([] { return !Telephony::serviceRunning(); }, 2000);
    }

    int run(const QStringList& arguments, const std::function<void()>& whileRunning)
    {
        QString error;
        const auto options = RingfastOptions::parse(QStringList{QStringLiteral("ringfast")} + arguments, &error);
        EXPECT_TRUE(options.has_value()) << error.toStdString();
        QTextStream out(&m_out);
        QTextStream err(&m_err);
        RingfastCommand command(*options, out, err);
        Telephony::ServiceOptions service;
        service.configPath = m_configDir.filePath(QStringLiteral("telephony.conf"));
        service.controlServer = false;
        QTimer::singleShot(0, whileRunning);
        return command.run(service);
    }
    static bool ring(int line, const char* name)
    {
        return Telephony::serviceControl(QStringLiteral("ring"),
                                         {{"line", line}, {"name", name}, {"number", "4255550100"}})
            .value("ok")
            .toBool();
    }

    QTemporaryDir m_configDir;
    QString m_out;
    QString m_err;
};

} // namespace

TEST_F(RingfastAnswer, AnswersTheGivenNumberOfCallsAndEnds)
{
    int rung = 0;
    std::function<void()> ringAgain;
    ringAgain = [&] {
        // The next caller once the previous call has ended.
        const bool ready = Telephony::serviceRunning() && m_out.count(QStringLiteral("nvLine1.OnCallEnd")) == rung;
        if (ready && ring(1, "SMITH JOHN"))
            ++rung;
        if (rung < 2)
            QTimer::singleShot(10, ringAgain);
    };
    const int code = run({"answer", "--count", "2", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "0"},
                         ringAgain);
    EXPECT_EQ(code, 0) << m_err.toStdString() << m_out.toStdString();
    EXPECT_EQ(rung, 2);
    const QStringList lines = m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnOffering")), 2);
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnConnected")), 2);
    // The same caller twice: each call announces its caller afresh.
    EXPECT_EQ(lines.count(QStringLiteral("\tCallerID.Name = Smith John")), 2) << m_out.toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("nvLine1.OnCallEnd")) << m_out.toStdString();
    EXPECT_TRUE(m_err.contains(QStringLiteral("waiting for calls on Linkora Simulated Line 1")));
}

TEST_F(RingfastAnswer, CallerHangingUpEndsTheCall)
{
    bool rung = false;
    std::function<void()> step;
    step = [&] {
        if (!rung) {
            rung = Telephony::serviceRunning() && ring(1, "SMITH JOHN");
        } else if (m_out.contains(QStringLiteral("nvLine1.OnConnected"))) {
            Telephony::serviceControl(QStringLiteral("hangup"), {{"line", 1}});
            return;
        }
        QTimer::singleShot(10, step);
    };
    const int code = run({"answer", "--sim-speed", "0", "--idle-delay", "0"}, step);
    EXPECT_EQ(code, 0) << m_err.toStdString();
    EXPECT_TRUE(m_out.contains(QStringLiteral("nvLine1.OnDisconnected\n\tCall.DisconnectMode = ")));
    EXPECT_TRUE(m_out.endsWith(QStringLiteral("nvLine.Hangup\nnvLine1.OnIdle\nnvLine1.OnCallEnd\n")));
}

TEST_F(RingfastAnswer, InterruptedWhileWaitingFails)
{
    const int code = run({"answer", "--sim-speed", "0"}, [] { QTimer::singleShot(50, [] { RingfastCommand::interrupt(); }); });
    EXPECT_EQ(code, RingfastCommand::Failed);
    EXPECT_TRUE(m_err.contains(QStringLiteral("0 of 1 calls connected")) || m_err.contains(QStringLiteral("interrupted")))
        << m_err.toStdString();
}
