#include "TnvLineInfoPage.h"

#include "TnvDeferredArea.h"
#include "TnvQuietWriter.h"
#include "TnvTreeRows.h"

#include <TnvConstantTexts.h>
#include <TnvLine.h>
#include <TnvRelatedCommDevice.h>
#include <TnvRelatedPhoneDevice.h>
#include <TnvRelatedWaveDevice.h>
#include <TnvLineDeviceCaps.h>
#include <TnvMediaModes.h>

#include <QTreeWidget>

#include <tuple>

TnvLineInfoPage::TnvLineInfoPage(TnvLine* line, QWidget* parent)
    : TnvInfoPage(line, line->TAPI(), parent)
    , m_line(line)
{
    const auto add = [&](const char* labelName, const char* editName, const char* caption) {
        return addField(QLatin1String(labelName), QLatin1String(editName), QLatin1String(caption));
    };
    std::tie(LabelCommDeviceClass, EditCommDeviceClass) = add("LabelCommDeviceClass", "EditCommDeviceClass", "Comm.DeviceClass");
    std::tie(LabelPhoneDeviceClass, EditInfoPhoneDeviceClass) =
        add("LabelPhoneDeviceClass", "EditInfoPhoneDeviceClass", "Phone.DeviceClass");
    std::tie(LabelWavePlayDeviceClass, EditInfoWavePlayDeviceClass) =
        add("LabelWavePlayDeviceClass", "EditInfoWavePlayDeviceClass", "WavePlay.DeviceClass");
    std::tie(LabelWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass) =
        add("LabelWaveRecordDeviceClass", "EditInfoWaveRecordDeviceClass", "WaveRecord.DeviceClass");
    addTapiFields();
    TnvLine* l = m_line;
    wire(EditCommDeviceClass, [l](const QString& text) { l->Comm()->setDeviceClass(text); });
    wire(EditInfoPhoneDeviceClass, [l](const QString& text) { l->Phone()->setDeviceClass(text); });
    wire(EditInfoWavePlayDeviceClass, [l](const QString& text) { l->WavePlay()->setDeviceClass(text); });
    wire(EditInfoWaveRecordDeviceClass, [l](const QString& text) { l->WaveRecord()->setDeviceClass(text); });
    finishFields();
    m_tree = new TnvDeferredArea(TreeViewInfo, [this] { refreshTree(); });
}

void TnvLineInfoPage::flushTree()
{
    m_tree->flush();
}

void TnvLineInfoPage::applyNotation()
{
    notateFields({{LabelCommDeviceClass, EditCommDeviceClass},
                  {LabelPhoneDeviceClass, EditInfoPhoneDeviceClass},
                  {LabelWavePlayDeviceClass, EditInfoWavePlayDeviceClass},
                  {LabelWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass}},
                 {"Comm.DeviceClass", "Phone.DeviceClass", "WavePlay.DeviceClass", "WaveRecord.DeviceClass"});
    TreeViewInfo->setToolTip(m_line->Vantage()->Notate(QStringLiteral("nvLine Information")));
}

void TnvLineInfoPage::refresh()
{
    TnvQuietWriter::setText(EditCommDeviceClass, m_line->Comm()->DeviceClass());
    TnvQuietWriter::setText(EditInfoPhoneDeviceClass, m_line->Phone()->DeviceClass());
    TnvQuietWriter::setText(EditInfoWavePlayDeviceClass, m_line->WavePlay()->DeviceClass());
    TnvQuietWriter::setText(EditInfoWaveRecordDeviceClass, m_line->WaveRecord()->DeviceClass());
    refreshTapiEdits();
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

    addErrorRows(rows);

    root = rows.node(nullptr, QStringLiteral("Line"));
    rows.hexRow(root, QStringLiteral("AppHandle"), m_line->Line()->AppHandle());
    rows.hexRow(root, QStringLiteral("Handle"), m_line->Line()->Handle());

    root = rows.node(nullptr, QStringLiteral("Phone"));
    rows.boolRow(root, QStringLiteral("Available"), m_line->Phone()->Available());
    rows.decimalRow(root, QStringLiteral("ID"), m_line->Phone()->ID());

    addTapiRows(rows);

    for (const TnvRelatedWaveDevice* wave : {m_line->WavePlay(), m_line->WaveRecord()}) {
        root = rows.node(nullptr, wave == m_line->WavePlay() ? QStringLiteral("WavePlay") : QStringLiteral("WaveRecord"));
        rows.boolRow(root, QStringLiteral("Available"), wave->Available());
        rows.decimalRow(root, QStringLiteral("ID"), wave->ID());
    }
}
