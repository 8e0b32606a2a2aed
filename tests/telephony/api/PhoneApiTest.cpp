// The phone functions of the API on the exchange's phone: devices, opens and privileges,
// requests and their replies, state and key messages, related devices, and a phone
// closed under its users.

#include "ApiHarness.h"

#include "EventLoop.h"

#include <cstring>

namespace {

class PhoneApiTest : public ApiHarness {
protected:
    void TearDown() override
    {
        for (HPHONEAPP app : m_phoneApps)
            phoneShutdown(app);
        ApiHarness::TearDown();
    }

    HPHONEAPP initializePhone(DWORD* devices = nullptr)
    {
        HPHONEAPP app = 0;
        DWORD count = 0;
        DWORD version = TAPI_VERSION2_2;
        PHONEINITIALIZEEXPARAMS params{};
        params.dwTotalSize = sizeof params;
        params.dwOptions = PHONEINITIALIZEEXOPTION_USEHIDDENWINDOW;
        EXPECT_EQ(phoneInitializeExA(&app, nullptr, &ApiHarness::callback, "phones", &count, &version, &params), 0);
        m_phoneApps.push_back(app);
        if (devices)
            *devices = count;
        return app;
    }

    HPHONE openPhone(HPHONEAPP app, DWORD instance, DWORD privilege = PHONEPRIVILEGE_OWNER)
    {
        HPHONE phone = 0;
        EXPECT_EQ(phoneOpen(app, 0, &phone, TAPI_VERSION2_2, 0, instance, privilege), 0);
        EXPECT_EQ(phoneSetStatusMessages(phone, 0xFFFFFF, PHONEBUTTONMODE_KEYPAD, PHONEBUTTONSTATE_UP), 0);
        return phone;
    }

    bool waitForPhoneReply(DWORD instance, LONG request, LONG* result)
    {
        TapiMessage reply{};
        const bool ok = waitFor(
            instance, [&](const TapiMessage& m) { return m.message == PHONE_REPLY && m.param1 == DWORD(request); },
            &reply);
        *result = LONG(reply.param2);
        return ok;
    }

    std::vector<HPHONEAPP> m_phoneApps;
};

DWORD relatedId(HPHONE phone, const char* deviceClass, LONG* result)
{
    Block<VARSTRING> id(sizeof(VARSTRING) + 64);
    *result = phoneGetID(phone, id.get(), deviceClass);
    DWORD value = 0xFFFFFFFF;
    if (*result == 0 && id->dwStringSize == sizeof(DWORD))
        std::memcpy(&value, reinterpret_cast<const char*>(id.get()) + id->dwStringOffset, sizeof value);
    return value;
}

} // namespace

TEST_F(PhoneApiTest, ThePhoneDescribesItself)
{
    DWORD devices = 0;
    const HPHONEAPP app = initializePhone(&devices);
    ASSERT_EQ(devices, 1u);
    DWORD version = 0;
    PHONEEXTENSIONID extension{};
    ASSERT_EQ(phoneNegotiateAPIVersion(app, 0, TAPI_VERSION1_0, TAPI_VERSION2_2, &version, &extension), 0);
    EXPECT_EQ(phoneNegotiateAPIVersion(app, 1, TAPI_VERSION1_0, TAPI_VERSION2_2, &version, &extension),
              LONG(PHONEERR_BADDEVICEID));
    // A buffer of the fixed size only: the needed size comes back, then everything fits.
    Block<PHONECAPS> small(sizeof(PHONECAPS));
    ASSERT_EQ(phoneGetDevCaps(app, 0, version, 0, small.get()), 0);
    ASSERT_GT(small->dwNeededSize, small->dwTotalSize);
    Block<PHONECAPS> caps(small->dwNeededSize);
    ASSERT_EQ(phoneGetDevCaps(app, 0, version, 0, caps.get()), 0);
    const char* base = reinterpret_cast<const char*>(caps.get());
    EXPECT_STREQ(base + caps->dwPhoneNameOffset, "Linkora Simulated Handset");
    EXPECT_EQ(caps->dwHookSwitchDevs, 7u);
}

TEST_F(PhoneApiTest, RequestsReplyFirstThenReportTheirStates)
{
    const HPHONEAPP app = initializePhone();
    const HPHONE phone = openPhone(app, 11);
    const LONG request = phoneSetHookSwitch(phone, PHONEHOOKSWITCHDEV_HANDSET, PHONEHOOKSWITCHMODE_MICSPEAKER);
    ASSERT_GT(request, 0);
    LONG result = -1;
    ASSERT_TRUE(waitForPhoneReply(11, request, &result));
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(waitFor(11, [](const TapiMessage& m) {
        return m.message == PHONE_STATE && m.param1 == PHONESTATE_HANDSETHOOKSWITCH
            && m.param2 == PHONEHOOKSWITCHMODE_MICSPEAKER;
    }));
    const std::vector<TapiMessage> got = messages(11);
    EXPECT_EQ(got.front().message, PHONE_REPLY);

    ASSERT_GT(phoneSetVolume(phone, PHONEHOOKSWITCHDEV_HEADSET, 0x1234), 0);
    ASSERT_TRUE(waitFor(11, [](const TapiMessage& m) { return m.param1 == PHONESTATE_HEADSETVOLUME; }));
    DWORD volume = 0;
    EXPECT_EQ(phoneGetVolume(phone, PHONEHOOKSWITCHDEV_HEADSET, &volume), 0);
    EXPECT_EQ(volume, 0x1234u);

    // Refused at once: more than one device for a volume, a level beyond 0xFFFF, a monitor.
    EXPECT_EQ(phoneSetVolume(phone, 3, 5), LONG(PHONEERR_INVALHOOKSWITCHDEV));
    EXPECT_EQ(phoneSetGain(phone, PHONEHOOKSWITCHDEV_HANDSET, 0x10000), LONG(PHONEERR_INVALPARAM));
    const HPHONE monitor = openPhone(initializePhone(), 12, PHONEPRIVILEGE_MONITOR);
    EXPECT_EQ(phoneSetHookSwitch(monitor, PHONEHOOKSWITCHDEV_HANDSET, PHONEHOOKSWITCHMODE_ONHOOK),
              LONG(PHONEERR_NOTOWNER));
}

