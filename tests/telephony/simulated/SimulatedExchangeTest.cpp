// The simulated exchange driven directly through the provider interface: devices, the
// number plan, call progress, ordering, errors and timing.
#include "SimTestSupport.h"

#include <BuiltinProviders.h>
#include <provider/ProviderRegistry.h>

#include <QElapsedTimer>

using namespace SimTest;
using Telephony::CallId;
using Telephony::CallParams;
using Telephony::SimulatedExchange;

namespace {

constexpr DWORD kOutgoing[] = {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING};

QList<DWORD> outgoing(std::initializer_list<DWORD> rest)
{
    QList<DWORD> list(std::begin(kOutgoing), std::end(kOutgoing));
    for (DWORD s : rest)
        list << s;
    return list;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Devices
// ---------------------------------------------------------------------------------------

TEST_F(ExchangeTest, DescribesTwoLinesAndAModem)
{
    ASSERT_EQ(ex.name(), QStringLiteral("simulated"));
    ASSERT_EQ(ex.lineDeviceCount(), 3);
    EXPECT_EQ(ex.lineCaps(0).lineName, QByteArray("Linkora Simulated Line 1"));
    EXPECT_EQ(ex.lineCaps(1).lineName, QByteArray("Linkora Simulated Line 2"));
    EXPECT_EQ(ex.lineCaps(2).lineName, QByteArray("Linkora Simulated Data Modem"));
    EXPECT_EQ(ex.lineCaps(0).providerInfo, QByteArray("Linkora Simulated Exchange"));
    EXPECT_EQ(ex.lineCaps(1).providerInfo, QByteArray("Linkora Simulated Exchange"));
    EXPECT_TRUE(ex.lineCaps(2).providerInfo.contains("Modem"));
    EXPECT_EQ(ex.lineCaps(0).addresses.value(0).address, QByteArray("201"));
    EXPECT_EQ(ex.lineCaps(1).addresses.value(0).address, QByteArray("202"));
    EXPECT_EQ(ex.lineCaps(2).fixed.dwMediaModes, LINEMEDIAMODE_DATAMODEM);
    EXPECT_EQ(ex.lineCaps(0).fixed.dwNumAddresses, 1u);
}

TEST_F(ExchangeTest, CapabilitiesAreFilled)
{
    const auto& caps = ex.lineCaps(0);
    const LINEADDRESSCAPS& a = caps.addresses.value(0).fixed;
    const DWORD flags = LINEADDRCAPFLAGS_TRANSFERHELD | LINEADDRCAPFLAGS_TRANSFERMAKE |
                        LINEADDRCAPFLAGS_CONFERENCEHELD | LINEADDRCAPFLAGS_CONFERENCEMAKE |
                        LINEADDRCAPFLAGS_DIALED | LINEADDRCAPFLAGS_PARTIALDIAL | LINEADDRCAPFLAGS_FWDSTATUSVALID;
    EXPECT_EQ(a.dwAddrCapFlags & flags, flags);
    EXPECT_EQ(a.dwTransferModes, LINETRANSFERMODE_TRANSFER | LINETRANSFERMODE_CONFERENCE);
    EXPECT_EQ(a.dwParkModes, LINEPARKMODE_DIRECTED | LINEPARKMODE_NONDIRECTED);
    EXPECT_EQ(a.dwRemoveFromConfCaps, LINEREMOVEFROMCONF_ANY);
    EXPECT_EQ(a.dwMaxNumConference, 3u);
    EXPECT_NE(a.dwForwardModes & LINEFORWARDMODE_UNCOND, 0u);
    EXPECT_NE(a.dwCallFeatures & LINECALLFEATURE_SETUPCONF, 0u);
    EXPECT_NE(a.dwCallStates & LINECALLSTATE_CONFERENCED, 0u);
    EXPECT_NE(a.dwCallerIDFlags & LINECALLPARTYID_BLOCKED, 0u);
    EXPECT_NE(caps.fixed.dwLineStates & LINEDEVSTATE_RINGING, 0u);
    EXPECT_NE(caps.fixed.dwLineStates & LINEDEVSTATE_MSGWAITON, 0u);
    EXPECT_NE(a.dwAddressStates & LINEADDRESSSTATE_FORWARD, 0u);
    ASSERT_EQ(caps.terminalCaps.size(), 1);
    EXPECT_EQ(caps.terminalCaps[0].dwTermDev, LINETERMDEV_PHONE);
    EXPECT_EQ(caps.terminalCaps[0].dwTermModes,
              LINETERMMODE_BUTTONS | LINETERMMODE_LAMPS | LINETERMMODE_DISPLAY | LINETERMMODE_RINGER |
                  LINETERMMODE_HOOKSWITCH | LINETERMMODE_MEDIABIDIRECT);
    EXPECT_EQ(caps.terminalTexts.value(0), QByteArray("Handset"));
    EXPECT_TRUE(caps.deviceClasses.contains(QStringLiteral("tapi/phone")));
    EXPECT_FALSE(ex.lineCaps(1).deviceClasses.contains(QStringLiteral("tapi/phone")));
    EXPECT_TRUE(ex.lineCaps(2).deviceClasses.contains(QStringLiteral("comm/datamodem")));
    EXPECT_FALSE(caps.deviceClasses.contains(QStringLiteral("comm/datamodem")));
    EXPECT_EQ(caps.lowApiVersion, 0x10003u);
    EXPECT_EQ(caps.highApiVersion, 0x20002u);
    EXPECT_EQ(caps.lowExtVersion, 0x00010000u);
    EXPECT_EQ(caps.highExtVersion, 0x00010001u);
    EXPECT_NE(caps.extensionId.dwExtensionID0, 0u);
    EXPECT_EQ(ex.lineCaps(1).highExtVersion, 0u);
    EXPECT_EQ(ex.lineCaps(2).highExtVersion, 0u);
}

TEST_F(ExchangeTest, RelatedDeviceIds)
{
    DWORD id = 99;
    EXPECT_EQ(ex.deviceId(0, QStringLiteral("tapi/phone"), &id), 0);
    EXPECT_EQ(id, 0u);
    // The voice lines' call-audio devices follow the loopback pair (0).
    EXPECT_EQ(ex.deviceId(0, QStringLiteral("wave/out"), &id), 0);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(ex.deviceId(0, QStringLiteral("wave/in"), &id), 0);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(ex.deviceId(1, QStringLiteral("wave/out"), &id), 0);
    EXPECT_EQ(id, 2u);
    EXPECT_EQ(ex.deviceId(1, QStringLiteral("wave/in"), &id), 0);
    EXPECT_EQ(id, 2u);
    EXPECT_EQ(ex.deviceId(1, QStringLiteral("tapi/phone"), &id), LONG(LINEERR_INVALDEVICECLASS));
    EXPECT_EQ(ex.deviceId(2, QStringLiteral("wave/out"), &id), LONG(LINEERR_INVALDEVICECLASS));
    EXPECT_EQ(ex.deviceId(0, QStringLiteral("comm/datamodem"), &id), LONG(LINEERR_INVALDEVICECLASS));
    EXPECT_EQ(ex.deviceId(0, QStringLiteral("bogus"), &id), LONG(LINEERR_INVALDEVICECLASS));
}

TEST_F(ExchangeTest, OpenChecksDevicesAndMediaModes)
{
    EXPECT_EQ(ex.open(7, LINECALLPRIVILEGE_NONE, 0), LONG(LINEERR_BADDEVICEID));
    EXPECT_EQ(ex.open(-1, LINECALLPRIVILEGE_NONE, 0), LONG(LINEERR_BADDEVICEID));
    EXPECT_EQ(ex.open(0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0);
    EXPECT_EQ(ex.open(0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_VIDEO), LONG(LINEERR_INVALMEDIAMODE));
    EXPECT_EQ(ex.open(2, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), LONG(LINEERR_INVALMEDIAMODE));
    EXPECT_EQ(ex.open(2, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE),
              LONG(LINEERR_INVALMEDIAMODE));
    // The modem takes no incoming calls, so it has no owners at all.
    EXPECT_EQ(ex.open(2, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_DATAMODEM), LONG(LINEERR_INVALMEDIAMODE));
    EXPECT_EQ(ex.open(2, LINECALLPRIVILEGE_NONE, 0), 0);
    EXPECT_EQ(ex.open(2, LINECALLPRIVILEGE_MONITOR, 0), 0);
    EXPECT_EQ(ex.lineStatus(2).fixed.dwNumOpens, 2u);
    ex.close(2);
    EXPECT_EQ(ex.lineStatus(2).fixed.dwNumOpens, 1u);
}

// ---------------------------------------------------------------------------------------
// The number plan
// ---------------------------------------------------------------------------------------

struct PlanCase {
    const char* number;
    QList<DWORD> states;
    DWORD lastMode;
    DWORD infoBits; // info changes that must have been reported
    const char* connectedNumber;
    const char* connectedName;
};

class NumberPlanTest : public ExchangeTest, public ::testing::WithParamInterface<int> {
};

static QList<PlanCase> planCases()
{
    return {
        {"5550100",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_CONNECTEDID,
         "5550100",
         "ALICE ANSWER"},
        {"5550101", outgoing({LINECALLSTATE_BUSY}), LINEBUSYMODE_STATION, LINECALLINFOSTATE_CALLEDID, nullptr, nullptr},
        {"5550102",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_DISCONNECTED}),
         LINEDISCONNECTMODE_NOANSWER,
         LINECALLINFOSTATE_CALLEDID,
         nullptr,
         nullptr},
        {"5550103",
         outgoing({LINECALLSTATE_SPECIALINFO}),
         LINESPECIALINFO_NOCIRCUIT,
         LINECALLINFOSTATE_CALLEDID,
         nullptr,
         nullptr},
        {"5550104",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED, LINECALLSTATE_DISCONNECTED}),
         LINEDISCONNECTMODE_NORMAL,
         LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_CONNECTEDID,
         "5550104",
         "HANK HANGUP"},
        {"5550105",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_DISCONNECTED}),
         LINEDISCONNECTMODE_REJECT,
         LINECALLINFOSTATE_CALLEDID,
         nullptr,
         nullptr},
        {"5550106",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID |
             LINECALLINFOSTATE_REASON | LINECALLINFOSTATE_CONNECTEDID,
         "5550100",
         "ALICE ANSWER"},
        {"5550107",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CONNECTEDID | LINECALLINFOSTATE_MEDIAMODE,
         "5550107",
         "FAX MACHINE"},
        {"5550108",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CONNECTEDID,
         "5550108",
         "ECHO TEST"},
        {"5550109",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CONNECTEDID,
         "5550109",
         "SILENT SAM"},
        {"5550110",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CONNECTEDID | LINECALLINFOSTATE_MEDIAMODE,
         "5550110",
         "DATA MODEM"},
        {"5550150",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CONNECTEDID,
         "5550150",
         "TEST PARTY 0150"},
        {"+1 (425) 555-0100",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CONNECTEDID,
         "5550100",
         "ALICE ANSWER"},
        {"555-0100",
         outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}),
         LINECONNECTEDMODE_ACTIVE,
         LINECALLINFOSTATE_CONNECTEDID,
         "5550100",
         "ALICE ANSWER"},
        {"5551234",
         outgoing({LINECALLSTATE_DISCONNECTED}),
         LINEDISCONNECTMODE_BADADDRESS,
         LINECALLINFOSTATE_CALLEDID,
         nullptr,
         nullptr},
        {"5550200",
         outgoing({LINECALLSTATE_DISCONNECTED}),
         LINEDISCONNECTMODE_BADADDRESS,
         LINECALLINFOSTATE_CALLEDID,
         nullptr,
         nullptr},
        {"123",
         outgoing({LINECALLSTATE_DISCONNECTED}),
         LINEDISCONNECTMODE_BADADDRESS,
         LINECALLINFOSTATE_CALLEDID,
         nullptr,
         nullptr},
    };
}

