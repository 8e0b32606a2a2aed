#include "TnvPlayVolume.h"

#include "TnvPlayPrivate.h"

#include <TnvLog.h>
#include <TnvVantage.h>

#include <cmath>

TnvPlayVolume::TnvPlayVolume(TnvPlayPrivate* play, QObject* parent)
    : QObject(parent)
    , m_play(play)
{
    setObjectName(QStringLiteral("Volume"));
}

qint32 TnvPlayVolume::percentOf(quint32 deviceVolume)
{
    return qint32(std::lround(double(deviceVolume & 0xFFFF) / 65535.0 * 100.0));
}

quint32 TnvPlayVolume::deviceVolumeOf(qint32 percent)
{
    const auto word = quint32(std::lround(double(qBound(0, percent, 100)) / 100.0 * 65535.0));
    return word * 65537u;
}

void TnvPlayVolume::setFlag(bool& field, const char* name, bool value)
{
    m_play->write(true, QStringLiteral("Volume.") + QLatin1StringView(name) + QStringLiteral(" := ")
                            + TnvVantage::BoolText(value));
    field = value;
    m_play->refreshVolume();
}

void TnvPlayVolume::setEnabled(bool value)
{
    setFlag(m_enabled, "Enabled", value);
}

void TnvPlayVolume::setDefault(bool value)
{
    setFlag(m_default, "Default", value);
}

void TnvPlayVolume::setReset(bool value)
{
    setFlag(m_reset, "Reset", value);
}

void TnvPlayVolume::setPosition(int value)
{
    m_play->setVolumePosition(value);
}

bool TnvPlayVolume::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_play->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Volume");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Default = ") + TnvVantage::BoolText(m_default));
    log->Add(false, path + QStringLiteral("Enabled = ") + TnvVantage::BoolText(m_enabled));
    log->Add(false, path + QStringLiteral("Position = ") + QString::number(m_position));
    log->Add(false, path + QStringLiteral("Reset = ") + TnvVantage::BoolText(m_reset));
    return true;
}
