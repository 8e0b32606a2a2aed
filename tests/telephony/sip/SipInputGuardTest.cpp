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
           "CSeq: 1 INVITE\r\n"
           + (body.isEmpty() ? QByteArray() : QByteArray("Content-Type: application/sdp\r\n"))
           + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
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
        {"long body line", invite("<sip:b@h>", "v=0\r\na=" + longName + "\r\nm=audio 4000 RTP/AVP 0\r\n"),
         SipInputGuard::Verdict::Pass, {}},
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

TEST(SipInputGuard, BodiesThatCannotBeReadSafelyAreRefusedWithTheFittingResponse)
{
    const QByteArray sdp = "v=0\r\no=- 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\nm=audio 4000 RTP/AVP 0\r\n";
    const QByteArray offer = invite("<sip:b@h>", sdp);
    const QByteArray length = "Content-Length: " + QByteArray::number(sdp.size());
    struct Case {
        const char* name;
        QByteArray message;
        SipInputGuard::Verdict verdict;
        int code;
    };
    using V = SipInputGuard::Verdict;
    const Case cases[] = {
        {"offer", offer, V::Pass, 0},
        {"no body, no type", invite("<sip:b@h>"), V::Pass, 0},
        {"datagram without a length", QByteArray(offer).replace(length + "\r\n", ""), V::Pass, 0},
        {"explicit identity coding", QByteArray(offer).replace("Content-Length", "Transfer-Encoding: identity\r\nContent-Length"), V::Pass, 0},
        {"chunked, no length, no type",
         QByteArray(invite("<sip:b@h>")).replace("Content-Length: 0\r\n", "Transfer-Encoding: chunked\r\n") + "5\r\nhello\r\n0\r\n\r\n",
         V::Refuse, 400},
        {"body without a type", QByteArray(offer).replace("Content-Type: application/sdp\r\n", ""), V::Refuse, 400},
        {"length past the body", QByteArray(offer).replace(length, "Content-Length: " + QByteArray::number(sdp.size() + 1)), V::Refuse, 400},
        {"length not a number", QByteArray(offer).replace(length, "Content-Length: 0x10"), V::Refuse, 400},
        {"two lengths", QByteArray(offer).replace(length, "l: 3\r\n" + length), V::Refuse, 400},
        {"offer of another type", QByteArray(offer).replace("application/sdp", "text/plain"), V::Refuse, 415},
        {"compressed offer", QByteArray(offer).replace("Content-Length", "Content-Encoding: gzip\r\nContent-Length"), V::Refuse, 415},
        {"offer that is not SDP", invite("<sip:b@h>", "hello!"), V::Refuse, 488},
        {"type of a bodyless request", QByteArray(invite("<sip:b@h>")).replace("Content-Length", "c: text/plain\r\nContent-Length"),
         V::Pass, 0},
        {"ACK is never answered", QByteArray(offer).replace("INVITE sip", "ACK sip").replace("Content-Type: application/sdp\r\n", ""), V::Drop, 0},
        {"response is never answered", "SIP/2.0 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", V::Drop, 0},
        {"nothing to answer with", QByteArray(offer).replace("Call-ID: 1@127.0.0.1\r\n", "").replace("application/sdp", "x/y"), V::Drop, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray out;
        ASSERT_EQ(SipInputGuard::check(c.message.constData(), size_t(c.message.size()), &out), c.verdict);
        if (c.verdict != V::Refuse)
            continue;
        // The response copies what identifies the transaction and gives the dialog a tag.
        EXPECT_TRUE(out.startsWith("SIP/2.0 " + QByteArray::number(c.code) + ' ')) << out.toStdString();
        for (const char* header : {"Via: SIP/2.0/UDP 127.0.0.1:5062;branch=z9hG4bK1\r\n", "From: <sip:b@h>;tag=1\r\n",
                                   "Call-ID: 1@127.0.0.1\r\n", "CSeq: 1 INVITE\r\n", "To: <sip:alice@127.0.0.1>;tag="})
            EXPECT_TRUE(out.contains(header)) << header;
        EXPECT_TRUE(out.endsWith("Content-Length: 0\r\n\r\n"));
    }
}

} // namespace
