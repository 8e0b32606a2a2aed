// A call of a SIP line as the provider keeps it: the TAPI side (state, mode, info) and
// the SIP stack's call behind it, which may come and go before the TAPI call does.
#pragma once

#include "../../TapiConstants.h"
#include "../../provider/TelephonyProvider.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace linphone {
class Call;
class Conference;
}

namespace Telephony::Sip {

struct SipCall {
    CallId id = 0;
    int device = 0;
    std::shared_ptr<linphone::Call> call; // null before dialling and after the SIP call ended
    DWORD state = 0;
    DWORD mode = 0;
    qint64 stateMs = 0;
    CallInfoData info;
    bool outgoing = false;
    bool remoteHeld = false;
    // Consultation transfer: the held call and its consultation call name each other.
    CallId transferPartner = 0;
    // A conference is mixed by this line: the conference call has no SIP call of its own
    // and lists its members; a member, or the consultation call dialled for it
    // (confConsult), names the conference.
    bool isConference = false;
    QList<CallId> members;
    CallId conference = 0;
    bool confConsult = false;
    // The stack's mix behind a conference call. The stack keeps a mix, and every party it
    // had, until it is ended, so it is ended with the conference call.
    std::shared_ptr<linphone::Conference> mixer;
    // Digit or tone generation under way (token 0 = none); a tone plays from a file
    // through the call's player, again from the start while toneLeftMs remains.
    DWORD genToken = 0;
    bool genTone = false;
    int toneLeftMs = 0;
    QPointer<QTimer> genTimer; // owned by the provider, deleted later
};

// Whether the stack's call has ended (End, Released or Error).
bool sipCallGone(const std::shared_ptr<linphone::Call>& call);

// A call that has no part in the line any more (or never had).
inline bool ended(DWORD state)
{
    return state == 0 || state == LINECALLSTATE_IDLE || state == LINECALLSTATE_DISCONNECTED;
}

} // namespace Telephony::Sip
