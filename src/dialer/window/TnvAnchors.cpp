#include "TnvAnchors.h"

#include <QEvent>
#include <QWidget>

TnvAnchors::TnvAnchors(QWidget* parent)
    : QObject(parent)
    , m_parent(parent)
    , m_design(parent->size())
{
    parent->installEventFilter(this);
}

void TnvAnchors::place(QWidget* widget, const QRect& rect, Edges edges)
{
    m_entries.append({widget, rect, edges});
    layout();
}

TnvAnchors::Edges TnvAnchors::edges(const QWidget* widget) const
{
    for (const Entry& e : m_entries)
        if (e.widget == widget)
            return e.edges;
    return {};
}

bool TnvAnchors::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parent && event->type() == QEvent::Resize)
        layout();
    return QObject::eventFilter(watched, event);
}

void TnvAnchors::layout()
{
    const int dx = m_parent->width() - m_design.width();
    const int dy = m_parent->height() - m_design.height();
    // One direction at a time: near edge fixed, far edge fixed, or both.
    const auto shift = [](int start, int length, bool nearEdge, bool farEdge, int delta) {
        if (farEdge && nearEdge)
            return std::pair{start, qMax(0, length + delta)};
        if (farEdge)
            return std::pair{start + delta, length};
        return std::pair{start, length};
    };
    for (const Entry& e : m_entries) {
        const auto [x, w] = shift(e.rect.x(), e.rect.width(), e.edges & Left, e.edges & Right, dx);
        const auto [y, h] = shift(e.rect.y(), e.rect.height(), e.edges & Top, e.edges & Bottom, dy);
        e.widget->setGeometry(x, y, w, h);
    }
}