TEST_P(NumberPlanTest, PartyProducesItsSequence)
{
    const PlanCase pc = planCases().at(GetParam());
    const CallId id = nextOwnCall++;
    const DWORD req = request();
    ASSERT_EQ(ex.makeCall(req, 0, id, pc.number, true, 0, {}), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.states(id).size() >= pc.states.size(); }))
        << pc.number << " reached only " << sink.states(id).size() << " states";
    settle();
    EXPECT_EQ(sink.states(id), pc.states) << pc.number;
    EXPECT_EQ(sink.lastMode(id), pc.lastMode) << pc.number;
    EXPECT_EQ(sink.infoBits(id) & pc.infoBits, pc.infoBits) << pc.number;
    // The reply comes before the first state.
    EXPECT_LT(sink.indexOf(Event::Reply, req), sink.indexOf(Event::State, id));
    EXPECT_EQ(sink.reply(req), 0);
    const auto info = ex.callInfo(id);
    EXPECT_EQ(info.caller.number, QByteArray("201"));
    EXPECT_EQ(info.caller.name, QByteArray("Linkora Line 1"));
    EXPECT_EQ(info.fixed.dwOrigin, LINECALLORIGIN_OUTBOUND);
    if (pc.connectedNumber) {
        EXPECT_EQ(info.connected.number, QByteArray(pc.connectedNumber));
        EXPECT_EQ(info.connected.name, QByteArray(pc.connectedName));
        EXPECT_EQ(info.connected.flags, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
    }
}

