// Several usage handles on one line: monitors see calls, owners own them, ownership
// moves by handoff, opens and closes are announced.

#include "ApiHarness.h"

#include "EventLoop.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

class Privileges : public ApiHarness {};

constexpr DWORD kFirst = 0x100;
constexpr DWORD kSecond = 0x200;

} // namespace

TEST_F(Privileges, TwoApplicationsOnOneLineBothFollowTheCall)
{
    const HLINEAPP first = initialize("first");
    const HLINEAPP second = initialize("second");
    const HLINE secondLine = open(second, 0, kSecond);
    const HLINE firstLine = open(first, 0, kFirst);
    EXPECT_TRUE(waitFor(kSecond, [](const TapiMessage& m) {
        return m.message == LINE_LINEDEVSTATE && (m.param1 & LINEDEVSTATE_OPEN);
    }));

    HCALL call = 0;
    ASSERT_GT(lineMakeCall(firstLine, &call, "5550100", 0, nullptr), 0);
    TapiMessage appeared{};
    ASSERT_TRUE(waitFor(kSecond, [](const TapiMessage& m) { return m.message == LINE_APPNEWCALL; }, &appeared));
    EXPECT_EQ(appeared.device, secondLine);
    EXPECT_EQ(appeared.param3, LINECALLPRIVILEGE_MONITOR);
    const HCALL monitored = appeared.param2;
    ASSERT_TRUE(waitForState(kSecond, monitored, LINECALLSTATE_CONNECTED));
    ASSERT_TRUE(waitForState(kFirst, call, LINECALLSTATE_CONNECTED));

    Block<LINECALLINFO> info(sizeof(LINECALLINFO) + 4096);
    ASSERT_EQ(lineGetCallInfo(monitored, info.get()), 0);
    EXPECT_EQ(info->dwNumOwners, 1u);
    EXPECT_EQ(info->dwNumMonitors, 1u);
    // A monitor may watch but not act.
    EXPECT_EQ(lineDrop(monitored, nullptr, 0), LONG(LINEERR_NOTOWNER));

    Block<LINEDEVSTATUS> status(sizeof(LINEDEVSTATUS) + 4096);
    ASSERT_EQ(lineGetLineDevStatus(firstLine, status.get()), 0);
    EXPECT_EQ(status->dwNumOpens, 2u);
    EXPECT_EQ(status->dwNumActiveCalls, 1u);

    ASSERT_EQ(lineClose(secondLine), 0);
    EXPECT_TRUE(waitFor(kFirst, [](const TapiMessage& m) {
        return m.message == LINE_LINEDEVSTATE && (m.param1 & LINEDEVSTATE_CLOSE);
    }));
    EXPECT_EQ(lineGetCallInfo(monitored, info.get()), LONG(LINEERR_INVALCALLHANDLE));
}

TEST_F(Privileges, HandoffMovesOwnershipToTheNamedApplication)
{
    const HLINEAPP first = initialize("first");
    const HLINEAPP second = initialize("second");
    const HLINE firstLine = open(first, 0, kFirst);
    open(second, 0, kSecond);
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(firstLine, &call, "5550100", 0, nullptr), 0);
    TapiMessage appeared{};
    ASSERT_TRUE(waitFor(kSecond, [](const TapiMessage& m) { return m.message == LINE_APPNEWCALL; }, &appeared));
    ASSERT_TRUE(waitForState(kFirst, call, LINECALLSTATE_CONNECTED));

    struct Case {
        const char* target;
        LONG result;
    };
    for (const Case& c : {Case{"nobody", LONG(LINEERR_TARGETNOTFOUND)}, Case{"first", LONG(LINEERR_TARGETSELF)},
                          Case{"SECOND", 0}})
        EXPECT_EQ(lineHandoff(call, c.target, 0), c.result) << c.target;
    EXPECT_TRUE(waitFor(kSecond, [](const TapiMessage& m) {
        return m.message == LINE_CALLINFO && (m.param1 & LINECALLINFOSTATE_NUMOWNERINCR);
    }));
    ASSERT_EQ(lineSetCallPrivilege(call, LINECALLPRIVILEGE_MONITOR), 0);

    Block<LINECALLSTATUS> status(sizeof(LINECALLSTATUS) + 4096);
    ASSERT_EQ(lineGetCallStatus(appeared.param2, status.get()), 0);
    EXPECT_EQ(status->dwCallPrivilege, LINECALLPRIVILEGE_OWNER);
    ASSERT_EQ(lineGetCallStatus(call, status.get()), 0);
    EXPECT_EQ(status->dwCallPrivilege, LINECALLPRIVILEGE_MONITOR);
    EXPECT_EQ(status->dwCallFeatures, 0u);
}

