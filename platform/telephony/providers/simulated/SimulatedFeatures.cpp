// The simulated exchange: hold, transfer, conference, park, pickup, redirect, forwarding.
#include "SimulatedExchange.h"

#include "../../TapiConstants.h"
#include "SimulatedCaps.h"

namespace Telephony {

using namespace Sim;

namespace {

constexpr int kMaxConference = 3;

bool isHeld(DWORD s)
{
    return s == LINECALLSTATE_ONHOLD || s == LINECALLSTATE_ONHOLDPENDTRANSFER || s == LINECALLSTATE_ONHOLDPENDCONF;
}

// A destination for transfer, redirect and forwarding: dialable and not empty.
LONG checkDestination(const QByteArray& destination, Target* target)
{
    const QByteArray text = destination.trimmed();
    if (text.isEmpty() || text.size() > 256 || !isDialable(text))
        return LONG(LINEERR_INVALADDRESS);
    const QByteArray number = normalize(text);
    if (number.isEmpty())
        return LONG(LINEERR_INVALADDRESS);
    *target = resolve(number);
    return target->kind == Target::Bad ? LONG(LINEERR_INVALADDRESS) : LONG(0);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Hold
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::hold(DWORD requestId, CallId call)
{
    auto check = [this, call] {
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (isModem(*c))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        return (features(*c) & LINECALLFEATURE_HOLD) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call] { setState(call, LINECALLSTATE_ONHOLD); });
}

LONG SimulatedExchange::unhold(DWORD requestId, CallId call)
{
    auto check = [this, call] {
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (isModem(*c))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        return (features(*c) & LINECALLFEATURE_UNHOLD) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check,
                  [this, call] { setState(call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE); });
}

// The active call goes on hold, the held one becomes the active call; a transfer or
// conference the two belong to stays set up.
LONG SimulatedExchange::swapHold(DWORD requestId, CallId activeCall, CallId heldCall)
{
    auto check = [this, activeCall, heldCall] {
        SimCall* a = find(activeCall);
        SimCall* h = find(heldCall);
        if (!a || !h || activeCall == heldCall)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (isModem(*a))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        if (a->device != h->device || a->state != LINECALLSTATE_CONNECTED || !isHeld(h->state))
            return LONG(LINEERR_INVALCALLSTATE);
        return LONG(0);
    };
    return submit(requestId, check, [this, activeCall, heldCall] {
        if (setState(activeCall, LINECALLSTATE_ONHOLD))
            setState(heldCall, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    });
}

// ---------------------------------------------------------------------------------------
// Blind transfer and redirect
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::blindTransfer(DWORD requestId, CallId call, const QByteArray& destination, DWORD)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    Target target;
    if (const LONG error = checkDestination(destination, &target))
        return error;
    auto check = [this, call] {
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        return (features(*c) & LINECALLFEATURE_BLINDTRANSFER) && c->far.kind != FarEnd::None
                   ? LONG(0)
                   : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call, target] {
        SimCall* c = find(call);
        const FarEnd far = c->far;
        Routing r;
        r.reason = LINECALLREASON_TRANSFER;
        r.redirected = true;
        r.redirecting = lineIdentity(c->device);
        r.mediaMode = c->info.fixed.dwMediaMode;
        c->far = {};
        if (far.kind == FarEnd::Leg)
            if (SimCall* l = find(far.leg))
                l->far = {};
        localDrop(call);
        if (far.kind == FarEnd::Leg)
            routeLeg(far.leg, target, r);
        else
            routeOutside(far, target, r);
    });
}

LONG SimulatedExchange::redirect(DWORD requestId, CallId call, const QByteArray& destination, DWORD)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    Target target;
    if (const LONG error = checkDestination(destination, &target))
        return error;
    if (target.kind == Target::Line && target.device == c->device)
        return LONG(LINEERR_INVALADDRESS); // redirecting a call to where it already rings
    auto check = [this, call] {
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        return (features(*c) & LINECALLFEATURE_REDIRECT) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call, target] {
        SimCall* c = find(call);
        const FarEnd far = c->far;
        Routing r;
        r.reason = LINECALLREASON_REDIRECT;
        r.redirected = true;
        r.redirecting = lineIdentity(c->device);
        r.hops = c->hops + 1;
        r.mediaMode = c->info.fixed.dwMediaMode;
        c->far = {};
        if (far.kind == FarEnd::Leg)
            if (SimCall* l = find(far.leg))
                l->far = {};
        localDrop(call);
        if (far.kind == FarEnd::Leg)
            routeLeg(far.leg, target, r);
        else
            routeOutside(far, target, r);
    });
}

