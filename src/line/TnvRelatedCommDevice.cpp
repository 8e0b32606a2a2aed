#include "TnvRelatedCommDevice.h"

#include "TnvCall.h"
#include "TnvLineDevice.h"
#include "TnvLineContext.h"
#include "TnvLineView.h"

#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvVantage.h>

#include <climits>
#include <unistd.h>

TnvRelatedCommDevice::TnvRelatedCommDevice(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Comm"));
}

void TnvRelatedCommDevice::setDeviceClass(const QString& value)
{
    m_line->assignDeviceClass(QStringLiteral("Comm"), value, m_deviceClass);
}

void TnvRelatedCommDevice::setEnabled(bool value)
{
    m_line->Log()->Add(true, QStringLiteral("Comm.Enabled := ") + TnvVantage::BoolText(value));
    m_line->Error()->Clear();
    m_enabled = value;
    // Only a current call has a data port to fetch or give back.
    TnvCall* call = m_line->Call();
    if (call->Handle() != 0) {
        if (value)
            fetchHandle(call->Handle(), call->MediaMode());
        else
            release(true);
    }
    if (TnvLineView* view = m_line->view())
        view->RefreshInfo();
}

bool TnvRelatedCommDevice::hasDataPort(DWORD mediaMode)
{
    return (mediaMode & (LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_G3FAX | LINEMEDIAMODE_G4FAX)) != 0;
}

void TnvRelatedCommDevice::fetchHandle(HCALL call, DWORD callMediaMode)
{
    if (!m_enabled || m_available || call == 0 || !hasDataPort(callMediaMode))
        return;
    DWORD value = 0;
    m_available = m_line->GetRelatedDeviceID(m_deviceClass, call, &value);
    if (m_available)
        m_handle = value;
}

void TnvRelatedCommDevice::closeHandle()
{
    release(m_enabled);
}

void TnvRelatedCommDevice::release(bool close)
{
    // The value came from the service: only a plausible descriptor is closed, never the
    // standard streams.
    if (close && m_available && m_handle > 2 && m_handle <= DWORD(INT_MAX))
        ::close(int(m_handle));
    clear();
}

void TnvRelatedCommDevice::clear()
{
    m_available = false;
    m_handle = 0;
}

bool TnvRelatedCommDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Comm");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Available = ") + TnvVantage::BoolText(m_available));
    log->Add(false, path + QStringLiteral("Handle = ") + TnvNotation::hex8(m_handle));
    log->Add(false, path + QStringLiteral("DeviceClass = '") + m_deviceClass + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("Enabled = ") + TnvVantage::BoolText(m_enabled));
    return true;
}
