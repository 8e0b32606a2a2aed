// The simulated exchange: making, routing, offering, answering and dropping calls.
#include "SimulatedExchange.h"

#include "../../TapiConstants.h"
#include "SimulatedCaps.h"

namespace Telephony {

using namespace Sim;

namespace {

// Timings of the exchange and its parties in milliseconds, before pacing.
constexpr int kDialToneMs = 300;
constexpr int kDigitMs = 100;
constexpr int kProceedingMs = 500;
constexpr int kRingCycleMs = 6000;
constexpr int kGiveUpMs = 30000;
constexpr int kMaxHops = 5;
constexpr int kMaxCallsPerLine = 8;

bool answered(DWORD state)
{
    return state == LINECALLSTATE_CONNECTED || state == LINECALLSTATE_ONHOLD ||
           state == LINECALLSTATE_ONHOLDPENDTRANSFER || state == LINECALLSTATE_ONHOLDPENDCONF ||
           state == LINECALLSTATE_CONFERENCED;
}

bool ended(DWORD state) { return state == 0 || state == LINECALLSTATE_IDLE || state == LINECALLSTATE_DISCONNECTED; }

} // namespace

// ---------------------------------------------------------------------------------------
// Making calls
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination,
                                 bool hasDestination, DWORD, const CallParams& params)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (call == 0 || find(call))
        return LONG(LINEERR_INVALCALLHANDLE);
    const QByteArray dest = destination.trimmed();
    const bool partial = dest.endsWith(';');
    if (hasDestination) {
        if (!isDialable(dest) || (normalize(dest).isEmpty() && !partial) || dest.size() > 256)
            return LONG(LINEERR_INVALADDRESS);
    }
    DWORD media = 0;
    DWORD bearer = 0;
    if (const LONG error = checkParams(device, params, &media, &bearer))
        return error;
    const int limit = isModem(device) ? 1 : kMaxCallsPerLine;
    if (liveCallCount(device) >= limit)
        return LONG(LINEERR_CALLUNAVAIL);

    SimCall* c = createOutgoing(call, device, media, bearer, params);
    if (hasDestination)
        c->dialed = normalize(dest);
    const bool waitForDigits = !hasDestination || c->dialed.isEmpty();
    return submit(
        requestId, [this, call] { return find(call) ? LONG(0) : LONG(LINEERR_INVALCALLHANDLE); },
        [this, call, waitForDigits, partial] { startOutgoing(call, waitForDigits, !partial); });
}

// Dial tone at once; with digits to dial, dialing after the dial tone.
void SimulatedExchange::startOutgoing(CallId id, bool waitForDigits, bool complete)
{
    // Without dial tone the call just stays where it is until it is dropped.
    if (const SimCall* c = find(id); c && m_noDialTone.count(c->device))
        return;
    if (!setState(id, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL) || waitForDigits)
        return;
    after(id, Channel::Script, kDialToneMs, [this, complete](SimCall& c) {
        const CallId id = c.id;
        const int digits = int(c.dialed.size());
        if (!setState(id, LINECALLSTATE_DIALING))
            return;
        after(id, Channel::Script, kDigitMs * digits, [this, complete](SimCall& call) {
            if (complete)
                proceed(call.id);
        });
    });
}

LONG SimulatedExchange::dial(DWORD requestId, CallId call, const QByteArray& digits, DWORD)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (!(features(*c) & LINECALLFEATURE_DIAL) || c->routed)
        return LONG(LINEERR_INVALCALLSTATE);
    const QByteArray text = digits.trimmed();
    if (text.isEmpty() || text.size() > 256 || !isDialable(text))
        return LONG(LINEERR_INVALADDRESS);
    const QByteArray added = normalize(text);
    const bool partial = text.endsWith(';');
    auto check = [this, call] {
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        return (features(*c) & LINECALLFEATURE_DIAL) && !c->routed ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call, added, partial] {
        SimCall* c = find(call);
        if (!c)
            return;
        c->dialed += added;
        dialed(call, int(added.size()), partial);
    });
}