// ---------------------------------------------------------------------------------------
// Park, unpark, pickup
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::park(DWORD requestId, CallId call, DWORD parkMode, const QByteArray& directedAddress,
                             QByteArray* nonDirectedAddress)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (!(features(*c) & LINECALLFEATURE_PARK) || c->far.kind == FarEnd::None)
        return LONG(LINEERR_INVALCALLSTATE);
    QByteArray orbit;
    if (parkMode == LINEPARKMODE_DIRECTED) {
        const QByteArray text = directedAddress.trimmed();
        if (text.size() > 32 || !isDialable(text))
            return LONG(LINEERR_INVALADDRESS);
        orbit = normalize(text);
        if (orbit.isEmpty() || extensionDevice(orbit) >= 0 || lookupParty(orbit, nullptr) || m_orbits.count(orbit))
            return LONG(LINEERR_INVALADDRESS);
    } else if (parkMode == LINEPARKMODE_NONDIRECTED) {
        for (int n = 7001; n <= 7099 && orbit.isEmpty(); ++n)
            if (!m_orbits.count(QByteArray::number(n)))
                orbit = QByteArray::number(n);
        if (orbit.isEmpty())
            return LONG(LINEERR_RESOURCEUNAVAIL);
        if (nonDirectedAddress)
            *nonDirectedAddress = orbit;
    } else {
        return LONG(LINEERR_INVALPARKMODE);
    }
    Parked reservation;
    reservation.from = call;
    m_orbits[orbit] = reservation;
    auto check = [this, call, orbit] {
        SimCall* c = find(call);
        const auto it = m_orbits.find(orbit);
        const bool reserved = it != m_orbits.end() && it->second.pending && it->second.from == call;
        LONG result = 0;
        if (!c || !reserved)
            result = LONG(LINEERR_INVALCALLHANDLE);
        else if (!(features(*c) & LINECALLFEATURE_PARK) || c->far.kind == FarEnd::None)
            result = LONG(LINEERR_INVALCALLSTATE);
        if (result != 0 && reserved)
            m_orbits.erase(it); // the orbit is free again
        return result;
    };
    // The first check may not fail here: the call was checked above.
    post([this, requestId, call, orbit, check] {
        const LONG result = check();
        m_sink->completeRequest(requestId, result);
        if (result != 0)
            return;
        SimCall* c = find(call);
        Parked& parked = m_orbits[orbit];
        parked.far = c->far;
        parked.pending = false;
        parked.from = 0;
        parked.caller = c->info.caller;
        parked.called = c->info.called;
        parked.origin = c->info.fixed.dwOrigin;
        parked.mediaMode = c->info.fixed.dwMediaMode;
        if (parked.far.kind == FarEnd::Leg)
            if (SimCall* l = find(parked.far.leg))
                l->far = {}; // the parked party waits in the orbit, still connected
        c->far = {};
        localDrop(call);
    });
    return 0;
}

