#include "TnvLineInfoPage.h"

#include "TnvDeferredArea.h"
#include "TnvEditRules.h"
#include "TnvQuietWriter.h"
#include "TnvTreeRows.h"

#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLine.h>
#include <TnvRelatedCommDevice.h>
#include <TnvRelatedPhoneDevice.h>
#include <TnvRelatedWaveDevice.h>
#include <TnvTAPI.h>
#include <TnvLineDeviceCaps.h>
#include <TnvMediaModes.h>
#include <TnvNotation.h>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

TnvLineInfoPage::TnvLineInfoPage(TnvLine* line, QWidget* parent)
    : QWidget(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("TabSheetInfo"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    PanelMiscTab = new QWidget(this);
    PanelMiscTab->setObjectName(QStringLiteral("PanelMiscTab"));
    layout->addWidget(PanelMiscTab);

    TreeViewInfo = new QTreeWidget;
    TreeViewInfo->setObjectName(QStringLiteral("TreeViewInfo"));
    TreeViewInfo->setToolTip(QStringLiteral("nvLine Information"));
    TreeViewInfo->setHeaderHidden(true);
    TreeViewInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* fields = new QWidget;
    auto* grid = new QVBoxLayout(fields);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setSpacing(1);
    const auto add = [&](const char* labelName, const char* editName, const QString& caption) {
        auto* label = new QLabel(caption, fields);
        label->setObjectName(QLatin1String(labelName));
        auto* edit = new QLineEdit(fields);
        edit->setObjectName(QLatin1String(editName));
        edit->setToolTip(QStringLiteral("nvLine.") + caption);
        label->setToolTip(edit->toolTip());
        grid->addWidget(label);
        grid->addWidget(edit);
        grid->addSpacing(3);
        return std::pair{label, edit};
    };
    std::tie(LabelCommDeviceClass, EditCommDeviceClass) =
        add("LabelCommDeviceClass", "EditCommDeviceClass", QStringLiteral("Comm.DeviceClass"));
    std::tie(LabelPhoneDeviceClass, EditInfoPhoneDeviceClass) =
        add("LabelPhoneDeviceClass", "EditInfoPhoneDeviceClass", QStringLiteral("Phone.DeviceClass"));
    std::tie(LabelWavePlayDeviceClass, EditInfoWavePlayDeviceClass) =
        add("LabelWavePlayDeviceClass", "EditInfoWavePlayDeviceClass", QStringLiteral("WavePlay.DeviceClass"));
    std::tie(LabelWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass) =
        add("LabelWaveRecordDeviceClass", "EditInfoWaveRecordDeviceClass", QStringLiteral("WaveRecord.DeviceClass"));
    EditTAPIExtensionHighVersion =
        add("LabelTAPIExtensionHighVersion", "EditTAPIExtensionHighVersion", QStringLiteral("TAPI.ExtensionHighVersion")).second;
    EditTAPIExtensionLowVersion =
        add("LabelTAPIExtensionLowVersion", "EditTAPIExtensionLowVersion", QStringLiteral("TAPI.ExtensionLowVersion")).second;
    EditTAPIHighVersion = add("LabelTAPIHighVersion", "EditTAPIHighVersion", QStringLiteral("TAPI.HighVersion")).second;
    EditTAPILowVersion = add("LabelTAPILowVersion", "EditTAPILowVersion", QStringLiteral("TAPI.LowVersion")).second;
    EditTAPIReplyTimeout = add("LabelTAPIReplyTimeout", "EditTAPIReplyTimeout", QStringLiteral("TAPI.ReplyTimeout")).second;
    grid->addStretch();

    // These act only on a text the user changed; refresh() writes the stored values back.
    const auto wire = [this](QLineEdit* edit, std::function<void(const QString&)> setter) {
        TnvEditRules::onLeavingIfModified(edit, std::move(setter), [this] { refresh(); });
    };
    TnvLine* l = m_line;
    wire(EditCommDeviceClass, [l](const QString& text) { l->Comm()->setDeviceClass(text); });
    wire(EditInfoPhoneDeviceClass, [l](const QString& text) { l->Phone()->setDeviceClass(text); });
    wire(EditInfoWavePlayDeviceClass, [l](const QString& text) { l->WavePlay()->setDeviceClass(text); });
    wire(EditInfoWaveRecordDeviceClass, [l](const QString& text) { l->WaveRecord()->setDeviceClass(text); });
    wire(EditTAPIExtensionHighVersion, [l](const QString& text) {
        l->TAPI()->setExtensionHighVersion(TnvEditRules::readHexOr(text, l->TAPI()->ExtensionHighVersion()));
    });
    wire(EditTAPIExtensionLowVersion, [l](const QString& text) {
        l->TAPI()->setExtensionLowVersion(TnvEditRules::readHexOr(text, l->TAPI()->ExtensionLowVersion()));
    });
    wire(EditTAPIHighVersion, [l](const QString& text) {
        l->TAPI()->setHighVersion(TnvEditRules::readHexOr(text, l->TAPI()->HighVersion()));
    });
    wire(EditTAPILowVersion, [l](const QString& text) {
        l->TAPI()->setLowVersion(TnvEditRules::readHexOr(text, l->TAPI()->LowVersion()));
    });
    wire(EditTAPIReplyTimeout, [l](const QString& text) {
        l->TAPI()->setReplyTimeout(TnvEditRules::readDecimalOr(text, l->TAPI()->ReplyTimeout()));
    });
    ScrollBoxInfo = new QScrollArea;
    ScrollBoxInfo->setObjectName(QStringLiteral("ScrollBoxInfo"));
    ScrollBoxInfo->setWidgetResizable(true);
    ScrollBoxInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBoxInfo->setWidget(fields);
    // The labels show whole; the tree gives up what they need beyond half.
    ScrollBoxInfo->setMinimumWidth(fields->minimumSizeHint().width() + 2 * ScrollBoxInfo->frameWidth()
                                   + ScrollBoxInfo->verticalScrollBar()->sizeHint().width());

    SplitterInfoTab = new QSplitter(Qt::Horizontal, PanelMiscTab);
    SplitterInfoTab->setObjectName(QStringLiteral("SplitterInfoTab"));
    SplitterInfoTab->addWidget(TreeViewInfo);
    SplitterInfoTab->addWidget(ScrollBoxInfo);
    SplitterInfoTab->setChildrenCollapsible(false);
    SplitterInfoTab->setStretchFactor(0, 1);
    SplitterInfoTab->setStretchFactor(1, 1);
    auto* panelLayout = new QVBoxLayout(PanelMiscTab);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(SplitterInfoTab);
    m_tree = new TnvDeferredArea(TreeViewInfo, [this] { refreshTree(); });
}

void TnvLineInfoPage::flushTree()
{
    m_tree->flush();
}

void TnvLineInfoPage::applyNotation()
{
    TnvVantage* vantage = m_line->Vantage();
    const std::pair<QLabel*, QLineEdit*> pairs[] = {{LabelCommDeviceClass, EditCommDeviceClass},
                                                    {LabelPhoneDeviceClass, EditInfoPhoneDeviceClass},
                                                    {LabelWavePlayDeviceClass, EditInfoWavePlayDeviceClass},
                                                    {LabelWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass}};
    const char* const names[] = {"Comm.DeviceClass", "Phone.DeviceClass", "WavePlay.DeviceClass", "WaveRecord.DeviceClass"};
    for (int i = 0; i < 4; ++i) {
        const QString name = QLatin1String(names[i]);
        pairs[i].first->setText(vantage->Notate(name));
        const QString hint = vantage->Notate(QStringLiteral("nvLine~") + name);
        pairs[i].first->setToolTip(hint);
        pairs[i].second->setToolTip(hint);
    }
    TreeViewInfo->setToolTip(vantage->Notate(QStringLiteral("nvLine Information")));
}

void TnvLineInfoPage::refresh()
{
    TnvQuietWriter::setText(EditCommDeviceClass, m_line->Comm()->DeviceClass());
    TnvQuietWriter::setText(EditInfoPhoneDeviceClass, m_line->Phone()->DeviceClass());
    TnvQuietWriter::setText(EditInfoWavePlayDeviceClass, m_line->WavePlay()->DeviceClass());
    TnvQuietWriter::setText(EditInfoWaveRecordDeviceClass, m_line->WaveRecord()->DeviceClass());
    const TnvTAPI* tapi = m_line->TAPI();
    TnvQuietWriter::setText(EditTAPIExtensionHighVersion, TnvNotation::hex8(tapi->ExtensionHighVersion()));
    TnvQuietWriter::setText(EditTAPIExtensionLowVersion, TnvNotation::hex8(tapi->ExtensionLowVersion()));
    TnvQuietWriter::setText(EditTAPIHighVersion, TnvNotation::hex8(tapi->HighVersion()));
    TnvQuietWriter::setText(EditTAPILowVersion, TnvNotation::hex8(tapi->LowVersion()));
    TnvQuietWriter::setText(EditTAPIReplyTimeout, QString::number(tapi->ReplyTimeout()));
    m_tree->refresh();
}

void TnvLineInfoPage::refreshTree()
{
    TnvTreeRows rows(TreeViewInfo, m_line->Vantage());

    const TnvRelatedCommDevice* comm = m_line->Comm();
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Comm"));
    rows.boolRow(root, QStringLiteral("Available"), comm->Available());
    rows.boolRow(root, QStringLiteral("Enabled"), comm->Enabled());
    rows.decimalRow(root, QStringLiteral("Handle"), comm->Handle());

    const TnvLineDevice* device = m_line->Device();
    const TnvLineDeviceCaps* caps = device->Capabilities();
    root = rows.node(nullptr, QStringLiteral("Device"));
    rows.decimalRow(root, QStringLiteral("ActiveCalls"), device->ActiveCalls());
    QTreeWidgetItem* node = rows.node(root, QStringLiteral("Capabilities"));
    rows.flags(node, QStringLiteral("AnswerMode"), caps->AnswerMode(), AnswerModeText, 4, 1);
    rows.flags(node, QStringLiteral("BearerModes"), caps->BearerModes(), BearerModeText, 0x40, 1);
    rows.flags(node, QStringLiteral("Flags"), caps->Flags(), DevCapFlagsText, 0x2000, 1);
    rows.flags(node, QStringLiteral("LineFeatures"), caps->LineFeatures(), LineFeatureText, 0x100, 1);
    rows.decimalRow(node, QStringLiteral("MaxNumActiveCalls"), caps->MaxNumActiveCalls());
    rows.decimalRow(node, QStringLiteral("RingModes"), caps->RingModes());
    rows.decimalRow(node, QStringLiteral("DevSpecificSize"), caps->DevSpecificSize());
    rows.hexRow(node, QStringLiteral("DevSpecific"), caps->devSpecificTag());
    rows.flags(node, QStringLiteral("States"), caps->States(), LineDevStateText, 0x1000000, 1);
    rows.flags(node, QStringLiteral("Tones"), caps->Tones(), ToneModeText, 0x10, 1);
    const TnvMediaModes* media = device->MediaModes();
    node = rows.node(root, QStringLiteral("MediaModes"));
    rows.flags(node, QStringLiteral("Active"), media->Active(), MediaModeText, 0x4000, 2);
    rows.flags(node, QStringLiteral("Available"), media->Available(), MediaModeText, 0x4000, 2);
    rows.flags(node, QStringLiteral("Open"), media->Open(), MediaModeText, 0x4000, 2);
    rows.decimalRow(root, QStringLiteral("OnHoldCalls"), device->OnHoldCalls());
    rows.decimalRow(root, QStringLiteral("OnHoldPendCalls"), device->OnHoldPendCalls());
    rows.decimalRow(root, QStringLiteral("OpenCount"), device->OpenCount());
    rows.decimalRow(root, QStringLiteral("RingMode"), device->RingMode());

    const TnvError* error = m_line->Error();
    root = rows.node(nullptr, QStringLiteral("Error"));
    rows.row(root, QStringLiteral("Hex = ") + error->Hex());
    rows.decimalRow(root, QStringLiteral("Number"), error->Number());
    rows.row(root, QStringLiteral("Text = ") + error->Text());

    root = rows.node(nullptr, QStringLiteral("Line"));
    rows.hexRow(root, QStringLiteral("AppHandle"), m_line->Line()->AppHandle());
    rows.hexRow(root, QStringLiteral("Handle"), m_line->Line()->Handle());

    root = rows.node(nullptr, QStringLiteral("Phone"));
    rows.boolRow(root, QStringLiteral("Available"), m_line->Phone()->Available());
    rows.decimalRow(root, QStringLiteral("ID"), m_line->Phone()->ID());

    const TnvTAPI* tapi = m_line->TAPI();
    root = rows.node(nullptr, QStringLiteral("TAPI"));
    rows.hexRow(root, QStringLiteral("ExtensionID0"), tapi->ExtensionID0());
    rows.hexRow(root, QStringLiteral("ExtensionID1"), tapi->ExtensionID1());
    rows.hexRow(root, QStringLiteral("ExtensionID2"), tapi->ExtensionID2());
    rows.hexRow(root, QStringLiteral("ExtensionID3"), tapi->ExtensionID3());
    rows.hexRow(root, QStringLiteral("ExtensionHighVersion"), tapi->ExtensionHighVersion());
    rows.hexRow(root, QStringLiteral("ExtensionLowVersion"), tapi->ExtensionLowVersion());
    rows.hexRow(root, QStringLiteral("ExtensionVersion"), tapi->ExtensionVersion());
    rows.hexRow(root, QStringLiteral("HighVersion"), tapi->HighVersion());
    rows.hexRow(root, QStringLiteral("LowVersion"), tapi->LowVersion());
    rows.decimalRow(root, QStringLiteral("ReplyTimeout"), tapi->ReplyTimeout());
    rows.row(root, QStringLiteral("TSP = '") + tapi->TSP() + QLatin1Char('\''));
    rows.hexRow(root, QStringLiteral("Version"), tapi->Version());

    for (const TnvRelatedWaveDevice* wave : {m_line->WavePlay(), m_line->WaveRecord()}) {
        root = rows.node(nullptr, wave == m_line->WavePlay() ? QStringLiteral("WavePlay") : QStringLiteral("WaveRecord"));
        rows.boolRow(root, QStringLiteral("Available"), wave->Available());
        rows.decimalRow(root, QStringLiteral("ID"), wave->ID());
    }
}
