// The SIP input guard on datagrams from anyone who can reach a line's port. Nothing may
// crash; a shortened message is no longer than what came and still passes the guard; a
// refusal is a whole SIP response.

#include <SipInputGuard.h>

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

using Telephony::Sip::SipInputGuard;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray out;
    const auto verdict = SipInputGuard::check(reinterpret_cast<const char*>(data), size, &out);
    if (verdict == SipInputGuard::Verdict::Rewritten) {
        if (out.isEmpty() || size_t(out.size()) > size)
            std::abort();
        QByteArray again;
        const auto second = SipInputGuard::check(out.constData(), size_t(out.size()), &again);
        if (second == SipInputGuard::Verdict::Drop || second == SipInputGuard::Verdict::Refuse)
            std::abort();
    }
    if (verdict == SipInputGuard::Verdict::Refuse && !out.isEmpty()
        && (!out.startsWith("SIP/2.0 4") || !out.endsWith("\r\n\r\n")))
        std::abort();
    return 0;
}
