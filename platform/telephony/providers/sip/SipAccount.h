// One SIP account as the configuration describes it, and the rules for reading it. Keys
// live in the provider's section as "account<N>.<key>" (N from 1 to kMaxAccounts), for example
// account1.identity = "sip:alice@sip.example.org". The password never sits in the
// configuration file: passwordFile names a file of its own that only its owner may read.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace Telephony::Sip {

struct SipAccount {
    enum class Transport { Udp, Tcp, Tls };
    // How digits are sent: telephone events when the call's media has them and SIP INFO
    // otherwise (Auto), always telephone events, always SIP INFO, or both.
    enum class Dtmf { Auto, Rfc4733, Info, Both };
    // Lines one provider carries; a line's stack starts only when it is needed, so an
    // unused account costs next to nothing.
    static constexpr int kMaxAccounts = 1024;
    // Calls one line takes at once: each takes media ports and a media thread of the
    // stack, and every one is mixed in software when conferenced.
    static constexpr int kMaxCalls = 64;

    int index = 0;             // N of account<N>
    QString identity;          // sip:user@domain, optionally with a display name
    QString user;              // the identity's user part
    QString domain;            // the identity's host part
    QString proxy;             // registrar and outbound proxy; empty = direct calls only
    bool registerEnabled = true;
    int expires = 600;         // seconds
    QString authUser;          // empty = the identity's user
    QString passwordFile;      // empty = no authentication
    Transport transport = Transport::Udp;
    int port = 0;              // local SIP port, 0 = any free one
    QString bindAddress;       // the address to listen on and to put in Contact/SDP
    bool srtp = false;
    QString stunServer;        // empty = no STUN
    bool ice = false;
    bool verifyTls = true;
    QString caFile;            // certificates trusted besides the system's (PEM)
    int maxCalls = 4;
    Dtmf dtmf = Dtmf::Auto;
    int mediaTimeout = 30;     // seconds without media before a call counts as lost

    // "alice@sip.example.org": what the line's name shows.
    QString shortName() const { return user + QLatin1Char('@') + domain; }
    static QString transportName(Transport transport);
};

// Reads the accounts out of the provider's settings. Unusable entries are left out and
// each reason is added to warnings (texts from the file already made visible).
QList<SipAccount> readAccounts(const QVariantMap& settings, QStringList* warnings);

// The password in the account's password file. The file must be a regular file of the
// current user with no permission for group or others; anything else is refused with a
// reason in *error, and the password is never part of that reason.
bool readPassword(const QString& path, QByteArray* password, QString* error);

// Writes a password file with mode 0600 (created so from the start, never looser).
bool writePassword(const QString& path, const QByteArray& password, QString* error);

} // namespace Telephony::Sip
