// Whole calls through the raw API: replies only through the event loop and after the
// call returned, the reply before the states it causes, handles valid from the reply on.

#include "ApiHarness.h"

namespace {

class CallFlow : public ApiHarness {};

constexpr DWORD kCallFlowInstance = 0x1001;

} // namespace

TEST_F(CallFlow, OutgoingCallRunsToConnectedAndBackToIdle)
{
    const HLINEAPP app = initialize("flow");
    const HLINE line = open(app, 0, kCallFlowInstance);
    s_received.clear();
    HCALL call = 0;
    const LONG request = lineMakeCall(line, &call, "5550100", 0, nullptr);
    ASSERT_GT(request, 0);
    // Nothing arrives inside the call that caused it, and the handle waits for the reply.
    EXPECT_TRUE(s_received.empty());
    EXPECT_EQ(call, 0u);

    LONG result = -1;
    ASSERT_TRUE(waitForReply(kCallFlowInstance, request, &result));
    EXPECT_EQ(result, 0);
    EXPECT_NE(call, 0u);
    ASSERT_TRUE(waitForState(kCallFlowInstance, call, LINECALLSTATE_CONNECTED));

    // The reply came before every state of the call.
    const std::vector<TapiMessage> seen = messages(kCallFlowInstance);
    const auto reply = std::find_if(seen.begin(), seen.end(), [&](const TapiMessage& m) { return m.message == LINE_REPLY; });
    const auto first = std::find_if(seen.begin(), seen.end(), [&](const TapiMessage& m) { return m.message == LINE_CALLSTATE; });
    EXPECT_LT(reply - seen.begin(), first - seen.begin());
    const std::vector<DWORD> expected = {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                         LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED};
    EXPECT_EQ(states(kCallFlowInstance, call), expected);

    Block<LINECALLSTATUS> status(sizeof(LINECALLSTATUS) + 4096);
    ASSERT_EQ(lineGetCallStatus(call, status.get()), 0);
    EXPECT_EQ(status->dwCallState, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(status->dwCallPrivilege, LINECALLPRIVILEGE_OWNER);
    EXPECT_TRUE(status->dwCallFeatures & LINECALLFEATURE_DROP);

    Block<LINECALLINFO> info(sizeof(LINECALLINFO) + 4096);
    ASSERT_EQ(lineGetCallInfo(call, info.get()), 0);
    EXPECT_EQ(info->hLine, line);
    EXPECT_EQ(info->dwNumOwners, 1u);
    EXPECT_EQ(info.text(info->dwAppNameSize, info->dwAppNameOffset), QByteArray("flow"));
    EXPECT_FALSE(info.text(info->dwConnectedIDSize, info->dwConnectedIDOffset).isEmpty());

    // The sole owner may not let go of a live call.
    EXPECT_EQ(lineDeallocateCall(call), LONG(LINEERR_INVALCALLSTATE));
    const LONG drop = lineDrop(call, nullptr, 0);
    ASSERT_GT(drop, 0);
    ASSERT_TRUE(waitForReply(kCallFlowInstance, drop, &result));
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(waitForState(kCallFlowInstance, call, LINECALLSTATE_IDLE));
    EXPECT_EQ(lineDeallocateCall(call), 0);
    EXPECT_EQ(lineGetCallStatus(call, status.get()), LONG(LINEERR_INVALCALLHANDLE));
}

TEST_F(CallFlow, NoDestinationWaitsAtDialToneForDial)
{
    const HLINEAPP app = initialize("dialtone");
    const HLINE line = open(app, 0, kCallFlowInstance);
    HCALL call = 0;
    EXPECT_EQ(lineMakeCall(line, &call, "", 0, nullptr), LONG(LINEERR_INVALADDRESS));
    const LONG request = lineMakeCall(line, &call, nullptr, 0, nullptr);
    ASSERT_GT(request, 0);
    ASSERT_TRUE(waitForState(kCallFlowInstance, call, LINECALLSTATE_DIALTONE));
    pump(50);
    EXPECT_EQ(states(kCallFlowInstance, call), std::vector<DWORD>({LINECALLSTATE_DIALTONE}));
    const LONG dial = lineDial(call, "5550100", 0);
    ASSERT_GT(dial, 0);
    ASSERT_TRUE(waitForState(kCallFlowInstance, call, LINECALLSTATE_CONNECTED));
}

TEST_F(CallFlow, InternalCallRingsTheOtherLineWithCallerId)
{
    const HLINEAPP app = initialize("internal");
    const HLINE line1 = open(app, 0, 1);
    open(app, 1, 2);
    HCALL outgoing = 0;
    ASSERT_GT(lineMakeCall(line1, &outgoing, "202", 0, nullptr), 0);
    TapiMessage offered{};
    ASSERT_TRUE(waitFor(2, [](const TapiMessage& m) { return m.message == LINE_CALLSTATE && m.param1 == LINECALLSTATE_OFFERING; },
                        &offered));
    EXPECT_EQ(offered.param3, LINECALLPRIVILEGE_OWNER);
    const HCALL incoming = offered.device;
    ASSERT_TRUE(waitForState(1, outgoing, LINECALLSTATE_RINGBACK));

    Block<LINECALLINFO> info(sizeof(LINECALLINFO) + 4096);
    ASSERT_EQ(lineGetCallInfo(incoming, info.get()), 0);
    EXPECT_EQ(info.text(info->dwCallerIDSize, info->dwCallerIDOffset), QByteArray("201"));
    EXPECT_TRUE(info->dwCallerIDFlags & LINECALLPARTYID_ADDRESS);

    ASSERT_GT(lineAnswer(incoming, nullptr, 0), 0);
    ASSERT_TRUE(waitForState(2, incoming, LINECALLSTATE_CONNECTED));
    ASSERT_TRUE(waitForState(1, outgoing, LINECALLSTATE_CONNECTED));
    ASSERT_GT(lineDrop(incoming, nullptr, 0), 0);
    ASSERT_TRUE(waitForState(1, outgoing, LINECALLSTATE_DISCONNECTED));
}

TEST_F(CallFlow, ShutdownEndsDeliveryAndDropsOwnedCalls)
{
    const HLINEAPP watcher = initialize("watcher");
    open(watcher, 0, 7, LINECALLPRIVILEGE_MONITOR, 0);
    const HLINEAPP app = initialize("quitter");
    const HLINE line = open(app, 0, kCallFlowInstance);
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(line, &call, "5550100", 0, nullptr), 0);
    ASSERT_TRUE(waitForState(kCallFlowInstance, call, LINECALLSTATE_CONNECTED));
    ASSERT_EQ(lineShutdown(app), 0);
    m_apps.erase(std::find(m_apps.begin(), m_apps.end(), app));
    const size_t before = messages(kCallFlowInstance).size();
    // The monitor sees the orphaned call end.
    EXPECT_TRUE(waitFor(7, [](const TapiMessage& m) { return m.message == LINE_CALLSTATE && m.param1 == LINECALLSTATE_IDLE; }));
    EXPECT_EQ(messages(kCallFlowInstance).size(), before);
}
