#pragma once

// The Misc. page of the phone inspector: the information tree (device, last error,
// attached line, phone handles, telephony versions, wave devices) beside the
// device-class and version edits.

#include <QWidget>

class QLabel;
class QLineEdit;
class QScrollArea;
class QSplitter;
class QTreeWidget;
class TnvPhone;

class TnvPhoneInfoPage : public QWidget {
    Q_OBJECT

public:
    explicit TnvPhoneInfoPage(TnvPhone* phone, QWidget* parent = nullptr);

    // The edits from the stored values, then the tree.
    void refresh();
    // Label captions and hints in the log's notation.
    void applyNotation();
    // Forgets the control, whose window is going: a late focus change acts on nothing.
    void detach() { m_phone = nullptr; }

    QWidget* PanelMiscTab;
    QTreeWidget* TreeViewInfo;
    QSplitter* SplitterInfoTab;
    QScrollArea* ScrollBoxInfo;
    QLabel* LabelInfoLineDeviceClass;
    QLineEdit* EditInfoLineDeviceClass;
    QLineEdit* EditTAPIExtensionHighVersion;
    QLineEdit* EditTAPIExtensionLowVersion;
    QLineEdit* EditTAPIHighVersion;
    QLineEdit* EditTAPILowVersion;
    QLineEdit* EditTAPIReplyTimeout;
    QLabel* LabelInfoWavePlayDeviceClass;
    QLineEdit* EditInfoWavePlayDeviceClass;
    QLabel* LabelInfoWaveRecordDeviceClass;
    QLineEdit* EditInfoWaveRecordDeviceClass;

private:
    void refreshTree();

    TnvPhone* m_phone;
};
