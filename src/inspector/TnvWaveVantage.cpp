#include "TnvWaveVantage.h"

#include "TnvEditRules.h"
#include "TnvLineVantageArt.h"
#include "TnvLogPage.h"
#include "TnvQuietWriter.h"
#include "TnvVantageMenus.h"
#include "TnvWaveBufferPage.h"
#include "TnvWaveFormatPage.h"

#include <TnvHostServices.h>
#include <TnvVantage.h>
#include <TnvWaveControl.h>
#include <TnvWaveDevice.h>
#include <TnvWavePopup.h>

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A red dot: the record window's Active button.
QIcon recordIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x80, 0, 0));
    painter.setBrush(QColor(0xd0, 0x10, 0x10));
    painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    return QIcon(pixmap);
}

} // namespace

TnvWaveVantage::TnvWaveVantage(TnvWaveControl* control, TnvWaveDevice* device, TnvWavePopup* popup,
                               const char* objectName, bool editableFormat)
    : TnvVantageForm(control, {objectName, "MainMenu1", QMargins(2, 0, 2, 2), 4, QSize(305, 189), &TnvLineVantageArt::tabIcon})
    , m_wave(control)
    , m_device(device)
    , m_popup(popup)
{
    MainMenu1 = mainMenu();
    const QString kind = TnvSharedControl::KindText(control->Kind());
    const bool record = control->Kind() == ckRecord;
    QStyle* s = style();
    const QList<QToolButton*> buttons = makeFrame(
        {{"SpeedButtonActive", kind + QStringLiteral(".Device.Active := True"),
          record ? recordIcon() : s->standardIcon(QStyle::SP_MediaPlay)},
         {"SpeedButtonInactive", kind + QStringLiteral(".Device.Active := False"), s->standardIcon(QStyle::SP_MediaStop)},
         {"SpeedButtonPause", kind + QStringLiteral(".Device.Pause := True"), s->standardIcon(QStyle::SP_MediaPause)}},
        kind + QStringLiteral(".Device.Name"));
    SpeedButtonActive = buttons.at(0);
    SpeedButtonInactive = buttons.at(1);
    SpeedButtonPause = buttons.at(2);
    // Whatever a click did to a button, it shows the device afterwards. Starting and
    // stopping may run the event loop, in which the window can be closed.
    const auto act = [this](auto action) {
        return [this, action] {
            if (!m_wave)
                return;
            const QPointer<TnvWaveVantage> self(this);
            action();
            if (self)
                RefreshButtons();
        };
    };
    connect(SpeedButtonActive, &QToolButton::clicked, this, act([this] {
        if (!deviceActive())
            toggleDeviceActive();
    }));
    connect(SpeedButtonInactive, &QToolButton::clicked, this, act([this] {
        if (deviceActive())
            toggleDeviceActive();
    }));
    connect(SpeedButtonPause, &QToolButton::clicked, this, act([this] { toggleDevicePause(); }));
    TnvEditRules::onListChange(ComboBoxDevice, [this](int index) {
        if (m_wave)
            setDeviceID(index);
    });

    bufferPage = new TnvWaveBufferPage(
        control, [this](QComboBox* box, bool load) { chooseBufferFiles(box, load); }, nullptr);
    formatPage = new TnvWaveFormatPage(control, editableFormat, nullptr);
}

