#include "TnvPhoneVantage.h"

#include "TnvEditRules.h"
#include "TnvHookSwitchPage.h"
#include "TnvPhoneInfoPage.h"
#include "TnvPhoneMenus.h"
#include "TnvPhoneVantageArt.h"
#include "TnvQuietWriter.h"

#include <TnvPhone.h>
#include <TnvVantage.h>

#include <QMenuBar>
#include <QTabWidget>
#include <QToolButton>

namespace {

// The page control's first size; the window's first size is made from it. Upright tab
// captions take a column of their own, so it is wider than the pages need alone.
constexpr int kPhonePagesWidth = 540;
constexpr int kPhonePagesHeight = 280;

} // namespace

TnvPhoneVantage::TnvPhoneVantage(TnvPhone* phone)
    : TnvVantageForm(phone, {"nvPhoneVantage", "MainMenu1", QMargins(2, 0, 2, 2), 4, QSize(390, 250), &TnvPhoneVantageArt::tabIcon})
    , m_phone(phone)
{
    MainMenu1 = mainMenu();
    // Up shows the telephone grey, down shows it lifted.
    QIcon lamp;
    lamp.addPixmap(TnvPhoneVantageArt::tabIcon(TnvPhoneVantageArt::HandsetMissing).pixmap(16, 16), QIcon::Normal, QIcon::Off);
    lamp.addPixmap(TnvPhoneVantageArt::tabIcon(TnvPhoneVantageArt::HandsetOffHook).pixmap(16, 16), QIcon::Normal, QIcon::On);
    SpeedButtonDeviceActive = makeFrame({{"SpeedButtonDeviceActive", QStringLiteral("nvPhone.Device.Active := True"), lamp}},
                                        QStringLiteral("nvPhone.Device.Name"))
                                  .constFirst();
    connect(SpeedButtonDeviceActive, &QToolButton::clicked, this, [this] { toggleDeviceActive(); });
    TnvEditRules::onListChange(ComboBoxDevice, [this](int index) {
        if (m_phone)
            m_phone->Device()->setID(index);
    });

    const auto refreshAll = [this] { RefreshHookSwitches(); };
    handsetPage = new TnvHookSwitchPage(phone->Handset(), phone->Vantage(), refreshAll, PageControl1);
    headsetPage = new TnvHookSwitchPage(phone->Headset(), phone->Vantage(), refreshAll, PageControl1);
    speakerphonePage = new TnvHookSwitchPage(phone->Speakerphone(), phone->Vantage(), refreshAll, PageControl1);
    infoPage = new TnvPhoneInfoPage(phone, PageControl1);
    addPage(handsetPage, QStringLiteral("Handset"));
    addPage(headsetPage, QStringLiteral("Headset"));
    addPage(speakerphonePage, QStringLiteral("Speakerphone"));
    addPage(infoPage, QStringLiteral("Misc."));
    setTabIcon(PageHandset, TnvPhoneVantageArt::HandsetMissing);
    setTabIcon(PageHeadset, TnvPhoneVantageArt::HeadsetMissing);
    setTabIcon(PageSpeakerphone, TnvPhoneVantageArt::SpeakerMissing);

    menus = new TnvPhoneMenus(this, phone);
    menus->build(MainMenu1, MenuVantage);
    finishLayout(kPhonePagesWidth, kPhonePagesHeight);
}

// --- Window interface -----------------------------------------------------------

void TnvPhoneVantage::fillPanes()
{
    RefreshDevice();
    RefreshInfo();
    RefreshDeviceButton();
    RefreshHookSwitches();
}

void TnvPhoneVantage::detach()
{
    m_phone = nullptr;
    TnvVantageForm::detach();
    for (TnvHookSwitchPage* page : {handsetPage, headsetPage, speakerphonePage})
        page->detach();
    infoPage->detach();
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
    showDevices(device->ID(), device->Count(), device->List());
}

void TnvPhoneVantage::refreshPage(Page page)
{
    if (!m_phone)
        return;
    TnvHookSwitchPage* hookPage = hookSwitchPage(page);
    setTabIcon(page, hookPage->tabIconIndex(m_phone->Device()->Active()));
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
    TnvVantageForm::ShowError();
    RefreshInfo();
}

// --- DevEnv ---------------------------------------------------------------------

void TnvPhoneVantage::applyDevEnv()
{
    RefreshDevice();
    RefreshHookSwitches();
    RefreshInfo();
    refreshLogView();
    infoPage->applyNotation();
    applyNotationToHints();
}

void TnvPhoneVantage::applyNotationToHints()
{
    const auto hint = [this](std::initializer_list<const char*> names, const QString& text) { setHint(names, text); };
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

// --- Pages ----------------------------------------------------------------------

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
