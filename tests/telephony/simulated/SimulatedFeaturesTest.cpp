// Call features of the simulated exchange: hold, transfer, conference, park, pickup,
// redirect and forwarding.
#include "SimTestSupport.h"

using namespace SimTest;
using Telephony::AddressStatusData;
using Telephony::CallId;

class FeaturesTest : public ExchangeTest {
protected:
    // Line 1 (device 0) calls line 2, which answers: {caller, answering call}.
    std::pair<CallId, CallId> internalCall()
    {
        const CallId caller = call(0, "202", LINECALLSTATE_RINGBACK);
        const CallId offered = offeredOn(1);
        ok([&](DWORD r) { return ex.answer(r, offered, {}); });
        return {caller, offered};
    }
};

TEST_F(FeaturesTest, HoldAndUnhold)
{
    const CallId id = call(0, "5550100");
    ok([&](DWORD r) { return ex.hold(r, id); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_ONHOLD);
    EXPECT_EQ(ex.callStatus(id).callFeatures, LINECALLFEATURE_UNHOLD | LINECALLFEATURE_DROP);
    EXPECT_EQ(ex.hold(request(), id), LONG(LINEERR_INVALCALLSTATE));
    ok([&](DWORD r) { return ex.unhold(r, id); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_CONNECTED);
}

TEST_F(FeaturesTest, SwapHoldBetweenTwoCalls)
{
    const CallId first = call(0, "5550100");
    ok([&](DWORD r) { return ex.hold(r, first); });
    const CallId second = call(0, "5550150");
    EXPECT_NE(ex.callStatus(second).callFeatures & LINECALLFEATURE_SWAPHOLD, 0u);
    ok([&](DWORD r) { return ex.swapHold(r, second, first); });
    EXPECT_EQ(sink.lastState(second), LINECALLSTATE_ONHOLD);
    EXPECT_EQ(sink.lastState(first), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.swapHold(request(), second, first), LONG(LINEERR_INVALCALLSTATE));
}

TEST_F(FeaturesTest, SwapDuringATransferThenComplete)
{
    const CallId primary = call(0, "5550100");
    const CallId consult = nextOwnCall++;
    ok([&](DWORD r) { return ex.setupTransfer(r, primary, consult, {}); });
    EXPECT_EQ(ex.setupTransfer(request(), primary, 4711, {}), LONG(LINEERR_INVALCALLSTATE));
    ok([&](DWORD r) { return ex.dial(r, consult, "5550150", 0); });
    ASSERT_TRUE(waitFor(consult, LINECALLSTATE_CONNECTED));
    EXPECT_NE(ex.callStatus(primary).callFeatures & LINECALLFEATURE_SWAPHOLD, 0u);
    ok([&](DWORD r) { return ex.swapHold(r, consult, primary); });
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_ONHOLD);
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_CONNECTED);
    EXPECT_NE(ex.callStatus(consult).callFeatures & LINECALLFEATURE_COMPLETETRANSF, 0u);
    ok([&](DWORD r) { return ex.completeTransfer(r, primary, consult, 0, LINETRANSFERMODE_TRANSFER); });
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_IDLE);
}

TEST_F(FeaturesTest, DroppingTheConsultationCallLeavesTheCallHeld)
{
    const CallId primary = call(0, "5550100");
    const CallId consult = nextOwnCall++;
    ok([&](DWORD r) { return ex.setupTransfer(r, primary, consult, {}); });
    ok([&](DWORD r) { return ex.drop(r, consult, {}); });
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_ONHOLD);
    ok([&](DWORD r) { return ex.unhold(r, primary); });
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_CONNECTED);
}

