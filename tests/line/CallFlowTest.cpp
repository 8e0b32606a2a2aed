// Whole calls through the line control on the simulated exchange, traced line by line.

#include "LineHarness.h"

#include "EventLoop.h"

#include <TapiConstants.h>
#include <TnvCall.h>
#include <TnvLineDevice.h>
#include <TnvNotation.h>

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

    // Dial tone comes with the reply, so it is handled while Dial still waits.
    EXPECT_EQ(events, QStringList({"OnDialtone", "OnCallBegin", "OnDialing", "OnProceeding", "OnRingBack",
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
