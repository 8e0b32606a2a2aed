#include "TnvDeferredArea.h"

#include <QEvent>
#include <QWidget>

#include <utility>

TnvDeferredArea::TnvDeferredArea(QWidget* area, std::function<void()> refresh)
    : QObject(area)
    , m_area(area)
    , m_refresh(std::move(refresh))
{
    area->installEventFilter(this);
}

void TnvDeferredArea::refresh()
{
    m_stale = true;
    if (m_area->isVisible())
        flush();
}

void TnvDeferredArea::flush()
{
    if (!m_stale)
        return;
    m_stale = false;
    m_refresh();
}

bool TnvDeferredArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area && event->type() == QEvent::Show)
        flush();
    return QObject::eventFilter(watched, event);
}