// More digits arrived: dial them (0.1 s each); go on when the number is complete.
void SimulatedExchange::dialed(CallId id, int newDigits, bool explicitPartial)
{
    SimCall* c = find(id);
    if (!c)
        return;
    cancel(*c, Channel::Script);
    if (newDigits == 0 && c->state == LINECALLSTATE_DIALTONE)
        return;
    if (!setState(id, LINECALLSTATE_DIALING))
        return;
    after(id, Channel::Script, kDigitMs * newDigits, [this, explicitPartial](SimCall& call) {
        if (!explicitPartial && isComplete(call.dialed))
            proceed(call.id);
    });
}

PartyId SimulatedExchange::callerIdOf(const SimCall& c) const
{
    if (c.info.fixed.dwCallParamFlags & LINECALLPARAMFLAGS_BLOCKID)
        return PartyId{LINECALLPARTYID_BLOCKED, {}, {}};
    return lineIdentity(c.device);
}

// The number is complete: the exchange looks it up (PROCEEDING) and routes the call.
void SimulatedExchange::proceed(CallId id)
{
    SimCall* c = find(id);
    if (!c || c->routed)
        return;
    c->routed = true;
    const Target target = resolve(c->dialed);
    switch (target.kind) {
    case Target::Line:
        c->info.called = lineIdentity(target.device);
        break;
    case Target::Party:
        c->info.called = identityOf(target.party);
        break;
    case Target::Bad:
        c->info.called = PartyId{LINECALLPARTYID_ADDRESS, c->dialed, {}};
        break;
    }
    if (!setState(id, LINECALLSTATE_PROCEEDING))
        return;
    infoChanged(id, LINECALLINFOSTATE_CALLEDID);
    after(id, Channel::Script, kProceedingMs, [this, target](SimCall& call) {
        Routing routing;
        routing.mediaMode = call.info.fixed.dwMediaMode;
        routeLeg(call.id, target, routing);
    });
}

// ---------------------------------------------------------------------------------------
// Offered calls
// ---------------------------------------------------------------------------------------

CallId SimulatedExchange::createOffered(int device, const FarEnd& from, const PartyId& callerId,
                                        const Routing& routing)
{
    if (!validLine(device) || isModem(device) || liveCallCount(device) >= kMaxCallsPerLine)
        return 0;
    const CallId id = m_sink->newCall(DWORD(device), 0);
    if (id == 0 || find(id))
        return 0;
    SimCall* o = createLeg(id, device);
    o->far = from;
    o->hops = routing.hops;
    CallInfoData& info = o->info;
    info.caller = callerId;
    info.called = routing.redirected ? routing.redirecting : lineIdentity(device);
    if (routing.redirected) {
        info.redirecting = routing.redirecting;
        info.redirection = lineIdentity(device);
    }
    info.fixed.dwOrigin = from.kind == FarEnd::Leg ? LINECALLORIGIN_INTERNAL : LINECALLORIGIN_EXTERNAL;
    info.fixed.dwReason = routing.reason;
    info.fixed.dwMediaMode = routing.mediaMode ? routing.mediaMode : LINEMEDIAMODE_INTERACTIVEVOICE;
    if (from.kind == FarEnd::Leg) {
        if (SimCall* caller = find(from.leg)) {
            caller->far = FarEnd::toLeg(id, lineIdentity(device));
            info.fixed.dwRelatedCallID = caller->info.fixed.dwCallID;
        }
    }
    return id;
}

