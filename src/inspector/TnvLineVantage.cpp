#include "TnvLineVantage.h"

#include "TnvEditRules.h"
#include "TnvLineAddressPage.h"
#include "TnvLineCallPage.h"
#include "TnvLineInfoPage.h"
#include "TnvLineJoinPage.h"
#include "TnvLineMenus.h"
#include "TnvLineTerminalPage.h"
#include "TnvLogPage.h"
#include "TnvWindowPlacement.h"
#include "TnvQuietWriter.h"
#include "TnvSideTabWidget.h"
#include "TnvVantageMenus.h"

#include <TapiConstants.h>
#include <TnvAddressCaps.h>
#include <TnvError.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvVantage.h>

#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QTimer>
#include <QWhatsThis>

#include <utility>

namespace {

// The page control's designed size; the window's first size is made from it. Upright
// tab captions take a column of their own, so it is wider than the pages need alone.
constexpr int kPageControlWidth = 480;
constexpr int kPageControlHeight = 300;
constexpr int kContextHelpCommand = 8;
// The shortest time between two paints of the window while the control is busy: about
// two display frames.
constexpr int kPaintIntervalMs = 30;

} // namespace

TnvLineVantage::TnvLineVantage(TnvLine* line)
    : m_line(line)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("nvLineVantage"));
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint
                   | Qt::WindowContextHelpButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    makeMenu();
    layout->setMenuBar(nvLineMainMenu);
    makeDeviceGroup();
    layout->addWidget(GroupBoxDevice);

    PageControl1 = new TnvSideTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setIconSize(QSize(16, 16));
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setMinimumSize(390, 250);
    logPage = new TnvLogPage(line, PageControl1);
    callPage = new TnvLineCallPage(line, PageControl1);
    transferPage = new TnvLineJoinPage(TnvLineJoinPage::Transfer, line, PageControl1);
    conferencePage = new TnvLineJoinPage(TnvLineJoinPage::Conference, line, PageControl1);
    for (TnvLineJoinPage* page : {transferPage, conferencePage})
        connect(page, &TnvLineJoinPage::callChosen, this, [this] { PageControl1->setCurrentWidget(callPage); });
    menus = new TnvLineMenus(this, line);
    menus->build(nvLineMainMenu, MenuVantage);
    addressPage = new TnvLineAddressPage(line, PageControl1);
    terminalPage = new TnvLineTerminalPage(line, PageControl1);
    infoPage = new TnvLineInfoPage(line, PageControl1);
    PageControl1->addTab(logPage, QStringLiteral("Log"));
    PageControl1->addTab(callPage, QStringLiteral("Call (0)"));
    PageControl1->addTab(transferPage, QStringLiteral("Transfer"));
    PageControl1->addTab(conferencePage, QStringLiteral("Conference"));
    PageControl1->addTab(addressPage, QStringLiteral("Address"));
    PageControl1->addTab(terminalPage, QStringLiteral("Terminal"));
    PageControl1->addTab(infoPage, QStringLiteral("Misc."));
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->tabBar()->setTabData(i, -1);
    setTabIcon(PageLog, TnvLineVantageArt::WarningGrey);
    setTabIcon(PageCall, TnvLineVantageArt::PhoneGrey);
    layout->addWidget(PageControl1, 1);
    PageControl1->setCurrentWidget(logPage);

    m_paintTimer = new QTimer(this);
    m_paintTimer->setSingleShot(true);
    connect(m_paintTimer, &QTimer::timeout, this, [this] { setUpdatesEnabled(true); });

    connect(logPage, &TnvLogPage::errorIndicatorChanged, this, [this](bool lit) {
        setTabIcon(PageLog, lit ? TnvLineVantageArt::WarningRed : TnvLineVantageArt::WarningGrey);
    });
    // The client area is the page control and the rows above it, with its margins.
    const QMargins margins = layout->contentsMargins();
    const int top = margins.top() + nvLineMainMenu->sizeHint().height() + GroupBoxDevice->height() + layout->spacing();
    // Wide enough for the whole menu bar: no menu starts hidden behind its overflow button.
    const int width = qMax(margins.left() + kPageControlWidth + margins.right(), nvLineMainMenu->sizeHint().width());
    resize(QSize(width, top + kPageControlHeight + 4).expandedTo(minimumSizeHint()));
}

