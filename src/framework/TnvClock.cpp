#include "TnvClock.h"

#include <atomic>

namespace {

// The last second asked for and its offset in one word, so any thread may read and
// replace it without a lock: the second in the upper bits, the offset (biased to stay
// positive) in the lower 20. Offsets lie within a day, far inside 2^19 seconds.
constexpr int kOffsetBits = 20;
constexpr qint64 kOffsetBias = qint64(1) << (kOffsetBits - 1);
constexpr quint64 kEmpty = ~quint64(0);
std::atomic<quint64> g_cache{kEmpty};

qint64 floorDiv(qint64 value, qint64 divisor)
{
    const qint64 q = value / divisor;
    return (value % divisor != 0 && value < 0) ? q - 1 : q;
}

} // namespace

int TnvClock::utcOffsetAt(qint64 msecsSinceEpoch)
{
    const qint64 second = floorDiv(msecsSinceEpoch, 1000);
    const quint64 cached = g_cache.load(std::memory_order_relaxed);
    if (cached != kEmpty && qint64(cached >> kOffsetBits) == second)
        return int(qint64(cached & ((quint64(1) << kOffsetBits) - 1)) - kOffsetBias);
    const int offset = QDateTime::fromMSecsSinceEpoch(second * 1000).offsetFromUtc();
    // Seconds before 1970 or beyond 2^43 are not kept; they are only ever asked for once.
    if (second >= 0 && second < (qint64(1) << (63 - kOffsetBits)) && offset > -kOffsetBias && offset < kOffsetBias)
        g_cache.store((quint64(second) << kOffsetBits) | quint64(offset + kOffsetBias), std::memory_order_relaxed);
    return offset;
}

qint64 TnvClock::localMSecsNow()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return now + qint64(utcOffsetAt(now)) * 1000;
}

QDateTime TnvClock::localNow()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return QDateTime::fromMSecsSinceEpoch(now, Qt::OffsetFromUTC, utcOffsetAt(now));
}

QTime TnvClock::localTimeNow()
{
    const qint64 local = localMSecsNow();
    return QTime::fromMSecsSinceStartOfDay(int(local - floorDiv(local, 86400000) * 86400000));
}

void TnvClock::writeStamp(QChar* out)
{
    writeStamp(out, localMSecsNow());
}

void TnvClock::writeStamp(QChar* out, qint64 localMSecs)
{
    const qint64 ofMinute = localMSecs - floorDiv(localMSecs, 60000) * 60000;
    const int minute = int(floorDiv(localMSecs, 60000) % 60 + 60) % 60;
    const int second = int(ofMinute / 1000);
    const int ms = int(ofMinute % 1000);
    out[0] = QChar(u'0' + minute / 10);
    out[1] = QChar(u'0' + minute % 10);
    out[2] = QChar(u':');
    out[3] = QChar(u'0' + second / 10);
    out[4] = QChar(u'0' + second % 10);
    out[5] = QChar(u'.');
    out[6] = QChar(u'0' + ms / 100);
    out[7] = QChar(u'0' + ms / 10 % 10);
    out[8] = QChar(u'0' + ms % 10);
}
