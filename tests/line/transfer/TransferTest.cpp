// Consultation transfer end to end on the simulated exchange: the consultation call, the
// swaps between the two calls, the completed transfer and the three-way call.

#include "LineHarness.h"
#include <TnvLinePrivate.h>

#include "EventLoop.h"

#include <ServiceControl.h>
#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvAddress.h>
#include <TnvAddressCaps.h>
#include <TnvCall.h>
#include <TnvConference.h>
#include <TnvLineDevice.h>
#include <TnvLineLine.h>
#include <TnvTAPI.h>
#include <TnvTransfer.h>

#include <QJsonObject>

namespace {

class Transfer : public LineHarness {
protected:
    // A line with one connected call to 555-0100, which is the transfer's primary call.
    std::unique_ptr<TnvLine> connectedLine()
    {
        std::unique_ptr<TnvLine> line = loadDialerLine();
        line->Device()->setActive(true);
        line->OnConnected = [this](TnvSharedControl*, int call) { m_connected << HCALL(call); };
        line->OnCallEnd = [this](TnvSharedControl*, int call) { m_ended << HCALL(call); };
        line->Call()->setPhoneNumber(QStringLiteral("5550100"));
        if (!line->Call()->Dial() || !waitUntil([&] { return !m_connected.isEmpty(); }))
            return nullptr;
        line->Transfer()->setPrimaryCall(line->Call()->Handle());
        line->Transfer()->setPhoneNumber(QStringLiteral("5550100"));
        return line;
    }

    // Dials the consultation call and waits until it is answered.
    bool consult(TnvLine* line)
    {
        if (!line->Transfer()->Dial())
            return false;
        const HCALL consultCall = line->Transfer()->ConsultCall();
        return consultCall != 0 && waitUntil([&] { return m_connected.contains(consultCall); });
    }

