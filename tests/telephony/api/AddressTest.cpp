// Addresses through the API on the simulated exchange: the service only checks that an
// address is a bounded text, the exchange's number plan decides the rest (";" ends a
// partial number, "," and the other dial modifiers pass, anything else is refused).

#include "ApiHarness.h"

namespace {

class Addresses : public ApiHarness {};

constexpr DWORD kAddressInstance = 0x61;

} // namespace

TEST_F(Addresses, PartialNumberStopsAtDialingUntilItIsComplete)
{
    const HLINE line = open(initialize("partial"), 0, kAddressInstance);
    HCALL call = 0;
    const LONG request = lineMakeCall(line, &call, "555-0;", 0, nullptr);
    ASSERT_GT(request, 0);
    LONG result = -1;
    ASSERT_TRUE(waitForReply(kAddressInstance, request, &result));
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(waitForState(kAddressInstance, call, LINECALLSTATE_DIALING));

    // More digits, still partial: the call stays where it is.
    const LONG more = lineDial(call, "1;", 0);
    ASSERT_GT(more, 0);
    ASSERT_TRUE(waitForReply(kAddressInstance, more, &result));
    EXPECT_EQ(result, 0);
    pump(50);
    EXPECT_EQ(states(kAddressInstance, call), std::vector<DWORD>({LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING}));

    // The last digits complete 555-0100: the exchange routes the call.
    ASSERT_GT(lineDial(call, "00", 0), 0);
    ASSERT_TRUE(waitForState(kAddressInstance, call, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(states(kAddressInstance, call),
              std::vector<DWORD>({LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                  LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}));
}

TEST_F(Addresses, PausesAndDialModifiersAreDialled)
{
    const HLINE line = open(initialize("modifiers"), 0, kAddressInstance);
    for (const char* address : {"9,,555-0100", "5550100@", "T555 0100!", "(555) 0100$W"}) {
        SCOPED_TRACE(address);
        HCALL call = 0;
        ASSERT_GT(lineMakeCall(line, &call, address, 0, nullptr), 0);
        ASSERT_TRUE(waitForState(kAddressInstance, call, LINECALLSTATE_CONNECTED));
        ASSERT_GT(lineDrop(call, nullptr, 0), 0);
        ASSERT_TRUE(waitForState(kAddressInstance, call, LINECALLSTATE_IDLE));
        EXPECT_EQ(lineDeallocateCall(call), 0);
    }
}

TEST_F(Addresses, WhatTheNumberPlanCannotDialIsRefusedAtOnce)
{
    const HLINE line = open(initialize("refused"), 0, kAddressInstance);
    const QByteArray longest(256, '5');
    const std::string overlong = std::string(257, '5');
    const std::string beyondTheApi = std::string(5000, '5');
    struct Case {
        const char* what;
        std::string address;
    };
    const Case cases[] = {
        {"a letter", "555x0100"},
        {"a URI the exchange has no plan for", "alice@example.org"},
        {"a line break", "555\n0100"},
        {"a percent sign", "5550100%"},
        {"empty", ""},
        {"no digits", " - "},
        {"longer than the exchange takes", overlong},
        {"longer than the API takes", beyondTheApi},
    };
    for (const Case& c : cases) {
        HCALL call = 0;
        EXPECT_EQ(lineMakeCall(line, &call, c.address.c_str(), 0, nullptr), LONG(LINEERR_INVALADDRESS)) << c.what;
        EXPECT_EQ(call, 0u) << c.what;
    }
    EXPECT_EQ(control(QStringLiteral("status")).value("calls").toInt(), 0);
    // The longest the exchange takes is still an address (it leads nowhere, which the
    // call finds out later).
    HCALL call = 0;
    EXPECT_GT(lineMakeCall(line, &call, longest.constData(), 0, nullptr), 0);
}

TEST_F(Addresses, DialledDigitsFollowTheSameRule)
{
    const HLINE line = open(initialize("dial"), 0, kAddressInstance);
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(line, &call, nullptr, 0, nullptr), 0);
    ASSERT_TRUE(waitForState(kAddressInstance, call, LINECALLSTATE_DIALTONE));
    for (const char* refused : {"alice@example.org", "12x", ""})
        EXPECT_EQ(lineDial(call, refused, 0), LONG(LINEERR_INVALADDRESS)) << refused;
    ASSERT_GT(lineDial(call, "555,0100", 0), 0);
    EXPECT_TRUE(waitForState(kAddressInstance, call, LINECALLSTATE_CONNECTED));
}