INSTANTIATE_TEST_SUITE_P(Parties, NumberPlanTest, ::testing::Range(0, int(planCases().size())));

TEST_F(ExchangeTest, AliceFillsCalledAndConnectedIds)
{
    const CallId id = call(0, "555-0100");
    const auto info = ex.callInfo(id);
    EXPECT_EQ(info.called.number, QByteArray("5550100"));
    EXPECT_EQ(info.called.name, QByteArray("ALICE ANSWER"));
    EXPECT_EQ(info.fixed.dwCallerIDFlags, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
    EXPECT_EQ(info.fixed.dwConnectedIDFlags, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
    EXPECT_EQ(info.fixed.dwLineDeviceID, 0u);
    EXPECT_NE(info.fixed.dwCallID, 0u);
    const auto status = ex.callStatus(id);
    EXPECT_EQ(status.callState, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(status.callStateMode, LINECONNECTEDMODE_ACTIVE);
    const DWORD expected = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | LINECALLFEATURE_BLINDTRANSFER |
                           LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_SETUPCONF |
                           LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_GENERATETONE |
                           LINECALLFEATURE_MONITORDIGITS | LINECALLFEATURE_MONITORMEDIA |
                           LINECALLFEATURE_MONITORTONES | LINECALLFEATURE_GATHERDIGITS | LINECALLFEATURE_PARK |
                           LINECALLFEATURE_SETMEDIACONTROL;
    EXPECT_EQ(status.callFeatures & expected, expected);
    EXPECT_EQ(status.callFeatures & LINECALLFEATURE_REDIRECT, 0u);
    EXPECT_EQ(status.callFeatures & LINECALLFEATURE_ANSWER, 0u);
    EXPECT_GT(status.stateEntryMsecs, 0);
}

TEST_F(ExchangeTest, ForwardedPartyFillsRedirectionIds)
{
    const CallId id = call(0, "5550106");
    const auto info = ex.callInfo(id);
    EXPECT_EQ(info.redirection.number, QByteArray("5550100"));
    EXPECT_EQ(info.redirection.name, QByteArray("ALICE ANSWER"));
    EXPECT_EQ(info.redirecting.number, QByteArray("5550106"));
    EXPECT_EQ(info.redirecting.name, QByteArray("BOB FORWARD"));
    EXPECT_EQ(info.fixed.dwReason, LINECALLREASON_FWDUNCOND);
    EXPECT_EQ(info.called.number, QByteArray("5550106"));
}

TEST_F(ExchangeTest, FaxAndDataAnswersChangeTheMediaMode)
{
    const CallId fax = call(0, "5550107");
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Media, fax) >= 0; }));
    EXPECT_EQ(sink.events[sink.indexOf(Event::Media, fax)].b, LINEMEDIAMODE_G3FAX);
    EXPECT_EQ(ex.callInfo(fax).fixed.dwMediaMode, LINEMEDIAMODE_G3FAX);
    EXPECT_LT(sink.indexOf(Event::Media, fax), sink.indexOf(Event::Info, fax, LINECALLINFOSTATE_MEDIAMODE));

    const CallId data = call(1, "5550110");
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Media, data) >= 0; }));
    EXPECT_EQ(sink.events[sink.indexOf(Event::Media, data)].b, LINEMEDIAMODE_DATAMODEM);
    EXPECT_EQ(ex.callInfo(data).fixed.dwMediaMode, LINEMEDIAMODE_DATAMODEM);
}