LONG SimulatedExchange::unpark(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (isModem(device))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (addressId != 0)
        return LONG(LINEERR_INVALADDRESSID);
    if (call == 0 || find(call))
        return LONG(LINEERR_INVALCALLHANDLE);
    const QByteArray text = address.trimmed();
    if (text.size() > 32 || !isDialable(text))
        return LONG(LINEERR_INVALADDRESS);
    const QByteArray orbit = normalize(text);
    const auto it = m_orbits.find(orbit);
    if (orbit.isEmpty() || it == m_orbits.end() || it->second.pending)
        return LONG(LINEERR_INVALADDRESS);
    SimCall* n = createLeg(call, device);
    n->info.fixed.dwReason = LINECALLREASON_UNPARK;
    auto check = [this, call, orbit] {
        if (!find(call))
            return LONG(LINEERR_INVALCALLHANDLE);
        const auto it = m_orbits.find(orbit);
        return it == m_orbits.end() || it->second.pending ? LONG(LINEERR_INVALADDRESS) : LONG(0);
    };
    return submit(requestId, check, [this, call, orbit, device] {
        const auto it = m_orbits.find(orbit);
        const Parked parked = it->second;
        m_orbits.erase(it);
        SimCall* n = find(call);
        n->far = parked.far;
        n->info.caller = parked.caller;
        n->info.called = parked.called;
        n->info.connected = parked.far.id;
        n->info.fixed.dwOrigin = parked.origin;
        n->info.fixed.dwMediaMode = parked.mediaMode ? parked.mediaMode : LINEMEDIAMODE_INTERACTIVEVOICE;
        if (parked.far.kind == FarEnd::Leg) {
            if (SimCall* l = find(parked.far.leg)) {
                l->far = FarEnd::toLeg(call, lineIdentity(device));
                l->info.connected = lineIdentity(device);
            }
        }
        if (!setState(call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
            return;
        infoChanged(call, LINECALLINFOSTATE_CONNECTEDID);
        if (parked.far.kind == FarEnd::Leg)
            infoChanged(parked.far.leg, LINECALLINFOSTATE_CONNECTEDID);
    });
}

LONG SimulatedExchange::pickup(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address,
                               const QByteArray& groupId)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (isModem(device))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (addressId != 0)
        return LONG(LINEERR_INVALADDRESSID);
    if (call == 0 || find(call))
        return LONG(LINEERR_INVALCALLHANDLE);
    // Which lines to pick up from: the one named by its extension, or the pickup group.
    QList<int> lines;
    const QByteArray ext = normalize(address.trimmed());
    const QByteArray group = groupId.trimmed();
    if (!ext.isEmpty()) {
        const int d = extensionDevice(ext);
        if (d < 0 || isModem(d) || !isDialable(address.trimmed()))
            return LONG(LINEERR_INVALADDRESS);
        lines << d;
    } else if (!group.isEmpty()) {
        if (group != "*" && group != "1")
            return LONG(LINEERR_INVALGROUPID);
        lines << (device == 0 ? 1 : 0) << device; // other lines first
    } else {
        return LONG(LINEERR_INVALADDRESS);
    }
    // The call ringing longest on the first line that has one.
    CallId target = 0;
    for (int d : lines) {
        const SimCall* best = nullptr;
        for (const auto& [id, c] : m_calls)
            if (c->device == d && c->state == LINECALLSTATE_OFFERING && (!best || c->seq < best->seq))
                best = c.get();
        if (best) {
            target = best->id;
            break;
        }
    }
    if (!target)
        return LONG(LINEERR_OPERATIONFAILED); // nothing rings there
    SimCall* n = createLeg(call, device);
    n->info.fixed.dwReason = LINECALLREASON_PICKUP;
    auto check = [this, call, target] {
        if (!find(call))
            return LONG(LINEERR_INVALCALLHANDLE);
        const SimCall* o = find(target);
        return o && o->state == LINECALLSTATE_OFFERING ? LONG(0) : LONG(LINEERR_OPERATIONFAILED);
    };
    return submit(requestId, check, [this, call, target, device] {
        SimCall* o = find(target);
        SimCall* n = find(call);
        const FarEnd far = o->far;
        n->far = far;
        n->info.caller = o->info.caller;
        n->info.called = o->info.called;
        n->info.redirecting = o->info.redirecting;
        n->info.redirection = o->info.redirection;
        n->info.connected = far.kind == FarEnd::None ? PartyId{LINECALLPARTYID_UNKNOWN, {}, {}} : far.id;
        n->info.fixed.dwOrigin = o->info.fixed.dwOrigin;
        n->info.fixed.dwMediaMode = o->info.fixed.dwMediaMode;
        n->info.fixed.dwRelatedCallID = o->info.fixed.dwRelatedCallID;
        o->far = {};
        if (far.kind == FarEnd::Leg)
            if (SimCall* l = find(far.leg))
                l->far = FarEnd::toLeg(call, lineIdentity(device));
        if (!setState(target, LINECALLSTATE_IDLE))
            return;
        if (!setState(call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
            return;
        infoChanged(call, LINECALLINFOSTATE_CONNECTEDID);
        if (far.kind == FarEnd::Leg)
            connectPeer(far.leg, device);
    });
}

// ---------------------------------------------------------------------------------------
// Consultation transfer
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::setupTransfer(DWORD requestId, CallId call, CallId consultCall, const CallParams& params)
{
    SimCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*c))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (!(features(*c) & LINECALLFEATURE_SETUPTRANSFER))
        return LONG(LINEERR_INVALCALLSTATE);
    if (consultCall == 0 || consultCall == call || find(consultCall))
        return LONG(LINEERR_INVALCALLHANDLE);
    DWORD media = 0, bearer = 0;
    if (const LONG error = checkParams(c->device, params, &media, &bearer))
        return error;
    const int device = c->device;
    const DWORD primaryCallId = c->info.fixed.dwCallID;
    SimCall* k = createOutgoing(consultCall, device, media, bearer, params);
    k->info.fixed.dwRelatedCallID = primaryCallId;
    auto check = [this, call, consultCall] {
        SimCall* c = find(call);
        if (!c || !find(consultCall))
            return LONG(LINEERR_INVALCALLHANDLE);
        return (features(*c) & LINECALLFEATURE_SETUPTRANSFER) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call, consultCall] {
        find(call)->transferPartner = consultCall;
        find(consultCall)->transferPartner = call;
        if (setState(call, LINECALLSTATE_ONHOLDPENDTRANSFER))
            startOutgoing(consultCall, true, false);
    });
}

