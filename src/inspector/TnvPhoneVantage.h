#pragma once

// The inspector window of a phone control: the device group over a page control with
// the Log, Handset, Headset, Speakerphone and Misc. pages. The control pushes every
// change through the refresh operations below while the window exists; a refresh only
// reads the control and writes its own widgets with their signals blocked, so it never
// calls back into the control.

#include <TnvPhoneView.h>
#include <TnvVantageWindow.h>

#include <QWidget>

#include <array>

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolButton;
class TnvHookSwitchPage;
class TnvLogPage;
class TnvPhone;
class TnvPhoneInfoPage;
class TnvPhoneMenus;

class TnvPhoneVantage : public QWidget, public TnvVantageWindow, public TnvPhoneView {
    Q_OBJECT

public:
    enum Page { PageLog, PageHandset, PageHeadset, PageSpeakerphone, PageInfo };

    explicit TnvPhoneVantage(TnvPhone* phone);
    ~TnvPhoneVantage() override;

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

    // The refresh operations the phone control calls.
    void RefreshDeviceButton() override;
    void RefreshDevice() override;
    void RefreshHandset() override;
    void RefreshHeadset() override;
    void RefreshSpeakerphone() override;
    void RefreshHookSwitches() override;
    void RefreshInfo() override;
    void ShowError();

    // The DevEnv selection: the notation, the panes written in it, labels and hints.
    void selectDevEnv(TDevEnv env);
    // Device > Active and its button: inverts Device.Active and shows the result.
    void toggleDeviceActive();

    // The icon index a tab of PageControl1 shows (-1 for none).
    int tabIconIndex(Page page) const;
    TnvHookSwitchPage* hookSwitchPage(Page page) const;

    QMenuBar* MainMenu1;
    QMenu* MenuVantage;
    QMenu* MenuDevEnv;
    // C++ Builder, Delphi, Visual Basic, Other.
    std::array<QAction*, 4> devEnvItems{};
    QGroupBox* GroupBoxDevice;
    QToolButton* SpeedButtonDeviceActive;
    QComboBox* ComboBoxDevice;
    QTabWidget* PageControl1;
    TnvLogPage* logPage;
    TnvHookSwitchPage* handsetPage;
    TnvHookSwitchPage* headsetPage;
    TnvHookSwitchPage* speakerphonePage;
    TnvPhoneInfoPage* infoPage;
    TnvPhoneMenus* menus;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void makeDeviceGroup();
    void refreshPage(Page page);
    void setTabIcon(Page page, int index);
    void applyNotationToHints();
    void reportPlacement();
    // Lets go of the control: nothing runs into it from here on.
    void detach();

    TnvPhone* m_phone;
    TnvVantage* m_vantage = nullptr;
    bool m_shownOnce = false;
};