// OFFERING with caller and called IDs, the first ring, the caller's ring-back, and the
// caller giving up after its no-answer time (30 s for an outside caller).
void SimulatedExchange::presentOffered(CallId id)
{
    SimCall* o = find(id);
    if (!o)
        return;
    const bool redirected = o->info.fixed.dwReason != LINECALLREASON_DIRECT;
    const FarEnd from = o->far;
    if (!setState(id, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE))
        return;
    DWORD states = LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID;
    if (redirected)
        states |= LINECALLINFOSTATE_REDIRECTINGID | LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REASON;
    infoChanged(id, states);
    int giveUpMs = kGiveUpMs;
    if (from.kind == FarEnd::Leg) {
        if (SimCall* caller = find(from.leg)) {
            giveUpMs = caller->noAnswerMs;
            cancel(*caller, Channel::Script);
            if (caller->state != LINECALLSTATE_RINGBACK && !setState(from.leg, LINECALLSTATE_RINGBACK))
                return;
        }
    }
    if (!find(id))
        return;
    find(id)->ringCount = 0;
    ringOnce(id);
    after(id, Channel::Ring, giveUpMs, [this](SimCall& call) {
        const FarEnd far = call.far;
        call.far = {};
        if (!setState(call.id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER))
            return;
        if (far.kind == FarEnd::Leg)
            farGone(far.leg, LINEDISCONNECTMODE_NOANSWER);
    }, true);
}

// One ring cycle: LINEDEVSTATE_RINGING (ring mode 1, the ring count); after the number of
// rings of a no-answer forwarding the call moves on.
void SimulatedExchange::ringOnce(CallId id)
{
    SimCall* o = find(id);
    if (!o || o->state != LINECALLSTATE_OFFERING)
        return;
    const int device = o->device;
    ++o->ringCount;
    const int count = o->ringCount;
    m_sink->lineDevStateChanged(DWORD(device), LINEDEVSTATE_RINGING, 1, DWORD(count));
    o = find(id);
    if (!o || o->state != LINECALLSTATE_OFFERING)
        return;
    const AddressStatusData::Forward* fwd = forwardFor(device, ForwardCondition::NoAnswer, o->far);
    const bool forwarding = fwd && o->hops < kMaxHops;
    if (forwarding && count >= int(m_fwdRings[size_t(device)])) {
        const FarEnd far = o->far;
        Routing r;
        r.hops = o->hops;
        r.mediaMode = o->info.fixed.dwMediaMode;
        o->far = {};
        if (far.kind == FarEnd::Leg)
            if (SimCall* caller = find(far.leg))
                caller->far = {};
        if (!setState(id, LINECALLSTATE_IDLE))
            return;
        if (!forwardIfNeeded(device, ForwardCondition::NoAnswer, far, r) && far.kind == FarEnd::Leg)
            farGone(far.leg, LINEDISCONNECTMODE_NOANSWER);
        return;
    }
    after(id, Channel::Ring, kRingCycleMs, [this](SimCall& call) { ringOnce(call.id); }, !forwarding);
}

LONG SimulatedExchange::answer(DWORD requestId, CallId call, const QByteArray&)
{
    auto check = [this, call] {
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (isModem(*c))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        return (features(*c) & LINECALLFEATURE_ANSWER) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call] { answerOffered(call); });
}

