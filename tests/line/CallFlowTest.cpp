// Whole calls through the line control on the simulated exchange, traced line by line.

#include "LineHarness.h"
#include <TnvLinePrivate.h>

#include "EventLoop.h"

#include <TapiConstants.h>
#include <TnvCall.h>
#include <TnvLineDevice.h>
#include <TnvNotation.h>
#include <ServiceControl.h>
#include <TapiApi.h>
#include <TnvCallerID.h>

#include <QCoreApplication>
#include <QJsonObject>

#include <QRegularExpression>

namespace {

class CallFlow : public LineHarness {};

} // namespace

TEST_F(CallFlow, OutgoingCallFromDialToCallEnd)
{
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    ASSERT_TRUE(line->Device()->Active());
    QStringList events;
    const auto note = [&](const char* name) {
        return [&events, name](TnvSharedControl*, int) { events << QString::fromLatin1(name); };
    };
    HCALL handle = 0;
    line->OnCallBegin = [&](TnvSharedControl*, int call) {
        events << QStringLiteral("OnCallBegin");
        handle = HCALL(call);
    };
    line->OnDialtone = note("OnDialtone");
    line->OnDialing = note("OnDialing");
    line->OnProceeding = note("OnProceeding");
    line->OnRingBack = note("OnRingBack");
    line->OnConnected = note("OnConnected");
    line->OnDisconnected = note("OnDisconnected");
    line->OnIdle = note("OnIdle");
    line->OnCallEnd = note("OnCallEnd");
    takeTrace();

    line->Call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(line->Call()->Dial());
    ASSERT_TRUE(waitUntil([&] { return events.contains(QStringLiteral("OnConnected")); }));
    ASSERT_TRUE(line->Call()->Hangup());
    ASSERT_TRUE(waitUntil([&] { return events.contains(QStringLiteral("OnCallEnd")); }));

    // Dial tone comes right behind the reply, yet the call is announced first.
    EXPECT_EQ(events, QStringList({"OnCallBegin", "OnDialtone", "OnDialing", "OnProceeding", "OnRingBack",
                                   "OnConnected", "OnIdle", "OnCallEnd"}));
    EXPECT_EQ(line->Call()->Count(), 0);
    EXPECT_EQ(line->Call()->Handle(), 0u);
    // Handles and clock times differ from run to run; the expected file names them.
    QStringList trace = takeTrace();
    trace.replaceInStrings(TnvNotation::hex8(handle), QStringLiteral("<call>"));
    trace.replaceInStrings(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d$")), QStringLiteral("<time>"));
    expectTrace(QStringLiteral("outgoing-call"), trace);
}

TEST_F(CallFlow, BusyNumberReportsBusy)
{
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    QStringList events;
    line->OnBusy = [&](TnvSharedControl*, int) { events << QStringLiteral("OnBusy"); };
    line->Call()->setPhoneNumber(QStringLiteral("5550101"));
    ASSERT_TRUE(line->Call()->Dial());
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(line->Call()->State(), LINECALLSTATE_BUSY) << line->Log()->Lines().join('\n').toStdString();
    EXPECT_EQ(line->Call()->BusyMode(), LINEBUSYMODE_STATION);
    ASSERT_TRUE(line->Call()->Hangup());
}

TEST_F(CallFlow, IncomingCallAnnouncesTheCallerUnlessFiltered)
{
    struct Case {
        const char* flags;
        bool announced;
    };
    for (const Case& c : {Case{"", true}, Case{"unavail", false}}) {
        SCOPED_TRACE(c.flags);
        TnvLinePrivate::setRememberedActiveRequest(false);
        std::unique_ptr<TnvLine> line = loadDialerLine();
        line->Device()->setActive(true);
        QStringList events;
        line->OnOffering = [&](TnvSharedControl*, int) { events << QStringLiteral("OnOffering"); };
        line->OnCallerID = [&](TnvSharedControl*, int) { events << QStringLiteral("OnCallerID"); };
        QJsonObject ring{{"line", "1"}, {"name", "SMITH JOHN"}, {"number", "4255550100"}};
        if (*c.flags)
            ring.insert("flags", c.flags);
        ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("ring"), ring).value("ok").toBool());
        ASSERT_TRUE(waitUntil([&] { return events.contains(QStringLiteral("OnOffering")); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(events.contains(QStringLiteral("OnCallerID")), c.announced);
        if (c.announced) {
            EXPECT_EQ(line->Call()->CallerID()->Name(), QStringLiteral("Smith John"));
        }
        ASSERT_TRUE(line->Call()->Answer());
        ASSERT_TRUE(waitUntil([&] { return line->Call()->State() == LINECALLSTATE_CONNECTED; }));
        ASSERT_TRUE(line->Call()->Hangup());
    }
}

TEST_F(CallFlow, LineCloseEndsEveryCallAndFiresNothingElse)
{
    const HLINEAPP other = holdCallsElsewhere(3);
    ASSERT_NE(other, 0u);

    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    ASSERT_EQ(line->Call()->Count(), 3);
    QStringList events;
    line->OnCallEnd = [&](TnvSharedControl*, int) { events << QStringLiteral("OnCallEnd"); };
    line->OnError = [&](TnvSharedControl*) { events << QStringLiteral("OnError"); };
    line->OnIdle = [&](TnvSharedControl*, int) { events << QStringLiteral("OnIdle"); };
    takeTrace();
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("close"), {{"line", "1"}}).value("ok").toBool());
    ASSERT_TRUE(waitUntil([&] { return !line->Device()->Active(); }));
    EXPECT_EQ(events, QStringList({"OnCallEnd", "OnCallEnd", "OnCallEnd"}));
    EXPECT_EQ(takeTrace().first(), QStringLiteral("TAPI LINE_CLOSE message received"));
    lineShutdown(other);
}

TEST_F(CallFlow, IdleDelayFiresOnIdleLaterWithTheThenCurrentCall)
{
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setIdleDelay(50);
    line->Device()->setActive(true);
    QList<int> idle;
    bool ended = false;
    line->OnIdle = [&](TnvSharedControl*, int handle) { idle << handle; };
    line->OnCallEnd = [&](TnvSharedControl*, int) { ended = true; };
    line->Call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(line->Call()->Dial());
    ASSERT_TRUE(waitUntil([&] { return line->Call()->State() == LINECALLSTATE_CONNECTED; }));
    takeTrace();
    ASSERT_TRUE(line->Call()->Hangup());
    ASSERT_TRUE(ended);
    EXPECT_TRUE(idle.isEmpty()); // OnCallEnd came first; OnIdle waits for the delay
    ASSERT_TRUE(waitUntil([&] { return !idle.isEmpty(); }));
    EXPECT_EQ(idle, QList<int>({0}));
    const QStringList trace = takeTrace();
    EXPECT_TRUE(trace.contains(QStringLiteral("\tDelaying")));
    EXPECT_TRUE(trace.contains(QStringLiteral("\t\tnvLine.Device.IdleDelay = 50 //milliseconds")));
    EXPECT_EQ(trace.constLast(), QStringLiteral("\tnvLine.Device.IdleDelay - Complete "));
}
