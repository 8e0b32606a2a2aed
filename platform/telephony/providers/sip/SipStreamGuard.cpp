#include "SipStreamGuard.h"

#include "SipInputGuard.h"

#include <QByteArrayView>

#include <atomic>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>

namespace Telephony::Sip {

namespace {

std::atomic<int> g_closed{0};

// The same test the input guard makes, so every message framed here is one it checks.
bool isStartLine(QByteArrayView line)
{
    if (line.startsWith("SIP/2.0 "))
        return true;
    qsizetype i = 0;
    while (i < line.size() && i < 32 && line[i] >= 'A' && line[i] <= 'Z')
        ++i;
    return i > 0 && i < line.size() && line[i] == ' ';
}

// Notes one unfolded header line; false when it makes the framing unsafe.
bool noteHeader(QByteArrayView header, qsizetype* contentLength)
{
    const qsizetype colon = header.indexOf(':');
    if (colon <= 0)
        return true; // not a header the framing depends on; the stack rejects it itself
    const QByteArray name = header.first(colon).trimmed().toByteArray().toLower();
    if (name == "transfer-encoding")
        return false;
    if (name != "content-length" && name != "l")
        return true;
    const QByteArrayView value = header.sliced(colon + 1).trimmed();
    if (*contentLength >= 0 || value.isEmpty() || value.size() > 9)
        return false;
    for (char ch : value)
        if (ch < '0' || ch > '9')
            return false;
    *contentLength = value.toByteArray().toLongLong();
    return *contentLength <= SipStreamGuard::kMaxBody;
}

// The body size a header block (ending in the empty line) announces, or -1 when the
// block cannot be framed the way the stack will frame it.
qsizetype bodySize(QByteArrayView block)
{
    if (block.contains('\0'))
        return -1;
    const qsizetype firstEnd = block.indexOf("\r\n");
    if (!isStartLine(block.first(firstEnd)))
        return -1;
    qsizetype contentLength = -1;
    QByteArray header;
    const qsizetype last = block.size() - 2; // where the empty line starts
    qsizetype pos = firstEnd + 2;
    while (pos < last) {
        const qsizetype end = block.indexOf('\n', pos);
        QByteArrayView line = block.sliced(pos, end - pos);
        while (!line.isEmpty() && line.back() == '\r')
            line.chop(1);
        // An empty line before the last would end the headers for the input guard but
        // not for the stack, hiding the rest from the check.
        if (line.isEmpty())
            return -1;
        if (line.front() == ' ' || line.front() == '\t') {
            header += line.toByteArray();
        } else {
            if (!noteHeader(header, &contentLength))
                return -1;
            header = line.toByteArray();
        }
        pos = end + 1;
    }
    if (!noteHeader(header, &contentLength))
        return -1;
    // Without a length nothing tells where the body ends on a stream.
    return contentLength;
}

} // namespace

std::shared_ptr<SipStreamGuard::Connection> SipStreamGuard::connection(qintptr key, quint64 identity)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto& c = m_connections[key];
    if (!c || c->identity != identity) {
        c = std::make_shared<Connection>();
        c->identity = identity;
    }
    return c;
}

void SipStreamGuard::forget(qintptr key)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_connections.erase(key);
}

// Moves every whole message from in to out, checked; false when the connection is hostile.
bool SipStreamGuard::frame(Connection& c)
{
    for (;;) {
        // Keep-alives (CRLF pairs) and blank lines between messages go straight through.
        qsizetype lead = 0;
        while (lead < c.in.size() && (c.in[lead] == '\r' || c.in[lead] == '\n'))
            ++lead;
        if (lead > 0) {
            c.out += c.in.first(lead);
            c.in.remove(0, lead);
        }
        if (c.in.isEmpty())
            return true;
        if (c.in[0] < 'A' || c.in[0] > 'Z')
            return false;
        const qsizetype end = c.in.indexOf("\r\n\r\n");
        if (end < 0)
            return c.in.size() <= kMaxHeaderBlock;
        const qsizetype headerSize = end + 4;
        if (headerSize > kMaxHeaderBlock)
            return false;
        const qsizetype body = bodySize(QByteArrayView(c.in).first(headerSize));
        if (body < 0) {
            if (!c.in.first(headerSize).contains('\0'))
                c.replies += SipInputGuard::refusal(QByteArrayView(c.in).first(headerSize), 400);
            return false;
        }
        const qsizetype total = headerSize + body;
        if (c.in.size() < total)
            return true;
        QByteArray rewritten;
        switch (SipInputGuard::check(c.in.constData(), size_t(total), &rewritten)) {
        case SipInputGuard::Verdict::Pass:
            c.out += c.in.first(total);
            break;
        case SipInputGuard::Verdict::Rewritten:
            c.out += rewritten;
            break;
        case SipInputGuard::Verdict::Refuse:
            c.replies += rewritten;
            break;
        case SipInputGuard::Verdict::Drop:
            break;
        }
        c.in.remove(0, total);
    }
}

ssize_t SipStreamGuard::read(qintptr key, quint64 identity, char* buffer, size_t length, const Source& source,
                             bool* pending, const Reply& reply)
{
    *pending = false;
    if (length == 0)
        return 0;
    const auto c = connection(key, identity);
    std::lock_guard<std::mutex> lock(c->lock);
    if (c->hostile)
        return 0;
    const qsizetype asked = qsizetype(qMin<size_t>(length, 1 << 30));
    if (c->out.size() < asked) {
        // Never read more than the stack can take back now: what stayed in the source
        // keeps the connection readable, what sat here would wait for the next packet.
        const qsizetype room = qMax<qsizetype>(asked - c->out.size() - c->in.size(), 1);
        QByteArray chunk(room, Qt::Uninitialized);
        const ssize_t n = source(chunk.data(), size_t(room));
        if (n > 0) {
            c->in.append(chunk.constData(), qMin<qsizetype>(n, room));
            const bool framed = frame(*c);
            if (!c->replies.isEmpty() && reply)
                reply(c->replies);
            c->replies.clear();
            if (!framed) {
                c->hostile = true;
                c->in.clear();
                c->out.clear();
                ++g_closed;
                return 0;
            }
        } else if (c->out.isEmpty()) {
            // At the end a partial message can never be completed; an error or "no data
            // yet" is the source's own to report.
            if (n == 0)
                c->in.clear();
            return n;
        }
    }
    if (c->out.isEmpty()) {
        *pending = true;
        return -1;
    }
    const qsizetype n = qMin(asked, c->out.size());
    std::memcpy(buffer, c->out.constData(), size_t(n));
    c->out.remove(0, n);
    return ssize_t(n);
}

quint64 SipStreamGuard::streamIdentity(int descriptor)
{
    struct stat st {};
    if (::fstat(descriptor, &st) != 0 || !S_ISSOCK(st.st_mode))
        return 0;
    int type = 0;
    socklen_t size = sizeof(type);
    if (::getsockopt(descriptor, SOL_SOCKET, SO_TYPE, &type, &size) != 0 || type != SOCK_STREAM)
        return 0;
    // Each socket has an inode of its own, so a new connection on the same descriptor
    // gets a new identity.
    return quint64(st.st_ino) ^ (quint64(st.st_dev) << 48);
}

int SipStreamGuard::closedCount() { return g_closed.load(); }

} // namespace Telephony::Sip
