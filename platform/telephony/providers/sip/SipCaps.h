// What a SIP line can do, as its device and address capabilities say it. Park, pickup,
// forwarding by the server and conferences are not offered, so the line control sees
// that before it tries.
#pragma once

#include "SipAccount.h"

#include "../../provider/TelephonyProvider.h"

namespace Telephony::Sip {

LineDeviceCaps buildLineCaps(int device, const SipAccount& account);

} // namespace Telephony::Sip
