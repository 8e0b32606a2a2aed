// Digits on a SIP call besides the stack's own sending: whether the call's media carries
// telephone events at all, and a digit sent as SIP INFO (application/dtmf-relay) for a
// far end whose media does not.
#pragma once

#include <memory>

namespace linphone {
class Call;
}

namespace Telephony::Sip {

class SipDigits {
public:
    // Whether a telephone-event payload was agreed for sending on the call's audio;
    // false while the call has no media running.
    static bool telephoneEvents(const std::shared_ptr<linphone::Call>& call);
    // One digit (0-9, *, #, A-D) as a SIP INFO request in the call's dialog.
    static bool sendInfo(const std::shared_ptr<linphone::Call>& call, char digit, int durationMs);
};

} // namespace Telephony::Sip
