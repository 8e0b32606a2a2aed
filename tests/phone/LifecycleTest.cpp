// Enabling, listing, opening, closing and selecting devices, and the settings that are
// refused while the phone is open.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <TnvPhonePrivate.h>

#include <TapiApi.h>
#include <TapiConstants.h>

TEST_F(PhoneHarness, EnablingListsThePhoneAndReadsItsCapabilities)
{
    std::unique_ptr<TnvPhone> phone = enabledPhone();
    EXPECT_TRUE(TnvPhonePrivate::get(phone.get())->usedInitializeEx());
    EXPECT_NE(phone->Phone()->AppHandle(), 0u);
    EXPECT_EQ(phone->Device()->List(), QStringList{QStringLiteral("Linkora Simulated Handset")});
    EXPECT_EQ(phone->Device()->Name(), QStringLiteral("Linkora Simulated Handset"));
    EXPECT_EQ(phone->TAPI()->TSP(), QStringLiteral("Linkora Simulated Exchange"));
    EXPECT_NE(phone->TAPI()->Version(), 0u);
    EXPECT_EQ(phone->Device()->Capabilities()->HookSwitchDevs(), 7u);
    EXPECT_EQ(phone->Phone()->HookSwitchDevs(), 7u);
    EXPECT_TRUE(phone->Device()->Capabilities()->States() & PHONESTATE_HANDSETHOOKSWITCH);
    for (TnvHookSwitchDevice* device : {phone->Handset(), phone->Speakerphone(), phone->Headset()}) {
        EXPECT_TRUE(device->Available());
        EXPECT_TRUE(device->VolumeAvailable());
        EXPECT_TRUE(device->GainAvailable());
        EXPECT_EQ(device->Modes(), 15u);
    }
    EXPECT_EQ(phone->Error()->Number(), 0);

    phone->setEnabled(false);
    EXPECT_FALSE(phone->Enabled());
    EXPECT_EQ(phone->Phone()->AppHandle(), 0u);
    EXPECT_TRUE(phone->Device()->List().isEmpty());
    EXPECT_EQ(phone->Device()->Count(), 0);
    EXPECT_FALSE(phone->Handset()->Available());
    EXPECT_EQ(phone->TAPI()->Version(), 0u);
}

TEST_F(PhoneHarness, OpeningReadsTheStatusAndTheRelatedDevices)
{
    std::unique_ptr<TnvPhone> phone = enabledPhone();
    takeTrace();
    phone->Device()->setActive(true);
    ASSERT_TRUE(phone->Device()->Active());
    EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("Device.Active := True"), QStringLiteral("\tDevice.Count = 1"),
                                        QStringLiteral("\tDevice.ID = 0"),
                                        QStringLiteral("\tDevice.Name = 'Linkora Simulated Handset'")}));
    EXPECT_NE(phone->Phone()->Handle(), 0u);
    EXPECT_EQ(phone->RingVolume(), 50);
    EXPECT_TRUE(phone->Handset()->OnHook());
    EXPECT_EQ(phone->Handset()->Volume(), 50);
    EXPECT_EQ(phone->Headset()->Gain(), 50);
    // The phone hangs on line 1, whose wave devices are output 1 and input 1 (after the
    // loopback pair).
    EXPECT_TRUE(phone->Line()->Available());
    EXPECT_EQ(phone->Line()->ID(), 0);
    EXPECT_TRUE(phone->WavePlay()->Available());
    EXPECT_EQ(phone->WavePlay()->ID(), 1);
    EXPECT_TRUE(phone->WaveRecord()->Available());
    EXPECT_EQ(phone->WaveRecord()->ID(), 1);

    phone->Device()->setActive(false);
    EXPECT_FALSE(phone->Device()->Active());
    EXPECT_EQ(phone->Phone()->Handle(), 0u);
    EXPECT_FALSE(phone->Line()->Available());
    EXPECT_FALSE(phone->WaveRecord()->Available());
    EXPECT_EQ(takeTrace(), QStringList{QStringLiteral("Device.Active := False")});
}

TEST_F(PhoneHarness, RelatedDeviceClassesChangeOnlyWhileClosed)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    phone->Line()->setDeviceClass(QStringLiteral("comm/datamodem"));
    EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_INVALPHONESTATE);
    EXPECT_EQ(phone->Line()->DeviceClass(), QStringLiteral("tapi/line"));
    EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("Line.DeviceClass := \"comm/datamodem\""),
                                        QStringLiteral("<< Error >> PHONEERR_INVALPHONESTATE [90000014]")}));
    phone->WavePlay()->setDeviceClass(QString());
    EXPECT_EQ(phone->WavePlay()->DeviceClass(), QStringLiteral("wave/out"));

    phone->Device()->setActive(false);
    phone->Line()->setDeviceClass(QStringLiteral("comm/datamodem"));
    phone->WavePlay()->setDeviceClass(QString());
    EXPECT_EQ(phone->Error()->Number(), 0);
    phone->Device()->setActive(true);
    // A class the phone does not know, and an empty one, give no device.
    EXPECT_FALSE(phone->Line()->Available());
    EXPECT_EQ(phone->Line()->ID(), 0);
    EXPECT_FALSE(phone->WavePlay()->Available());
    EXPECT_TRUE(phone->WaveRecord()->Available());
}

