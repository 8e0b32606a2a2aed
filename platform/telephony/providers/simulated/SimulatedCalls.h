// Making, offering, answering and dropping calls on the simulated exchange: an outgoing
// call's dial tone, dialling and proceeding; an offered call's rings and its caller
// giving up; a leg hung up here or at its far end.
#pragma once

#include "SimulatedRouting.h"

#include <functional>
#include <vector>

namespace Telephony::Sim {

class SimulatedSwitch;

class SimulatedCalls {
public:
    explicit SimulatedCalls(SimulatedSwitch& sw)
        : m_sw(sw)
    {
    }

    LONG makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination, bool hasDestination,
                  const CallParams& params);
    LONG dial(DWORD requestId, CallId call, const QByteArray& digits);
    LONG answer(DWORD requestId, CallId call);
    LONG drop(DWORD requestId, CallId call);

    // The line's media and bearer mode for the parameters of a new call, or an error.
    LONG checkParams(int device, const CallParams& params, DWORD* mediaMode, DWORD* bearerMode) const;
    SimCall* createOutgoing(CallId id, int device, DWORD mediaMode, DWORD bearerMode, const CallParams& params);
    // Dial tone at once; with digits to dial, dialing after the dial tone.
    void startOutgoing(CallId id, bool waitForDigits, bool complete);
    PartyId callerIdOf(const SimCall& c) const;

    CallId createOffered(int device, const FarEnd& from, const PartyId& callerId, const Routing& routing);
    void presentOffered(CallId id);
    void answerOffered(CallId id);
    // The line `answeringDevice` answered the peer's call: the peer is connected to it.
    void connectPeer(CallId peer, int answeringDevice);

    // The application hangs up (or the core releases a live call: report = false): the
    // leg goes idle, a conference takes its parties with it, the far leg is disconnected.
    void localDrop(CallId id, bool report = true);
    // The far end of a leg hung up or went away.
    void farGone(CallId id, DWORD disconnectMode);

private:
    void dialed(CallId id, int newDigits, bool explicitPartial);
    void proceed(CallId id);
    void ringOnce(CallId id);
    std::vector<std::function<void()>> detach(CallId id);
    void conferenceMemberLeft(CallId conference);

    SimulatedSwitch& m_sw;
};

} // namespace Telephony::Sim
