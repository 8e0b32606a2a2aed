#pragma once

// The frame every inspector window of a control shares: the main menu with the Vantage
// menu and its DevEnv choice, the device group, the page control with the Log page
// first, and the window's lifetime (placement reported to the settings, the first show
// writing everything in the chosen notation, closing frees the window, context help).
// A window adds its own pages, menus and refresh operations.

#include "TnvPlacedWindow.h"

#include <QIcon>
#include <QList>

#include <array>
#include <initializer_list>

class QAction;
class QBoxLayout;
class QComboBox;
class QGroupBox;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolButton;
class QVBoxLayout;
class TnvLogPage;
class TnvSharedControl;

class TnvVantageForm : public TnvPlacedWindow {
    Q_OBJECT

public:
    // Tab icons come from one picture set; index 0 and 1 are the grey and red warnings.
    using TabIconFn = const QIcon& (*)(int index);

    // The window interface of the settings object; the placement is the base's.
    void selectLogPage() override;
    void selectInitialPage(bool logPage) override;
    void closeWindow() override;
    void refreshLogView() override;
    void refreshErrorDisplay() override;
    bool copyLogToClipboard() override;

    // Lights the error indicator and the red triangle on the Log tab.
    virtual void ShowError();

    // The DevEnv selection: checks the item, sets the notation, then the window writes
    // its panes, labels and hints in it.
    void selectDevEnv(TDevEnv env);

    // The icon index a tab of PageControl1 shows (-1 for none).
    int tabIconIndex(int page) const;

    QMenu* MenuVantage;
    QMenu* MenuDevEnv;
    // C++ Builder, Delphi, Visual Basic, Other.
    std::array<QAction*, 4> devEnvItems{};
    QGroupBox* GroupBoxDevice;
    QComboBox* ComboBoxDevice;
    QTabWidget* PageControl1;
    TnvLogPage* logPage;

protected:
    struct Frame {
        const char* objectName;
        const char* menuName;
        QMargins margins;
        int spacing;
        // The page control's smallest size.
        QSize pageMinimum;
        TabIconFn tabIcon;
    };

    TnvVantageForm(TnvSharedControl* control, const Frame& frame);

    // The control, or null once the window let go of it.
    TnvSharedControl* control() const { return m_control; }
    QMenuBar* mainMenu() const { return m_mainMenu; }

    struct DeviceButton {
        const char* name;
        QString hint;
        QIcon icon;
    };

    // The device group (flat two-state buttons, then the list of devices) and below it
    // the page control with the Log page.
    QList<QToolButton*> makeFrame(const QList<DeviceButton>& buttons, const QString& listHint);
    // Caption "Device.ID = ..    Device.Count = .." in the notation, and the list.
    void showDevices(int id, int count, const QStringList& names);

    // Adds a page; every tab starts without an icon.
    void addPage(QWidget* page, const QString& caption);
    // Puts the device group and the page control below the menu and sizes the window
    // so that the page control has the given size.
    void finishLayout(int pageWidth, int pageHeight);
    void setTabIcon(int page, int index);
    void setTabText(int page, const QString& text);

    // Writes the hint of each named child, converted to the notation.
    void setHint(std::initializer_list<const char*> names, const QString& text);

    // What the DevEnv selection refreshes and rewrites in this window.
    virtual void applyDevEnv() = 0;
    // Lets go of the control: nothing runs into it from here on.
    virtual void detach();

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    TnvSharedControl* m_control;
    TabIconFn m_tabIcon;
    QVBoxLayout* m_layout;
    QMenuBar* m_mainMenu;
    QSize m_pageMinimum;
    bool m_shownOnce = false;
};
