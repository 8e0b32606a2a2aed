#include "TnvPhoneConnection.h"

#include "TnvPhonePrivate.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvPhoneConnection::TnvPhoneConnection(TnvPhonePrivate* phone, QObject* parent)
    : QObject(parent)
    , m_phone(phone)
{
    setObjectName(QStringLiteral("Phone"));
}

void TnvPhoneConnection::setCapabilities(quint32 hookSwitchDevs, quint32 states)
{
    m_hookSwitchDevs = hookSwitchDevs;
    m_states = states;
}

bool TnvPhoneConnection::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_phone->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Line");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_phone->Vantage();
    log->Add(false, path + QStringLiteral("AppHandle = ") + TnvVantage::HexText(m_appHandle));
    log->Add(false, path + QStringLiteral("Handle = ") + TnvVantage::HexText(m_handle));
    vantage->LogFlags(path + QStringLiteral("HookSwitchDevs"), m_hookSwitchDevs, HookSwitchDevText,
                      PHONEHOOKSWITCHDEV_HEADSET, PHONEHOOKSWITCHDEV_HANDSET);
    vantage->LogFlags(path + QStringLiteral("States"), m_states, PhoneStateText, PHONESTATE_REMOVED,
                      PHONESTATE_OTHER);
    return true;
}
