// The phone inspector window on the simulated exchange: what its tabs, buttons and bars
// show for each state of the phone, and what its own controls change in the control.

#include "EventLoop.h"
#include "InstantService.h"
#include "Screenshot.h"
#include "SplitPanesCheck.h"
#include "WidgetInput.h"

#include <ServiceControl.h>
#include <TapiConstants.h>
#include <TnvEditRules.h>
#include <TnvHookSwitchPage.h>
#include <TnvInspector.h>
#include <TnvPhone.h>
#include <TnvPhoneInfoPage.h>
#include <TnvPhoneMenus.h>
#include <TnvPhoneVantage.h>
#include <TnvVantage.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class PhoneVantage : public InstantServiceTest {
protected:
    void SetUp() override
    {
        TnvInspector::setUp();
        InstantServiceTest::SetUp();
        m_phone = std::make_unique<TnvPhone>();
        m_phone->setName(QStringLiteral("nvPhone1"));
        m_phone->OnLog = [this](TnvSharedControl*, const QString& text) { m_trace << text; };
        m_phone->setEnabled(true);
        ASSERT_EQ(m_phone->Device()->Count(), 1);
    }

    void TearDown() override
    {
        m_phone.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        InstantServiceTest::TearDown();
    }

    TnvPhoneVantage* openWindow()
    {
        m_phone->Vantage()->setVisible(true);
        return dynamic_cast<TnvPhoneVantage*>(m_phone->Vantage()->window());
    }

    void openDevice()
    {
        m_phone->Device()->setActive(true);
        ASSERT_TRUE(m_phone->Device()->Active());
    }

    std::array<int, 4> icons(TnvPhoneVantage* w) const
    {
        return {w->tabIconIndex(TnvPhoneVantage::PageLog), w->tabIconIndex(TnvPhoneVantage::PageHandset),
                w->tabIconIndex(TnvPhoneVantage::PageHeadset), w->tabIconIndex(TnvPhoneVantage::PageSpeakerphone)};
    }

    static void leave(QWidget* widget) { leaveByKeyboard(widget); }

    static void screenshot(QWidget* widget, const QString& name)
    {
        keepScreenshot(widget, name, QStringLiteral(LINKORA_SCREENSHOT_DIR));
    }

    static bool control(const QString& command, const QJsonObject& args = {})
    {
        return exchangeCommand(command, args);
    }

    std::unique_ptr<TnvPhone> m_phone;
    QStringList m_trace;
};

} // namespace

TEST_F(PhoneVantage, TabIconsFollowAvailabilityAndHookState)
{
    TnvPhoneVantage* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->tabIconIndex(TnvPhoneVantage::PageInfo), -1);
    // Listed but closed: available, no mode read yet; a closed phone shows nothing lifted.
    ASSERT_TRUE(m_phone->Handset()->Available());
    ASSERT_FALSE(m_phone->Handset()->OnHook());
    EXPECT_EQ(icons(w), (std::array<int, 4>{0, 2, 5, 8}));

    openDevice();
    EXPECT_TRUE(w->SpeedButtonDeviceActive->isChecked());
    EXPECT_EQ(icons(w), (std::array<int, 4>{0, 2, 5, 8}));

    ASSERT_TRUE(control(QStringLiteral("lift")));
    ASSERT_TRUE(waitUntil([&] { return !m_phone->Handset()->OnHook(); }));
    EXPECT_EQ(w->tabIconIndex(TnvPhoneVantage::PageHandset), 4);
    EXPECT_FALSE(w->handsetPage->RBModes[0]->isChecked());

    m_phone->Speakerphone()->setMicrophoneAndSpeaker(true);
    EXPECT_EQ(w->tabIconIndex(TnvPhoneVantage::PageSpeakerphone), 10);
    EXPECT_TRUE(w->speakerphonePage->RBModes[3]->isChecked());

    // An error lights the Log tab until the indicator is reset.
    m_phone->Handset()->setOnHook(false);
    EXPECT_EQ(quint32(m_phone->Error()->Number()), PHONEERR_INVALHOOKSWITCHMODE);
    EXPECT_EQ(w->tabIconIndex(TnvPhoneVantage::PageLog), 1);

    // Closed with the handset lifted: the last mode read is no longer the phone's.
    m_phone->Device()->setActive(false);
    EXPECT_FALSE(w->SpeedButtonDeviceActive->isChecked());
    ASSERT_FALSE(m_phone->Handset()->OnHook());
    EXPECT_EQ(icons(w), (std::array<int, 4>{1, 2, 5, 8}));
}

TEST_F(PhoneVantage, HookSwitchAndMiscPagesShowTheirRowsWholeAndTheDividerMoves)
{
    TnvPhoneVantage* w = openWindow();
    openDevice();
    for (QWidget* page : {static_cast<QWidget*>(w->handsetPage), static_cast<QWidget*>(w->headsetPage),
                          static_cast<QWidget*>(w->speakerphonePage), static_cast<QWidget*>(w->infoPage)}) {
        w->PageControl1->setCurrentWidget(page);
        expectUsableSplitPanes(page->findChild<QSplitter*>());
    }
}

