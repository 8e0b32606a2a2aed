// Whole traces of the call flows a user meets most: every line the control writes, from
// the first operation to the end of the call, compared with the files in traces/.

#include "LineHarness.h"
#include <TnvLinePrivate.h>

#include "EventLoop.h"

#include <ServiceControl.h>
#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvCall.h>
#include <TnvCallerID.h>
#include <TnvLineDevice.h>
#include <TnvTAPI.h>

#include <QCoreApplication>
#include <QJsonObject>

namespace {

class CallTrace : public LineHarness {
protected:
    // Notes the events of interest in the order they fire, and the calls as they begin.
    void watch(TnvLine* line)
    {
        const auto note = [this](const char* name) {
            return [this, name](TnvSharedControl*, int) { m_events << QString::fromLatin1(name); };
        };
        line->OnCallBegin = [this](TnvSharedControl*, int call) {
            m_events << QStringLiteral("OnCallBegin");
            m_calls << HCALL(call);
        };
        line->OnOffering = note("OnOffering");
        line->OnCallerID = note("OnCallerID");
        line->OnBusy = note("OnBusy");
        line->OnConnected = note("OnConnected");
        line->OnDisconnected = note("OnDisconnected");
        line->OnIdle = [this](TnvSharedControl*, int call) {
            m_events << QStringLiteral("OnIdle");
            m_idleHandles << HCALL(call);
        };
        line->OnCallEnd = note("OnCallEnd");
        line->OnError = [this](TnvSharedControl*) { m_events << QStringLiteral("OnError"); };
    }

    bool fired(const char* name) const { return m_events.contains(QLatin1String(name)); }

