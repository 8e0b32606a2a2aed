#include "WaveDispatcher.h"

#include "MmMessageEvent.h"
#include "ThreadHandOff.h"
#include "WaveLayer.h"

#include <QCoreApplication>
#include <QThread>

#include <mutex>
#include <unordered_map>

namespace {

const QEvent::Type kWakeEvent = QEvent::Type(QEvent::registerEventType());
const QEvent::Type kMessageEvent = QEvent::Type(QEvent::registerEventType());

struct WakeEvent : QEvent {
    explicit WakeEvent(quintptr h)
        : QEvent(kWakeEvent)
        , handle(h)
    {
    }
    quintptr handle;
};

} // namespace

void WaveDelivery::deliver(UINT message, DWORD_PTR param1, DWORD_PTR param2) const
{
    if (type == CALLBACK_WINDOW) {
        QObject* target = window.data();
        if (!target)
            return;
        if (target->thread() == QThread::currentThread()) {
            MmMessageEvent event(message, device, param1, param2);
            QCoreApplication::sendEvent(target, &event);
        } else {
            auto* event = new MmMessageEvent(message, device, param1, param2);
            ThreadHandOff::handOff(event);
            QCoreApplication::postEvent(target, event);
        }
    } else if (type == CALLBACK_FUNCTION && function) {
        function(device, message, instance, param1, param2);
    }
}

WaveDispatcher* WaveDispatcher::forCurrentThread()
{
    // Kept for the process: device threads may still post while statics are destroyed.
    static auto* lock = new std::mutex;
    static auto* dispatchers = new std::unordered_map<QThread*, WaveDispatcher*>;
    std::lock_guard guard(*lock);
    WaveDispatcher*& d = (*dispatchers)[QThread::currentThread()];
    if (!d)
        d = new WaveDispatcher;
    return d;
}

void WaveDispatcher::postWake(quintptr handle)
{
    auto* event = new WakeEvent(handle);
    ThreadHandOff::handOff(event);
    QCoreApplication::postEvent(this, event);
}

void WaveDispatcher::postMessage(quintptr handle, const WaveDelivery& delivery, UINT message, DWORD_PTR param1,
                                 bool evenWhenClosed)
{
    if (delivery.type == CALLBACK_NULL)
        return;
    std::lock_guard guard(m_lock);
    m_messages.push_back({handle, delivery, message, param1, evenWhenClosed});
    if (!m_posted) {
        m_posted = true;
        auto* event = new QEvent(kMessageEvent);
        ThreadHandOff::handOff(event);
        QCoreApplication::postEvent(this, event);
    }
}

bool WaveDispatcher::event(QEvent* event)
{
    ThreadHandOff::takeOver(event);
    if (event->type() == kWakeEvent) {
        WaveLayer::instance().service(static_cast<WakeEvent*>(event)->handle);
        return true;
    }
    if (event->type() == kMessageEvent) {
        Message next;
        {
            std::lock_guard guard(m_lock);
            if (m_messages.empty()) {
                m_posted = false;
                return true;
            }
            next = std::move(m_messages.front());
            m_messages.pop_front();
            // The event for the next message is posted before this one is handed over:
            // an event loop run inside the handler then delivers it, where one already
            // queued behind this event would wait until the handler returns.
            m_posted = !m_messages.empty();
            if (m_posted)
                QCoreApplication::postEvent(this, new QEvent(kMessageEvent));
        }
        if (next.evenWhenClosed || WaveLayer::instance().isOpen(next.handle))
            next.delivery.deliver(next.message, next.param1, 0);
        return true;
    }
    return QObject::event(event);
}
