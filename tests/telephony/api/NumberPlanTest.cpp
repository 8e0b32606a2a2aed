// Each party of the exchange's number plan, reached through the raw API, produces its
// documented states and call information.

#include "ApiHarness.h"

namespace {

class NumberPlan : public ApiHarness {};

constexpr DWORD kNumberPlanInstance = 0x77;

struct PartyCase {
    const char* number;
    std::vector<DWORD> states; // after the reply, until the party has done its thing
    DWORD lastMode;
};

} // namespace

TEST_F(NumberPlan, EachPartyRunsItsSequence)
{
    const HLINEAPP app = initialize("plan");
    const HLINE line = open(app, 0, kNumberPlanInstance);
    const std::vector<DWORD> ringing = {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                        LINECALLSTATE_RINGBACK};
    const auto with = [&](std::initializer_list<DWORD> tail) {
        std::vector<DWORD> all = ringing;
        all.insert(all.end(), tail);
        return all;
    };
    const PartyCase cases[] = {
        {"5550100", with({LINECALLSTATE_CONNECTED}), 0},
        {"555-0101", {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING, LINECALLSTATE_BUSY},
         LINEBUSYMODE_STATION},
        {"5550102", with({LINECALLSTATE_DISCONNECTED}), LINEDISCONNECTMODE_NOANSWER},
        {"5550103",
         {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING, LINECALLSTATE_SPECIALINFO},
         LINESPECIALINFO_NOCIRCUIT},
        {"+1 (425) 555-0104", with({LINECALLSTATE_CONNECTED, LINECALLSTATE_DISCONNECTED}), LINEDISCONNECTMODE_NORMAL},
        {"5550105", with({LINECALLSTATE_DISCONNECTED}), LINEDISCONNECTMODE_REJECT},
    };
    for (const PartyCase& c : cases) {
        SCOPED_TRACE(c.number);
        HCALL call = 0;
        const LONG request = lineMakeCall(line, &call, c.number, 0, nullptr);
        ASSERT_GT(request, 0);
        ASSERT_TRUE(waitForReply(kNumberPlanInstance, request));
        ASSERT_TRUE(waitForState(kNumberPlanInstance, call, c.states.back()));
        EXPECT_EQ(states(kNumberPlanInstance, call), c.states);
        if (c.lastMode) {
            Block<LINECALLSTATUS> status(sizeof(LINECALLSTATUS) + 4096);
            ASSERT_EQ(lineGetCallStatus(call, status.get()), 0);
            EXPECT_EQ(status->dwCallStateMode, c.lastMode);
        }
        ASSERT_GT(lineDrop(call, nullptr, 0), 0);
        ASSERT_TRUE(waitForState(kNumberPlanInstance, call, LINECALLSTATE_IDLE));
        EXPECT_EQ(lineDeallocateCall(call), 0);
    }
}

TEST_F(NumberPlan, ForwardedPartyNamesBothEnds)
{
    const HLINEAPP app = initialize("plan");
    const HLINE line = open(app, 0, kNumberPlanInstance);
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(line, &call, "5550106", 0, nullptr), 0);
    ASSERT_TRUE(waitForState(kNumberPlanInstance, call, LINECALLSTATE_CONNECTED));
    Block<LINECALLINFO> info(sizeof(LINECALLINFO) + 4096);
    ASSERT_EQ(lineGetCallInfo(call, info.get()), 0);
    EXPECT_FALSE(info.text(info->dwRedirectionIDSize, info->dwRedirectionIDOffset).isEmpty());
    EXPECT_EQ(info.text(info->dwRedirectingIDSize, info->dwRedirectingIDOffset), QByteArray("5550106"));
    EXPECT_TRUE(waitFor(kNumberPlanInstance, [&](const TapiMessage& m) {
        return m.message == LINE_CALLINFO && m.device == call && (m.param1 & LINECALLINFOSTATE_REDIRECTINGID);
    }));
}

TEST_F(NumberPlan, MediaDigitsAndSilenceReachTheMonitors)
{
    const HLINEAPP app = initialize("plan");
    const HLINE line = open(app, 0, kNumberPlanInstance);

    // A fax answers: monitoring media hears the change.
    HCALL fax = 0;
    s_onMessage = [&](const TapiMessage& m) {
        if (m.message == LINE_CALLSTATE && m.device == fax && m.param1 == LINECALLSTATE_CONNECTED) {
            EXPECT_EQ(lineMonitorMedia(fax, LINEMEDIAMODE_G3FAX), 0);
        }
    };
    ASSERT_GT(lineMakeCall(line, &fax, "5550107", 0, nullptr), 0);
    TapiMessage media{};
    ASSERT_TRUE(waitFor(kNumberPlanInstance, [&](const TapiMessage& m) { return m.message == LINE_MONITORMEDIA; }, &media));
    EXPECT_EQ(media.param1, LINEMEDIAMODE_G3FAX);
    ASSERT_GT(lineDrop(fax, nullptr, 0), 0);

    // The echo party returns digits: monitored one by one and gathered up to "#".
    HCALL echo = 0;
    ASSERT_GT(lineMakeCall(line, &echo, "5550108", 0, nullptr), 0);
    ASSERT_TRUE(waitForState(kNumberPlanInstance, echo, LINECALLSTATE_CONNECTED));
    char gathered[8] = {};
    ASSERT_EQ(lineMonitorDigits(echo, LINEDIGITMODE_DTMF), 0);
    ASSERT_EQ(lineGatherDigits(echo, LINEDIGITMODE_DTMF, gathered, 8, "#", 5000, 5000), 0);
    ASSERT_EQ(lineGenerateDigits(echo, LINEDIGITMODE_DTMF, "12#9", 0), 0);
    TapiMessage done{};
    ASSERT_TRUE(waitFor(kNumberPlanInstance, [&](const TapiMessage& m) { return m.message == LINE_GATHERDIGITS; }, &done));
    EXPECT_EQ(done.param1, LINEGATHERTERM_TERMDIGIT);
    EXPECT_EQ(QByteArray(gathered), QByteArray("12#"));
    ASSERT_TRUE(waitFor(kNumberPlanInstance, [&](const TapiMessage& m) { return m.message == LINE_MONITORDIGITS && m.param1 == '9'; }));
    EXPECT_TRUE(waitFor(kNumberPlanInstance, [&](const TapiMessage& m) { return m.message == LINE_GENERATE && m.device == echo; }));
    ASSERT_GT(lineDrop(echo, nullptr, 0), 0);

    // The silent party: a silence entry of the tone monitor fires with its value.
    HCALL silent = 0;
    ASSERT_GT(lineMakeCall(line, &silent, "5550109", 0, nullptr), 0);
    ASSERT_TRUE(waitForState(kNumberPlanInstance, silent, LINECALLSTATE_CONNECTED));
    LINEMONITORTONE silence{};
    silence.dwAppSpecific = 0x89ABCDEF;
    silence.dwDuration = 1000;
    ASSERT_EQ(lineMonitorTones(silent, &silence, 1), 0);
    TapiMessage tone{};
    ASSERT_TRUE(waitFor(kNumberPlanInstance, [&](const TapiMessage& m) { return m.message == LINE_MONITORTONE; }, &tone));
    EXPECT_EQ(tone.param1, 0x89ABCDEFu);
}
