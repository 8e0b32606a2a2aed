// The local clock: the offset from UTC is looked up once a second and follows a change
// of time zone at the next second; its time and stamps agree with Qt's own local time.

#include <TnvClock.h>

#include <QDateTime>

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Sets the process's time zone for one test and puts the old one back.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone)
        : m_had(qEnvironmentVariableIsSet("TZ"))
        , m_old(qgetenv("TZ"))
    {
        set(zone);
    }
    ~ZoneGuard()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    static void set(const char* zone)
    {
        qputenv("TZ", zone);
        tzset();
    }

private:
    bool m_had;
    QByteArray m_old;
};

QString stamp(qint64 localMSecs)
{
    QChar out[TnvClock::StampLength];
    TnvClock::writeStamp(out, localMSecs);
    return QString(out, TnvClock::StampLength);
}

} // namespace

TEST(Clock, OffsetFollowsAZoneChangeFromTheNextSecond)
{
    const qint64 instant = 1700000000000; // 2023-11-14 22:13:20 UTC
    const ZoneGuard zone("UTC0");
    EXPECT_EQ(TnvClock::utcOffsetAt(instant), 0);
    ZoneGuard::set("EST5");
    // Within the second the offset is not looked up again...
    EXPECT_EQ(TnvClock::utcOffsetAt(instant + 999), 0);
    // ...from the next one on, the new zone counts.
    EXPECT_EQ(TnvClock::utcOffsetAt(instant + 1000), -5 * 3600);
    ZoneGuard::set("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(TnvClock::utcOffsetAt(instant - 1), 3600);
}

TEST(Clock, LocalNowIsQtsLocalTimeWithoutTheZoneLookUp)
{
    const ZoneGuard zone("NZST-12NZDT,M9.5.0,M4.1.0/3");
    const QDateTime before = QDateTime::currentDateTime();
    const QDateTime ours = TnvClock::localNow();
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_LE(before.toMSecsSinceEpoch(), ours.toMSecsSinceEpoch());
    EXPECT_LE(ours.toMSecsSinceEpoch(), after.toMSecsSinceEpoch());
    EXPECT_EQ(ours.offsetFromUtc(), after.offsetFromUtc());
    // Same wall-clock fields, unless the test straddled midnight.
    if (before.date() == after.date()) {
        EXPECT_EQ(ours.date(), after.date());
        EXPECT_LE(before.time(), ours.time());
        EXPECT_LE(ours.time(), after.time());
    }
    const QTime time = TnvClock::localTimeNow();
    EXPECT_LE(qAbs(time.msecsTo(QTime::currentTime())), 1000);
}

TEST(Clock, StampIsMinuteSecondAndMillisecond)
{
    const struct {
        qint64 localMSecs;
        const char* text;
    } cases[] = {
        {QDateTime(QDate(2024, 3, 1), QTime(13, 4, 5, 7), Qt::UTC).toMSecsSinceEpoch(), "04:05.007"},
        {QDateTime(QDate(2024, 3, 1), QTime(23, 59, 59, 999), Qt::UTC).toMSecsSinceEpoch(), "59:59.999"},
        {0, "00:00.000"},
        {-1, "59:59.999"}, // before 1970 the fields still count forward
    };
    for (const auto& c : cases)
        EXPECT_EQ(stamp(c.localMSecs), QString::fromLatin1(c.text)) << c.localMSecs;
}
