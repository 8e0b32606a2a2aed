#include "TnvLocalClock.h"

#include <iterator>

namespace TnvLocalClock {

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
