// What a connected SIP call can do through the line control: hold and unhold by
// re-INVITE, digits both ways as telephone events, blind and consultation transfer to a
// third line, and what SIP has no answer for.

#include "SipLineFixture.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvAddress.h>
#include <TnvAddressForward.h>
#include <TnvCallerID.h>
#include <TnvMonitorDigits.h>
#include <TnvError.h>
#include <TnvTransfer.h>

#include <tuple>

namespace {

class SipFeature : public SipLineFixture {
protected:
    void SetUp() override
    {
        SipLineFixture::SetUp();
        writeConfig({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol")},
                    QStringLiteral("account3.dtmf = \"info\"\nringMs = 200\n"));
        m_alice = openLine(0);
        m_bob = openLine(1);
        m_carol = openLine(2);
        for (TnvLine* line : {m_alice, m_bob, m_carol})
            line->OnDigitsSent = [this, line](TnvSharedControl*, int) { m_digitsSent << line; };
    }

    TnvLine* m_alice = nullptr;
    TnvLine* m_bob = nullptr;
    TnvLine* m_carol = nullptr;
    QList<TnvLine*> m_digitsSent;
};

TEST_F(SipFeature, HoldAndUnholdByReinvite)
{
    connect(m_alice, 0, m_bob, 1, QStringLiteral("bob"));
    ASSERT_TRUE(m_alice->Call()->Hold()) << log(m_alice);
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnHold"))) << log(m_alice);
    EXPECT_EQ(m_alice->Call()->State(), LINECALLSTATE_ONHOLD);
    // The held party's call stays connected.
    EXPECT_EQ(m_bob->Call()->State(), LINECALLSTATE_CONNECTED);

    clearEvents();
    ASSERT_TRUE(m_alice->Call()->Unhold()) << log(m_alice);
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(m_alice);
    EXPECT_EQ(m_alice->Call()->State(), LINECALLSTATE_CONNECTED);
    ASSERT_TRUE(m_alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected")));
}

TEST_F(SipFeature, DigitsTravelBothWaysAsEventsOrInfo)
{
    // Carol's line sends its digits as SIP INFO; the others as telephone events.
    struct Case {
        TnvLine* caller;
        int callerDevice;
        TnvLine* callee;
        int calleeDevice;
        const char* user;
        const char* sent;     // by the caller
        const char* answered; // by the callee
    };
    for (const Case& c : {Case{m_alice, 0, m_bob, 1, "bob", "12#", "*9AD"},
                          Case{m_carol, 2, m_alice, 0, "alice", "0*5", "#7"}}) {
        SCOPED_TRACE(c.sent);
        clearEvents();
        m_digitsSent.clear();
        c.caller->Call()->setPhoneNumber(uriOf(c.calleeDevice, QString::fromLatin1(c.user)));
        ASSERT_TRUE(c.caller->Call()->Dial()) << log(c.caller);
        ASSERT_TRUE(waitFor(c.calleeDevice, QStringLiteral("OnOffering"))) << log(c.callee);
        ASSERT_TRUE(c.callee->Call()->Answer()) << log(c.callee);
        // The answered call is connected when the answer returns: monitoring starts at once.
        EXPECT_EQ(c.callee->Call()->State(), LINECALLSTATE_CONNECTED);
        c.callee->Call()->MonitorDigits()->setActive(true);
        EXPECT_TRUE(c.callee->Call()->MonitorDigits()->Active()) << log(c.callee);
        ASSERT_TRUE(waitFor(c.callerDevice, QStringLiteral("OnConnected"))) << log(c.caller);
        c.caller->Call()->MonitorDigits()->setActive(true);
        EXPECT_TRUE(c.caller->Call()->MonitorDigits()->Active()) << log(c.caller);

        ASSERT_TRUE(c.caller->Call()->SendDigits(QString::fromLatin1(c.sent), 100)) << log(c.caller);
        ASSERT_TRUE(waitUntil([&] { return c.callee->Call()->MonitorDigits()->Received() == QLatin1String(c.sent); }))
            << m_events[c.calleeDevice].join(QLatin1Char(',')).toStdString();
        ASSERT_TRUE(waitUntil([&] { return m_digitsSent.contains(c.caller); }));
        ASSERT_TRUE(c.callee->Call()->SendDigits(QString::fromLatin1(c.answered), 100)) << log(c.callee);
        ASSERT_TRUE(waitUntil([&] { return c.caller->Call()->MonitorDigits()->Received() == QLatin1String(c.answered); }))
            << m_events[c.callerDevice].join(QLatin1Char(',')).toStdString();
        ASSERT_TRUE(waitUntil([&] { return m_digitsSent.contains(c.callee); }));

        ASSERT_TRUE(c.caller->Call()->Hangup());
        ASSERT_TRUE(waitFor(c.calleeDevice, QStringLiteral("OnDisconnected")));
        ASSERT_TRUE(c.callee->Call()->Hangup());
        ASSERT_TRUE(waitFor(c.calleeDevice, QStringLiteral("OnCallEnd")));
    }
}

TEST_F(SipFeature, TonesPlayIntoTheCallAndEndOrAreCancelled)
{
    QList<TnvLine*> tonesSent;
    m_alice->OnToneSent = [&](TnvSharedControl*, int) { tonesSent << m_alice; };
    connect(m_alice, 0, m_bob, 1, QStringLiteral("bob"));
    struct Case {
        DWORD mode;
        int ms;
    };
    for (const Case& c : {Case{LINETONEMODE_BEEP, 150}, Case{LINETONEMODE_BUSY, 300}, Case{LINETONEMODE_RINGBACK, 200}}) {
        SCOPED_TRACE(c.mode);
        tonesSent.clear();
        ASSERT_TRUE(m_alice->Call()->SendTone(c.mode, c.ms)) << log(m_alice);
        ASSERT_TRUE(waitUntil([&] { return tonesSent.size() == 1; }, 3000)) << log(m_alice);
    }
    // A tone that would play for a minute ends when the call is put on hold.
    tonesSent.clear();
    ASSERT_TRUE(m_alice->Call()->SendTone(LINETONEMODE_BEEP, 60000)) << log(m_alice);
    ASSERT_TRUE(m_alice->Call()->Hold()) << log(m_alice);
    ASSERT_TRUE(waitUntil([&] { return tonesSent.size() == 1; }, 3000)) << log(m_alice);
    EXPECT_FALSE(m_alice->Call()->SendTone(LINETONEMODE_BEEP, 100));
    EXPECT_EQ(m_alice->Error()->Number(), LONG(LINEERR_INVALCALLSTATE));
    ASSERT_TRUE(m_alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected")));
}

TEST_F(SipFeature, BlindTransferHandsTheCallerToTheThirdLine)
{
    connect(m_alice, 0, m_bob, 1, QStringLiteral("bob"));
    m_bob->Call()->setPhoneNumber(uriOf(2, QStringLiteral("carol")));
    ASSERT_TRUE(m_bob->Call()->Transfer()) << log(m_bob);
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnCallEnd"))) << log(m_bob);
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(m_carol);
    EXPECT_EQ(m_carol->Call()->CallerID()->Number(), QStringLiteral("alice@127.0.0.1"));
    ASSERT_TRUE(m_carol->Call()->Answer());
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnConnected"))) << log(m_carol);
    // Alice's first call ends; the call the transfer made on her line is the live one
    // (which of the two her control shows depends on the order the reports arrive in).
    ASSERT_TRUE(waitUntil([&] { return m_events[0].count(QStringLiteral("OnConnected")) == 2; })) << log(m_alice);
    ASSERT_TRUE(m_carol->Call()->Hangup());
    ASSERT_TRUE(waitUntil([&] { return m_events[0].count(QStringLiteral("OnDisconnected")) == 2; }))
        << log(m_alice);
}

TEST_F(SipFeature, ConsultationTransferJoinsTheOtherTwo)
{
    connect(m_alice, 0, m_bob, 1, QStringLiteral("bob"));
    m_bob->Transfer()->setPrimaryCall(m_bob->Call()->Handle());
    m_bob->Transfer()->setPhoneNumber(uriOf(2, QStringLiteral("carol")));
    ASSERT_TRUE(m_bob->Transfer()->Dial()) << log(m_bob);
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(m_carol);
    ASSERT_TRUE(m_carol->Call()->Answer());
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnConnected"))) << log(m_carol);
    ASSERT_TRUE(waitUntil([&] { return m_bob->Call()->State() == LINECALLSTATE_CONNECTED; })) << log(m_bob);

    ASSERT_TRUE(m_bob->Transfer()->Complete()) << log(m_bob);
    // Bob is out: both his calls end on his line.
    ASSERT_TRUE(waitUntil([&] { return m_bob->Call()->Count() == 0; })) << log(m_bob);
    // Alice's line follows the REFER with a call of its own that replaces Bob's call on
    // Carol's line: Carol talks to Alice, without a server between the lines.
    ASSERT_TRUE(waitUntil([&] {
        return m_events[2].count(QStringLiteral("OnConnected")) == 2 && m_events[2].contains(QStringLiteral("OnDisconnected"));
    })) << log(m_carol);
    ASSERT_TRUE(waitUntil([&] { return m_alice->Call()->State() == LINECALLSTATE_CONNECTED; })) << log(m_alice);
    ASSERT_TRUE(m_carol->Call()->Hangup());
    ASSERT_TRUE(waitUntil([&] { return m_alice->Call()->State() == LINECALLSTATE_DISCONNECTED; })) << log(m_alice);
}

TEST_F(SipFeature, ForwardedLineSendsCallersOnAtOnceOrAfterRinging)
{
    // One ring cycle lasts 200 ms here (ringMs), so forwarding on no answer is quick.
    struct Case {
        DWORD mode;
        bool ringsFirst;
    };
    for (const Case& c : {Case{LINEFORWARDMODE_UNCOND, false}, Case{LINEFORWARDMODE_NOANSW, true}}) {
        SCOPED_TRACE(c.mode);
        clearEvents();
        m_bob->Address()->Forward()->setActive(false);
        m_bob->Address()->Forward()->setMode(c.mode);
        m_bob->Address()->Forward()->setPhoneNumber(uriOf(2, QStringLiteral("carol")));
        m_bob->Address()->Forward()->setActive(true);
        ASSERT_TRUE(waitUntil([&] { return m_bob->Address()->Forward()->Active(); })) << log(m_bob);

        m_alice->Call()->setPhoneNumber(uriOf(1, QStringLiteral("bob")));
        ASSERT_TRUE(m_alice->Call()->Dial()) << log(m_alice);
        ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(m_carol);
        EXPECT_EQ(m_events[1].contains(QStringLiteral("OnOffering")), c.ringsFirst);
        EXPECT_EQ(m_carol->Call()->CallerID()->Number(), QStringLiteral("alice@127.0.0.1"));
        if (c.ringsFirst) {
            // The call Bob's line let go of leaves his call list.
            ASSERT_TRUE(waitFor(1, QStringLiteral("OnCallEnd"))) << log(m_bob);
        }
        ASSERT_TRUE(m_carol->Call()->Answer());
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(m_alice);
        ASSERT_TRUE(m_alice->Call()->Hangup());
        ASSERT_TRUE(waitFor(2, QStringLiteral("OnDisconnected"))) << log(m_carol);
        ASSERT_TRUE(m_carol->Call()->Hangup());
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(m_alice);
        ASSERT_TRUE(waitFor(2, QStringLiteral("OnCallEnd"))) << log(m_carol);
    }
}

TEST_F(SipFeature, LinesInsistingOnEncryptedMediaStillConnect)
{
    // Alice and Bob insist on SRTP; Carol has no preference and answers what is offered.
    m_lines.clear();
    m_events.clear();
    m_ports.clear();
    waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
    writeConfig({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol")},
                QStringLiteral("account1.mediaEncryption = \"srtp\"\naccount2.mediaEncryption = \"srtp\"\n"));
    m_alice = openLine(0);
    m_bob = openLine(1);
    m_carol = openLine(2);
    for (auto [to, device, user] : {std::tuple{m_bob, 1, "bob"}, std::tuple{m_carol, 2, "carol"}}) {
        SCOPED_TRACE(user);
        clearEvents();
        connect(m_alice, 0, to, device, QString::fromLatin1(user));
        ASSERT_TRUE(m_alice->Call()->Hangup());
        ASSERT_TRUE(waitFor(device, QStringLiteral("OnDisconnected"))) << log(to);
        ASSERT_TRUE(to->Call()->Hangup());
        ASSERT_TRUE(waitFor(device, QStringLiteral("OnCallEnd"))) << log(to);
    }
}

TEST_F(SipFeature, WhatSipCannotDoIsRefusedAndNotOffered)
{
    connect(m_alice, 0, m_bob, 1, QStringLiteral("bob"));
    const HCALL call = HCALL(m_alice->Call()->Handle());
    EXPECT_EQ(m_alice->Call()->Park(QStringLiteral("700")), false);
    LINECALLSTATUS status{};
    status.dwTotalSize = sizeof(status);
    ASSERT_EQ(lineGetCallStatus(call, &status), 0);
    EXPECT_EQ(status.dwCallFeatures & LINECALLFEATURE_PARK, 0u);
    EXPECT_NE(status.dwCallFeatures & (LINECALLFEATURE_HOLD | LINECALLFEATURE_SETUPCONF), 0u);
    HCALL conference = 0;
    HCALL consult = 0;
    // More parties than the line mixes are refused before anything is dialled.
    EXPECT_EQ(lineSetupConference(call, 0, &conference, &consult, 5, nullptr), LONG(LINEERR_CONFERENCEFULL));
    ASSERT_TRUE(m_alice->Call()->Hangup());
}

} // namespace
