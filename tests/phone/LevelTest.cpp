// Volume and gain: the scale between the control's 0 to 100 and the service's 0 to
// 0xFFFF, which values are sent, and the phone's own changes read back.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <TapiConstants.h>

TEST(PhoneLevelScale, RoundsToTheNearestAndHalvesToEven)
{
    struct Case {
        int level;
        DWORD tapi;
    };
    // 10 and 30 land on exact halves (6553.5, 19660.5): the even neighbour wins.
    const Case toTapi[] = {{0, 0}, {1, 655}, {10, 6554}, {30, 19660}, {50, 32768}, {99, 64880}, {100, 0xFFFF}};
    for (const Case& c : toTapi)
        EXPECT_EQ(TnvHookSwitchDevice::toTapi(c.level), c.tapi) << c.level;
    const Case fromTapi[] = {{0, 0}, {1, 655}, {1, 983}, {2, 984}, {50, 32768}, {100, 0xFFFF}, {100, 0x10000},
                             {100, 0xFFFFFFFF}};
    for (const Case& c : fromTapi)
        EXPECT_EQ(TnvHookSwitchDevice::fromTapi(c.tapi), c.level) << c.tapi;
    // Every level survives the trip to the service and back.
    for (int level = 0; level <= 100; ++level)
        EXPECT_EQ(TnvHookSwitchDevice::fromTapi(TnvHookSwitchDevice::toTapi(level)), level);
}

TEST_F(PhoneHarness, LevelsOutsideTheRangeOrOnAClosedPhoneAreIgnoredSilently)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    const int volume = phone->Speakerphone()->Volume();
    const int gain = phone->Speakerphone()->Gain();
    for (int value : {101, -1, 1000, INT_MIN}) {
        phone->Speakerphone()->setVolume(value);
        phone->Speakerphone()->setGain(value);
        EXPECT_EQ(phone->Speakerphone()->volumeSlot(), 0);
    }
    EXPECT_TRUE(takeTrace().isEmpty());
    EXPECT_EQ(phone->Speakerphone()->Volume(), volume);
    EXPECT_EQ(phone->Speakerphone()->Gain(), gain);

    phone->Device()->setActive(false);
    takeTrace();
    phone->Handset()->setVolume(20);
    EXPECT_TRUE(takeTrace().isEmpty());
}

TEST_F(PhoneHarness, VolumeAndGainReachThePhoneOfEveryDevice)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    int level = 10;
    for (TnvHookSwitchDevice* device : {phone->Handset(), phone->Speakerphone(), phone->Headset()}) {
        SCOPED_TRACE(device->DeviceName().toStdString());
        device->setVolume(level);
        EXPECT_EQ(phone->Error()->Number(), 0);
        EXPECT_EQ(device->Volume(), level);
        device->setGain(level + 5);
        EXPECT_EQ(device->Gain(), level + 5);
        EXPECT_EQ(device->volumeSlot(), 0);
        EXPECT_EQ(device->gainSlot(), 0);
        level += 30;
    }
    // The state reports that follow read the values back from the phone unchanged.
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(phone->Headset()->Volume(), 70);
    EXPECT_EQ(phone->Headset()->Gain(), 75);
}

TEST_F(PhoneHarness, VolumeTurnedAtThePhoneIsReadBack)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    int events = 0;
    phone->OnSpeakerphoneVolume = [&](TnvSharedControl*) { ++events; };
    ASSERT_TRUE(control(QStringLiteral("volume"), {{"device", "speaker"}, {"value", "0x4000"}}));
    ASSERT_TRUE(waitUntil([&] { return events == 1; }));
    EXPECT_EQ(phone->Speakerphone()->Volume(), 25);
    EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("OnSpeakerphoneVolume"),
                                        QStringLiteral("\tSpeakerphone.Volume = 25")}));
    ASSERT_TRUE(control(QStringLiteral("gain"), {{"device", "headset"}, {"value", 65535}}));
    ASSERT_TRUE(waitUntil([&] { return phone->Headset()->Gain() == 100; }));
}