TEST_F(ExchangeTest, NoAnswerTimeoutOfTheCallParameters)
{
    // 0100 answers after two rings (12 s); a 5 s no-answer time-out ends the call first.
    CallParams params;
    params.noAnswerTimeout = 5;
    const CallId id = call(0, "5550100", LINECALLSTATE_DISCONNECTED, params);
    EXPECT_EQ(sink.lastMode(id), LINEDISCONNECTMODE_NOANSWER);
}

TEST_F(ExchangeTest, DropFromAnyStateGoesIdleAfterTheReply)
{
    for (DWORD stopAt : {LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                         LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}) {
        const CallId id = nextOwnCall++;
        const DWORD req = request();
        // Hang up from within the report of the state, as an application may.
        sink.onEvent = [&](const Event& e) {
            if (e.kind == Event::State && e.a == id && e.b == stopAt) {
                EXPECT_EQ(ex.drop(req, id, {}), 0);
            }
        };
        ASSERT_EQ(ex.makeCall(request(), 0, id, "5550100", true, 0, {}), 0);
        ASSERT_TRUE(waitFor(id, LINECALLSTATE_IDLE));
        sink.onEvent = nullptr;
        settle();
        const QList<DWORD> states = sink.states(id);
        EXPECT_EQ(states.last(), LINECALLSTATE_IDLE) << "no state after idle";
        EXPECT_EQ(states.at(states.size() - 2), stopAt);
        int idle = -1;
        for (qsizetype i = 0; i < sink.events.size(); ++i)
            if (sink.events[i].kind == Event::State && sink.events[i].a == id &&
                sink.events[i].b == LINECALLSTATE_IDLE)
                idle = int(i);
        const int reply = sink.indexOf(Event::Reply, req);
        EXPECT_GE(reply, 0);
        EXPECT_LT(reply, idle);
        ex.releaseCall(id);
        EXPECT_FALSE(ex.hasCall(id));
    }
}

