#include "TnvPlayVantage.h"

#include "TnvEditRules.h"
#include "TnvQuietWriter.h"
#include "TnvWaveFileRules.h"
#include "TnvWaveFormatPage.h"

#include <TnvHostServices.h>
#include <TnvPlay.h>
#include <TnvVantage.h>
#include <TnvWaveNumbers.h>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// The page control's first size; the window's first size is made from it.
constexpr int kPlayPagesWidth = 520;
constexpr int kPlayPagesHeight = 300;
// How often the Position page follows a playing sound: often enough to look smooth,
// seldom enough to cost nothing.
constexpr int kPositionIntervalMs = 200;

const QString kPlayFilter = QStringLiteral("Sounds (*.wav);;All files (*.*)");

// A step far past the sound is no reason to wrap into a position before it.
int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QLineEdit* makeEdit(QWidget* parent, const char* name, const QString& text = QString(), bool readOnly = false)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(readOnly);
    return edit;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

TnvPlayVantage::TnvPlayVantage(TnvPlay* play)
    : TnvWaveVantage(play, play->Device(), play->Popup(), "nvPlayVantage", false)
    , m_play(play)
{
    m_positionTicker = new QTimer(this);
    m_positionTicker->setInterval(kPositionIntervalMs);
    connect(m_positionTicker, &QTimer::timeout, this, [this] {
        if (TabSheetPosition->isVisible())
            RefreshPosition();
    });
    makePositionPage();
    makeSourcePages();
    makeVolumePage();
    makeMiscPage();
    makeMenus({QStringLiteral("OnDone"), QStringLiteral("OnError"), QStringLiteral("OnLoaded"), QStringLiteral("OnLoop"),
               QStringLiteral("OnTimer"), QStringLiteral("OnWarning")},
              {});
    makeDeviceMenu();
    finishLayout(kPlayPagesWidth, kPlayPagesHeight);
}

// --- Pages ----------------------------------------------------------------------

