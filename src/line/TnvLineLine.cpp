#include "TnvLineLine.h"

#include "TnvLineContext.h"

#include <TnvLog.h>
#include <TnvVantage.h>

TnvLineLine::TnvLineLine(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Line"));
}

bool TnvLineLine::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Line");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("AppHandle = ") + TnvVantage::HexText(m_appHandle));
    log->Add(false, path + QStringLiteral("Handle = ") + TnvVantage::HexText(m_handle));
    return true;
}