TEST_F(PhoneVantage, ModeButtonsOnAClosedPhoneChangeNothingAndShowTheModeAgain)
{
    TnvPhoneVantage* w = openWindow();
    const bool before[4] = {m_phone->Headset()->OnHook(), m_phone->Headset()->MicrophoneOnly(),
                            m_phone->Headset()->SpeakerOnly(), m_phone->Headset()->MicrophoneAndSpeaker()};
    w->headsetPage->RBModes[1]->click();
    EXPECT_EQ(m_phone->Headset()->MicrophoneOnly(), before[1]);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(w->headsetPage->RBModes[std::size_t(i)]->isChecked(), before[i]) << i;

    // Open, the same click switches the mode and the page follows.
    openDevice();
    w->headsetPage->RBModes[1]->click();
    EXPECT_TRUE(m_phone->Headset()->MicrophoneOnly());
    EXPECT_TRUE(w->headsetPage->RBModes[1]->isChecked());
    EXPECT_FALSE(w->headsetPage->RBModes[0]->isChecked());
    // Clicking the mode already set keeps it set.
    w->headsetPage->RBModes[1]->click();
    EXPECT_TRUE(w->headsetPage->RBModes[1]->isChecked());
    EXPECT_TRUE(m_phone->Headset()->MicrophoneOnly());
}

TEST_F(PhoneVantage, ApplySetsOnlyWhatMovedAndLeavingABarAlwaysSetsIt)
{
    openDevice();
    TnvPhoneVantage* w = openWindow();
    TnvHookSwitchPage* page = w->handsetPage;
    TnvHookSwitchDevice* handset = m_phone->Handset();
    ASSERT_EQ(page->TBVolume->value(), handset->Volume());
    ASSERT_EQ(page->TBGain->value(), handset->Gain());

    m_trace.clear();
    page->ButtonVolumeGainSet->click();
    EXPECT_TRUE(m_trace.isEmpty()) << m_trace.join(QLatin1Char('\n')).toStdString();

    const int volume = handset->Volume();
    const int gain = handset->Gain() == 30 ? 31 : 30;
    page->TBGain->setValue(gain);
    page->ButtonVolumeGainSet->click();
    EXPECT_EQ(handset->Gain(), gain);
    EXPECT_EQ(handset->Volume(), volume);
    EXPECT_FALSE(m_trace.filter(QStringLiteral("Gain")).isEmpty());
    EXPECT_TRUE(m_trace.filter(QStringLiteral("Volume")).isEmpty()) << m_trace.join(QLatin1Char('\n')).toStdString();

    // Leaving the volume bar sets Volume even though it did not move.
    m_trace.clear();
    leave(page->TBVolume);
    EXPECT_FALSE(m_trace.filter(QStringLiteral("Volume")).isEmpty());
    EXPECT_EQ(handset->Volume(), volume);

    // A value set from the program moves the bar.
    m_phone->Handset()->setVolume(70);
    EXPECT_EQ(page->TBVolume->value(), 70);
}

TEST_F(PhoneVantage, AClosedWindowWaitingToGoActsOnNothing)
{
    openDevice();
    QPointer<TnvPhoneVantage> w = openWindow();
    ASSERT_TRUE(w);
    m_phone->Vantage()->setVisible(false);
    ASSERT_TRUE(w); // freed at the next turn of the event loop
    m_trace.clear();
    leave(w->handsetPage->TBVolume);
    w->infoPage->EditTAPIHighVersion->setText(QStringLiteral("00010000"));
    w->infoPage->EditTAPIHighVersion->setModified(true);
    leave(w->infoPage->EditTAPIHighVersion);
    EXPECT_TRUE(m_trace.isEmpty()) << m_trace.join(QLatin1Char('\n')).toStdString();
    EXPECT_NE(m_phone->TAPI()->HighVersion(), 0x00010000u);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
}

