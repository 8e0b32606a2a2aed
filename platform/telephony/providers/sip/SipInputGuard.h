// What the SIP stack receives, checked before it parses it. The stack in use copies an
// address header (From, To, Contact, ...) through a buffer of about 1000 bytes when it
// builds a call; a longer header is cut, fails to parse again and leaves the call with
// no valid address, which crashes the stack before any report reaches the provider.
// Datagrams are therefore read through this guard (shims/DatagramShim.cpp): an address
// header past the limit has its display name shortened, and a message that stays
// oversized is dropped.
// Streams (TCP, TLS) reach this check one whole message at a time through SipStreamGuard.
// A message whose body cannot be read safely (a Transfer-Encoding, a Content-Length
// that is malformed, given twice or longer than what came, a body without a type, an
// offer the stack cannot take) never reaches the stack either: a request other than ACK
// is refused with the response that fits, anything else is dropped.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>

namespace Telephony::Sip {

class SipInputGuard {
public:
    // Longest address header line passed on, well below the stack's buffer.
    static constexpr int kMaxAddressLine = 800;
    // What a shortened display name keeps.
    static constexpr int kKeptName = 128;
    // A message this long is noted: parsing it leaves the heap much larger (see
    // takeLargeMessage).
    static constexpr int kLargeMessage = 16 * 1024;

    enum class Verdict { Pass, Rewritten, Drop, Refuse };

    // Checks one received message. Anything that is not a SIP message (media, STUN,
    // keep-alives) passes untouched; Rewritten puts the shortened message in *out,
    // Refuse the response for the sender (the message itself is dropped).
    static Verdict check(const char* data, size_t size, QByteArray* out);

    // The response refusing a request with `code` (400, 415 or 488), built from the
    // request's header block; empty for a response, an ACK, or a request lacking what a
    // response must copy.
    static QByteArray refusal(QByteArrayView message, int code);

    // How many messages were shortened or dropped so far (for tests and the log).
    static int rewrittenCount();
    static int droppedCount();
    static int refusedCount();

    // Whether a large SIP message was checked since the last call, so its memory can be
    // handed back once the stack has parsed it.
    static bool takeLargeMessage();
};

} // namespace Telephony::Sip
