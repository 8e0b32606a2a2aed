#include "TnvRecordVantage.h"

#include "TnvEditRules.h"
#include "TnvLogPage.h"
#include "TnvQuietWriter.h"
#include "TnvWaveFileRules.h"
#include "TnvWaveFormatPage.h"

#include <TnvHostServices.h>
#include <TnvRecord.h>
#include <TnvVantage.h>

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QToolButton>

#include <tuple>
#include <utility>

namespace {

constexpr int kRecordPagesWidth = 520;
constexpr int kRecordPagesHeight = 300;

const QString kRecordFilter = QStringLiteral("Sounds (*.wav);;All files (*.*)");

} // namespace

TnvRecordVantage::TnvRecordVantage(TnvRecord* record)
    : TnvWaveVantage(record, record->Device(), record->Popup(), "nvRecordVantage", true)
    , m_record(record)
{
    // The record window words these two in its own way.
    if (auto* clear = logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonClear")))
        clear->setToolTip(QStringLiteral("Clear log and reset errors"));
    if (auto* marker = logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonMarker")))
        marker->setToolTip(QStringLiteral("Add a marker line to the log"));
    makeDevicePage();
    makeSourcePages();
    makeMenus({QStringLiteral("OnDone"), QStringLiteral("OnError"), QStringLiteral("OnWarning")}, {QStringLiteral("OnDone")});
    makeDeviceMenu();
    finishLayout(kRecordPagesWidth, kRecordPagesHeight);
    ComboBoxDevice->setFocus();
}

void TnvRecordVantage::makeDevicePage()
{
    TabSheetDevice = new QWidget(PageControl1);
    TabSheetDevice->setObjectName(QStringLiteral("TabSheetDevice"));
    auto* grid = new QGridLayout(TabSheetDevice);
    grid->setContentsMargins(8, 8, 8, 4);
    grid->setVerticalSpacing(6);
    const auto field = [&](int row, const char* labelName, const char* editName, const QString& member) {
        auto* label = new QLabel(member, TabSheetDevice);
        label->setObjectName(QLatin1String(labelName));
        auto* edit = new QLineEdit(QStringLiteral("0"), TabSheetDevice);
        edit->setObjectName(QLatin1String(editName));
        edit->setMaximumWidth(100);
        edit->setToolTip(QStringLiteral("nvRecord.") + member + QStringLiteral(" //milliseconds"));
        label->setToolTip(edit->toolTip());
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return std::pair{label, edit};
    };
    std::tie(LabelBuffer, EditBuffer) = field(0, "LabelBuffer", "EditBuffer", QStringLiteral("Device.Buffer"));
    std::tie(LabelDelay, EditDelay) = field(1, "LabelDelay", "EditDelay", QStringLiteral("Device.Delay"));
    std::tie(LabelTrim, EditTrim) = field(2, "LabelTrim", "EditTrim", QStringLiteral("Device.Trim"));
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    TnvEditRules::onLeaving(EditBuffer, [this] {
        if (m_record)
            m_record->Device()->setBuffer(TnvEditRules::readDecimal(EditBuffer->text()));
    });
    TnvEditRules::onLeaving(EditDelay, [this] {
        if (m_record)
            m_record->Device()->setDelay(TnvEditRules::readDecimal(EditDelay->text()));
    });
    TnvEditRules::onLeaving(EditTrim, [this] {
        if (m_record)
            m_record->Device()->setTrim(TnvEditRules::readDecimal(EditTrim->text()));
    });
    addPage(TabSheetDevice, QStringLiteral("Device"));
}

void TnvRecordVantage::makeDeviceMenu()
{
    MenuDeviceActive = addDeviceItem("MenuDeviceActive", QStringLiteral("&Active"), QKeySequence(Qt::CTRL | Qt::Key_A));
    MenuDeviceAppend = addDeviceItem("MenuDeviceAppend", QStringLiteral("Append"));
    MenuDeviceCODECsEnabled = addDeviceItem("MenuDeviceCODECsEnabled", QStringLiteral("CODECs Enabled"));
    MenuDevicePause = addDeviceItem("MenuDevicePause", QStringLiteral("&Pause"), QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(MenuDeviceActive, &QAction::triggered, this, [this] {
        if (m_record)
            toggleDeviceActive();
    });
    connect(MenuDeviceAppend, &QAction::triggered, this, [this] {
        if (!m_record)
            return;
        m_record->Device()->setAppend(!m_record->Device()->Append());
        MenuDeviceAppend->setChecked(m_record->Device()->Append());
    });
    connect(MenuDeviceCODECsEnabled, &QAction::triggered, this, [this] {
        if (!m_record)
            return;
        TnvRecordDevice* device = m_record->Device();
        device->setCODECsEnabled(!device->CODECsEnabled());
        MenuDeviceCODECsEnabled->setChecked(device->CODECsEnabled());
    });
    connect(MenuDevicePause, &QAction::triggered, this, [this] {
        if (m_record)
            toggleDevicePause();
    });
}

// --- Window interface -----------------------------------------------------------

void TnvRecordVantage::fillPanes()
{
    formatPage->fillFormatNames();
    RefreshDevice();
    RefreshDeviceMenu();
    RefreshBuffer();
    RefreshFormat();
    RefreshFormatSize();
    RefreshSourceFile();
    RefreshMaxSize();
}

void TnvRecordVantage::detach()
{
    m_record = nullptr;
    TnvWaveVantage::detach();
}

void TnvRecordVantage::setDeviceID(int id)
{
    m_record->Device()->setID(id);
}

void TnvRecordVantage::deviceMenuOpening()
{
    MenuDeviceAppend->setChecked(m_record->Device()->Append());
    MenuDeviceCODECsEnabled->setChecked(m_record->Device()->CODECsEnabled());
}

// --- Refresh operations ---------------------------------------------------------

void TnvRecordVantage::RefreshDevice()
{
    if (!m_record)
        return;
    showDeviceList();
    RefreshDeviceMenu();
}

void TnvRecordVantage::RefreshDeviceMenu()
{
    if (!m_record)
        return;
    const TnvRecordDevice* device = m_record->Device();
    MenuDeviceActive->setChecked(device->Active());
    MenuDevicePause->setChecked(device->Pause());
    TnvQuietWriter::setText(EditBuffer, QString::number(device->Buffer()));
    TnvQuietWriter::setText(EditDelay, QString::number(device->Delay()));
    TnvQuietWriter::setText(EditTrim, QString::number(device->Trim()));
    TnvWaveVantage::RefreshButtons();
}

void TnvRecordVantage::RefreshFormat()
{
    if (m_record)
        formatPage->refresh();
}

void TnvRecordVantage::RefreshFormatSize()
{
    if (m_record)
        formatPage->refreshSize();
}

// --- Commands --------------------------------------------------------------------

void TnvRecordVantage::toggleDeviceActive()
{
    if (!m_record)
        return;
    // The name typed last is the one recorded to, even if the box was not left.
    const QString typed = ComboBoxFileName->currentText();
    m_record->Source()->setFileName(typed);
    TnvRecordDevice* device = m_record->Device();
    // Stopping saves the recording, which runs the event loop: the window may go.
    const QPointer<TnvRecordVantage> self(this);
    device->setActive(!device->Active());
    if (!self || !m_record)
        return;
    TnvWaveFileRules::offerToHistory(ComboBoxFileName, typed);
    RefreshDeviceMenu();
}

void TnvRecordVantage::toggleDevicePause()
{
    if (!m_record)
        return;
    TnvRecordDevice* device = m_record->Device();
    const QPointer<TnvRecordVantage> self(this);
    device->setPause(!device->Pause());
    if (!self || !m_record)
        return;
    TnvWaveVantage::RefreshButtons();
    MenuDevicePause->setChecked(device->Pause());
    applyPauseHint();
}

void TnvRecordVantage::applyPauseHint()
{
    setHint({"SpeedButtonPause"}, QStringLiteral("nvRecord~Device.Pause := ") + TnvVantage::BoolText(!m_record->Device()->Pause()));
}

// --- File selection --------------------------------------------------------------

void TnvRecordVantage::selectSourceFile()
{
    TnvFileRequest request;
    request.title = QStringLiteral("Select wave file");
    request.filter = kRecordFilter;
    // The start name goes to the dialog as it is; the target need not exist yet.
    if (!m_record->Source()->FileName().isEmpty())
        request.names << m_record->Source()->FileName();
    request.mustExist = false;
    const QStringList chosen = askForFiles(request);
    if (chosen.isEmpty() || !m_record)
        return;
    const QString previous = ComboBoxFileName->currentText();
    m_record->Source()->setFileName(TnvWaveFileRules::joinChosen(chosen, false));
    TnvWaveFileRules::offerToHistory(ComboBoxFileName, previous);
    TnvQuietWriter::setComboText(ComboBoxFileName, m_record->Source()->FileName());
}

void TnvRecordVantage::chooseBufferFiles(QComboBox* box, bool load)
{
    TnvFileRequest request;
    request.title = load ? QStringLiteral("Select wave file(s)") : QStringLiteral("Select wave file");
    request.filter = kRecordFilter;
    if (!box->currentText().isEmpty())
        request.names << box->currentText();
    request.multiple = load;
    request.mustExist = load;
    const QStringList chosen = askForFiles(request);
    if (chosen.isEmpty())
        return;
    TnvQuietWriter::setComboText(box, TnvWaveFileRules::joinChosen(chosen, false));
}

// --- DevEnv ---------------------------------------------------------------------

void TnvRecordVantage::applyDevEnv()
{
    RefreshDevice();
    refreshLogView();
    TnvVantage* vantage = m_record->Vantage();
    LabelMaxSize->setText(vantage->Notate(QStringLiteral("MaxSize")));
    LabelBuffer->setText(vantage->Notate(QStringLiteral("Device.Buffer")));
    LabelDelay->setText(vantage->Notate(QStringLiteral("Device.Delay")));
    LabelTrim->setText(vantage->Notate(QStringLiteral("Device.Trim")));
    applySharedHints();
    applyPauseHint();
    setHint({"LabelMaxSize", "EditMaxSize"}, QStringLiteral("nvRecord~Source.MaxSize"));
    setHint({"LabelBuffer", "EditBuffer"}, QStringLiteral("nvRecord~Device.Buffer //milliseconds"));
    setHint({"LabelDelay", "EditDelay"}, QStringLiteral("nvRecord~Device.Delay //milliseconds"));
    setHint({"LabelTrim", "EditTrim"}, QStringLiteral("nvRecord~Device.Trim //milliseconds"));
}
