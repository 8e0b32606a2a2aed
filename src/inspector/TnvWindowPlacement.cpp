#include "TnvWindowPlacement.h"

#include <QWidget>

void TnvWindowPlacement::setStayOnTop(QWidget* window, bool stayOnTop)
{
    // Changing the flag hides the window; a shown one is shown again.
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop);
    if (shown)
        window->show();
}

void TnvWindowPlacement::setPlacement(QWidget* window, int top, int left, int width, int height)
{
    if (width > 0 && height > 0)
        window->setGeometry(left, top, width, height);
    else
        window->move(left, top);
}

QRect TnvWindowPlacement::normalGeometry(const QWidget* window)
{
    return window->isMaximized() || window->isMinimized() ? window->normalGeometry() : window->geometry();
}

TWindowState TnvWindowPlacement::windowState(const QWidget* window)
{
    if (window->isMinimized())
        return wsMinimized;
    if (window->isMaximized())
        return wsMaximized;
    return wsNormal;
}

void TnvWindowPlacement::setWindowState(QWidget* window, TWindowState state)
{
    switch (state) {
    case wsNormal: window->setWindowState(Qt::WindowNoState); break;
    case wsMinimized: window->setWindowState(Qt::WindowMinimized); break;
    case wsMaximized: window->setWindowState(Qt::WindowMaximized); break;
    }
}
