#include "TnvRelatedWaveDevice.h"

#include "TnvLineDevice.h"
#include "TnvLineContext.h"
#include "TnvLineView.h"

#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvVantage.h>

#include <cstdint>

// FIXME: the phone control uses this class for its own wave devices too; it needs an
// owner that is not a line (refusal PHONEERR_INVALPHONESTATE, the phone inspector's refresh).
TnvRelatedWaveDevice::TnvRelatedWaveDevice(TnvLineContext* line, const QString& displayName,
                                           const QString& deviceClass, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_displayName(displayName)
    , m_deviceClass(deviceClass)
{
    setObjectName(displayName);
}

void TnvRelatedWaveDevice::setDeviceClass(const QString& value)
{
    m_line->assignDeviceClass(m_displayName, value, m_deviceClass);
}

void TnvRelatedWaveDevice::lookUp(HLINE line)
{
    if (m_deviceClass.isEmpty())
        return;
    DWORD value = 0;
    m_available = m_line->GetRelatedDeviceID(m_deviceClass, line, &value);
    // Wave device numbers are small; anything that would read as negative is refused
    // rather than confused with the "not allowed" value.
    if (m_available && value > DWORD(INT32_MAX))
        m_available = false;
    if (m_available)
        m_id = qint32(value);
}

void TnvRelatedWaveDevice::deny()
{
    m_available = false;
    m_id = NotAllowed;
}

void TnvRelatedWaveDevice::clear()
{
    m_available = false;
    m_id = 0;
}

bool TnvRelatedWaveDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, m_displayName);
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Available = ") + TnvVantage::BoolText(m_available));
    log->Add(false, path + QStringLiteral("ID = ") + QString::number(m_id));
    log->Add(false, path + QStringLiteral("DeviceClass = '") + m_deviceClass + QLatin1Char('\''));
    return true;
}
