#include "TnvLocalClock.h"

#include <iterator>

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

QString hms(const QTime& time)
{
    if (!time.isValid())
        return QString();
    const int parts[] = {time.hour(), time.minute(), time.second()};
    const char16_t text[] = {
        char16_t(u'0' + parts[0] / 10), char16_t(u'0' + parts[0] % 10), u':',
        char16_t(u'0' + parts[1] / 10), char16_t(u'0' + parts[1] % 10), u':',
        char16_t(u'0' + parts[2] / 10), char16_t(u'0' + parts[2] % 10),
    };
    return QString(reinterpret_cast<const QChar*>(text), qsizetype(std::size(text)));
}

QString hms(const QDateTime& when)
{
    return when.isValid() ? hms(when.time()) : QString();
}

} // namespace TnvLocalClock
