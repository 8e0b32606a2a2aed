#pragma once

// The menu items every inspector window shares: the DevEnv choice and the Events,
// StayOnTop and Visible items of the Vantage menu, and the Help menu. They act on the
// control's settings object only.

#include <TnvTypes.h>

#include <array>
#include <functional>

class QAction;
class QMenu;
class QObject;
class QWidget;
class TnvVantage;

class TnvVantageMenus {
public:
    // Adds the DevEnv submenu with C++ Builder, Delphi, Visual Basic, a divider and Other;
    // clicking one runs select. Opening the submenu checks the item of the current DevEnv.
    static QMenu* addDevEnvMenu(QMenu* vantage, TnvVantage* settings, QObject* context,
                                std::function<void(TDevEnv)> select, std::array<QAction*, 4>& items);
    // Events, StayOnTop and Visible, checked from the settings whenever the menu opens.
    static void addVantageItems(QMenu* vantage, TnvVantage* settings, QObject* context);
    // Contents, support, home page, updates and About.
    static void fillHelp(QMenu* help, TnvVantage* settings, QWidget* window);
    // The DevEnv items' order.
    static TDevEnv devEnvAt(int index);
};
