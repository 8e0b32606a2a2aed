// The stack reads its datagrams through its toolbox's bctbx_recvfrom; this definition is
// found before the toolbox's own and hands the stack checked messages. A rewritten
// message waits per socket, since the stack peeks at a datagram before it reads it.

#include "SipShims.h"

#include "../SipInputGuard.h"

#include <QByteArray>

#include <atomic>
#include <type_traits>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include <bctoolbox/port.h>
#include <sys/socket.h>

namespace {

using RecvFrom = ssize_t (*)(bctbx_socket_t, void*, size_t, int, struct sockaddr*, socklen_t*);
// The stack's own declaration must still be this one (SipShimChecks.cmake says so first).
static_assert(std::is_same_v<decltype(&::bctbx_recvfrom), RecvFrom>);

std::atomic<int> g_datagramCalls{0};

struct Waiting {
    QByteArray data;
    sockaddr_storage from{};
    socklen_t fromSize = 0;
};

std::mutex g_waitingLock;
std::unordered_map<int, Waiting> g_waiting;

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

int Telephony::Sip::Shims::datagramShimCalls() { return g_datagramCalls.load(std::memory_order_relaxed); }

extern "C" __attribute__((visibility("default"))) ssize_t bctbx_recvfrom(bctbx_socket_t socket, void* buffer,
                                                                        size_t length, int flags,
                                                                        struct sockaddr* address,
                                                                        socklen_t* addressLen)
{
    using Telephony::Sip::SipInputGuard;
    g_datagramCalls.fetch_add(1, std::memory_order_relaxed);
    static const RecvFrom real = Telephony::Sip::Shims::nextDefinition<RecvFrom>("bctbx_recvfrom");
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
        if (verdict == SipInputGuard::Verdict::Refuse && w.fromSize > 0)
            // Answered where it came from, as the stack answers a request with rport.
            ::sendto(socket, rewritten.constData(), size_t(rewritten.size()), MSG_DONTWAIT | MSG_NOSIGNAL,
                     reinterpret_cast<const struct sockaddr*>(&w.from), w.fromSize);
        if (verdict == SipInputGuard::Verdict::Drop || verdict == SipInputGuard::Verdict::Refuse) {
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
