#include "TnvPhoneVantage.h"

#include "TnvEditRules.h"
#include "TnvHookSwitchPage.h"
#include "TnvLogPage.h"
#include "TnvPhoneInfoPage.h"
#include "TnvPhoneMenus.h"
#include "TnvPhoneVantageArt.h"
#include "TnvQuietWriter.h"
#include "TnvSideTabWidget.h"
#include "TnvVantageMenus.h"
#include "TnvWindowPlacement.h"

#include <TnvError.h>
#include <TnvPhone.h>
#include <TnvVantage.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <utility>

namespace {

// The page control's first size; the window's first size is made from it. Upright tab
// captions take a column of their own, so it is wider than the pages need alone.
constexpr int kPageControlWidth = 540;
constexpr int kPageControlHeight = 280;
constexpr int kContextHelpCommand = 8;

} // namespace

TnvPhoneVantage::TnvPhoneVantage(TnvPhone* phone)
    : m_phone(phone)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("nvPhoneVantage"));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint
                   | Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 2);
    layout->setSpacing(4);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MenuVantage = new QMenu(QStringLiteral("&Vantage"), MainMenu1);
    MenuVantage->setObjectName(QStringLiteral("MenuVantage"));
    MenuDevEnv = TnvVantageMenus::addDevEnvMenu(MenuVantage, phone->Vantage(), this,
                                                [this](TDevEnv env) { selectDevEnv(env); }, devEnvItems);
    layout->setMenuBar(MainMenu1);
    makeDeviceGroup();
    layout->addWidget(GroupBoxDevice);

    PageControl1 = new TnvSideTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setIconSize(QSize(16, 16));
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setMinimumSize(390, 250);
    logPage = new TnvLogPage(phone, PageControl1);
    const auto refreshAll = [this] { RefreshHookSwitches(); };
    handsetPage = new TnvHookSwitchPage(phone->Handset(), phone->Vantage(), refreshAll, PageControl1);
    headsetPage = new TnvHookSwitchPage(phone->Headset(), phone->Vantage(), refreshAll, PageControl1);
    speakerphonePage = new TnvHookSwitchPage(phone->Speakerphone(), phone->Vantage(), refreshAll, PageControl1);
    infoPage = new TnvPhoneInfoPage(phone, PageControl1);
    PageControl1->addTab(logPage, QStringLiteral("Log"));
    PageControl1->addTab(handsetPage, QStringLiteral("Handset"));
    PageControl1->addTab(headsetPage, QStringLiteral("Headset"));
    PageControl1->addTab(speakerphonePage, QStringLiteral("Speakerphone"));
    PageControl1->addTab(infoPage, QStringLiteral("Misc."));
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->tabBar()->setTabData(i, -1);
    setTabIcon(PageLog, TnvPhoneVantageArt::WarningGrey);
    setTabIcon(PageHandset, TnvPhoneVantageArt::HandsetMissing);
    setTabIcon(PageHeadset, TnvPhoneVantageArt::HeadsetMissing);
    setTabIcon(PageSpeakerphone, TnvPhoneVantageArt::SpeakerMissing);
    layout->addWidget(PageControl1, 1);
    PageControl1->setCurrentWidget(logPage);

    menus = new TnvPhoneMenus(this, phone);
    menus->build(MainMenu1, MenuVantage);

    connect(logPage, &TnvLogPage::errorIndicatorChanged, this, [this](bool lit) {
        setTabIcon(PageLog, lit ? TnvPhoneVantageArt::WarningRed : TnvPhoneVantageArt::WarningGrey);
    });
    // The client area is the page control and the rows above it, with its margins.
    const QMargins margins = layout->contentsMargins();
    const int top = margins.top() + MainMenu1->sizeHint().height() + GroupBoxDevice->height() + layout->spacing();
    resize(QSize(2 * margins.left() + kPageControlWidth, top + kPageControlHeight + 4).expandedTo(minimumSizeHint()));
}

TnvPhoneVantage::~TnvPhoneVantage()
{
    // The settings stop calling into this window before any of its parts go.
    if (TnvVantage* vantage = std::exchange(m_vantage, nullptr))
        vantage->windowDestroyed();
}

