#include "TnvPhoneDevice.h"

#include "TnvPhonePrivate.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvPhoneDevice::TnvPhoneDevice(TnvPhonePrivate* phone, TnvSharedControl* owner)
    : TnvSharedDevice(owner)
    , m_phone(phone)
    , m_capabilities(new TnvPhoneCapabilities(phone, this))
{
}

void TnvPhoneDevice::setActive(bool value)
{
    m_phone->setDeviceActive(value);
}

void TnvPhoneDevice::setID(int value)
{
    m_phone->setDeviceID(value);
}

bool TnvPhoneDevice::Configure()
{
    return m_phone->Configure();
}

void TnvPhoneDevice::storeState(quint32 state, quint32 details)
{
    m_state = state;
    m_stateDetails = details;
}

bool TnvPhoneDevice::isHookSwitchState(quint32 state)
{
    return state == PHONESTATE_HANDSETHOOKSWITCH || state == PHONESTATE_SPEAKERHOOKSWITCH
        || state == PHONESTATE_HEADSETHOOKSWITCH;
}

bool TnvPhoneDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_phone->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Device");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    log->Add(false, path + QStringLiteral("Count = ") + QString::number(m_count));
    log->Add(false, path + QStringLiteral("ID = ") + QString::number(m_id));
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& entry : m_list)
        log->Add(false, QLatin1Char('\t') + indent + entry);
    log->Add(false, path + QStringLiteral("Name = '") + m_name + QLatin1Char('\''));
    m_phone->Vantage()->LogFlags(path + QStringLiteral("State"), m_state, PhoneStateText, PHONESTATE_REMOVED,
                                 PHONESTATE_OTHER);
    const QString mode = isHookSwitchState(m_state) ? HookSwitchModeText(m_stateDetails) : QString();
    log->Add(false, path + QStringLiteral("StateDetails = ") + mode + TnvVantage::HexText(m_stateDetails));
    return true;
}