LONG SimulatedExchange::completeTransfer(DWORD requestId, CallId call, CallId consultCall, CallId conferenceCall,
                                         DWORD transferMode)
{
    auto check = [this, call, consultCall, transferMode] {
        SimCall* c = find(call);
        SimCall* k = find(consultCall);
        if (!c || !k || call == consultCall)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (isModem(*c))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        if (transferMode != LINETRANSFERMODE_TRANSFER && transferMode != LINETRANSFERMODE_CONFERENCE)
            return LONG(LINEERR_INVALTRANSFERMODE);
        if (c->device != k->device)
            return LONG(LINEERR_INVALCONSULTCALLHANDLE);
        if (c->isConference || k->isConference || c->conference || k->conference)
            return LONG(LINEERR_INVALCALLSTATE);
        const bool primaryOk = c->state == LINECALLSTATE_ONHOLDPENDTRANSFER || c->state == LINECALLSTATE_ONHOLD ||
                               c->state == LINECALLSTATE_CONNECTED;
        const bool consultOk = k->state == LINECALLSTATE_CONNECTED || k->state == LINECALLSTATE_RINGBACK ||
                               k->state == LINECALLSTATE_ONHOLD;
        if (!primaryOk || !consultOk || c->far.kind == FarEnd::None || k->far.kind == FarEnd::None)
            return LONG(LINEERR_INVALCALLSTATE);
        return LONG(0);
    };
    if (const LONG error = check())
        return error;
    if (transferMode == LINETRANSFERMODE_CONFERENCE && conferenceCall != 0) {
        if (conferenceCall == call || conferenceCall == consultCall || find(conferenceCall))
            return LONG(LINEERR_INVALCONFCALLHANDLE);
        SimCall* f = createLeg(conferenceCall, find(call)->device);
        f->isConference = true;
    }
    return submit(requestId, check, [this, call, consultCall, conferenceCall, transferMode] {
        SimCall* c = find(call);
        SimCall* k = find(consultCall);
        const int device = c->device;
        c->transferPartner = 0;
        k->transferPartner = 0;
        if (transferMode == LINETRANSFERMODE_TRANSFER) {
            const FarEnd a = c->far;
            const FarEnd b = k->far;
            const bool bAnswered = k->state == LINECALLSTATE_CONNECTED || k->state == LINECALLSTATE_ONHOLD;
            Routing r;
            r.reason = LINECALLREASON_TRANSFER;
            r.redirected = true;
            r.redirecting = lineIdentity(device);
            c->far = {};
            k->far = {};
            localDrop(call);
            localDrop(consultCall);
            join(a, b, bAnswered, r);
            return;
        }
        // Three-way: a conference call joins both parties.
        CallId confId = conferenceCall;
        if (confId == 0) {
            confId = m_sink->newCall(DWORD(device), 0);
            if (confId == 0 || find(confId))
                return;
            createLeg(confId, device)->isConference = true;
        }
        SimCall* f = find(confId);
        if (!f)
            return;
        f->info.caller = lineIdentity(device);
        f->info.fixed.dwOrigin = LINECALLORIGIN_CONFERENCE;
        f->members = {call, consultCall};
        for (CallId m : {call, consultCall}) {
            SimCall* member = find(m);
            member->conference = confId;
            member->info.fixed.dwRelatedCallID = f->info.fixed.dwCallID;
        }
        if (!setState(confId, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
            return;
        setState(call, LINECALLSTATE_CONFERENCED);
        setState(consultCall, LINECALLSTATE_CONFERENCED);
    });
}

// ---------------------------------------------------------------------------------------
// Conference
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::setupConference(DWORD requestId, int device, CallId call, CallId conferenceCall,
                                        CallId consultCall, DWORD numParties, const CallParams& params)
{
    if (call != 0) {
        const SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        device = c->device;
    }
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (isModem(device))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (call != 0 && !(features(*find(call)) & LINECALLFEATURE_SETUPCONF))
        return LONG(LINEERR_INVALCALLSTATE);
    if (numParties > DWORD(kMaxConference))
        return LONG(LINEERR_CONFERENCEFULL);
    if (conferenceCall == 0 || find(conferenceCall) || conferenceCall == call)
        return LONG(LINEERR_INVALCONFCALLHANDLE);
    if (consultCall == 0 || find(consultCall) || consultCall == call || consultCall == conferenceCall)
        return LONG(LINEERR_INVALCALLHANDLE);
    DWORD media = 0, bearer = 0;
    if (const LONG error = checkParams(device, params, &media, &bearer))
        return error;
    SimCall* f = createLeg(conferenceCall, device);
    f->isConference = true;
    f->info.caller = lineIdentity(device);
    f->info.fixed.dwOrigin = LINECALLORIGIN_CONFERENCE;
    f->info.fixed.dwMediaMode = media;
    const DWORD confCallId = f->info.fixed.dwCallID;
    SimCall* k = createOutgoing(consultCall, device, media, bearer, params);
    k->info.fixed.dwRelatedCallID = confCallId;
    k->conference = conferenceCall;
    k->confConsult = true;
    auto check = [this, call, conferenceCall, consultCall] {
        if (!find(conferenceCall) || !find(consultCall))
            return LONG(LINEERR_INVALCALLHANDLE);
        if (call == 0)
            return LONG(0);
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        return (features(*c) & LINECALLFEATURE_SETUPCONF) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call, conferenceCall, consultCall] {
        if (call != 0) {
            SimCall* c = find(call);
            c->conference = conferenceCall;
            c->info.fixed.dwRelatedCallID = find(conferenceCall)->info.fixed.dwCallID;
            find(conferenceCall)->members = {call};
        }
        if (!setState(conferenceCall, LINECALLSTATE_ONHOLDPENDCONF))
            return;
        if (call != 0 && !setState(call, LINECALLSTATE_CONFERENCED))
            return;
        startOutgoing(consultCall, true, false);
    });
}

LONG SimulatedExchange::prepareAddToConference(DWORD requestId, CallId conferenceCall, CallId consultCall,
                                               const CallParams& params)
{
    SimCall* f = find(conferenceCall);
    if (!f)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (isModem(*f))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (!f->isConference)
        return LONG(LINEERR_INVALCONFCALLHANDLE);
    if (f->members.size() >= kMaxConference)
        return LONG(LINEERR_CONFERENCEFULL);
    if (!(features(*f) & LINECALLFEATURE_PREPAREADDCONF))
        return LONG(LINEERR_INVALCALLSTATE);
    if (consultCall == 0 || consultCall == conferenceCall || find(consultCall))
        return LONG(LINEERR_INVALCALLHANDLE);
    DWORD media = 0, bearer = 0;
    if (const LONG error = checkParams(f->device, params, &media, &bearer))
        return error;
    const DWORD confCallId = f->info.fixed.dwCallID;
    SimCall* k = createOutgoing(consultCall, f->device, media, bearer, params);
    k->info.fixed.dwRelatedCallID = confCallId;
    k->conference = conferenceCall;
    k->confConsult = true;
    auto check = [this, conferenceCall, consultCall] {
        SimCall* f = find(conferenceCall);
        SimCall* k = find(consultCall);
        if (!f || !k)
            return LONG(LINEERR_INVALCALLHANDLE);
        // The consultation call is counted as pending already.
        const bool stateOk = f->state == LINECALLSTATE_CONNECTED && f->members.size() < kMaxConference;
        return stateOk ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, conferenceCall, consultCall] {
        if (setState(conferenceCall, LINECALLSTATE_ONHOLDPENDCONF))
            startOutgoing(consultCall, true, false);
    });
}