    QList<HCALL> m_connected;
    QList<HCALL> m_ended;
};

TEST_F(Transfer, DialWithoutAPrimaryCallChangesNothing)
{
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    takeTrace();
    EXPECT_FALSE(line->Transfer()->Dial());
    EXPECT_EQ(line->Error()->Number(), qint32(LINEERR_CALLUNAVAIL));
    EXPECT_EQ(line->Call()->Count(), 0);
    EXPECT_EQ(takeTrace(), QStringList({"Transfer.Dial [00000000]", "\tTransfer.PhoneNumber = ",
                                        "<< Error >> LINEERR_CALLUNAVAIL [80000005]",
                                        "\tTransfer.Dial [00000000] - Returned = False"}));
}

TEST_F(Transfer, ConsultationTransferFromDialToComplete)
{
    std::unique_ptr<TnvLine> line = connectedLine();
    ASSERT_TRUE(line);
    const HCALL primary = line->Transfer()->PrimaryCall();
    takeTrace();
    ASSERT_TRUE(consult(line.get()));
    const HCALL consultCall = line->Transfer()->ConsultCall();
    EXPECT_EQ(line->Call()->Handle(), consultCall);
    EXPECT_EQ(line->Call()->Count(), 2);

    ASSERT_TRUE(line->Transfer()->Complete());
    // Both calls leave this line; the primary's going idle resets the transfer.
    ASSERT_TRUE(waitUntil([&] { return m_ended.size() == 2; }));
    EXPECT_EQ(line->Call()->Count(), 0);
    EXPECT_EQ(line->Transfer()->PrimaryCall(), 0u);
    EXPECT_EQ(line->Transfer()->ConsultCall(), 0u);
    expectTrace(QStringLiteral("transfer-complete"), takeNormalizedTrace({primary, consultCall}));
}

TEST_F(Transfer, ConsultationCallWithoutDialToneTimesOut)
{
    std::unique_ptr<TnvLine> line = connectedLine();
    ASSERT_TRUE(line);
    const HCALL primary = line->Transfer()->PrimaryCall();
    // The switch runs out of dial tone; the control gives up after its time-out.
    line->TAPI()->setReplyTimeout(200);
    ASSERT_TRUE(control(QStringLiteral("dialtone"), {{"line", 1}, {"on", false}}));
    EXPECT_FALSE(line->Transfer()->Dial());
    EXPECT_EQ(line->Error()->Number(), -3);
    EXPECT_EQ(line->Call()->Handle(), primary);
    EXPECT_EQ(line->Transfer()->PrimaryCall(), 0u);
    EXPECT_EQ(line->Transfer()->ConsultCall(), 0u);
}

TEST_F(Transfer, SwapHoldPassesTheConnectedCallFirst)
{
    // The exchange refuses a swap whose active call is not connected, so two successful
    // swaps in a row show that both orders were chosen right.
    std::unique_ptr<TnvLine> line = connectedLine();
    ASSERT_TRUE(line);
    ASSERT_TRUE(consult(line.get()));
    const HCALL primary = line->Transfer()->PrimaryCall();
    const HCALL consultCall = line->Transfer()->ConsultCall();
    for (const HCALL connected : {primary, consultCall}) {
        ASSERT_TRUE(line->Transfer()->SwapHold()) << line->Error()->Text().toStdString();
        line->Call()->setHandle(connected);
        ASSERT_TRUE(waitUntil([&] { return line->Call()->State() == LINECALLSTATE_CONNECTED; }));
    }
    EXPECT_FALSE(line->Conference()->SwapHold());
    EXPECT_EQ(line->Error()->Number(), qint32(LINEERR_INVALCALLHANDLE));
}

TEST_F(Transfer, ThreeWayBecomesTheConferenceWhereTheAddressCanAddCalls)
{
    for (const bool addToConference : {true, false}) {
        SCOPED_TRACE(addToConference);
        TnvLinePrivate::setRememberedActiveRequest(false);
        m_connected.clear();
        std::unique_ptr<TnvLine> line = connectedLine();
        ASSERT_TRUE(line);
        if (!addToConference) {
            QByteArray caps(4096, '\0');
            auto* fields = reinterpret_cast<LINEADDRESSCAPS*>(caps.data());
            fields->dwTotalSize = DWORD(caps.size());
            ASSERT_EQ(lineGetAddressCaps(line->Line()->AppHandle(), 0, 0, line->TAPI()->Version(), 0, fields), 0);
            fields->dwCallFeatures &= ~DWORD(LINECALLFEATURE_ADDTOCONF);
            ASSERT_TRUE(line->Address()->Capabilities()->store(caps));
        }
        ASSERT_TRUE(consult(line.get()));
        const HCALL consultCall = line->Transfer()->ConsultCall();
        ASSERT_TRUE(line->Transfer()->ThreeWay()) << line->Error()->Text().toStdString();
        const HCALL threeWay = line->Transfer()->ThreeWayCall();
        EXPECT_NE(threeWay, 0u);
        EXPECT_EQ(line->Call()->Handle(), threeWay);
        if (addToConference) {
            EXPECT_EQ(line->Conference()->Handle(), threeWay);
            EXPECT_EQ(line->Conference()->Count(), 1);
            EXPECT_EQ(line->Conference()->ConsultCall(), consultCall);
        } else {
            // Only the calls' own CONFERENCED states reach the conference then.
            EXPECT_EQ(line->Conference()->Handle(), 0u);
        }
        // Dropping the conference takes its parties with it.
        ASSERT_TRUE(line->Call()->Hangup());
        ASSERT_TRUE(waitUntil([&] { return line->Call()->Count() == 0; }));
        EXPECT_EQ(line->Transfer()->PrimaryCall(), 0u);
        EXPECT_EQ(line->Conference()->PrimaryCall(), 0u);
    }
}

TEST_F(Transfer, PrimaryCallEndingDuringDialResetsTheTransfer)
{
    // The far end of the primary call hangs up while Dial waits for its consultation
    // call; the application drops it as it goes, and the transfer lets go of it there.
    std::unique_ptr<TnvLine> line = connectedLine();
    ASSERT_TRUE(line);
    const HCALL primary = line->Transfer()->PrimaryCall();
    line->OnDialtone = [&](TnvSharedControl*, int) {
        // The exchange's own id of the held primary call.
        control(QStringLiteral("hangup"),
                {{"call", exchangeCall(QStringLiteral("state"), QStringLiteral("ONHOLDPENDTRANSFER"))}});
    };
    line->OnDisconnected = [&](TnvSharedControl*, int call) {
        if (HCALL(call) == primary) {
            line->Call()->setHandle(primary);
            line->Call()->Hangup();
        }
    };
    line->Transfer()->Dial();
    ASSERT_TRUE(waitUntil([&] { return m_ended.contains(primary); }));
    EXPECT_EQ(line->Transfer()->PrimaryCall(), 0u);
    for (const QString& text : line->Call()->List().mid(1)) {
        line->Call()->setHandle(text.toUInt(nullptr, 16));
        line->Call()->Hangup();
    }
    EXPECT_TRUE(waitUntil([&] { return line->Call()->Count() == 0; }));
}

} // namespace