void TnvPhoneVantage::makeDeviceGroup()
{
    GroupBoxDevice = new QGroupBox(this);
    GroupBoxDevice->setObjectName(QStringLiteral("GroupBoxDevice"));
    GroupBoxDevice->setFixedHeight(48);
    auto* row = new QHBoxLayout(GroupBoxDevice);
    row->setContentsMargins(4, 2, 4, 4);
    row->setSpacing(4);
    SpeedButtonDeviceActive = new QToolButton(GroupBoxDevice);
    SpeedButtonDeviceActive->setObjectName(QStringLiteral("SpeedButtonDeviceActive"));
    SpeedButtonDeviceActive->setToolTip(QStringLiteral("nvPhone.Device.Active := True"));
    SpeedButtonDeviceActive->setCheckable(true);
    SpeedButtonDeviceActive->setAutoRaise(true);
    SpeedButtonDeviceActive->setFixedSize(23, 22);
    // Up shows the telephone grey, down shows it lifted.
    QIcon lamp;
    lamp.addPixmap(TnvPhoneVantageArt::tabIcon(TnvPhoneVantageArt::HandsetMissing).pixmap(16, 16), QIcon::Normal, QIcon::Off);
    lamp.addPixmap(TnvPhoneVantageArt::tabIcon(TnvPhoneVantageArt::HandsetOffHook).pixmap(16, 16), QIcon::Normal, QIcon::On);
    SpeedButtonDeviceActive->setIcon(lamp);
    ComboBoxDevice = new QComboBox(GroupBoxDevice);
    ComboBoxDevice->setObjectName(QStringLiteral("ComboBoxDevice"));
    ComboBoxDevice->setToolTip(QStringLiteral("nvPhone.Device.Name"));
    ComboBoxDevice->setEditable(true);
    ComboBoxDevice->setInsertPolicy(QComboBox::NoInsert);
    row->addWidget(SpeedButtonDeviceActive);
    row->addWidget(ComboBoxDevice, 1);
    connect(SpeedButtonDeviceActive, &QToolButton::clicked, this, [this] { toggleDeviceActive(); });
    TnvEditRules::onListChange(ComboBoxDevice, [this](int index) {
        if (m_phone)
            m_phone->Device()->setID(index);
    });
}

// --- Window interface -----------------------------------------------------------

void TnvPhoneVantage::initialise(TnvVantage* vantage)
{
    m_vantage = vantage;
    refreshLogView();
}

void TnvPhoneVantage::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TnvPhoneVantage::setStayOnTop(bool stayOnTop)
{
    TnvWindowPlacement::setStayOnTop(this, stayOnTop);
}

void TnvPhoneVantage::setPlacement(int top, int left, int width, int height)
{
    TnvWindowPlacement::setPlacement(this, top, left, width, height);
}

QRect TnvPhoneVantage::normalGeometry() const
{
    return TnvWindowPlacement::normalGeometry(this);
}

TWindowState TnvPhoneVantage::windowState() const
{
    return TnvWindowPlacement::windowState(this);
}

void TnvPhoneVantage::setWindowState(TWindowState state)
{
    TnvWindowPlacement::setWindowState(this, state);
}

void TnvPhoneVantage::showWindow()
{
    show();
    raise();
    activateWindow();
    reportPlacement();
}

void TnvPhoneVantage::selectLogPage()
{
    PageControl1->setCurrentWidget(logPage);
}

void TnvPhoneVantage::selectInitialPage(bool)
{
    selectLogPage();
}

void TnvPhoneVantage::fillPanes()
{
    RefreshDevice();
    RefreshInfo();
    RefreshDeviceButton();
    RefreshHookSwitches();
}

void TnvPhoneVantage::closeWindow()
{
    // The settings already forgot this window; nothing may report back to them.
    m_vantage = nullptr;
    detach();
    close();
}

void TnvPhoneVantage::detach()
{
    m_phone = nullptr;
    logPage->detach();
    for (TnvHookSwitchPage* page : {handsetPage, headsetPage, speakerphonePage})
        page->detach();
    infoPage->detach();
}

void TnvPhoneVantage::refreshLogView()
{
    if (m_phone)
        logPage->refreshLogView();
}

void TnvPhoneVantage::refreshErrorDisplay()
{
    if (m_phone && m_phone->Error()->Number() != 0)
        ShowError();
}

bool TnvPhoneVantage::copyLogToClipboard()
{
    return m_phone && logPage->copyToClipboard();
}

// --- Refresh operations ---------------------------------------------------------

void TnvPhoneVantage::RefreshDeviceButton()
{
    if (m_phone)
        TnvQuietWriter::setChecked(SpeedButtonDeviceActive, m_phone->Device()->Active());
}

void TnvPhoneVantage::RefreshDevice()
{
    if (!m_phone)
        return;
    const TnvPhoneDevice* device = m_phone->Device();
    TnvQuietWriter::setTitle(GroupBoxDevice, m_phone->Vantage()->Notate(QStringLiteral("Device.ID = ") + QString::number(device->ID())
                                                                        + QStringLiteral("    Device.Count = ")
                                                                        + QString::number(device->Count())));
    TnvQuietWriter::setList(ComboBoxDevice, device->List(), device->Count() ? device->ID() : -1);
}

void TnvPhoneVantage::refreshPage(Page page)
{
    if (!m_phone)
        return;
    TnvHookSwitchPage* hookPage = hookSwitchPage(page);
    setTabIcon(page, hookPage->tabIconIndex());
    hookPage->refresh();
}

void TnvPhoneVantage::RefreshHandset()
{
    refreshPage(PageHandset);
}

void TnvPhoneVantage::RefreshHeadset()
{
    refreshPage(PageHeadset);
}

void TnvPhoneVantage::RefreshSpeakerphone()
{
    refreshPage(PageSpeakerphone);
}