void TnvWaveVantage::makeSourcePages()
{
    const QString kind = TnvSharedControl::KindText(m_wave->Kind());
    TabSheetSource = new QWidget(PageControl1);
    TabSheetSource->setObjectName(QStringLiteral("TabSheetSource"));
    PageControlSource = new QTabWidget(TabSheetSource);
    PageControlSource->setObjectName(QStringLiteral("PageControlSource"));
    auto* sourceLayout = new QVBoxLayout(TabSheetSource);
    sourceLayout->setContentsMargins(2, 2, 2, 2);
    sourceLayout->addWidget(PageControlSource);

    TabSheetSourceMain = new QWidget;
    TabSheetSourceMain->setObjectName(QStringLiteral("TabSheetSourceMain"));
    auto* grid = new QGridLayout(TabSheetSourceMain);
    grid->setContentsMargins(4, 6, 2, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(6);
    ComboBoxFileName = new QComboBox(TabSheetSourceMain);
    ComboBoxFileName->setObjectName(QStringLiteral("ComboBoxFileName"));
    ComboBoxFileName->setToolTip(kind + QStringLiteral(".Source.FileName"));
    ComboBoxFileName->setEditable(true);
    ComboBoxFileName->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxFileName->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    SpeedButtonFileSelect = new QToolButton(TabSheetSourceMain);
    SpeedButtonFileSelect->setObjectName(QStringLiteral("SpeedButtonFileSelect"));
    SpeedButtonFileSelect->setToolTip(ComboBoxFileName->toolTip());
    SpeedButtonFileSelect->setAutoRaise(true);
    SpeedButtonFileSelect->setFixedSize(23, 22);
    SpeedButtonFileSelect->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    auto* fileRow = new QHBoxLayout;
    fileRow->setSpacing(4);
    fileRow->addWidget(ComboBoxFileName, 1);
    fileRow->addWidget(SpeedButtonFileSelect);
    grid->addLayout(fileRow, 0, 0, 1, 3);
    LabelMaxSize = new QLabel(QStringLiteral("MaxSize ="), TabSheetSourceMain);
    LabelMaxSize->setObjectName(QStringLiteral("LabelMaxSize"));
    EditMaxSize = new QLineEdit(QStringLiteral("0"), TabSheetSourceMain);
    EditMaxSize->setObjectName(QStringLiteral("EditMaxSize"));
    EditMaxSize->setToolTip(kind + QStringLiteral(".Source.MaxSize (kilobytes)"));
    EditMaxSize->setMaximumWidth(100);
    LabelSourceValid = new QLabel(QStringLiteral("Valid = "), TabSheetSourceMain);
    LabelSourceValid->setObjectName(QStringLiteral("LabelSourceValid"));
    EditSourceValid = new QLineEdit(QStringLiteral("False"), TabSheetSourceMain);
    EditSourceValid->setObjectName(QStringLiteral("EditSourceValid"));
    EditSourceValid->setToolTip(kind + QStringLiteral(".Source.Valid"));
    EditSourceValid->setReadOnly(true);
    EditSourceValid->setMaximumWidth(100);
    grid->addWidget(LabelMaxSize, 1, 0);
    grid->addWidget(EditMaxSize, 1, 1);
    grid->addWidget(LabelSourceValid, 2, 0);
    grid->addWidget(EditSourceValid, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);

    PageControlSource->addTab(TabSheetSourceMain, QStringLiteral("Source"));
    PageControlSource->addTab(bufferPage, QStringLiteral("Source.Buffer"));
    PageControlSource->addTab(formatPage, QStringLiteral("Source.Format"));
    PageControlSource->setCurrentWidget(bufferPage);
    addPage(TabSheetSource, QStringLiteral("Source"));

    // Refreshes write the box with its signals blocked, so only the user gets here.
    connect(ComboBoxFileName, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (m_wave)
            m_wave->Source()->setFileName(text);
    });
    connect(SpeedButtonFileSelect, &QToolButton::clicked, this, [this] {
        if (m_wave)
            selectSourceFile();
    });
    TnvEditRules::onLeaving(EditMaxSize, [this] {
        if (m_wave)
            m_wave->Source()->setMaxSize(TnvEditRules::readDecimal(EditMaxSize->text()));
    });
}

QAction* TnvWaveVantage::addDeviceItem(const char* name, const QString& caption, const QKeySequence& shortcut)
{
    QAction* item = MenuDevice->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setCheckable(true);
    item->setShortcut(shortcut);
    return item;
}

void TnvWaveVantage::makeMenus(const QStringList& popupEvents, const QStringList& inert)
{
    const bool record = m_wave->Kind() == ckRecord;
    const QString kind = TnvSharedControl::KindText(m_wave->Kind());
    const auto menu = [&](QMenu*& target, const QString& name, const QString& caption) {
        target = new QMenu(caption, MainMenu1);
        target->setObjectName(name);
        MainMenu1->addMenu(target);
    };
    menu(MenuNvControl, record ? QStringLiteral("MenuNvRecord") : QStringLiteral("MenuNvPlay"), kind);
    menu(MenuDevice, QStringLiteral("MenuDevice"), QStringLiteral("&Device"));
    menu(MenuPopUp, QStringLiteral("MenuPopUp"), QStringLiteral("&PopUp"));
    MainMenu1->addMenu(MenuVantage);
    menu(MenuHelp, QStringLiteral("MenuHelp"), QStringLiteral("&Help"));

    MenuEnabled = MenuNvControl->addAction(QStringLiteral("Enabled"));
    MenuEnabled->setObjectName(record ? QStringLiteral("menuEnabled") : QStringLiteral("MenuEnabled"));
    MenuEnabled->setCheckable(true);
    connect(MenuNvControl, &QMenu::aboutToShow, this, [this] {
        if (m_wave)
            MenuEnabled->setChecked(m_wave->Enabled());
    });
    connect(MenuEnabled, &QAction::triggered, this, [this] {
        if (!m_wave)
            return;
        m_wave->setEnabled(!m_wave->Enabled());
        if (m_wave)
            MenuEnabled->setChecked(m_wave->Enabled());
    });
    connect(MenuDevice, &QMenu::aboutToShow, this, [this] {
        if (m_wave)
            deviceMenuOpening();
    });

    QList<QAction*> items;
    for (const QString& event : popupEvents) {
        QAction* item = MenuPopUp->addAction(event);
        item->setObjectName(QStringLiteral("MenuPopUp") + event);
        if (inert.contains(event))
            continue;
        item->setCheckable(true);
        items << item;
        // The checked state already shows the inverted mark; the flag follows it.
        connect(item, &QAction::triggered, this, [this, event](bool checked) {
            if (m_wave)
                m_popup->setFlag(event, checked);
        });
    }
    connect(MenuPopUp, &QMenu::aboutToShow, this, [this, items] {
        if (!m_wave)
            return;
        for (QAction* item : items)
            item->setChecked(m_popup->flag(item->text()));
    });
    TnvVantageMenus::addVantageItems(MenuVantage, m_wave->Vantage(), this);
    // The wave windows write these two items in full.
    if (auto* stayOnTop = MenuVantage->findChild<QAction*>(QStringLiteral("MenuVantageStayOnTop")))
        stayOnTop->setText(QStringLiteral("&Stay On Top"));
    if (auto* visible = MenuVantage->findChild<QAction*>(QStringLiteral("MenuVantageVisible")))
        visible->setText(QStringLiteral("&Visible"));
    TnvVantageMenus::fillHelp(MenuHelp, m_wave->Vantage(), this);
}

