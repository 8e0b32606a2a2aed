// A party leaving the stack's conference has the stack print its call's Contact, which a
// call without a registrar does not have (the stack leaves it to the transport): the
// stack's address printer is then handed no address and crashes. This definition is
// found before the stack's own and prints a harmless address for none. The stack ships
// no header for it; SipShimChecks.cmake ties it to the library's ABI version instead.

#include "SipShims.h"

#include <atomic>

#include <bctoolbox/port.h>

namespace {

std::atomic<int> g_addressPrinterCalls{0};

} // namespace

int Telephony::Sip::Shims::addressPrinterShimCalls() { return g_addressPrinterCalls.load(std::memory_order_relaxed); }

extern "C" __attribute__((visibility("default"))) char* sal_address_as_string(const void* address)
{
    g_addressPrinterCalls.fetch_add(1, std::memory_order_relaxed);
    using Print = char* (*)(const void*);
    static const Print real = Telephony::Sip::Shims::nextDefinition<Print>("sal_address_as_string");
    if (!address || !real)
        return bctbx_strdup("sip:unknown@invalid");
    return real(address);
}
