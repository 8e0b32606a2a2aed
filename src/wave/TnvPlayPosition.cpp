#include "TnvPlayPosition.h"

#include "TnvPlayPrivate.h"
#include "TnvWaveFormat.h"
#include "TnvWaveNumbers.h"

#include <TnvLog.h>

#include <cmath>

TnvPlayPosition::TnvPlayPosition(TnvPlayPrivate* play, QObject* parent)
    : QObject(parent)
    , m_play(play)
{
    setObjectName(QStringLiteral("Position"));
}

qint32 TnvPlayPosition::Byte() const
{
    return qint32(m_play->positionBytes());
}

qint32 TnvPlayPosition::Percent() const
{
    const quint32 size = m_play->dataSize();
    return size == 0 ? 0 : qint32(std::lround(double(m_play->positionBytes()) / double(size) * 100.0));
}

double TnvPlayPosition::Second() const
{
    const qint32 rate = m_play->Format()->AvgBytesPerSec();
    return rate <= 0 ? 0.0 : double(m_play->positionBytes()) / double(rate);
}

void TnvPlayPosition::setByte(int value)
{
    m_play->moveTo(double(value), QStringLiteral("Position.Byte := %1").arg(value));
}

void TnvPlayPosition::setPercent(int value)
{
    if (value < 0 || value > 100)
        return;
    m_play->moveTo(double(value) / 100.0 * double(m_play->dataSize()), QStringLiteral("Position.Percent := %1").arg(value));
}

void TnvPlayPosition::setSecond(double value)
{
    m_play->moveTo(value * double(m_play->Format()->AvgBytesPerSec()),
                   QStringLiteral("Position.Seconds := ") + TnvWaveNumbers::secondsText(value));
}

bool TnvPlayPosition::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_play->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Position");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Byte = ") + TnvWaveNumbers::bytesText(Byte()));
    log->Add(false, path + QStringLiteral("Percent = %1%").arg(Percent()));
    log->Add(false, path + QStringLiteral("Second = ") + TnvWaveNumbers::secondsText(Second()));
    return true;
}
