#include "SipShims.h"

namespace Telephony::Sip::Shims {

namespace {

constexpr ShimInfo kShims[] = {
    {"bctbx_recvfrom", "datagrams reach the stack unchecked", &datagramShimCalls},
    {"bctbx_recv", "TCP messages reach the stack unchecked", &recvShimCalls},
    {"bctbx_ssl_read", "TLS messages reach the stack unchecked", &sslReadShimCalls},
    {"bctbx_ssl_write", "TLS records are taken for TCP messages", &sslWriteShimCalls},
    {"bctbx_ssl_handshake", "TLS handshakes are taken for TCP messages", &sslHandshakeShimCalls},
    {"bctbx_ssl_context_free", "a new TLS connection may get an old one's bytes", &sslFreeShimCalls},
    {"sal_address_as_string", "a party leaving a conference crashes the stack", &addressPrinterShimCalls},
};

} // namespace

const ShimInfo* shims() { return kShims; }

int shimCount() { return int(sizeof(kShims) / sizeof(kShims[0])); }

} // namespace Telephony::Sip::Shims