TEST_F(FeaturesTest, ConferenceHandlesAreChecked)
{
    const CallId plain = call(0, "5550100");
    EXPECT_EQ(ex.addToConference(request(), 999, plain), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.addToConference(request(), plain, plain), LONG(LINEERR_INVALCONFCALLHANDLE));
    EXPECT_EQ(ex.prepareAddToConference(request(), 999, 50, {}), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.prepareAddToConference(request(), plain, 50, {}), LONG(LINEERR_INVALCONFCALLHANDLE));
    EXPECT_EQ(ex.setupConference(request(), 0, 999, 50, 51, 3, {}), LONG(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(ex.setupConference(request(), 0, plain, plain, 51, 3, {}), LONG(LINEERR_INVALCONFCALLHANDLE));
}

TEST_F(FeaturesTest, ConsultationTransferJoinsTheFarEnds)
{
    const CallId primary = call(0, "5550100");
    const CallId consult = nextOwnCall++;
    ok([&](DWORD r) { return ex.setupTransfer(r, primary, consult, {}); });
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_ONHOLDPENDTRANSFER);
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_DIALTONE);
    ok([&](DWORD r) { return ex.dial(r, consult, "202", 0); });
    ASSERT_TRUE(waitFor(consult, LINECALLSTATE_RINGBACK));
    const CallId offered = offeredOn(1);
    ASSERT_NE(offered, 0u);
    ok([&](DWORD r) { return ex.answer(r, offered, {}); });
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_CONNECTED);
    EXPECT_NE(ex.callStatus(primary).callFeatures & LINECALLFEATURE_COMPLETETRANSF, 0u);
    EXPECT_NE(ex.callStatus(consult).callFeatures & LINECALLFEATURE_COMPLETETRANSF, 0u);

    const DWORD req = request();
    ASSERT_EQ(ex.completeTransfer(req, primary, consult, 0, LINETRANSFERMODE_TRANSFER), 0);
    ASSERT_TRUE(done(req));
    settle();
    EXPECT_EQ(sink.reply(req), 0);
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_IDLE);
    EXPECT_LT(sink.indexOf(Event::Reply, req), sink.indexOf(Event::State, primary, LINECALLSTATE_IDLE));
    // Line 2 now talks to Alice.
    EXPECT_EQ(sink.lastState(offered), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.callInfo(offered).connected.number, QByteArray("5550100"));
    EXPECT_EQ(ex.callInfo(offered).connected.name, QByteArray("ALICE ANSWER"));
    // Alice hanging up now reaches line 2.
    ASSERT_TRUE(ex.farEndHangup(offered));
    ASSERT_TRUE(waitFor(offered, LINECALLSTATE_DISCONNECTED));
}

TEST_F(FeaturesTest, TransferOnRingbackLetsTheOtherLineRing)
{
    const auto [callerId, answeredId] = internalCall(); // line 1 <-> line 2
    const CallId caller = callerId, answered = answeredId;
    ex.setPacing(0.01);                            // Alice rings for 120 ms
    const CallId consult = nextOwnCall++;
    ok([&](DWORD r) { return ex.setupTransfer(r, answered, consult, {}); });
    ok([&](DWORD r) { return ex.dial(r, consult, "5550100", 0); });
    ASSERT_TRUE(waitFor(consult, LINECALLSTATE_RINGBACK));
    ok([&](DWORD r) { return ex.completeTransfer(r, answered, consult, 0, LINETRANSFERMODE_TRANSFER); });
    // Line 1 now hears Alice ring, then she answers.
    ASSERT_TRUE(waitFor(caller, LINECALLSTATE_CONNECTED));
    EXPECT_TRUE(sink.states(caller).contains(LINECALLSTATE_RINGBACK));
    EXPECT_EQ(ex.callInfo(caller).connected.name, QByteArray("ALICE ANSWER"));
}

