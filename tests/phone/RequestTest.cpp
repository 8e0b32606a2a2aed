// Asynchronous requests whose replies go wrong: never sent, carrying an error, or owed
// by a phone the service closed meanwhile. None may keep the control waiting beyond the
// reply time-out, and each must end in an error rather than a changed property.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <TapiConstants.h>
#include <TnvResultTexts.h>

#include <QElapsedTimer>
#include <QTimer>

namespace {

// Generous for a loaded machine, far below the default time-out of a minute.
constexpr int kReplyTimeout = 300;
constexpr int kSlack = 3000;

} // namespace

TEST_F(PhoneHarness, ReplyThatNeverComesEndsAtTheTimeOut)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    phone->TAPI()->setReplyTimeout(kReplyTimeout);
    // The phone itself still changes and reports it; only the reply is lost.
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"phoneSetHookSwitch", [&] { phone->Handset()->setMicrophoneOnly(true); }},
        {"phoneSetVolume", [&] { phone->Headset()->setVolume(7); }},
        {"phoneSetGain", [&] { phone->Speakerphone()->setGain(9); }},
    };
    for (const auto& [function, set] : cases) {
        SCOPED_TRACE(function);
        ASSERT_TRUE(control(QStringLiteral("withhold"), {{"function", function}}));
        QElapsedTimer clock;
        clock.start();
        set();
        EXPECT_GE(clock.elapsed(), kReplyTimeout - 10);
        EXPECT_LT(clock.elapsed(), kReplyTimeout + kSlack);
        EXPECT_EQ(phone->Error()->Number(), TAPIREPLYTIMEOUT);
        EXPECT_TRUE(takeTrace().contains(QStringLiteral("<< Error >> Unknown [FFFFFFFD]")));
        for (TnvHookSwitchDevice* device : {phone->Handset(), phone->Speakerphone(), phone->Headset()})
            EXPECT_EQ(device->hookSwitchSlot() | device->volumeSlot() | device->gainSlot(), 0);
        ASSERT_TRUE(control(QStringLiteral("clearfaults")));
    }
    // The next request is answered as usual.
    phone->Handset()->setSpeakerOnly(true);
    EXPECT_EQ(phone->Error()->Number(), 0);
    EXPECT_TRUE(phone->Handset()->SpeakerOnly());
}

TEST_F(PhoneHarness, ReplyWithAnErrorIsReportedAtOnceWithItsOwnCode)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    ASSERT_TRUE(control(QStringLiteral("fail"), {{"function", "phoneSetVolume"}, {"code", "0x9000001C"}}));
    QElapsedTimer clock;
    clock.start();
    phone->Handset()->setVolume(80);
    EXPECT_LT(clock.elapsed(), kSlack);
    EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_OPERATIONFAILED);
    EXPECT_NE(phone->Handset()->Volume(), 80);
    EXPECT_EQ(phone->Handset()->volumeSlot(), 0);
    const QStringList trace = takeTrace();
    EXPECT_EQ(trace.first(), QStringLiteral("Handset.Volume := 80"));
    EXPECT_TRUE(trace.contains(QStringLiteral("<< Error >> PHONEERR_OPERATIONFAILED [9000001C]")));
}

TEST_F(PhoneHarness, RequestsOfAMonitorAreRefusedWithoutWaiting)
{
    std::unique_ptr<TnvPhone> phone = enabledPhone();
    phone->Privilege()->setOwner(false);
    phone->Device()->setActive(true);
    ASSERT_TRUE(phone->Device()->Active());
    takeTrace();
    phone->Handset()->setMicrophoneAndSpeaker(true);
    EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_NOTOWNER);
    EXPECT_TRUE(phone->Handset()->OnHook());
    EXPECT_EQ(phone->Handset()->hookSwitchSlot(), 0);
    EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("Handset.MicrophoneAndSpeaker := True"),
                                        QStringLiteral("<< Error >> PHONEERR_NOTOWNER [9000001B]")}));
}

TEST_F(PhoneHarness, PhoneClosedByTheServiceWhileARequestWaits)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    ASSERT_TRUE(control(QStringLiteral("withhold"), {{"function", "phoneSetHookSwitch"}}));
    bool closedByHandler = false;
    phone->OnTAPIMessage = [&](TnvSharedControl*, int, int message, int, int, int) {
        closedByHandler = closedByHandler || DWORD(message) == PHONE_CLOSE;
    };
    // The phone goes away while the control waits for the hook switch's reply.
    QTimer::singleShot(0, [] { control(QStringLiteral("phoneclose")); });
    QElapsedTimer clock;
    clock.start();
    phone->Handset()->setMicrophoneAndSpeaker(true);
    EXPECT_LT(clock.elapsed(), kSlack);
    EXPECT_TRUE(closedByHandler);
    EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_INVALPHONEHANDLE);
    EXPECT_FALSE(phone->Device()->Active());
    EXPECT_EQ(phone->Phone()->Handle(), 0u);
    EXPECT_EQ(phone->Handset()->hookSwitchSlot(), 0);
    EXPECT_TRUE(takeTrace().contains(QStringLiteral("TAPI PHONE_CLOSE message received")));

    // It opens again once the service has it back.
    ASSERT_TRUE(control(QStringLiteral("clearfaults")));
    phone->Device()->setActive(true);
    EXPECT_TRUE(phone->Device()->Active());
    phone->Handset()->setSpeakerOnly(true);
    EXPECT_EQ(phone->Error()->Number(), 0);
    EXPECT_TRUE(phone->Handset()->SpeakerOnly());
}

TEST_F(PhoneHarness, HandlerThatSetsAnotherLevelWhileTheFirstWaits)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    // The first reply is late, so the hook-switch report of the phone is handled inside
    // the wait; its handler sends a request of its own through the same object.
    ASSERT_TRUE(control(QStringLiteral("delay"), {{"function", "phoneSetVolume"}, {"ms", 100}}));
    bool nested = false;
    phone->OnHandsetHookSwitch = [&](TnvSharedControl*) {
        if (!nested) {
            nested = true;
            phone->Handset()->setGain(33);
        }
    };
    ASSERT_TRUE(control(QStringLiteral("lift")));
    phone->Handset()->setVolume(44);
    EXPECT_TRUE(nested);
    EXPECT_EQ(phone->Error()->Number(), 0);
    EXPECT_EQ(phone->Handset()->Volume(), 44);
    EXPECT_EQ(phone->Handset()->Gain(), 33);
}
