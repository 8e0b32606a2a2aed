#include "TnvPlayDevice.h"

#include "TnvPlayPrivate.h"

#include <TnvLog.h>
#include <TnvVantage.h>

TnvPlayDevice::TnvPlayDevice(TnvPlayPrivate* play, TnvSharedControl* owner)
    : TnvWaveDevice(owner)
    , m_play(play)
{
}

void TnvPlayDevice::setActive(bool value)
{
    m_play->setDeviceActive(value);
}

void TnvPlayDevice::setID(int value)
{
    m_play->setDeviceID(value);
}

void TnvPlayDevice::setLoop(bool value)
{
    m_loop = value;
    m_play->refreshDeviceMenu();
}

void TnvPlayDevice::setPause(bool value)
{
    m_play->setPause(value);
}

void TnvPlayDevice::setWait(bool value)
{
    // Changing the mode of a running start would leave its wait without meaning.
    if (!m_active)
        m_wait = value;
    m_play->refreshDeviceMenu();
}

void TnvPlayDevice::setTimeout(int value)
{
    m_timeout = value;
}

void TnvPlayDevice::setDelay(int value)
{
    m_play->setDelay(value);
}

bool TnvPlayDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_play->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Device");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    log->Add(false, path + QStringLiteral("Count = ") + QString::number(m_count));
    log->Add(false, path + QStringLiteral("Delay = %1 //milliseconds").arg(m_delay));
    log->Add(false, path + QStringLiteral("ID = ") + QString::number(m_id));
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& entry : m_list)
        log->Add(false, QLatin1Char('\t') + indent + entry);
    log->Add(false, path + QStringLiteral("Loop = ") + TnvVantage::BoolText(m_loop));
    log->Add(false, path + QStringLiteral("Name = '") + m_name + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("Pause = ") + TnvVantage::BoolText(m_pause));
    log->Add(false, path + QStringLiteral("Timeout = %1 //milliseconds").arg(m_timeout));
    log->Add(false, path + QStringLiteral("Wait = ") + TnvVantage::BoolText(m_wait));
    return true;
}