TEST_F(PhoneVantage, TapiEditsTakeOnlyNumbersAndShowTheKeptValue)
{
    TnvPhoneVantage* w = openWindow();
    TnvPhoneInfoPage* info = w->infoPage;
    TnvTAPI* tapi = m_phone->TAPI();

    struct Case {
        QLineEdit* edit;
        const char* text;
        bool modified;
        std::function<quint32()> read;
        quint32 expected; // 0: the value before
        const char* shown; // null: the value before, as the edit showed it
    };
    const auto high = [tapi] { return tapi->HighVersion(); };
    const auto timeout = [tapi] { return quint32(tapi->ReplyTimeout()); };
    const Case cases[] = {
        {info->EditTAPIHighVersion, "00020001", true, high, 0x00020001, "00020001"},
        {info->EditTAPIHighVersion, "0002000G", true, high, 0x00020001, "00020001"},
        {info->EditTAPIHighVersion, "0x20002", true, high, 0x00020001, "00020001"},
        // Not changed by the user since the window wrote it: nothing is assigned.
        {info->EditTAPIHighVersion, "00030000", false, high, 0x00020001, "00020001"},
        {info->EditTAPIReplyTimeout, "2500", true, timeout, 2500, "2500"},
        {info->EditTAPIReplyTimeout, "25s", true, timeout, 2500, "2500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        c.edit->setText(QLatin1String(c.text));
        c.edit->setModified(c.modified);
        leave(c.edit);
        EXPECT_EQ(c.read(), c.expected);
        EXPECT_EQ(c.edit->text(), QLatin1String(c.shown));
        EXPECT_FALSE(c.edit->isModified());
    }

    info->EditInfoLineDeviceClass->setText(QStringLiteral("tapi/line/x"));
    info->EditInfoLineDeviceClass->setModified(true);
    leave(info->EditInfoLineDeviceClass);
    EXPECT_EQ(m_phone->Line()->DeviceClass(), QStringLiteral("tapi/line/x"));
}

TEST_F(PhoneVantage, MenusActOnTheControlsActualState)
{
    TnvPhoneVantage* w = openWindow();
    TnvPhoneMenus* menus = w->menus;
    const auto action = [w](const char* name) { return w->findChild<QAction*>(QLatin1String(name)); };

    // Opened behind the window's back, the Active item still closes the device.
    openDevice();
    emit menus->MenuDevice->aboutToShow();
    EXPECT_TRUE(action("MenuDeviceActive")->isChecked());
    EXPECT_FALSE(action("MenuDevicePrivilegeOwner")->isEnabled());
    EXPECT_FALSE(action("MenuDevicePrivilegeMonitor")->isEnabled());
    action("MenuDeviceActive")->trigger();
    EXPECT_FALSE(m_phone->Device()->Active());
    EXPECT_FALSE(action("MenuDeviceActive")->isChecked());
    EXPECT_FALSE(w->SpeedButtonDeviceActive->isChecked());

    w->SpeedButtonDeviceActive->click();
    EXPECT_TRUE(m_phone->Device()->Active());
    EXPECT_TRUE(w->SpeedButtonDeviceActive->isChecked());

    emit menus->MenuPopup->aboutToShow();
    QAction* digitUp = action("MenuPopupOnDigitUp");
    ASSERT_NE(digitUp, nullptr);
    EXPECT_FALSE(digitUp->isChecked());
    digitUp->trigger();
    EXPECT_TRUE(m_phone->Popup()->OnDigitUp());
    EXPECT_FALSE(m_phone->Popup()->OnDigitDown());
}

TEST_F(PhoneVantage, ScreenshotsOfEveryPage)
{
    openDevice();
    ASSERT_TRUE(control(QStringLiteral("lift")));
    ASSERT_TRUE(waitUntil([&] { return !m_phone->Handset()->OnHook(); }));
    m_phone->Headset()->setVolume(40);
    TnvPhoneVantage* w = openWindow();
    const char* const names[] = {"phone-log", "phone-handset", "phone-headset", "phone-speakerphone", "phone-misc"};
    for (int i = 0; i < w->PageControl1->count(); ++i) {
        w->PageControl1->setCurrentIndex(i);
        screenshot(w, QLatin1String(names[i]));
    }
    EXPECT_EQ(w->windowTitle(), QStringLiteral("nvPhone - Norvane Vantage"));
}

TEST_F(PhoneVantage, DevEnvRewritesTheHintsNamedForItOnly)
{
    TnvPhoneVantage* w = openWindow();
    TnvVantage* vantage = m_phone->Vantage();
    for (int i = 0; i < 4; ++i) {
        w->devEnvItems[std::size_t(i)]->trigger();
        SCOPED_TRACE(i);
        EXPECT_EQ(w->headsetPage->RBModes[1]->toolTip(), vantage->Notate(QStringLiteral("nvPhone~Headset.MicrophoneOnly")));
        EXPECT_EQ(w->handsetPage->ButtonVolumeGainSet->toolTip(),
                  vantage->Notate(QStringLiteral("Set nvPhone~HandSet.Volume & nvPhone~HandSet.Gain")));
        EXPECT_EQ(w->infoPage->LabelInfoLineDeviceClass->text(), vantage->Notate(QStringLiteral("Line.DeviceClass")));
        // The trees of the hook-switch pages and the version edits keep their first hints.
        EXPECT_EQ(w->speakerphonePage->TreeView->toolTip(), QStringLiteral("nvPhone.Speakerphone"));
        EXPECT_EQ(w->infoPage->EditTAPIHighVersion->toolTip(), QStringLiteral("nvPhone.TAPI.HighVersion"));
        EXPECT_TRUE(w->devEnvItems[std::size_t(i)]->isChecked());
    }
    // Rewriting in place keeps the hook-switch tree's ten rows.
    ASSERT_NE(w->handsetPage->TreeView->topLevelItem(0), nullptr);
    EXPECT_EQ(w->handsetPage->TreeView->topLevelItem(0)->childCount(), 10);
}