QStringList TnvWaveVantage::askForFiles(const TnvFileRequest& request)
{
    return TnvHostServices::instance().chooseFiles(request);
}

void TnvWaveVantage::detach()
{
    m_wave = nullptr;
    bufferPage->detach();
    formatPage->detach();
    TnvVantageForm::detach();
}

void TnvWaveVantage::selectInitialPage(bool logPage)
{
    if (logPage || (m_wave && m_wave->Source()->Valid()))
        selectLogPage();
    else
        PageControl1->setCurrentWidget(TabSheetSource);
}

void TnvWaveVantage::refreshInfo()
{
    RefreshBuffer();
    RefreshSourceFile();
    if (m_wave)
        formatPage->refresh();
}

bool TnvWaveVantage::deviceActive() const
{
    return m_wave && m_device->Active();
}

bool TnvWaveVantage::devicePause() const
{
    return m_wave && m_device->Pause();
}

// --- Refresh operations ---------------------------------------------------------

void TnvWaveVantage::showDeviceList()
{
    showDevices(m_device->ID(), m_device->Count(), m_device->List());
}

void TnvWaveVantage::RefreshButtons()
{
    if (!m_wave)
        return;
    const bool active = deviceActive();
    TnvQuietWriter::setChecked(SpeedButtonActive, active);
    TnvQuietWriter::setChecked(SpeedButtonInactive, !active);
    TnvQuietWriter::setChecked(SpeedButtonPause, devicePause());
}

void TnvWaveVantage::RefreshSourceFile()
{
    if (!m_wave)
        return;
    const TnvWaveSource* source = m_wave->Source();
    TnvQuietWriter::setComboText(ComboBoxFileName, source->FileName());
    TnvQuietWriter::setText(EditSourceValid, TnvVantage::BoolText(source->Valid()));
}

void TnvWaveVantage::RefreshMaxSize()
{
    if (m_wave)
        TnvQuietWriter::setText(EditMaxSize, QString::number(m_wave->Source()->MaxSize()));
}

void TnvWaveVantage::RefreshBuffer()
{
    if (m_wave)
        bufferPage->refresh();
}

// --- Hints ----------------------------------------------------------------------

void TnvWaveVantage::applySharedHints()
{
    const QString kind = TnvSharedControl::KindText(m_wave->Kind());
    const QString yes = TnvVantage::BoolText(true);
    const QString no = TnvVantage::BoolText(false);
    setHint({"ComboBoxDevice"}, kind + QStringLiteral("~Device.Name"));
    setHint({"CheckBoxLogActive"}, kind + QStringLiteral("~Vantage.Log.Active"));
    setHint({"LabelLogCount", "EditLogCount"}, kind + QStringLiteral("~Vantage.Log.Count"));
    setHint({"CheckBoxLogTimeStamp"}, kind + QStringLiteral("~Vantage.Log.TimeStamp"));
    setHint({"MemoLog"}, kind + QStringLiteral("~Vantage.Log.Lines"));
    setHint({"SpeedButtonActive"}, kind + QStringLiteral("~Device.Active := ") + yes);
    setHint({"SpeedButtonInactive"}, kind + QStringLiteral("~Device.Active := ") + no);
    setHint({"ComboBoxFileName", "SpeedButtonFileSelect"}, kind + QStringLiteral("~Source.FileName"));
    setHint({"EditSourceValid"}, kind + QStringLiteral("~Source.Valid"));
    bufferPage->applyNotation();
    formatPage->applyNotation();
}
