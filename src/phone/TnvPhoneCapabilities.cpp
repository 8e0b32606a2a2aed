#include "TnvPhoneCapabilities.h"

#include "TnvPhonePrivate.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvPhoneCapabilities::TnvPhoneCapabilities(TnvPhonePrivate* phone, QObject* parent)
    : QObject(parent)
    , m_phone(phone)
{
    setObjectName(QStringLiteral("Capabilities"));
}

quint32 TnvPhoneCapabilities::DevSpecificTag() const
{
    // FNV-1a over the bytes; 0 for no block.
    if (m_devSpecific.isEmpty())
        return 0;
    quint32 hash = 2166136261u;
    for (char c : m_devSpecific) {
        hash ^= quint8(c);
        hash *= 16777619u;
    }
    return hash;
}

void TnvPhoneCapabilities::store(quint32 hookSwitchDevs, quint32 states, const QByteArray& devSpecific)
{
    m_hookSwitchDevs = hookSwitchDevs;
    m_states = states;
    m_devSpecific = devSpecific;
}

void TnvPhoneCapabilities::clear()
{
    store(0, 0, QByteArray());
}

bool TnvPhoneCapabilities::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_phone->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Capabilities");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_phone->Vantage();
    log->Add(false, path + QStringLiteral("DevSpecific = ") + TnvVantage::HexText(DevSpecificTag()));
    log->Add(false, path + QStringLiteral("DevSpecificSize = ") + QString::number(DevSpecificSize()));
    vantage->LogFlags(path + QStringLiteral("HookSwitchDevs"), m_hookSwitchDevs, HookSwitchDevText,
                      PHONEHOOKSWITCHDEV_HEADSET, PHONEHOOKSWITCHDEV_HANDSET);
    vantage->LogFlags(path + QStringLiteral("States"), m_states, PhoneStateText, PHONESTATE_REMOVED, PHONESTATE_OTHER);
    return true;
}