void TnvPlayVantage::makePositionPage()
{
    TabSheetPosition = new QWidget(PageControl1);
    TabSheetPosition->setObjectName(QStringLiteral("TabSheetPosition"));
    auto* grid = new QGridLayout(TabSheetPosition);
    grid->setContentsMargins(8, 8, 8, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    m_stepButtons = new QButtonGroup(this);
    m_stepButtons->setExclusive(true);
    const auto stepButton = [&](const char* name, bool forward, const QString& hint) {
        auto* button = new QToolButton(TabSheetPosition);
        button->setObjectName(QLatin1String(name));
        button->setAutoRaise(true);
        button->setFixedSize(23, 22);
        button->setIcon(style()->standardIcon(forward ? QStyle::SP_MediaSeekForward : QStyle::SP_MediaSeekBackward));
        button->setToolTip(hint);
        return button;
    };
    int row = 0;
    const auto addRow = [&](QLabel* label, QLineEdit* value, QToolButton* rewind, QLineEdit* step, QToolButton* forward) {
        value->setMinimumWidth(110);
        // Wide enough for the byte step's first value.
        step->setFixedWidth(step->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
        grid->addWidget(rewind, row, 2);
        grid->addWidget(step, row, 3);
        grid->addWidget(forward, row, 4);
        ++row;
    };

    const QString byteHint = QStringLiteral("nvPlay.Position.Byte");
    LabelLabelPositionByte = makeLabel(TabSheetPosition, "LabelLabelPositionByte", QStringLiteral("Position.Byte ="));
    EditPositionByte = makeEdit(TabSheetPosition, "EditPositionByte", QStringLiteral("0"), true);
    SpeedButtonPositionByteRewind = stepButton("SpeedButtonPositionByteRewind", false, byteHint);
    EditPositionByteFFRW = makeEdit(TabSheetPosition, "EditPositionByteFFRW", QStringLiteral("15000"));
    SpeedButtonPositionByteFastForward = stepButton("SpeedButtonPositionByteFastForward", true, byteHint);
    addRow(LabelLabelPositionByte, EditPositionByte, SpeedButtonPositionByteRewind, EditPositionByteFFRW,
           SpeedButtonPositionByteFastForward);

    const QString secondHint = QStringLiteral("nvPlay.Position.Second");
    LabelLabelPositionSecond = makeLabel(TabSheetPosition, "LabelLabelPositionSecond", QStringLiteral("Position.Second ="));
    EditPositionSecond = makeEdit(TabSheetPosition, "EditPositionSecond", QStringLiteral("0.0"), true);
    SpeedButtonPositionSecondRewind = stepButton("SpeedButtonPositionSecondRewind", false, secondHint);
    EditPositionSecondFFRW = makeEdit(TabSheetPosition, "EditPositionSecondFFRW", QStringLiteral("3"));
    SpeedButtonSecondByteFastForward = stepButton("SpeedButtonSecondByteFastForward", true, secondHint);
    addRow(LabelLabelPositionSecond, EditPositionSecond, SpeedButtonPositionSecondRewind, EditPositionSecondFFRW,
           SpeedButtonSecondByteFastForward);

    const QString percentHint = QStringLiteral("nvPlay.Position.Percent");
    LabelPositionPercent = makeLabel(TabSheetPosition, "LabelPositionPercent", QStringLiteral("Position.Percent ="));
    EditPositionPercent = makeEdit(TabSheetPosition, "EditPositionPercent", QStringLiteral("0"), true);
    SpeedButtonPositionPercentRewind = stepButton("SpeedButtonPositionPercentRewind", false, percentHint);
    EditPositionPercentFFRW = makeEdit(TabSheetPosition, "EditPositionPercentFFRW", QStringLiteral("10"));
    SpeedButtonPositionPercentFastForward = stepButton("SpeedButtonPositionPercentFastForward", true, percentHint);
    addRow(LabelPositionPercent, EditPositionPercent, SpeedButtonPositionPercentRewind, EditPositionPercentFFRW,
           SpeedButtonPositionPercentFastForward);

    ProgressBarPositionPercent = new QProgressBar(TabSheetPosition);
    ProgressBarPositionPercent->setObjectName(QStringLiteral("ProgressBarPositionPercent"));
    ProgressBarPositionPercent->setRange(0, 100);
    ProgressBarPositionPercent->setValue(0);
    ProgressBarPositionPercent->setToolTip(percentHint);
    grid->addWidget(ProgressBarPositionPercent, row++, 0, 1, 5);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);

    // One of the buttons shows pressed: the last used; the byte fast-forward button
    // springs back.
    for (QToolButton* button : {SpeedButtonPositionByteRewind, SpeedButtonPositionSecondRewind, SpeedButtonSecondByteFastForward,
                                SpeedButtonPositionPercentRewind, SpeedButtonPositionPercentFastForward}) {
        button->setCheckable(true);
        m_stepButtons->addButton(button);
    }
    connect(SpeedButtonPositionByteRewind, &QToolButton::clicked, this, [this] { stepByte(-1); });
    connect(SpeedButtonPositionByteFastForward, &QToolButton::clicked, this, [this] { stepByte(1); });
    connect(SpeedButtonPositionSecondRewind, &QToolButton::clicked, this, [this] { stepSecond(-1); });
    connect(SpeedButtonSecondByteFastForward, &QToolButton::clicked, this, [this] { stepSecond(1); });
    connect(SpeedButtonPositionPercentRewind, &QToolButton::clicked, this, [this] { stepPercent(-1); });
    connect(SpeedButtonPositionPercentFastForward, &QToolButton::clicked, this, [this] { stepPercent(1); });
    addPage(TabSheetPosition, QStringLiteral("Position"));
}

void TnvPlayVantage::makeVolumePage()
{
    TabSheetVolume = new QWidget(PageControl1);
    TabSheetVolume->setObjectName(QStringLiteral("TabSheetVolume"));
    auto* grid = new QGridLayout(TabSheetVolume);
    grid->setContentsMargins(8, 8, 8, 4);
    grid->setVerticalSpacing(6);
    CheckBoxVolumeEnabled = makeCheck(TabSheetVolume, "CheckBoxVolumeEnabled", QStringLiteral("Enabled"));
    CheckBoxVolumeDefault = makeCheck(TabSheetVolume, "CheckBoxVolumeDefault", QStringLiteral("Default"));
    CheckBoxVolumeReset = makeCheck(TabSheetVolume, "CheckBoxVolumeReset", QStringLiteral("Reset"));
    LabelVolumePosition = makeLabel(TabSheetVolume, "LabelVolumePosition", QStringLiteral("Position"));
    EditVolumePosition = makeEdit(TabSheetVolume, "EditVolumePosition", QStringLiteral("0"));
    EditVolumePosition->setMaximumWidth(80);
    grid->addWidget(CheckBoxVolumeEnabled, 0, 0, 1, 2);
    grid->addWidget(CheckBoxVolumeDefault, 1, 0, 1, 2);
    grid->addWidget(CheckBoxVolumeReset, 2, 0, 1, 2);
    grid->addWidget(LabelVolumePosition, 3, 0);
    grid->addWidget(EditVolumePosition, 3, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);
    // Refreshes write these with their signals blocked, so only the user gets here.
    connect(CheckBoxVolumeEnabled, &QCheckBox::toggled, this, [this](bool on) {
        if (m_play)
            m_play->Volume()->setEnabled(on);
    });
    connect(CheckBoxVolumeDefault, &QCheckBox::toggled, this, [this](bool on) {
        if (m_play)
            m_play->Volume()->setDefault(on);
    });
    connect(CheckBoxVolumeReset, &QCheckBox::toggled, this, [this](bool on) {
        if (m_play)
            m_play->Volume()->setReset(on);
    });
    connect(EditVolumePosition, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_play && !text.isEmpty())
            m_play->Volume()->setPosition(TnvEditRules::readDecimal(text));
    });
    addPage(TabSheetVolume, QStringLiteral("Volume"));
}

