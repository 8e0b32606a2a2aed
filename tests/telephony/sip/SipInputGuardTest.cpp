// Messages on their way to the SIP stack: oversized address headers are shortened or the
// message is dropped; everything else passes byte for byte.

#include <SipInputGuard.h>

#include <QList>

#include <gtest/gtest.h>

using namespace Telephony::Sip;

namespace {

QByteArray invite(const QByteArray& from, const QByteArray& body = {})
{
    return "INVITE sip:alice@127.0.0.1 SIP/2.0\r\n"
           "Via: SIP/2.0/UDP 127.0.0.1:5062;branch=z9hG4bK1\r\n"
           "From: " + from + ";tag=1\r\n"
           "To: <sip:alice@127.0.0.1>\r\n"
           "Call-ID: 1@127.0.0.1\r\n"
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

TEST(SipInputGuard, OversizedAddressHeadersAreShortenedOrDropped)
{
    const QByteArray longName(1500, 'Z');
    struct Case {
        const char* name;
        QByteArray message;
        SipInputGuard::Verdict verdict;
        QByteArray from; // the From line afterwards, for a rewritten message
    };
    const QByteArray kept(SipInputGuard::kKeptName, 'Z');
    const QByteArray utf8Name = QByteArray(SipInputGuard::kKeptName - 1, 'a') + QByteArray(700, '\xc3').replace("\xc3", "\xc3\xa9");
    const Case cases[] = {
        {"ordinary", invite("\"Bob\" <sip:bob@127.0.0.1>"), SipInputGuard::Verdict::Pass, {}},
        {"quoted name", invite('"' + longName + "\" <sip:bob@h>"), SipInputGuard::Verdict::Rewritten,
         "From: \"" + kept + "\" <sip:bob@h>;tag=1"},
        {"bare name", invite(longName + " <sip:bob@h>"), SipInputGuard::Verdict::Rewritten,
         "From: " + kept + " <sip:bob@h>;tag=1"},
        {"escaped quotes stay closed", invite("\"" + QByteArray(SipInputGuard::kKeptName - 1, 'a') + "\\\"" + longName + "\" <sip:b@h>"),
         SipInputGuard::Verdict::Rewritten, "From: \"" + QByteArray(SipInputGuard::kKeptName - 1, 'a') + "\" <sip:b@h>;tag=1"},
        {"UTF-8 not split", invite('"' + utf8Name + "\" <sip:b@h>"), SipInputGuard::Verdict::Rewritten,
         "From: \"" + QByteArray(SipInputGuard::kKeptName - 1, 'a') + "\" <sip:b@h>;tag=1"},
        {"huge address", invite("<sip:" + QByteArray(1500, 'm') + "@h>"), SipInputGuard::Verdict::Drop, {}},
        {"unclosed quote", invite('"' + longName), SipInputGuard::Verdict::Drop, {}},
        {"long non-address header", invite("<sip:b@h>").replace("Call-ID", "X-Long: " + longName + "\r\nCall-ID"),
         SipInputGuard::Verdict::Pass, {}},
        {"long body line", invite("<sip:b@h>", "v=0\r\na=" + longName + "\r\n"), SipInputGuard::Verdict::Pass, {}},
        {"compact form", invite("<sip:b@h>").replace("From: ", "f: \"" + longName + "\" "),
         SipInputGuard::Verdict::Rewritten, {}},
        {"media packet", QByteArray("\x80\x00", 2) + longName, SipInputGuard::Verdict::Pass, {}},
        {"keep-alive", "\r\n\r\n", SipInputGuard::Verdict::Pass, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray out;
        EXPECT_EQ(SipInputGuard::check(c.message.constData(), size_t(c.message.size()), &out), c.verdict);
        if (c.verdict != SipInputGuard::Verdict::Rewritten)
            continue;
        // Only the oversized line changes; the body and the other headers stay.
        EXPECT_TRUE(out.endsWith("\r\n\r\n"));
        EXPECT_TRUE(out.contains("Call-ID: 1@127.0.0.1\r\n"));
        for (const QByteArray& line : out.split('\n'))
            EXPECT_LE(line.size(), SipInputGuard::kMaxAddressLine);
        if (!c.from.isEmpty()) {
            EXPECT_TRUE(out.contains(c.from + "\r\n")) << out.left(400).toStdString();
        }
    }
}

} // namespace
