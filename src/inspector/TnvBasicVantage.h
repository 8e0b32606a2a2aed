#pragma once

// Shows only the trace, for a kind of control that has no window of its own.

#include "TnvPlacedWindow.h"

class QTabWidget;
class TnvLogPage;
class TnvSharedControl;

class TnvBasicVantage : public TnvPlacedWindow {
    Q_OBJECT

public:
    explicit TnvBasicVantage(TnvSharedControl* control);

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

private:
    TnvSharedControl* m_control;
    QTabWidget* m_pages;
    TnvLogPage* m_logPage;
};
