#include "TnvPhoneRelatedDevice.h"

#include "TnvPhonePrivate.h"

#include <TnvLog.h>
#include <TnvVantage.h>

#include <cstdint>

TnvPhoneRelatedDevice::TnvPhoneRelatedDevice(TnvPhonePrivate* phone, const QString& displayName,
                                             const QString& deviceClass, DumpOrder order, QObject* parent)
    : QObject(parent)
    , m_phone(phone)
    , m_displayName(displayName)
    , m_deviceClass(deviceClass)
    , m_order(order)
{
    setObjectName(displayName);
}

void TnvPhoneRelatedDevice::setDeviceClass(const QString& value)
{
    m_phone->assignDeviceClass(m_displayName, value, m_deviceClass);
}

void TnvPhoneRelatedDevice::lookUp()
{
    clear();
    if (m_deviceClass.isEmpty())
        return;
    DWORD value = 0;
    // Device numbers are small; one that would read as negative is not believed.
    if (!m_phone->GetRelatedDeviceID(m_deviceClass, &value) || value > DWORD(INT32_MAX))
        return;
    m_id = qint32(value);
    m_available = true;
}

void TnvPhoneRelatedDevice::clear()
{
    m_available = false;
    m_id = 0;
}

bool TnvPhoneRelatedDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_phone->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, m_displayName);
    if (!opened)
        return false;
    const QString& path = *opened;
    const QString deviceClass = path + QStringLiteral("DeviceClass = '") + m_deviceClass + QLatin1Char('\'');
    log->Add(false, path + QStringLiteral("Available = ") + TnvVantage::BoolText(m_available));
    if (m_order == ClassBeforeID)
        log->Add(false, deviceClass);
    log->Add(false, path + QStringLiteral("ID = ") + QString::number(m_id));
    if (m_order == ClassLast)
        log->Add(false, deviceClass);
    return true;
}