    QStringList m_events;
    QList<HCALL> m_calls;
    QList<HCALL> m_idleHandles;
};

TEST_F(CallTrace, OutgoingCallWithADelayedIdle)
{
    // OnCallEnd comes at once; OnIdle two seconds later, with the handle current then.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setIdleDelay(2000);
    line->Device()->setActive(true);
    watch(line.get());
    takeTrace();
    line->Call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(line->Call()->Dial());
    ASSERT_TRUE(waitUntil([&] { return fired("OnConnected"); }));
    ASSERT_TRUE(line->Call()->Hangup());
    ASSERT_TRUE(waitUntil([&] { return fired("OnIdle"); }, 4000));
    EXPECT_EQ(m_events, QStringList({"OnCallBegin", "OnConnected", "OnCallEnd", "OnIdle"}));
    EXPECT_EQ(m_idleHandles, QList<HCALL>({0}));
    expectTrace(QStringLiteral("outgoing-call-delayed-idle"), takeNormalizedTrace(m_calls));
}

TEST_F(CallTrace, IncomingCallWithCallerID)
{
    struct Case {
        const char* trace;
        const char* flags;
        bool eventFilter;
        bool announced;
    };
    const Case cases[] = {
        {"incoming-call", "", true, true},
        {"incoming-call-unavailable-filtered", "unavail", true, false},
        {"incoming-call-unavailable-unfiltered", "unavail", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        TnvLinePrivate::setRememberedActiveRequest(false);
        m_events.clear();
        m_calls.clear();
        std::unique_ptr<TnvLine> line = loadDialerLine();
        line->Call()->CallerID()->setEventFilter(c.eventFilter);
        line->Device()->setActive(true);
        watch(line.get());
        takeTrace();
        QJsonObject ring{{"line", "1"}, {"name", "SMITH JOHN"}, {"number", "4255550100"}};
        if (*c.flags)
            ring.insert("flags", c.flags);
        ASSERT_TRUE(control(QStringLiteral("ring"), ring));
        ASSERT_TRUE(waitUntil([&] { return fired("OnOffering"); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(fired("OnCallerID"), c.announced);
        ASSERT_TRUE(line->Call()->Answer());
        ASSERT_TRUE(waitUntil([&] { return fired("OnConnected"); }));
        ASSERT_TRUE(line->Call()->Hangup());
        ASSERT_TRUE(fired("OnCallEnd"));
        expectTrace(QString::fromLatin1(c.trace), takeNormalizedTrace(m_calls));
    }
}

TEST_F(CallTrace, SameCallerTwiceIsAnnouncedTwice)
{
    // The second call starts with no party IDs of its own, so its caller is news again.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    watch(line.get());
    for (int call = 1; call <= 2; ++call) {
        SCOPED_TRACE(call);
        ASSERT_TRUE(control(QStringLiteral("ring"), {{"line", "1"}, {"name", "SMITH JOHN"}, {"number", "4255550100"}}));
        ASSERT_TRUE(waitUntil([&] { return m_events.count(QStringLiteral("OnOffering")) == call; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(m_events.count(QStringLiteral("OnCallerID")), call);
        ASSERT_TRUE(line->Call()->Answer());
        ASSERT_TRUE(line->Call()->Hangup());
        ASSERT_TRUE(waitUntil([&] { return m_events.count(QStringLiteral("OnCallEnd")) == call; }));
    }
}

TEST_F(CallTrace, BusyNumbers)
{
    // A busy station is a call state of its own; a network that ends the call with mode
    // BUSY reports OnBusy before OnDisconnected.
    struct Case {
        const char* trace;
        const char* number;
        DWORD state;
        QStringList events;
    };
    const Case cases[] = {
        {"busy-station", "5550101", LINECALLSTATE_BUSY, {"OnCallBegin", "OnBusy", "OnIdle", "OnCallEnd"}},
        {"busy-disconnected", "5550111", LINECALLSTATE_DISCONNECTED,
         {"OnCallBegin", "OnBusy", "OnDisconnected", "OnIdle", "OnCallEnd"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        m_events.clear();
        m_calls.clear();
        std::unique_ptr<TnvLine> line = loadDialerLine();
        line->Device()->setActive(true);
        watch(line.get());
        takeTrace();
        line->Call()->setPhoneNumber(QString::fromLatin1(c.number));
        ASSERT_TRUE(line->Call()->Dial());
        ASSERT_TRUE(waitUntil([&] { return fired("OnBusy"); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(line->Call()->State(), c.state);
        ASSERT_TRUE(line->Call()->Hangup());
        EXPECT_EQ(m_events.join(' '), c.events.join(' '));
        expectTrace(QString::fromLatin1(c.trace), takeNormalizedTrace(m_calls));
    }
}

TEST_F(CallTrace, LineCloseWithThreeCalls)
{
    const HLINEAPP other = holdCallsElsewhere(3);
    ASSERT_NE(other, 0u);
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    ASSERT_EQ(line->Call()->Count(), 3);
    QList<HCALL> calls;
    for (const QString& text : line->Call()->List().mid(1))
        calls << text.toUInt(nullptr, 16);
    watch(line.get());
    takeTrace();
    ASSERT_TRUE(control(QStringLiteral("close"), {{"line", "1"}}));
    ASSERT_TRUE(waitUntil([&] { return !line->Device()->Active(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_events, QStringList({"OnCallEnd", "OnCallEnd", "OnCallEnd"}));
    EXPECT_FALSE(line->Device()->Active());
    expectTrace(QStringLiteral("line-close-three-calls"), takeNormalizedTrace(calls));
    lineShutdown(other);
}

TEST_F(CallTrace, HangupWhoseReplyFails)
{
    // The failed reply is reported when it arrives, and once more by Hangup after its
    // closing line; the call stays.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    watch(line.get());
    line->Call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(line->Call()->Dial());
    ASSERT_TRUE(waitUntil([&] { return fired("OnConnected"); }));
    takeTrace();
    m_events.clear();
    ASSERT_TRUE(control(QStringLiteral("fail"), {{"function", "lineDrop"}, {"code", "0x80000048"}}));
    EXPECT_FALSE(line->Call()->Hangup());
    EXPECT_EQ(line->Error()->Number(), qint32(LINEERR_OPERATIONFAILED));
    EXPECT_EQ(m_events, QStringList({"OnError", "OnError"}));
    EXPECT_EQ(line->Call()->Count(), 1);
    expectTrace(QStringLiteral("hangup-reply-fails"), takeNormalizedTrace(m_calls));
    ASSERT_TRUE(line->Call()->Hangup());
}

TEST_F(CallTrace, ReplyToAnotherRequestStillReachesTheApplication)
{
    // A request the control did not make (the application called the service itself)
    // matches no slot; OnTAPIReply still reports it, without a label.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    watch(line.get());
    line->Call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(line->Call()->Dial());
    ASSERT_TRUE(waitUntil([&] { return fired("OnConnected"); }));
    QList<int> replies;
    line->OnTAPIReply = [&](TnvSharedControl*, int request, int result, int) {
        replies << request;
        EXPECT_EQ(result, 0);
    };
    const LONG request = lineDrop(line->Call()->Handle(), nullptr, 0);
    ASSERT_GT(request, 0);
    ASSERT_TRUE(waitUntil([&] { return !replies.isEmpty(); }));
    EXPECT_EQ(replies, QList<int>({int(request)}));
    ASSERT_TRUE(waitUntil([&] { return fired("OnCallEnd"); }));
}

} // namespace
