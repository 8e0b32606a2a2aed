// The stack reads streams through its toolbox's bctbx_recv, and TLS plaintext through
// bctbx_ssl_read; these definitions are found before the toolbox's own, like the datagram
// read in DatagramShim.cpp. Inside a TLS call bctbx_recv carries records, not SIP, and
// passes untouched; the stack's plaintext is guarded per TLS context instead, forgotten
// when the context is freed.

#include "SipShims.h"

#include "../SipStreamGuard.h"

#include <QByteArray>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <type_traits>

#include <bctoolbox/crypto.h>
#include <bctoolbox/port.h>
#include <belle-sip/belle-sip.h>
#include <sys/socket.h>

namespace {

using Telephony::Sip::SipStreamGuard;
using Telephony::Sip::Shims::nextDefinition;

using Recv = ssize_t (*)(bctbx_socket_t, void*, size_t, int);
using SslRead = int32_t (*)(bctbx_ssl_context_t*, unsigned char*, size_t);
using SslWrite = int32_t (*)(bctbx_ssl_context_t*, const unsigned char*, size_t);
using SslHandshake = int32_t (*)(bctbx_ssl_context_t*);
using SslFree = void (*)(bctbx_ssl_context_t*);
using StackNew = belle_sip_stack_t* (*)(const char*);
// The stack's own declarations must still be these (SipShimChecks.cmake says so first).
static_assert(std::is_same_v<decltype(&::bctbx_recv), Recv>);
static_assert(std::is_same_v<decltype(&::bctbx_ssl_read), SslRead>);
static_assert(std::is_same_v<decltype(&::bctbx_ssl_write), SslWrite>);
static_assert(std::is_same_v<decltype(&::bctbx_ssl_handshake), SslHandshake>);
static_assert(std::is_same_v<decltype(&::bctbx_ssl_context_free), SslFree>);
static_assert(std::is_same_v<decltype(&::belle_sip_stack_new), StackNew>);

std::atomic<int> g_recvCalls{0};
std::atomic<int> g_sslReadCalls{0};
std::atomic<int> g_sslWriteCalls{0};
std::atomic<int> g_sslHandshakeCalls{0};
std::atomic<int> g_sslFreeCalls{0};

void entered(std::atomic<int>& calls) { calls.fetch_add(1, std::memory_order_relaxed); }

SipStreamGuard& tcpGuard()
{
    static SipStreamGuard guard;
    return guard;
}

SipStreamGuard& tlsGuard()
{
    static SipStreamGuard guard;
    return guard;
}

thread_local int t_insideTls = 0;

// Where the SIP stack's library is loaded, or null when it cannot be found.
const void* sipStackBase()
{
    static const void* const base = [] {
        Dl_info info{};
        void* symbol = dlsym(RTLD_NEXT, "belle_sip_stack_new");
        return symbol && dladdr(symbol, &info) ? info.dli_fbase : nullptr;
    }();
    return base;
}

// Whether code at `address` is the SIP stack's: the media engine uses the same TLS calls
// for DTLS, which carries no SIP and must pass untouched.
bool calledBySipStack(const void* address)
{
    const void* const stack = sipStackBase();
    Dl_info info{};
    return !stack || (dladdr(address, &info) && info.dli_fbase == stack);
}

struct InsideTls {
    InsideTls() { ++t_insideTls; }
    ~InsideTls() { --t_insideTls; }
};

} // namespace

namespace Telephony::Sip::Shims {

int recvShimCalls() { return g_recvCalls.load(std::memory_order_relaxed); }
int sslReadShimCalls() { return g_sslReadCalls.load(std::memory_order_relaxed); }
int sslWriteShimCalls() { return g_sslWriteCalls.load(std::memory_order_relaxed); }
int sslHandshakeShimCalls() { return g_sslHandshakeCalls.load(std::memory_order_relaxed); }
int sslFreeShimCalls() { return g_sslFreeCalls.load(std::memory_order_relaxed); }
bool stackLibraryFound() { return sipStackBase() != nullptr; }

} // namespace Telephony::Sip::Shims

extern "C" __attribute__((visibility("default"))) ssize_t bctbx_recv(bctbx_socket_t socket, void* buffer, size_t length,
                                                                    int flags)
{
    entered(g_recvCalls);
    static const Recv real = nextDefinition<Recv>("bctbx_recv");
    if (!real) {
        errno = ENOSYS;
        return -1;
    }
    if (t_insideTls > 0 || flags != 0)
        return real(socket, buffer, length, flags);
    const quint64 identity = SipStreamGuard::streamIdentity(socket);
    if (identity == 0)
        return real(socket, buffer, length, flags);
    bool pending = false;
    const ssize_t n = tcpGuard().read(
        socket, identity, static_cast<char*>(buffer), length,
        [socket](char* into, size_t size) { return real(socket, into, size, 0); }, &pending,
        [socket](const QByteArray& response) {
            ::send(socket, response.constData(), size_t(response.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
        });
    if (pending) {
        errno = EWOULDBLOCK;
        return -1;
    }
    return n;
}

extern "C" __attribute__((visibility("default"))) int32_t bctbx_ssl_read(bctbx_ssl_context_t* context,
                                                                        unsigned char* buffer, size_t length)
{
    entered(g_sslReadCalls);
    static const SslRead real = nextDefinition<SslRead>("bctbx_ssl_read");
    if (!real)
        return BCTBX_ERROR_NET_CONN_RESET;
    InsideTls inside;
    if (!calledBySipStack(__builtin_return_address(0)))
        return real(context, buffer, length);
    bool pending = false;
    static const SslWrite write = nextDefinition<SslWrite>("bctbx_ssl_write");
    const ssize_t n = tlsGuard().read(
        qintptr(context), 1, reinterpret_cast<char*>(buffer), qMin<size_t>(length, INT32_MAX),
        [context](char* into, size_t size) { return ssize_t(real(context, reinterpret_cast<unsigned char*>(into), size)); },
        &pending, [context](const QByteArray& response) {
            if (write)
                write(context, reinterpret_cast<const unsigned char*>(response.constData()), size_t(response.size()));
        });
    return pending ? BCTBX_ERROR_NET_WANT_READ : int32_t(n);
}

extern "C" __attribute__((visibility("default"))) int32_t bctbx_ssl_write(bctbx_ssl_context_t* context,
                                                                         const unsigned char* buffer, size_t length)
{
    entered(g_sslWriteCalls);
    static const SslWrite real = nextDefinition<SslWrite>("bctbx_ssl_write");
    if (!real)
        return BCTBX_ERROR_NET_CONN_RESET;
    InsideTls inside;
    return real(context, buffer, length);
}

extern "C" __attribute__((visibility("default"))) int32_t bctbx_ssl_handshake(bctbx_ssl_context_t* context)
{
    entered(g_sslHandshakeCalls);
    static const SslHandshake real = nextDefinition<SslHandshake>("bctbx_ssl_handshake");
    if (!real)
        return BCTBX_ERROR_NET_CONN_RESET;
    InsideTls inside;
    return real(context);
}

extern "C" __attribute__((visibility("default"))) void bctbx_ssl_context_free(bctbx_ssl_context_t* context)
{
    entered(g_sslFreeCalls);
    static const SslFree real = nextDefinition<SslFree>("bctbx_ssl_context_free");
    tlsGuard().forget(qintptr(context));
    if (real)
        real(context);
}
