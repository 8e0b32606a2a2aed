// What the simulated exchange's line devices can do: the LINEDEVCAPS and LINEADDRESSCAPS
// contents of "Linkora Simulated Line 1", "... Line 2" and the data modem.
#pragma once

#include "../../provider/TelephonyProvider.h"

namespace Telephony::Sim {

inline constexpr int kLineCount = 3;
inline constexpr int kModemDevice = 2;

// Every call state a voice line reports, and the features any of its calls can show.
DWORD voiceCallStates();
DWORD modemCallStates();
DWORD voiceCallFeatures();
DWORD voiceCallFeatures2();
DWORD voiceMediaModes();
DWORD supportedForwardModes();
DWORD supportedLineStates();
DWORD supportedAddressStates();

LineDeviceCaps buildLineCaps(int device);

} // namespace Telephony::Sim
