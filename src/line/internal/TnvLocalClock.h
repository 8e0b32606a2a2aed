#pragma once

// Call times as the line control's trace shows them. The times themselves come from the
// framework's clock (TnvClock), which looks the zone offset up once a second.

#include <QDateTime>
#include <QString>
#include <QTime>

namespace TnvLocalClock {

// "hh:mm:ss" of a time, as the trace shows call times; empty for an invalid one.
QString hms(const QTime& time);
QString hms(const QDateTime& when);

} // namespace TnvLocalClock
