// What the objects keep of the structure blocks: the fields, owned device-specific
// copies, the first forward entry (texts relative to the status block), terminal names
// with their fallback, the active modes of the selected terminal, and parts lying
// outside their block, which give empty values instead of reads past the end.

#include "ObjectsFixture.h"

#include <TnvAddress.h>
#include <TnvAddressCaps.h>
#include <TnvAddressForward.h>
#include <TnvCallParameters.h>
#include <TnvLineDevice.h>
#include <TnvLineDeviceCaps.h>
#include <TnvTerminal.h>

#include <QMetaProperty>

namespace {

class Store : public ObjectsFixture {
protected:
    TnvAddressForward* forward() { return m_line.Address()->Forward(); }
    TnvTerminal* terminal() { return m_line.Terminal(); }
};

template<typename T>
void setField(QByteArray& block, DWORD T::*field, DWORD value)
{
    reinterpret_cast<T*>(block.data())->*field = value;
}

} // namespace

TEST_F(Store, DeviceCapabilitiesOwnACopyOfTheirDeviceSpecificBlock)
{
    TnvLineDeviceCaps* caps = m_line.Device()->Capabilities();
    QByteArray block = devCapsBlock();
    ASSERT_TRUE(caps->store(block));
    block.fill('\0');
    EXPECT_EQ(caps->DevSpecific(), QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(caps->States(), LINEDEVSTATE_RINGING | LINEDEVSTATE_CONNECTED);
    EXPECT_EQ(caps->Tones(), LINETONEMODE_BEEP | 0x100u);
    EXPECT_FALSE(caps->store(QByteArray(sizeof(LINEDEVCAPS) - 1, '\xFF')));
    EXPECT_EQ(caps->DevSpecificSize(), 4);

    const std::pair<DWORD, DWORD> outside[] = {{4, 0x10000}, {0x1000, 8}, {8, 0xFFFFFFFC}}; // size, offset
    for (const auto& [size, offset] : outside) {
        QByteArray bad = devCapsBlock();
        setField(bad, &LINEDEVCAPS::dwDevSpecificSize, size);
        setField(bad, &LINEDEVCAPS::dwDevSpecificOffset, offset);
        ASSERT_TRUE(caps->store(bad));
        EXPECT_EQ(caps->DevSpecificSize(), 0) << size << "@" << offset;
        EXPECT_EQ(caps->devSpecificTag(), 0u);
    }
}

TEST_F(Store, AddressCapabilityPropertiesFollowTheirFieldsInOrder)
{
    const std::pair<const char*, DWORD LINEADDRESSCAPS::*> fields[] = {
        {"Flags", &LINEADDRESSCAPS::dwAddrCapFlags}, {"BusyModes", &LINEADDRESSCAPS::dwBusyModes},
        {"CallerIDFlags", &LINEADDRESSCAPS::dwCallerIDFlags}, {"CalledIDFlags", &LINEADDRESSCAPS::dwCalledIDFlags},
        {"ConnectedIDFlags", &LINEADDRESSCAPS::dwConnectedIDFlags},
        {"RedirectionIDFlags", &LINEADDRESSCAPS::dwRedirectionIDFlags},
        {"RedirectingIDFlags", &LINEADDRESSCAPS::dwRedirectingIDFlags},
        {"CallInfoStates", &LINEADDRESSCAPS::dwCallInfoStates}, {"CallStates", &LINEADDRESSCAPS::dwCallStates},
        {"DialtoneModes", &LINEADDRESSCAPS::dwDialToneModes}, {"DisconnectModes", &LINEADDRESSCAPS::dwDisconnectModes},
        {"States", &LINEADDRESSCAPS::dwAddressStates}, {"SpecialInfo", &LINEADDRESSCAPS::dwSpecialInfo},
        {"MaxNumActiveCalls", &LINEADDRESSCAPS::dwMaxNumActiveCalls},
        {"MaxNumOnHoldCalls", &LINEADDRESSCAPS::dwMaxNumOnHoldCalls},
        {"MaxNumOnHoldPendingCalls", &LINEADDRESSCAPS::dwMaxNumOnHoldPendingCalls},
        {"MaxNumConference", &LINEADDRESSCAPS::dwMaxNumConference},
        {"MaxNumTransConf", &LINEADDRESSCAPS::dwMaxNumTransConf}, {"CallFeatures", &LINEADDRESSCAPS::dwCallFeatures},
        {"CallFeatures2", &LINEADDRESSCAPS::dwCallFeatures2},
        {"RemoveFromConfCaps", &LINEADDRESSCAPS::dwRemoveFromConfCaps},
        {"RemoveFromConfState", &LINEADDRESSCAPS::dwRemoveFromConfState},
        {"TransferModes", &LINEADDRESSCAPS::dwTransferModes}, {"ParkModes", &LINEADDRESSCAPS::dwParkModes},
        {"ForwardModes", &LINEADDRESSCAPS::dwForwardModes}, {"MaxForwardEntries", &LINEADDRESSCAPS::dwMaxForwardEntries},
        {"MaxSpecificEntries", &LINEADDRESSCAPS::dwMaxSpecificEntries},
        {"MinFwdNumRings", &LINEADDRESSCAPS::dwMinFwdNumRings}, {"MaxFwdNumRings", &LINEADDRESSCAPS::dwMaxFwdNumRings},
        {"Features", &LINEADDRESSCAPS::dwAddressFeatures},
        {"MaxNoAnswerTimeout", &LINEADDRESSCAPS::dwMaxNoAnswerTimeout},
        {"ConnectedModes", &LINEADDRESSCAPS::dwConnectedModes}, {"OfferingModes", &LINEADDRESSCAPS::dwOfferingModes},
        {"DevSpecificSize", nullptr}, {"DevSpecific", nullptr}};
    QByteArray block = addressCapsBlock();
    for (DWORD i = 0; i < std::size(fields); ++i)
        if (fields[i].second)
            setField(block, fields[i].second, 0x100 + i);
    TnvAddressCaps* caps = m_line.Address()->Capabilities();
    ASSERT_TRUE(caps->store(block));
    const QMetaObject* meta = caps->metaObject();
    ASSERT_EQ(meta->propertyCount() - meta->propertyOffset(), int(std::size(fields)));
    for (DWORD i = 0; i < std::size(fields); ++i) {
        const QMetaProperty property = meta->property(meta->propertyOffset() + int(i));
        EXPECT_STREQ(property.name(), fields[i].first);
        if (fields[i].second) {
            EXPECT_EQ(property.read(caps).toUInt(), 0x100 + i) << fields[i].first;
        }
    }
    EXPECT_EQ(caps->DevSpecific(), QByteArray("abc"));
    caps->clear();
    EXPECT_EQ(caps->MaxForwardEntries() | caps->OfferingModes() | quint32(caps->DevSpecificSize()), 0u);
}

TEST_F(Store, AddressStatusTakesCountersAndOnlyTheFirstForwardEntry)
{
    struct Case {
        const char* what;
        DWORD numEntries, forwardSize, entryShift, textOffset;
        bool active;
        qint32 entries;
        quint32 mode;
        const char* text;
    };
    const DWORD fwd = sizeof(LINEFORWARD);
    const Case cases[] = {
        {"two entries", 2, 2 * fwd, 0, 0, true, 1, LINEFORWARDMODE_BUSY, "202"},
        {"not forwarded", 0, 0, 0, 0, false, 0, 0, ""},
        {"entries without a list", 3, 0, 0, 0, false, 3, 0, ""},
        {"texts outside the block", 1, fwd, 0, 0x7FFFFFF0, true, 1, LINEFORWARDMODE_BUSY, ""},
        {"texts wrapping around", 1, fwd, 0, 0xFFFFFFFE, true, 1, LINEFORWARDMODE_BUSY, ""},
        {"entry outside the block", 1, fwd, 2 * fwd, 0, true, 1, 0, ""},
    };
    for (const Case& c : cases) {
        forward()->storeStatus(true, 7, "old", "old", 9);
        TapiBlock<LINEADDRESSSTATUS> status = addressStatus();
        const DWORD text = c.textOffset ? c.textOffset : status.append(QByteArray(" 202 \0", 6));
        const DWORD at = status.appendStruct(LINEFORWARD{LINEFORWARDMODE_BUSY, 6, text, 0, 6, text});
        status.appendStruct(LINEFORWARD{LINEFORWARDMODE_NOANSW, 0, 0, 0, 0, 0});
        LINEADDRESSSTATUS& s = status.fields();
        s.dwForwardNumEntries = c.numEntries;
        s.dwForwardSize = c.forwardSize;
        s.dwForwardOffset = at + c.entryShift;
        m_line.Address()->storeStatus(status.bytes());
        EXPECT_EQ(m_line.Address()->NumRingsNoAnswer(), 6u);
        EXPECT_EQ(forward()->Active(), c.active) << c.what;
        EXPECT_EQ(forward()->NumForwardEntries(), c.entries) << c.what;
        EXPECT_EQ(forward()->Mode(), c.mode) << c.what;
        EXPECT_EQ(forward()->Caller(), QLatin1String(c.text)) << c.what;
        EXPECT_EQ(forward()->PhoneNumber(), QLatin1String(c.text)) << c.what;
    }
    m_line.Address()->storeStatus(QByteArray(sizeof(LINEADDRESSSTATUS) - 1, '\0'));
    EXPECT_EQ(m_line.Address()->NumInUse(), 1u);
}

TEST_F(Store, ClearingTheAddressKeepsTheForwardingSettings)
{
    TnvAddress* address = m_line.Address();
    address->storeCount(2);
    address->list() << "201";
    ASSERT_TRUE(address->Capabilities()->store(addressCapsBlock()));
    address->storeStatus(addressStatus().bytes());
    forward()->storeStatus(true, LINEFORWARDMODE_BUSY, "201", "5550100", 1);
    forward()->Parameters()->setDefaults(false);
    address->clear();
    EXPECT_EQ(address->ID(), 0);
    EXPECT_EQ(address->Count(), 0);
    EXPECT_TRUE(address->List().isEmpty());
    EXPECT_EQ(address->Capabilities()->DevSpecificSize(), 0);
    EXPECT_EQ(address->NumInUse() | address->NumRingsNoAnswer(), 0u);
    EXPECT_FALSE(forward()->Active());
    EXPECT_EQ(forward()->Mode(), LINEFORWARDMODE_BUSY);
    EXPECT_EQ(forward()->PhoneNumber(), QStringLiteral("5550100"));
    EXPECT_FALSE(forward()->Parameters()->Defaults());
}

TEST_F(Store, TerminalsTakeNamesOrFallbacksAndTheFirstCapabilities)
{
    struct Case {
        const char* what;
        DWORD LINEDEVCAPS::*field;
        DWORD value;
        QStringList names;
        quint32 modes;
    };
    const Case cases[] = {
        {"names trimmed", nullptr, 0, {"Handset", "Headset"}, kHandset.dwTermModes},
        {"no texts", &LINEDEVCAPS::dwTerminalTextSize, 0,
         {"Terminal.ID = 0 <Name not available>", "Terminal.ID = 1 <Name not available>"}, kHandset.dwTermModes},
        {"names outside", &LINEDEVCAPS::dwTerminalTextOffset, 0x7FFFFFF0, {"", ""}, kHandset.dwTermModes},
        {"names wrap around", &LINEDEVCAPS::dwTerminalTextOffset, 0xFFFFFFFB, {"", ""}, kHandset.dwTermModes},
        {"entries too large", &LINEDEVCAPS::dwTerminalTextEntrySize, 0x01000000, {"", ""}, kHandset.dwTermModes},
        {"caps outside", &LINEDEVCAPS::dwTerminalCapsOffset, 0x10000, {"Handset", "Headset"}, 0},
    };
    for (const Case& c : cases) {
        QByteArray block = devCapsBlock();
        if (c.field)
            setField(block, c.field, c.value);
        terminal()->storeFromDevCaps(block);
        EXPECT_TRUE(terminal()->Available()) << c.what;
        EXPECT_EQ(terminal()->List(), c.names) << c.what;
        EXPECT_EQ(terminal()->Name(), c.names.first()) << c.what;
        EXPECT_EQ(terminal()->AvailableModes(), c.modes) << c.what;
        EXPECT_EQ(terminal()->Sharing(), c.modes ? kHandset.dwTermSharing : 0u) << c.what;
    }

    terminal()->storeFromDevCaps(devCapsBlock(0, {}));
    EXPECT_FALSE(terminal()->Available());
    EXPECT_TRUE(terminal()->Name().isEmpty());
    QByteArray huge = devCapsBlock(1, {});
    setField(huge, &LINEDEVCAPS::dwNumTerminals, 0xFFFFFFFF);
    terminal()->storeFromDevCaps(huge);
    EXPECT_EQ(terminal()->List().size(), qsizetype(TnvTerminal::MaxTerminals));
}

TEST_F(Store, ActiveModesAreTheSelectedTerminalsAvailableModesSwitchedOn)
{
    struct Case {
        const char* what;
        QList<DWORD> entries;
        DWORD size; // 0: the entries' own size
        bool inside;
        quint32 expected;
    };
    const Case cases[] = {
        {"all on", {0xFFFFFFFF, 0}, 0, true, kHandset.dwTermModes},
        {"low byte only", {0x0100 | LINETERMMODE_RINGER, 0}, 0, true, LINETERMMODE_RINGER},
        {"unavailable dropped", {LINETERMMODE_LAMPS | LINETERMMODE_BUTTONS}, 0, true, LINETERMMODE_BUTTONS},
        {"second entry is not ours", {0, 0xFF}, 0, true, 0},
        {"no list", {}, 0, true, 0},
        {"list outside", {0xFF}, 0, false, 0},
        {"list too short", {0xFF}, 2, true, 0},
    };
    terminal()->storeFromDevCaps(devCapsBlock());
    for (const Case& c : cases) {
        TapiBlock<LINEDEVSTATUS> status;
        QByteArray list;
        for (DWORD e : c.entries)
            list += QByteArray(reinterpret_cast<const char*>(&e), sizeof e);
        const DWORD offset = status.append(list);
        status.fields().dwTerminalModesSize = c.size ? c.size : DWORD(list.size());
        status.fields().dwTerminalModesOffset = c.inside ? offset : 0x40000000;
        terminal()->storeActiveModes(status.bytes());
        EXPECT_EQ(terminal()->ActiveModes(), c.expected) << c.what;
    }
    terminal()->requestSlot() = 12;
    terminal()->clear();
    EXPECT_EQ(terminal()->RequestSlot() | terminal()->Count() | qint32(terminal()->AvailableModes()), 0);
}
