#include "TnvPlacedWindow.h"

#include <TnvVantage.h>

#include <QEvent>

TnvPlacedWindow::~TnvPlacedWindow()
{
    // The settings stop calling into this window before any of its parts go.
    if (TnvVantage* vantage = releaseVantage())
        vantage->windowDestroyed();
}

void TnvPlacedWindow::initialise(TnvVantage* vantage)
{
    m_vantage = vantage;
    refreshLogView();
}

void TnvPlacedWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TnvPlacedWindow::setStayOnTop(bool stayOnTop)
{
    // Changing the flag hides the window; a shown one is shown again.
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, stayOnTop);
    if (shown)
        show();
}

void TnvPlacedWindow::setPlacement(int top, int left, int width, int height)
{
    if (width > 0 && height > 0)
        setGeometry(left, top, width, height);
    else
        move(left, top);
}

QRect TnvPlacedWindow::normalGeometry() const
{
    return isMaximized() || isMinimized() ? QWidget::normalGeometry() : geometry();
}

TWindowState TnvPlacedWindow::windowState() const
{
    if (isMinimized())
        return wsMinimized;
    if (isMaximized())
        return wsMaximized;
    return wsNormal;
}

void TnvPlacedWindow::setWindowState(TWindowState state)
{
    switch (state) {
    case wsNormal: QWidget::setWindowState(Qt::WindowNoState); break;
    case wsMinimized: QWidget::setWindowState(Qt::WindowMinimized); break;
    case wsMaximized: QWidget::setWindowState(Qt::WindowMaximized); break;
    }
}

void TnvPlacedWindow::showWindow()
{
    show();
    raise();
    activateWindow();
    // The placement is known from the first show, even if the window never moves.
    reportPlacement();
}

void TnvPlacedWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    reportPlacement();
}

void TnvPlacedWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    reportPlacement();
}

void TnvPlacedWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        reportPlacement();
}

void TnvPlacedWindow::reportPlacement()
{
    if (m_vantage && isVisible())
        m_vantage->windowPlacementChanged(normalGeometry(), windowState());
}
