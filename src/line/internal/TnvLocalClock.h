#pragma once

// The local wall time of the line control's call times and trace lines. Converting to
// local time makes the C library look at the time zone again on every call; the offset
// from UTC is looked up at most once a second here instead. A change of the offset (a
// daylight-saving switch) shows within that second.

#include <QDateTime>
#include <QString>
#include <QTime>

namespace TnvLocalClock {

// Now, as local time with the cached offset.
QDateTime now();
// The time of day of now().
QTime time();
// "hh:mm:ss" of a time, as the trace shows call times; empty for an invalid one.
QString hms(const QTime& time);
QString hms(const QDateTime& when);

} // namespace TnvLocalClock
