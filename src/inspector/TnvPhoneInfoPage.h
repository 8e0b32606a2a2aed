#pragma once

// The Misc. page of the phone inspector: the information tree (device, last error,
// attached line, phone handles, telephony versions, wave devices) beside the
// device-class and version edits.

#include "TnvInfoPage.h"

class TnvPhone;

class TnvPhoneInfoPage : public TnvInfoPage {
    Q_OBJECT

public:
    explicit TnvPhoneInfoPage(TnvPhone* phone, QWidget* parent = nullptr);

    void refresh() override;
    // Label captions and hints in the log's notation.
    void applyNotation();

    QLabel* LabelInfoLineDeviceClass;
    QLineEdit* EditInfoLineDeviceClass;
    QLabel* LabelInfoWavePlayDeviceClass;
    QLineEdit* EditInfoWavePlayDeviceClass;
    QLabel* LabelInfoWaveRecordDeviceClass;
    QLineEdit* EditInfoWaveRecordDeviceClass;

private:
    void refreshTree();

    TnvPhone* m_phone;
};
