#include "TnvRelatedPhoneDevice.h"

#include "TnvLineDevice.h"
#include "TnvLineInternal.h"
#include "TnvLineView.h"

#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvRelatedPhoneDevice::TnvRelatedPhoneDevice(TnvLineInternal* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Phone"));
}

void TnvRelatedPhoneDevice::setDeviceClass(const QString& value)
{
    m_line->Log()->Add(true, QStringLiteral("Phone.DeviceClass := \"") + value + QLatin1Char('"'));
    m_line->Error()->Clear();
    if (m_line->Device()->Active())
        m_line->ReportResult(false, qint32(LINEERR_INVALLINESTATE));
    else
        m_deviceClass = value;
    if (TnvLineView* view = m_line->view())
        view->RefreshInfo();
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
