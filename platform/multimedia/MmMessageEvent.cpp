#include "MmMessageEvent.h"

MmMessageEvent::MmMessageEvent(UINT message, void* device, DWORD_PTR param1, DWORD_PTR param2)
    : QEvent(eventType())
    , m_message(message)
    , m_device(device)
    , m_param1(param1)
    , m_param2(param2)
{
}

QEvent::Type MmMessageEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}
