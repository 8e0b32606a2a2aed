// The wave devices a SIP provider's lines name in "wave/out" and "wave/in": each is the
// device listed under the line's own name, also after the lines are set up again and
// while a second provider has lines of its own.

#include <SipProvider.h>
#include <TapiConstants.h>
#include <WaveApi.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

QVariantMap accounts(const QStringList& users)
{
    QVariantMap settings{{QStringLiteral("audio"), QStringLiteral("none")}};
    for (int i = 0; i < users.size(); ++i) {
        settings.insert(QStringLiteral("account%1.identity").arg(i + 1), QStringLiteral("sip:%1@127.0.0.1").arg(users[i]));
        settings.insert(QStringLiteral("account%1.bindAddress").arg(i + 1), QStringLiteral("127.0.0.1"));
    }
    return settings;
}

QString outName(DWORD id)
{
    WAVEOUTCAPSA caps{};
    if (waveOutGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR)
        return {};
    return QString::fromLatin1(caps.szPname, int(strnlen(caps.szPname, sizeof caps.szPname)));
}

QString inName(DWORD id)
{
    WAVEINCAPSA caps{};
    if (waveInGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR)
        return {};
    return QString::fromLatin1(caps.szPname, int(strnlen(caps.szPname, sizeof caps.szPname)));
}

// The names of the devices a line's "wave/out" and "wave/in" give, empty for none.
std::pair<QString, QString> waveNames(const Telephony::SipProvider& provider, int line)
{
    DWORD out = 0, in = 0;
    if (provider.deviceId(line, QStringLiteral("wave/out"), &out) != 0
        || provider.deviceId(line, QStringLiteral("Wave/In"), &in) != 0)
        return {};
    return {outName(out), inName(in)};
}

TEST(SipCallAudio, EachLineNamesItsOwnDevicesAcrossNewSettingsAndProviders)
{
    const auto pair = [](const char* name) { return std::pair{QString::fromLatin1(name), QString::fromLatin1(name)}; };
    Telephony::SipProvider first(accounts({QStringLiteral("alice"), QStringLiteral("bob")}));
    EXPECT_EQ(waveNames(first, 0), pair("SIP alice@127.0.0.1 call audio"));
    EXPECT_EQ(waveNames(first, 1), pair("SIP bob@127.0.0.1 call audio"));

    first.applySettings(accounts({QStringLiteral("carol")}));
    EXPECT_EQ(waveNames(first, 0), pair("SIP carol@127.0.0.1 call audio"));
    DWORD id = 0;
    EXPECT_EQ(first.deviceId(1, QStringLiteral("wave/out"), &id), LONG(LINEERR_NODEVICE));
    EXPECT_EQ(first.deviceId(0, QStringLiteral("tapi/phone"), &id), LONG(LINEERR_INVALDEVICECLASS));

    {
        Telephony::SipProvider second(accounts({QStringLiteral("dave")}));
        EXPECT_EQ(waveNames(second, 0), pair("SIP dave@127.0.0.1 call audio"));
        EXPECT_EQ(waveNames(first, 0), pair("SIP carol@127.0.0.1 call audio"));
    }
    // The second provider's devices left with it; the first's stay.
    EXPECT_EQ(waveNames(first, 0), pair("SIP carol@127.0.0.1 call audio"));
    for (UINT i = 0; i < waveOutGetNumDevs(); ++i)
        EXPECT_NE(outName(i), QStringLiteral("SIP dave@127.0.0.1 call audio"));
}

} // namespace