TnvLineVantage::~TnvLineVantage()
{
    // The settings stop calling into this window before any of its parts go.
    if (TnvVantage* vantage = std::exchange(m_vantage, nullptr))
        vantage->windowDestroyed();
}

void TnvLineVantage::makeMenu()
{
    nvLineMainMenu = new QMenuBar(this);
    nvLineMainMenu->setObjectName(QStringLiteral("nvLineMainMenu"));
    MenuVantage = nvLineMainMenu->addMenu(QStringLiteral("&Vantage"));
    MenuVantage->setObjectName(QStringLiteral("MenuVantage"));
    MenuDevEnv = TnvVantageMenus::addDevEnvMenu(MenuVantage, m_line->Vantage(), this,
                                                [this](TDevEnv env) { selectDevEnv(env); }, devEnvItems);
}

void TnvLineVantage::makeDeviceGroup()
{
    GroupBoxDevice = new QGroupBox(this);
    GroupBoxDevice->setObjectName(QStringLiteral("GroupBoxDevice"));
    GroupBoxDevice->setFixedHeight(48);
    auto* row = new QHBoxLayout(GroupBoxDevice);
    row->setContentsMargins(4, 2, 4, 4);
    row->setSpacing(4);
    SpeedButtonDeviceActive = new QToolButton(GroupBoxDevice);
    SpeedButtonDeviceActive->setObjectName(QStringLiteral("SpeedButtonDeviceActive"));
    SpeedButtonDeviceActive->setToolTip(QStringLiteral("nvLine.Device.Active := True"));
    SpeedButtonDeviceActive->setCheckable(true);
    SpeedButtonDeviceActive->setAutoRaise(true);
    SpeedButtonDeviceActive->setFixedSize(23, 22);
    // Up shows the lamp off, down shows it lit.
    QIcon lamp;
    lamp.addPixmap(TnvLineVantageArt::tabIcon(TnvLineVantageArt::RingGrey).pixmap(16, 16), QIcon::Normal, QIcon::Off);
    lamp.addPixmap(TnvLineVantageArt::tabIcon(TnvLineVantageArt::Lamp).pixmap(16, 16), QIcon::Normal, QIcon::On);
    SpeedButtonDeviceActive->setIcon(lamp);
    ComboBoxDevice = new QComboBox(GroupBoxDevice);
    ComboBoxDevice->setObjectName(QStringLiteral("ComboBoxDevice"));
    ComboBoxDevice->setToolTip(QStringLiteral("nvLine.Device.Name"));
    ComboBoxDevice->setEditable(true);
    ComboBoxDevice->setInsertPolicy(QComboBox::NoInsert);
    row->addWidget(SpeedButtonDeviceActive);
    row->addWidget(ComboBoxDevice, 1);
    connect(SpeedButtonDeviceActive, &QToolButton::clicked, this, [this] { toggleDeviceActive(); });
    TnvEditRules::onListChange(ComboBoxDevice, [this](int index) { m_line->Device()->setID(index); });
}

// --- Window interface -----------------------------------------------------------

void TnvLineVantage::initialise(TnvVantage* vantage)
{
    m_vantage = vantage;
    refreshLogView();
}

void TnvLineVantage::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TnvLineVantage::setStayOnTop(bool stayOnTop)
{
    TnvWindowPlacement::setStayOnTop(this, stayOnTop);
}

void TnvLineVantage::setPlacement(int top, int left, int width, int height)
{
    TnvWindowPlacement::setPlacement(this, top, left, width, height);
}

QRect TnvLineVantage::normalGeometry() const
{
    return TnvWindowPlacement::normalGeometry(this);
}

TWindowState TnvLineVantage::windowState() const
{
    return TnvWindowPlacement::windowState(this);
}

void TnvLineVantage::setWindowState(TWindowState state)
{
    TnvWindowPlacement::setWindowState(this, state);
}

