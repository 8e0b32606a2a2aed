#pragma once

// The inspector window of a line control: the device group over a page control with
// the Log, Call, Transfer, Conference, Address, Terminal and Misc. pages. The control
// pushes every change through the refresh operations below while the window exists;
// a refresh only reads the control and writes its own widgets with their signals
// blocked, so it never calls back into the control.

#include "TnvLineVantageArt.h"

#include <TnvLineView.h>
#include <TnvVantageWindow.h>

#include <QWidget>

#include <array>

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QMenuBar;
class QTabWidget;
class QTimer;
class QToolButton;
class TnvLine;
class TnvLineAddressPage;
class TnvLineCallPage;
class TnvLineInfoPage;
class TnvLineJoinPage;
class TnvLineMenus;
class TnvLineTerminalPage;
class TnvLogPage;

class TnvLineVantage : public QWidget, public TnvVantageWindow, public TnvLineView {
    Q_OBJECT

public:
    enum Page { PageLog, PageCall, PageTransfer, PageConference, PageAddress, PageTerminal, PageInfo };

    explicit TnvLineVantage(TnvLine* line);
    ~TnvLineVantage() override;

    // The window interface of the settings object.
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
    void refreshInfo() override { RefreshInfo(); }
    bool copyLogToClipboard() override;

    // The refresh operations the line control calls.
    void RefreshEnabled() override;
    void RefreshDevice() override;
    void RefreshCall() override;
    void RefreshTransfer(int handle) override;
    void RefreshConference(int handle) override;
    void ShowTransferPhoneNumber() override;
    void ShowConferencePhoneNumber() override;
    void RefreshCallerID() override;
    void RefreshParameters() override;
    void RefreshDigits() override;
    void ShowDigitsGathered(const QString& digits) override;
    void ShowDigitReceived(const QString& digits) override;
    void RefreshCallControl() override;
    void RefreshInfo() override;
    void RefreshAddress() override;
    void RefreshTerminal() override;
    void ShowError();

    // Brings every tree left stale while hidden up to date now.
    void flushTrees();

    // The DevEnv selection: the notation, the areas written in it, labels and hints.
    void selectDevEnv(TDevEnv env);

    // Device > Active and its button: inverts Device.Active and shows the result.
    void toggleDeviceActive();

    // The icon index a tab of PageControl1 shows (-1 for none).
    int tabIconIndex(Page page) const;

    QMenuBar* nvLineMainMenu;
    QMenu* MenuVantage;
    QMenu* MenuDevEnv;
    // C++ Builder, Delphi, Visual Basic, Other.
    std::array<QAction*, 4> devEnvItems{};
    QGroupBox* GroupBoxDevice;
    QToolButton* SpeedButtonDeviceActive;
    QComboBox* ComboBoxDevice;
    QTabWidget* PageControl1;
    TnvLogPage* logPage;
    TnvLineCallPage* callPage;
    TnvLineJoinPage* transferPage;
    TnvLineJoinPage* conferencePage;
    TnvLineAddressPage* addressPage;
    TnvLineTerminalPage* terminalPage;
    TnvLineInfoPage* infoPage;
    // The menus besides Vantage, built once the pages they act through exist.
    TnvLineMenus* menus;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void makeMenu();
    void makeDeviceGroup();
    void setTabIcon(Page page, int index);
    void setTabText(Page page, const QString& text);
    void applyNotationToHints();
    void reportPlacement();
    // Holds painting back until the next frame; see the .cpp.
    void deferPainting();
    // Lets go of the control: nothing runs into it from here on.
    void detach();

    TnvLine* m_line;
    TnvVantage* m_vantage = nullptr;
    bool m_shownOnce = false;
    QTimer* m_paintTimer;
};
