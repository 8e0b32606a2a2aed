// The SIP stack's own functions that the provider's module replaces. Each definition
// below has the name of a function of the stack's libraries; the module exports it (see
// SipProviderModule.map), so the stack binds to it instead of its own, and the shim calls
// the stack's definition found after it (dlsym RTLD_NEXT):
//
//   bctbx_recvfrom         DatagramShim.cpp    datagrams pass the input guard (SipInputGuard)
//   bctbx_recv             StreamShims.cpp     TCP bytes pass the stream guard (SipStreamGuard)
//   bctbx_ssl_read         StreamShims.cpp     TLS plaintext of SIP passes the stream guard
//   bctbx_ssl_write        StreamShims.cpp     marks TLS calls, so their records skip the TCP guard
//   bctbx_ssl_handshake    StreamShims.cpp     the same, for the handshake's records
//   bctbx_ssl_context_free StreamShims.cpp     forgets the guard's state of a TLS connection
//   sal_address_as_string  AddressPrinterShim.cpp  no crash printing a call without a Contact
//
// StreamShims.cpp also looks up belle_sip_stack_new, only to tell the SIP stack's TLS
// calls from the media engine's DTLS. A shim written for one version of the stack may not
// fit the next: configuration checks each against the installed headers
// (SipShimChecks.cmake), and a test drives SIP traffic and checks that every shim was
// entered (the counts here, shown by the provider's "lines" control command).
#pragma once

#include <dlfcn.h>

namespace Telephony::Sip::Shims {

struct ShimInfo {
    const char* function; // the stack's function it replaces
    const char* guards;   // what goes wrong without it
    int (*calls)();       // how often the stack called it in this process
};

// Every shim; the table refers to each shim's file, so linking the table links them all.
const ShimInfo* shims();
int shimCount();

// Whether the library that defines belle_sip_stack_new was found.
bool stackLibraryFound();

// The definition of `name` after the module's own: the stack's.
template <typename F>
F nextDefinition(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Calls per shim, kept by each shim's file.
int datagramShimCalls();
int recvShimCalls();
int sslReadShimCalls();
int sslWriteShimCalls();
int sslHandshakeShimCalls();
int sslFreeShimCalls();
int addressPrinterShimCalls();

} // namespace Telephony::Sip::Shims
