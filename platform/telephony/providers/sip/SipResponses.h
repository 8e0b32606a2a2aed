// How a SIP final response ends an outgoing call: the disconnect mode the call shows.
#pragma once

#include "../../TapiStructs.h"

namespace Telephony::Sip {

// 486 -> BUSY, 404/484 -> BADADDRESS, 480/408 -> NOANSWER, 603 -> REJECT, 500 -> UNAVAIL,
// 503 -> CONGESTION and so on; anything unknown is UNKNOWN rather than a guess.
DWORD disconnectModeForResponse(int statusCode);

} // namespace Telephony::Sip
