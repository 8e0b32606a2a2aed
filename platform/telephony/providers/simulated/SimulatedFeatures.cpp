#include "SimulatedFeatures.h"

#include "SimulatedCalls.h"
#include "SimulatedCaps.h"
#include "SimulatedRouting.h"
#include "SimulatedSwitch.h"

namespace Telephony::Sim {

namespace {

constexpr qsizetype kMaxOrbitLength = 32;
constexpr qsizetype kMaxForwardLength = 64;
constexpr qsizetype kMaxControlForwardLength = 32;

bool isHeld(DWORD s)
{
    return s == LINECALLSTATE_ONHOLD || s == LINECALLSTATE_ONHOLDPENDTRANSFER || s == LINECALLSTATE_ONHOLDPENDCONF;
}

// A destination for transfer and redirect: an address that leads somewhere.
LONG checkDestination(const QByteArray& destination, Target* target)
{
    const QByteArray text = destination.trimmed();
    if (text.isEmpty() || checkAddress(text) != 0)
        return LONG(LINEERR_INVALADDRESS);
    const QByteArray number = normalize(text);
    if (number.isEmpty())
        return LONG(LINEERR_INVALADDRESS);
    *target = resolve(number);
    return target->kind == Target::Bad ? LONG(LINEERR_INVALADDRESS) : LONG(0);
}

// A forwarding destination: an address with digits, no longer than the list holds.
bool isForwardDestination(const QByteArray& trimmed, qsizetype maxLength)
{
    return checkAddress(trimmed) == 0 && trimmed.size() <= maxLength && !normalize(trimmed).isEmpty();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Hold
// ---------------------------------------------------------------------------------------

LONG SimulatedFeatures::hold(DWORD requestId, CallId call)
{
    return m_sw.callRequest(
        requestId, call, OnModem::Refused, [this](const SimCall& c) { return m_sw.needs(c, LINECALLFEATURE_HOLD); },
        [this](SimCall& c) { m_sw.setState(c.id, LINECALLSTATE_ONHOLD); });
}

LONG SimulatedFeatures::unhold(DWORD requestId, CallId call)
{
    return m_sw.callRequest(
        requestId, call, OnModem::Refused, [this](const SimCall& c) { return m_sw.needs(c, LINECALLFEATURE_UNHOLD); },
        [this](SimCall& c) { m_sw.setState(c.id, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE); });
}

LONG SimulatedFeatures::swapHold(DWORD requestId, CallId activeCall, CallId heldCall)
{
    auto check = [this, activeCall, heldCall](const SimCall& a) {
        const SimCall* h = m_sw.find(heldCall);
        if (!h || activeCall == heldCall)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (SimulatedSwitch::isModem(a))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        if (a.device != h->device || a.state != LINECALLSTATE_CONNECTED || !isHeld(h->state))
            return LONG(LINEERR_INVALCALLSTATE);
        return LONG(0);
    };
    return m_sw.callRequest(requestId, activeCall, OnModem::Allowed, check, [this, heldCall](SimCall& a) {
        if (m_sw.setState(a.id, LINECALLSTATE_ONHOLD))
            m_sw.setState(heldCall, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    });
}

// ---------------------------------------------------------------------------------------
// Blind transfer and redirect
// ---------------------------------------------------------------------------------------

LONG SimulatedFeatures::blindTransfer(DWORD requestId, CallId call, const QByteArray& destination)
{
    Target target;
    const LONG destinationError = checkDestination(destination, &target);
    auto check = [this, destinationError](const SimCall& c) {
        if (destinationError)
            return destinationError;
        return (m_sw.callFeatures(c) & LINECALLFEATURE_BLINDTRANSFER) && c.far.kind != FarEnd::None
                   ? LONG(0)
                   : LONG(LINEERR_INVALCALLSTATE);
    };
    return m_sw.callRequest(requestId, call, OnModem::Refused, check, [this, target](SimCall& c) {
        sendOn(c, target, LINECALLREASON_TRANSFER, 0);
    });
}

LONG SimulatedFeatures::redirect(DWORD requestId, CallId call, const QByteArray& destination)
{
    Target target;
    const LONG destinationError = checkDestination(destination, &target);
    auto check = [this, destinationError, target](const SimCall& c) {
        if (destinationError)
            return destinationError;
        if (target.kind == Target::Line && target.device == c.device)
            return LONG(LINEERR_INVALADDRESS); // redirecting a call to where it already rings
        return m_sw.needs(c, LINECALLFEATURE_REDIRECT);
    };
    return m_sw.callRequest(requestId, call, OnModem::Refused, check, [this, target](SimCall& c) {
        sendOn(c, target, LINECALLREASON_REDIRECT, c.hops + 1);
    });
}

void SimulatedFeatures::sendOn(SimCall& c, const Target& target, DWORD reason, int hops)
{
    const FarEnd far = c.far;
    Routing r;
    r.reason = reason;
    r.redirected = true;
    r.redirecting = lineIdentity(c.device);
    r.hops = hops;
    r.mediaMode = c.info.fixed.dwMediaMode;
    c.far = {};
    if (far.kind == FarEnd::Leg)
        if (SimCall* l = m_sw.find(far.leg))
            l->far = {};
    m_sw.calls().localDrop(c.id);
    if (far.kind == FarEnd::Leg)
        m_sw.routing().routeLeg(far.leg, target, r);
    else
        m_sw.routing().routeOutside(far, target, r);
}

// ---------------------------------------------------------------------------------------
// Park, unpark, pickup
// ---------------------------------------------------------------------------------------

void SimulatedFeatures::leaveOrbits(CallId leg)
{
    for (auto it = m_orbits.begin(); it != m_orbits.end();) {
        const bool parkedHere = it->second.far.kind == FarEnd::Leg && it->second.far.leg == leg;
        const bool parkingFrom = it->second.pending && it->second.from == leg;
        it = parkedHere || parkingFrom ? m_orbits.erase(it) : std::next(it);
    }
}

LONG SimulatedFeatures::park(DWORD requestId, CallId call, DWORD parkMode, const QByteArray& directedAddress,
                             QByteArray* nonDirectedAddress)
{
    auto parkable = [this](const SimCall& c) {
        return (m_sw.callFeatures(c) & LINECALLFEATURE_PARK) && c.far.kind != FarEnd::None
                   ? LONG(0)
                   : LONG(LINEERR_INVALCALLSTATE);
    };
    if (const LONG error = m_sw.checkCall(call, OnModem::Refused, parkable))
        return error;
    QByteArray orbit;
    if (parkMode == LINEPARKMODE_DIRECTED) {
        const QByteArray text = directedAddress.trimmed();
        if (checkAddress(text) != 0 || text.size() > kMaxOrbitLength)
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
    // The reservation is checked with the call when the reply is due, and freed when
    // the request fails.
    auto check = [this, call, orbit, parkable] {
        const SimCall* c = m_sw.find(call);
        const auto it = m_orbits.find(orbit);
        const bool reserved = it != m_orbits.end() && it->second.pending && it->second.from == call;
        const LONG result = !c || !reserved ? LONG(LINEERR_INVALCALLHANDLE) : parkable(*c);
        if (result != 0 && reserved)
            m_orbits.erase(it); // the orbit is free again
        return result;
    };
    // The first check may not fail here: the call was checked above.
    return m_sw.submit(requestId, check, [this, call, orbit] {
        SimCall* c = m_sw.find(call);
        Parked& parked = m_orbits[orbit];
        parked.far = c->far;
        parked.pending = false;
        parked.from = 0;
        parked.caller = c->info.caller;
        parked.called = c->info.called;
        parked.origin = c->info.fixed.dwOrigin;
        parked.mediaMode = c->info.fixed.dwMediaMode;
        if (parked.far.kind == FarEnd::Leg)
            if (SimCall* l = m_sw.find(parked.far.leg))
                l->far = {}; // the parked party waits in the orbit, still connected
        c->far = {};
        m_sw.calls().localDrop(call);
    });
}

LONG SimulatedFeatures::unpark(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address)
{
    if (const LONG error = m_sw.checkLine(device, OnModem::Refused, addressId))
        return error;
    if (call == 0 || m_sw.find(call))
        return LONG(LINEERR_INVALCALLHANDLE);
    const QByteArray text = address.trimmed();
    if (checkAddress(text) != 0 || text.size() > kMaxOrbitLength)
        return LONG(LINEERR_INVALADDRESS);
    const QByteArray orbit = normalize(text);
    const auto it = m_orbits.find(orbit);
    if (orbit.isEmpty() || it == m_orbits.end() || it->second.pending)
        return LONG(LINEERR_INVALADDRESS);
    SimCall* n = m_sw.createLeg(call, device);
    n->info.fixed.dwReason = LINECALLREASON_UNPARK;
    auto check = [this, call, orbit] {
        if (!m_sw.find(call))
            return LONG(LINEERR_INVALCALLHANDLE);
        const auto it = m_orbits.find(orbit);
        return it == m_orbits.end() || it->second.pending ? LONG(LINEERR_INVALADDRESS) : LONG(0);
    };
    return m_sw.submit(requestId, check, [this, call, orbit, device] {
        const auto it = m_orbits.find(orbit);
        const Parked parked = it->second;
        m_orbits.erase(it);
        SimCall* n = m_sw.find(call);
        n->far = parked.far;
        n->info.caller = parked.caller;
        n->info.called = parked.called;
        n->info.connected = parked.far.id;
        n->info.fixed.dwOrigin = parked.origin;
        n->info.fixed.dwMediaMode = parked.mediaMode ? parked.mediaMode : LINEMEDIAMODE_INTERACTIVEVOICE;
        if (parked.far.kind == FarEnd::Leg) {
            if (SimCall* l = m_sw.find(parked.far.leg)) {
                l->far = FarEnd::toLeg(call, lineIdentity(device));
                l->info.connected = lineIdentity(device);
            }
        }
        if (!m_sw.setState(call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
            return;
        m_sw.infoChanged(call, LINECALLINFOSTATE_CONNECTEDID);
        if (parked.far.kind == FarEnd::Leg)
            m_sw.infoChanged(parked.far.leg, LINECALLINFOSTATE_CONNECTEDID);
    });
}

LONG SimulatedFeatures::pickup(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address,
                               const QByteArray& groupId)
{
    if (const LONG error = m_sw.checkLine(device, OnModem::Refused, addressId))
        return error;
    if (call == 0 || m_sw.find(call))
        return LONG(LINEERR_INVALCALLHANDLE);
    // Which lines to pick up from: the one named by its extension, or the pickup group.
    QList<int> lines;
    const QByteArray ext = normalize(address.trimmed());
    const QByteArray group = groupId.trimmed();
    if (!ext.isEmpty()) {
        const int d = extensionDevice(ext);
        if (d < 0 || SimulatedSwitch::isModem(d) || checkAddress(address) != 0)
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
        for (const auto& [id, c] : m_sw.legs())
            if (c->device == d && c->state == LINECALLSTATE_OFFERING && (!best || c->seq < best->seq))
                best = c.get();
        if (best) {
            target = best->id;
            break;
        }
    }
    if (!target)
        return LONG(LINEERR_OPERATIONFAILED); // nothing rings there
    SimCall* n = m_sw.createLeg(call, device);
    n->info.fixed.dwReason = LINECALLREASON_PICKUP;
    auto check = [this, call, target] {
        if (!m_sw.find(call))
            return LONG(LINEERR_INVALCALLHANDLE);
        const SimCall* o = m_sw.find(target);
        return o && o->state == LINECALLSTATE_OFFERING ? LONG(0) : LONG(LINEERR_OPERATIONFAILED);
    };
    return m_sw.submit(requestId, check, [this, call, target, device] {
        SimCall* o = m_sw.find(target);
        SimCall* n = m_sw.find(call);
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
            if (SimCall* l = m_sw.find(far.leg))
                l->far = FarEnd::toLeg(call, lineIdentity(device));
        // The owner may free the picked-up call as it goes idle; the new call goes on.
        m_sw.setState(target, LINECALLSTATE_IDLE);
        if (!m_sw.setState(call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
            return;
        m_sw.infoChanged(call, LINECALLINFOSTATE_CONNECTEDID);
        if (far.kind == FarEnd::Leg)
            m_sw.calls().connectPeer(far.leg, device);
    });
}

// ---------------------------------------------------------------------------------------
// Forwarding
// ---------------------------------------------------------------------------------------

LONG SimulatedFeatures::forward(DWORD requestId, int device, bool allAddresses, DWORD addressId,
                                const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer)
{
    if (const LONG error = m_sw.checkLine(device, OnModem::Refused, allAddresses ? 0 : addressId))
        return error;
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
        if (!isForwardDestination(dest, kMaxForwardLength))
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
    return m_sw.submit(
        requestId, [] { return LONG(0); },
        [this, device, list, rings] {
            m_sw.line(device).forwards = list;
            m_sw.line(device).forwardRings = rings;
            m_sw.sink().addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_FORWARD);
        });
}

bool SimulatedFeatures::setForwarding(int device, const QByteArray& destination)
{
    if (!m_sw.validLine(device) || SimulatedSwitch::isModem(device))
        return false;
    const QByteArray dest = destination.trimmed();
    QList<AddressStatusData::Forward> list;
    if (!dest.isEmpty()) {
        if (!isForwardDestination(dest, kMaxControlForwardLength))
            return false;
        AddressStatusData::Forward f;
        f.mode = LINEFORWARDMODE_UNCOND;
        f.destAddress = dest;
        list << f;
    }
    m_sw.line(device).forwards = list;
    m_sw.post([this, device] { m_sw.sink().addressStateChanged(DWORD(device), 0, LINEADDRESSSTATE_FORWARD); });
    return true;
}

} // namespace Telephony::Sim
