// What the far ends of the simulated exchange and the exchange itself do when a test or
// the control interface says so: an outside caller rings, the party being rung answers,
// a far end hangs up, sends digits, tones, silence or another media mode; line and
// address events; a key of the phone is pressed. Each answers whether it could happen;
// what it causes is reported later, from the event loop.
#pragma once

#include "../../TapiConstants.h"
#include "SimulatedCall.h"

#include <QList>
#include <QPair>

namespace Telephony {

// An outside caller, as the control interface's "ring" describes it.
struct IncomingCall {
    QByteArray number;
    QByteArray name;
    DWORD flags = 0; // LINECALLPARTYID_*; 0 = derived from what is given
    DWORD mediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
};

namespace Sim {

class SimulatedPhone;
class SimulatedSwitch;

class SimulatedFarEnd {
public:
    explicit SimulatedFarEnd(SimulatedSwitch& sw)
        : m_sw(sw)
    {
    }

    // Devices are 0-based here. An outside caller rings a voice line: the new OFFERING
    // call, or 0 when the line is busy beyond its limit, not a voice line, or forwarded
    // elsewhere (then *forwardedElsewhere is set).
    CallId ring(int device, const IncomingCall& caller, bool* forwardedElsewhere = nullptr);
    bool answer(CallId call); // the party being rung answers
    bool hangUp(CallId call); // the far end hangs up (DISCONNECTED, NORMAL)
    bool sendDigits(CallId call, const QByteArray& digits);
    bool sendTone(CallId call, DWORD toneMode, int durationMs); // LINETONEMODE_*
    bool beSilent(CallId call, int ms);
    bool changeMedia(CallId call, DWORD mediaMode);
    bool signalLineState(int device, DWORD state, DWORD param2, DWORD param3);
    bool signalAddressState(int device, DWORD state);
    bool signalDevSpecific(int device, CallId call, DWORD param1, DWORD param2, DWORD param3);
    bool forceClose(int device);
    bool pressButton(char digit);
    // The person at the phone: puts a hook-switch device into a mode, turns its volume
    // or gain (0 to 0xFFFF), or the phone reports device-specific data or goes away.
    bool phoneHookSwitch(DWORD hookSwitchDev, DWORD mode);
    bool phoneLevel(bool volume, DWORD hookSwitchDev, DWORD value);
    bool phoneDevSpecific(DWORD param1, DWORD param2, DWORD param3);
    bool phoneClose();

    void setPhone(SimulatedPhone* phone) { m_phone = phone; }

private:
    // The call when it exists and is neither new nor idle.
    const SimCall* liveCall(CallId call) const;

    // Reports the changes the phone made as its PHONE_STATE messages.
    void reportPhoneChanges(const QList<QPair<DWORD, DWORD>>& changes);

    SimulatedSwitch& m_sw;
    SimulatedPhone* m_phone = nullptr;
};

} // namespace Sim

} // namespace Telephony
