// The contract every provider keeps, seen by an application through the telephony API
// with the provider as the service's only one: devices, opens, replies before states,
// dropping and deallocating, bad handles, structure sizes and injected faults.

#include "ProviderFixture.h"

#include "../api/ApiHarness.h"
#include "EventLoop.h"

#include <QFile>
#include <QTimer>

#include <cstddef>
#include <set>

namespace {

constexpr DWORD kInstance = 0x51;
constexpr DWORD kFarEndInstance = 0x52;

class ApiContract : public ApiHarness, public ::testing::WithParamInterface<ProviderFixture> {
protected:
    void SetUp() override
    {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        QString skipped;
        m_fixture = GetParam().forCase(name.substr(0, name.find('/')).c_str(), &skipped);
        if (!skipped.isEmpty())
            GTEST_SKIP() << skipped.toStdString();
        ApiHarness::SetUp();
        // The fixture's provider is the only one configured, with its delays taken out.
        const QString path = m_configDir.filePath(QStringLiteral("telephony.conf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("[provider ") + fixture().name + "]\n");
        file.close();
        Telephony::ServiceOptions options;
        options.configPath = path;
        options.providerSettings[QString::fromLatin1(fixture().name)] = fixture().settings;
        options.controlServer = false;
        Telephony::setServiceOptions(options);
        s_onMessage = [this](const TapiMessage& m) { playFarEnd(m); };
    }

    const ProviderFixture& fixture() const { return m_fixture; }

    // Opens the voice line, and the far-end line where the provider needs one.
    HLINE openLine(HLINEAPP app)
    {
        if (fixture().farEndLine >= 0)
            m_farEnd = open(app, DWORD(fixture().farEndLine), kFarEndInstance, LINECALLPRIVILEGE_OWNER);
        return open(app, DWORD(fixture().voiceLine), kInstance);
    }

    // Makes an outside call ring the voice line; false when the provider has no way.
    bool ring()
    {
        if (!fixture().ringCommand.isEmpty())
            return control(fixture().ringCommand, fixture().ringArguments).value("ok").toBool();
        return m_farEnd && lineMakeCall(m_farEnd, &m_farEndCall, fixture().voiceLineAddress.constData(), 0, nullptr) > 0;
    }

    // The far-end line answers what is offered to it, hangs up when the other side did
    // and lets go of its calls, each once the message has returned.
    void playFarEnd(const TapiMessage& m)
    {
        if (m.instance != kFarEndInstance || m.message != LINE_CALLSTATE)
            return;
        const HCALL call = m.device;
        m_farEndCalls.insert(call);
        if (m.param1 == LINECALLSTATE_OFFERING)
            QTimer::singleShot(0, &m_context, [call] { lineAnswer(call, nullptr, 0); });
        else if (m.param1 == LINECALLSTATE_DISCONNECTED)
            QTimer::singleShot(0, &m_context, [call] { lineDrop(call, nullptr, 0); });
        else if (m.param1 == LINECALLSTATE_IDLE)
            QTimer::singleShot(0, &m_context, [this, call] {
                if (lineDeallocateCall(call) == 0)
                    m_farEndCalls.erase(call);
            });
    }

    // Waits until the far end holds no call.
    bool farEndIdle() { return waitUntil([this] { return m_farEndCalls.empty(); }); }

    // Makes a call to the answering address and waits until it is connected.
    HCALL connectedCall(HLINE line)
    {
        HCALL call = 0;
        const LONG request = lineMakeCall(line, &call, fixture().answeringAddress.constData(), 0, nullptr);
        EXPECT_GT(request, 0);
        EXPECT_TRUE(waitForReply(kInstance, request));
        EXPECT_TRUE(waitForState(kInstance, call, LINECALLSTATE_CONNECTED));
        return call;
    }

    // Index of the first message of the instance matching pred, or -1.
    int indexOf(const std::function<bool(const TapiMessage&)>& pred) const
    {
        const std::vector<TapiMessage> all = messages(kInstance);
        for (size_t i = 0; i < all.size(); ++i)
            if (pred(all[i]))
                return int(i);
        return -1;
    }

    ProviderFixture m_fixture;
    HLINE m_farEnd = 0;
    HCALL m_farEndCall = 0; // filled in by the reply
    std::set<HCALL> m_farEndCalls;
    QObject m_context; // no far-end action after the test
};

// A variable-size structure read twice: at its whole fixed size, then at the size it said
// it needs. A block of only the three sizes is refused.
template<typename T>
void checkSizes(const char* what, const std::function<LONG(T*)>& read)
{
    SCOPED_TRACE(what);
    Block<T> tiny(3 * sizeof(DWORD));
    EXPECT_EQ(read(tiny.get()), LONG(LINEERR_STRUCTURETOOSMALL));
    Block<T> fixed(sizeof(T));
    ASSERT_EQ(read(fixed.get()), 0);
    EXPECT_LE(fixed->dwUsedSize, fixed->dwTotalSize);
    EXPECT_GE(fixed->dwNeededSize, fixed->dwUsedSize);
    Block<T> fitted(fixed->dwNeededSize);
    ASSERT_EQ(read(fitted.get()), 0);
    EXPECT_EQ(fitted->dwNeededSize, fitted->dwUsedSize);
    EXPECT_EQ(fitted->dwNeededSize, fixed->dwNeededSize);
}

} // namespace

TEST_P(ApiContract, DevicesAreListedAndDescribed)
{
    DWORD devices = 0;
    const HLINEAPP app = initialize("contract", &devices);
    ASSERT_GT(devices, DWORD(fixture().voiceLine));
    EXPECT_EQ(control(QStringLiteral("providers")).value("providers").toString(), QString::fromLatin1(fixture().name));
    for (DWORD device = 0; device < devices; ++device) {
        DWORD version = 0;
        LINEEXTENSIONID extension{};
        ASSERT_EQ(lineNegotiateAPIVersion(app, device, TAPI_VERSION1_4, TAPI_VERSION2_2, &version, &extension), 0);
        Block<LINEDEVCAPS> caps(sizeof(LINEDEVCAPS) + 4096);
        ASSERT_EQ(lineGetDevCaps(app, device, version, 0, caps.get()), 0) << device;
        EXPECT_FALSE(caps.text(caps->dwLineNameSize, caps->dwLineNameOffset).isEmpty()) << device;
        EXPECT_GE(caps->dwNumAddresses, 1u) << device;
    }
    Block<LINEDEVCAPS> caps(sizeof(LINEDEVCAPS) + 4096);
    EXPECT_EQ(lineGetDevCaps(app, devices, TAPI_VERSION2_2, 0, caps.get()), LONG(LINEERR_BADDEVICEID));
}

TEST_P(ApiContract, LinesOpenAndCloseOnce)
{
    DWORD devices = 0;
    const HLINEAPP app = initialize("contract", &devices);
    const HLINE line = openLine(app);
    ASSERT_NE(line, 0u);
    EXPECT_EQ(lineClose(line), 0);
    EXPECT_EQ(lineClose(line), LONG(LINEERR_INVALLINEHANDLE));
    HLINE other = 0;
    EXPECT_EQ(lineOpen(app, devices, &other, TAPI_VERSION2_2, 0, kInstance, LINECALLPRIVILEGE_MONITOR, 0, nullptr),
              LONG(LINEERR_BADDEVICEID));
}

TEST_P(ApiContract, ReplyWithTheHandleComesBeforeTheCallStates)
{
    const HLINE line = openLine(initialize("contract"));
    HCALL call = 0;
    LONG request = 0;
    HCALL atReply = 0;
    s_onMessage = [&, farEnd = s_onMessage](const TapiMessage& m) {
        farEnd(m);
        if (m.message == LINE_REPLY && m.param1 == DWORD(request))
            atReply = call;
    };
    request = lineMakeCall(line, &call, fixture().answeringAddress.constData(), 0, nullptr);
    ASSERT_GT(request, 0);
    EXPECT_EQ(call, 0u); // filled in with the reply, not before
    ASSERT_TRUE(waitForState(kInstance, call, LINECALLSTATE_CONNECTED));
    EXPECT_NE(atReply, 0u);
    const int reply = indexOf([&](const TapiMessage& m) { return m.message == LINE_REPLY && m.param1 == DWORD(request); });
    const int state = indexOf([&](const TapiMessage& m) { return m.message == LINE_CALLSTATE && m.device == call; });
    ASSERT_GE(reply, 0);
    EXPECT_LT(reply, state);
}

TEST_P(ApiContract, DroppedCallGoesIdleAndIsDeallocated)
{
    const HLINE line = openLine(initialize("contract"));
    const HCALL call = connectedCall(line);
    ASSERT_NE(call, 0u);
    // The only owner may not let go of a live call.
    EXPECT_EQ(lineDeallocateCall(call), LONG(LINEERR_INVALCALLSTATE));
    const LONG drop = lineDrop(call, nullptr, 0);
    ASSERT_GT(drop, 0);
    LONG result = -1;
    ASSERT_TRUE(waitForReply(kInstance, drop, &result));
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(waitForState(kInstance, call, LINECALLSTATE_IDLE));
    EXPECT_EQ(lineDeallocateCall(call), 0);
    Block<LINECALLSTATUS> status(sizeof(LINECALLSTATUS) + 256);
    EXPECT_EQ(lineGetCallStatus(call, status.get()), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_TRUE(farEndIdle());
    EXPECT_EQ(control(QStringLiteral("status")).value("calls").toInt(), 0);
}

TEST_P(ApiContract, BadHandlesAreRefused)
{
    const HLINEAPP app = initialize("contract");
    openLine(app);
    const DWORD bad = 0x7FFFFFF0;
    Block<LINECALLINFO> info(sizeof(LINECALLINFO) + 256);
    Block<LINEDEVSTATUS> status(sizeof(LINEDEVSTATUS) + 256);
    HCALL call = 0;
    struct Case {
        const char* what;
        LONG result, expected;
    };
    const Case cases[] = {
        {"lineMakeCall", lineMakeCall(bad, &call, fixture().answeringAddress.constData(), 0, nullptr),
         LONG(LINEERR_INVALLINEHANDLE)},
        {"lineClose", lineClose(bad), LONG(LINEERR_INVALLINEHANDLE)},
        {"lineGetLineDevStatus", lineGetLineDevStatus(bad, status.get()), LONG(LINEERR_INVALLINEHANDLE)},
        {"lineDial", lineDial(bad, fixture().answeringAddress.constData(), 0), LONG(LINEERR_INVALCALLHANDLE)},
        {"lineAnswer", lineAnswer(bad, nullptr, 0), LONG(LINEERR_INVALCALLHANDLE)},
        {"lineDrop", lineDrop(bad, nullptr, 0), LONG(LINEERR_INVALCALLHANDLE)},
        {"lineDeallocateCall", lineDeallocateCall(bad), LONG(LINEERR_INVALCALLHANDLE)},
        {"lineGetCallInfo", lineGetCallInfo(bad, info.get()), LONG(LINEERR_INVALCALLHANDLE)},
        {"lineShutdown", lineShutdown(bad), LONG(LINEERR_INVALAPPHANDLE)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_EQ(call, 0u);
    EXPECT_EQ(control(QStringLiteral("status")).value("calls").toInt(), 0);
}

TEST_P(ApiContract, StructuresReportTheSizeTheyNeed)
{
    const HLINEAPP app = initialize("contract");
    const HLINE line = openLine(app);
    const DWORD device = DWORD(fixture().voiceLine);
    checkSizes<LINEDEVCAPS>("LINEDEVCAPS", [&](LINEDEVCAPS* b) { return lineGetDevCaps(app, device, TAPI_VERSION2_2, 0, b); });
    checkSizes<LINEADDRESSCAPS>("LINEADDRESSCAPS", [&](LINEADDRESSCAPS* b) {
        return lineGetAddressCaps(app, device, 0, TAPI_VERSION2_2, 0, b);
    });
    checkSizes<LINEDEVSTATUS>("LINEDEVSTATUS", [&](LINEDEVSTATUS* b) { return lineGetLineDevStatus(line, b); });
    checkSizes<LINEADDRESSSTATUS>("LINEADDRESSSTATUS", [&](LINEADDRESSSTATUS* b) {
        return lineGetAddressStatus(line, 0, b);
    });
    const HCALL call = connectedCall(line);
    checkSizes<LINECALLINFO>("LINECALLINFO", [&](LINECALLINFO* b) { return lineGetCallInfo(call, b); });
    checkSizes<LINECALLSTATUS>("LINECALLSTATUS", [&](LINECALLSTATUS* b) { return lineGetCallStatus(call, b); });
}

TEST_P(ApiContract, InjectedFaultsReachTheApplication)
{
    const HLINE line = openLine(initialize("contract"));
    const QByteArray& address = fixture().answeringAddress;

    // A failed request: its reply says so and no handle is given.
    ASSERT_TRUE(control(QStringLiteral("fail"), {{"function", "lineMakeCall"}, {"code", "0x80000048"}}).value("ok").toBool());
    HCALL failed = 0;
    const LONG request = lineMakeCall(line, &failed, address.constData(), 0, nullptr);
    LONG result = 0;
    ASSERT_TRUE(waitForReply(kInstance, request, &result));
    EXPECT_EQ(result, LONG(LINEERR_OPERATIONFAILED));
    EXPECT_EQ(failed, 0u);

    // A withheld reply: the drop still happens.
    const HCALL call = connectedCall(line);
    ASSERT_TRUE(control(QStringLiteral("withhold"), {{"function", "lineDrop"}}).value("ok").toBool());
    const LONG drop = lineDrop(call, nullptr, 0);
    ASSERT_GT(drop, 0);
    ASSERT_TRUE(waitForState(kInstance, call, LINECALLSTATE_IDLE));
    EXPECT_EQ(indexOf([&](const TapiMessage& m) { return m.message == LINE_REPLY && m.param1 == DWORD(drop); }), -1);

    // A structure answer too small once, whatever the buffer.
    ASSERT_TRUE(control(QStringLiteral("toosmall"), {{"function", "lineGetCallInfo"}}).value("ok").toBool());
    Block<LINECALLINFO> info(sizeof(LINECALLINFO) + 4096);
    EXPECT_EQ(lineGetCallInfo(call, info.get()), LONG(LINEERR_STRUCTURETOOSMALL));
    EXPECT_EQ(lineGetCallInfo(call, info.get()), 0);
}

TEST_P(ApiContract, AddressesFollowTheProvidersRule)
{
    const HLINE line = openLine(initialize("contract"));
    HCALL call = 0;
    EXPECT_EQ(lineMakeCall(line, &call, fixture().refusedAddress.constData(), 0, nullptr), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(call, 0u);
    EXPECT_EQ(control(QStringLiteral("status")).value("calls").toInt(), 0);
}

TEST_P(ApiContract, OfferedCallReachesTheOwner)
{
    if (fixture().ringCommand.isEmpty() && fixture().farEndLine < 0)
        GTEST_SKIP() << "no way to make an outside call ring";
    const HLINE line = openLine(initialize("contract"));
    ASSERT_NE(line, 0u);
    ASSERT_TRUE(ring());
    TapiMessage offered{};
    ASSERT_TRUE(waitFor(kInstance, [](const TapiMessage& m) {
        return m.message == LINE_CALLSTATE && m.param1 == LINECALLSTATE_OFFERING;
    }, &offered));
    EXPECT_EQ(offered.param3, LINECALLPRIVILEGE_OWNER);
    const HCALL call = offered.device;
    const LONG answer = lineAnswer(call, nullptr, 0);
    ASSERT_GT(answer, 0);
    ASSERT_TRUE(waitForState(kInstance, call, LINECALLSTATE_CONNECTED));
    ASSERT_GT(lineDrop(call, nullptr, 0), 0);
    ASSERT_TRUE(waitForState(kInstance, call, LINECALLSTATE_IDLE));
    EXPECT_EQ(lineDeallocateCall(call), 0);
}

INSTANTIATE_TEST_SUITE_P(Providers, ApiContract, ::testing::ValuesIn(providerFixtures()),
                         [](const ::testing::TestParamInfo<ProviderFixture>& info) {
                             return std::string(info.param.name);
                         });
