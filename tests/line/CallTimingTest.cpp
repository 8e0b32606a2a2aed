// When a call's events come: the dialed call is announced before any of its states,
// whatever the exchange's pace, and OnIdle keeps the idle delay it promises.

#include "LineHarness.h"

#include "EventLoop.h"

#include <TnvCall.h>
#include <TnvLineDevice.h>

#include <QElapsedTimer>

namespace {

class CallTiming : public LineHarness {
protected:
    void watch(TnvLine* line)
    {
        const auto note = [this](const char* name) {
            return [this, name](TnvSharedControl*, int) { m_events << QString::fromLatin1(name); };
        };
        line->OnCallBegin = note("OnCallBegin");
        line->OnDialtone = note("OnDialtone");
        line->OnDialing = note("OnDialing");
        line->OnProceeding = note("OnProceeding");
        line->OnRingBack = note("OnRingBack");
        line->OnConnected = note("OnConnected");
        line->OnCallEnd = note("OnCallEnd");
    }

    QStringList m_events;
};

} // namespace

TEST_F(CallTiming, DialAnnouncesTheCallBeforeItsStatesAtEveryPacing)
{
    for (const double pacing : {0.0, 0.01, 0.05}) {
        SCOPED_TRACE(pacing);
        m_events.clear();
        std::unique_ptr<TnvLine> line = loadDialerLine();
        line->Device()->setActive(true);
        ASSERT_TRUE(control(QStringLiteral("pacing"), {{"value", pacing}}));
        watch(line.get());
        takeTrace();
        line->Call()->setPhoneNumber(QStringLiteral("5550100"));
        ASSERT_TRUE(line->Call()->Dial());
        ASSERT_TRUE(waitUntil([&] { return m_events.contains(QStringLiteral("OnConnected")); }));
        EXPECT_EQ(m_events, QStringList({"OnCallBegin", "OnDialtone", "OnDialing", "OnProceeding", "OnRingBack",
                                         "OnConnected"}));
        // The trace says the same: the call begins, the dial returns, then dial tone.
        const QStringList trace = takeTrace();
        const auto at = [&trace](const QString& start) {
            for (qsizetype i = 0; i < trace.size(); ++i)
                if (trace.at(i).startsWith(start))
                    return i;
            return qsizetype(-1);
        };
        EXPECT_LT(at(QStringLiteral("OnCallBegin [")), at(QStringLiteral("OnDialTone [")));
        EXPECT_LT(at(QStringLiteral("\tCall.Dial [")), at(QStringLiteral("OnDialTone [")));
        ASSERT_TRUE(line->Call()->Hangup());
        ASSERT_TRUE(waitUntil([&] { return m_events.contains(QStringLiteral("OnCallEnd")); }));
    }
}

TEST_F(CallTiming, OnIdleNeverComesBeforeTheIdleDelay)
{
    // Several delays, so that one of them would meet a timer that rounds its expiry
    // down; each is measured from the moment the call went idle.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    QElapsedTimer sinceIdle;
    qint64 idleAfterNs = -1;
    line->OnLog = [&](TnvSharedControl*, const QString& text) {
        if (text.startsWith(QLatin1String("OnCallIdle [")))
            sinceIdle.start();
        m_trace << text;
    };
    line->OnIdle = [&](TnvSharedControl*, int) { idleAfterNs = sinceIdle.nsecsElapsed(); };
    bool connected = false;
    line->OnConnected = [&](TnvSharedControl*, int) { connected = true; };
    for (const int delay : {105, 130, 155, 190, 235}) {
        SCOPED_TRACE(delay);
        // The delay is set while the line is closed.
        line->Device()->setActive(false);
        line->Device()->setIdleDelay(delay);
        line->Device()->setActive(true);
        connected = false;
        idleAfterNs = -1;
        line->Call()->setPhoneNumber(QStringLiteral("5550100"));
        ASSERT_TRUE(line->Call()->Dial());
        ASSERT_TRUE(waitUntil([&] { return connected; }));
        ASSERT_TRUE(line->Call()->Hangup());
        ASSERT_TRUE(waitUntil([&] { return idleAfterNs >= 0; }, delay + 2000));
        EXPECT_GE(idleAfterNs, qint64(delay) * 1000000);
    }
}