void TnvPhoneVantage::RefreshHookSwitches()
{
    if (!m_phone)
        return;
    RefreshHandset();
    RefreshHeadset();
    RefreshSpeakerphone();
    RefreshInfo();
}

void TnvPhoneVantage::RefreshInfo()
{
    if (m_phone)
        infoPage->refresh();
}

void TnvPhoneVantage::ShowError()
{
    if (!m_phone)
        return;
    logPage->showError();
    setTabIcon(PageLog, TnvPhoneVantageArt::WarningRed);
    RefreshInfo();
}

// --- DevEnv ---------------------------------------------------------------------

void TnvPhoneVantage::selectDevEnv(TDevEnv env)
{
    if (!m_phone)
        return;
    for (int i = 0; i < 4; ++i)
        devEnvItems[std::size_t(i)]->setChecked(TnvVantageMenus::devEnvAt(i) == env);
    m_phone->Vantage()->setDevEnv(env);
    RefreshDevice();
    RefreshHookSwitches();
    RefreshInfo();
    refreshLogView();
    infoPage->applyNotation();
    applyNotationToHints();
}

void TnvPhoneVantage::applyNotationToHints()
{
    TnvVantage* vantage = m_phone->Vantage();
    const auto hint = [&](std::initializer_list<const char*> names, const QString& text) {
        const QString notated = vantage->Notate(text);
        for (const char* name : names) {
            if (auto* widget = findChild<QWidget*>(QLatin1String(name)))
                widget->setToolTip(notated);
        }
    };
    hint({"SpeedButtonDeviceActive"}, QStringLiteral("nvPhone~Device.Active := ") + TnvVantage::BoolText(true)
                                          + QLatin1Char('/') + TnvVantage::BoolText(false));
    hint({"ComboBoxDevice"}, QStringLiteral("nvPhone~Device.Name"));
    hint({"CheckBoxLogActive"}, QStringLiteral("nvPhone~Vantage.Log.Active"));
    hint({"CheckBoxLogTimeStamp"}, QStringLiteral("nvPhone~Vantage.Log.TimeStamp"));
    hint({"LabelLogCount", "EditLogCount"}, QStringLiteral("nvPhone~Vantage.Log.Count"));
    hint({"MemoLog"}, QStringLiteral("nvPhone~Vantage.Log.Lines"));
    hint({"TreeViewInfo"}, QStringLiteral("nvPhone Information"));
    for (TnvHookSwitchPage* page : {handsetPage, headsetPage, speakerphonePage})
        page->applyNotation();
}

// --- Tabs -----------------------------------------------------------------------

TnvHookSwitchPage* TnvPhoneVantage::hookSwitchPage(Page page) const
{
    switch (page) {
    case PageHandset:
        return handsetPage;
    case PageHeadset:
        return headsetPage;
    case PageSpeakerphone:
        return speakerphonePage;
    default:
        return nullptr;
    }
}

void TnvPhoneVantage::setTabIcon(Page page, int index)
{
    QTabBar* bar = PageControl1->tabBar();
    if (bar->tabData(page).toInt() == index)
        return;
    bar->setTabData(page, index);
    bar->setTabIcon(page, TnvPhoneVantageArt::tabIcon(index));
}

int TnvPhoneVantage::tabIconIndex(Page page) const
{
    return PageControl1->tabBar()->tabData(page).toInt();
}

// --- Lifetime and placement -----------------------------------------------------

void TnvPhoneVantage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce || !m_phone)
        return;
    // The first show writes everything once more in the chosen notation.
    m_shownOnce = true;
    selectDevEnv(m_phone->Vantage()->DevEnv());
}

void TnvPhoneVantage::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    // The window is freed once closed; the control stops calling into it at once.
    if (TnvVantage* vantage = std::exchange(m_vantage, nullptr)) {
        vantage->windowClosed();
        vantage->windowDestroyed();
    }
    detach();
}

void TnvPhoneVantage::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    reportPlacement();
}

void TnvPhoneVantage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    reportPlacement();
}

void TnvPhoneVantage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        reportPlacement();
}

bool TnvPhoneVantage::event(QEvent* event)
{
    // The title bar's help button asks for context help.
    if (event->type() == QEvent::EnterWhatsThisMode && m_vantage) {
        QWhatsThis::leaveWhatsThisMode();
        m_vantage->ContextHelp(kContextHelpCommand, 0);
        return true;
    }
    return QWidget::event(event);
}

void TnvPhoneVantage::reportPlacement()
{
    if (m_vantage && isVisible())
        m_vantage->windowPlacementChanged(normalGeometry(), windowState());
}

// --- Commands --------------------------------------------------------------------

void TnvPhoneVantage::toggleDeviceActive()
{
    if (!m_phone)
        return;
    // Inverts what the control holds, not what the button shows: the two can differ
    // after the device was switched from elsewhere.
    TnvPhoneDevice* device = m_phone->Device();
    device->setActive(!device->Active());
    TnvQuietWriter::setChecked(SpeedButtonDeviceActive, device->Active());
}
