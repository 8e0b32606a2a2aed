// Whole calls between two SIP lines through the line control: caller ID, answer, both
// hang-up directions, busy and decline, each as the far end's SIP stack reports it.

#include "SipLineFixture.h"

#include <TapiConstants.h>
#include <TnvCallerID.h>

namespace {

class SipCall : public SipLineFixture {
protected:
    void SetUp() override
    {
        SipLineFixture::SetUp();
        writeConfig({QStringLiteral("alice"), QStringLiteral("bob")});
        m_alice = openLine(0);
        m_bob = openLine(1);
    }

    // Alice dials Bob and Bob's line offers the call.
    void ring()
    {
        m_alice->Call()->setPhoneNumber(uriOf(1, QStringLiteral("bob")));
        ASSERT_TRUE(m_alice->Call()->Dial()) << log(m_alice);
        ASSERT_TRUE(waitFor(1, QStringLiteral("OnOffering"))) << log(m_bob);
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnRingBack"))) << log(m_alice);
    }

    TnvLine* m_alice = nullptr;
    TnvLine* m_bob = nullptr;
};

TEST_F(SipCall, LinesAreNamedAfterTheirAccounts)
{
    EXPECT_EQ(m_alice->Device()->Name(), QStringLiteral("SIP alice@127.0.0.1"));
    EXPECT_EQ(m_bob->Device()->Name(), QStringLiteral("SIP bob@127.0.0.1"));
}

TEST_F(SipCall, AnsweredCallShowsCallerAndEndsWhenTheCallerHangsUp)
{
    ring();
    EXPECT_EQ(m_bob->Call()->CallerID()->Number(), QStringLiteral("alice@127.0.0.1"));
    EXPECT_EQ(m_bob->Call()->CalledID()->Number(), QStringLiteral("bob@127.0.0.1"));
    EXPECT_TRUE(m_events[0].contains(QStringLiteral("OnProceeding")));

    ASSERT_TRUE(m_bob->Call()->Answer()) << log(m_bob);
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(m_alice);
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnConnected"))) << log(m_bob);
    EXPECT_EQ(m_alice->Call()->ConnectedID()->Number(), QStringLiteral("bob@127.0.0.1"));

    ASSERT_TRUE(m_alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(m_alice);
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected"))) << log(m_bob);
    EXPECT_EQ(m_bob->Call()->StateMode(), LINEDISCONNECTMODE_NORMAL);
    ASSERT_TRUE(m_bob->Call()->Hangup());
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnCallEnd"))) << log(m_bob);
}

} // namespace
