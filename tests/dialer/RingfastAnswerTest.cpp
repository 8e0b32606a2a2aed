// ringfast answer, run in this process so the test can ring the exchange it answers on.

#include "RingfastInProcess.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

class RingfastAnswer : public RingfastInProcess {};

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

// A long run keeps no record of the calls that are over.
TEST_F(RingfastAnswer, EndedCallsAreForgotten)
{
    int rung = 0;
    std::size_t kept = 0;
    repeat([&] {
        if (!Telephony::serviceRunning() || m_out.count(QStringLiteral("nvLine1.OnCallEnd")) != rung)
            return false;
        if (m_command)
            kept = std::max(kept, m_command->liveCalls());
        if (ring(1, "SMITH JOHN"))
            ++rung;
        return rung == 3;
    });
    const int code = run({"answer", "--count", "3", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "0"},
                         [] {});
    EXPECT_EQ(code, 0) << m_err.toStdString() << m_out.toStdString();
    EXPECT_EQ(rung, 3);
    EXPECT_EQ(kept, 0u);
}

// Each hang-up has its own time to end the call: a slow hang-up of the second call is
// not judged by a guard the first call's hang-up started.
TEST_F(RingfastAnswer, EachCallEndsWithinItsOwnReplyTimeout)
{
    int rung = 0;
    repeat([&] {
        if (!Telephony::serviceRunning() || m_out.count(QStringLiteral("nvLine1.OnCallEnd")) != rung)
            return false;
        // The second drop's reply comes after the first drop's guard would have run out.
        if (rung == 1 && !control("delay", {{"function", "lineDrop"}, {"ms", 2000}}).value("ok").toBool())
            return true;
        if (ring(1, "SMITH JOHN"))
            ++rung;
        return rung == 2;
    });
    const int code = run({"answer", "--count", "2", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "1.5",
                          "--reply-timeout", "3000"},
                         [] {});
    EXPECT_EQ(code, 0) << m_err.toStdString() << m_out.toStdString();
    EXPECT_EQ(rung, 2);
    EXPECT_EQ(outLines().count(QStringLiteral("nvLine1.OnCallEnd")), 2);
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

// A second caller while the first is connected: with --count 2 both are answered, each
// announced with its own name, and both end when their callers hang up.
TEST_F(RingfastAnswer, OverlappingCallsAreEachAnswered)
{
    qint64 first = 0;
    qint64 second = 0;
    repeat([&] {
        if (!Telephony::serviceRunning())
            return false;
        if (!first)
            first = control("ring", {{"line", 1}, {"name", "SMITH JOHN"}, {"number", "4255550100"}}).value("call").toInteger();
        else if (!second && m_out.count(QStringLiteral("nvLine1.OnConnected\n")) == 1)
            second = control("ring", {{"line", 1}, {"name", "DOE JANE"}, {"number", "4255550199"}}).value("call").toInteger();
        else if (second && m_out.count(QStringLiteral("nvLine1.OnConnected\n")) == 2) {
            control("hangup", {{"call", first}});
            control("hangup", {{"call", second}});
            return true;
        }
        return false;
    });
    const int code = run({"answer", "--count", "2", "--sim-speed", "0", "--idle-delay", "0"}, [] {});
    EXPECT_EQ(code, 0) << m_err.toStdString() << m_out.toStdString();
    const QStringList lines = outLines();
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnConnected")), 2);
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnCallEnd")), 2);
    EXPECT_EQ(lines.count(QStringLiteral("\tCallerID.Name = Smith John")), 1) << m_out.toStdString();
    EXPECT_EQ(lines.count(QStringLiteral("\tCallerID.Name = Doe Jane")), 1) << m_out.toStdString();
    // Each announcement follows its own call's offering.
    const qsizetype secondOffer = lines.lastIndexOf(QStringLiteral("nvLine1.OnOffering"));
    EXPECT_EQ(lines.indexOf(QStringLiteral("\tCallerID.Number = 425-555-0199")), lines.indexOf(QStringLiteral("\tCallerID.Name = Doe Jane")) + 1);
    EXPECT_GT(lines.indexOf(QStringLiteral("\tCallerID.Name = Doe Jane")), secondOffer);
}

// With --count 1 the call in progress keeps the line: a second caller is turned away as
// busy, and the first call goes on until its caller hangs up.
TEST_F(RingfastAnswer, ACallBeyondTheCountIsTurnedAwayBusy)
{
    qint64 first = 0;
    qint64 second = 0;
    repeat([&] {
        if (!Telephony::serviceRunning())
            return false;
        if (!first)
            first = control("ring", {{"line", 1}, {"name", "SMITH JOHN"}, {"number", "4255550100"}}).value("call").toInteger();
        else if (!second && m_out.contains(QStringLiteral("nvLine1.OnConnected\n")))
            second = control("ring", {{"line", 1}, {"name", "DOE JANE"}, {"number", "4255550199"}}).value("call").toInteger();
        else if (second && m_out.count(QStringLiteral("nvLine1.OnCallEnd\n")) == 1) {
            control("hangup", {{"call", first}});
            return true;
        }
        return false;
    });
    const int code = run({"answer", "--sim-speed", "0", "--idle-delay", "0"}, [] {});
    EXPECT_EQ(code, 0) << m_err.toStdString() << m_out.toStdString();
    EXPECT_TRUE(m_err.contains(QStringLiteral("rejected as busy"))) << m_err.toStdString();
    const QStringList lines = outLines();
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnConnected")), 1);
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnCallEnd")), 2);
    EXPECT_EQ(lines.count(QStringLiteral("\tCallerID.Name = Doe Jane")), 1) << m_out.toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("nvLine1.OnCallEnd"));
}

