// The contract every provider keeps with the service core, checked through the provider
// interface alone: its devices, opens, the order of replies and states, ending and
// releasing calls, unknown calls, and its address rule.

#include "ProviderFixture.h"

#include "../RecordingSink.h"
#include "EventLoop.h"

#include <BuiltinProviders.h>
#include <TapiConstants.h>
#include <provider/ProviderRegistry.h>

#include <gtest/gtest.h>

#include <memory>

using ProviderTest::Event;
using ProviderTest::RecordingSink;
using Telephony::CallId;
using Telephony::TelephonyProvider;

namespace {

class ProviderContract : public ::testing::TestWithParam<ProviderFixture> {
protected:
    void SetUp() override
    {
        Telephony::registerBuiltinProviders();
        m_provider = Telephony::ProviderRegistry::create(QString::fromLatin1(GetParam().name), GetParam().settings);
        ASSERT_TRUE(m_provider);
        m_provider->setSink(&m_sink);
    }

    void TearDown() override
    {
        if (m_provider)
            m_provider->setSink(nullptr);
    }

    TelephonyProvider& provider() { return *m_provider; }
    int line() const { return GetParam().voiceLine; }

    // Places a call to the fixture's answering address; 0 when the provider refused it.
    CallId makeCall(DWORD* request = nullptr)
    {
        const CallId id = m_nextCall++;
        const DWORD made = m_nextRequest++;
        if (request)
            *request = made;
        return provider().makeCall(made, line(), id, GetParam().answeringAddress, true, 0, {}) == 0 ? id : 0;
    }

    bool reaches(CallId call, DWORD state)
    {
        return waitUntil([&] { return m_sink.lastState(call) == state; });
    }

    bool replied(DWORD request)
    {
        return waitUntil([&] { return m_sink.hasReply(request); });
    }

    RecordingSink m_sink;
    std::unique_ptr<TelephonyProvider> m_provider;
    DWORD m_nextRequest = 1;
    CallId m_nextCall = 1;
};

} // namespace

TEST_P(ProviderContract, DevicesDescribeThemselves)
{
    EXPECT_EQ(provider().name(), QString::fromLatin1(GetParam().name));
    ASSERT_GT(provider().lineDeviceCount(), line());
    for (int device = 0; device < provider().lineDeviceCount(); ++device) {
        SCOPED_TRACE(device);
        const Telephony::LineDeviceCaps& caps = provider().lineCaps(device);
        EXPECT_FALSE(caps.lineName.isEmpty());
        EXPECT_FALSE(caps.addresses.isEmpty());
        EXPECT_LE(caps.lowApiVersion, caps.highApiVersion);
        EXPECT_NE(caps.fixed.dwMediaModes, 0u);
    }
}

TEST_P(ProviderContract, OpensAreCountedAndBadDevicesRefused)
{
    const DWORD media = provider().lineCaps(line()).fixed.dwMediaModes & LINEMEDIAMODE_INTERACTIVEVOICE;
    ASSERT_EQ(provider().open(line(), LINECALLPRIVILEGE_OWNER, media), 0);
    ASSERT_EQ(provider().open(line(), LINECALLPRIVILEGE_MONITOR, 0), 0);
    EXPECT_EQ(provider().lineStatus(line()).fixed.dwNumOpens, 2u);
    provider().close(line());
    provider().close(line());
    EXPECT_EQ(provider().lineStatus(line()).fixed.dwNumOpens, 0u);
    EXPECT_EQ(provider().open(provider().lineDeviceCount(), LINECALLPRIVILEGE_MONITOR, 0), LONG(LINEERR_BADDEVICEID));
    EXPECT_EQ(provider().open(-1, LINECALLPRIVILEGE_MONITOR, 0), LONG(LINEERR_BADDEVICEID));
}

TEST_P(ProviderContract, ReplyComesBeforeTheStatesItCauses)
{
    DWORD made = 0;
    const CallId call = makeCall(&made);
    ASSERT_NE(call, 0u);
    // Nothing is reported inside the call that made the request.
    EXPECT_TRUE(m_sink.events.isEmpty());
    ASSERT_TRUE(reaches(call, LINECALLSTATE_CONNECTED));
    const int reply = m_sink.indexOf(Event::Reply, made);
    const int firstState = m_sink.indexOf(Event::State, call);
    ASSERT_GE(reply, 0);
    EXPECT_EQ(m_sink.reply(made), 0);
    EXPECT_LT(reply, firstState);

    const DWORD drop = m_nextRequest++;
    ASSERT_EQ(provider().drop(drop, call, {}), 0);
    ASSERT_TRUE(reaches(call, LINECALLSTATE_IDLE));
    EXPECT_LT(m_sink.indexOf(Event::Reply, drop), m_sink.indexOf(Event::State, call, LINECALLSTATE_IDLE));
}

