#include "TnvWaveNumbers.h"

#include <cmath>

namespace {

QString grouped(quint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

} // namespace

QString TnvWaveNumbers::bytesText(qint64 value)
{
    const QString text = grouped(quint64(value < 0 ? -value : value));
    return value < 0 ? QLatin1Char('-') + text : text;
}

QString TnvWaveNumbers::secondsText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0.0");
    const bool negative = value < 0;
    // Beyond a hundred years of samples the figure is only shown, never computed with.
    const quint64 hundredths = quint64(std::llround(std::fmin(std::fabs(value), 1e15) * 100.0));
    QString text = grouped(hundredths / 100) + QLatin1Char('.');
    const quint64 fraction = hundredths % 100;
    text += QLatin1Char(char('0' + fraction / 10));
    if (fraction % 10)
        text += QLatin1Char(char('0' + fraction % 10));
    return negative && hundredths ? QLatin1Char('-') + text : text;
}
