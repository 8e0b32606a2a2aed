// What a SIP line dials, how parties from the network are shown, and what a final
// response does to an outgoing call.

#include <SipAddress.h>
#include <SipResponses.h>
#include <TapiConstants.h>

#include <gtest/gtest.h>

using namespace Telephony;
using namespace Telephony::Sip;

namespace {

TEST(SipAddresses, DialableAddressesAndTheirTargets)
{
    struct Case {
        const char* address;
        bool dialable;
        const char* target;
    };
    for (const Case& c : {Case{"sip:bob@example.org", true, "sip:bob@example.org"},
                          Case{"sips:bob@example.org:5061;transport=tls", true, "sips:bob@example.org:5061;transport=tls"},
                          Case{"bob@10.0.0.2:5070", true, "sip:bob@10.0.0.2:5070"},
                          Case{"+1 (425) 555-0100", true, "sip:+14255550100@example.org"},
                          Case{"carol", true, "sip:carol@example.org"},
                          Case{"", false, ""},
                          Case{"sip:", false, ""},
                          Case{"bob@", false, ""},
                          Case{"a b@host", false, ""},
                          Case{"sip:bob@host:0", false, ""},
                          Case{"\"x\" <sip:bob@host>", false, ""},
                          Case{"bob\r\nVia: evil@host", false, ""}}) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(checkDialable(c.address) == 0, c.dialable);
        if (c.dialable) {
            EXPECT_EQ(dialTarget(c.address, QStringLiteral("example.org")), QString::fromLatin1(c.target));
        }
    }
    EXPECT_EQ(checkDialable(QByteArray(kMaxAddressLength + 1, '1')), LONG(LINEERR_INVALADDRESS));
}

TEST(SipAddresses, PartiesFromTheNetworkAreBoundedAndVisible)
{
    const PartyId plain = partyOf(QStringLiteral("Alice Smith"), QStringLiteral("alice"), QStringLiteral("a.org"));
    EXPECT_EQ(plain.name, QByteArray("Alice Smith"));
    EXPECT_EQ(plain.number, QByteArray("alice@a.org"));
    EXPECT_EQ(plain.flags, DWORD(LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS));

    const PartyId hostile = partyOf(QStringLiteral("\x1b]0;pwned\x07\nEvil") + QString(10000, QLatin1Char('A')),
                                    QStringLiteral("x"), QStringLiteral("h"));
    EXPECT_LE(hostile.name.size(), kMaxPartyText);
    EXPECT_FALSE(hostile.name.contains('\x1b'));
    EXPECT_FALSE(hostile.name.contains('\n'));
    EXPECT_TRUE(hostile.name.startsWith("\\x1b]0;pwned\\x07\\x0aEvil"));

    EXPECT_EQ(partyOf({}, {}, {}).flags, DWORD(LINECALLPARTYID_UNKNOWN));
}

TEST(SipAddresses, IdentitiesWithDisplayNamesAndParameters)
{
    const SipUri uri = SipUri::parse(QStringLiteral("\"Alice A.\" <sip:alice@example.org:5070;user=phone>;tag=1"));
    ASSERT_TRUE(uri.valid);
    EXPECT_EQ(uri.displayName, QStringLiteral("Alice A."));
    EXPECT_EQ(uri.user, QStringLiteral("alice"));
    EXPECT_EQ(uri.host, QStringLiteral("example.org"));
    EXPECT_EQ(uri.port, 5070);
    EXPECT_FALSE(SipUri::parse(QStringLiteral("Alice <sip:alice@example.org")).valid);
    EXPECT_FALSE(SipUri::parse(QString(4096, QLatin1Char('a'))).valid);
}

TEST(SipResponses, FinalResponsesEndCallsWithTheirDisconnectModes)
{
    struct Case {
        int code;
        DWORD mode;
    };
    for (const Case& c : {Case{486, LINEDISCONNECTMODE_BUSY}, Case{600, LINEDISCONNECTMODE_BUSY},
                          Case{404, LINEDISCONNECTMODE_BADADDRESS}, Case{484, LINEDISCONNECTMODE_BADADDRESS},
                          Case{480, LINEDISCONNECTMODE_NOANSWER}, Case{408, LINEDISCONNECTMODE_NOANSWER},
                          Case{603, LINEDISCONNECTMODE_REJECT}, Case{500, LINEDISCONNECTMODE_UNAVAIL},
                          Case{503, LINEDISCONNECTMODE_CONGESTION}, Case{488, LINEDISCONNECTMODE_INCOMPATIBLE},
                          Case{403, LINEDISCONNECTMODE_BLOCKED}, Case{410, LINEDISCONNECTMODE_NUMBERCHANGED},
                          Case{599, LINEDISCONNECTMODE_UNAVAIL}, Case{699, LINEDISCONNECTMODE_REJECT},
                          Case{499, LINEDISCONNECTMODE_UNKNOWN}, Case{0, LINEDISCONNECTMODE_UNKNOWN}}) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(disconnectModeForResponse(c.code), c.mode);
    }
}

} // namespace
