#pragma once

// Local wall-clock time for the trace log and the call times. Asking Qt for the local
// time re-reads the time zone (a look at the zone file) on every call; an offset from UTC
// only ever changes on a whole second, so it is looked up once per second and the local
// time is the UTC clock plus that offset.

#include <QDateTime>
#include <QTime>

class TnvClock {
public:
    // Characters of the trace stamp "mm:ss.zzz".
    static constexpr int StampLength = 9;

    // The local offset from UTC in seconds at the given instant; looked up again only
    // when the instant falls in another second than the last one asked for.
    static int utcOffsetAt(qint64 msecsSinceEpoch);

    // Milliseconds since the epoch as local wall-clock time (UTC plus the offset).
    static qint64 localMSecsNow();

    // The instant and local date and time that QDateTime::currentDateTime() gives,
    // held as a fixed offset from UTC so reading it costs no zone look-up.
    static QDateTime localNow();
    static QTime localTimeNow();

    // Writes the local minute, second and millisecond now as "mm:ss.zzz".
    static void writeStamp(QChar* out);
    static void writeStamp(QChar* out, qint64 localMSecs);
};
