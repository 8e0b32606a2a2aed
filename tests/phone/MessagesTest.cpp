// Messages from the service: keys, state changes, device-specific data, and the message
// dumps the popup settings switch on.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <TnvPhonePrivate.h>

#include <TapiConstants.h>
#include <TnvNotation.h>

namespace {

// Delivers a message as the service would, to this control.
void deliver(TnvPhone* phone, DWORD message, DWORD param1, DWORD param2 = 0, DWORD param3 = 0)
{
    TnvPhonePrivate* d = TnvPhonePrivate::get(phone);
    TnvPhonePrivate::PhoneCallback(phone->Phone()->Handle(), message, d->callbackInstance(), param1, param2, param3);
}

} // namespace

TEST_F(PhoneHarness, KeypadKeysBecomeDigitsDownThenUp)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    QString digits;
    phone->OnDigitDown = [&](TnvSharedControl*, QChar digit) { digits += QLatin1Char('v') + digit; };
    phone->OnDigitUp = [&](TnvSharedControl*, QChar digit) { digits += QLatin1Char('^') + digit; };
    const QString keys = QStringLiteral("0123456789*#");
    for (QChar key : keys)
        ASSERT_TRUE(control(QStringLiteral("button"), {{"digit", QString(key)}}));
    ASSERT_TRUE(waitUntil([&] { return digits.size() == 4 * keys.size(); }));
    QString expected;
    QStringList lines;
    for (QChar key : keys) {
        expected += QLatin1Char('v') + key + QLatin1Char('^') + key;
        lines << QStringLiteral("OnDigitDown (") + key + QLatin1Char(')')
              << QStringLiteral("OnDigitUp (") + key + QLatin1Char(')');
    }
    EXPECT_EQ(digits, expected);
    EXPECT_EQ(takeTrace(), lines);
}

TEST_F(PhoneHarness, KeysThatAreNoKeypadDigitsProduceNothing)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    int digits = 0;
    int messages = 0;
    phone->OnDigitDown = [&](TnvSharedControl*, QChar) { ++digits; };
    phone->OnDigitUp = [&](TnvSharedControl*, QChar) { ++digits; };
    phone->OnTAPIMessage = [&](TnvSharedControl*, int, int, int, int, int) { ++messages; };
    deliver(phone.get(), PHONE_BUTTON, 12, PHONEBUTTONMODE_KEYPAD, PHONEBUTTONSTATE_DOWN);
    deliver(phone.get(), PHONE_BUTTON, 0xFFFFFFFF, PHONEBUTTONMODE_KEYPAD, PHONEBUTTONSTATE_UP);
    deliver(phone.get(), PHONE_BUTTON, 5, PHONEBUTTONMODE_FEATURE, PHONEBUTTONSTATE_DOWN);
    deliver(phone.get(), PHONE_BUTTON, 5, PHONEBUTTONMODE_KEYPAD, 4);
    EXPECT_EQ(digits, 0);
    EXPECT_EQ(messages, 4);
    EXPECT_TRUE(takeTrace().isEmpty());
}

TEST_F(PhoneHarness, ReinitIsIgnoredCompletely)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    phone->Popup()->setOnTAPIMessage(true);
    phone->Popup()->setOnPhoneState(true);
    bool called = false;
    phone->OnTAPIMessage = [&](TnvSharedControl*, int, int, int, int, int) { called = true; };
    phone->OnPhoneState = [&](TnvSharedControl*) { called = true; };
    deliver(phone.get(), PHONE_STATE, PHONESTATE_REINIT, 0);
    EXPECT_FALSE(called);
    EXPECT_TRUE(takeTrace().isEmpty());
    EXPECT_EQ(phone->Device()->State(), 0u);

    // Another state with the same details is reported as usual.
    deliver(phone.get(), PHONE_STATE, PHONESTATE_CONNECTED, 0);
    EXPECT_TRUE(called);
    EXPECT_EQ(phone->Device()->State(), PHONESTATE_CONNECTED);
}

TEST_F(PhoneHarness, PopupSettingsSwitchTheMessageDumpsOn)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    phone->Popup()->setOnTAPIMessage(true);
    phone->Popup()->setOnPhoneState(true);
    deliver(phone.get(), PHONE_STATE, PHONESTATE_SPEAKERHOOKSWITCH, PHONEHOOKSWITCHMODE_MIC);
    const QString handle = TnvNotation::hex8(phone->Phone()->Handle());
    EXPECT_EQ(takeTrace(), (QStringList{
                               QStringLiteral("OnTAPIMessage"),
                               QStringLiteral("\tPhone.Handle = [") + handle + QLatin1Char(']'),
                               QStringLiteral("\tMessage = PHONE_STATE [00000012]"),
                               QStringLiteral("\tParameter 1 = PHONESTATE_SPEAKERHOOKSWITCH[00001000]"),
                               QStringLiteral("\tParameter 2 = PHONEHOOKSWITCHMODE_MIC[00000002]"),
                               QStringLiteral("\tParameter 3 = [00000000]"),
                               QStringLiteral("OnPhoneState"),
                               QStringLiteral("\tDevice.State = PHONESTATE_SPEAKERHOOKSWITCH"),
                               QStringLiteral("\tDevice.StateDetails = PHONEHOOKSWITCHMODE_MIC"),
                               QStringLiteral("OnSpeakerphoneHookSwitch"),
                               QStringLiteral("\tSpeakerphone.MicrophoneAndSpeaker = False"),
                               QStringLiteral("\tSpeakerphone.MicrophoneOnly = True"),
                               QStringLiteral("\tSpeakerphone.OnHook = False"),
                               QStringLiteral("\tSpeakerphone.SpeakerOnly = False"),
                           }));

    // Details that are no hook-switch mode are written as a number.
    phone->Popup()->setOnTAPIMessage(false);
    deliver(phone.get(), PHONE_STATE, PHONESTATE_OWNER, 2);
    EXPECT_EQ(takeTrace(), (QStringList{QStringLiteral("OnPhoneState"),
                                        QStringLiteral("\tDevice.State = PHONESTATE_OWNER"),
                                        QStringLiteral("\tDevice.StateDetails = 2")}));
}

TEST_F(PhoneHarness, DeviceSpecificDataFromThePhone)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    QList<int> received;
    phone->OnDevSpecific = [&](TnvSharedControl*, int, int p1, int p2, int p3) { received = {p1, p2, p3}; };
    ASSERT_TRUE(control(QStringLiteral("phonedevspecific"), {{"p1", 1}, {"p2", "0x20"}, {"p3", 3}}));
    ASSERT_TRUE(waitUntil([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received, (QList<int>{1, 0x20, 3}));
    // Written only when its popup setting asks for it.
    EXPECT_TRUE(takeTrace().isEmpty());
    phone->Popup()->setOnDevSpecific(true);
    received.clear();
    ASSERT_TRUE(control(QStringLiteral("phonedevspecific"), {{"p1", 7}}));
    ASSERT_TRUE(waitUntil([&] { return !received.isEmpty(); }));
    const QString handle = TnvNotation::hex8(phone->Phone()->Handle());
    EXPECT_EQ(takeTrace(), QStringList{QStringLiteral("OnDevSpecific ([") + handle
                                       + QStringLiteral("] [00000007] [00000000] [00000000])")});
}
