#include "TnvLocalClock.h"

namespace TnvLocalClock {

namespace {

constexpr qint64 kOffsetLifeMs = 1000;

struct Cached {
    qint64 from = 0;
    qint64 until = 0;
    int offset = 0;
};

} // namespace

QDateTime now()
{
    // Each thread with line controls keeps its own.
    thread_local Cached cached;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms < cached.from || ms >= cached.until) {
        cached.offset = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime).offsetFromUtc();
        cached.from = ms;
        cached.until = ms + kOffsetLifeMs;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, cached.offset);
}

QTime time()
{
    return now().time();
}

} // namespace TnvLocalClock
