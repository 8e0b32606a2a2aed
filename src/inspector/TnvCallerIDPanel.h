#pragma once

// The CallerID page of the call: a tree of the five party identifications of the
// current call beside the per-party settings (FormatName, MaskNumber, EventFilter).

#include <TnvCallerID.h>

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSplitter;
class QTreeWidget;
class TnvDeferredArea;
class TnvLine;

class TnvCallerIDPanel : public QWidget {
    Q_OBJECT

public:
    struct PartyControls {
        QCheckBox* formatName = nullptr;
        QLabel* maskLabel = nullptr;
        QLineEdit* mask = nullptr;
        QCheckBox* eventFilter = nullptr;
    };

    TnvCallerIDPanel(TnvLine* line, QWidget* parent = nullptr);

    void refresh();
    void flushTree();

    QTreeWidget* TreeViewCallerID;
    QSplitter* SplitterCallerIDTab;
    QScrollArea* ScrollBoxCallerID;
    // By TnvCallerID::Party.
    std::array<PartyControls, TnvCallerID::PartyCount> parties;

private:
    void refreshTree();
    TnvCallerID* partyOf(TnvCallerID::Party party) const;

    TnvLine* m_line;
    TnvDeferredArea* m_tree = nullptr;
};