TEST_P(ProviderContract, ReleasedCallsAreForgottenAndStaySilent)
{
    const CallId call = makeCall();
    ASSERT_NE(call, 0u);
    ASSERT_TRUE(reaches(call, LINECALLSTATE_CONNECTED));
    // The core lets go of a live call: it ends without another word.
    provider().releaseCall(call);
    const qsizetype before = m_sink.events.size();
    waitUntil([] { return false; }, 50);
    for (qsizetype i = before; i < m_sink.events.size(); ++i)
        EXPECT_FALSE(m_sink.events[i].kind == Event::State && m_sink.events[i].a == call);
    EXPECT_EQ(provider().callStatus(call).callState, 0u);
    EXPECT_EQ(provider().drop(m_nextRequest++, call, {}), LONG(LINEERR_INVALCALLHANDLE));
}

TEST_P(ProviderContract, UnknownCallsAreRefused)
{
    const CallId unknown = 0x4242;
    const QByteArray& address = GetParam().answeringAddress;
    struct Case {
        const char* what;
        LONG result;
    };
    const Case cases[] = {
        {"drop", provider().drop(101, unknown, {})},
        {"answer", provider().answer(102, unknown, {})},
        {"dial", provider().dial(103, unknown, address, 0)},
        {"make call with id 0", provider().makeCall(104, line(), 0, address, true, 0, {})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, LONG(LINEERR_INVALCALLHANDLE)) << c.what;
    EXPECT_EQ(provider().callStatus(unknown).callState, 0u);
    provider().releaseCall(unknown);

    // An id the core already gave to a call is not taken twice.
    const CallId call = makeCall();
    ASSERT_NE(call, 0u);
    EXPECT_EQ(provider().makeCall(105, line(), call, address, true, 0, {}), LONG(LINEERR_INVALCALLHANDLE));
    waitUntil([] { return false; }, 20);
    for (DWORD refused = 101; refused <= 105; ++refused)
        EXPECT_FALSE(m_sink.hasReply(refused)) << refused;
}

TEST_P(ProviderContract, OneAddressRuleForAskingAndCalling)
{
    EXPECT_EQ(provider().validateAddress(line(), GetParam().answeringAddress), 0);
    EXPECT_EQ(provider().validateAddress(line(), GetParam().refusedAddress), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(provider().makeCall(101, line(), 77, GetParam().refusedAddress, true, 0, {}), LONG(LINEERR_INVALADDRESS));
    waitUntil([] { return false; }, 20);
    EXPECT_TRUE(m_sink.events.isEmpty());
}

TEST_P(ProviderContract, OfferedCallIsAnsweredAndDropped)
{
    if (GetParam().ringCommand.isEmpty())
        GTEST_SKIP() << "no way to make an outside call ring";
    ASSERT_TRUE(provider().control(GetParam().ringCommand, GetParam().ringArguments).value("ok").toBool());
    ASSERT_TRUE(waitUntil([&] { return !m_sink.newCalls().isEmpty(); }));
    const CallId offered = m_sink.newCalls().first();
    ASSERT_TRUE(reaches(offered, LINECALLSTATE_OFFERING));
    const DWORD answer = m_nextRequest++;
    ASSERT_EQ(provider().answer(answer, offered, {}), 0);
    ASSERT_TRUE(reaches(offered, LINECALLSTATE_CONNECTED));
    EXPECT_TRUE(replied(answer));
    EXPECT_EQ(m_sink.reply(answer), 0);
    ASSERT_EQ(provider().drop(m_nextRequest++, offered, {}), 0);
    EXPECT_TRUE(reaches(offered, LINECALLSTATE_IDLE));
}

INSTANTIATE_TEST_SUITE_P(Providers, ProviderContract, ::testing::ValuesIn(providerFixtures()),
                         [](const ::testing::TestParamInfo<ProviderFixture>& info) {
                             return std::string(info.param.name);
                         });
