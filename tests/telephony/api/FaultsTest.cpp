// Injected faults: a named function fails, a reply is withheld, a structure answer is
// too small once.

#include "ApiHarness.h"

namespace {

class Faults : public ApiHarness {};

} // namespace

TEST_F(Faults, NamedFunctionsFailWithTheGivenCode)
{
    const HLINEAPP app = initialize("faults");
    ASSERT_TRUE(control(QStringLiteral("fail"), {{"function", "lineOpen"}, {"code", "0x80000048"}}).value("ok").toBool());
    HLINE line = 0;
    EXPECT_EQ(lineOpen(app, 0, &line, TAPI_VERSION2_2, 0, 1, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE,
                       nullptr),
              LONG(LINEERR_OPERATIONFAILED));
    // Once only, unless a count says otherwise.
    line = open(app, 0, 1);

    ASSERT_TRUE(control(QStringLiteral("fail"), {{"function", "lineMakeCall"}, {"code", "2147483720"}}).value("ok").toBool());
    HCALL call = 0;
    const LONG request = lineMakeCall(line, &call, "5550100", 0, nullptr);
    ASSERT_GT(request, 0);
    LONG result = 0;
    ASSERT_TRUE(waitForReply(1, request, &result));
    EXPECT_EQ(result, LONG(LINEERR_OPERATIONFAILED));
    EXPECT_EQ(call, 0u);

    for (const char* bad : {"", "open", "lineX", "rm -rf"})
        EXPECT_FALSE(control(QStringLiteral("fail"), {{"function", bad}, {"code", "1"}}).value("ok").toBool()) << bad;
    EXPECT_FALSE(control(QStringLiteral("fail"), {{"function", "lineOpen"}, {"code", "zero"}}).value("ok").toBool());
}

TEST_F(Faults, WithheldReplyNeverArrivesButTheCallGoesOn)
{
    const HLINEAPP app = initialize("faults");
    const HLINE line = open(app, 0, 1);
    ASSERT_TRUE(control(QStringLiteral("withhold"), {{"function", "lineMakeCall"}}).value("ok").toBool());
    HCALL call = 0;
    const LONG request = lineMakeCall(line, &call, "5550100", 0, nullptr);
    ASSERT_GT(request, 0);
    pump(100);
    for (const TapiMessage& m : messages(1))
        EXPECT_FALSE(m.message == LINE_REPLY && m.param1 == DWORD(request));
    EXPECT_EQ(call, 0u);

    ASSERT_TRUE(control(QStringLiteral("clearfaults")).value("ok").toBool());
    ASSERT_TRUE(control(QStringLiteral("delay"), {{"function", "lineMakeCall"}, {"ms", 50}}).value("ok").toBool());
    const LONG late = lineMakeCall(line, &call, "5550100", 0, nullptr);
    LONG result = -1;
    ASSERT_TRUE(waitForReply(1, late, &result));
    EXPECT_EQ(result, 0);
}
