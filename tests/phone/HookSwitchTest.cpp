// Hook-switch modes: which assignments reach the service, what they write, and how the
// four mode flags follow the replies and the phone's own reports.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <TapiConstants.h>

#include <functional>

namespace {

using ModeSetter = void (TnvHookSwitchDevice::*)(bool);

struct ModeCase {
    const char* name;
    ModeSetter set;
    bool onHook, microphoneOnly, speakerOnly, microphoneAndSpeaker;
};

const ModeCase kModes[] = {
    {"MicrophoneOnly", &TnvHookSwitchDevice::setMicrophoneOnly, false, true, false, false},
    {"SpeakerOnly", &TnvHookSwitchDevice::setSpeakerOnly, false, false, true, false},
    {"MicrophoneAndSpeaker", &TnvHookSwitchDevice::setMicrophoneAndSpeaker, false, false, false, true},
};

} // namespace

TEST_F(PhoneHarness, EachModeIsSetOnEveryHookSwitchDeviceAndClearsTheOthers)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    for (TnvHookSwitchDevice* device : {phone->Handset(), phone->Speakerphone(), phone->Headset()}) {
        ASSERT_TRUE(device->Available()) << device->DeviceName().toStdString();
        ASSERT_TRUE(device->OnHook());
        for (const ModeCase& c : kModes) {
            SCOPED_TRACE(device->DeviceName().toStdString() + "." + c.name);
            (device->*c.set)(true);
            EXPECT_EQ(phone->Error()->Number(), 0);
            EXPECT_EQ(device->OnHook(), c.onHook);
            EXPECT_EQ(device->MicrophoneOnly(), c.microphoneOnly);
            EXPECT_EQ(device->SpeakerOnly(), c.speakerOnly);
            EXPECT_EQ(device->MicrophoneAndSpeaker(), c.microphoneAndSpeaker);
            EXPECT_EQ(device->hookSwitchSlot(), 0);
        }
        device->setOnHook(true);
        EXPECT_TRUE(device->OnHook());
        EXPECT_FALSE(device->MicrophoneAndSpeaker());
    }
}

TEST_F(PhoneHarness, ModesThatCannotBeSetWriteNothingOrOnlyTheError)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    bool handled = false;
    phone->OnHandsetHookSwitch = [&](TnvSharedControl*) { handled = true; };

    // False is no mode: refused with the error and nothing else.
    phone->Handset()->setOnHook(false);
    EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_INVALHOOKSWITCHMODE);
    EXPECT_EQ(takeTrace(), QStringList{QStringLiteral("<< Error >> PHONEERR_INVALHOOKSWITCHMODE [90000010]")});
    EXPECT_TRUE(phone->Handset()->OnHook());

    // The mode the device is in already: no line, no request.
    phone->Handset()->setOnHook(true);
    EXPECT_TRUE(takeTrace().isEmpty());
    EXPECT_EQ(phone->Handset()->hookSwitchSlot(), 0);

    // A closed phone takes no mode at all.
    phone->Device()->setActive(false);
    takeTrace();
    phone->Speakerphone()->setMicrophoneAndSpeaker(true);
    EXPECT_TRUE(takeTrace().isEmpty());
    EXPECT_TRUE(phone->Speakerphone()->OnHook());

    waitUntil([] { return false; }, 50);
    EXPECT_FALSE(handled);
}

TEST_F(PhoneHarness, ThePersonAtThePhoneLiftsAndReplacesTheHandset)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    int events = 0;
    phone->OnHandsetHookSwitch = [&](TnvSharedControl*) { ++events; };

    ASSERT_TRUE(control(QStringLiteral("lift")));
    ASSERT_TRUE(waitUntil([&] { return events == 1; }));
    EXPECT_TRUE(phone->Handset()->MicrophoneAndSpeaker());
    EXPECT_FALSE(phone->Handset()->OnHook());
    EXPECT_EQ(phone->Device()->State(), PHONESTATE_HANDSETHOOKSWITCH);
    EXPECT_EQ(phone->Device()->StateDetails(), PHONEHOOKSWITCHMODE_MICSPEAKER);
    EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("OnHandsetHookSwitch"),
                                        QStringLiteral("\tHandset.MicrophoneAndSpeaker = True"),
                                        QStringLiteral("\tHandset.MicrophoneOnly = False"),
                                        QStringLiteral("\tHandset.OnHook = False"),
                                        QStringLiteral("\tHandset.SpeakerOnly = False")}));

    ASSERT_TRUE(control(QStringLiteral("hookswitch"), {{"device", "headset"}, {"mode", "mic"}}));
    ASSERT_TRUE(waitUntil([&] { return phone->Headset()->MicrophoneOnly(); }));
    ASSERT_TRUE(control(QStringLiteral("replace")));
    ASSERT_TRUE(waitUntil([&] { return events == 2; }));
    EXPECT_TRUE(phone->Handset()->OnHook());
    EXPECT_TRUE(phone->Headset()->MicrophoneOnly());
}

TEST_F(PhoneHarness, HandlersRunOnlyWhileEventsAreOn)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    int events = 0;
    phone->OnHandsetHookSwitch = [&](TnvSharedControl*) { ++events; };
    phone->Vantage()->setEvents(false);
    phone->Handset()->setMicrophoneAndSpeaker(true);
    ASSERT_TRUE(waitUntil([&] { return takeTrace().contains(QStringLiteral("OnHandsetHookSwitch")); }));
    EXPECT_EQ(events, 0);
    phone->Vantage()->setEvents(true);
    phone->Handset()->setOnHook(true);
    ASSERT_TRUE(waitUntil([&] { return events == 1; }));
}
