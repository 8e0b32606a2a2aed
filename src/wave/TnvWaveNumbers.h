#pragma once

// The number forms of the wave engine's log lines and dumps: byte counts with thousands
// separators ("###,###,###,##0") and seconds with one or two decimals
// ("###,###,###,##0.0#").

#include <QString>

namespace TnvWaveNumbers {

QString bytesText(qint64 value);
QString secondsText(double value);

} // namespace TnvWaveNumbers