// ---------------------------------------------------------------------------------------
// Dialing
// ---------------------------------------------------------------------------------------

TEST_F(ExchangeTest, WithoutDestinationTheCallWaitsInDialTone)
{
    const CallId id = nextOwnCall++;
    ASSERT_EQ(ex.makeCall(request(), 0, id, {}, false, 0, {}), 0);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_DIALTONE));
    settle();
    EXPECT_EQ(sink.states(id), QList<DWORD>{LINECALLSTATE_DIALTONE});
    EXPECT_EQ(sink.lastMode(id), LINEDIALTONEMODE_NORMAL);
    EXPECT_EQ(ex.callStatus(id).callFeatures, LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP);

    // Partial dialing: "555" waits, "0100" completes the number.
    ok([&](DWORD r) { return ex.dial(r, id, "555", 0); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_DIALING);
    ok([&](DWORD r) { return ex.dial(r, id, "01", 0); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_DIALING);
    ok([&](DWORD r) { return ex.dial(r, id, "00", 0); });
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(ex.callInfo(id).connected.name, QByteArray("ALICE ANSWER"));
    EXPECT_EQ(ex.dial(request(), id, "1", 0), LONG(LINEERR_INVALCALLSTATE));
}

TEST_F(ExchangeTest, SemicolonKeepsTheNumberOpen)
{
    const CallId id = nextOwnCall++;
    ASSERT_EQ(ex.makeCall(request(), 0, id, "5550100;", true, 0, {}), 0);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_DIALING));
    settle();
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_DIALING);
    EXPECT_EQ(ex.dial(request(), id, "", 0), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(ex.dial(request(), id, "12x", 0), LONG(LINEERR_INVALADDRESS));
    ok([&](DWORD r) { return ex.dial(r, id, "#", 0); });
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_DISCONNECTED)); // "5550100#": not in the plan
    EXPECT_EQ(sink.lastMode(id), LINEDISCONNECTMODE_BADADDRESS);
}

