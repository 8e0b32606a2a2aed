#include "TnvPhoneInfoPage.h"

#include "TnvEditRules.h"
#include "TnvQuietWriter.h"
#include "TnvTreeRows.h"

#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvNotation.h>
#include <TnvPhone.h>
#include <TnvVantage.h>

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

TnvPhoneInfoPage::TnvPhoneInfoPage(TnvPhone* phone, QWidget* parent)
    : QWidget(parent)
    , m_phone(phone)
{
    setObjectName(QStringLiteral("TabSheetInfo"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    PanelMiscTab = new QWidget(this);
    PanelMiscTab->setObjectName(QStringLiteral("PanelMiscTab"));
    layout->addWidget(PanelMiscTab);

    TreeViewInfo = new QTreeWidget;
    TreeViewInfo->setObjectName(QStringLiteral("TreeViewInfo"));
    TreeViewInfo->setToolTip(QStringLiteral("nvPhone Information"));
    TreeViewInfo->setHeaderHidden(true);
    TreeViewInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* fields = new QWidget;
    auto* column = new QVBoxLayout(fields);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSpacing(1);
    const auto add = [&](const QString& labelName, const QString& editName, const QString& caption) {
        auto* label = new QLabel(caption, fields);
        label->setObjectName(labelName);
        auto* edit = new QLineEdit(fields);
        edit->setObjectName(editName);
        edit->setToolTip(QStringLiteral("nvPhone.") + caption);
        label->setToolTip(edit->toolTip());
        column->addWidget(label);
        column->addWidget(edit);
        column->addSpacing(3);
        return std::pair{label, edit};
    };
    const auto tapiEdit = [&](const char* member) {
        const QString name = QLatin1String(member);
        return add(QStringLiteral("LabelTAPI") + name, QStringLiteral("EditTAPI") + name, QStringLiteral("TAPI.") + name).second;
    };
    std::tie(LabelInfoLineDeviceClass, EditInfoLineDeviceClass) =
        add(QStringLiteral("LabelInfoLineDeviceClass"), QStringLiteral("EditInfoLineDeviceClass"), QStringLiteral("Line.DeviceClass"));
    EditTAPIExtensionHighVersion = tapiEdit("ExtensionHighVersion");
    EditTAPIExtensionLowVersion = tapiEdit("ExtensionLowVersion");
    EditTAPIHighVersion = tapiEdit("HighVersion");
    EditTAPILowVersion = tapiEdit("LowVersion");
    EditTAPIReplyTimeout = tapiEdit("ReplyTimeout");
    std::tie(LabelInfoWavePlayDeviceClass, EditInfoWavePlayDeviceClass) = add(
        QStringLiteral("LabelInfoWavePlayDeviceClass"), QStringLiteral("EditInfoWavePlayDeviceClass"), QStringLiteral("WavePlay.DeviceClass"));
    std::tie(LabelInfoWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass) =
        add(QStringLiteral("LabelInfoWaveRecordDeviceClass"), QStringLiteral("EditInfoWaveRecordDeviceClass"),
            QStringLiteral("WaveRecord.DeviceClass"));
    column->addStretch();

    // These act only on a text the user changed; refresh() writes the stored values back,
    // so a text that is no number shows the kept value again.
    const auto wire = [this](QLineEdit* edit, std::function<void(const QString&)> setter) {
        TnvEditRules::onLeavingIfModified(
            edit,
            [this, setter = std::move(setter)](const QString& text) {
                if (m_phone)
                    setter(text);
            },
            [this] {
                if (m_phone)
                    refresh();
            });
    };
    TnvPhone* p = m_phone;
    TnvTAPI* tapi = p->TAPI();
    wire(EditInfoLineDeviceClass, [p](const QString& text) { p->Line()->setDeviceClass(text); });
    wire(EditInfoWavePlayDeviceClass, [p](const QString& text) { p->WavePlay()->setDeviceClass(text); });
    wire(EditInfoWaveRecordDeviceClass, [p](const QString& text) { p->WaveRecord()->setDeviceClass(text); });
    wire(EditTAPIExtensionHighVersion, [tapi](const QString& text) {
        tapi->setExtensionHighVersion(TnvEditRules::readHexOr(text, tapi->ExtensionHighVersion()));
    });
    wire(EditTAPIExtensionLowVersion, [tapi](const QString& text) {
        tapi->setExtensionLowVersion(TnvEditRules::readHexOr(text, tapi->ExtensionLowVersion()));
    });
    wire(EditTAPIHighVersion,
         [tapi](const QString& text) { tapi->setHighVersion(TnvEditRules::readHexOr(text, tapi->HighVersion())); });
    wire(EditTAPILowVersion,
         [tapi](const QString& text) { tapi->setLowVersion(TnvEditRules::readHexOr(text, tapi->LowVersion())); });
    wire(EditTAPIReplyTimeout,
         [tapi](const QString& text) { tapi->setReplyTimeout(TnvEditRules::readDecimalOr(text, tapi->ReplyTimeout())); });

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
}

void TnvPhoneInfoPage::applyNotation()
{
    TnvVantage* vantage = m_phone->Vantage();
    const std::pair<QLabel*, QLineEdit*> pairs[] = {{LabelInfoLineDeviceClass, EditInfoLineDeviceClass},
                                                    {LabelInfoWavePlayDeviceClass, EditInfoWavePlayDeviceClass},
                                                    {LabelInfoWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass}};
    const char* const names[] = {"Line.DeviceClass", "WavePlay.DeviceClass", "WaveRecord.DeviceClass"};
    for (int i = 0; i < 3; ++i) {
        const QString name = QLatin1String(names[i]);
        pairs[i].first->setText(vantage->Notate(name));
        const QString hint = vantage->Notate(QStringLiteral("nvPhone~") + name);
        pairs[i].first->setToolTip(hint);
        pairs[i].second->setToolTip(hint);
    }
}

void TnvPhoneInfoPage::refresh()
{
    TnvQuietWriter::setText(EditInfoLineDeviceClass, m_phone->Line()->DeviceClass());
    const TnvTAPI* tapi = m_phone->TAPI();
    TnvQuietWriter::setText(EditTAPIExtensionHighVersion, TnvNotation::hex8(tapi->ExtensionHighVersion()));
    TnvQuietWriter::setText(EditTAPIExtensionLowVersion, TnvNotation::hex8(tapi->ExtensionLowVersion()));
    TnvQuietWriter::setText(EditTAPIHighVersion, TnvNotation::hex8(tapi->HighVersion()));
    TnvQuietWriter::setText(EditTAPILowVersion, TnvNotation::hex8(tapi->LowVersion()));
    TnvQuietWriter::setText(EditTAPIReplyTimeout, QString::number(tapi->ReplyTimeout()));
    TnvQuietWriter::setText(EditInfoWavePlayDeviceClass, m_phone->WavePlay()->DeviceClass());
    TnvQuietWriter::setText(EditInfoWaveRecordDeviceClass, m_phone->WaveRecord()->DeviceClass());
    refreshTree();
}

void TnvPhoneInfoPage::refreshTree()
{
    TnvTreeRows rows(TreeViewInfo, m_phone->Vantage());

    const TnvPhoneDevice* device = m_phone->Device();
    const TnvPhoneCapabilities* caps = device->Capabilities();
    QTreeWidgetItem* root = rows.node(nullptr, QStringLiteral("Device"));
    QTreeWidgetItem* node = rows.node(root, QStringLiteral("Capabilities"));
    rows.decimalRow(node, QStringLiteral("DevSpecificSize"), caps->DevSpecificSize());
    rows.hexRow(node, QStringLiteral("DevSpecific"), caps->DevSpecificTag());
    rows.flags(node, QStringLiteral("HookSwitchDevs"), caps->HookSwitchDevs(), HookSwitchDevText, 4, 1);
    rows.flags(node, QStringLiteral("States"), caps->States(), PhoneStateText, 0x800000, 1);
    rows.enumRow(root, QStringLiteral("State"), device->State(), PhoneStateText);
    if (TnvPhoneDevice::isHookSwitchState(device->State()))
        rows.enumRow(root, QStringLiteral("StateDetails"), device->StateDetails(), HookSwitchModeText);
    else
        rows.hexRow(root, QStringLiteral("StateDetails"), device->StateDetails());

    const TnvError* error = m_phone->Error();
    root = rows.node(nullptr, QStringLiteral("Error"));
    rows.row(root, QStringLiteral("Hex = ") + error->Hex());
    rows.decimalRow(root, QStringLiteral("Number"), error->Number());
    rows.row(root, QStringLiteral("Text = ") + error->Text());

    root = rows.node(nullptr, QStringLiteral("Line"));
    rows.boolRow(root, QStringLiteral("Available"), m_phone->Line()->Available());
    rows.decimalRow(root, QStringLiteral("ID"), m_phone->Line()->ID());

    root = rows.node(nullptr, QStringLiteral("Phone"));
    rows.hexRow(root, QStringLiteral("AppHandle"), m_phone->Phone()->AppHandle());
    rows.hexRow(root, QStringLiteral("Handle"), m_phone->Phone()->Handle());

    const TnvTAPI* tapi = m_phone->TAPI();
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

    for (const TnvPhoneRelatedDevice* wave : {m_phone->WavePlay(), m_phone->WaveRecord()}) {
        root = rows.node(nullptr, wave == m_phone->WavePlay() ? QStringLiteral("WavePlay") : QStringLiteral("WaveRecord"));
        rows.boolRow(root, QStringLiteral("Available"), wave->Available());
        rows.decimalRow(root, QStringLiteral("ID"), wave->ID());
    }
}
