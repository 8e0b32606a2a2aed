// Every object's property dump, line for line, after storing hand-built blocks: the
// flag sets with their names, the odd blanks and the deeper device-specific lines.

#include "ObjectsFixture.h"

#include <TnvAddress.h>
#include <TnvAddressCaps.h>
#include <TnvAddressForward.h>
#include <TnvLineDevice.h>
#include <TnvLineDeviceCaps.h>
#include <TnvLineLine.h>
#include <TnvTerminal.h>

#include <functional>

namespace {

class Dump : public ObjectsFixture {};

struct DumpCase {
    const char* what;
    std::function<bool()> dump;
    QStringList expected;
};

} // namespace

TEST_F(Dump, EveryObjectDumpsInTraceOrder)
{
    TnvAddress* address = m_line.Address();
    ASSERT_TRUE(m_line.Device()->Capabilities()->store(devCapsBlock()));
    m_line.Terminal()->storeFromDevCaps(devCapsBlock());
    ASSERT_TRUE(address->Capabilities()->store(addressCapsBlock()));
    address->storeCount(2);
    address->list() << "201" << "Address.ID = 1 <Name not available>";
    address->storeName("201");
    address->storeStatus(addressStatus().bytes());
    address->Forward()->storeStatus(false, LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_NOANSW, "201", "5550100", 0);
    m_line.Line()->setAppHandle(0xABCD);
    m_line.Line()->setHandle(0x80000001);
    const QString tag = QString::number(m_line.Device()->Capabilities()->devSpecificTag(), 16).rightJustified(8, '0').toUpper();
    const QString tab = QStringLiteral("\t");

    const DumpCase cases[] = {
        {"device capabilities",
         [&] { return m_line.Device()->Capabilities()->LogProperties({}, "Device", tab); },
         {"\tDevice.Capabilities.AnswerMode = [00000002]", "\t\tLINEANSWERMODE_DROP",
          "\tDevice.Capabilities.BearerModes = [00000009]", "\t\tLINEBEARERMODE_VOICE", "\t\tLINEBEARERMODE_DATA",
          "\tDevice.Capabilities.Flags = [00000120]", "\t\tLINEDEVCAPFLAGS_CLOSEDROP", "\t\tLINEDEVCAPFLAGS_DIALDIALTONE",
          "\tDevice.Capabilities.LineFeatures = [00000008]", "\t\tLINEFEATURE_MAKECALL",
          "\tDevice.Capabilities.MaxNumActiveCalls = 1", "\tDevice.Capabilities.RingModes = 3",
          "\tDevice.Capabilities.DevSpecific = [" + tag + "]", "\tDevice.Capabilities.DevSpecificSize = 4",
          "\tDevice.Capabilities.States = [00000006]", "\t\tLINEDEVSTATE_RINGING", "\t\tLINEDEVSTATE_CONNECTED",
          "\tDevice.Capabilities.Tones = [00000108]", "\t\tLINETONEMODE_BEEP"}},
        {"line", [&] { return m_line.Line()->LogProperties({}, {}, tab); },
         {"\tLine.AppHandle = [0000ABCD]", "\tLine.Handle = [80000001]"}},
        {"address", [&] { return address->LogProperties({}, {}, tab); },
         {"\tAddress.ID = -1", "\tAddress.List", "\t\t201", "\t\tAddress.ID = 1 <Name not available>",
          "\tAddress.Name = 201", "\tAddress.NumActiveCalls = 2", "\tAddress.NumInUse = 1",
          "\tAddress.NumOnHoldCalls = 3", "\tAddress.NumOnHoldPendCalls = 4", "\tAddress.NumRingsNoAnswer = 6"}},
        {"address capabilities", [&] { return address->Capabilities()->LogProperties({}, "Address", tab); },
         {"\tAddress.Capabilities.BusyModes  = [00000001]", "\t\tLINEBUSYMODE_STATION",
          "\tAddress.Capabilities.CalledIDFlags = [00000000]", "\tAddress.Capabilities.CallerIDFlags = [0000000C]",
          "\t\tLINECALLPARTYID_NAME", "\t\tLINECALLPARTYID_ADDRESS", "\tAddress.Capabilities.CallFeatures = [00000000]",
          "\tAddress.Capabilities.CallFeatures2 = [00000000]", "\tAddress.Capabilities.CallInfoStates = [00000000]",
          "\tAddress.Capabilities.CallStates = [00000101]", "\t\tLINECALLSTATE_IDLE", "\t\tLINECALLSTATE_CONNECTED",
          "\tAddress.Capabilities.ConnectedIDFlags = [00000000]", "\tAddress.Capabilities.ConnectedModes = [00000000]",
          "\t\tAddress.Capabilities.DevSpecific = [00000003]", "\t\tAddress.Capabilities.DevSpecificSize = 3",
          "\tAddress.Capabilities.DialtoneModes = [00000000]", "\tAddress.Capabilities.DisconnectModes = [00000000]",
          "\tAddress.Capabilities.Features = [00000000]", "\tAddress.Capabilities.Flags = [00000000]",
          "\tAddress.Capabilities.ForwardModes = [00000011]", "\t\tLINEFORWARDMODE_UNCOND", "\t\tLINEFORWARDMODE_BUSY",
          "\tAddress.Capabilities.MaxForwardEntries = 4", "\tAddress.Capabilities.MaxFwdNumRings = 0",
          "\tAddress.Capabilities.MaxNoAnswerTimeout = 0", "\tAddress.Capabilities.MaxNumActiveCalls = 0",
          "\tAddress.Capabilities.MaxNumOnHoldCalls = 0", "\tAddress.Capabilities.MaxNumOnHoldPendingCalls = 3",
          "\tAddress.Capabilities.MaxNumConference = 0", "\tAddress.Capabilities.MaxNumTransConf = 0",
          "\tAddress.Capabilities.MaxSpecificEntries = 0", "\tAddress.Capabilities.MinFwdNumRings = 1",
          "\tAddress.Capabilities.OfferingModes = [00000000]", "\tAddress.Capabilities.ParkModes = [00000000]",
          "\tAddress.Capabilities.RedirectingIDFlags = [00000000]", "\tAddress.Capabilities.RedirectionIDFlags = [00000000]",
          "\tAddress.Capabilities.RemoveFromConfCaps = [00000003]", "\t\tLINEREMOVEFROMCONF_ANY",
          "\tAddress.Capabilities.RemoveFromConfState = [00000400]", "\t\tLINECALLSTATE_ONHOLD",
          "\tAddress.Capabilities.SpecialInfo = [00000000]", "\tAddress.Capabilities.States = [00000000]",
          "\tAddress.Capabilities.TransferModes = [00000003]", "\t\tLINETRANSFERMODE_TRANSFER",
          "\t\tLINETRANSFERMODE_CONFERENCE"}},
        {"forward", [&] { return address->Forward()->LogProperties({}, "Address", tab); },
         {"\tAddress.Forward.Active = False", "\tAddress.Forward.Caller = 201",
          "\tAddress.Forward.ConsultCall = [00000000]", "\tAddress.Forward.Mode = [00000101]",
          "\t\tLINEFORWARDMODE_UNCOND", "\t\tLINEFORWARDMODE_NOANSW", "\tAddress.Forward.NumForwardEntries = 0",
          "\tAddress.Forward.PhoneNumber = 5550100"}},
        {"terminal", [&] { return m_line.Terminal()->LogProperties({}, {}, tab); },
         {"\tTerminal.ActiveModes  = [00000000]", "\tTerminal.AvailableModes  = [00000089]", "\t\tLINETERMMODE_BUTTONS",
          "\t\tLINETERMMODE_RINGER", "\t\tLINETERMMODE_MEDIABIDIRECT", "\tTerminal.Count = 2", "\tTerminal.Device = 1",
          "\tTerminal.ID = 0", "\tTerminal.List", "\t\tHandset", "\t\tHeadset", "\tTerminal.Name = 'Handset'",
          "\tTerminal.Sharing  = [00000001]", "\t\tLINETERMSHARING_PRIVATE"}},
    };
    for (const DumpCase& c : cases) {
        mark();
        EXPECT_TRUE(c.dump()) << c.what;
        EXPECT_EQ(written(), c.expected) << c.what;
    }

    // An inactive log takes no dump.
    m_line.Log()->setActive(false);
    mark();
    for (const DumpCase& c : cases)
        EXPECT_FALSE(c.dump()) << c.what;
    EXPECT_TRUE(written().isEmpty());
}
