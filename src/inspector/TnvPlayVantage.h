#pragma once

// The inspector window of a wave-play control: the device group with the Active,
// Inactive and Pause buttons over the Log, Position, Source (Source, Source.Buffer,
// Source.Format), Volume and Misc. pages. The control pushes every change through the
// refresh operations below while the window exists; a refresh only reads the control
// and writes its own widgets with their signals blocked.

#include "TnvWaveVantage.h"

#include <TnvPlayView.h>

class QButtonGroup;
class QCheckBox;
class QProgressBar;
class QTimer;
class TnvPlay;

class TnvPlayVantage : public TnvWaveVantage, public TnvPlayView {
    Q_OBJECT

public:
    enum Page { PageLog, PagePosition, PageSource, PageVolume, PageMisc };

    explicit TnvPlayVantage(TnvPlay* play);

    void fillPanes() override;

    // The refresh operations the play control calls.
    void RefreshDevice() override;
    void RefreshDeviceMenu() override;
    void RefreshButtons() override { TnvWaveVantage::RefreshButtons(); }
    void RefreshVolume() override;
    void RefreshPosition() override;
    void RefreshSourceFile() override { TnvWaveVantage::RefreshSourceFile(); }
    void RefreshMaxSize() override { TnvWaveVantage::RefreshMaxSize(); }
    void RefreshFormat() override;
    void RefreshBuffer() override { TnvWaveVantage::RefreshBuffer(); }
    void RefreshTimerEnabled() override;
    void RefreshTimerInterval() override;

    void toggleDeviceActive() override;
    void toggleDevicePause() override;
    // The fast-forward and rewind buttons: the position moved by the step in its box.
    void stepByte(int direction);
    void stepSecond(int direction);
    void stepPercent(int direction);

    QAction* MenuDeviceLoop = nullptr;
    QAction* MenuDeviceWait = nullptr;

    QWidget* TabSheetPosition;
    QLabel* LabelLabelPositionByte;
    QLineEdit* EditPositionByte;
    QToolButton* SpeedButtonPositionByteRewind;
    QLineEdit* EditPositionByteFFRW;
    QToolButton* SpeedButtonPositionByteFastForward;
    QLabel* LabelLabelPositionSecond;
    QLineEdit* EditPositionSecond;
    QToolButton* SpeedButtonPositionSecondRewind;
    QLineEdit* EditPositionSecondFFRW;
    QToolButton* SpeedButtonSecondByteFastForward;
    QLabel* LabelPositionPercent;
    QLineEdit* EditPositionPercent;
    QProgressBar* ProgressBarPositionPercent;
    QToolButton* SpeedButtonPositionPercentRewind;
    QLineEdit* EditPositionPercentFFRW;
    QToolButton* SpeedButtonPositionPercentFastForward;

    QWidget* TabSheetVolume;
    QCheckBox* CheckBoxVolumeEnabled;
    QCheckBox* CheckBoxVolumeDefault;
    QCheckBox* CheckBoxVolumeReset;
    QLabel* LabelVolumePosition;
    QLineEdit* EditVolumePosition;

    QWidget* TabSheetMisc;
    QLabel* LabelDelay;
    QLineEdit* EditDelay;
    QCheckBox* CheckBoxTimerEnabled;
    QLabel* LabelTimerInterval;
    QLineEdit* EditTimerInterval;

protected:
    void setDeviceID(int id) override;
    void deviceMenuOpening() override;
    void selectSourceFile() override;
    void chooseBufferFiles(QComboBox* box, bool load) override;
    void applyDevEnv() override;
    void detach() override;

private:
    void makePositionPage();
    void makeVolumePage();
    void makeMiscPage();
    void makeDeviceMenu();

    TnvPlay* m_play;
    QButtonGroup* m_stepButtons;
    // Refreshes the Position page while the sound plays.
    QTimer* m_positionTicker = nullptr;
};
