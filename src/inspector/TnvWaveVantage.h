#pragma once

// What the wave-play and wave-record windows share: the device group with the Active,
// Inactive and Pause buttons, the Source page with its Source, Source.Buffer and
// Source.Format pages, the nvPlay/nvRecord, PopUp, Vantage and Help menus, and the
// file-name box with its history. The play and record windows add their own pages,
// their Device menu and the rules by which their file dialogs start.

#include "TnvVantageForm.h"

#include <QKeySequence>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class TnvWaveBufferPage;
class TnvWaveControl;
class TnvWaveDevice;
class TnvWaveFormatPage;
class TnvWavePopup;
struct TnvFileRequest;

class TnvWaveVantage : public TnvVantageForm {
    Q_OBJECT

public:
    // The window opens on Source unless asked for Log or the source is usable.
    void selectInitialPage(bool logPage) override;
    // The control changed its source from within (a buffer chosen, loaded or cut).
    void refreshInfo() override;

    // Active down while the device runs, Inactive down otherwise, Pause down while paused.
    void RefreshButtons();
    void RefreshSourceFile();
    void RefreshMaxSize();
    void RefreshBuffer();

    // Device > Active: what the window does before and after the control changes.
    virtual void toggleDeviceActive() = 0;
    virtual void toggleDevicePause() = 0;

    QMenuBar* MainMenu1;
    QToolButton* SpeedButtonActive;
    QToolButton* SpeedButtonInactive;
    QToolButton* SpeedButtonPause;
    QWidget* TabSheetSource;
    QTabWidget* PageControlSource;
    QWidget* TabSheetSourceMain;
    QComboBox* ComboBoxFileName;
    QToolButton* SpeedButtonFileSelect;
    QLabel* LabelMaxSize;
    QLineEdit* EditMaxSize;
    QLabel* LabelSourceValid;
    QLineEdit* EditSourceValid;
    TnvWaveBufferPage* bufferPage;
    TnvWaveFormatPage* formatPage;

    QMenu* MenuNvControl = nullptr;
    QAction* MenuEnabled = nullptr;
    QMenu* MenuDevice = nullptr;
    QAction* MenuDeviceActive = nullptr;
    QAction* MenuDeviceCODECsEnabled = nullptr;
    QAction* MenuDevicePause = nullptr;
    QMenu* MenuPopUp = nullptr;
    QMenu* MenuHelp = nullptr;

protected:
    // The device and pop-up settings are the control's own sub-objects.
    TnvWaveVantage(TnvWaveControl* control, TnvWaveDevice* device, TnvWavePopup* popup, const char* objectName,
                   bool editableFormat);

    TnvWaveControl* waveControl() const { return m_wave; }
    bool deviceActive() const;
    bool devicePause() const;
    virtual void setDeviceID(int id) = 0;
    // Opening the menus: the marks of the Device menu.
    virtual void deviceMenuOpening() = 0;
    // The file selections of the Source page's and the buffer page's speed buttons.
    virtual void selectSourceFile() = 0;
    virtual void chooseBufferFiles(QComboBox* box, bool load) = 0;

    // The Source page as the page control's page; the window adds it among its pages.
    void makeSourcePages();
    // The menus in their order; items of the Device menu come from the window. Pop-up
    // items listed in inert show without action.
    void makeMenus(const QStringList& popupEvents, const QStringList& inert);
    QAction* addDeviceItem(const char* name, const QString& caption, const QKeySequence& shortcut = {});
    // Asks through the host services; the full paths chosen, none when cancelled.
    static QStringList askForFiles(const TnvFileRequest& request);
    // The hints of the parts both windows have, in the control's name.
    void applySharedHints();
    // Device.ID and Device.Count in the device group's caption, the names in its list.
    void showDeviceList();
    void detach() override;

private:
    TnvWaveControl* m_wave;
    TnvWaveDevice* m_device;
    TnvWavePopup* m_popup;
};