void SimulatedExchange::answerOffered(CallId id)
{
    SimCall* o = find(id);
    if (!o)
        return;
    const FarEnd far = o->far;
    const int device = o->device;
    o->info.connected = far.kind == FarEnd::None ? PartyId{LINECALLPARTYID_UNKNOWN, {}, {}} : far.id;
    if (!setState(id, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
        return;
    infoChanged(id, LINECALLINFOSTATE_CONNECTEDID);
    if (far.kind == FarEnd::Leg)
        connectPeer(far.leg, device);
}

// The line `answeringDevice` answered the peer's call: the peer is connected to it.
void SimulatedExchange::connectPeer(CallId peer, int answeringDevice)
{
    SimCall* l = find(peer);
    if (!l)
        return;
    cancel(*l, Channel::Script);
    l->info.connected = lineIdentity(answeringDevice);
    if (!answered(l->state) && !setState(peer, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
        return;
    infoChanged(peer, LINECALLINFOSTATE_CONNECTEDID);
}

// ---------------------------------------------------------------------------------------
// Ending calls
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::drop(DWORD requestId, CallId call, const QByteArray&)
{
    return submit(
        requestId, [this, call] { return find(call) ? LONG(0) : LONG(LINEERR_INVALCALLHANDLE); },
        [this, call] { localDrop(call); });
}

// Unlinks a leg from transfers, conferences and park orbits; what that does to the other
// calls is returned, to be reported after the leg's own state.
std::vector<std::function<void()>> SimulatedExchange::detach(CallId id)
{
    std::vector<std::function<void()>> followUps;
    SimCall* c = find(id);
    if (!c)
        return followUps;
    for (auto it = m_orbits.begin(); it != m_orbits.end();) {
        const bool parkedHere = it->second.far.kind == FarEnd::Leg && it->second.far.leg == id;
        const bool parkingFrom = it->second.pending && it->second.from == id;
        it = parkedHere || parkingFrom ? m_orbits.erase(it) : std::next(it);
    }
    if (c->transferPartner) {
        const CallId partner = c->transferPartner;
        c->transferPartner = 0;
        if (SimCall* p = find(partner)) {
            p->transferPartner = 0;
            followUps.push_back([this, partner] {
                if (SimCall* p = find(partner); p && p->state == LINECALLSTATE_ONHOLDPENDTRANSFER)
                    setState(partner, LINECALLSTATE_ONHOLD);
            });
        }
    }
    if (c->conference) {
        const CallId conf = c->conference;
        const bool consult = c->confConsult;
        c->conference = 0;
        c->confConsult = false;
        if (SimCall* f = find(conf)) {
            f->members.removeAll(id);
            followUps.push_back([this, conf, consult] {
                SimCall* f = find(conf);
                if (!f)
                    return;
                if (!consult)
                    conferenceMemberLeft(conf);
                else if (f->state == LINECALLSTATE_ONHOLDPENDCONF && f->members.isEmpty())
                    setState(conf, LINECALLSTATE_IDLE);
                else if (f->state == LINECALLSTATE_ONHOLDPENDCONF)
                    setState(conf, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
            });
        }
    }
    return followUps;
}

// The last party left a conference that is not waiting for a consultation call.
void SimulatedExchange::conferenceMemberLeft(CallId conference)
{
    SimCall* f = find(conference);
    if (!f || !f->members.isEmpty() || f->state == LINECALLSTATE_ONHOLDPENDCONF || ended(f->state))
        return;
    setState(conference, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
}

// The application hangs up (or the core releases a live call: report = false): the leg
// goes idle, a conference takes its parties with it, the far leg is disconnected.
void SimulatedExchange::localDrop(CallId id, bool report)
{
    SimCall* c = find(id);
    if (!c)
        return;
    if (c->isConference) {
        const QList<CallId> members = c->members;
        c->members.clear();
        for (CallId m : members) {
            if (SimCall* member = find(m))
                member->conference = 0;
            localDrop(m, report);
        }
        // A pending consultation call stays as an ordinary call.
        for (auto& [otherId, other] : m_calls)
            if (other->confConsult && other->conference == id) {
                other->confConsult = false;
                other->conference = 0;
            }
    }
    c = find(id);
    if (!c)
        return;
    const auto followUps = detach(id);
    const FarEnd far = c->far;
    c->far = {};
    if (c->generating && report)
        cancelGeneration(*c);
    if (report) {
        setState(id, LINECALLSTATE_IDLE);
    } else if ((c = find(id))) {
        for (auto& g : c->generation)
            ++g;
        c->modem.reset();
        c->state = LINECALLSTATE_IDLE;
        c->mode = 0;
    }
    for (const auto& followUp : followUps)
        followUp();
    if (far.kind == FarEnd::Leg)
        farGone(far.leg, LINEDISCONNECTMODE_NORMAL);
}

// The far end of a leg hung up or went away.
void SimulatedExchange::farGone(CallId id, DWORD disconnectMode)
{
    SimCall* c = find(id);
    if (!c)
        return;
    const FarEnd far = c->far;
    c->far = {};
    if (far.kind == FarEnd::Leg)
        if (SimCall* other = find(far.leg); other && other->far.kind == FarEnd::Leg && other->far.leg == id)
            other->far = {};
    if (ended(c->state))
        return;
    setState(id, LINECALLSTATE_DISCONNECTED, disconnectMode);
}

} // namespace Telephony
