#include "TnvHookSwitchPage.h"

#include "TnvPhoneVantageArt.h"
#include "TnvQuietWriter.h"
#include "TnvSplitPanes.h"
#include "TnvTreeRows.h"

#include <TnvConstantTexts.h>
#include <TnvHookSwitchDevice.h>
#include <TnvVantage.h>

#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kModeNames[4] = {"OnHook", "MicrophoneOnly", "SpeakerOnly", "MicrophoneAndSpeaker"};

} // namespace

TnvHookSwitchPage::TnvHookSwitchPage(TnvHookSwitchDevice* device, TnvVantage* vantage, std::function<void()> afterChange,
                                     QWidget* parent)
    : QWidget(parent)
    , m_device(device)
    , m_vantage(vantage)
    , m_afterChange(std::move(afterChange))
{
    const QString name = device->DeviceName();
    setObjectName(QStringLiteral("TabSheet") + name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    Panel = new QWidget(this);
    Panel->setObjectName(QStringLiteral("Panel") + name);
    layout->addWidget(Panel);

    TreeView = new QTreeWidget;
    TreeView->setObjectName(QStringLiteral("TreeView") + name);
    TreeView->setToolTip(QStringLiteral("nvPhone.") + name);
    TreeView->setHeaderHidden(true);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* fields = new QWidget;
    auto* grid = new QGridLayout(fields);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(QLatin1String(kModeNames[i]), fields);
        button->setObjectName(QStringLiteral("RB") + name + QLatin1String(kModeNames[i]));
        // The buttons show the device's mode; only a refresh changes them.
        button->setAutoExclusive(false);
        grid->addWidget(button, i, 0, 1, 3);
        connect(button, &QRadioButton::clicked, this, [this, i] { modeClicked(i); });
        RBModes[std::size_t(i)] = button;
    }
    const auto bar = [&](QLabel*& label, QSlider*& slider, const char* what, int row) {
        label = new QLabel(QLatin1String(what), fields);
        label->setObjectName(QStringLiteral("Label") + name + QLatin1String(what));
        slider = new QSlider(Qt::Horizontal, fields);
        slider->setObjectName(QStringLiteral("TB") + name + QLatin1String(what));
        slider->setRange(0, 100);
        slider->setSingleStep(1);
        slider->setPageStep(10);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->setMinimumWidth(80);
        slider->installEventFilter(this);
        grid->addWidget(label, row, 0);
        grid->addWidget(slider, row, 1);
    };
    bar(LabelVolume, TBVolume, "Volume", 4);
    bar(LabelGain, TBGain, "Gain", 5);
    ButtonVolumeGainSet = new QPushButton(QStringLiteral("Apply"), fields);
    ButtonVolumeGainSet->setObjectName(QStringLiteral("Button") + name + QStringLiteral("VolumeGainSet"));
    grid->addWidget(ButtonVolumeGainSet, 4, 2, 2, 1, Qt::AlignVCenter);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);
    connect(ButtonVolumeGainSet, &QPushButton::clicked, this, [this] { apply(); });

    ScrollBox = new QScrollArea;
    ScrollBox->setObjectName(QStringLiteral("ScrollBox") + name);
    ScrollBox->setWidget(fields);

    Splitter = TnvSplitPanes::make(QStringLiteral("Splitter") + name + QStringLiteral("Tab"), TreeView, ScrollBox, Panel);
    auto* panelLayout = new QVBoxLayout(Panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(Splitter);

    // The hints the window starts with; applyNotation rewrites them.
    for (int i = 0; i < 4; ++i)
        RBModes[std::size_t(i)]->setToolTip(QStringLiteral("nvPhone.") + name + QLatin1Char('.') + QLatin1String(kModeNames[i]));
    for (QWidget* w : {static_cast<QWidget*>(LabelVolume), static_cast<QWidget*>(TBVolume)})
        w->setToolTip(QStringLiteral("nvPhone.") + name + QStringLiteral(".Volume"));
    for (QWidget* w : {static_cast<QWidget*>(LabelGain), static_cast<QWidget*>(TBGain)})
        w->setToolTip(QStringLiteral("nvPhone.") + name + QStringLiteral(".Gain"));
    ButtonVolumeGainSet->setToolTip(QString(applyHint()).replace(QLatin1Char('~'), QLatin1Char('.')));
}

QString TnvHookSwitchPage::applyHint() const
{
    // The Apply hints spell HandSet and HeadSet with a capital S, as users know them.
    switch (m_device->kind()) {
    case TnvHookSwitchDevice::Handset:
        return QStringLiteral("Set nvPhone~HandSet.Volume & nvPhone~HandSet.Gain");
    case TnvHookSwitchDevice::Headset:
        return QStringLiteral("Set nvPhone~HeadSet.Volume & nvPhone~HeadSet.Gain");
    case TnvHookSwitchDevice::Speakerphone:
        break;
    }
    return QStringLiteral("Set nvPhone~Speakerphone.Volume & nvPhone~Speakerphone.Gain");
}

