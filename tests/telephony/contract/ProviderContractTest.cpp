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

#include <QTimer>

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
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        QString skipped;
        m_fixture = GetParam().forCase(name.substr(0, name.find('/')).c_str(), &skipped);
        if (!skipped.isEmpty())
            GTEST_SKIP() << skipped.toStdString();
        Telephony::registerBuiltinProviders();
        m_provider = fixture().create ? fixture().create(fixture().settings)
                                      : Telephony::ProviderRegistry::create(QString::fromLatin1(fixture().name),
                                                                            fixture().settings);
        ASSERT_TRUE(m_provider);
        // A far-end line takes calls once open; its own reports are not the contract's.
        if (fixture().farEndLine >= 0) {
            ASSERT_EQ(m_provider->open(fixture().farEndLine, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0);
        }
        m_provider->setSink(&m_sink);
        m_sink.onEvent = [this](const Event& e) { playFarEnd(e); };
    }

    void TearDown() override
    {
        if (m_provider)
            m_provider->setSink(nullptr);
    }

    TelephonyProvider& provider() { return *m_provider; }
    const ProviderFixture& fixture() const { return m_fixture; }
    int line() const { return fixture().voiceLine; }

    // Makes an outside call ring the voice line; false when the provider has no way.
    bool ring()
    {
        if (!fixture().ringCommand.isEmpty())
            return provider().control(fixture().ringCommand, fixture().ringArguments).value("ok").toBool();
        return fixture().farEndLine >= 0 && openLine() &&
               provider().makeCall(kFarEndRequests, fixture().farEndLine, kFarEndCalls, fixture().voiceLineAddress,
                                   true, 0, {}) == 0;
    }

    // The far-end line answers what is offered to it, once the report has returned.
    void playFarEnd(const Event& e)
    {
        if (e.kind == Event::NewCall && int(e.b) == fixture().farEndLine)
            m_farEndCalls << e.a;
        if (e.kind == Event::State && e.b == LINECALLSTATE_OFFERING && m_farEndCalls.contains(e.a)) {
            const CallId call = e.a;
            QTimer::singleShot(0, &m_context, [this, call] { provider().answer(m_farEndRequest++, call, {}); });
        }
    }

    // Opens the voice line once, as the service does before it places or takes a call
    // (a line on a network starts only then).
    bool openLine()
    {
        if (!m_lineOpen)
            m_lineOpen = provider().open(line(), LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE) == 0;
        return m_lineOpen;
    }

    // Places a call to the fixture's answering address; 0 when the provider refused it.
    CallId makeCall(DWORD* request = nullptr)
    {
        if (!openLine())
            return 0;
        const CallId id = m_nextCall++;
        const DWORD made = m_nextRequest++;
        if (request)
            *request = made;
        return provider().makeCall(made, line(), id, fixture().answeringAddress, true, 0, {}) == 0 ? id : 0;
    }

    bool reaches(CallId call, DWORD state)
    {
        return waitUntil([&] { return m_sink.lastState(call) == state; });
    }

    bool replied(DWORD request)
    {
        return waitUntil([&] { return m_sink.hasReply(request); });
    }

    // Requests and calls of the far end, apart from the test's own.
    static constexpr DWORD kFarEndRequests = 0x10000;
    static constexpr CallId kFarEndCalls = 0x20000;

    ProviderFixture m_fixture;
    RecordingSink m_sink;
    std::unique_ptr<TelephonyProvider> m_provider;
    QObject m_context; // goes before the provider: no far-end answer after the test
    QList<CallId> m_farEndCalls;
    DWORD m_farEndRequest = kFarEndRequests + 1;
    bool m_lineOpen = false;
    DWORD m_nextRequest = 1;
    CallId m_nextCall = 1;
};

} // namespace

TEST_P(ProviderContract, DevicesDescribeThemselves)
{
    EXPECT_EQ(provider().name(), QString::fromLatin1(fixture().name));
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
    const QByteArray& address = fixture().answeringAddress;
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
    EXPECT_EQ(provider().validateAddress(line(), fixture().answeringAddress), 0);
    EXPECT_EQ(provider().validateAddress(line(), fixture().refusedAddress), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(provider().makeCall(101, line(), 77, fixture().refusedAddress, true, 0, {}), LONG(LINEERR_INVALADDRESS));
    waitUntil([] { return false; }, 20);
    EXPECT_TRUE(m_sink.events.isEmpty());
}

TEST_P(ProviderContract, OfferedCallIsAnsweredAndDropped)
{
    if (fixture().ringCommand.isEmpty() && fixture().farEndLine < 0)
        GTEST_SKIP() << "no way to make an outside call ring";
    ASSERT_TRUE(ring());
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
