// Where the simulated exchange sends a call: to one of its lines (ringing there, or
// forwarded on), to a party of the number plan (which then does its thing), or nowhere;
// and how the far ends of a completed transfer are joined.
#pragma once

#include "../../TapiConstants.h"
#include "SimulatedCall.h"

namespace Telephony::Sim {

class SimulatedSwitch;

// Why and how a call reaches where it is routed.
struct Routing {
    DWORD reason = LINECALLREASON_DIRECT;
    bool redirected = false;
    PartyId redirecting;
    int hops = 0;
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
};

enum class ForwardCondition { Unconditional, Busy, NoAnswer };

// Forwarding and redirection give up after this many hops, against loops.
inline constexpr int kMaxHops = 5;

class SimulatedRouting {
public:
    explicit SimulatedRouting(SimulatedSwitch& sw)
        : m_sw(sw)
    {
    }

    // A leg of the exchange (its caller's side) is routed to a target: it rings there,
    // hears the party's progress, or fails.
    void routeLeg(CallId id, const Target& target, const Routing& routing);
    void routeLegToParty(CallId id, const Party& party, const Routing& routing);
    // An outside party (whose call left one of our legs) is routed on: only another line
    // of the exchange sees anything of it.
    void routeOutside(const FarEnd& from, const Target& target, const Routing& routing);
    // A number-plan party answers the leg ringing it, and then does its thing.
    void partyAnswers(CallId id);

    const AddressStatusData::Forward* forwardFor(int device, ForwardCondition condition, const FarEnd& from) const;
    bool forwardIfNeeded(int device, ForwardCondition condition, const FarEnd& from, const Routing& routing);

    // Joins two far ends (a completed transfer).
    void join(const FarEnd& a, const FarEnd& b, bool bAnswered, const Routing& routing);

private:
    SimulatedSwitch& m_sw;
};

} // namespace Telephony::Sim
