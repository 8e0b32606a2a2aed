#include "TnvLineAddressPage.h"

#include "TnvCallParametersBox.h"
#include "TnvDeferredArea.h"
#include "TnvEditRules.h"
#include "TnvQuietWriter.h"
#include "TnvTreeRows.h"

#include <TnvAddress.h>
#include <TnvAddressCaps.h>
#include <TnvAddressForward.h>
#include <TnvConstantTexts.h>
#include <TnvLine.h>
#include <TnvNotation.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTreeWidget* makeTree(const char* name, const QString& hint)
{
    auto* tree = new QTreeWidget;
    tree->setObjectName(QLatin1String(name));
    tree->setToolTip(hint);
    tree->setHeaderHidden(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return tree;
}

} // namespace

TnvLineAddressPage::TnvLineAddressPage(TnvLine* line, QWidget* parent)
    : QWidget(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("TabSheetAddress"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    GroupBoxAddress = new QGroupBox(this);
    GroupBoxAddress->setObjectName(QStringLiteral("GroupBoxAddress"));
    auto* groupLayout = new QHBoxLayout(GroupBoxAddress);
    groupLayout->setContentsMargins(4, 2, 4, 4);
    ComboBoxAddress = new QComboBox(GroupBoxAddress);
    ComboBoxAddress->setObjectName(QStringLiteral("ComboBoxAddress"));
    ComboBoxAddress->setToolTip(QStringLiteral("nvLine.Address.Name"));
    ComboBoxAddress->setEditable(true);
    ComboBoxAddress->setInsertPolicy(QComboBox::NoInsert);
    groupLayout->addWidget(ComboBoxAddress);
    layout->addWidget(GroupBoxAddress);

    PageControlAddress = new QTabWidget(this);
    PageControlAddress->setObjectName(QStringLiteral("PageControlAddress"));
    PageControlAddress->setDocumentMode(true);
    TreeViewAddressCaps = makeTree("TreeViewAddressCaps", QStringLiteral("nvLine.Address Capabilities"));
    PageControlAddress->addTab(TreeViewAddressCaps, QStringLiteral("Capabilities"));

    ScrollBoxAddressForward = new QScrollArea;
    ScrollBoxAddressForward->setObjectName(QStringLiteral("ScrollBoxAddressForward"));
    ScrollBoxAddressForward->setWidgetResizable(true);
    auto* forward = new QWidget;
    auto* form = new QFormLayout(forward);
    form->setContentsMargins(6, 6, 6, 6);
    form->setVerticalSpacing(3);
    CheckBoxAFActive = new QCheckBox(QStringLiteral("Active"), forward);
    CheckBoxAFActive->setObjectName(QStringLiteral("CheckBoxAFActive"));
    CheckBoxAFActive->setToolTip(QStringLiteral("nvLine.Address.Forward.Active"));
    form->addRow(CheckBoxAFActive);
    const auto addEdit = [&](const char* name, const char* label, bool readOnly) {
        auto* edit = new QLineEdit(forward);
        edit->setObjectName(QLatin1String(name));
        edit->setToolTip(QStringLiteral("nvLine.Address.Forward.") + QLatin1String(label));
        edit->setReadOnly(readOnly);
        form->addRow(QLatin1String(label), edit);
        return edit;
    };
    EditAFCaller = addEdit("EditAFCaller", "Caller", false);
    EditAFConsultCall = addEdit("EditAFConsultCall", "ConsultCall", true);
    EditAFMode = addEdit("EditAFMode", "Mode", false);
    EditAFNumForwardEntries = addEdit("EditAFNumForwardEntries", "NumForwardEntries", true);
    EditAFPhoneNumber = addEdit("EditAFPhoneNumber", "PhoneNumber", false);
    GroupBoxAFParamaters = new QGroupBox(QStringLiteral("Parameters"), forward);
    GroupBoxAFParamaters->setObjectName(QStringLiteral("GroupBoxAFParamaters"));
    auto* parametersLayout = new QVBoxLayout(GroupBoxAFParamaters);
    parametersLayout->setContentsMargins(0, 0, 0, 0);
    parameters = new TnvCallParametersBox(QStringLiteral("AFP"), QStringLiteral("Address.Forward.Parameters"), GroupBoxAFParamaters);
    parametersLayout->addWidget(parameters);
    form->addRow(GroupBoxAFParamaters);
    TnvAddressForward* fwd = line->Address()->Forward();
    parameters->attach(fwd->Parameters(), true);
    TnvEditRules::onListChange(ComboBoxAddress, [this](int index) { m_line->Address()->setID(index); });
    connect(CheckBoxAFActive, &QCheckBox::clicked, this, [fwd](bool checked) { fwd->setActive(checked); });
    TnvEditRules::onLeavingText(EditAFCaller, [fwd](const QString& text) { fwd->setCaller(text); });
    TnvEditRules::onLeavingText(EditAFPhoneNumber, [fwd](const QString& text) { fwd->setPhoneNumber(text); });
    TnvEditRules::onLeavingHex(
        EditAFMode, [fwd](quint32 value) { fwd->setMode(value); }, [fwd] { return fwd->Mode(); });
    ScrollBoxAddressForward->setWidget(forward);
    PageControlAddress->addTab(ScrollBoxAddressForward, QStringLiteral("Forward"));

    TreeViewAddressProperties = makeTree("TreeViewAddressProperties", QStringLiteral("nvLine.Address"));
    PageControlAddress->addTab(TreeViewAddressProperties, QStringLiteral("Properties"));
    PageControlAddress->setCurrentIndex(0);
    m_capsTree = new TnvDeferredArea(TreeViewAddressCaps, [this] { refreshCapsTree(); });
    m_propertiesTree = new TnvDeferredArea(TreeViewAddressProperties, [this] { refreshPropertiesTree(); });
    layout->addWidget(PageControlAddress, 1);
}

void TnvLineAddressPage::refresh()
{
    const TnvAddress* address = m_line->Address();
    TnvQuietWriter::setTitle(GroupBoxAddress, m_line->Vantage()->Notate(QStringLiteral("Address.ID = ") + QString::number(address->ID())
                                                                        + QStringLiteral("    Address.Count = ")
                                                                        + QString::number(address->Count())));
    TnvQuietWriter::setList(ComboBoxAddress, address->List(), address->Count() ? address->ID() : -1);
    const TnvAddressForward* forward = address->Forward();
    TnvQuietWriter::setChecked(CheckBoxAFActive, forward->Active());
    TnvQuietWriter::setText(EditAFCaller, forward->Caller());
    TnvQuietWriter::setText(EditAFConsultCall, TnvNotation::hex8(forward->ConsultCall()));
    TnvQuietWriter::setText(EditAFMode, TnvNotation::hex8(forward->Mode()));
    TnvQuietWriter::setText(EditAFNumForwardEntries, QString::number(forward->NumForwardEntries()));
    TnvQuietWriter::setText(EditAFPhoneNumber, forward->PhoneNumber());
    m_capsTree->refresh();
    m_propertiesTree->refresh();
}

void TnvLineAddressPage::flushTrees()
{
    m_capsTree->flush();
    m_propertiesTree->flush();
}

void TnvLineAddressPage::refreshParameters()
{
    parameters->refresh(m_line->Address()->Forward()->Parameters());
}

void TnvLineAddressPage::refreshCapsTree()
{
    const TnvAddressCaps* caps = m_line->Address()->Capabilities();
    TnvTreeRows rows(TreeViewAddressCaps, m_line->Vantage());
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Address.Capabilities"), true);
    rows.flags(root, QStringLiteral("BusyModes"), caps->BusyModes(), BusyModeText, 8, 1);
    rows.flags(root, QStringLiteral("CalledIDFlags"), caps->CalledIDFlags(), CallPartyIDText, 0x40, 1);
    rows.flags(root, QStringLiteral("CallerIDFlags"), caps->CallerIDFlags(), CallPartyIDText, 0x40, 1);
    rows.flags(root, QStringLiteral("CallFeatures"), caps->CallFeatures(), CallFeatureText, 0x80000000u, 1);
    rows.flags(root, QStringLiteral("CallFeatures2"), caps->CallFeatures2(), CallFeature2Text, 0x200, 1);
    rows.flags(root, QStringLiteral("CallInfoStates"), caps->CallInfoStates(), CallInfoStateText, 0x8000000, 1);
    rows.flags(root, QStringLiteral("CallStates"), caps->CallStates(), CallStateText, 0x8000, 1);
    rows.flags(root, QStringLiteral("Features"), caps->Features(), AddressFeatureText, 0x2000, 1);
    rows.flags(root, QStringLiteral("Flags"), caps->Flags(), AddressCapFlagsText, 0x400000, 1);
    rows.flags(root, QStringLiteral("ConnectedIDFlags"), caps->ConnectedIDFlags(), CallPartyIDText, 0x40, 1);
    rows.flags(root, QStringLiteral("ConnectedModes"), caps->ConnectedModes(), ConnectedModeText, 0x10, 1);
    rows.decimalRow(root, QStringLiteral("DevSpecificSize"), caps->DevSpecificSize());
    rows.hexRow(root, QStringLiteral("DevSpecific"), quint32(caps->DevSpecificSize()));
    rows.flags(root, QStringLiteral("DialtoneModes"), caps->DialtoneModes(), DialToneModeText, 0x20, 1);
    rows.flags(root, QStringLiteral("DisconnectModes"), caps->DisconnectModes(), DisconnectModeText, 0x1000, 1);
    rows.flags(root, QStringLiteral("ForwardModes"), caps->ForwardModes(), ForwardModeText, 0x20000, 1);
    rows.decimalRow(root, QStringLiteral("MaxForwardEntries"), caps->MaxForwardEntries());
    rows.decimalRow(root, QStringLiteral("MaxFwdNumRings"), caps->MaxFwdNumRings());
    rows.decimalRow(root, QStringLiteral("MaxNoAnswerTimeout"), caps->MaxNoAnswerTimeout());
    rows.decimalRow(root, QStringLiteral("MaxNumActiveCalls"), caps->MaxNumActiveCalls());
    rows.decimalRow(root, QStringLiteral("MaxNumOnHoldCalls"), caps->MaxNumOnHoldCalls());
    rows.decimalRow(root, QStringLiteral("MaxNumOnHoldPendingCalls"), caps->MaxNumOnHoldPendingCalls());
    rows.decimalRow(root, QStringLiteral("MaxNumConference"), caps->MaxNumConference());
    rows.decimalRow(root, QStringLiteral("MaxNumTransConf"), caps->MaxNumTransConf());
    rows.decimalRow(root, QStringLiteral("MaxSpecificEntries"), caps->MaxSpecificEntries());
    rows.decimalRow(root, QStringLiteral("MinFwdNumRings"), caps->MinFwdNumRings());
    rows.flags(root, QStringLiteral("OfferingModes"), caps->OfferingModes(), OfferingModeText, 2, 1);
    rows.flags(root, QStringLiteral("ParkModes"), caps->ParkModes(), ParkModeText, 2, 1);
    rows.flags(root, QStringLiteral("RedirectingIDFlags"), caps->RedirectingIDFlags(), CallPartyIDText, 0x40, 1);
    rows.flags(root, QStringLiteral("RedirectionIDFlags"), caps->RedirectionIDFlags(), CallPartyIDText, 0x40, 1);
    rows.steps(root, QStringLiteral("RemoveFromConfCaps"), caps->RemoveFromConfCaps(), RemoveFromConfText, 3, 1);
    rows.flags(root, QStringLiteral("RemoveFromConfState"), caps->RemoveFromConfState(), CallStateText, 0x8000, 1);
    rows.flags(root, QStringLiteral("SpecialInfo"), caps->SpecialInfo(), SpecialInfoText, 0x10, 1);
    rows.flags(root, QStringLiteral("States"), caps->States(), AddressStateText, 0x100, 1);
    rows.flags(root, QStringLiteral("TransferModes"), caps->TransferModes(), TransferModeText, 2, 1);
}

void TnvLineAddressPage::refreshPropertiesTree()
{
    const TnvAddress* address = m_line->Address();
    TnvTreeRows rows(TreeViewAddressProperties, m_line->Vantage());
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Address"), true);
    rows.flags(root, QStringLiteral("Features"), address->Features(), AddressFeatureText, 0x2000, 1);
    rows.decimalRow(root, QStringLiteral("NumActiveCalls"), address->NumActiveCalls());
    rows.decimalRow(root, QStringLiteral("NumInUse"), address->NumInUse());
    rows.decimalRow(root, QStringLiteral("NumOnHoldCalls"), address->NumOnHoldCalls());
    rows.decimalRow(root, QStringLiteral("NumOnHoldPendCalls"), address->NumOnHoldPendCalls());
    rows.decimalRow(root, QStringLiteral("NumRingsNoAnswer"), address->NumRingsNoAnswer());
}
