// The objects on an open line of the simulated exchange: selecting an address, switching
// forwarding on and off and reading it back from the address status, and routing a
// terminal's modes.

#include "EventLoop.h"
#include "InstantService.h"

#include <TapiConstants.h>
#include <TnvAddress.h>
#include <TnvAddressCaps.h>
#include <TnvAddressForward.h>
#include <TnvCall.h>
#include <TnvError.h>
#include <TnvLine.h>
#include <TnvLinePrivate.h>
#include <TnvLineDevice.h>
#include <TnvTerminal.h>


#include <gtest/gtest.h>

#include <memory>

namespace {

class OpenLine : public InstantServiceTest {
protected:
    void SetUp() override
    {
        InstantServiceTest::SetUp();
        m_line = std::make_unique<TnvLine>();
        m_line->Log()->setCount(1000);
        m_line->setEnabled(true);
        ASSERT_TRUE(m_line->Initialised());
        m_line->Device()->setActive(true);
        ASSERT_TRUE(m_line->Device()->Active());
        mark();
    }

    void TearDown() override
    {
        m_line.reset();
        InstantServiceTest::TearDown();
    }

    void mark() { m_mark = m_line->Log()->Lines().size(); }
    QStringList written() const { return m_line->Log()->Lines().mid(m_mark); }

    TnvAddress* address() { return m_line->Address(); }
    TnvAddressForward* forward() { return m_line->Address()->Forward(); }
    TnvTerminal* terminal() { return m_line->Terminal(); }

    std::unique_ptr<TnvLine> m_line;
    qsizetype m_mark = 0;
};

} // namespace

TEST_F(OpenLine, OpeningFillsTheAddressAndTheTerminal)
{
    EXPECT_EQ(address()->Count(), 1);
    EXPECT_EQ(address()->ID(), 0);
    EXPECT_EQ(address()->List(), QStringList{"201"});
    EXPECT_EQ(address()->Name(), QStringLiteral("201"));
    EXPECT_NE(address()->Capabilities()->States() & LINEADDRESSSTATE_FORWARD, 0u);
    EXPECT_TRUE(terminal()->Available());
    EXPECT_EQ(terminal()->List(), QStringList{"Handset"});
    EXPECT_EQ(terminal()->Device(), LINETERMDEV_PHONE);
    EXPECT_EQ(terminal()->Sharing(), LINETERMSHARING_PRIVATE);
    EXPECT_NE(terminal()->AvailableModes() & LINETERMMODE_MEDIABIDIRECT, 0u);
}

TEST_F(OpenLine, SelectingTheAddressReadsItsCapabilities)
{
    address()->setID(0);
    EXPECT_EQ(m_line->Error()->Number(), 0);
    EXPECT_EQ(written(), (QStringList{"Address.ID := 0", "\tAddress.Count = 1", "\tAddress.Name = '201'"}));

    address()->setID(1);
    EXPECT_EQ(m_line->Error()->Number(), qint32(LINEERR_INVALADDRESSID));
    EXPECT_EQ(address()->ID(), 0);
}

TEST_F(OpenLine, ForwardingRoundTripFollowsTheAddressStatus)
{
    forward()->setMode(LINEFORWARDMODE_UNCOND);
    forward()->setPhoneNumber(QStringLiteral("202"));
    forward()->setActive(true);
    EXPECT_EQ(m_line->Error()->Number(), 0);
    EXPECT_TRUE(forward()->Active());
    EXPECT_EQ(forward()->Mode(), LINEFORWARDMODE_UNCOND);
    EXPECT_EQ(forward()->PhoneNumber(), QStringLiteral("202"));
    EXPECT_TRUE(forward()->Caller().isEmpty());
    EXPECT_EQ(forward()->NumForwardEntries(), 1);
    EXPECT_EQ(TnvLinePrivate::get(m_line.get())->records().current().requests[TnvCallRecord::SlotForward], 0);

    forward()->setActive(false);
    EXPECT_EQ(m_line->Error()->Number(), 0);
    EXPECT_FALSE(forward()->Active());
    EXPECT_EQ(forward()->NumForwardEntries(), 0);
    EXPECT_EQ(forward()->Mode(), 0u);
}

TEST_F(OpenLine, TerminalModesAreSwitchedOnAndTheRestOff)
{
    const quint32 wanted = LINETERMMODE_RINGER | LINETERMMODE_MEDIABIDIRECT;
    terminal()->setActiveModes(wanted);
    EXPECT_EQ(m_line->Error()->Number(), 0);
    EXPECT_EQ(terminal()->RequestSlot(), 0);
    EXPECT_TRUE(waitUntil([&] { return terminal()->ActiveModes() == wanted; }))
        << terminal()->ActiveModes();

    // A mode the terminal lacks leaves nothing to switch on: every mode goes off.
    terminal()->setActiveModes(LINETERMMODE_MEDIATOLINE);
    EXPECT_EQ(m_line->Error()->Number(), 0);
    EXPECT_TRUE(waitUntil([&] { return terminal()->ActiveModes() == 0; })) << terminal()->ActiveModes();
}
