// Calls of three parties on SIP lines, mixed by the line that called the others: a
// conference built through the line control, a party added and removed, the conference
// hung up; a consultation given up; and a consultation call turned into a three-way call.

#include "SipLineFixture.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvConference.h>
#include <TnvError.h>
#include <TnvTransfer.h>

#include <vector>

namespace {

class SipConference : public SipLineFixture {
protected:
    void SetUp() override
    {
        SipLineFixture::SetUp();
        writeConfig({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol"), QStringLiteral("dave")});
        m_alice = openLine(0);
        m_bob = openLine(1);
        m_carol = openLine(2);
        m_dave = openLine(3);
        for (TnvLine* line : {m_alice, m_bob})
            line->OnCallState = [this](TnvSharedControl*, int call, int state, int, int) {
                m_states[HCALL(call)].push_back(DWORD(state));
            };
    }

    static LINECALLSTATUS status(HCALL call)
    {
        LINECALLSTATUS s{};
        s.dwTotalSize = sizeof(s);
        lineGetCallStatus(call, &s);
        return s;
    }

    // The far end's call on a line is on hold by the other side (its call info says so).
    static bool heldByFarEnd(HCALL call)
    {
        alignas(LINECALLINFO) char buffer[4096] = {};
        auto* info = reinterpret_cast<LINECALLINFO*>(buffer);
        info->dwTotalSize = sizeof(buffer);
        return lineGetCallInfo(call, info) == 0 && info->dwDevSpecificSize > 0;
    }

    // Alice talks to Bob, then dials Carol for a conference; Carol's line rings and Bob
    // waits on hold. The handles are Bob's call, the conference call and Carol's party;
    // the states recorded start with the conference.
    void dialCarolForAConference(HCALL* bobCall, HCALL* conferenceCall, HCALL* party)
    {
        connect(m_alice, 0, m_bob, 1, QStringLiteral("bob"));
        *bobCall = m_bob->Call()->Handle();
        m_states.clear();
        TnvConference* conference = m_alice->Conference();
        conference->setPrimaryCall(m_alice->Call()->Handle());
        conference->setPhoneNumber(uriOf(2, QStringLiteral("carol")));
        ASSERT_TRUE(conference->Dial()) << log(m_alice);
        *conferenceCall = conference->Handle();
        *party = conference->ConsultCall();
        ASSERT_NE(*conferenceCall, 0u);
        ASSERT_NE(*party, 0u);
        ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(m_carol);
        ASSERT_TRUE(waitUntil([&] { return heldByFarEnd(*bobCall); })) << log(m_bob);
    }

    bool reached(HCALL call, DWORD state)
    {
        return waitUntil([&] { return !m_states[call].empty() && m_states[call].back() == state; });
    }

    TnvLine* m_alice = nullptr;
    TnvLine* m_bob = nullptr;
    TnvLine* m_carol = nullptr;
    TnvLine* m_dave = nullptr;
    std::map<HCALL, std::vector<DWORD>> m_states;
};

TEST_F(SipConference, ThreePartiesMixedThenTakenApart)
{
    HCALL bobCall = 0, conferenceCall = 0, party = 0;
    ASSERT_NO_FATAL_FAILURE(dialCarolForAConference(&bobCall, &conferenceCall, &party));
    const HCALL primary = m_alice->Conference()->PrimaryCall();
    TnvConference* conference = m_alice->Conference();
    ASSERT_TRUE(m_carol->Call()->Answer()) << log(m_carol);
    ASSERT_TRUE(reached(party, LINECALLSTATE_CONNECTED)) << log(m_alice);
    EXPECT_NE(status(conferenceCall).dwCallFeatures & LINECALLFEATURE_ADDTOCONF, 0u);

    ASSERT_TRUE(conference->AddCall()) << log(m_alice);
    EXPECT_EQ(conference->Count(), 1);
    ASSERT_TRUE(reached(conferenceCall, LINECALLSTATE_CONNECTED)) << log(m_alice);
    // Both far ends hear the mix: neither is held any more.
    ASSERT_TRUE(waitUntil([&] { return !heldByFarEnd(bobCall); })) << log(m_bob);
    EXPECT_EQ(m_bob->Call()->State(), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(m_carol->Call()->State(), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(status(party).dwCallFeatures, LINECALLFEATURE_DROP | LINECALLFEATURE_REMOVEFROMCONF);
    EXPECT_NE(status(conferenceCall).dwCallFeatures & LINECALLFEATURE_PREPAREADDCONF, 0u);

    // Carol is taken out and hung up; Bob stays in the conference.
    ASSERT_TRUE(conference->RemoveCall()) << log(m_alice);
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnDisconnected"))) << log(m_carol);
    EXPECT_EQ(conference->Count(), 0);
    EXPECT_EQ(m_bob->Call()->State(), LINECALLSTATE_CONNECTED);
    EXPECT_EQ(status(primary).dwCallState, LINECALLSTATE_CONFERENCED);

    // Hanging up the conference hangs up the rest.
    m_alice->Call()->setHandle(conferenceCall);
    ASSERT_TRUE(m_alice->Call()->Hangup()) << log(m_alice);
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected"))) << log(m_bob);
    ASSERT_TRUE(waitUntil([&] { return m_alice->Call()->Count() == 0; })) << log(m_alice);
    EXPECT_EQ(conference->Handle(), 0u);

    // What the line control saw, call by call, is what the simulated exchange shows it.
    using States = std::vector<DWORD>;
    EXPECT_EQ(m_states[primary], (States{LINECALLSTATE_CONFERENCED, LINECALLSTATE_IDLE}));
    EXPECT_EQ(m_states[conferenceCall],
              (States{LINECALLSTATE_ONHOLDPENDCONF, LINECALLSTATE_CONNECTED, LINECALLSTATE_IDLE}));
    EXPECT_EQ(m_states[party], (States{LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                       LINECALLSTATE_RINGBACK, LINECALLSTATE_CONNECTED, LINECALLSTATE_CONFERENCED,
                                       LINECALLSTATE_IDLE}));
    ASSERT_TRUE(m_carol->Call()->Hangup());
    ASSERT_TRUE(m_bob->Call()->Hangup());
}

TEST_F(SipConference, NextPartyIsDialledWhileTheOthersTalkOn)
{
    HCALL bobCall = 0, conferenceCall = 0, party = 0;
    ASSERT_NO_FATAL_FAILURE(dialCarolForAConference(&bobCall, &conferenceCall, &party));
    TnvConference* conference = m_alice->Conference();
    ASSERT_TRUE(m_carol->Call()->Answer());
    ASSERT_TRUE(reached(party, LINECALLSTATE_CONNECTED)) << log(m_alice);
    ASSERT_TRUE(conference->AddCall()) << log(m_alice);
    ASSERT_TRUE(waitUntil([&] { return !heldByFarEnd(bobCall); })) << log(m_bob);

    // Dave is dialled on the running conference; Bob and Carol are not put on hold.
    conference->setPhoneNumber(uriOf(3, QStringLiteral("dave")));
    ASSERT_TRUE(conference->Dial()) << log(m_alice);
    EXPECT_EQ(conference->Handle(), conferenceCall);
    const HCALL dave = conference->ConsultCall();
    ASSERT_TRUE(reached(conferenceCall, LINECALLSTATE_ONHOLDPENDCONF)) << log(m_alice);
    ASSERT_TRUE(waitFor(3, QStringLiteral("OnOffering"))) << log(m_dave);
    ASSERT_TRUE(m_dave->Call()->Answer());
    ASSERT_TRUE(reached(dave, LINECALLSTATE_CONNECTED)) << log(m_alice);
    EXPECT_FALSE(heldByFarEnd(bobCall));
    ASSERT_TRUE(conference->AddCall()) << log(m_alice);
    EXPECT_EQ(conference->Count(), 2);
    ASSERT_TRUE(reached(dave, LINECALLSTATE_CONFERENCED)) << log(m_alice);
    ASSERT_TRUE(reached(conferenceCall, LINECALLSTATE_CONNECTED)) << log(m_alice);
    // Three parties are as many as the line mixes.
    EXPECT_EQ(status(conferenceCall).dwCallFeatures & LINECALLFEATURE_PREPAREADDCONF, 0u);

    m_alice->Call()->setHandle(conferenceCall);
    ASSERT_TRUE(m_alice->Call()->Hangup()) << log(m_alice);
    for (int device : {1, 2, 3})
        ASSERT_TRUE(waitFor(device, QStringLiteral("OnDisconnected"))) << device;
    ASSERT_TRUE(waitUntil([&] { return m_alice->Call()->Count() == 0; })) << log(m_alice);
    for (TnvLine* line : {m_bob, m_carol, m_dave})
        ASSERT_TRUE(line->Call()->Hangup());
}

TEST_F(SipConference, ConsultationGivenUpTakesTheLineBackToTheConference)
{
    HCALL bobCall = 0, conferenceCall = 0, party = 0;
    ASSERT_NO_FATAL_FAILURE(dialCarolForAConference(&bobCall, &conferenceCall, &party));
    // Carol declines; Alice gives the consultation up.
    ASSERT_TRUE(m_carol->Call()->Hangup());
    ASSERT_TRUE(reached(party, LINECALLSTATE_DISCONNECTED)) << log(m_alice);
    m_alice->Call()->setHandle(party);
    ASSERT_TRUE(m_alice->Call()->Hangup()) << log(m_alice);
    ASSERT_TRUE(reached(conferenceCall, LINECALLSTATE_CONNECTED)) << log(m_alice);
    // Bob is mixed with Alice again, no longer waiting on hold.
    ASSERT_TRUE(waitUntil([&] { return !heldByFarEnd(bobCall); })) << log(m_bob);
    EXPECT_NE(status(conferenceCall).dwCallFeatures & LINECALLFEATURE_PREPAREADDCONF, 0u);

    m_alice->Call()->setHandle(conferenceCall);
    ASSERT_TRUE(m_alice->Call()->Hangup()) << log(m_alice);
    ASSERT_TRUE(waitFor(1, QStringLiteral("OnDisconnected"))) << log(m_bob);
    ASSERT_TRUE(waitUntil([&] { return m_alice->Call()->Count() == 0; })) << log(m_alice);
    ASSERT_TRUE(m_bob->Call()->Hangup());
}

TEST_F(SipConference, ConsultationBecomesAThreeWayCall)
{
    connect(m_bob, 1, m_alice, 0, QStringLiteral("alice"));
    const HCALL aliceCall = m_alice->Call()->Handle();
    const HCALL primary = m_bob->Call()->Handle();
    m_bob->Transfer()->setPrimaryCall(primary);
    m_bob->Transfer()->setPhoneNumber(uriOf(2, QStringLiteral("carol")));
    ASSERT_TRUE(m_bob->Transfer()->Dial()) << log(m_bob);
    const HCALL consult = m_bob->Transfer()->ConsultCall();
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(m_carol);
    ASSERT_TRUE(m_carol->Call()->Answer());
    ASSERT_TRUE(reached(consult, LINECALLSTATE_CONNECTED)) << log(m_bob);
    m_states.clear();

    ASSERT_TRUE(m_bob->Transfer()->ThreeWay()) << log(m_bob);
    const HCALL threeWay = m_bob->Transfer()->ThreeWayCall();
    ASSERT_NE(threeWay, 0u);
    ASSERT_TRUE(reached(consult, LINECALLSTATE_CONFERENCED)) << log(m_bob);
    EXPECT_EQ(m_states[threeWay], (std::vector<DWORD>{LINECALLSTATE_CONNECTED}));
    EXPECT_EQ(m_states[primary], (std::vector<DWORD>{LINECALLSTATE_CONFERENCED}));
    // Alice, held for the consultation, is back in the call with Carol.
    ASSERT_TRUE(waitUntil([&] { return !heldByFarEnd(aliceCall); })) << log(m_alice);
    EXPECT_EQ(m_carol->Call()->State(), LINECALLSTATE_CONNECTED);

    // A party that hangs up leaves the other two talking; the last one ends it.
    ASSERT_TRUE(m_carol->Call()->Hangup());
    ASSERT_TRUE(reached(consult, LINECALLSTATE_DISCONNECTED)) << log(m_bob);
    EXPECT_EQ(status(threeWay).dwCallState, LINECALLSTATE_CONNECTED);
    ASSERT_TRUE(m_alice->Call()->Hangup());
    ASSERT_TRUE(reached(primary, LINECALLSTATE_DISCONNECTED)) << log(m_bob);
    m_bob->Call()->setHandle(threeWay);
    ASSERT_TRUE(m_bob->Call()->Hangup()) << log(m_bob);
    ASSERT_TRUE(waitUntil([&] { return m_bob->Call()->Count() == 0; })) << log(m_bob);
}

} // namespace
