#include "TnvPopup.h"

#include "TnvLineContext.h"

#include <TnvLog.h>
#include <TnvVantage.h>

#include <cstring>

namespace {

const char* const kEventNames[] = {
#define TNV_POPUP_NAME(name) #name,
    TNV_LINE_POPUP_EVENTS(TNV_POPUP_NAME)
#undef TNV_POPUP_NAME
};
static_assert(std::size(kEventNames) == TnvPopup::EventCount);

} // namespace

TnvPopup::TnvPopup(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Popup"));
}

const char* TnvPopup::eventName(int event)
{
    return event >= 0 && event < EventCount ? kEventNames[event] : nullptr;
}

TnvPopup::Event TnvPopup::eventOf(const char* eventName)
{
    if (!eventName)
        return EventCount;
    for (int i = 0; i < EventCount; ++i) {
        if (std::strcmp(kEventNames[i], eventName) == 0)
            return Event(i);
    }
    return EventCount;
}

bool TnvPopup::flag(const char* eventName) const
{
    const Event event = eventOf(eventName);
    return event != EventCount && m_flags[event];
}

bool TnvPopup::setFlag(const char* eventName, bool value)
{
    const Event event = eventOf(eventName);
    if (event == EventCount)
        return false;
    m_flags[event] = value;
    return true;
}

bool TnvPopup::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Popup");
    if (!opened)
        return false;
    for (int i = 0; i < EventCount; ++i)
        log->Add(false, *opened + QLatin1String(kEventNames[i]) + QStringLiteral(" = ")
                            + TnvVantage::BoolText(m_flags[i]));
    return true;
}
