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
        // Bob takes one call at a time: a second caller hears busy.
        writeConfig({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol")},
                    QStringLiteral("account2.maxCalls = 1\n"));
        m_alice = openLine(0);
        m_bob = openLine(1);
        m_carol = openLine(2);
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
    TnvLine* m_carol = nullptr;
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

TEST_F(SipCall, CalleeEndingTheCallShowsWhyOnTheCallersLine)
{
    struct Case {
        const char* name;
        bool answerFirst;
        DWORD mode;
    };
    for (const Case& c : {Case{"declined", false, LINEDISCONNECTMODE_REJECT},
                          Case{"hung up", true, LINEDISCONNECTMODE_NORMAL}}) {
        SCOPED_TRACE(c.name);
        clearEvents();
        ring();
        if (c.answerFirst) {
            ASSERT_TRUE(m_bob->Call()->Answer());
            ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(m_alice);
        }
        ASSERT_TRUE(m_bob->Call()->Hangup()) << log(m_bob);
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnDisconnected"))) << log(m_alice);
        EXPECT_EQ(m_alice->Call()->StateMode(), c.mode);
        ASSERT_TRUE(m_alice->Call()->Hangup());
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd")));
        ASSERT_TRUE(waitFor(1, QStringLiteral("OnCallEnd")));
    }
}

TEST_F(SipCall, CallerOfABusyLineHearsBusy)
{
    ring();
    ASSERT_TRUE(m_bob->Call()->Answer());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected")));

    m_carol->Call()->setPhoneNumber(uriOf(1, QStringLiteral("bob")));
    ASSERT_TRUE(m_carol->Call()->Dial()) << log(m_carol);
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnDisconnected"))) << log(m_carol);
    EXPECT_EQ(m_carol->Call()->StateMode(), LINEDISCONNECTMODE_BUSY);
    ASSERT_TRUE(m_carol->Call()->Hangup());
    // Bob's call goes on undisturbed.
    EXPECT_EQ(m_bob->Call()->State(), LINECALLSTATE_CONNECTED);
    ASSERT_TRUE(m_alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected")));
}

TEST_F(SipCall, RedirectedCallRingsTheNewTarget)
{
    ring();
    ASSERT_TRUE(m_bob->Call()->Redirect(uriOf(2, QStringLiteral("carol")))) << log(m_bob);
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnCallEnd"))) << log(m_bob);
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(m_carol);
    EXPECT_EQ(m_carol->Call()->CallerID()->Number(), QStringLiteral("alice@127.0.0.1"));
    ASSERT_TRUE(m_carol->Call()->Answer());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(m_alice);
    ASSERT_TRUE(m_alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnDisconnected"))) << log(m_carol);
}

TEST_F(SipCall, AddressesALineCannotDialAreRefusedAtOnce)
{
    for (const char* bad : {"sip:", "bob@", "a b@host", "sip:bob@host:99999", "\x1b[2Jbob@host", "<sip:x@y>"}) {
        SCOPED_TRACE(bad);
        m_alice->Call()->setPhoneNumber(QString::fromLatin1(bad));
        EXPECT_FALSE(m_alice->Call()->Dial());
        EXPECT_EQ(m_alice->Call()->Count(), 0);
    }
}

} // namespace
