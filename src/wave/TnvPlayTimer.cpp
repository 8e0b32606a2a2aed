#include "TnvPlayTimer.h"

#include "TnvPlayPrivate.h"

#include <TnvLog.h>
#include <TnvVantage.h>

TnvPlayTimer::TnvPlayTimer(TnvPlayPrivate* play, QObject* parent)
    : QObject(parent)
    , m_play(play)
{
    setObjectName(QStringLiteral("Timer"));
}

void TnvPlayTimer::setEnabled(bool value)
{
    m_enabled = value;
    m_play->timerChanged();
}

void TnvPlayTimer::setInterval(int value)
{
    m_interval = value;
    m_play->timerChanged();
}

bool TnvPlayTimer::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_play->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Timer");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Enabled = ") + TnvVantage::BoolText(m_enabled));
    log->Add(false, path + QStringLiteral("Interval = %1 //milliseconds").arg(m_interval));
    return true;
}
