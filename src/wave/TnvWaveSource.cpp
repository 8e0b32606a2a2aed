#include "TnvWaveSource.h"

#include "TnvWaveControl.h"

#include <TnvLog.h>
#include <TnvNotation.h>

TnvWaveSource::TnvWaveSource(TnvWaveControl* owner, bool logFormat)
    : QObject(owner)
    , m_owner(owner)
    , m_format(new TnvWaveFormat(owner, logFormat))
    , m_buffer(new TnvWaveBuffer(owner))
{
    setObjectName(QStringLiteral("Source"));
}

void TnvWaveSource::setFileName(const QString& name)
{
    m_owner->assignSourceFileName(name);
}

void TnvWaveSource::setMaxSize(qint32 kilobytes)
{
    m_owner->assignSourceMaxSize(kilobytes);
}

bool TnvWaveSource::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_owner->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Source");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("FileName = '") + m_fileName + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("MaxSize = ") + QString::number(m_maxSize));
    log->Add(false, path + QStringLiteral("Valid = ") + TnvNotation::boolText(m_valid));
    const QString sourcePrefix = prefix.isEmpty() ? QStringLiteral("Source") : prefix + QStringLiteral(".Source");
    m_format->LogProperties(QString(), sourcePrefix, indent);
    m_buffer->LogProperties(QString(), prefix, indent);
    return true;
}
