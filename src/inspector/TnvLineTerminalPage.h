#pragma once

// The Terminal page of the line inspector: the terminal group and list over the
// terminal tree and one label and "Active" check box per terminal mode.

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QScrollArea;
class QSplitter;
class QTreeWidget;
class TnvDeferredArea;
class TnvLine;

class TnvLineTerminalPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int ModeCount = 8;

    explicit TnvLineTerminalPage(TnvLine* line, QWidget* parent = nullptr);

    void refresh();
    void flushTree();

    QGroupBox* GroupBoxTerminal;
    QComboBox* ComboBoxTerminal;
    QWidget* PanelTerminalTab;
    QTreeWidget* TreeViewTerminal;
    QSplitter* SplitterTerminalTab;
    QScrollArea* ScrollBoxTerminal;
    // By mode bit order: BUTTONS 0x1 ... MEDIABIDIRECT 0x80.
    std::array<QLabel*, ModeCount> modeLabels{};
    std::array<QCheckBox*, ModeCount> modeBoxes{};

    // Terminal.ActiveModes from the boxes that are checked.
    void applyModes();

private:
    void refreshTree();

    TnvLine* m_line;
    TnvDeferredArea* m_tree = nullptr;
};