TEST_F(FeaturesTest, ThreeWayConferenceFromTransfer)
{
    const CallId primary = call(0, "5550100");
    const CallId consult = nextOwnCall++;
    ok([&](DWORD r) { return ex.setupTransfer(r, primary, consult, {}); });
    ok([&](DWORD r) { return ex.dial(r, consult, "5550150", 0); });
    ASSERT_TRUE(waitFor(consult, LINECALLSTATE_CONNECTED));
    const CallId conf = nextOwnCall++;
    ok([&](DWORD r) { return ex.completeTransfer(r, primary, consult, conf, LINETRANSFERMODE_CONFERENCE); });
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.callInfo(conf).fixed.dwOrigin, LINECALLORIGIN_CONFERENCE);
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_CONFERENCED);
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_CONFERENCED);
    EXPECT_EQ(ex.completeTransfer(request(), primary, consult, 0, 7), LONG(LINEERR_INVALTRANSFERMODE));
    EXPECT_EQ(ex.completeTransfer(request(), primary, consult, 0, LINETRANSFERMODE_TRANSFER),
              LONG(LINEERR_INVALCALLSTATE));
    // Dropping the conference takes the parties along.
    ok([&](DWORD r) { return ex.drop(r, conf, {}); });
    EXPECT_EQ(sink.lastState(primary), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_IDLE);
}

TEST_F(FeaturesTest, ConferenceBuiltStepByStep)
{
    const CallId first = call(0, "5550100");
    const CallId conf = nextOwnCall++;
    const CallId consult = nextOwnCall++;
    ok([&](DWORD r) { return ex.setupConference(r, 0, first, conf, consult, 3, {}); });
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_ONHOLDPENDCONF);
    EXPECT_EQ(sink.lastState(first), LINECALLSTATE_CONFERENCED);
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_DIALTONE);
    ok([&](DWORD r) { return ex.dial(r, consult, "5550150", 0); });
    ASSERT_TRUE(waitFor(consult, LINECALLSTATE_CONNECTED));
    EXPECT_NE(ex.callStatus(conf).callFeatures & LINECALLFEATURE_ADDTOCONF, 0u);
    ok([&](DWORD r) { return ex.addToConference(r, conf, consult); });
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_CONFERENCED);
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_CONNECTED);

    const CallId third = nextOwnCall++;
    ok([&](DWORD r) { return ex.prepareAddToConference(r, conf, third, {}); });
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_ONHOLDPENDCONF);
    EXPECT_EQ(sink.lastState(third), LINECALLSTATE_DIALTONE);
    ok([&](DWORD r) { return ex.dial(r, third, "202", 0); });
    ASSERT_TRUE(waitFor(third, LINECALLSTATE_RINGBACK));
    ok([&](DWORD r) { return ex.answer(r, offeredOn(1), {}); });
    ok([&](DWORD r) { return ex.addToConference(r, conf, third); });
    EXPECT_EQ(sink.lastState(third), LINECALLSTATE_CONFERENCED);

    // Full: three parties.
    EXPECT_EQ(ex.prepareAddToConference(request(), conf, 4242, {}), LONG(LINEERR_CONFERENCEFULL));

    // Digits generated on the conference reach line 2.
    ASSERT_EQ(ex.generateDigits(conf, 9, LINEDIGITMODE_DTMF, "5", 0), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.digits(offeredOn(1)) == "5"; }));

    ok([&](DWORD r) { return ex.removeFromConference(r, consult); });
    EXPECT_EQ(sink.lastState(consult), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_CONNECTED);
    // Line 2 hangs up: its member is disconnected.
    ok([&](DWORD r) { return ex.drop(r, offeredOn(1), {}); });
    EXPECT_EQ(sink.lastState(third), LINECALLSTATE_DISCONNECTED);
    ok([&](DWORD r) { return ex.drop(r, conf, {}); });
    EXPECT_EQ(sink.lastState(first), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(third), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_IDLE);
}