void TnvLineVantage::showWindow()
{
    show();
    raise();
    activateWindow();
    reportPlacement();
}

void TnvLineVantage::selectLogPage()
{
    PageControl1->setCurrentWidget(logPage);
}

void TnvLineVantage::selectInitialPage(bool)
{
    selectLogPage();
}

void TnvLineVantage::fillPanes()
{
    RefreshDevice();
    RefreshCall();
    RefreshTransfer(-1);
    ShowTransferPhoneNumber();
    RefreshConference(-1);
    ShowConferencePhoneNumber();
    RefreshInfo();
    RefreshEnabled();
    RefreshTerminal();
    RefreshCallControl();
    RefreshAddress();
    RefreshDigits();
    RefreshParameters();
    ShowDigitsGathered(QString());
    ShowDigitReceived(QString());
    RefreshCallerID();
}

void TnvLineVantage::closeWindow()
{
    // The settings already forgot this window; nothing may report back to them.
    m_vantage = nullptr;
    detach();
    close();
}

void TnvLineVantage::detach()
{
    m_line = nullptr;
    logPage->detach();
}

void TnvLineVantage::refreshLogView()
{
    if (m_line)
        logPage->refreshLogView();
}

void TnvLineVantage::refreshErrorDisplay()
{
    if (m_line && m_line->Error()->Number() != 0)
        ShowError();
}

bool TnvLineVantage::copyLogToClipboard()
{
    return m_line && logPage->copyToClipboard();
}

// --- Refresh operations ---------------------------------------------------------

void TnvLineVantage::RefreshEnabled()
{
    if (!m_line)
        return;
    deferPainting();
    TnvQuietWriter::setChecked(SpeedButtonDeviceActive, m_line->Device()->Active());
    const bool enabled = m_line->Enabled();
    if (isEnabled() != enabled)
        setEnabled(enabled);
    if (!enabled) {
        TnvQuietWriter::setList(ComboBoxDevice, {}, -1);
        TnvQuietWriter::setComboText(ComboBoxDevice,
                                     m_line->Vantage()->Notate(QStringLiteral("nvLine.Enabled := ") + TnvVantage::BoolText(false)));
    }
}

void TnvLineVantage::RefreshDevice()
{
    if (!m_line)
        return;
    deferPainting();
    const TnvLineDevice* device = m_line->Device();
    TnvQuietWriter::setTitle(GroupBoxDevice, m_line->Vantage()->Notate(QStringLiteral("Device.ID = ") + QString::number(device->ID())
                                                                       + QStringLiteral("    Device.Count = ")
                                                                       + QString::number(device->Count())));
    TnvQuietWriter::setList(ComboBoxDevice, device->List(), device->Count() ? device->ID() : -1);
    RefreshAddress();
    RefreshTerminal();
    const quint32 features = m_line->Address()->Capabilities()->CallFeatures();
    setTabIcon(PageConference, features & LINECALLFEATURE_SETUPCONF ? TnvLineVantageArt::Lamp : TnvLineVantageArt::RingGrey);
    setTabIcon(PageTransfer, features & LINECALLFEATURE_COMPLETETRANSF ? TnvLineVantageArt::Lamp : TnvLineVantageArt::RingGrey);
}

void TnvLineVantage::RefreshCall()
{
    if (!m_line)
        return;
    deferPainting();
    const int count = m_line->Call()->Count();
    setTabText(PageCall, QStringLiteral("Call (") + QString::number(count) + QLatin1Char(')'));
    setTabIcon(PageCall, count ? TnvLineVantageArt::PhoneGreen : TnvLineVantageArt::PhoneGrey);
    callPage->refreshCall();
}

void TnvLineVantage::RefreshTransfer(int handle)
{
    if (!m_line)
        return;
    deferPainting();
    const bool primary = transferPage->refresh(handle);
    setTabIcon(PageTransfer, primary ? TnvLineVantageArt::LampRing : TnvLineVantageArt::Lamp);
}