void TnvHookSwitchPage::applyNotation()
{
    const QString name = m_device->DeviceName();
    for (int i = 0; i < 4; ++i)
        RBModes[std::size_t(i)]->setToolTip(
            m_vantage->Notate(QStringLiteral("nvPhone~") + name + QLatin1Char('.') + QLatin1String(kModeNames[i])));
    const QString volume = m_vantage->Notate(QStringLiteral("nvPhone~") + name + QStringLiteral(".Volume"));
    LabelVolume->setToolTip(volume);
    TBVolume->setToolTip(volume);
    const QString gain = m_vantage->Notate(QStringLiteral("nvPhone~") + name + QStringLiteral(".Gain"));
    LabelGain->setToolTip(gain);
    TBGain->setToolTip(gain);
    ButtonVolumeGainSet->setToolTip(m_vantage->Notate(applyHint()));
}

int TnvHookSwitchPage::tabIconIndex(bool phoneOpen) const
{
    int base = TnvPhoneVantageArt::HandsetOnHook;
    if (m_device->kind() == TnvHookSwitchDevice::Headset)
        base = TnvPhoneVantageArt::HeadsetOnHook;
    else if (m_device->kind() == TnvHookSwitchDevice::Speakerphone)
        base = TnvPhoneVantageArt::SpeakerOnHook;
    // The three pictures of a device stand in the order on hook, missing, off hook.
    if (!m_device->Available())
        return base + 1;
    return m_device->OnHook() || !phoneOpen ? base : base + 2;
}

void TnvHookSwitchPage::refresh()
{
    const bool modes[4] = {m_device->OnHook(), m_device->MicrophoneOnly(), m_device->SpeakerOnly(),
                           m_device->MicrophoneAndSpeaker()};
    for (int i = 0; i < 4; ++i)
        TnvQuietWriter::setChecked(RBModes[std::size_t(i)], modes[i]);
    for (auto [slider, value] : {std::pair{TBVolume, m_device->Volume()}, std::pair{TBGain, m_device->Gain()}}) {
        if (slider->value() != value) {
            const QSignalBlocker quiet(slider);
            slider->setValue(value);
        }
    }
    refreshTree();
}

void TnvHookSwitchPage::refreshTree()
{
    TnvTreeRows rows(TreeView, m_vantage);
    QTreeWidgetItem* root = rows.node(nullptr, m_vantage->Notate(m_device->DeviceName()), true);
    rows.boolRow(root, QStringLiteral("Available"), m_device->Available());
    rows.decimalRow(root, QStringLiteral("Gain"), m_device->Gain());
    rows.boolRow(root, QStringLiteral("GainAvailable"), m_device->GainAvailable());
    rows.boolRow(root, QStringLiteral("MicrophoneAndSpeaker"), m_device->MicrophoneAndSpeaker());
    rows.boolRow(root, QStringLiteral("MicrophoneOnly"), m_device->MicrophoneOnly());
    rows.flags(root, QStringLiteral("Modes"), m_device->Modes(), HookSwitchModeText, 0x10, 1);
    rows.boolRow(root, QStringLiteral("OnHook"), m_device->OnHook());
    rows.boolRow(root, QStringLiteral("SpeakerOnly"), m_device->SpeakerOnly());
    rows.decimalRow(root, QStringLiteral("Volume"), m_device->Volume());
    rows.boolRow(root, QStringLiteral("VolumeAvailable"), m_device->VolumeAvailable());
}

void TnvHookSwitchPage::modeClicked(int mode)
{
    if (!m_device)
        return;
    QRadioButton* button = RBModes[std::size_t(mode)];
    // A click selects a mode; it never clears one (the control refuses False anyway).
    TnvQuietWriter::setChecked(button, true);
    const bool checked = button->isChecked();
    switch (mode) {
    case 0:
        m_device->setOnHook(checked);
        break;
    case 1:
        m_device->setMicrophoneOnly(checked);
        break;
    case 2:
        m_device->setSpeakerOnly(checked);
        break;
    default:
        m_device->setMicrophoneAndSpeaker(checked);
        break;
    }
    m_afterChange();
}

void TnvHookSwitchPage::volumeLeft()
{
    if (!m_device)
        return;
    m_device->setVolume(TBVolume->value());
    m_afterChange();
}

void TnvHookSwitchPage::gainLeft()
{
    if (!m_device)
        return;
    m_device->setGain(TBGain->value());
    m_afterChange();
}

void TnvHookSwitchPage::apply()
{
    if (!m_device)
        return;
    // Only what the user moved is set, gain first.
    if (TBGain->value() != m_device->Gain())
        m_device->setGain(TBGain->value());
    if (TBVolume->value() != m_device->Volume())
        m_device->setVolume(TBVolume->value());
    m_afterChange();
}

bool TnvHookSwitchPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // A menu or another window borrowing the focus is not leaving the bar.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (watched == TBVolume)
                volumeLeft();
            else if (watched == TBGain)
                gainLeft();
        }
    }
    return QWidget::eventFilter(watched, event);
}