LONG SimulatedExchange::addToConference(DWORD requestId, CallId conferenceCall, CallId consultCall)
{
    auto check = [this, conferenceCall, consultCall] {
        SimCall* f = find(conferenceCall);
        SimCall* k = find(consultCall);
        if (!f)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (isModem(*f))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        if (!f->isConference)
            return LONG(LINEERR_INVALCONFCALLHANDLE);
        if (!k)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (k->device != f->device || k->isConference || (k->conference && k->conference != conferenceCall) ||
            (k->conference == conferenceCall && !k->confConsult))
            return LONG(LINEERR_INVALCONSULTCALLHANDLE);
        if (f->members.size() >= kMaxConference)
            return LONG(LINEERR_CONFERENCEFULL);
        const bool confOk = f->state == LINECALLSTATE_ONHOLDPENDCONF || f->state == LINECALLSTATE_CONNECTED ||
                            f->state == LINECALLSTATE_ONHOLD;
        const bool consultOk = (k->state == LINECALLSTATE_CONNECTED || k->state == LINECALLSTATE_RINGBACK ||
                                k->state == LINECALLSTATE_ONHOLD) &&
                               k->far.kind != FarEnd::None;
        return confOk && consultOk ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, conferenceCall, consultCall] {
        SimCall* f = find(conferenceCall);
        SimCall* k = find(consultCall);
        if (k->transferPartner) {
            if (SimCall* p = find(k->transferPartner))
                p->transferPartner = 0;
            k->transferPartner = 0;
        }
        k->conference = conferenceCall;
        k->confConsult = false;
        k->info.fixed.dwRelatedCallID = f->info.fixed.dwCallID;
        f->members.append(consultCall);
        if (!setState(consultCall, LINECALLSTATE_CONFERENCED))
            return;
        setState(conferenceCall, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    });
}

