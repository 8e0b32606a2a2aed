// Calls of more than two parties on the simulated exchange: a consultation transfer
// (set up, then completed as a transfer or as a three-way conference) and a conference
// call with up to three parties, each added through a consultation call.
#pragma once

#include "SimulatedCall.h"

#include <functional>

namespace Telephony::Sim {

class SimulatedSwitch;

inline constexpr int kMaxConference = 3;

class SimulatedConference {
public:
    explicit SimulatedConference(SimulatedSwitch& sw)
        : m_sw(sw)
    {
    }

    LONG setupTransfer(DWORD requestId, CallId call, CallId consultCall, const CallParams& params);
    // conferenceCall is 0 for the transfer mode, or when the exchange is to make one.
    LONG completeTransfer(DWORD requestId, CallId call, CallId consultCall, CallId conferenceCall,
                          DWORD transferMode);
    // call is 0 when the conference starts without an existing call.
    LONG setupConference(DWORD requestId, int device, CallId call, CallId conferenceCall, CallId consultCall,
                         DWORD numParties, const CallParams& params);
    LONG prepareAddToConference(DWORD requestId, CallId conferenceCall, CallId consultCall,
                                const CallParams& params);
    LONG addToConference(DWORD requestId, CallId conferenceCall, CallId consultCall);
    LONG removeFromConference(DWORD requestId, CallId call);

private:
    // The frame of a request that opens a consultation call beside `call`: the call passes
    // `ready`, the consultation call's id is new, the parameters suit the line.
    LONG checkConsultation(CallId call, const std::function<LONG(const SimCall&)>& ready, CallId consultCall,
                           const CallParams& params, DWORD* mediaMode, DWORD* bearerMode) const;
    // The consultation call of a conference: an outgoing call that waits for digits.
    SimCall* createConsultation(CallId consultCall, const SimCall& conference, DWORD mediaMode, DWORD bearerMode,
                                const CallParams& params);
    void joinAsTransfer(SimCall& c, SimCall& k);
    void joinAsConference(CallId call, CallId consultCall, CallId conferenceCall, int device);

    SimulatedSwitch& m_sw;
};

} // namespace Telephony::Sim