void TnvPlayVantage::makeMiscPage()
{
    TabSheetMisc = new QWidget(PageControl1);
    TabSheetMisc->setObjectName(QStringLiteral("TabSheetMisc"));
    auto* grid = new QGridLayout(TabSheetMisc);
    grid->setContentsMargins(8, 8, 8, 4);
    grid->setVerticalSpacing(6);
    LabelDelay = makeLabel(TabSheetMisc, "LabelDelay", QStringLiteral("Device.Delay"));
    EditDelay = makeEdit(TabSheetMisc, "EditDelay", QStringLiteral("0"));
    CheckBoxTimerEnabled = makeCheck(TabSheetMisc, "CheckBoxTimerEnabled", QStringLiteral("Timer.&Enabled"));
    LabelTimerInterval = makeLabel(TabSheetMisc, "LabelTimerInterval", QStringLiteral("Timer.Interval"));
    EditTimerInterval = makeEdit(TabSheetMisc, "EditTimerInterval", QStringLiteral("0"));
    EditTimerInterval->setToolTip(QStringLiteral("nvPlay.Timer.Interval //milliseconds"));
    LabelTimerInterval->setToolTip(EditTimerInterval->toolTip());
    EditDelay->setToolTip(QStringLiteral("nvPlay.Device.Delay //milliseconds"));
    LabelDelay->setToolTip(EditDelay->toolTip());
    for (QLineEdit* edit : {EditDelay, EditTimerInterval})
        edit->setMaximumWidth(100);
    grid->addWidget(LabelDelay, 0, 0);
    grid->addWidget(EditDelay, 0, 1);
    grid->addWidget(CheckBoxTimerEnabled, 1, 0, 1, 2);
    grid->addWidget(LabelTimerInterval, 2, 0);
    grid->addWidget(EditTimerInterval, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    TnvEditRules::onLeaving(EditDelay, [this] {
        if (m_play)
            m_play->Device()->setDelay(TnvEditRules::readDecimal(EditDelay->text()));
    });
    connect(CheckBoxTimerEnabled, &QCheckBox::toggled, this, [this](bool on) {
        if (m_play)
            m_play->Timer()->setEnabled(on);
    });
    TnvEditRules::onLeaving(EditTimerInterval, [this] {
        if (m_play)
            m_play->Timer()->setInterval(TnvEditRules::readDecimal(EditTimerInterval->text()));
    });
    addPage(TabSheetMisc, QStringLiteral("Misc."));
}

void TnvPlayVantage::makeDeviceMenu()
{
    MenuDeviceActive = addDeviceItem("MenuDeviceActive", QStringLiteral("&Active"), QKeySequence(Qt::CTRL | Qt::Key_A));
    MenuDeviceCODECsEnabled = addDeviceItem("MenuDeviceCODECsEnabled", QStringLiteral("CODECs Enabled"));
    MenuDeviceLoop = addDeviceItem("MenuDeviceLoop", QStringLiteral("&Loop"));
    MenuDevicePause = addDeviceItem("MenuDevicePause", QStringLiteral("&Pause"), QKeySequence(Qt::CTRL | Qt::Key_P));
    MenuDeviceWait = addDeviceItem("MenuDeviceWait", QStringLiteral("&Wait"));
    connect(MenuDeviceActive, &QAction::triggered, this, [this] {
        if (m_play)
            toggleDeviceActive();
    });
    connect(MenuDeviceCODECsEnabled, &QAction::triggered, this, [this] {
        if (!m_play)
            return;
        TnvPlayDevice* device = m_play->Device();
        device->setCODECsEnabled(!device->CODECsEnabled());
        MenuDeviceCODECsEnabled->setChecked(device->CODECsEnabled());
    });
    connect(MenuDeviceLoop, &QAction::triggered, this, [this] {
        if (!m_play)
            return;
        m_play->Device()->setLoop(!m_play->Device()->Loop());
        RefreshDeviceMenu();
    });
    connect(MenuDevicePause, &QAction::triggered, this, [this] {
        if (m_play)
            toggleDevicePause();
    });
    connect(MenuDeviceWait, &QAction::triggered, this, [this] {
        if (!m_play)
            return;
        m_play->Device()->setWait(!m_play->Device()->Wait());
        RefreshDeviceMenu();
    });
}

// --- Window interface -----------------------------------------------------------

void TnvPlayVantage::fillPanes()
{
    RefreshDevice();
    RefreshDeviceMenu();
    RefreshVolume();
    RefreshBuffer();
    RefreshFormat();
    RefreshPosition();
    RefreshTimerEnabled();
    RefreshTimerInterval();
    RefreshSourceFile();
    RefreshMaxSize();
}

void TnvPlayVantage::detach()
{
    m_positionTicker->stop();
    m_play = nullptr;
    TnvWaveVantage::detach();
}

void TnvPlayVantage::setDeviceID(int id)
{
    m_play->Device()->setID(id);
}

void TnvPlayVantage::deviceMenuOpening()
{
    MenuDeviceCODECsEnabled->setChecked(m_play->Device()->CODECsEnabled());
}

// --- Refresh operations ---------------------------------------------------------

void TnvPlayVantage::RefreshDevice()
{
    if (!m_play)
        return;
    showDeviceList();
    RefreshDeviceMenu();
}

void TnvPlayVantage::RefreshDeviceMenu()
{
    if (!m_play)
        return;
    const TnvPlayDevice* device = m_play->Device();
    MenuDeviceActive->setChecked(device->Active());
    MenuDevicePause->setChecked(device->Pause());
    MenuDeviceWait->setChecked(device->Wait());
    MenuDeviceLoop->setChecked(device->Loop());
    TnvQuietWriter::setText(EditDelay, QString::number(device->Delay()));
    TnvWaveVantage::RefreshButtons();
    // The control refreshes the position only when playback pauses or ends; while the
    // sound plays the window follows it by itself.
    const bool playing = device->Active() && !device->Pause();
    if (playing && !m_positionTicker->isActive())
        m_positionTicker->start();
    else if (!playing)
        m_positionTicker->stop();
}

void TnvPlayVantage::RefreshVolume()
{
    if (!m_play)
        return;
    const TnvPlayVolume* volume = m_play->Volume();
    TnvQuietWriter::setChecked(CheckBoxVolumeEnabled, volume->Enabled());
    TnvQuietWriter::setChecked(CheckBoxVolumeDefault, volume->Default());
    TnvQuietWriter::setChecked(CheckBoxVolumeReset, volume->Reset());
    TnvQuietWriter::setText(EditVolumePosition, QString::number(volume->Position()));
}

void TnvPlayVantage::RefreshPosition()
{
    if (!m_play)
        return;
    const TnvPlayPosition* position = m_play->Position();
    TnvQuietWriter::setText(EditPositionByte, TnvWaveNumbers::bytesText(position->Byte()));
    TnvQuietWriter::setText(EditPositionSecond, TnvWaveNumbers::secondsText(position->Second()));
    // The bar keeps to its range; the edit shows where the bar stands.
    ProgressBarPositionPercent->setValue(qBound(0, position->Percent(), 100));
    TnvQuietWriter::setText(EditPositionPercent, QString::number(ProgressBarPositionPercent->value()));
}

void TnvPlayVantage::RefreshFormat()
{
    if (m_play)
        formatPage->refresh();
}

void TnvPlayVantage::RefreshTimerEnabled()
{
    if (m_play)
        TnvQuietWriter::setChecked(CheckBoxTimerEnabled, m_play->Timer()->Enabled());
}

void TnvPlayVantage::RefreshTimerInterval()
{
    if (m_play)
        TnvQuietWriter::setText(EditTimerInterval, QString::number(m_play->Timer()->Interval()));
}

// --- Commands --------------------------------------------------------------------

void TnvPlayVantage::toggleDeviceActive()
{
    if (!m_play)
        return;
    TnvPlayDevice* device = m_play->Device();
    // A start that waits for the end runs the event loop: the window may be closed meanwhile.
    const QPointer<TnvPlayVantage> self(this);
    device->setActive(!device->Active());
    if (!self || !m_play)
        return;
    TnvWaveFileRules::offerToHistory(ComboBoxFileName, ComboBoxFileName->currentText());
    RefreshDeviceMenu();
}

void TnvPlayVantage::toggleDevicePause()
{
    if (!m_play)
        return;
    TnvPlayDevice* device = m_play->Device();
    const QPointer<TnvPlayVantage> self(this);
    device->setPause(!device->Pause());
    if (!self || !m_play)
        return;
    SpeedButtonPause->setToolTip(
        m_play->Vantage()->Notate(QStringLiteral("nvPlay~Device.Pause := ") + TnvVantage::BoolText(!device->Pause())));
    RefreshDeviceMenu();
}

void TnvPlayVantage::stepByte(int direction)
{
    if (!m_play)
        return;
    TnvPlayPosition* position = m_play->Position();
    const qint64 target = qint64(position->Byte()) + direction * qint64(TnvEditRules::readDecimal(EditPositionByteFFRW->text()));
    position->setByte(clampToInt(target));
}

void TnvPlayVantage::stepSecond(int direction)
{
    if (!m_play)
        return;
    double step = 0;
    if (!TnvEditRules::readFraction(EditPositionSecondFFRW->text(), step)) {
        EditPositionSecondFFRW->setText(QStringLiteral("0"));
        return;
    }
    TnvPlayPosition* position = m_play->Position();
    position->setSecond(position->Second() + direction * step);
}

void TnvPlayVantage::stepPercent(int direction)
{
    if (!m_play)
        return;
    TnvPlayPosition* position = m_play->Position();
    const qint64 target = qint64(position->Percent()) + direction * qint64(TnvEditRules::readDecimal(EditPositionPercentFFRW->text()));
    position->setPercent(clampToInt(target));
}

// --- File selection --------------------------------------------------------------

void TnvPlayVantage::selectSourceFile()
{
    const TnvWaveFileRules::Start start = TnvWaveFileRules::splitNames(m_play->Source()->FileName());
    TnvFileRequest request;
    request.title = QStringLiteral("Select wave file");
    request.filter = kPlayFilter;
    request.directory = start.directory;
    request.names = start.names;
    request.multiple = true;
    const QStringList chosen = askForFiles(request);
    if (chosen.isEmpty() || !m_play)
        return;
    const QString joined = TnvWaveFileRules::joinChosen(chosen, true);
    // Cleared first, so that the same file is read again.
    m_play->Source()->setFileName(QString());
    m_play->Source()->setFileName(joined);
    TnvWaveFileRules::offerToHistory(ComboBoxFileName, joined);
    TnvQuietWriter::setComboText(ComboBoxFileName, joined);
}

void TnvPlayVantage::chooseBufferFiles(QComboBox* box, bool load)
{
    const TnvWaveFileRules::Start start = TnvWaveFileRules::splitNames(box->currentText());
    TnvFileRequest request;
    request.title = load ? QStringLiteral("Select wave file(s)") : QStringLiteral("Select wave file");
    request.filter = kPlayFilter;
    request.directory = start.directory;
    request.names = load ? start.names : start.names.mid(0, 1);
    request.multiple = load;
    request.mustExist = load;
    const QStringList chosen = askForFiles(request);
    if (chosen.isEmpty())
        return;
    const QString joined = TnvWaveFileRules::joinChosen(chosen, true);
    TnvWaveFileRules::offerToHistory(box, joined);
    TnvQuietWriter::setComboText(box, joined);
}

// --- DevEnv ---------------------------------------------------------------------

void TnvPlayVantage::applyDevEnv()
{
    RefreshDevice();
    refreshLogView();
    TnvVantage* vantage = m_play->Vantage();
    LabelMaxSize->setText(vantage->Notate(QStringLiteral("MaxSize")));
    LabelDelay->setText(vantage->Notate(QStringLiteral("Device.Delay")));
    CheckBoxTimerEnabled->setText(vantage->Notate(QStringLiteral("Timer.Enabled")));
    LabelTimerInterval->setText(vantage->Notate(QStringLiteral("Timer.Interval")));
    applySharedHints();
    const QString yes = TnvVantage::BoolText(true);
    const QString no = TnvVantage::BoolText(false);
    setHint({"SpeedButtonPause"}, QStringLiteral("nvPlay~Device.Pause := ") + yes + QLatin1Char('/') + no);
    setHint({"LabelMaxSize", "EditMaxSize"}, QStringLiteral("nvPlay~Source.MaxSize //kilobytes"));
    setHint({"LabelLabelPositionByte", "EditPositionByte"}, QStringLiteral("nvPlay~Position.Byte"));
    setHint({"EditPositionSecond", "LabelLabelPositionSecond"}, QStringLiteral("nvPlay~Position.Second"));
    setHint({"LabelPositionPercent", "EditPositionPercent"}, QStringLiteral("nvPlay~Position.Percent"));
    setHint({"CheckBoxTimerEnabled"}, QStringLiteral("nvPlay~Timer.Enabled"));
    setHint({"LabelTimerInterval", "EditTimerInterval"}, QStringLiteral("nvPlay~Timer.Interval //milliseconds"));
    setHint({"LabelDelay", "EditDelay"}, QStringLiteral("nvPlay~Device.Delay //milliseconds"));
    setHint({"CheckBoxVolumeEnabled"}, QStringLiteral("nvPlay~Volume.Enabled"));
    setHint({"CheckBoxVolumeDefault"}, QStringLiteral("nvPlay~Volume.Default"));
    setHint({"CheckBoxVolumeReset"}, QStringLiteral("nvPlay~Volume.Reset"));
    setHint({"LabelVolumePosition", "EditVolumePosition"}, QStringLiteral("nvPlay~Volume.Position"));
}
