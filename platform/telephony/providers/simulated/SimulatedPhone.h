// The exchange's one phone device, "Linkora Simulated Handset", attached to line 1 (device
// 0): handset, speakerphone and headset with hook switches, volumes and gains, and a
// keypad of twelve buttons. Holds the state; the exchange reports the changes.
#pragma once

#include "../../provider/TelephonyProvider.h"

#include <QList>
#include <QPair>

namespace Telephony::Sim {

class SimulatedPhone {
public:
    SimulatedPhone();

    const PhoneDeviceCaps& caps() const { return m_caps; }
    LONG open(DWORD privilege);
    void close();
    PhoneStatusData status() const;

    // Each returns 0 or a PHONEERR_ code and, on success, the PHONE_STATE reports to make:
    // (PHONESTATE_* item, its new value).
    using Changes = QList<QPair<DWORD, DWORD>>;
    LONG setHookSwitch(DWORD hookSwitchDevs, DWORD mode, Changes* changes);
    LONG setVolume(DWORD hookSwitchDev, DWORD volume, Changes* changes);
    LONG setGain(DWORD hookSwitchDev, DWORD gain, Changes* changes);

    // Keypad buttons: ids 0..11 are '0'..'9', '*', '#'.
    static int buttonForDigit(char digit);

private:
    PhoneDeviceCaps m_caps;
    PHONESTATUS m_status{};
    int m_opens = 0;
};

} // namespace Telephony::Sim
