#pragma once

// The interface of a control's inspector window as the framework sees it. The window
// layer implements it and registers a factory per control kind; the components stay
// free of widgets.

#include "TnvTypes.h"

#include <QRect>

class TnvVantage;

class TnvVantageWindow {
public:
    virtual ~TnvVantageWindow() = default;

    // Back reference, set once right after creation; the window reports its placement,
    // its closing and its destruction to it.
    virtual void initialise(TnvVantage* vantage) = 0;

    virtual void setCaption(const QString& caption) = 0;
    virtual void setStayOnTop(bool stayOnTop) = 0;
    virtual void setPlacement(int top, int left, int width, int height) = 0;
    virtual QRect normalGeometry() const = 0;
    virtual TWindowState windowState() const = 0;
    virtual void setWindowState(TWindowState state) = 0;

    // Shows the window and brings it forward.
    virtual void showWindow() = 0;
    virtual void selectLogPage() = 0;
    // The page a new window opens on: the Log page, or the window's own first page.
    virtual void selectInitialPage(bool logPage) = 0;
    // Fills every pane from the control's current state.
    virtual void fillPanes() = 0;
    // Forgets the back reference, closes and frees the window.
    virtual void closeWindow() = 0;

    virtual void refreshLogView() = 0;
    virtual void refreshErrorDisplay() = 0;
    virtual void refreshInfo() {}
    virtual bool copyLogToClipboard() = 0;
};
