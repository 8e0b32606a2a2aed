// ringfast dial when the exchange misbehaves, run in this process so the test can break
// the exchange while the call runs.

#include "RingfastInProcess.h"

#include <TapiApi.h>

namespace {

class RingfastDial : public RingfastInProcess {};

} // namespace

// A hang-up the exchange refuses is reported and tried again; when it fails again the
// command ends with a failure (closing the line ends the call) instead of staying on.
TEST_F(RingfastDial, AFailedHangupIsReportedAndEndsTheCommand)
{
    for (const int failures : {1, 2}) {
        SCOPED_TRACE(failures);
        m_out.clear();
        m_err.clear();
        // The fault is set as soon as the service runs, before the call connects.
        bool armed = false;
        repeat([&, failures] {
            if (!Telephony::serviceRunning())
                return false;
            armed = control("fail", {{"function", "lineDrop"}, {"code", "0x80000048"}, {"count", failures}})
                        .value("ok")
                        .toBool();
            return true;
        });
        const int code = run({"dial", "5550100", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "0.2"},
                             [] {});
        ASSERT_TRUE(armed);
        EXPECT_TRUE(m_err.contains(QStringLiteral("failed: LINEERR_OPERATIONFAILED; trying again"))) << m_err.toStdString();
        if (failures == 1) {
            // The second attempt ends the call as usual.
            EXPECT_EQ(code, 0) << m_err.toStdString();
            EXPECT_TRUE(m_out.endsWith(QStringLiteral("nvLine1.OnCallEnd\n"))) << m_out.toStdString();
        } else {
            EXPECT_EQ(code, RingfastCommand::Failed);
            EXPECT_TRUE(m_err.contains(QStringLiteral("failed again: LINEERR_OPERATIONFAILED; the line is closed to end it")))
                << m_err.toStdString();
        }
        waitForServiceStop();
    }
}

// A hang-up whose reply never comes fails the command, whether the reply time-out ends
// the wait or a signal does; the signal does not wait for the time-out.
TEST_F(RingfastDial, AWithheldHangupReplyFails)
{
    struct Case {
        bool signal;
        const char* replyTimeout;
        const char* reason;
    };
    const Case cases[] = {
        {false, "500", "got no reply within 500 ms; the line is closed to end it"},
        {true, "60000", "was interrupted before its reply came"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        m_out.clear();
        m_err.clear();
        bool armed = false;
        repeat([&] {
            if (!armed && Telephony::serviceRunning())
                armed = control("withhold", {{"function", "lineDrop"}}).value("ok").toBool();
            if (!armed || !m_out.contains(QStringLiteral("nvLine.Hangup")))
                return false;
            if (c.signal)
                RingfastCommand::interrupt();
            return true;
        });
        const int code = run({"dial", "5550100", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "0.3",
                              "--reply-timeout", c.replyTimeout},
                             [] {});
        EXPECT_EQ(code, RingfastCommand::Failed) << m_err.toStdString();
        EXPECT_TRUE(m_err.contains(QLatin1String(c.reason))) << m_err.toStdString();
        waitForServiceStop();
    }
}

// A line that is not registered with its server (a SIP line whose registrar refused it or
// did not answer) makes dial fail with the reason in words, not only the code.
TEST_F(RingfastDial, ALineNotRegisteredIsSaidInWords)
{
    // The fault must be there before ringfast dials: the service runs already, held by
    // an application of the test's own.
    HLINEAPP app = 0;
    bool armed = false;
    before = [&] {
        Telephony::ServiceOptions options;
        options.configPath = m_configDir.filePath(QStringLiteral("telephony.conf"));
        options.controlServer = false;
        Telephony::setServiceOptions(options);
        DWORD devices = 0;
        const auto ignore = [](DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {};
        if (lineInitialize(&app, nullptr, ignore, "holder", &devices) == 0)
            armed = control("fail", {{"function", "lineMakeCall"}, {"code", "0x80000047"}}).value("ok").toBool();
    };
    const int code = run({"dial", "5550100", "--idle-delay", "0"}, [] {});
    lineShutdown(app);
    ASSERT_TRUE(armed);
    EXPECT_EQ(code, RingfastCommand::Failed);
    EXPECT_TRUE(m_err.contains(
        QStringLiteral("dialing failed: the line is not registered with its server yet (LINEERR_NOTREGISTERED)")))
        << m_err.toStdString();
}
