#include "SimulatedRouting.h"

#include "SimulatedCalls.h"
#include "SimulatedMedia.h"
#include "SimulatedSwitch.h"

namespace Telephony::Sim {

namespace {

// Timings of the parties in milliseconds, before pacing.
constexpr int kHangUpAfterMs = 5000;
constexpr int kRejectAfterMs = 3000;
constexpr int kFaxToneAfterMs = 1000;

} // namespace

// ---------------------------------------------------------------------------------------
// Routing
// ---------------------------------------------------------------------------------------

void SimulatedRouting::routeLeg(CallId id, const Target& target, const Routing& routing)
{
    SimCall* c = m_sw.find(id);
    if (!c)
        return;
    SimulatedSwitch::cancel(*c, Channel::Script);
    if (routing.redirected) {
        c->info.redirecting = routing.redirecting;
        c->info.redirection = target.kind == Target::Line    ? lineIdentity(target.device)
                              : target.kind == Target::Party ? identityOf(target.party)
                                                             : PartyId{LINECALLPARTYID_ADDRESS, target.number, {}};
        c->info.fixed.dwReason = routing.reason;
        m_sw.infoChanged(id, LINECALLINFOSTATE_REDIRECTINGID | LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REASON);
        c = m_sw.find(id);
        if (!c)
            return;
    }
    switch (target.kind) {
    case Target::Bad:
        c->far = {};
        m_sw.setState(id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BADADDRESS);
        return;
    case Target::Party:
        routeLegToParty(id, target.party, routing);
        return;
    case Target::Line:
        break;
    }
    const FarEnd from = FarEnd::toLeg(id, m_sw.calls().callerIdOf(*c));
    if (target.device == c->device) {
        c->far = {};
        m_sw.setState(id, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION); // calling oneself
        return;
    }
    if (forwardIfNeeded(target.device, ForwardCondition::Unconditional, from, routing))
        return;
    if (m_sw.lineBusy(target.device) && forwardIfNeeded(target.device, ForwardCondition::Busy, from, routing))
        return;
    Routing r = routing;
    r.mediaMode = c->info.fixed.dwMediaMode;
    const CallId offered = m_sw.calls().createOffered(target.device, from, from.id, r);
    if (!offered) {
        if (SimCall* again = m_sw.find(id))
            again->far = {};
        m_sw.setState(id, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        return;
    }
    m_sw.calls().presentOffered(offered);
}

void SimulatedRouting::routeLegToParty(CallId id, const Party& party, const Routing& routing)
{
    SimCall* c = m_sw.find(id);
    if (!c)
        return;
    SimulatedSwitch::cancel(*c, Channel::Script);
    c->far = FarEnd::toParty(party, identityOf(party), true);
    switch (party.behavior) {
    case Behavior::Busy:
        m_sw.setState(id, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION);
        return;
    case Behavior::SpecialInfo:
        m_sw.setState(id, LINECALLSTATE_SPECIALINFO, LINESPECIALINFO_NOCIRCUIT);
        return;
    case Behavior::BusyDisconnect:
        c->far = {};
        m_sw.setState(id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
        return;
    case Behavior::Forward: {
        if (routing.hops >= kMaxHops)
            break; // a forwarding loop: the last party rings unanswered
        Routing r = routing;
        r.reason = LINECALLREASON_FWDUNCOND;
        r.redirected = true;
        r.redirecting = identityOf(party);
        ++r.hops;
        routeLeg(id, resolve(party.forwardTo), r);
        return;
    }
    case Behavior::Reject:
        if (!m_sw.setState(id, LINECALLSTATE_RINGBACK))
            return;
        m_sw.after(id, Channel::Script, kRejectAfterMs, [this](SimCall& call) {
            call.far = {};
            m_sw.setState(call.id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_REJECT);
        });
        return;
    default:
        break;
    }
    if (!m_sw.setState(id, LINECALLSTATE_RINGBACK))
        return;
    c = m_sw.find(id);
    const bool answers = party.behavior != Behavior::NoAnswer && party.behavior != Behavior::Forward;
    const int answerMs = kRingCycleMs * qMax(1, party.rings);
    if (!answers || c->noAnswerMs < answerMs) {
        m_sw.after(id, Channel::Script, c->noAnswerMs, [this](SimCall& call) {
            call.far = {};
            m_sw.setState(call.id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NOANSWER);
        });
        return;
    }
    m_sw.after(id, Channel::Script, answerMs, [this](SimCall& call) { partyAnswers(call.id); });
}

void SimulatedRouting::partyAnswers(CallId id)
{
    SimCall* c = m_sw.find(id);
    if (!c || c->far.kind != FarEnd::Party)
        return;
    SimulatedSwitch::cancel(*c, Channel::Script);
    const Party party = c->far.party;
    const bool scripted = c->far.scripted;
    c->info.connected = c->far.id;
    if (c->state != LINECALLSTATE_CONFERENCED && !m_sw.setState(id, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
        return;
    m_sw.infoChanged(id, LINECALLINFOSTATE_CONNECTEDID);
    if (!scripted)
        return;
    switch (party.behavior) {
    case Behavior::AnswerThenHangup:
        m_sw.after(id, Channel::Script, kHangUpAfterMs, [this](SimCall& call) { m_sw.calls().farGone(call.id, LINEDISCONNECTMODE_NORMAL); });
        break;
    case Behavior::FaxAnswer:
        m_sw.after(id, Channel::Script, kFaxToneAfterMs, [this](SimCall& call) { m_sw.media().changeMedia(call.id, LINEMEDIAMODE_G3FAX); });
        break;
    case Behavior::DataAnswer:
        if (m_sw.find(id) && !(m_sw.find(id)->info.fixed.dwMediaMode & LINEMEDIAMODE_DATAMODEM))
            m_sw.media().changeMedia(id, LINEMEDIAMODE_DATAMODEM);
        break;
    default:
        break;
    }
}

void SimulatedRouting::routeOutside(const FarEnd& from, const Target& target, const Routing& routing)
{
    if (target.kind != Target::Line || SimulatedSwitch::isModem(target.device))
        return;
    if (forwardIfNeeded(target.device, ForwardCondition::Unconditional, from, routing))
        return;
    if (m_sw.lineBusy(target.device) && forwardIfNeeded(target.device, ForwardCondition::Busy, from, routing))
        return;
    if (const CallId offered = m_sw.calls().createOffered(target.device, from, from.id, routing))
        m_sw.calls().presentOffered(offered);
}

// ---------------------------------------------------------------------------------------
// Forwarding
// ---------------------------------------------------------------------------------------

const AddressStatusData::Forward* SimulatedRouting::forwardFor(int device, ForwardCondition condition,
                                                                const FarEnd& from) const
{
    if (!m_sw.validLine(device))
        return nullptr;
    DWORD general = 0, internal = 0, external = 0, specific = 0;
    switch (condition) {
    case ForwardCondition::Unconditional:
        general = LINEFORWARDMODE_UNCOND;
        internal = LINEFORWARDMODE_UNCONDINTERNAL;
        external = LINEFORWARDMODE_UNCONDEXTERNAL;
        specific = LINEFORWARDMODE_UNCONDSPECIFIC;
        break;
    case ForwardCondition::Busy:
        general = LINEFORWARDMODE_BUSY;
        internal = LINEFORWARDMODE_BUSYINTERNAL;
        external = LINEFORWARDMODE_BUSYEXTERNAL;
        specific = LINEFORWARDMODE_BUSYSPECIFIC;
        break;
    case ForwardCondition::NoAnswer:
        general = LINEFORWARDMODE_NOANSW;
        internal = LINEFORWARDMODE_NOANSWINTERNAL;
        external = LINEFORWARDMODE_NOANSWEXTERNAL;
        specific = LINEFORWARDMODE_NOANSWSPECIFIC;
        break;
    }
    const bool isInternal = from.kind == FarEnd::Leg;
    const QByteArray callerNumber = normalize(from.id.number);
    const auto& list = m_sw.line(device).forwards;
    for (const auto& f : list)
        if (f.mode == specific && !callerNumber.isEmpty() && normalize(f.callerAddress) == callerNumber)
            return &f;
    for (const auto& f : list)
        if (f.mode == (isInternal ? internal : external))
            return &f;
    for (const auto& f : list)
        if (f.mode == general)
            return &f;
    return nullptr;
}

bool SimulatedRouting::forwardIfNeeded(int device, ForwardCondition condition, const FarEnd& from,
                                        const Routing& routing)
{
    const AddressStatusData::Forward* f = forwardFor(device, condition, from);
    if (!f || routing.hops >= kMaxHops)
        return false;
    Routing r = routing;
    r.reason = condition == ForwardCondition::Unconditional ? LINECALLREASON_FWDUNCOND
               : condition == ForwardCondition::Busy        ? LINECALLREASON_FWDBUSY
                                                            : LINECALLREASON_FWDNOANSWER;
    r.redirected = true;
    r.redirecting = lineIdentity(device);
    ++r.hops;
    const Target target = resolve(normalize(f->destAddress));
    if (from.kind == FarEnd::Leg)
        routeLeg(from.leg, target, r);
    else
        routeOutside(from, target, r);
    return true;
}

// ---------------------------------------------------------------------------------------
// Joining two far ends (a completed transfer)
// ---------------------------------------------------------------------------------------

void SimulatedRouting::join(const FarEnd& a, const FarEnd& b, bool bAnswered, const Routing& routing)
{
    if (a.kind == FarEnd::None || b.kind == FarEnd::None) {
        if (a.kind == FarEnd::Leg)
            m_sw.calls().farGone(a.leg, LINEDISCONNECTMODE_NORMAL);
        if (b.kind == FarEnd::Leg)
            m_sw.calls().farGone(b.leg, LINEDISCONNECTMODE_NORMAL);
        return;
    }
    if (a.kind == FarEnd::Party && b.kind == FarEnd::Party)
        return; // both outside: they talk to each other beyond the exchange
    // Make `leg` a leg of ours and `other` what it is joined with.
    const bool aIsLeg = a.kind == FarEnd::Leg;
    const FarEnd& legEnd = aIsLeg ? a : b;
    const FarEnd& other = aIsLeg ? b : a;
    const bool otherAnswered = aIsLeg ? bAnswered : true;
    if (other.kind == FarEnd::Leg) {
        SimCall* l1 = m_sw.find(legEnd.leg);
        SimCall* l2 = m_sw.find(other.leg);
        if (!l1 || !l2)
            return;
        // The one still ringing (offered) takes the other as its caller.
        SimCall* ringing = l2->state == LINECALLSTATE_OFFERING ? l2 : (l1->state == LINECALLSTATE_OFFERING ? l1 : nullptr);
        SimCall* waiting = ringing == l2 ? l1 : l2;
        l1->far = FarEnd::toLeg(l2->id, lineIdentity(l2->device));
        l2->far = FarEnd::toLeg(l1->id, lineIdentity(l1->device));
        if (ringing) {
            const CallId ringingId = ringing->id;
            const CallId waitingId = waiting->id;
            ringing->info.caller = lineIdentity(waiting->device);
            ringing->info.fixed.dwReason = routing.reason;
            ringing->info.redirecting = routing.redirecting;
            m_sw.infoChanged(ringingId, LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_REASON |
                                       LINECALLINFOSTATE_REDIRECTINGID);
            if (SimCall* w = m_sw.find(waitingId)) {
                w->info.redirection = lineIdentity(m_sw.find(ringingId) ? m_sw.find(ringingId)->device : 0);
                w->info.redirecting = routing.redirecting;
                m_sw.infoChanged(waitingId, LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID);
                if ((w = m_sw.find(waitingId)) && w->state != LINECALLSTATE_RINGBACK)
                    m_sw.setState(waitingId, LINECALLSTATE_RINGBACK);
            }
            return;
        }
        const CallId id1 = l1->id, id2 = l2->id;
        l1->info.connected = lineIdentity(l2->device);
        l2->info.connected = lineIdentity(l1->device);
        m_sw.infoChanged(id1, LINECALLINFOSTATE_CONNECTEDID);
        m_sw.infoChanged(id2, LINECALLINFOSTATE_CONNECTEDID);
        return;
    }
    // A leg of ours and an outside party.
    SimCall* l = m_sw.find(legEnd.leg);
    if (!l)
        return;
    const CallId lid = l->id;
    if (l->state == LINECALLSTATE_OFFERING) {
        l->far = other;
        l->info.caller = other.id;
        l->info.fixed.dwReason = routing.reason;
        l->info.redirecting = routing.redirecting;
        m_sw.infoChanged(lid, LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_REASON | LINECALLINFOSTATE_REDIRECTINGID);
        return;
    }
    if (otherAnswered || !other.scripted) {
        l->far = other;
        l->info.connected = other.id;
        m_sw.infoChanged(lid, LINECALLINFOSTATE_CONNECTEDID);
        return;
    }
    // The party was still being rung: the joined leg now hears it ring.
    l->info.redirection = other.id;
    l->info.redirecting = routing.redirecting;
    m_sw.infoChanged(lid, LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID);
    routeLegToParty(lid, other.party, routing);
}

} // namespace Telephony::Sim
