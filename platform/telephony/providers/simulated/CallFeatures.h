// What a call of the simulated exchange can do now (LINECALLFEATURE_* and
// LINECALLFEATURE2_*), from its state and the calls it is set up with: a transfer
// partner, a conference and its pending consultation call, a held call beside it.
#pragma once

#include "SimulatedCall.h"

namespace Telephony::Sim {

class SimulatedSwitch;

class CallFeatures {
public:
    explicit CallFeatures(const SimulatedSwitch& sw)
        : m_sw(sw)
    {
    }

    DWORD of(const SimCall& c) const;
    DWORD secondOf(const SimCall& c) const;

private:
    DWORD ofModem(const SimCall& c) const;
    bool hasHeldCall(const SimCall& c) const;
    bool hasConnectedCall(const SimCall& c) const;

    const SimulatedSwitch& m_sw;
};

} // namespace Telephony::Sim
