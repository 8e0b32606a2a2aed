// Waiting for a reply sleeps in the event loop: a reply the service never sends costs
// the process almost no processor time until the time-out, and the wait still ends at
// its deadline.

#include "CallFixture.h"

#include <ServiceControl.h>
#include <TnvTAPI.h>

#include <QElapsedTimer>

#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

TEST_F(CallFixture, WithheldReplyIsAwaitedWithoutBurningTheProcessor)
{
    open();
    constexpr int timeout = 600;
    m_line->TAPI()->setReplyTimeout(timeout);
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("withhold"), {{"function", "lineMakeCall"}})
                    .value(QStringLiteral("ok")).toBool());
    call()->setPhoneNumber(QStringLiteral("5550100"));

    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = processCpuSeconds();
    EXPECT_FALSE(call()->Dial());
    const double cpu = processCpuSeconds() - cpuBefore;
    const qint64 elapsed = wall.elapsed();

    EXPECT_EQ(error(), -3);
    EXPECT_GE(elapsed, timeout) << "the wait ended before its deadline";
    EXPECT_LT(elapsed, timeout + 10000) << "the wait overran its deadline";
    // A wait that polls keeps a core busy; one that blocks uses almost none, even on a
    // loaded machine or under a sanitizer.
    EXPECT_LT(cpu, 0.3 * double(elapsed) / 1000.0)
        << "the wait used " << cpu << " s of processor time over " << elapsed << " ms";
}