TEST_F(PhoneHarness, SelectingTheSameDeviceAgainClosesAndRereadsIt)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    // The capabilities are read through a buffer that is too small the first time.
    ASSERT_TRUE(control(QStringLiteral("toosmall"), {{"function", "phoneGetDevCaps"}}));
    phone->Device()->setID(0);
    EXPECT_FALSE(phone->Device()->Active());
    EXPECT_EQ(phone->Error()->Number(), 0);
    EXPECT_EQ(phone->Device()->Name(), QStringLiteral("Linkora Simulated Handset"));
    EXPECT_TRUE(phone->Handset()->Available());
    EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("Device.Active := False"), QStringLiteral("Device.ID := 0"),
                                        QStringLiteral("\tDevice.Count = 1"),
                                        QStringLiteral("\tDevice.Name = 'Linkora Simulated Handset'")}));

    // And the device opens again as before.
    phone->Device()->setActive(true);
    EXPECT_TRUE(phone->Device()->Active());
}

TEST_F(PhoneHarness, DevicesThatDoNotExistAreRefused)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    for (int id : {1, -1}) {
        phone->Device()->setID(id);
        EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_BADDEVICEID);
        EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("Device.ID := %1").arg(id),
                                            QStringLiteral("<< Error >> PHONEERR_BADDEVICEID [90000002]"),
                                            QStringLiteral("\tDevice.Count = 1"),
                                            QStringLiteral("\tDevice.Name = 'Linkora Simulated Handset'")}));
        // The open phone stays open.
        EXPECT_TRUE(phone->Device()->Active());
    }
}

TEST_F(PhoneHarness, OpeningFailsWithoutTheServiceOrAPrivilege)
{
    auto phone = std::make_unique<TnvPhone>();
    phone->Device()->setActive(true);
    EXPECT_FALSE(phone->Device()->Active());
    EXPECT_EQ(phone->Error()->Number(), -1);
    EXPECT_EQ(phone->Error()->Text(), QStringLiteral("Unknown"));

    std::unique_ptr<TnvPhone> enabled = enabledPhone();
    enabled->Privilege()->setOwner(false);
    enabled->Privilege()->setMonitor(false);
    enabled->Device()->setActive(true);
    EXPECT_FALSE(enabled->Device()->Active());
    EXPECT_EQ(quint32(enabled->Error()->Number()), PHONEERR_INVALPRIVILEGE);
}

TEST_F(PhoneHarness, StoredSettingsInitialiseOnceWhenLoaded)
{
    auto phone = std::make_unique<TnvPhone>();
    phone->BeginLoading();
    phone->setEnabled(true);
    EXPECT_FALSE(phone->Initialised());
    phone->Loaded();
    EXPECT_TRUE(phone->Initialised());
    EXPECT_TRUE(phone->Enabled());
    EXPECT_EQ(phone->Device()->Count(), 1);
}

TEST_F(PhoneHarness, CapabilitiesThatCannotBeReadAreReportedNotTakenForSuccess)
{
    auto phone = std::make_unique<TnvPhone>();
    phone->OnLog = [this](TnvSharedControl*, const QString& text) { m_trace << text; };
    // The service runs only while someone uses it; a line user keeps it up meanwhile.
    HLINEAPP keeper = 0;
    DWORD lines = 0;
    ASSERT_EQ(lineInitialize(&keeper, nullptr, [](DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {}, "keeper", &lines), 0);
    // Both reads fail: the list entry and the selected device.
    ASSERT_TRUE(control(QStringLiteral("fail"), {{"function", "phoneGetDevCaps"}, {"code", "0x9000001C"}, {"count", 2}}));
    phone->setEnabled(true);
    EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_OPERATIONFAILED);
    EXPECT_EQ(phone->Device()->List(),
              QStringList{QStringLiteral("Device.Name unavailable: [9000001C]  PHONEERR_OPERATIONFAILED")});
    EXPECT_TRUE(phone->Device()->Name().isEmpty());
    EXPECT_FALSE(phone->Handset()->Available());
    lineShutdown(keeper);
}

TEST_F(PhoneHarness, StoredDeviceSelectionWaitsForLoading)
{
    auto phone = std::make_unique<TnvPhone>();
    phone->OnLog = [this](TnvSharedControl*, const QString& text) { m_trace << text; };
    phone->BeginLoading();
    phone->setEnabled(true);
    phone->Device()->setID(0);
    EXPECT_TRUE(takeTrace().isEmpty());
    phone->Loaded();
    EXPECT_EQ(phone->Error()->Number(), 0);
    EXPECT_EQ(phone->Device()->Name(), QStringLiteral("Linkora Simulated Handset"));
}

TEST_F(PhoneHarness, ExtensionVersionsThatCannotBeAgreedAreReported)
{
    std::unique_ptr<TnvPhone> phone = enabledPhone();
    phone->TAPI()->setExtensionHighVersion(0x00010000);
    takeTrace();
    phone->Device()->setID(0);
    EXPECT_EQ(quint32(phone->Error()->Number()), PHONEERR_OPERATIONUNAVAIL);
    const QStringList trace = takeTrace();
    EXPECT_TRUE(trace.contains(QStringLiteral("\tPhneNegotiateExtVersion returned PHONEERR_OPERATIONUNAVAIL")));
    // The device is read all the same.
    EXPECT_EQ(phone->Device()->Name(), QStringLiteral("Linkora Simulated Handset"));
    EXPECT_TRUE(phone->Handset()->Available());
}