TEST_F(RingfastAnswer, AClosedLineEndsTheCommand)
{
    repeat([&] { return Telephony::serviceRunning() && control("close", {{"line", 1}}).value("ok").toBool(); });
    const int code = run({"answer", "--sim-speed", "0"}, [] {});
    EXPECT_EQ(code, RingfastCommand::Failed);
    EXPECT_TRUE(m_err.contains(QStringLiteral("ringfast: the telephony service closed the line (Linkora Simulated Line 1)")))
        << m_err.toStdString();
}

// Ctrl-C while ringfast still starts up is not lost.
TEST_F(RingfastAnswer, AnInterruptWhileStartingIsSeen)
{
    QElapsedTimer clock;
    clock.start();
    before = [] { RingfastCommand::interrupt(); };
    const int code = run({"answer", "--sim-speed", "0"}, [] {});
    EXPECT_EQ(code, RingfastCommand::Failed);
    EXPECT_TRUE(m_err.contains(QStringLiteral("ringfast: interrupted"))) << m_err.toStdString();
    EXPECT_LT(clock.elapsed(), 30000);
}

// The second call ends within the idle delay of the first, so one OnIdle covers both;
// the command still ends once both calls have.
TEST_F(RingfastAnswer, CallsSharingOneIdleDelayEndTheCommand)
{
    int rung = 0;
    repeat([&] {
        if (!Telephony::serviceRunning())
            return false;
        const bool next = rung == 0 || (rung == 1 && m_out.count(QStringLiteral("nvLine1.OnCallEnd\n")) == 1);
        if (next && ring(1, "SMITH JOHN"))
            ++rung;
        return rung == 2;
    });
    const int code = run({"answer", "--count", "2", "--sim-speed", "0", "--idle-delay", "800", "--hangup-after", "0"},
                         [] {}, 10000);
    EXPECT_EQ(code, 0) << m_err.toStdString() << m_out.toStdString();
    const QStringList lines = outLines();
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnCallEnd")), 2);
    EXPECT_EQ(lines.count(QStringLiteral("nvLine1.OnIdle")), 1) << m_out.toStdString();
    // The shared OnIdle, after both calls, is what ended it.
    EXPECT_EQ(lines.last(), QStringLiteral("nvLine1.OnIdle"));
}

TEST_F(RingfastAnswer, ALineOutOfServiceEndsTheCommand)
{
    repeat([&] {
        return m_err.contains(QStringLiteral("waiting for calls"))
            && control("linestate", {{"line", 1}, {"state", "outofservice"}}).value("ok").toBool();
    });
    const int code = run({"answer", "--sim-speed", "0"}, [] {}, 5000);
    EXPECT_EQ(code, RingfastCommand::Failed);
    EXPECT_TRUE(m_err.contains(QStringLiteral("ringfast: the line is out of service (Linkora Simulated Line 1)")))
        << m_err.toStdString();
}
