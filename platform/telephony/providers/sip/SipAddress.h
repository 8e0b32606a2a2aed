// SIP addresses as this provider reads them, without the SIP stack: what an account's
// identity names, what a line may dial, and the caller and called IDs shown for a call.
// Everything that comes from the network is bounded and made visible here, so a hostile
// display name can neither flood nor steer a trace.
#pragma once

#include "../../provider/TelephonyProvider.h"

#include <QByteArray>
#include <QString>

namespace Telephony::Sip {

struct SipUri {
    bool valid = false;
    QString scheme; // "sip" or "sips"
    QString user;
    QString host;
    int port = 0;
    QString displayName;

    // Reads "sip:user@host[:port][;params]" or "Name <sip:...>"; a bare "user@host" is
    // taken as sip:user@host.
    static SipUri parse(const QString& text);
};

// Longest address a line dials and longest name or number shown for a party.
inline constexpr int kMaxAddressLength = 256;
inline constexpr int kMaxPartyText = 128;

// Whether the text is something a SIP line can dial: a SIP URI, user@host, or a user
// part alone (a number or name at the account's domain). 0 or LINEERR_INVALADDRESS.
LONG checkDialable(const QByteArray& address);

// What to put in the INVITE's Request-URI for a dialable text: a URI as it is, user@host
// with the scheme added, a user part with the account's domain (and the proxy's port
// when the account has one). Formatting characters of a telephone number are removed.
QString dialTarget(const QByteArray& address, const QString& domain);

// A party as a call shows it: the display name and "user@host" as the number. Control
// characters become visible escapes and both are cut to kMaxPartyText.
PartyId partyOf(const QString& displayName, const QString& user, const QString& host);

// The tag parameter of a From or To header ("<sip:a@b>;tag=x" -> "x"); empty when there
// is none or it holds anything but token characters.
QString headerTag(const QString& header);

// The text of a party field from the network, bounded and made visible.
QByteArray boundedVisible(const QString& text);

} // namespace Telephony::Sip