void TnvLineVantage::RefreshConference(int handle)
{
    if (!m_line)
        return;
    deferPainting();
    const bool primary = conferencePage->refresh(handle);
    setTabIcon(PageConference, primary ? TnvLineVantageArt::LampRing : TnvLineVantageArt::Lamp);
}

void TnvLineVantage::ShowTransferPhoneNumber()
{
    if (!m_line)
        return;
    deferPainting();
    transferPage->showPhoneNumber();
}

void TnvLineVantage::ShowConferencePhoneNumber()
{
    if (!m_line)
        return;
    deferPainting();
    conferencePage->showPhoneNumber();
}

void TnvLineVantage::RefreshCallerID()
{
    if (!m_line)
        return;
    deferPainting();
    callPage->refreshCallerID();
}

void TnvLineVantage::RefreshParameters()
{
    if (!m_line)
        return;
    deferPainting();
    addressPage->refreshParameters();
    callPage->refreshParameters();
    conferencePage->refreshParameters();
    transferPage->refreshParameters();
}

void TnvLineVantage::RefreshDigits()
{
    if (!m_line)
        return;
    deferPainting();
    callPage->refreshDigits();
}

void TnvLineVantage::ShowDigitsGathered(const QString& digits)
{
    if (!m_line)
        return;
    deferPainting();
    callPage->showDigitsGathered(digits);
}

void TnvLineVantage::ShowDigitReceived(const QString& digits)
{
    if (!m_line)
        return;
    deferPainting();
    callPage->showDigitReceived(digits);
}

void TnvLineVantage::RefreshCallControl()
{
    if (!m_line)
        return;
    deferPainting();
    callPage->refreshCallControl();
}

void TnvLineVantage::RefreshInfo()
{
    if (!m_line)
        return;
    deferPainting();
    infoPage->refresh();
}

void TnvLineVantage::RefreshAddress()
{
    if (!m_line)
        return;
    deferPainting();
    addressPage->refresh();
}

void TnvLineVantage::RefreshTerminal()
{
    if (!m_line)
        return;
    deferPainting();
    terminalPage->refresh();
}

void TnvLineVantage::ShowError()
{
    if (!m_line)
        return;
    deferPainting();
    logPage->showError();
    setTabIcon(PageLog, TnvLineVantageArt::WarningRed);
    RefreshInfo();
}

void TnvLineVantage::flushTrees()
{
    callPage->flushTrees();
    addressPage->flushTrees();
    terminalPage->flushTree();
    infoPage->flushTree();
}

// --- DevEnv ---------------------------------------------------------------------

void TnvLineVantage::selectDevEnv(TDevEnv env)
{
    if (!m_line)
        return;
    const TDevEnv order[] = {deCppBuilder, deDelphi, deVisualBasic, deOther};
    for (int i = 0; i < 4; ++i)
        devEnvItems[std::size_t(i)]->setChecked(order[i] == env);
    m_line->Vantage()->setDevEnv(env);
    RefreshAddress();
    RefreshTerminal();
    RefreshDevice();
    RefreshCall();
    RefreshInfo();
    refreshLogView();
    infoPage->applyNotation();
    applyNotationToHints();
}