TEST_F(PhoneApiTest, OwnersAndMonitorsAreCountedToTheOtherUsers)
{
    const HPHONE watcher = openPhone(initializePhone(), 21, PHONEPRIVILEGE_MONITOR);
    ASSERT_NE(watcher, 0u);
    HPHONE owner = 0;
    ASSERT_EQ(phoneOpen(initializePhone(), 0, &owner, TAPI_VERSION2_2, 0, 22, PHONEPRIVILEGE_OWNER), 0);
    ASSERT_TRUE(waitFor(21, [](const TapiMessage& m) {
        return m.message == PHONE_STATE && m.param1 == PHONESTATE_OWNER && m.param2 == 1;
    }));
    HPHONE second = 0;
    EXPECT_EQ(phoneOpen(m_phoneApps.back(), 0, &second, TAPI_VERSION2_2, 0, 23, PHONEPRIVILEGE_OWNER),
              LONG(PHONEERR_INUSE));
    ASSERT_EQ(phoneClose(owner), 0);
    ASSERT_TRUE(waitFor(21, [](const TapiMessage& m) {
        return m.message == PHONE_STATE && m.param1 == PHONESTATE_OWNER && m.param2 == 0;
    }));
}

TEST_F(PhoneApiTest, RelatedDevicesOfThePhone)
{
    const HPHONE phone = openPhone(initializePhone(), 31);
    LONG result = -1;
    EXPECT_EQ(relatedId(phone, "tapi/phone", &result), 0u);
    EXPECT_EQ(relatedId(phone, "tapi/line", &result), 0u);
    // The call-audio devices of line 1 come after the loopback pair.
    EXPECT_EQ(relatedId(phone, "wave/out", &result), 1u);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(relatedId(phone, "wave/in", &result), 1u);
    relatedId(phone, "comm/datamodem", &result);
    EXPECT_EQ(result, LONG(PHONEERR_INVALDEVICECLASS));
    relatedId(phone + 1000, "wave/in", &result);
    EXPECT_EQ(result, LONG(PHONEERR_INVALPHONEHANDLE));
}

TEST_F(PhoneApiTest, KeysHookSwitchesAndDataFromThePhoneItself)
{
    const HPHONE phone = openPhone(initializePhone(), 41);
    ASSERT_NE(phone, 0u);
    // Only key releases were asked for.
    ASSERT_TRUE(control(QStringLiteral("button"), {{"digit", "#"}}).value("ok").toBool());
    ASSERT_TRUE(waitFor(41, [](const TapiMessage& m) { return m.message == PHONE_BUTTON; }));
    ASSERT_TRUE(control(QStringLiteral("lift"), {{"device", "headset"}}).value("ok").toBool());
    ASSERT_TRUE(waitFor(41, [](const TapiMessage& m) {
        return m.message == PHONE_STATE && m.param1 == PHONESTATE_HEADSETHOOKSWITCH;
    }));
    ASSERT_TRUE(control(QStringLiteral("phonedevspecific"), {{"p1", 1}, {"p2", 2}, {"p3", 3}}).value("ok").toBool());
    TapiMessage data{};
    ASSERT_TRUE(waitFor(41, [](const TapiMessage& m) { return m.message == PHONE_DEVSPECIFIC; }, &data));
    EXPECT_EQ(data.device, phone);
    EXPECT_EQ(data.param3, 3u);

    int buttons = 0;
    for (const TapiMessage& m : messages(41))
        if (m.message == PHONE_BUTTON) {
            ++buttons;
            EXPECT_EQ(m.param1, 11u);
            EXPECT_EQ(m.param3, PHONEBUTTONSTATE_UP);
        }
    EXPECT_EQ(buttons, 1);

    // Commands that make no sense are refused.
    EXPECT_FALSE(control(QStringLiteral("hookswitch"), {{"mode", "sideways"}}).value("ok").toBool());
    EXPECT_FALSE(control(QStringLiteral("volume"), {{"value", 0x10000}}).value("ok").toBool());
    EXPECT_FALSE(control(QStringLiteral("lift"), {{"device", "tin can"}}).value("ok").toBool());
}

TEST_F(PhoneApiTest, PhoneClosedUnderItsUsersOwesNoReply)
{
    const HPHONE phone = openPhone(initializePhone(), 51);
    ASSERT_TRUE(control(QStringLiteral("withhold"), {{"function", "phoneSetGain"}}).value("ok").toBool());
    const LONG request = phoneSetGain(phone, PHONEHOOKSWITCHDEV_HANDSET, 5);
    ASSERT_GT(request, 0);
    ASSERT_TRUE(control(QStringLiteral("phoneclose")).value("ok").toBool());
    TapiMessage closed{};
    ASSERT_TRUE(waitFor(51, [](const TapiMessage& m) { return m.message == PHONE_CLOSE; }, &closed));
    EXPECT_EQ(closed.device, phone);
    pump();
    for (const TapiMessage& m : messages(51))
        EXPECT_NE(m.message, PHONE_REPLY);
    EXPECT_EQ(phoneClose(phone), LONG(PHONEERR_INVALPHONEHANDLE));
    // The phone can be opened again.
    EXPECT_NE(openPhone(m_phoneApps.back(), 52), 0u);
}
