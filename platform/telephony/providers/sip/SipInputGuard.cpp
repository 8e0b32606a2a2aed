#include "SipInputGuard.h"

#include <QByteArrayView>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include <bctoolbox/port.h>
#include <dlfcn.h>
#include <sys/socket.h>

namespace Telephony::Sip {

namespace {

std::atomic<int> g_rewritten{0};
std::atomic<int> g_dropped{0};

bool isAddressHeader(QByteArrayView name)
{
    static const char* const names[] = {"from", "f", "to", "t", "contact", "m", "p-asserted-identity",
                                        "p-preferred-identity", "refer-to", "r", "referred-by", "b",
                                        "reply-to", "diversion", "remote-party-id"};
    const QByteArray lower = name.trimmed().toByteArray().toLower();
    for (const char* n : names)
        if (lower == n)
            return true;
    return false;
}

// A request line starts with a method in capitals, a response with the version.
bool looksLikeSip(const char* data, size_t size)
{
    if (size >= 8 && std::memcmp(data, "SIP/2.0 ", 8) == 0)
        return true;
    size_t i = 0;
    while (i < size && i < 32 && data[i] >= 'A' && data[i] <= 'Z')
        ++i;
    return i > 0 && i < size && data[i] == ' ';
}

// Cuts n bytes of a name without splitting a UTF-8 sequence or leaving a lone escape.
QByteArray keptName(QByteArrayView name)
{
    qsizetype n = qMin<qsizetype>(name.size(), SipInputGuard::kKeptName);
    while (n > 0 && n < name.size() && (uchar(name[n]) & 0xC0) == 0x80)
        --n;
    qsizetype slashes = 0;
    while (slashes < n && name[n - 1 - slashes] == '\\')
        ++slashes;
    if (slashes % 2)
        --n;
    return name.first(n).toByteArray();
}

// The header line with its display name shortened; unchanged when it has none.
QByteArray shortened(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    qsizetype start = colon + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    const QByteArrayView head = line.first(start);
    const QByteArrayView value = line.sliced(start);
    if (value.startsWith('"')) {
        qsizetype i = 1;
        while (i < value.size() && value[i] != '"')
            i += value[i] == '\\' ? 2 : 1;
        if (i >= value.size())
            return line.toByteArray();
        return head.toByteArray() + '"' + keptName(value.sliced(1, i - 1)) + value.sliced(i).toByteArray();
    }
    const qsizetype angle = value.indexOf('<');
    if (angle <= 0)
        return line.toByteArray();
    return head.toByteArray() + keptName(value.first(angle)).trimmed() + ' ' + value.sliced(angle).toByteArray();
}

} // namespace

SipInputGuard::Verdict SipInputGuard::check(const char* data, size_t size, QByteArray* out)
{
    if (!data || !looksLikeSip(data, size))
        return Verdict::Pass;
    const QByteArrayView message(data, qsizetype(size));
    QByteArray result;
    bool changed = false;
    bool previousIsAddress = false;
    qsizetype pos = 0;
    bool first = true;
    while (pos < message.size()) {
        qsizetype end = message.indexOf('\n', pos);
        end = end < 0 ? message.size() : end + 1;
        const QByteArrayView line = message.sliced(pos, end - pos);
        QByteArrayView bare = line;
        while (!bare.isEmpty() && (bare.back() == '\n' || bare.back() == '\r'))
            bare.chop(1);
        if (bare.isEmpty() && !first) {
            // The body follows: it is not the stack's header parser's business.
            if (!changed)
                return Verdict::Pass;
            result += message.sliced(pos);
            break;
        }
        QByteArray kept = line.toByteArray();
        if (!first) {
            const bool continuation = bare.startsWith(' ') || bare.startsWith('\t');
            const bool address = continuation ? previousIsAddress
                                              : (bare.indexOf(':') > 0 && isAddressHeader(bare.first(bare.indexOf(':'))));
            if (address && bare.size() > kMaxAddressLine) {
                const QByteArray shorter = continuation ? QByteArray() : shortened(bare);
                if (shorter.isEmpty() || shorter.size() > kMaxAddressLine) {
                    ++g_dropped;
                    return Verdict::Drop;
                }
                kept = shorter + line.sliced(bare.size()).toByteArray();
                changed = true;
            }
            previousIsAddress = address;
        }
        first = false;
        result += kept;
        pos = end;
    }
    if (!changed)
        return Verdict::Pass;
    ++g_rewritten;
    *out = result;
    return Verdict::Rewritten;
}

int SipInputGuard::rewrittenCount() { return g_rewritten.load(); }

int SipInputGuard::droppedCount() { return g_dropped.load(); }

} // namespace Telephony::Sip