LONG SimulatedExchange::removeFromConference(DWORD requestId, CallId call)
{
    auto check = [this, call] {
        SimCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (isModem(*c))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        return (features(*c) & LINECALLFEATURE_REMOVEFROMCONF) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return submit(requestId, check, [this, call] { localDrop(call); });
}

// ---------------------------------------------------------------------------------------
// Forwarding
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::forward(DWORD requestId, int device, bool allAddresses, DWORD addressId,
                                const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (isModem(device))
        return LONG(LINEERR_OPERATIONUNAVAIL);
    if (!allAddresses && addressId != 0)
        return LONG(LINEERR_INVALADDRESSID);
    if (forwards.size() > 4)
        return LONG(LINEERR_INVALPARAM);
    int specific = 0;
    DWORD seen = 0;
    const DWORD specificModes = LINEFORWARDMODE_UNCONDSPECIFIC | LINEFORWARDMODE_BUSYSPECIFIC |
                                LINEFORWARDMODE_NOANSWSPECIFIC;
    QList<AddressStatusData::Forward> list;
    for (const auto& f : forwards) {
        if (f.mode == 0 || (f.mode & (f.mode - 1)) != 0 || (f.mode & ~supportedForwardModes()) != 0)
            return LONG(LINEERR_INVALPARAM);
        const QByteArray dest = f.destAddress.trimmed();
        if (dest.size() > 64 || !isDialable(dest) || normalize(dest).isEmpty())
            return LONG(LINEERR_INVALADDRESS);
        if (f.mode & specificModes) {
            if (normalize(f.callerAddress.trimmed()).isEmpty() || ++specific > 2)
                return LONG(LINEERR_INVALPARAM);
        } else if (seen & f.mode) {
            return LONG(LINEERR_INVALPARAM); // the same condition twice
        }
        seen |= f.mode;
        AddressStatusData::Forward entry = f;
        entry.destAddress = dest;
        entry.callerAddress = f.callerAddress.trimmed();
        list << entry;
    }
    const DWORD rings = numRingsNoAnswer == 0 ? 3 : qBound<DWORD>(1, numRingsNoAnswer, 10);
    return submit(
        requestId, [] { return LONG(0); },
        [this, device, list, rings] {
            m_forwards[size_t(device)] = list;
            m_fwdRings[size_t(device)] = rings;
            m_sink->addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_FORWARD);
        });
}

bool SimulatedExchange::setForwarding(int device, const QByteArray& destination)
{
    if (!validLine(device) || isModem(device))
        return false;
    const QByteArray dest = destination.trimmed();
    QList<AddressStatusData::Forward> list;
    if (!dest.isEmpty()) {
        if (dest.size() > 32 || !isDialable(dest) || normalize(dest).isEmpty())
            return false;
        AddressStatusData::Forward f;
        f.mode = LINEFORWARDMODE_UNCOND;
        f.destAddress = dest;
        list << f;
    }
    m_forwards[size_t(device)] = list;
    post([this, device] { m_sink->addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_FORWARD); });
    return true;
}

} // namespace Telephony
