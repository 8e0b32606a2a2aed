// The clock the line's call times come from (local time as the system gives it), and
// call times in the trace's "hh:mm:ss".

#include <TnvClock.h>
#include <TnvLocalClock.h>

#include <gtest/gtest.h>

TEST(LocalClock, NowIsTheSystemsLocalTime)
{
    const QDateTime system = QDateTime::currentDateTime();
    const QDateTime now = TnvClock::localNow();
    EXPECT_EQ(now.offsetFromUtc(), system.offsetFromUtc());
    EXPECT_LE(qAbs(system.msecsTo(now)), 1000);
    EXPECT_LE(qAbs(system.time().msecsTo(TnvClock::localTimeNow())), 1000);
}

TEST(LocalClock, CallTimesAreShownAsHoursMinutesSeconds)
{
    EXPECT_EQ(TnvLocalClock::hms(QTime(7, 5, 9, 999)), QStringLiteral("07:05:09"));
    EXPECT_EQ(TnvLocalClock::hms(QTime(23, 59, 0)), QStringLiteral("23:59:00"));
    EXPECT_EQ(TnvLocalClock::hms(QTime()), QString());
    EXPECT_EQ(TnvLocalClock::hms(QDateTime()), QString());
    const QDateTime when(QDate(2024, 3, 1), QTime(12, 34, 56));
    EXPECT_EQ(TnvLocalClock::hms(when), when.toString(QStringLiteral("hh:mm:ss")));
}
