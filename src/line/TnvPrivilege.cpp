#include "TnvPrivilege.h"

#include "TnvLineDevice.h"
#include "TnvLineContext.h"

#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvPrivilege::TnvPrivilege(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Privilege"));
}

bool TnvPrivilege::beginChange(const char* name, bool value)
{
    m_line->Log()->Add(true, QStringLiteral("Device.Privilege.") + QLatin1String(name) + QStringLiteral(" := ")
                                 + TnvVantage::BoolText(value));
    m_line->Error()->Clear();
    if (m_line->Device()->Active()) {
        m_line->ReportResult(false, qint32(LINEERR_INVALLINESTATE));
        return false;
    }
    return true;
}

// FIXME: the designer notification after a change (here and in the related devices)
// has no counterpart yet; nothing is told.

// None excludes the other two, but clearing a flag never sets another: all three may be
// off, and the line is then opened with no privilege at all.
void TnvPrivilege::setNone(bool value)
{
    if (!beginChange("None", value))
        return;
    m_none = value;
    if (value) {
        m_monitor = false;
        m_owner = false;
    }
}

void TnvPrivilege::setMonitor(bool value)
{
    if (!beginChange("Monitor", value))
        return;
    m_monitor = value;
    if (value)
        m_none = false;
}

void TnvPrivilege::setOwner(bool value)
{
    if (!beginChange("Owner", value))
        return;
    m_owner = value;
    if (value)
        m_none = false;
}

DWORD TnvPrivilege::lineOpenPrivileges() const
{
    DWORD privileges = 0;
    if (m_none)
        privileges += LINECALLPRIVILEGE_NONE;
    if (m_monitor)
        privileges += LINECALLPRIVILEGE_MONITOR;
    if (m_owner)
        privileges += LINECALLPRIVILEGE_OWNER;
    return privileges;
}

bool TnvPrivilege::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Privilege");
    if (!opened)
        return false;
    const QString& path = *opened;
    // The dump lists the flags alphabetically, unlike their declaration.
    log->Add(false, path + QStringLiteral("Monitor = ") + TnvVantage::BoolText(m_monitor));
    log->Add(false, path + QStringLiteral("None = ") + TnvVantage::BoolText(m_none));
    log->Add(false, path + QStringLiteral("Owner = ") + TnvVantage::BoolText(m_owner));
    return true;
}
