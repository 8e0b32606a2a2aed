#include "TnvPhonePopup.h"

#include <TnvLog.h>
#include <TnvVantage.h>

namespace {

const char* const kEventNames[] = {
#define TNV_PHONE_POPUP_NAME(name) #name,
    TNV_PHONE_POPUP_EVENTS(TNV_PHONE_POPUP_NAME)
#undef TNV_PHONE_POPUP_NAME
};
static_assert(std::size(kEventNames) == TnvPhonePopup::EventCount);

int eventOf(const QString& name)
{
    for (int i = 0; i < TnvPhonePopup::EventCount; ++i)
        if (name == QLatin1String(kEventNames[i]))
            return i;
    return -1;
}

} // namespace

TnvPhonePopup::TnvPhonePopup(TnvLog* log, QObject* parent)
    : QObject(parent)
    , m_log(log)
{
    setObjectName(QStringLiteral("Popup"));
}

const char* TnvPhonePopup::eventName(int event)
{
    return event >= 0 && event < EventCount ? kEventNames[event] : nullptr;
}

void TnvPhonePopup::setFlag(Event event, bool value)
{
    if (event >= 0 && event < EventCount)
        m_flags[event] = value;
}

bool TnvPhonePopup::flag(const QString& eventName) const
{
    const int event = eventOf(eventName);
    return event >= 0 && m_flags[event];
}

bool TnvPhonePopup::setFlag(const QString& eventName, bool value)
{
    const int event = eventOf(eventName);
    if (event < 0)
        return false;
    m_flags[event] = value;
    return true;
}

bool TnvPhonePopup::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    const std::optional<QString> opened = m_log->propertyPath(header, prefix, indent, u"Popup");
    if (!opened)
        return false;
    for (int i = 0; i < EventCount; ++i)
        m_log->Add(false, *opened + QLatin1String(kEventNames[i]) + QStringLiteral(" = ")
                              + TnvVantage::BoolText(m_flags[i]));
    return true;
}
