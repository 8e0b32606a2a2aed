#include "TnvCallerIDPanel.h"

#include "TnvDeferredArea.h"
#include "TnvQuietWriter.h"
#include "TnvSplitPanes.h"
#include "TnvTreeRows.h"
#include "TnvTreeWidgetNodes.h"

#include <TnvCall.h>
#include <TnvConstantTexts.h>
#include <TnvLine.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Column order on the page.
constexpr TnvCallerID::Party kColumnOrder[] = {TnvCallerID::Caller, TnvCallerID::Called, TnvCallerID::Connected,
                                               TnvCallerID::Redirecting, TnvCallerID::Redirection};
// Root order in the tree.
constexpr TnvCallerID::Party kRootOrder[] = {TnvCallerID::Called, TnvCallerID::Caller, TnvCallerID::Connected,
                                             TnvCallerID::Redirecting, TnvCallerID::Redirection};

// The mask hints name three parties by their short names.
QString maskHint(TnvCallerID::Party party)
{
    switch (party) {
    case TnvCallerID::Connected: return QStringLiteral("nvLine.Call.Connected.MaskNumber");
    case TnvCallerID::Redirecting: return QStringLiteral("nvLine.Call.Redirecting.MaskNumber");
    case TnvCallerID::Redirection: return QStringLiteral("nvLine.Call.Redirection.MaskNumber");
    default: return QStringLiteral("nvLine.Call.") + TnvCallerID::partName(party) + QStringLiteral(".MaskNumber");
    }
}

} // namespace

TnvCallerIDPanel::TnvCallerIDPanel(TnvLine* line, QWidget* parent)
    : QWidget(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("PanelCallerIDTab"));
    TreeViewCallerID = new QTreeWidget;
    TreeViewCallerID->setObjectName(QStringLiteral("TreeViewCallerID"));
    TreeViewCallerID->setHeaderHidden(true);
    TreeViewCallerID->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeViewCallerID->setToolTip(QStringLiteral("nvLine.Call.CallerID"));

    auto* columns = new QWidget;
    columns->setObjectName(QStringLiteral("PanelCallerIDControls"));
    auto* layout = new QVBoxLayout(columns);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    for (TnvCallerID::Party party : kColumnOrder) {
        const QString name = TnvCallerID::partName(party);
        PartyControls& c = parties[std::size_t(party)];
        c.formatName = new QCheckBox(name + QStringLiteral(".FormatName"), columns);
        c.formatName->setObjectName(QStringLiteral("CheckBoxFormat") + name);
        c.formatName->setToolTip(QStringLiteral("nvLine.Call.") + c.formatName->text());
        c.formatName->setChecked(true);
        c.maskLabel = new QLabel(name + QStringLiteral(". MaskNumber"), columns);
        c.maskLabel->setObjectName(QStringLiteral("Label") + name + QStringLiteral("FormatMask"));
        c.mask = new QLineEdit(QStringLiteral("000-000-0000;0;*"), columns);
        c.mask->setObjectName(QStringLiteral("Edit") + name + QStringLiteral("FormatMask"));
        c.mask->setToolTip(maskHint(party));
        c.maskLabel->setToolTip(c.mask->toolTip());
        c.eventFilter = new QCheckBox(name + QStringLiteral(".EventFilter"), columns);
        c.eventFilter->setObjectName(QStringLiteral("CheckBoxEventFilter") + name);
        c.eventFilter->setToolTip(QStringLiteral("nvLine.Call.") + c.eventFilter->text());
        c.eventFilter->setChecked(true);
        layout->addWidget(c.formatName);
        layout->addWidget(c.maskLabel);
        layout->addWidget(c.mask);
        layout->addWidget(c.eventFilter);
        layout->addSpacing(6);
    }
    layout->addStretch();

    // One handler per column: the sender's party takes the new setting.
    for (TnvCallerID::Party party : kColumnOrder) {
        PartyControls& c = parties[std::size_t(party)];
        connect(c.formatName, &QCheckBox::clicked, this, [this, party](bool checked) { partyOf(party)->setFormatName(checked); });
        connect(c.mask, &QLineEdit::textChanged, this, [this, party](const QString& text) { partyOf(party)->setMaskNumber(text); });
        connect(c.eventFilter, &QCheckBox::clicked, this, [this, party](bool checked) { partyOf(party)->setEventFilter(checked); });
    }

    ScrollBoxCallerID = new QScrollArea;
    ScrollBoxCallerID->setObjectName(QStringLiteral("ScrollBoxCallerID"));
    ScrollBoxCallerID->setWidget(columns);
    SplitterCallerIDTab = TnvSplitPanes::make(QStringLiteral("SplitterCallerIDTab"), TreeViewCallerID, ScrollBoxCallerID, this);
    m_tree = new TnvDeferredArea(TreeViewCallerID, [this] { refreshTree(); });
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(SplitterCallerIDTab);
}

