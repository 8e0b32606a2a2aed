#include "TnvRecordDevice.h"

#include "TnvRecordPrivate.h"

#include <TnvLog.h>
#include <TnvVantage.h>

TnvRecordDevice::TnvRecordDevice(TnvRecordPrivate* record, TnvSharedControl* owner)
    : TnvWaveDevice(owner)
    , m_record(record)
{
}

void TnvRecordDevice::setActive(bool value)
{
    m_record->setDeviceActive(value);
}

void TnvRecordDevice::setID(int value)
{
    m_record->setDeviceID(value);
}

void TnvRecordDevice::setPause(bool value)
{
    m_record->setPause(value);
}

void TnvRecordDevice::setAppend(bool value)
{
    m_record->setAppend(value);
}

void TnvRecordDevice::setBuffer(int value)
{
    m_record->setBuffer(value);
}

void TnvRecordDevice::setTrim(int value)
{
    m_record->setTrim(value);
}

void TnvRecordDevice::setDelay(int value)
{
    m_record->setDelay(value);
}

void TnvRecordDevice::setTimeout(int value)
{
    m_timeout = value;
}

bool TnvRecordDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_record->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Device");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    log->Add(false, path + QStringLiteral("Append = ") + TnvVantage::BoolText(m_append));
    log->Add(false, path + QStringLiteral("Buffer = %1 //milliseconds").arg(m_buffer));
    log->Add(false, path + QStringLiteral("Count = ") + QString::number(m_count));
    log->Add(false, path + QStringLiteral("Delay = %1 //milliseconds").arg(m_delay));
    log->Add(false, path + QStringLiteral("ID = ") + QString::number(m_id));
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& entry : m_list)
        log->Add(false, QLatin1Char('\t') + indent + entry);
    log->Add(false, path + QStringLiteral("Name = '") + m_name + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("Pause = ") + TnvVantage::BoolText(m_pause));
    log->Add(false, path + QStringLiteral("Timeout = %1 //milliseconds").arg(m_timeout));
    log->Add(false, path + QStringLiteral("Trim = %1 //milliseconds").arg(m_trim));
    return true;
}
