// A conference built and taken apart on the simulated exchange: two consultation calls
// dialled and added, then removed again one by one.

#include "LineHarness.h"

#include "EventLoop.h"

#include <TapiConstants.h>
#include <TnvCall.h>
#include <TnvConference.h>
#include <TnvLineDevice.h>
#include <TnvNotation.h>
#include <ServiceControl.h>

#include <QCoreApplication>
#include <QJsonObject>

namespace {

class Conference : public LineHarness {
protected:
    void SetUp() override
    {
        LineHarness::SetUp();
        m_line = loadDialerLine();
        m_line->Device()->setActive(true);
        m_line->OnConnected = [this](TnvSharedControl*, int call) { m_connected << HCALL(call); };
    }

    void TearDown() override
    {
        m_line.reset();
        LineHarness::TearDown();
    }

    bool dialConnected(const QString& number)
    {
        m_line->Call()->setPhoneNumber(number);
        return m_line->Call()->Dial() && waitUntil([&] { return !m_connected.isEmpty(); });
    }

    // Dials the next party of the conference and waits until it answers.
    bool dialParty()
    {
        TnvConference* conference = m_line->Conference();
        if (!conference->Dial())
            return false;
        const HCALL party = conference->ConsultCall();
        return party != 0 && waitUntil([&] { return m_connected.contains(party); });
    }

    std::unique_ptr<TnvLine> m_line;
    QList<HCALL> m_connected;
};

TEST_F(Conference, ThreePartiesBuiltAndTakenApart)
{
    ASSERT_TRUE(dialConnected(QStringLiteral("5550100")));
    TnvConference* conference = m_line->Conference();
    const HCALL primary = m_line->Call()->Handle();
    conference->setPrimaryCall(primary);
    conference->setPhoneNumber(QStringLiteral("5550120"));
    takeTrace();

    ASSERT_TRUE(dialParty()) << m_line->Error()->Text().toStdString();
    const HCALL conferenceCall = conference->Handle();
    const HCALL first = conference->ConsultCall();
    ASSERT_NE(conferenceCall, 0u);
    EXPECT_EQ(conference->Count(), 1);
    ASSERT_TRUE(conference->AddCall()) << m_line->Error()->Text().toStdString();

    // The second party is prepared on the running conference: no new conference call.
    conference->setPhoneNumber(QStringLiteral("5550121"));
    ASSERT_TRUE(dialParty()) << m_line->Error()->Text().toStdString();
    const HCALL second = conference->ConsultCall();
    EXPECT_EQ(conference->Handle(), conferenceCall);
    EXPECT_EQ(conference->List(), QStringList({TnvNotation::hex8(first), TnvNotation::hex8(second)}));
    ASSERT_TRUE(conference->AddCall()) << m_line->Error()->Text().toStdString();
    EXPECT_EQ(m_line->Call()->Count(), 4);

    ASSERT_TRUE(conference->RemoveCall());
    EXPECT_EQ(conference->Count(), 1);
    EXPECT_EQ(conference->ConsultCall(), first);
    ASSERT_TRUE(conference->RemoveCall());
    EXPECT_EQ(conference->Count(), 0);
    EXPECT_EQ(conference->ConsultCall(), 0u);
    EXPECT_TRUE(conference->List().isEmpty());
    QCoreApplication::processEvents();
    expectTrace(QStringLiteral("conference-three-parties"),
                takeNormalizedTrace({primary, conferenceCall, first, second}));

    // Dropping the conference call ends what is left.
    m_line->Call()->setHandle(conferenceCall);
    ASSERT_TRUE(m_line->Call()->Hangup());
    ASSERT_TRUE(waitUntil([&] { return m_line->Call()->Count() == 0; }));
    EXPECT_EQ(conference->Handle(), 0u);
    EXPECT_EQ(conference->PrimaryCall(), 0u);
}

TEST_F(Conference, PartyHangingUpLeavesTheList)
{
    ASSERT_TRUE(dialConnected(QStringLiteral("5550100")));
    TnvConference* conference = m_line->Conference();
    conference->setPrimaryCall(m_line->Call()->Handle());
    conference->setPhoneNumber(QStringLiteral("5550120"));
    m_line->OnDisconnected = [&](TnvSharedControl*, int call) {
        m_line->Call()->setHandle(HCALL(call));
        m_line->Call()->Hangup();
    };
    ASSERT_TRUE(dialParty());
    ASSERT_TRUE(conference->AddCall());
    EXPECT_EQ(conference->Count(), 1);
    // The party's own leg at the exchange hangs up.
    const QJsonValue party = exchangeCall(QStringLiteral("party"), QStringLiteral("5550120"));
    ASSERT_TRUE(control(QStringLiteral("hangup"), {{"call", party}}));
    ASSERT_TRUE(waitUntil([&] { return conference->Count() == 0; }));
    EXPECT_EQ(conference->ConsultCall(), 0u);
}

TEST_F(Conference, ChoosingAConsultationCallOutsideTheList)
{
    TnvConference* conference = m_line->Conference();
    conference->setConsultCall(0x10001);
    EXPECT_EQ(m_line->Error()->Number(), qint32(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(conference->ConsultCall(), 0u);
    EXPECT_FALSE(conference->Dial());
    EXPECT_EQ(m_line->Error()->Number(), qint32(LINEERR_CALLUNAVAIL));
    EXPECT_FALSE(conference->RemoveCall());
    EXPECT_EQ(m_line->Error()->Number(), qint32(LINEERR_INVALCALLHANDLE));
}

} // namespace
