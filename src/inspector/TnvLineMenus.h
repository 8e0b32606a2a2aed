#pragma once

// The main menu of the line inspector besides the Vantage menu: nvLine, Device, Call,
// Comm, Conference, Popup, Privilege, Transfer and Help. Opening a menu only reads
// the control to set check marks and enabled states; clicking an item calls a setter
// or method of the control, so the trace shows it as a program's call would.

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class TnvLine;
class TnvLineVantage;
class TnvMenuColumns;

class TnvLineMenus : public QObject {
    Q_OBJECT

public:
    TnvLineMenus(TnvLineVantage* window, TnvLine* line);

    // Builds the menus around the Vantage menu, in their order on the bar.
    void build(QMenuBar* bar, QMenu* vantage);

    // Fills parent with the fifteen media-mode items from position start, creating
    // them the first time and reusing them after. enabledSet -1 enables every mode.
    void MakeMediaModeMenu(QMenu* parent, int start, bool usable, quint32 checkedSet, qint64 enabledSet);

    QMenu* MenuNvLine = nullptr;
    QMenu* MenuDevice = nullptr;
    QMenu* MenuDeviceMediaMode = nullptr;
    QMenu* MenuCall = nullptr;
    QMenu* MenuCallMediaMode = nullptr;
    QMenu* MenuCallMonitorMediaModes = nullptr;
    QMenu* MenuComm = nullptr;
    QMenu* MenuConference = nullptr;
    QMenu* MenuPopup = nullptr;
    // The Popup menu's 41 event items, in two columns.
    TnvMenuColumns* MenuPopupItems = nullptr;
    QMenu* MenuDevicePrivilege = nullptr;
    QMenu* MenuTransfer = nullptr;
    QMenu* MenuHelp = nullptr;

private:
    QAction* item(QMenu* menu, const char* name, const QString& caption, bool checkable = false);
    void makeNvLine();
    void makeDevice();
    void makeCall();
    void makeOthers();
    void makePopup();
    void makeHelp();
    void addVantageItems(QMenu* vantage);
    void mediaModeClicked(QAction* action);

    TnvLineVantage* m_window;
    TnvLine* m_line;
};