TEST_F(FeaturesTest, ConferenceWithoutAnExistingCall)
{
    const CallId conf = nextOwnCall++;
    const CallId consult = nextOwnCall++;
    ok([&](DWORD r) { return ex.setupConference(r, 1, 0, conf, consult, 3, {}); });
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_ONHOLDPENDCONF);
    EXPECT_EQ(ex.setupConference(request(), 1, 0, 60, 61, 9, {}), LONG(LINEERR_CONFERENCEFULL));
    EXPECT_EQ(ex.setupConference(request(), 2, 0, 60, 61, 3, {}), LONG(LINEERR_OPERATIONUNAVAIL));
    // Dropping the only consultation call leaves nothing to confer with.
    ok([&](DWORD r) { return ex.drop(r, consult, {}); });
    EXPECT_EQ(sink.lastState(conf), LINECALLSTATE_IDLE);
}

TEST_F(FeaturesTest, BlindTransferOfAnOutsidePartyRingsTheOtherLine)
{
    const CallId id = call(0, "5550100");
    EXPECT_EQ(ex.blindTransfer(request(), id, "", 0), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(ex.blindTransfer(request(), id, "5559999", 0), LONG(LINEERR_INVALADDRESS));
    ok([&](DWORD r) { return ex.blindTransfer(r, id, "202", 0); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_IDLE);
    const CallId offered = offeredOn(1);
    ASSERT_NE(offered, 0u);
    EXPECT_EQ(sink.lastState(offered), LINECALLSTATE_OFFERING);
    const auto info = ex.callInfo(offered);
    EXPECT_EQ(info.caller.number, QByteArray("5550100"));
    EXPECT_EQ(info.caller.name, QByteArray("ALICE ANSWER"));
    EXPECT_EQ(info.fixed.dwReason, LINECALLREASON_TRANSFER);
    EXPECT_EQ(info.redirecting.number, QByteArray("201"));
    EXPECT_EQ(info.fixed.dwOrigin, LINECALLORIGIN_EXTERNAL);
}

TEST_F(FeaturesTest, BlindTransferOfTheOtherLineToAParty)
{
    const auto [callerId, answeredId] = internalCall();
    const CallId caller = callerId, answered = answeredId;
    ok([&](DWORD r) { return ex.blindTransfer(r, answered, "5550150", 0); });
    EXPECT_EQ(sink.lastState(answered), LINECALLSTATE_IDLE);
    ASSERT_TRUE(waitFor(caller, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(ex.callInfo(caller).connected.number, QByteArray("5550150"));
    EXPECT_EQ(ex.callInfo(caller).redirecting.number, QByteArray("202"));
}

TEST_F(FeaturesTest, RedirectAnOfferedCall)
{
    Telephony::IncomingCall in;
    in.number = "5550111";
    in.name = "OUTSIDE";
    const CallId id = ex.ring(0, in);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_OFFERING));
    EXPECT_EQ(ex.redirect(request(), id, "201", 0), LONG(LINEERR_INVALADDRESS));
    ok([&](DWORD r) { return ex.redirect(r, id, "202", 0); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_IDLE);
    const CallId offered = offeredOn(1);
    ASSERT_NE(offered, id);
    EXPECT_EQ(ex.callInfo(offered).caller.name, QByteArray("OUTSIDE"));
    EXPECT_EQ(ex.callInfo(offered).fixed.dwReason, LINECALLREASON_REDIRECT);
    EXPECT_EQ(ex.callInfo(offered).redirecting.number, QByteArray("201"));

    // An internal caller redirected to a party hears it answer.
    const CallId caller = call(1, "201", LINECALLSTATE_RINGBACK);
    const CallId ringing = offeredOn(0);
    ok([&](DWORD r) { return ex.redirect(r, ringing, "5550150", 0); });
    ASSERT_TRUE(waitFor(caller, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(ex.callInfo(caller).connected.number, QByteArray("5550150"));
    EXPECT_EQ(ex.callInfo(caller).redirection.number, QByteArray("5550150"));
}

TEST_F(FeaturesTest, ParkAndUnpark)
{
    const CallId id = call(0, "5550100");
    ok([&](DWORD r) { return ex.park(r, id, LINEPARKMODE_DIRECTED, "7100", nullptr); });
    EXPECT_EQ(sink.lastState(id), LINECALLSTATE_IDLE);
    EXPECT_EQ(ex.unpark(request(), 1, 0, 50, "7999"), LONG(LINEERR_INVALADDRESS));
    const CallId back = nextOwnCall++;
    ok([&](DWORD r) { return ex.unpark(r, 1, 0, back, "7100"); });
    EXPECT_EQ(sink.lastState(back), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.callInfo(back).connected.name, QByteArray("ALICE ANSWER"));
    EXPECT_EQ(ex.callInfo(back).fixed.dwReason, LINECALLREASON_UNPARK);
    EXPECT_EQ(ex.unpark(request(), 1, 0, 51, "7100"), LONG(LINEERR_INVALADDRESS)); // taken

    // Non-directed: the exchange picks the orbit.
    QByteArray orbit;
    ok([&](DWORD r) { return ex.park(r, back, LINEPARKMODE_NONDIRECTED, {}, &orbit); });
    EXPECT_EQ(orbit, QByteArray("7001"));
    EXPECT_EQ(ex.park(request(), 999, LINEPARKMODE_DIRECTED, "7100", nullptr), LONG(LINEERR_INVALCALLHANDLE));
    const CallId again = nextOwnCall++;
    ok([&](DWORD r) { return ex.unpark(r, 0, 0, again, "7001"); });
    EXPECT_EQ(sink.lastState(again), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.park(request(), again, 9, "7100", nullptr), LONG(LINEERR_INVALPARKMODE));
}

TEST_F(FeaturesTest, ParkingTheOtherLineKeepsItConnected)
{
    const auto [callerId, answeredId] = internalCall();
    const CallId caller = callerId, answered = answeredId;
    QByteArray orbit;
    ok([&](DWORD r) { return ex.park(r, answered, LINEPARKMODE_NONDIRECTED, {}, &orbit); });
    EXPECT_EQ(sink.lastState(caller), LINECALLSTATE_CONNECTED);
    const CallId back = nextOwnCall++;
    ok([&](DWORD r) { return ex.unpark(r, 1, 0, back, orbit); });
    EXPECT_EQ(ex.callInfo(back).connected.number, QByteArray("201"));
    ok([&](DWORD r) { return ex.drop(r, back, {}); });
    EXPECT_EQ(sink.lastState(caller), LINECALLSTATE_DISCONNECTED);
}

TEST_F(FeaturesTest, PickupFromTheOtherLine)
{
    Telephony::IncomingCall in;
    in.number = "5550160";
    in.name = "RINGER";
    const CallId ringing = ex.ring(1, in);
    ASSERT_TRUE(waitFor(ringing, LINECALLSTATE_OFFERING));
    EXPECT_EQ(ex.pickup(request(), 0, 0, 70, "203", {}), LONG(LINEERR_INVALADDRESS));
    EXPECT_EQ(ex.pickup(request(), 0, 0, 70, {}, "9"), LONG(LINEERR_INVALGROUPID));
    EXPECT_EQ(ex.pickup(request(), 0, 0, 70, {}, {}), LONG(LINEERR_INVALADDRESS));
    const CallId picked = nextOwnCall++;
    ok([&](DWORD r) { return ex.pickup(r, 0, 0, picked, "202", {}); });
    EXPECT_EQ(sink.lastState(ringing), LINECALLSTATE_IDLE);
    EXPECT_EQ(sink.lastState(picked), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(ex.callInfo(picked).caller.name, QByteArray("RINGER"));
    EXPECT_EQ(ex.callInfo(picked).fixed.dwReason, LINECALLREASON_PICKUP);
    EXPECT_EQ(ex.pickup(request(), 0, 0, 71, "202", {}), LONG(LINEERR_OPERATIONFAILED)); // nothing rings

    // Group pickup of an internal call: the caller is connected to the picker.
    const CallId caller = call(0, "202", LINECALLSTATE_RINGBACK);
    const CallId grabbed = nextOwnCall++;
    ok([&](DWORD r) { return ex.pickup(r, 0, 0, grabbed, {}, "*"); });
    EXPECT_EQ(sink.lastState(grabbed), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(sink.lastState(caller), LINECALLSTATE_CONNECTED);
}

TEST_F(FeaturesTest, PickupConnectsWhenThePickedCallIsFreedAsItGoesIdle)
{
    // A core that forgets calls as soon as they are idle, from within the report.
    sink.onEvent = [this](const Event& e) {
        if (e.kind == Event::State && e.b == LINECALLSTATE_IDLE)
            ex.releaseCall(e.a);
    };
    for (const char* from : {"202", ""}) {
        const CallId caller = call(0, "202", LINECALLSTATE_RINGBACK);
        const CallId ringing = offeredOn(1);
        const CallId picked = nextOwnCall++;
        ok([&](DWORD r) { return ex.pickup(r, 0, 0, picked, from, *from ? QByteArray() : "1"); });
        EXPECT_FALSE(ex.hasCall(ringing));
        EXPECT_EQ(sink.lastState(picked), LINECALLSTATE_CONNECTED) << from;
        EXPECT_EQ(ex.callInfo(picked).fixed.dwReason, LINECALLREASON_PICKUP);
        EXPECT_EQ(sink.lastState(caller), LINECALLSTATE_CONNECTED) << from;
        ok([&](DWORD r) { return ex.drop(r, picked, {}); });
        ok([&](DWORD r) { return ex.drop(r, caller, {}); });
    }
}

TEST_F(FeaturesTest, ForwardingRedirectsIncomingCalls)
{
    AddressStatusData::Forward f;
    f.mode = LINEFORWARDMODE_UNCOND;
    f.destAddress = "201";
    ok([&](DWORD r) { return ex.forward(r, 1, true, 0, {f}, 0); });
    bool reported = false;
    for (const Event& e : sink.of(Event::AddressState))
        reported = reported || (e.a == 1 && e.c == LINEADDRESSSTATE_FORWARD);
    EXPECT_TRUE(reported);
    const auto status = ex.addressStatus(1, 0);
    ASSERT_EQ(status.forwards.size(), 1);
    EXPECT_EQ(status.forwards[0].destAddress, QByteArray("201"));

    Telephony::IncomingCall in;
    in.number = "5550170";
    bool forwarded = false;
    EXPECT_EQ(ex.ring(1, in, &forwarded), 0u);
    EXPECT_TRUE(forwarded);
    ASSERT_TRUE(waitUntil([&] { return offeredOn(0) != 0; }));
    const auto info = ex.callInfo(offeredOn(0));
    EXPECT_EQ(info.caller.number, QByteArray("5550170"));
    EXPECT_EQ(info.redirecting.number, QByteArray("202"));
    EXPECT_EQ(info.redirection.number, QByteArray("201"));
    EXPECT_EQ(info.fixed.dwReason, LINECALLREASON_FWDUNCOND);

    // Line 2 forwarded to Alice: line 1's call to 202 reaches her.
    f.destAddress = "5550100";
    ok([&](DWORD r) { return ex.forward(r, 1, false, 0, {f}, 0); });
    const CallId id = call(0, "202");
    EXPECT_EQ(ex.callInfo(id).connected.name, QByteArray("ALICE ANSWER"));
    EXPECT_EQ(ex.callInfo(id).redirecting.number, QByteArray("202"));
    EXPECT_EQ(ex.callInfo(id).redirection.number, QByteArray("5550100"));

    // Off again.
    ok([&](DWORD r) { return ex.forward(r, 1, true, 0, {}, 0); });
    EXPECT_TRUE(ex.addressStatus(1, 0).forwards.isEmpty());
    EXPECT_NE(ex.ring(1, in), 0u);
}

TEST_F(FeaturesTest, ForwardOnNoAnswerAfterTheRings)
{
    AddressStatusData::Forward f;
    f.mode = LINEFORWARDMODE_NOANSW;
    f.destAddress = "201";
    ok([&](DWORD r) { return ex.forward(r, 1, true, 0, {f}, 2); });
    EXPECT_EQ(ex.addressStatus(1, 0).fixed.dwNumRingsNoAnswer, 2u);
    Telephony::IncomingCall in;
    in.number = "5550171";
    const CallId first = ex.ring(1, in);
    ASSERT_TRUE(waitFor(first, LINECALLSTATE_IDLE));
    ASSERT_TRUE(waitUntil([&] { return offeredOn(0) != 0; }));
    EXPECT_EQ(ex.callInfo(offeredOn(0)).fixed.dwReason, LINECALLREASON_FWDNOANSWER);
    int rings = 0;
    for (const Event& e : sink.of(Event::LineState))
        rings += e.a == 1 && e.b == LINEDEVSTATE_RINGING;
    EXPECT_EQ(rings, 2);
}

TEST_F(FeaturesTest, ForwardRejectsBadEntries)
{
    AddressStatusData::Forward f;
    f.mode = LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_BUSY;
    f.destAddress = "201";
    EXPECT_EQ(ex.forward(request(), 1, true, 0, {f}, 0), LONG(LINEERR_INVALPARAM));
    f.mode = LINEFORWARDMODE_UNCOND;
    f.destAddress = "";
    EXPECT_EQ(ex.forward(request(), 1, true, 0, {f}, 0), LONG(LINEERR_INVALADDRESS));
    f.destAddress = "201";
    EXPECT_EQ(ex.forward(request(), 2, true, 0, {f}, 0), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.forward(request(), 9, true, 0, {f}, 0), LONG(LINEERR_BADDEVICEID));
    f.mode = LINEFORWARDMODE_UNCONDSPECIFIC;
    EXPECT_EQ(ex.forward(request(), 1, true, 0, {f}, 0), LONG(LINEERR_INVALPARAM)); // no caller address
}

TEST_F(FeaturesTest, SetTerminalCompletes)
{
    ok([&](DWORD r) { return ex.setTerminal(r, 0, 0, 0, LINETERMMODE_BUTTONS, 0, true); });
    EXPECT_EQ(ex.lineStatus(0).terminalModes.value(0), LINETERMMODE_BUTTONS);
    EXPECT_EQ(ex.setTerminal(request(), 0, 0, 0, LINETERMMODE_BUTTONS, 3, true), LONG(LINEERR_INVALTERMINALID));
    EXPECT_EQ(ex.setTerminal(request(), 0, 0, 0, 0, 0, true), LONG(LINEERR_INVALTERMINALMODE));
}

TEST_F(FeaturesTest, TheModemOnlyMakesCalls)
{
    const CallId id = call(2, "5550110");
    EXPECT_EQ(ex.hold(request(), id), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.blindTransfer(request(), id, "202", 0), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.park(request(), id, LINEPARKMODE_NONDIRECTED, {}, nullptr), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.setupTransfer(request(), id, 88, {}), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.generateDigits(id, 1, LINEDIGITMODE_DTMF, "1", 0), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.pickup(request(), 2, 0, 89, "202", {}), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.unpark(request(), 2, 0, 89, "7001"), LONG(LINEERR_OPERATIONUNAVAIL));
    EXPECT_EQ(ex.callStatus(id).callFeatures, LINECALLFEATURE_DROP);
    EXPECT_EQ(ex.callInfo(id).fixed.dwMediaMode, LINEMEDIAMODE_DATAMODEM);
    // One call at a time.
    EXPECT_EQ(ex.makeCall(request(), 2, 90, "5550110", true, 0, {}), LONG(LINEERR_CALLUNAVAIL));
    // Nobody can call the modem.
    const CallId busy = call(0, "203", LINECALLSTATE_BUSY);
    EXPECT_EQ(sink.lastMode(busy), LINEBUSYMODE_STATION);
}