void TnvLineVantage::applyNotationToHints()
{
    TnvVantage* vantage = m_line->Vantage();
    const auto hint = [&](std::initializer_list<const char*> names, const QString& text) {
        const QString notated = vantage->Notate(text);
        for (const char* name : names) {
            if (auto* widget = findChild<QWidget*>(QLatin1String(name)))
                widget->setToolTip(notated);
        }
    };
    hint({"SpeedButtonDeviceActive"}, QStringLiteral("nvLine~Device.Active := ") + TnvVantage::BoolText(true) + QLatin1Char('/')
                                          + TnvVantage::BoolText(false));
    hint({"ComboBoxDevice"}, QStringLiteral("nvLine~Device.Name"));
    hint({"CheckBoxLogActive"}, QStringLiteral("nvLine~Vantage.Log.Active"));
    hint({"LabelLogCount", "EditLogCount"}, QStringLiteral("nvLine~Vantage.Log.Count"));
    hint({"CheckBoxLogTimeStamp"}, QStringLiteral("nvLine~Vantage.Log.TimeStamp"));
    hint({"MemoLog"}, QStringLiteral("nvLine~Vantage.Log.Lines"));
    hint({"ComboBoxAddress"}, QStringLiteral("nvLine~Address.Name"));
    hint({"TreeViewAddressCaps"}, QStringLiteral("nvLine~Address Capabilities"));
    hint({"ButtonCallPhoneNumber", "EditPhoneNumber"}, QStringLiteral("nvLine~Call.PhoneNumber"));
    hint({"EditMonitorSilenceDuration"}, QStringLiteral("nvLine~Call.MonitorSilence.Duration //milliseconds"));
    hint({"ButtonSendDigits", "EditSendDigits", "EditSendDigitsDuration"},
         QStringLiteral("nvLine~Call.SendDigits (Digits,Duration) //String, milliseconds"));
    hint({"ButtonCallHandoff", "EditHandoffApp"}, QStringLiteral("nvLine~Call.Handoff (Application) //String"));
    hint({"ButtonCallSendTone", "ComboBoxSendTone", "EditSendToneDuration"},
         QStringLiteral("nvLine~Call.SendTone (Tone,Duration) //Integer, milliseconds"));
    hint({"TreeViewCallDetails"}, QStringLiteral("nvLine~Call Status"));
}

// --- Tabs -----------------------------------------------------------------------

void TnvLineVantage::setTabIcon(Page page, int index)
{
    QTabBar* bar = PageControl1->tabBar();
    if (bar->tabData(page).toInt() == index)
        return;
    bar->setTabData(page, index);
    // Through the bar: the page control would lay out all its pages again for a tab
    // whose size does not change.
    bar->setTabIcon(page, TnvLineVantageArt::tabIcon(index));
}

void TnvLineVantage::setTabText(Page page, const QString& text)
{
    if (PageControl1->tabText(page) != text)
        PageControl1->tabBar()->setTabText(page, text);
}

int TnvLineVantage::tabIconIndex(Page page) const
{
    return PageControl1->tabBar()->tabData(page).toInt();
}

// --- Lifetime and placement -----------------------------------------------------

void TnvLineVantage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce || !m_line)
        return;
    // The first show writes everything once more in the chosen notation.
    m_shownOnce = true;
    selectDevEnv(m_line->Vantage()->DevEnv());
}

void TnvLineVantage::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    // The window is freed once closed; the control stops calling into it at once, so
    // a window reopened before this one is gone is a new one.
    if (TnvVantage* vantage = std::exchange(m_vantage, nullptr)) {
        vantage->windowClosed();
        vantage->windowDestroyed();
    }
    detach();
}

void TnvLineVantage::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    reportPlacement();
}

void TnvLineVantage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    reportPlacement();
}

void TnvLineVantage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        reportPlacement();
}

bool TnvLineVantage::event(QEvent* event)
{
    // The title bar's help button asks for context help.
    if (event->type() == QEvent::EnterWhatsThisMode && m_vantage) {
        QWhatsThis::leaveWhatsThisMode();
        m_vantage->ContextHelp(kContextHelpCommand, 0);
        return true;
    }
    return QWidget::event(event);
}

// A call brings a message every few microseconds, and each would repaint what changed,
// which costs far more than the change itself. So a refresh holds painting back; the
// window paints what changed once, a couple of frames later, and nothing is lost.
void TnvLineVantage::deferPainting()
{
    if (!isVisible() || m_paintTimer->isActive())
        return;
    setUpdatesEnabled(false);
    m_paintTimer->start(kPaintIntervalMs);
}

void TnvLineVantage::reportPlacement()
{
    if (m_vantage && isVisible())
        m_vantage->windowPlacementChanged(normalGeometry(), windowState());
}

// --- Commands --------------------------------------------------------------------

void TnvLineVantage::toggleDeviceActive()
{
    // Inverts what the control holds, not what the button shows: the two can differ
    // after the device was switched from elsewhere.
    TnvLineDevice* device = m_line->Device();
    device->setActive(!device->Active());
    SpeedButtonDeviceActive->setChecked(device->Active());
}
