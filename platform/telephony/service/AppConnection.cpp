#include "AppConnection.h"

#include <QTimer>

namespace Telephony {

AppConnection::AppConnection(LINECALLBACK callback)
    : m_callback(callback)
{
}

void AppConnection::post(Message message)
{
    if (m_closed)
        return;
    m_queue.push_back(std::move(message));
    QMetaObject::invokeMethod(this, &AppConnection::deliverNext, Qt::QueuedConnection);
}

void AppConnection::postDelayed(Message message, int milliseconds)
{
    if (m_closed)
        return;
    QTimer::singleShot(milliseconds, this, [this, message = std::move(message)]() mutable { post(std::move(message)); });
}

void AppConnection::close()
{
    m_closed = true;
    m_queue.clear();
    deleteLater();
}

void AppConnection::deliverNext()
{
    if (m_closed || m_queue.empty())
        return;
    Message message = std::move(m_queue.front());
    m_queue.pop_front();
    if (message.prepare)
        message.prepare();
    // The callback may shut the usage handle down; this object is then freed later, by
    // the event loop, never inside the callback.
    if (m_callback)
        m_callback(message.hDevice, message.message, message.instance, message.param1, message.param2,
                   message.param3);
}

} // namespace Telephony
