// The simulated exchange's call features on one call: hold and swap hold, blind
// transfer and redirect, parking in an orbit and taking a call back out of it, picking
// up a call that rings elsewhere, and forwarding a line.
#pragma once

#include "SimulatedCall.h"

#include <map>

namespace Telephony::Sim {

class SimulatedSwitch;

class SimulatedFeatures {
public:
    explicit SimulatedFeatures(SimulatedSwitch& sw)
        : m_sw(sw)
    {
    }

    LONG hold(DWORD requestId, CallId call);
    LONG unhold(DWORD requestId, CallId call);
    // The active call goes on hold, the held one becomes the active call; a transfer or
    // conference the two belong to stays set up.
    LONG swapHold(DWORD requestId, CallId activeCall, CallId heldCall);
    LONG blindTransfer(DWORD requestId, CallId call, const QByteArray& destination);
    LONG redirect(DWORD requestId, CallId call, const QByteArray& destination);
    LONG park(DWORD requestId, CallId call, DWORD parkMode, const QByteArray& directedAddress,
              QByteArray* nonDirectedAddress);
    LONG unpark(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address);
    LONG pickup(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address,
                const QByteArray& groupId);
    LONG forward(DWORD requestId, int device, bool allAddresses, DWORD addressId,
                 const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer);
    // Unconditional forwarding set from the control interface; empty = off.
    bool setForwarding(int device, const QByteArray& destination);

    // A leg going away takes its parked party, or its pending reservation, with it.
    void leaveOrbits(CallId leg);

private:
    struct Parked {
        FarEnd far;
        CallId from = 0; // the parking call, while the request is pending
        bool pending = true;
        PartyId caller;
        PartyId called;
        DWORD origin = 0;
        DWORD mediaMode = 0;
    };

    // Blind transfer and redirect: the call goes idle, its far end is routed on.
    void sendOn(SimCall& c, const Target& target, DWORD reason, int hops);
    // What is parked or reserved at an orbit number, by the normalised number.
    std::map<QByteArray, Parked> m_orbits;

    SimulatedSwitch& m_sw;
};

} // namespace Telephony::Sim
