#include "TnvPhoneInfoPage.h"

#include "TnvQuietWriter.h"
#include "TnvTreeRows.h"

#include <TnvConstantTexts.h>
#include <TnvPhone.h>
#include <TnvVantage.h>

#include <QTreeWidget>

#include <tuple>

TnvPhoneInfoPage::TnvPhoneInfoPage(TnvPhone* phone, QWidget* parent)
    : TnvInfoPage(phone, phone->TAPI(), parent)
    , m_phone(phone)
{
    const auto add = [&](const char* labelName, const char* editName, const char* caption) {
        return addField(QLatin1String(labelName), QLatin1String(editName), QLatin1String(caption));
    };
    std::tie(LabelInfoLineDeviceClass, EditInfoLineDeviceClass) =
        add("LabelInfoLineDeviceClass", "EditInfoLineDeviceClass", "Line.DeviceClass");
    addTapiFields();
    std::tie(LabelInfoWavePlayDeviceClass, EditInfoWavePlayDeviceClass) =
        add("LabelInfoWavePlayDeviceClass", "EditInfoWavePlayDeviceClass", "WavePlay.DeviceClass");
    std::tie(LabelInfoWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass) =
        add("LabelInfoWaveRecordDeviceClass", "EditInfoWaveRecordDeviceClass", "WaveRecord.DeviceClass");
    TnvPhone* p = m_phone;
    wire(EditInfoLineDeviceClass, [p](const QString& text) { p->Line()->setDeviceClass(text); });
    wire(EditInfoWavePlayDeviceClass, [p](const QString& text) { p->WavePlay()->setDeviceClass(text); });
    wire(EditInfoWaveRecordDeviceClass, [p](const QString& text) { p->WaveRecord()->setDeviceClass(text); });
    finishFields();
}

void TnvPhoneInfoPage::applyNotation()
{
    notateFields({{LabelInfoLineDeviceClass, EditInfoLineDeviceClass},
                  {LabelInfoWavePlayDeviceClass, EditInfoWavePlayDeviceClass},
                  {LabelInfoWaveRecordDeviceClass, EditInfoWaveRecordDeviceClass}},
                 {"Line.DeviceClass", "WavePlay.DeviceClass", "WaveRecord.DeviceClass"});
}

void TnvPhoneInfoPage::refresh()
{
    TnvQuietWriter::setText(EditInfoLineDeviceClass, m_phone->Line()->DeviceClass());
    refreshTapiEdits();
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

    addErrorRows(rows);

    root = rows.node(nullptr, QStringLiteral("Line"));
    rows.boolRow(root, QStringLiteral("Available"), m_phone->Line()->Available());
    rows.decimalRow(root, QStringLiteral("ID"), m_phone->Line()->ID());

    root = rows.node(nullptr, QStringLiteral("Phone"));
    rows.hexRow(root, QStringLiteral("AppHandle"), m_phone->Phone()->AppHandle());
    rows.hexRow(root, QStringLiteral("Handle"), m_phone->Phone()->Handle());

    addTapiRows(rows);

    for (const TnvPhoneRelatedDevice* wave : {m_phone->WavePlay(), m_phone->WaveRecord()}) {
        root = rows.node(nullptr, wave == m_phone->WavePlay() ? QStringLiteral("WavePlay") : QStringLiteral("WaveRecord"));
        rows.boolRow(root, QStringLiteral("Available"), wave->Available());
        rows.decimalRow(root, QStringLiteral("ID"), wave->ID());
    }
}
