// What the SIP stack reads from a stream connection (TCP, or TLS once decrypted), passed
// through the input guard one whole message at a time. The stack reads in pieces that
// split messages anywhere, so each connection's bytes are gathered until a message is
// complete (its header block up to the empty line, then Content-Length bytes of body),
// checked, and only then handed over, never more per read than the stack asked for.
// Anything that cannot be framed safely (a header block past the cap, a body too large
// for the stack's buffer, a Content-Length that is missing, malformed or given twice,
// chunked bodies, NUL bytes, data that starts no message) makes the connection hostile:
// a request among them is answered 400, then the stack is told the connection closed and
// never sees the rest. A whole message the input guard refuses is answered and skipped. A connection is known by a key
// (a descriptor or a TLS context) and an identity, so a key reused for a new connection
// never gets stale bytes.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <unordered_map>

namespace Telephony::Sip {

class SipStreamGuard {
public:
    // Longest header block, the empty line included.
    static constexpr int kMaxHeaderBlock = 16 * 1024;
    // Largest body; a whole message stays well inside the stack's 64 KiB read buffer.
    static constexpr int kMaxBody = 32 * 1024;

    // Reads the connection's own bytes: a count, 0 at its end, or a negative error.
    using Source = std::function<ssize_t(char* buffer, size_t length)>;
    // Sends the guard's own responses back on the connection.
    using Reply = std::function<void(const QByteArray& response)>;

    // Fills buffer with at most length checked bytes of connection `key`. Returns how many,
    // or the source's own 0 or error. *pending is set instead when only part of a message
    // has come so far; the caller reports that as "no data yet". Bytes read from the
    // source never exceed what the stack may take back at once, so nothing complete is
    // left waiting once the source is drained, as long as a whole message fits in one
    // read (the stack reads up to 64 KiB, more than the caps allow).
    ssize_t read(qintptr key, quint64 identity, char* buffer, size_t length, const Source& source, bool* pending,
                 const Reply& reply = {});

    // Forgets a connection that closed.
    void forget(qintptr key);

    // What tells a stream socket's connection from a later one on the same descriptor;
    // 0 for anything that is not a stream socket.
    static quint64 streamIdentity(int descriptor);

    // Connections closed as hostile so far, in the whole process.
    static int closedCount();

private:
    struct Connection {
        std::mutex lock;
        quint64 identity = 0;
        QByteArray in;  // bytes not yet framed into a whole message
        QByteArray out; // checked bytes the stack has not taken yet
        QByteArray replies; // the guard's responses not sent yet
        bool hostile = false;
    };

    std::shared_ptr<Connection> connection(qintptr key, quint64 identity);
    static bool frame(Connection& c);

    std::mutex m_lock;
    std::unordered_map<qintptr, std::shared_ptr<Connection>> m_connections;
};

} // namespace Telephony::Sip
