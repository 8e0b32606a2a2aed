#include "SimulatedCalls.h"

#include "SimulatedCaps.h"
#include "SimulatedFeatures.h"
#include "SimulatedMedia.h"
#include "SimulatedSwitch.h"

namespace Telephony::Sim {

namespace {

// Timings of the exchange and its parties in milliseconds, before pacing.
constexpr int kDialToneMs = 300;
constexpr int kDigitMs = 100;
constexpr int kProceedingMs = 500;
constexpr int kGiveUpMs = 30000;
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

LONG SimulatedCalls::makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination,
                              bool hasDestination, const CallParams& params)
{
    if (!m_sw.validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (call == 0 || m_sw.find(call))
        return LONG(LINEERR_INVALCALLHANDLE);
    const QByteArray dest = destination.trimmed();
    const bool partial = dest.endsWith(';');
    if (hasDestination) {
        if (checkAddress(dest) != 0 || (normalize(dest).isEmpty() && !partial))
            return LONG(LINEERR_INVALADDRESS);
    }
    DWORD media = 0;
    DWORD bearer = 0;
    if (const LONG error = checkParams(device, params, &media, &bearer))
        return error;
    const int limit = SimulatedSwitch::isModem(device) ? 1 : kMaxCallsPerLine;
    if (m_sw.liveCallCount(device) >= limit)
        return LONG(LINEERR_CALLUNAVAIL);

    SimCall* c = createOutgoing(call, device, media, bearer, params);
    if (hasDestination)
        c->dialed = normalize(dest);
    const bool waitForDigits = !hasDestination || c->dialed.isEmpty();
    return m_sw.callRequest(requestId, call, OnModem::Allowed, {}, [this, waitForDigits, partial](SimCall& c) {
        startOutgoing(c.id, waitForDigits, !partial);
    });
}

LONG SimulatedCalls::checkParams(int device, const CallParams& params, DWORD* mediaMode, DWORD* bearerMode) const
{
    const LINEDEVCAPS& caps = m_sw.caps(device).fixed;
    if (params.addressID != 0)
        return LONG(LINEERR_INVALADDRESSID);
    DWORD bearer = params.bearerMode ? params.bearerMode : LINEBEARERMODE_VOICE;
    if ((bearer & (bearer - 1)) != 0 || (bearer & ~caps.dwBearerModes) != 0)
        return LONG(LINEERR_INVALBEARERMODE);
    DWORD media = params.mediaMode ? params.mediaMode : LINEMEDIAMODE_INTERACTIVEVOICE;
    if (SimulatedSwitch::isModem(device)) {
        media = LINEMEDIAMODE_DATAMODEM; // the modem places data calls whatever is asked
    } else if ((media & (media - 1)) != 0 || (media & ~caps.dwMediaModes) != 0) {
        return LONG(LINEERR_INVALMEDIAMODE);
    }
    *mediaMode = media;
    *bearerMode = bearer;
    return 0;
}

SimCall* SimulatedCalls::createOutgoing(CallId id, int device, DWORD mediaMode, DWORD bearerMode,
                                        const CallParams& params)
{
    SimCall* c = m_sw.createLeg(id, device);
    c->outgoing = true;
    c->info.caller = lineIdentity(device);
    c->info.fixed.dwOrigin = LINECALLORIGIN_OUTBOUND;
    c->info.fixed.dwReason = LINECALLREASON_DIRECT;
    c->info.fixed.dwMediaMode = mediaMode;
    c->info.fixed.dwBearerMode = bearerMode;
    c->info.fixed.dwCallParamFlags = params.callParamFlags;
    c->info.displayableAddress = params.displayableAddress;
    c->info.calledParty = params.calledParty;
    c->info.comment = params.comment;
    if (params.noAnswerTimeout > 0)
        c->noAnswerMs = int(qMin<DWORD>(params.noAnswerTimeout, 300)) * 1000;
    return c;
}

void SimulatedCalls::startOutgoing(CallId id, bool waitForDigits, bool complete)
{
    // Without dial tone the call just stays where it is until it is dropped.
    if (const SimCall* c = m_sw.find(id); c && !m_sw.line(c->device).dialTone)
        return;
    if (!m_sw.setState(id, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL) || waitForDigits)
        return;
    m_sw.after(id, Channel::Script, kDialToneMs, [this, complete](SimCall& c) {
        const CallId id = c.id;
        const int digits = int(c.dialed.size());
        if (!m_sw.setState(id, LINECALLSTATE_DIALING))
            return;
        m_sw.after(id, Channel::Script, kDigitMs * digits, [this, complete](SimCall& call) {
            if (complete)
                proceed(call.id);
        });
    });
}

LONG SimulatedCalls::dial(DWORD requestId, CallId call, const QByteArray& digits)
{
    const QByteArray text = digits.trimmed();
    const LONG addressError = text.isEmpty() ? LONG(LINEERR_INVALADDRESS) : checkAddress(text);
    const QByteArray added = normalize(text);
    const bool partial = text.endsWith(';');
    auto check = [this, addressError](const SimCall& c) {
        if (!(m_sw.callFeatures(c) & LINECALLFEATURE_DIAL) || c.routed)
            return LONG(LINEERR_INVALCALLSTATE);
        return addressError;
    };
    return m_sw.callRequest(requestId, call, OnModem::Allowed, check, [this, added, partial](SimCall& c) {
        c.dialed += added;
        dialed(c.id, int(added.size()), partial);
    });
}

// More digits arrived: dial them (0.1 s each); go on when the number is complete.
void SimulatedCalls::dialed(CallId id, int newDigits, bool explicitPartial)
{
    SimCall* c = m_sw.find(id);
    if (!c)
        return;
    SimulatedSwitch::cancel(*c, Channel::Script);
    if (newDigits == 0 && c->state == LINECALLSTATE_DIALTONE)
        return;
    if (!m_sw.setState(id, LINECALLSTATE_DIALING))
        return;
    m_sw.after(id, Channel::Script, kDigitMs * newDigits, [this, explicitPartial](SimCall& call) {
        if (!explicitPartial && isComplete(call.dialed))
            proceed(call.id);
    });
}

PartyId SimulatedCalls::callerIdOf(const SimCall& c) const
{
    if (c.info.fixed.dwCallParamFlags & LINECALLPARAMFLAGS_BLOCKID)
        return PartyId{LINECALLPARTYID_BLOCKED, {}, {}};
    return lineIdentity(c.device);
}

// The number is complete: the exchange looks it up (PROCEEDING) and routes the call.
void SimulatedCalls::proceed(CallId id)
{
    SimCall* c = m_sw.find(id);
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
    if (!m_sw.setState(id, LINECALLSTATE_PROCEEDING))
        return;
    m_sw.infoChanged(id, LINECALLINFOSTATE_CALLEDID);
    m_sw.after(id, Channel::Script, kProceedingMs, [this, target](SimCall& call) {
        Routing routing;
        routing.mediaMode = call.info.fixed.dwMediaMode;
        m_sw.routing().routeLeg(call.id, target, routing);
    });
}

// ---------------------------------------------------------------------------------------
// Offered calls
// ---------------------------------------------------------------------------------------

CallId SimulatedCalls::createOffered(int device, const FarEnd& from, const PartyId& callerId,
                                        const Routing& routing)
{
    if (!m_sw.validLine(device) || SimulatedSwitch::isModem(device) || m_sw.liveCallCount(device) >= kMaxCallsPerLine)
        return 0;
    const CallId id = m_sw.sink().newCall(DWORD(device), 0);
    if (id == 0 || m_sw.find(id))
        return 0;
    SimCall* o = m_sw.createLeg(id, device);
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
        if (SimCall* caller = m_sw.find(from.leg)) {
            caller->far = FarEnd::toLeg(id, lineIdentity(device));
            info.fixed.dwRelatedCallID = caller->info.fixed.dwCallID;
        }
    }
    return id;
}

// OFFERING with caller and called IDs, the first ring, the caller's ring-back, and the
// caller giving up after its no-answer time (30 s for an outside caller).
void SimulatedCalls::presentOffered(CallId id)
{
    SimCall* o = m_sw.find(id);
    if (!o)
        return;
    const bool redirected = o->info.fixed.dwReason != LINECALLREASON_DIRECT;
    const FarEnd from = o->far;
    if (!m_sw.setState(id, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE))
        return;
    DWORD states = LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID;
    if (redirected)
        states |= LINECALLINFOSTATE_REDIRECTINGID | LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REASON;
    m_sw.infoChanged(id, states);
    int giveUpMs = kGiveUpMs;
    if (from.kind == FarEnd::Leg) {
        if (SimCall* caller = m_sw.find(from.leg)) {
            giveUpMs = caller->noAnswerMs;
            SimulatedSwitch::cancel(*caller, Channel::Script);
            if (caller->state != LINECALLSTATE_RINGBACK && !m_sw.setState(from.leg, LINECALLSTATE_RINGBACK))
                return;
        }
    }
    if (!m_sw.find(id))
        return;
    m_sw.find(id)->ringCount = 0;
    ringOnce(id);
    m_sw.after(id, Channel::Ring, giveUpMs, [this](SimCall& call) {
        const FarEnd far = call.far;
        call.far = {};
        if (!m_sw.setState(call.id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER))
            return;
        if (far.kind == FarEnd::Leg)
            farGone(far.leg, LINEDISCONNECTMODE_NOANSWER);
    }, true);
}

// One ring cycle: LINEDEVSTATE_RINGING (ring mode 1, the ring count); after the number of
// rings of a no-answer forwarding the call moves on.
void SimulatedCalls::ringOnce(CallId id)
{
    SimCall* o = m_sw.find(id);
    if (!o || o->state != LINECALLSTATE_OFFERING)
        return;
    const int device = o->device;
    ++o->ringCount;
    const int count = o->ringCount;
    m_sw.sink().lineDevStateChanged(DWORD(device), LINEDEVSTATE_RINGING, 1, DWORD(count));
    o = m_sw.find(id);
    if (!o || o->state != LINECALLSTATE_OFFERING)
        return;
    const AddressStatusData::Forward* fwd = m_sw.routing().forwardFor(device, ForwardCondition::NoAnswer, o->far);
    const bool forwarding = fwd && o->hops < kMaxHops;
    if (forwarding && count >= int(m_sw.line(device).forwardRings)) {
        const FarEnd far = o->far;
        Routing r;
        r.hops = o->hops;
        r.mediaMode = o->info.fixed.dwMediaMode;
        o->far = {};
        if (far.kind == FarEnd::Leg)
            if (SimCall* caller = m_sw.find(far.leg))
                caller->far = {};
        if (!m_sw.setState(id, LINECALLSTATE_IDLE))
            return;
        if (!m_sw.routing().forwardIfNeeded(device, ForwardCondition::NoAnswer, far, r) && far.kind == FarEnd::Leg)
            farGone(far.leg, LINEDISCONNECTMODE_NOANSWER);
        return;
    }
    m_sw.after(id, Channel::Ring, kRingCycleMs, [this](SimCall& call) { ringOnce(call.id); }, !forwarding);
}

LONG SimulatedCalls::answer(DWORD requestId, CallId call)
{
    return m_sw.callRequest(
        requestId, call, OnModem::Refused, [this](const SimCall& c) { return m_sw.needs(c, LINECALLFEATURE_ANSWER); },
        [this](SimCall& c) { answerOffered(c.id); });
}

void SimulatedCalls::answerOffered(CallId id)
{
    SimCall* o = m_sw.find(id);
    if (!o)
        return;
    const FarEnd far = o->far;
    const int device = o->device;
    o->info.connected = far.kind == FarEnd::None ? PartyId{LINECALLPARTYID_UNKNOWN, {}, {}} : far.id;
    if (!m_sw.setState(id, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
        return;
    m_sw.infoChanged(id, LINECALLINFOSTATE_CONNECTEDID);
    if (far.kind == FarEnd::Leg)
        connectPeer(far.leg, device);
}

void SimulatedCalls::connectPeer(CallId peer, int answeringDevice)
{
    SimCall* l = m_sw.find(peer);
    if (!l)
        return;
    SimulatedSwitch::cancel(*l, Channel::Script);
    l->info.connected = lineIdentity(answeringDevice);
    if (!answered(l->state) && !m_sw.setState(peer, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
        return;
    m_sw.infoChanged(peer, LINECALLINFOSTATE_CONNECTEDID);
}

// ---------------------------------------------------------------------------------------
// Ending calls
// ---------------------------------------------------------------------------------------

LONG SimulatedCalls::drop(DWORD requestId, CallId call)
{
    return m_sw.callRequest(requestId, call, OnModem::Allowed, {}, [this](SimCall& c) { localDrop(c.id); });
}

// Unlinks a leg from transfers, conferences and park orbits; what that does to the other
// calls is returned, to be reported after the leg's own state.
std::vector<std::function<void()>> SimulatedCalls::detach(CallId id)
{
    std::vector<std::function<void()>> followUps;
    SimCall* c = m_sw.find(id);
    if (!c)
        return followUps;
    m_sw.features().leaveOrbits(id);
    if (c->transferPartner) {
        const CallId partner = c->transferPartner;
        c->transferPartner = 0;
        if (SimCall* p = m_sw.find(partner)) {
            p->transferPartner = 0;
            followUps.push_back([this, partner] {
                if (SimCall* p = m_sw.find(partner); p && p->state == LINECALLSTATE_ONHOLDPENDTRANSFER)
                    m_sw.setState(partner, LINECALLSTATE_ONHOLD);
            });
        }
    }
    if (c->conference) {
        const CallId conf = c->conference;
        const bool consult = c->confConsult;
        c->conference = 0;
        c->confConsult = false;
        if (SimCall* f = m_sw.find(conf)) {
            f->members.removeAll(id);
            followUps.push_back([this, conf, consult] {
                SimCall* f = m_sw.find(conf);
                if (!f)
                    return;
                if (!consult)
                    conferenceMemberLeft(conf);
                else if (f->state == LINECALLSTATE_ONHOLDPENDCONF && f->members.isEmpty())
                    m_sw.setState(conf, LINECALLSTATE_IDLE);
                else if (f->state == LINECALLSTATE_ONHOLDPENDCONF)
                    m_sw.setState(conf, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
            });
        }
    }
    return followUps;
}

// The last party left a conference that is not waiting for a consultation call.
void SimulatedCalls::conferenceMemberLeft(CallId conference)
{
    SimCall* f = m_sw.find(conference);
    if (!f || !f->members.isEmpty() || f->state == LINECALLSTATE_ONHOLDPENDCONF || ended(f->state))
        return;
    m_sw.setState(conference, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
}

void SimulatedCalls::localDrop(CallId id, bool report)
{
    SimCall* c = m_sw.find(id);
    if (!c)
        return;
    if (c->isConference) {
        const QList<CallId> members = c->members;
        c->members.clear();
        for (CallId m : members) {
            if (SimCall* member = m_sw.find(m))
                member->conference = 0;
            localDrop(m, report);
        }
        // A pending consultation call stays as an ordinary call.
        for (const auto& [otherId, other] : m_sw.legs())
            if (other->confConsult && other->conference == id) {
                other->confConsult = false;
                other->conference = 0;
            }
    }
    c = m_sw.find(id);
    if (!c)
        return;
    const auto followUps = detach(id);
    const FarEnd far = c->far;
    c->far = {};
    if (c->generating && report)
        m_sw.media().cancelGeneration(*c);
    if (report) {
        m_sw.setState(id, LINECALLSTATE_IDLE);
    } else if ((c = m_sw.find(id))) {
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

void SimulatedCalls::farGone(CallId id, DWORD disconnectMode)
{
    SimCall* c = m_sw.find(id);
    if (!c)
        return;
    const FarEnd far = c->far;
    c->far = {};
    if (far.kind == FarEnd::Leg)
        if (SimCall* other = m_sw.find(far.leg); other && other->far.kind == FarEnd::Leg && other->far.leg == id)
            other->far = {};
    if (ended(c->state))
        return;
    m_sw.setState(id, LINECALLSTATE_DISCONNECTED, disconnectMode);
}

} // namespace Telephony::Sim
