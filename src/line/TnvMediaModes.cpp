#include "TnvMediaModes.h"

#include "TnvLineContext.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvMediaModes::TnvMediaModes(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("MediaModes"));
}

void TnvMediaModes::clear()
{
    m_active = 0;
    m_available = 0;
    m_open = 0;
}

bool TnvMediaModes::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    const std::optional<QString> opened = m_line->Log()->propertyPath(header, prefix, indent, u"MediaModes");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_line->Vantage();
    // UNKNOWN is the lowest media-mode bit; bit 0 has no meaning.
    vantage->LogFlags(path + QStringLiteral("Open"), m_open, MediaModeText, LINEMEDIAMODE_VIDEO,
                      LINEMEDIAMODE_UNKNOWN);
    vantage->LogFlags(path + QStringLiteral("Available"), m_available, MediaModeText, LINEMEDIAMODE_VIDEO,
                      LINEMEDIAMODE_UNKNOWN);
    vantage->LogFlags(path + QStringLiteral("Active"), m_active, MediaModeText, LINEMEDIAMODE_VIDEO,
                      LINEMEDIAMODE_UNKNOWN);
    return true;
}
