#pragma once

// The Misc. page of the line inspector: the information tree (related devices, device,
// last error, line handles, telephony versions) beside the device-class and version
// edits.

#include "TnvInfoPage.h"

class TnvDeferredArea;
class TnvLine;

class TnvLineInfoPage : public TnvInfoPage {
    Q_OBJECT

public:
    explicit TnvLineInfoPage(TnvLine* line, QWidget* parent = nullptr);

    void refresh() override;
    void flushTree();
    // Label captions and hints in the log's notation.
    void applyNotation();

    QLabel* LabelCommDeviceClass;
    QLineEdit* EditCommDeviceClass;
    QLabel* LabelPhoneDeviceClass;
    QLineEdit* EditInfoPhoneDeviceClass;
    QLabel* LabelWavePlayDeviceClass;
    QLineEdit* EditInfoWavePlayDeviceClass;
    QLabel* LabelWaveRecordDeviceClass;
    QLineEdit* EditInfoWaveRecordDeviceClass;

private:
    void refreshTree();

    TnvLine* m_line;
    TnvDeferredArea* m_tree = nullptr;
};
