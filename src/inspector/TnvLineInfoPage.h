#pragma once

// The Misc. page of the line inspector: the information tree (related devices, device,
// last error, line handles, telephony versions) beside the device-class and version
// edits.

#include <QWidget>

class QLabel;
class QLineEdit;
class QScrollArea;
class QSplitter;
class QTreeWidget;
class TnvDeferredArea;
class TnvLine;

class TnvLineInfoPage : public QWidget {
    Q_OBJECT

public:
    explicit TnvLineInfoPage(TnvLine* line, QWidget* parent = nullptr);

    void refresh();
    void flushTree();
    // Label captions and hints in the log's notation.
    void applyNotation();

    QWidget* PanelMiscTab;
    QTreeWidget* TreeViewInfo;
    QSplitter* SplitterInfoTab;
    QScrollArea* ScrollBoxInfo;
    QLabel* LabelCommDeviceClass;
    QLineEdit* EditCommDeviceClass;
    QLabel* LabelPhoneDeviceClass;
    QLineEdit* EditInfoPhoneDeviceClass;
    QLabel* LabelWavePlayDeviceClass;
    QLineEdit* EditInfoWavePlayDeviceClass;
    QLabel* LabelWaveRecordDeviceClass;
    QLineEdit* EditInfoWaveRecordDeviceClass;
    QLineEdit* EditTAPIExtensionHighVersion;
    QLineEdit* EditTAPIExtensionLowVersion;
    QLineEdit* EditTAPIHighVersion;
    QLineEdit* EditTAPILowVersion;
    QLineEdit* EditTAPIReplyTimeout;

private:
    void refreshTree();

    TnvLine* m_line;
    TnvDeferredArea* m_tree = nullptr;
};
