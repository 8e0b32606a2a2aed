#include "TnvLineVantage.h"

#include "TnvEditRules.h"
#include "TnvLineAddressPage.h"
#include "TnvLineCallPage.h"
#include "TnvLineInfoPage.h"
#include "TnvLineJoinPage.h"
#include "TnvLineMenus.h"
#include "TnvLineTerminalPage.h"
#include "TnvLogPage.h"
#include "TnvQuietWriter.h"

#include <TapiConstants.h>
#include <TnvAddressCaps.h>
#include <TnvError.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvVantage.h>

#include <QComboBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTimer>

namespace {

// The page control's designed size; the window's first size is made from it. Upright
// tab captions take a column of their own, so it is wider than the pages need alone.
constexpr int kLinePagesWidth = 480;
constexpr int kLinePagesHeight = 300;
// The shortest time between two paints of the window while the control is busy: about
// two display frames.
constexpr int kPaintIntervalMs = 30;

} // namespace

TnvLineVantage::TnvLineVantage(TnvLine* line)
    : TnvVantageForm(line, {"nvLineVantage", "nvLineMainMenu", QMargins(4, 2, 4, 4), 2, QSize(390, 250), &TnvLineVantageArt::tabIcon})
    , m_line(line)
{
    nvLineMainMenu = mainMenu();
    nvLineMainMenu->addMenu(MenuVantage);
    // Up shows the lamp off, down shows it lit.
    QIcon lamp;
    lamp.addPixmap(TnvLineVantageArt::tabIcon(TnvLineVantageArt::RingGrey).pixmap(16, 16), QIcon::Normal, QIcon::Off);
    lamp.addPixmap(TnvLineVantageArt::tabIcon(TnvLineVantageArt::Lamp).pixmap(16, 16), QIcon::Normal, QIcon::On);
    SpeedButtonDeviceActive = makeFrame({{"SpeedButtonDeviceActive", QStringLiteral("nvLine.Device.Active := True"), lamp}},
                                        QStringLiteral("nvLine.Device.Name"))
                                  .constFirst();
    connect(SpeedButtonDeviceActive, &QToolButton::clicked, this, [this] { toggleDeviceActive(); });
    TnvEditRules::onListChange(ComboBoxDevice, [this](int index) {
        if (m_line)
            m_line->Device()->setID(index);
    });

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
    addPage(callPage, QStringLiteral("Call (0)"));
    addPage(transferPage, QStringLiteral("Transfer"));
    addPage(conferencePage, QStringLiteral("Conference"));
    addPage(addressPage, QStringLiteral("Address"));
    addPage(terminalPage, QStringLiteral("Terminal"));
    addPage(infoPage, QStringLiteral("Misc."));
    setTabIcon(PageCall, TnvLineVantageArt::PhoneGrey);

    m_paintTimer = new QTimer(this);
    m_paintTimer->setSingleShot(true);
    connect(m_paintTimer, &QTimer::timeout, this, [this] {
        for (QWidget* area : {static_cast<QWidget*>(GroupBoxDevice), static_cast<QWidget*>(PageControl1)})
            area->setUpdatesEnabled(true);
    });
    finishLayout(kLinePagesWidth, kLinePagesHeight);
}

// --- Window interface -----------------------------------------------------------

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

void TnvLineVantage::detach()
{
    m_line = nullptr;
    TnvVantageForm::detach();
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
    showDevices(device->ID(), device->Count(), device->List());
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
    TnvVantageForm::ShowError();
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

void TnvLineVantage::applyDevEnv()
{
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
    const auto hint = [this](std::initializer_list<const char*> names, const QString& text) { setHint(names, text); };
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

// --- Painting -------------------------------------------------------------------

// A call brings a message every few microseconds, and each would repaint what changed,
// which costs far more than the change itself. So a refresh holds painting back; the
// window paints what changed once, a couple of frames later, and nothing is lost.
// Only the areas below the menu are held, never the window itself: a window whose
// painting is off drops the display's requests to show it (first showing, a closed
// drop-down list), and Qt then paints it no more until it is resized.
void TnvLineVantage::deferPainting()
{
    if (!isVisible() || m_paintTimer->isActive())
        return;
    GroupBoxDevice->setUpdatesEnabled(false);
    PageControl1->setUpdatesEnabled(false);
    m_paintTimer->start(kPaintIntervalMs);
}

// --- Commands --------------------------------------------------------------------

void TnvLineVantage::toggleDeviceActive()
{
    if (!m_line)
        return;
    // Inverts what the control holds, not what the button shows: the two can differ
    // after the device was switched from elsewhere.
    TnvLineDevice* device = m_line->Device();
    device->setActive(!device->Active());
    SpeedButtonDeviceActive->setChecked(device->Active());
}
