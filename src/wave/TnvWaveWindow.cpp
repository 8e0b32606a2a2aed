#include "TnvWaveWindow.h"

#include <MmMessageEvent.h>
#include <ThreadHandOff.h>

TnvWaveWindow::TnvWaveWindow(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
}

void TnvWaveWindow::release()
{
    m_handler = nullptr;
    deleteLater();
}

bool TnvWaveWindow::event(QEvent* event)
{
    ThreadHandOff::takeOver(event);
    if (event->type() != MmMessageEvent::eventType())
        return QObject::event(event);
    // The handler may release this window; it is only freed later, but keep the handler
    // alive for the call.
    if (m_handler) {
        const Handler handler = m_handler;
        handler(*static_cast<MmMessageEvent*>(event));
    }
    return true;
}
