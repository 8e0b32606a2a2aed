#pragma once

// The Address page of the line inspector: the address group and list over the
// address's capabilities tree, its forwarding settings and its status tree.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QScrollArea;
class QTabWidget;
class QTreeWidget;
class TnvCallParametersBox;
class TnvDeferredArea;
class TnvLine;

class TnvLineAddressPage : public QWidget {
    Q_OBJECT

public:
    explicit TnvLineAddressPage(TnvLine* line, QWidget* parent = nullptr);

    void refresh();
    void refreshParameters();
    void flushTrees();

    QGroupBox* GroupBoxAddress;
    QComboBox* ComboBoxAddress;
    QTabWidget* PageControlAddress;
    QTreeWidget* TreeViewAddressCaps;
    QScrollArea* ScrollBoxAddressForward;
    QCheckBox* CheckBoxAFActive;
    QLineEdit* EditAFCaller;
    QLineEdit* EditAFConsultCall;
    QLineEdit* EditAFMode;
    QLineEdit* EditAFNumForwardEntries;
    QLineEdit* EditAFPhoneNumber;
    QGroupBox* GroupBoxAFParamaters;
    TnvCallParametersBox* parameters;
    QTreeWidget* TreeViewAddressProperties;

private:
    void refreshCapsTree();
    void refreshPropertiesTree();

    TnvLine* m_line;
    TnvDeferredArea* m_capsTree = nullptr;
    TnvDeferredArea* m_propertiesTree = nullptr;
};