TEST_F(ExchangeTest, EmptyDestinationIsRejectedAtOnce)
{
    EXPECT_EQ(ex.makeCall(request(), 0, 77, "", true, 0, {}), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(ex.makeCall(request(), 0, 77, " - ", true, 0, {}), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(ex.makeCall(request(), 0, 77, "55%01", true, 0, {}), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(ex.makeCall(request(), 5, 77, "5550100", true, 0, {}), LONG(LINEERR_BADDEVICEID));
    CallParams video;
    video.mediaMode = LINEMEDIAMODE_VIDEO;
    EXPECT_EQ(ex.makeCall(request(), 0, 77, "5550100", true, 0, video), LONG(LINEERR_INVALMEDIAMODE));
    settle();
    EXPECT_TRUE(sink.events.isEmpty());
    EXPECT_FALSE(ex.hasCall(77));
}

TEST_F(ExchangeTest, UnknownCallsAndWrongStates)
{
    EXPECT_EQ(ex.drop(request(), 999, {}), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.answer(request(), 999, {}), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.hold(request(), 999), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.dial(request(), 999, "1", 0), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.generateDigits(999, 1, LINEDIGITMODE_DTMF, "1", 0), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.monitorTones(999, 1, {}), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.setMediaMode(999, LINEMEDIAMODE_G3FAX), LONG(LINEERR_INVALCALLHANDLE));
    const CallId id = call(0, "5550100");
    EXPECT_EQ(ex.answer(request(), id, {}), LONG(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(ex.unhold(request(), id), LONG(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(ex.redirect(request(), id, "202", 0), LONG(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(ex.removeFromConference(request(), id), LONG(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(ex.makeCall(request(), 0, id, "5550100", true, 0, {}), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.callInfo(999).fixed.dwCallID, 0u);
    EXPECT_EQ(ex.callStatus(999).callState, 0u);
}

// ---------------------------------------------------------------------------------------
// Calls between the lines and incoming calls
// ---------------------------------------------------------------------------------------

TEST_F(ExchangeTest, InternalCallBetweenTheLines)
{
    const CallId caller = call(0, "202", LINECALLSTATE_RINGBACK);
    const CallId offered = offeredOn(1);
    ASSERT_NE(offered, 0u);
    EXPECT_EQ(sink.lastState(offered), LINECALLSTATE_OFFERING);
    const auto info = ex.callInfo(offered);
    EXPECT_EQ(info.caller.number, QByteArray("201"));
    EXPECT_EQ(info.caller.name, QByteArray("Linkora Line 1"));
    EXPECT_EQ(info.called.number, QByteArray("202"));
    EXPECT_EQ(info.called.name, QByteArray("Linkora Line 2"));
    EXPECT_EQ(info.fixed.dwOrigin, LINECALLORIGIN_INTERNAL);
    EXPECT_NE(sink.infoBits(offered) & LINECALLINFOSTATE_CALLERID, 0u);
    EXPECT_NE(sink.infoBits(offered) & LINECALLINFOSTATE_CALLEDID, 0u);
    const DWORD offeringFeatures = ex.callStatus(offered).callFeatures;
    EXPECT_EQ(offeringFeatures, LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_REDIRECT |
                                    LINECALLFEATURE_ACCEPT);
    // It rings on line 2.
    bool rang = false;
    for (const Event& e : sink.of(Event::LineState))
        rang = rang || (e.a == 1 && e.b == LINEDEVSTATE_RINGING && e.c == 1 && e.d == 1);
    EXPECT_TRUE(rang);

    ok([&](DWORD r) { return ex.answer(r, offered, {}); });
    EXPECT_EQ(sink.lastState(offered), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(sink.lastState(caller), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.callInfo(caller).connected.number, QByteArray("202"));
    EXPECT_EQ(ex.callInfo(offered).connected.number, QByteArray("201"));

    ok([&](DWORD r) { return ex.drop(r, caller, {}); });
    EXPECT_EQ(sink.lastState(caller), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(offered), LINECALLSTATE_DISCONNECTED);
    EXPECT_EQ(sink.lastMode(offered), LINEDISCONNECTMODE_NORMAL);
    ok([&](DWORD r) { return ex.drop(r, offered, {}); });
    EXPECT_EQ(sink.lastState(offered), LINECALLSTATE_IDLE);
}

TEST_F(ExchangeTest, CallingOnesOwnExtensionIsBusy)
{
    const CallId id = call(0, "201", LINECALLSTATE_BUSY);
    EXPECT_EQ(sink.lastMode(id), LINEBUSYMODE_STATION);
}

TEST_F(ExchangeTest, IncomingCallIsAnsweredAndHungUp)
{
    Telephony::IncomingCall in;
    in.number = "5550142";
    in.name = "TEST CALLER";
    const CallId id = ex.ring(0, in);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_OFFERING));
    EXPECT_EQ(sink.lastMode(id), LINEOFFERINGMODE_ACTIVE);
    const auto info = ex.callInfo(id);
    EXPECT_EQ(info.caller.number, QByteArray("5550142"));
    EXPECT_EQ(info.caller.name, QByteArray("TEST CALLER"));
    EXPECT_EQ(info.caller.flags, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
    EXPECT_EQ(info.fixed.dwOrigin, LINECALLORIGIN_EXTERNAL);
    EXPECT_EQ(info.fixed.dwReason, LINECALLREASON_DIRECT);
    settle();
    // Pacing 0: one ring, then nothing until the application acts.
    EXPECT_EQ(sink.states(id), QList<DWORD>{LINECALLSTATE_OFFERING});
    ok([&](DWORD r) { return ex.answer(r, id, {}); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.callInfo(id).connected.number, QByteArray("5550142"));
    ASSERT_TRUE(ex.farEndHangup(id));
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_DISCONNECTED));
    EXPECT_EQ(sink.lastMode(id), LINEDISCONNECTMODE_NORMAL);
    ok([&](DWORD r) { return ex.drop(r, id, {}); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_IDLE);
}

TEST_F(ExchangeTest, AddressUseIsReported)
{
    const CallId id = call(0, "5550100");
    EXPECT_GE(sink.indexOf(Event::AddressState, 0, 0), 0);
    bool inUseOne = false;
    for (const Event& e : sink.of(Event::AddressState))
        inUseOne = inUseOne || (e.a == 0 && e.c == LINEADDRESSSTATE_INUSEONE);
    EXPECT_TRUE(inUseOne);
    EXPECT_EQ(ex.addressStatus(0, 0).fixed.dwNumInUse, 1u);
    EXPECT_EQ(ex.lineStatus(0).fixed.dwNumActiveCalls, 1u);
    ok([&](DWORD r) { return ex.drop(r, id, {}); });
    bool inUseZero = false;
    for (const Event& e : sink.of(Event::AddressState))
        inUseZero = inUseZero || (e.a == 0 && e.c == LINEADDRESSSTATE_INUSEZERO);
    EXPECT_TRUE(inUseZero);
    EXPECT_EQ(ex.addressStatus(0, 0).fixed.dwNumInUse, 0u);
}

// ---------------------------------------------------------------------------------------
// Ordering, determinism, safety, pacing
// ---------------------------------------------------------------------------------------

namespace {

// A scenario exercising most of the exchange; its event log with the call ids.
QList<QString> runScenario()
{
    RecordingSink sink;
    SimulatedExchange ex({{QStringLiteral("pacing"), 0.0}});
    ex.setSink(&sink);
    ex.makeCall(1, 0, 1, "5550100", true, 0, {});
    ex.makeCall(2, 1, 2, "201", true, 0, {});
    ex.makeCall(3, 1, 3, "5550104", true, 0, {});
    Telephony::IncomingCall in;
    in.number = "5550177";
    ex.ring(0, in);
    waitUntil([&] { return sink.lastState(3) == LINECALLSTATE_DISCONNECTED; });
    settle();
    QList<QString> log;
    for (const Event& e : sink.events)
        log << QStringLiteral("%1:%2:%3:%4:%5").arg(e.kind).arg(e.a).arg(e.b).arg(e.c).arg(e.d);
    return log;
}

} // namespace

TEST(SimulatedExchangeDeterminism, SameOrderEveryTime)
{
    const QList<QString> first = runScenario();
    ASSERT_FALSE(first.isEmpty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(runScenario(), first);
}

TEST_F(ExchangeTest, ReleasedCallsGetNoMoreEvents)
{
    const CallId id = nextOwnCall++;
    qsizetype released = -1;
    sink.onEvent = [&](const Event& e) {
        if (e.kind == Event::State && e.a == id && e.b == LINECALLSTATE_PROCEEDING) {
            ex.releaseCall(id);
            released = sink.events.size();
        }
    };
    ASSERT_EQ(ex.makeCall(request(), 0, id, "5550104", true, 0, {}), 0);
    ASSERT_TRUE(waitUntil([&] { return released >= 0; }));
    settle();
    EXPECT_FALSE(ex.hasCall(id));
    for (qsizetype i = released; i < sink.events.size(); ++i)
        EXPECT_FALSE(sink.events[i].a == id && sink.events[i].kind != Event::AddressState &&
                     sink.events[i].kind != Event::LineState);
}

TEST_F(ExchangeTest, ReleaseInsideTheIdleReportIsSafe)
{
    // A core that forgets calls as soon as they are idle, from within the report.
    sink.onEvent = [this](const Event& e) {
        if (e.kind == Event::State && e.b == LINECALLSTATE_IDLE)
            ex.releaseCall(e.a);
    };
    const CallId caller = call(0, "202", LINECALLSTATE_RINGBACK);
    const CallId offered = offeredOn(1);
    ok([&](DWORD r) { return ex.answer(r, offered, {}); });
    ok([&](DWORD r) { return ex.drop(r, caller, {}); });
    EXPECT_FALSE(ex.hasCall(caller));
    EXPECT_EQ(sink.lastState(offered), LINECALLSTATE_DISCONNECTED);
    ok([&](DWORD r) { return ex.drop(r, offered, {}); });
    EXPECT_FALSE(ex.hasCall(offered));
}

TEST_F(ExchangeTest, DestroyingTheExchangeWithPendingTimersIsSafe)
{
    RecordingSink other;
    {
        SimulatedExchange paced({{QStringLiteral("pacing"), 1.0}});
        paced.setSink(&other);
        paced.makeCall(1, 0, 1, "5550100", true, 0, {});
        Telephony::IncomingCall in;
        paced.ring(1, in);
    }
    waitUntil([] { return false; }, 50); // timers of the gone exchange must not fire
    EXPECT_EQ(other.count(Event::Reply), 0);
}

TEST_F(ExchangeTest, PacingStretchesTheSequence)
{
    ex.setPacing(0.01); // a ring cycle takes 60 ms
    EXPECT_DOUBLE_EQ(ex.pacing(), 0.01);
    QElapsedTimer timer;
    timer.start();
    const CallId id = nextOwnCall++;
    ASSERT_EQ(ex.makeCall(request(), 0, id, "5550100", true, 0, {}), 0);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_RINGBACK));
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_RINGBACK);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_CONNECTED));
    // dial tone 3 ms + 7 digits 7 ms + proceeding 5 ms + two rings 120 ms
    EXPECT_GE(timer.elapsed(), 120);
    EXPECT_EQ(sink.states(id), outgoing({LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED}));
}

TEST_F(ExchangeTest, PacedIncomingCallRingsAndIsGivenUp)
{
    ex.setPacing(0.002); // a ring cycle 12 ms, the caller gives up after 60 ms
    Telephony::IncomingCall in;
    in.number = "5550123";
    const CallId id = ex.ring(1, in);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_DISCONNECTED, 3000));
    EXPECT_EQ(sink.lastMode(id), LINEDISCONNECTMODE_NOANSWER);
    QList<DWORD> counts;
    for (const Event& e : sink.of(Event::LineState))
        if (e.a == 1 && e.b == LINEDEVSTATE_RINGING)
            counts << e.d;
    ASSERT_GE(counts.size(), 2);
    for (qsizetype i = 0; i < counts.size(); ++i)
        EXPECT_EQ(counts[i], DWORD(i + 1));
}

TEST_F(ExchangeTest, SettingsCarryThePacing)
{
    EXPECT_DOUBLE_EQ(ex.settings().value(QStringLiteral("pacing")).toDouble(), 0.0);
    ex.applySettings({{QStringLiteral("pacing"), 2.5}});
    EXPECT_DOUBLE_EQ(ex.pacing(), 2.5);
    ex.applySettings({{QStringLiteral("pacing"), QStringLiteral("nonsense")}});
    EXPECT_DOUBLE_EQ(ex.pacing(), 2.5);
    ex.applySettings({{QStringLiteral("pacing"), -1}});
    EXPECT_DOUBLE_EQ(ex.pacing(), 2.5);
    SimulatedExchange defaults;
    EXPECT_DOUBLE_EQ(defaults.pacing(), 1.0);
}

TEST(SimulatedExchangeRegistry, RegistersUnderItsName)
{
    Telephony::registerBuiltinProviders();
    EXPECT_TRUE(Telephony::ProviderRegistry::names().contains(QStringLiteral("simulated")));
    auto provider = Telephony::ProviderRegistry::create(QStringLiteral("simulated"), {{QStringLiteral("pacing"), 0.5}});
    ASSERT_TRUE(provider);
    EXPECT_EQ(provider->lineDeviceCount(), 3);
    EXPECT_DOUBLE_EQ(provider->settings().value(QStringLiteral("pacing")).toDouble(), 0.5);
}
