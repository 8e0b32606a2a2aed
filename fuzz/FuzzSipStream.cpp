// The SIP stream guard on a TCP or TLS connection from anyone: the input's first bytes
// say how the connection's bytes arrive in pieces and how much the stack asks for at a
// time. Nothing may crash, and the stack never gets more than it asked for nor more than
// came.

#include <SipInputGuard.h>
#include <SipStreamGuard.h>

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using Telephony::Sip::SipInputGuard;
using Telephony::Sip::SipStreamGuard;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t piece = size_t(data[0]) * 16 + 1;
    const size_t asked = size_t(data[1]) * 256 + 1;
    const char* stream = reinterpret_cast<const char*>(data + 2);
    const size_t length = size - 2;

    SipStreamGuard guard;
    size_t offered = 0;
    const SipStreamGuard::Source source = [&](char* buffer, size_t room) -> ssize_t {
        const size_t n = std::min({room, piece, length - offered});
        std::memcpy(buffer, stream + offered, n);
        offered += n;
        return ssize_t(n);
    };
    QByteArray taken;
    QByteArray buffer(qsizetype(asked), '\0');
    // Every read either takes bytes from the source or hands some over; a bound keeps a
    // guard that does neither from looping for ever.
    for (int reads = 0; reads < 100000; ++reads) {
        bool pending = false;
        const ssize_t n = guard.read(1, 1, buffer.data(), asked, source, &pending);
        if (n < 0)
            break; // the connection is closed as hostile
        if (size_t(n) > asked)
            std::abort();
        if (n == 0 && !pending)
            break;
        taken.append(buffer.constData(), n);
        if (n == 0 && offered == length)
            break;
    }
    if (size_t(taken.size()) > length)
        std::abort();
    guard.forget(1);
    return 0;
}
