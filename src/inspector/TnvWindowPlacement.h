#pragma once

// Placement and style of an inspector window as the settings object sees them (top,
// left, width, height, window state, stay-on-top), shared by every inspector window.

#include <TnvTypes.h>

#include <QRect>

class QWidget;

class TnvWindowPlacement {
public:
    static void setStayOnTop(QWidget* window, bool stayOnTop);
    // Without a width and height only the position is applied.
    static void setPlacement(QWidget* window, int top, int left, int width, int height);
    // The window's normal placement, also while it is minimised or maximised.
    static QRect normalGeometry(const QWidget* window);
    static TWindowState windowState(const QWidget* window);
    static void setWindowState(QWidget* window, TWindowState state);
};
