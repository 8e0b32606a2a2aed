#include "TnvLineTerminalPage.h"

#include "TnvDeferredArea.h"
#include "TnvEditRules.h"
#include "TnvQuietWriter.h"
#include "TnvSplitPanes.h"
#include "TnvTreeRows.h"

#include <TnvConstantTexts.h>
#include <TnvLine.h>
#include <TnvTerminal.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kModes[TnvLineTerminalPage::ModeCount] = {"BUTTONS",     "LAMPS",         "DISPLAY",      "RINGER",
                                                            "HOOKSWITCH",  "MEDIATOLINE",   "MEDIAFROMLINE", "MEDIABIDIRECT"};

} // namespace

TnvLineTerminalPage::TnvLineTerminalPage(TnvLine* line, QWidget* parent)
    : QWidget(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("TabSheetTerminal"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);

    GroupBoxTerminal = new QGroupBox(this);
    GroupBoxTerminal->setObjectName(QStringLiteral("GroupBoxTerminal"));
    auto* groupLayout = new QHBoxLayout(GroupBoxTerminal);
    groupLayout->setContentsMargins(4, 2, 4, 4);
    ComboBoxTerminal = new QComboBox(GroupBoxTerminal);
    ComboBoxTerminal->setObjectName(QStringLiteral("ComboBoxTerminal"));
    ComboBoxTerminal->setToolTip(QStringLiteral("nvLine.Terminal.Name"));
    ComboBoxTerminal->setEditable(true);
    ComboBoxTerminal->setInsertPolicy(QComboBox::NoInsert);
    groupLayout->addWidget(ComboBoxTerminal);
    layout->addWidget(GroupBoxTerminal);

    PanelTerminalTab = new QWidget(this);
    PanelTerminalTab->setObjectName(QStringLiteral("PanelTerminalTab"));
    TreeViewTerminal = new QTreeWidget;
    TreeViewTerminal->setObjectName(QStringLiteral("TreeViewTerminal"));
    TreeViewTerminal->setToolTip(QStringLiteral("nvLine.Terminal"));
    TreeViewTerminal->setHeaderHidden(true);
    TreeViewTerminal->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* modes = new QWidget;
    auto* grid = new QGridLayout(modes);
    grid->setContentsMargins(3, 4, 0, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    auto* heading = new QLabel(QStringLiteral("LINETERMMODE_"), modes);
    heading->setObjectName(QStringLiteral("LabelLINETERMMODE_"));
    grid->addWidget(heading, 0, 0, 1, 2);
    for (int i = 0; i < ModeCount; ++i) {
        const QString mode = QLatin1String(kModes[i]);
        auto* label = new QLabel(mode, modes);
        label->setObjectName(QStringLiteral("LabelLINETERMMODE_") + mode);
        auto* box = new QCheckBox(QStringLiteral("Active"), modes);
        box->setObjectName(QStringLiteral("CheckBoxLINETERMMODE_") + mode);
        box->setToolTip(QStringLiteral("nvLine.Terminal.ActiveModes LINETERMMODE_") + mode);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(box, i + 1, 1);
        modeLabels[std::size_t(i)] = label;
        modeBoxes[std::size_t(i)] = box;
    }
    grid->setRowStretch(ModeCount + 1, 1);
    TnvEditRules::onListChange(ComboBoxTerminal, [this](int index) { m_line->Terminal()->setID(index); });
    for (QCheckBox* box : modeBoxes)
        connect(box, &QCheckBox::clicked, this, [this] { applyModes(); });
    ScrollBoxTerminal = new QScrollArea;
    ScrollBoxTerminal->setObjectName(QStringLiteral("ScrollBoxTerminal"));
    ScrollBoxTerminal->setWidget(modes);
    SplitterTerminalTab =
        TnvSplitPanes::make(QStringLiteral("SplitterTerminalTab"), TreeViewTerminal, ScrollBoxTerminal, PanelTerminalTab);
    auto* panelLayout = new QVBoxLayout(PanelTerminalTab);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(SplitterTerminalTab);
    layout->addWidget(PanelTerminalTab, 1);
    m_tree = new TnvDeferredArea(TreeViewTerminal, [this] { refreshTree(); });
}

void TnvLineTerminalPage::refresh()
{
    const TnvTerminal* terminal = m_line->Terminal();
    TnvQuietWriter::setTitle(GroupBoxTerminal, m_line->Vantage()->Notate(QStringLiteral("Terminal.ID = ") + QString::number(terminal->ID())
                                                                         + QStringLiteral("    Terminal.Count = ")
                                                                         + QString::number(terminal->Count())));
    TnvQuietWriter::setList(ComboBoxTerminal, terminal->List(), terminal->Count() ? terminal->ID() : -1);
    m_tree->refresh();
    for (int i = 0; i < ModeCount; ++i) {
        const quint32 bit = 1u << i;
        const bool available = terminal->AvailableModes() & bit;
        modeLabels[std::size_t(i)]->setEnabled(available);
        modeBoxes[std::size_t(i)]->setEnabled(available);
        TnvQuietWriter::setChecked(modeBoxes[std::size_t(i)], terminal->ActiveModes() & bit);
    }
}

void TnvLineTerminalPage::flushTree()
{
    m_tree->flush();
}

void TnvLineTerminalPage::refreshTree()
{
    const TnvTerminal* terminal = m_line->Terminal();
    TnvTreeRows rows(TreeViewTerminal, m_line->Vantage());
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Terminal"), true);
    rows.flags(root, QStringLiteral("ActiveModes"), terminal->ActiveModes(), TermModeText, 0x80, 1);
    rows.flags(root, QStringLiteral("AvailableModes"), terminal->AvailableModes(), TermModeText, 0x80, 1);
    rows.flags(root, QStringLiteral("Device"), terminal->Device(), TermDevText, 4, 1);
    rows.flags(root, QStringLiteral("Sharing"), terminal->Sharing(), TermSharingText, 4, 1);
}

void TnvLineTerminalPage::applyModes()
{
    quint32 modes = 0;
    for (int i = 0; i < ModeCount; ++i) {
        if (modeBoxes[std::size_t(i)]->isChecked())
            modes |= 1u << i;
    }
    m_line->Terminal()->setActiveModes(modes);
    refresh();
}
