#pragma once

// The inspector window of a control that has no window of its own yet: its caption
// and its Log page. Richer windows take its place kind by kind.

#include <TnvVantageWindow.h>

#include <QWidget>

class QTabWidget;
class TnvLogPage;
class TnvSharedControl;

class TnvBasicVantage : public QWidget, public TnvVantageWindow {
    Q_OBJECT

public:
    explicit TnvBasicVantage(TnvSharedControl* control);
    ~TnvBasicVantage() override;

    void initialise(TnvVantage* vantage) override;
    void setCaption(const QString& caption) override;
    void setStayOnTop(bool stayOnTop) override;
    void setPlacement(int top, int left, int width, int height) override;
    QRect normalGeometry() const override;
    TWindowState windowState() const override;
    void setWindowState(TWindowState state) override;
    void showWindow() override;
    void selectLogPage() override;
    void selectInitialPage(bool logPage) override;
    void fillPanes() override;
    void closeWindow() override;
    void refreshLogView() override;
    void refreshErrorDisplay() override;
    bool copyLogToClipboard() override;

    TnvLogPage* logPage() const { return m_logPage; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void reportPlacement();

    TnvSharedControl* m_control;
    TnvVantage* m_vantage = nullptr;
    QTabWidget* m_pages;
    TnvLogPage* m_logPage;
};
