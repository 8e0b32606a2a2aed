#pragma once

// The inspector window of a wave-record control: the device group with the Active,
// Inactive and Pause buttons over the Log, Device (block length, delay, trim) and Source
// (Source, Source.Buffer, Source.Format) pages. The Source.Format page sets the format
// the control records in. The control pushes every change through the refresh
// operations below while the window exists.

#include "TnvWaveVantage.h"

#include <TnvRecordView.h>

class TnvRecord;

class TnvRecordVantage : public TnvWaveVantage, public TnvRecordView {
    Q_OBJECT

public:
    enum Page { PageLog, PageDevice, PageSource };

    explicit TnvRecordVantage(TnvRecord* record);

    void fillPanes() override;

    // The refresh operations the record control calls.
    void RefreshDevice() override;
    void RefreshDeviceMenu() override;
    void RefreshButtons() override { TnvWaveVantage::RefreshButtons(); }
    void RefreshBuffer() override { TnvWaveVantage::RefreshBuffer(); }
    void RefreshFormat() override;
    void RefreshFormatSize() override;
    void RefreshSourceFile() override { TnvWaveVantage::RefreshSourceFile(); }
    void RefreshMaxSize() override { TnvWaveVantage::RefreshMaxSize(); }

    void toggleDeviceActive() override;
    void toggleDevicePause() override;

    QAction* MenuDeviceAppend = nullptr;

    QWidget* TabSheetDevice;
    QLabel* LabelBuffer;
    QLineEdit* EditBuffer;
    QLabel* LabelDelay;
    QLineEdit* EditDelay;
    QLabel* LabelTrim;
    QLineEdit* EditTrim;

protected:
    void setDeviceID(int id) override;
    void deviceMenuOpening() override;
    void selectSourceFile() override;
    void chooseBufferFiles(QComboBox* box, bool load) override;
    void applyDevEnv() override;
    void detach() override;

private:
    void makeDevicePage();
    void makeDeviceMenu();
    void applyPauseHint();

    TnvRecord* m_record;
};
