#pragma once

// A fixture that drives the simulated exchange directly, at pacing 0, recording what it
// reports and waiting for events on the real event loop.

#include "../RecordingSink.h"
#include "EventLoop.h"

#include <SimulatedExchange.h>
#include <TapiConstants.h>

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <gtest/gtest.h>

#include <functional>

namespace SimTest {

using Telephony::CallId;

using ProviderTest::Event;
using ProviderTest::RecordingSink;

using ::waitUntil;

// Lets every queued step run (pacing 0: nothing is left once the queue is empty).
inline void settle(int rounds = 20)
{
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

class ExchangeTest : public ::testing::Test {
protected:
    ExchangeTest()
        : ex({{QStringLiteral("pacing"), 0.0}})
    {
        ex.setSink(&sink);
    }

    RecordingSink sink;
    Telephony::SimulatedExchange ex;
    DWORD nextRequest = 100;
    CallId nextOwnCall = 1;

    DWORD request() { return nextRequest++; }

    // Places a call from `device` and waits until it reaches `state`.
    CallId call(int device, const QByteArray& number, DWORD state = LINECALLSTATE_CONNECTED,
                const Telephony::CallParams& params = {})
    {
        const CallId id = nextOwnCall++;
        const DWORD req = request();
        EXPECT_EQ(ex.makeCall(req, device, id, number, true, 0, params), 0);
        EXPECT_TRUE(waitFor(id, state)) << "call to " << number.constData() << " did not reach state " << state
                                        << ", last " << sink.lastState(id);
        return id;
    }

    bool waitFor(CallId call, DWORD state, int timeoutMs = 5000)
    {
        return waitUntil([&] { return sink.lastState(call) == state; }, timeoutMs);
    }

    bool done(DWORD req, int timeoutMs = 5000)
    {
        return waitUntil([&] { return sink.hasReply(req); }, timeoutMs);
    }

    // Runs an asynchronous operation and expects it to be accepted and to succeed.
    void ok(const std::function<LONG(DWORD)>& op)
    {
        const DWORD req = request();
        ASSERT_EQ(op(req), 0);
        ASSERT_TRUE(done(req));
        ASSERT_EQ(sink.reply(req), 0);
        settle();
    }

    // The newest offered call reported for a device.
    CallId offeredOn(int device) const
    {
        CallId id = 0;
        for (const Event& e : sink.events)
            if (e.kind == Event::NewCall && e.b == DWORD(device))
                id = e.a;
        return id;
    }
};

} // namespace SimTest