void TnvCallerIDPanel::flushTree()
{
    m_tree->flush();
}

void TnvCallerIDPanel::refresh()
{
    m_tree->refresh();
    for (TnvCallerID::Party party : kColumnOrder) {
        const TnvCallerID* id = m_line->Call()->party(party);
        PartyControls& c = parties[std::size_t(party)];
        TnvQuietWriter::setChecked(c.eventFilter, id->EventFilter());
        TnvQuietWriter::setChecked(c.formatName, id->FormatName());
        TnvQuietWriter::setText(c.mask, id->MaskNumber());
    }
}

void TnvCallerIDPanel::refreshTree()
{
    TnvVantage* vantage = m_line->Vantage();
    TnvTreeRows rows(TreeViewCallerID, vantage);
    TnvTreeWidgetNodes nodes(TreeViewCallerID);
    for (TnvCallerID::Party party : kRootOrder) {
        const TnvCallerID* id = m_line->Call()->party(party);
        const QString name = TnvCallerID::partName(party);
        QTreeWidgetItem* root = nullptr;
        if (rows.building()) {
            root = rows.node(nullptr, name);
        } else {
            // Each root is found by its text, where it was built first; one that went
            // missing is skipped.
            for (int i = 0; !root && i < TreeViewCallerID->topLevelItemCount(); ++i) {
                if (TreeViewCallerID->topLevelItem(i)->text(0) == name)
                    root = TreeViewCallerID->topLevelItem(i);
            }
            if (!root) {
                const QList<QTreeWidgetItem*> found =
                    TreeViewCallerID->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
                if (found.isEmpty())
                    continue;
                root = found.first();
            }
        }
        const auto child = [&](int at, const QString& text) {
            const QString notated = vantage->Notate(text);
            if (QTreeWidgetItem* item = root->child(at)) {
                if (item->text(0) != notated)
                    item->setText(0, notated);
                return item;
            }
            return static_cast<QTreeWidgetItem*>(static_cast<TnvTreeWidgetItem*>(
                nodes.addChild(static_cast<TnvTreeWidgetItem*>(root), notated)));
        };
        child(0, QStringLiteral("Blocked = ") + TnvVantage::BoolText(id->Blocked()));
        auto* flags = static_cast<TnvTreeWidgetItem*>(root->child(1));
        if (!flags)
            vantage->AddFlagsNode(QStringLiteral("Flags"), id->Flags(), CallPartyIDText, static_cast<TnvTreeWidgetItem*>(root),
                                  nodes, 0x40, 1);
        else
            vantage->UpdateFlagsNode(QStringLiteral("Flags"), id->Flags(), CallPartyIDText, flags, nodes, 0x40, 1);
        child(2, QStringLiteral("Name = '") + id->Name() + QLatin1Char('\''));
        child(3, QStringLiteral("Number = '") + id->Number() + QLatin1Char('\''));
        child(4, QStringLiteral("OutOfArea = ") + TnvVantage::BoolText(id->OutOfArea()));
    }
}

TnvCallerID* TnvCallerIDPanel::partyOf(TnvCallerID::Party party) const
{
    const TnvCall* call = m_line->Call();
    switch (party) {
    case TnvCallerID::Called: return call->CalledID();
    case TnvCallerID::Connected: return call->ConnectedID();
    case TnvCallerID::Redirecting: return call->RedirectingID();
    case TnvCallerID::Redirection: return call->RedirectionID();
    default: return call->CallerID();
    }
}