// ---------------------------------------------------------------------------------------
// The stack reads its datagrams through its toolbox's bctbx_recvfrom; this definition is
// found before the toolbox's own and hands the stack checked messages. A rewritten
// message waits per socket, since the stack peeks at a datagram before it reads it.
// ---------------------------------------------------------------------------------------

namespace {

using RecvFrom = ssize_t (*)(bctbx_socket_t, void*, size_t, int, struct sockaddr*, socklen_t*);

struct Waiting {
    QByteArray data;
    sockaddr_storage from{};
    socklen_t fromSize = 0;
};

std::mutex g_waitingLock;
std::unordered_map<int, Waiting> g_waiting;

RecvFrom realRecvFrom()
{
    static const RecvFrom real = reinterpret_cast<RecvFrom>(dlsym(RTLD_NEXT, "bctbx_recvfrom"));
    return real;
}

ssize_t handOver(const Waiting& w, void* buffer, size_t length, struct sockaddr* address, socklen_t* addressLen)
{
    const size_t n = qMin(length, size_t(w.data.size()));
    std::memcpy(buffer, w.data.constData(), n);
    if (address && addressLen) {
        const socklen_t copied = qMin(*addressLen, w.fromSize);
        std::memcpy(address, &w.from, copied);
        *addressLen = w.fromSize;
    }
    return ssize_t(n);
}

} // namespace

extern "C" __attribute__((visibility("default"))) ssize_t bctbx_recvfrom(bctbx_socket_t socket, void* buffer,
                                                                        size_t length, int flags,
                                                                        struct sockaddr* address,
                                                                        socklen_t* addressLen)
{
    using Telephony::Sip::SipInputGuard;
    const RecvFrom real = realRecvFrom();
    if (!real) {
        errno = ENOSYS;
        return -1;
    }
    const bool peek = (flags & MSG_PEEK) != 0;
    {
        std::lock_guard<std::mutex> lock(g_waitingLock);
        const auto it = g_waiting.find(socket);
        if (it != g_waiting.end()) {
            const ssize_t n = handOver(it->second, buffer, length, address, addressLen);
            if (!peek)
                g_waiting.erase(it);
            return n;
        }
    }
    for (;;) {
        const ssize_t n = real(socket, buffer, length, flags, address, addressLen);
        if (n <= 0)
            return n;
        QByteArray rewritten;
        auto verdict = SipInputGuard::check(static_cast<const char*>(buffer), size_t(n), &rewritten);
        if (verdict == SipInputGuard::Verdict::Pass)
            return n;
        // Take the datagram off the socket whole, whatever the caller's buffer held.
        Waiting w;
        if (peek) {
            QByteArray whole(65536, Qt::Uninitialized);
            w.fromSize = sizeof(w.from);
            const ssize_t got = real(socket, whole.data(), size_t(whole.size()), flags & ~MSG_PEEK,
                                     reinterpret_cast<struct sockaddr*>(&w.from), &w.fromSize);
            if (got <= 0)
                return got;
            whole.truncate(got);
            verdict = SipInputGuard::check(whole.constData(), size_t(got), &rewritten);
            if (verdict == SipInputGuard::Verdict::Pass)
                rewritten = whole;
        } else if (address && addressLen) {
            w.fromSize = qMin<socklen_t>(*addressLen, sizeof(w.from));
            std::memcpy(&w.from, address, w.fromSize);
        }
        if (verdict == SipInputGuard::Verdict::Drop) {
            // Nothing of it reaches the stack; the next datagram, if any, is read instead.
            flags |= MSG_DONTWAIT;
            continue;
        }
        w.data = rewritten;
        const ssize_t handed = handOver(w, buffer, length, address, addressLen);
        if (peek) {
            std::lock_guard<std::mutex> lock(g_waitingLock);
            g_waiting[socket] = std::move(w);
        }
        return handed;
    }
}
