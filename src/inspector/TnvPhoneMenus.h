#pragma once

// The main menu of the phone inspector besides the Vantage menu's DevEnv part: nvPhone,
// Device, Privilege, Popup, the rest of Vantage, and Help. Opening a menu only reads the
// control to set check marks and enabled states; clicking an item calls a setter or
// method of the control, so the trace shows it as a program's call would.

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class TnvPhone;
class TnvPhoneVantage;

class TnvPhoneMenus : public QObject {
    Q_OBJECT

public:
    TnvPhoneMenus(TnvPhoneVantage* window, TnvPhone* phone);

    // Builds the six menus on the bar in their order, the Vantage menu among them.
    void build(QMenuBar* bar, QMenu* vantage);

    QMenu* MenuNvPhone = nullptr;
    QMenu* MenuDevice = nullptr;
    QMenu* MenuDevicePrivilege = nullptr;
    QMenu* MenuPopup = nullptr;
    QMenu* MenuHelp = nullptr;

private:
    void makeNvPhone();
    void makeDevice();
    void makePopup();

    TnvPhoneVantage* m_window;
    TnvPhone* m_phone;
};
