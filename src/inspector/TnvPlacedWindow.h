#pragma once

// What every inspector window shows the settings object: its caption, its placement and
// state (top, left, width, height, minimised or maximised), stay-on-top, and each move,
// resize or state change reported back while the window is shown. Closing and the pages
// are the window's own.

#include <TnvTypes.h>
#include <TnvVantageWindow.h>

#include <QWidget>

#include <utility>

class TnvPlacedWindow : public QWidget, public TnvVantageWindow {
    Q_OBJECT

public:
    ~TnvPlacedWindow() override;

    void initialise(TnvVantage* vantage) override;
    void setCaption(const QString& caption) override;
    void setStayOnTop(bool stayOnTop) override;
    // Without a width and height only the position is applied.
    void setPlacement(int top, int left, int width, int height) override;
    // The window's normal placement, also while it is minimised or maximised.
    QRect normalGeometry() const override;
    TWindowState windowState() const override;
    void setWindowState(TWindowState state) override;
    void showWindow() override;

protected:
    TnvPlacedWindow() = default;

    TnvVantage* vantage() const { return m_vantage; }
    // Forgets the settings object: nothing reports back to it from here on.
    TnvVantage* releaseVantage() { return std::exchange(m_vantage, nullptr); }

    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void reportPlacement();

    TnvVantage* m_vantage = nullptr;
};
