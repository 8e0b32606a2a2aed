#include "TnvRelatedPhoneDevice.h"

#include "TnvLineDevice.h"
#include "TnvLineContext.h"
#include "TnvLineView.h"

#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvRelatedPhoneDevice::TnvRelatedPhoneDevice(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Phone"));
}

void TnvRelatedPhoneDevice::setDeviceClass(const QString& value)
{
    m_line->assignDeviceClass(QStringLiteral("Phone"), value, m_deviceClass);
}

void TnvRelatedPhoneDevice::lookUp(HLINE line)
{
    if (m_deviceClass.isEmpty())
        return;
    DWORD value = 0;
    m_available = m_line->GetRelatedDeviceID(m_deviceClass, line, &value);
    if (m_available)
        m_id = value;
}

void TnvRelatedPhoneDevice::clear()
{
    m_available = false;
    m_id = 0;
}

bool TnvRelatedPhoneDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Phone");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Available = ") + TnvVantage::BoolText(m_available));
    log->Add(false, path + QStringLiteral("DeviceClass = '") + m_deviceClass + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("ID = ") + QString::number(m_id));
    return true;
}
