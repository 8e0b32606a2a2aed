#include "TnvWavePopup.h"

#include <TnvLog.h>
#include <TnvVantage.h>

TnvWavePopup::TnvWavePopup(TnvLog* log, QStringList events, QObject* parent)
    : QObject(parent)
    , m_log(log)
    , m_events(std::move(events))
    , m_flags(size_t(m_events.size()), false)
{
    setObjectName(QStringLiteral("Popup"));
}

bool TnvWavePopup::flag(const QString& eventName) const
{
    const qsizetype event = m_events.indexOf(eventName);
    return event >= 0 && m_flags[size_t(event)];
}

bool TnvWavePopup::setFlag(const QString& eventName, bool value)
{
    const qsizetype event = m_events.indexOf(eventName);
    if (event < 0)
        return false;
    m_flags[size_t(event)] = value;
    return true;
}

bool TnvWavePopup::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    const std::optional<QString> opened = m_log->propertyPath(header, prefix, indent, u"Popup");
    if (!opened)
        return false;
    for (qsizetype i = 0; i < m_events.size(); ++i)
        m_log->Add(false, *opened + m_events.at(i) + QStringLiteral(" = ") + TnvVantage::BoolText(m_flags[size_t(i)]));
    return true;
}
