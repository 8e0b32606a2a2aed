#include "TnvTAPI.h"

#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

TnvTAPI::TnvTAPI(TnvSharedControl* owner)
    : QObject(owner)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("TAPI"));
}

void TnvTAPI::changed()
{
    if (TnvVantageWindow* window = m_owner->Vantage()->window())
        window->refreshInfo();
}

void TnvTAPI::setExtensionHighVersion(quint32 value)
{
    m_extensionHighVersion = value;
    changed();
}

void TnvTAPI::setExtensionLowVersion(quint32 value)
{
    m_extensionLowVersion = value;
    changed();
}

void TnvTAPI::setHighVersion(quint32 value)
{
    m_highVersion = value;
    changed();
}

void TnvTAPI::setLowVersion(quint32 value)
{
    m_lowVersion = value;
    changed();
}

void TnvTAPI::setReplyTimeout(qint32 value)
{
    m_replyTimeout = value;
    changed();
}

void TnvTAPI::setExtensionID(quint32 id0, quint32 id1, quint32 id2, quint32 id3)
{
    m_extensionID[0] = id0;
    m_extensionID[1] = id1;
    m_extensionID[2] = id2;
    m_extensionID[3] = id3;
}

void TnvTAPI::ResetState()
{
    setExtensionID(0, 0, 0, 0);
    m_tsp.clear();
    m_extensionVersion = 0;
    m_version = 0;
    m_extensionHighVersion = 0;
}

bool TnvTAPI::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_owner->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"TAPI");
    if (!opened)
        return false;
    const QString& path = *opened;
    const auto hex = [&](const char* name, quint32 value) {
        log->Add(false, path + QLatin1StringView(name) + QStringLiteral(" = ") + TnvNotation::hexText(value));
    };
    hex("ExtensionHighVersion", m_extensionHighVersion);
    hex("ExtensionID0", m_extensionID[0]);
    hex("ExtensionID1", m_extensionID[1]);
    hex("ExtensionID2", m_extensionID[2]);
    hex("ExtensionID3", m_extensionID[3]);
    hex("ExtensionLowVersion", m_extensionLowVersion);
    hex("ExtensionVersion", m_extensionVersion);
    hex("HighVersion", m_highVersion);
    hex("LowVersion", m_lowVersion);
    log->Add(false, path + QStringLiteral("ReplyTimeout = ") + QString::number(m_replyTimeout));
    log->Add(false, path + QStringLiteral("TSP = '") + m_tsp + QLatin1Char('\''));
    hex("Version", m_version);
    return true;
}
