#include "TnvPhonePrivilege.h"

#include "TnvPhonePrivate.h"

#include <TapiConstants.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvPhonePrivilege::TnvPhonePrivilege(TnvPhonePrivate* phone, QObject* parent)
    : QObject(parent)
    , m_phone(phone)
{
    setObjectName(QStringLiteral("Privilege"));
}

void TnvPhonePrivilege::assign(const char* name, bool value, bool& field)
{
    const QString path = QStringLiteral("Device.Privilege.") + QLatin1String(name);
    m_phone->write(true, path + QStringLiteral(" := ") + TnvVantage::BoolText(value));
    m_phone->Error()->Clear();
    m_phone->write(true, path + QStringLiteral(" = ") + TnvVantage::BoolText(value));
    field = value;
}

void TnvPhonePrivilege::setMonitor(bool value)
{
    assign("Monitor", value, m_monitor);
}

void TnvPhonePrivilege::setOwner(bool value)
{
    assign("Owner", value, m_owner);
}

DWORD TnvPhonePrivilege::phoneOpenPrivilege() const
{
    if (m_owner)
        return PHONEPRIVILEGE_OWNER;
    return m_monitor ? PHONEPRIVILEGE_MONITOR : 0;
}

bool TnvPhonePrivilege::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_phone->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Privilege");
    if (!opened)
        return false;
    log->Add(false, *opened + QStringLiteral("Monitor = ") + TnvVantage::BoolText(m_monitor));
    log->Add(false, *opened + QStringLiteral("Owner = ") + TnvVantage::BoolText(m_owner));
    return true;
}