TEST_F(Privileges, NewCallsListsCallsAlreadyOnTheLineOnce)
{
    const HLINEAPP first = initialize("first");
    const HLINE firstLine = open(first, 0, kFirst);
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(firstLine, &call, "5550100", 0, nullptr), 0);
    ASSERT_TRUE(waitForState(kFirst, call, LINECALLSTATE_CONNECTED));

    const HLINEAPP late = initialize("late");
    const HLINE lateLine = open(late, 0, kSecond);
    Block<LINECALLLIST> tooSmall(sizeof(LINECALLLIST));
    ASSERT_EQ(lineGetNewCalls(lateLine, 0, LINECALLSELECT_ADDRESS, tooSmall.get()), 0);
    EXPECT_GT(tooSmall->dwNeededSize, tooSmall->dwTotalSize);

    Block<LINECALLLIST> list(sizeof(LINECALLLIST) + 64);
    ASSERT_EQ(lineGetNewCalls(lateLine, 0, LINECALLSELECT_ADDRESS, list.get()), 0);
    ASSERT_EQ(list->dwCallsNumEntries, 1u);
    HCALL listed = 0;
    std::memcpy(&listed, list.bytes.data() + list->dwCallsOffset, sizeof listed);
    Block<LINECALLSTATUS> status(sizeof(LINECALLSTATUS) + 4096);
    ASSERT_EQ(lineGetCallStatus(listed, status.get()), 0);
    EXPECT_EQ(status->dwCallState, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(status->dwCallPrivilege, LINECALLPRIVILEGE_MONITOR);

    Block<LINECALLLIST> again(sizeof(LINECALLLIST) + 64);
    ASSERT_EQ(lineGetNewCalls(lateLine, 0, LINECALLSELECT_LINE, again.get()), 0);
    EXPECT_EQ(again->dwCallsNumEntries, 0u);
}

TEST_F(Privileges, DataModemRefusesVoiceOwnersAndDialsWithoutPrivilege)
{
    const HLINEAPP app = initialize("modem");
    HLINE line = 0;
    EXPECT_EQ(lineOpen(app, 2, &line, TAPI_VERSION2_2, 0, 1, LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR,
                       LINEMEDIAMODE_INTERACTIVEVOICE, nullptr),
              LONG(LINEERR_INVALMEDIAMODE));
    EXPECT_EQ(lineOpen(app, 2, &line, TAPI_VERSION2_2, 0, 1, LINECALLPRIVILEGE_NONE | LINECALLPRIVILEGE_OWNER,
                       LINEMEDIAMODE_DATAMODEM, nullptr),
              LONG(LINEERR_INVALPRIVSELECT));
    ASSERT_EQ(lineOpen(app, 2, &line, TAPI_VERSION2_2, 0, 1, LINECALLPRIVILEGE_NONE, 0, nullptr), 0);

    LINECALLPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwMediaMode = LINEMEDIAMODE_DATAMODEM;
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(line, &call, "5550110", 0, &params), 0);
    ASSERT_TRUE(waitForState(1, call, LINECALLSTATE_CONNECTED));

    Block<VARSTRING> id(sizeof(VARSTRING) + 256);
    ASSERT_EQ(lineGetID(0, 0, call, LINECALLSELECT_CALL, id.get(), "comm/datamodem"), 0);
    int fd = -1;
    std::memcpy(&fd, id.bytes.data() + id->dwStringOffset, sizeof fd);
    ASSERT_GE(fd, 0);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ASSERT_EQ(::write(fd, "AT\r", 3), 3);
    QByteArray answer;
    ASSERT_TRUE(waitUntil([&] {
        char buffer[64];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0)
            answer.append(buffer, got);
        return answer.contains("OK");
    }));
    ::close(fd);
}
