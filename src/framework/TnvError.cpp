#include "TnvError.h"

#include "TnvLog.h"
#include "TnvSharedControl.h"

TnvError::TnvError(TnvSharedControl* owner)
    : QObject(owner)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("Error"));
}

void TnvError::Clear()
{
    m_text.clear();
    m_hex.clear();
    m_number = 0;
}

bool TnvError::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_owner->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Error");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Text = '") + m_text + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("Hex = [") + m_hex + QLatin1Char(']'));
    log->Add(false, path + QStringLiteral("Number = ") + QString::number(m_number));
    return true;
}
