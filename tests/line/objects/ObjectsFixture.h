#pragma once

// A line control without a telephony service, hand-built structure blocks to feed its
// device, address and terminal objects, and the trace lines written since a mark.

#include <TapiConstants.h>
#include <TnvLine.h>
#include <TnvLinePrivate.h>

#include <QByteArray>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>

// A structure block as the service returns one: the fixed part, then variable parts
// appended behind it at the offsets append() gives.
template<typename T>
class TapiBlock {
public:
    TapiBlock() : m_bytes(qsizetype(sizeof(T)), '\0') {}

    // Valid until the next append.
    T& fields() { return *reinterpret_cast<T*>(m_bytes.data()); }

    DWORD append(const QByteArray& bytes)
    {
        const DWORD offset = DWORD(m_bytes.size());
        m_bytes += bytes;
        return offset;
    }

    template<typename Part>
    DWORD appendStruct(const Part& part) { return append(QByteArray(reinterpret_cast<const char*>(&part), sizeof part)); }

    // The block with its three size fields filled in, as after a successful read.
    QByteArray bytes()
    {
        const DWORD size = DWORD(m_bytes.size());
        for (int i = 0; i < 3; ++i)
            std::memcpy(m_bytes.data() + 4 * i, &size, sizeof size);
        return m_bytes;
    }

private:
    QByteArray m_bytes;
};

inline const LINETERMCAPS kHandset{LINETERMDEV_PHONE, LINETERMMODE_BUTTONS | LINETERMMODE_RINGER | LINETERMMODE_MEDIABIDIRECT,
                                   LINETERMSHARING_PRIVATE};
inline const LINETERMCAPS kHeadset{LINETERMDEV_HEADSET, LINETERMMODE_MEDIABIDIRECT, LINETERMSHARING_SHAREDEXCL};

// Device capabilities with a four-byte device-specific block and terminals alternating
// handset and headset, named in entries of ten bytes (no texts when names is empty).
inline QByteArray devCapsBlock(DWORD terminals = 2, const QList<QByteArray>& names = {"Handset", " Headset \t"})
{
    TapiBlock<LINEDEVCAPS> block;
    const DWORD specific = block.append(QByteArray("\x01\x02\x03\x04", 4));
    QByteArray caps;
    for (DWORD i = 0; i < terminals; ++i) {
        const LINETERMCAPS& term = i % 2 ? kHeadset : kHandset;
        caps += QByteArray(reinterpret_cast<const char*>(&term), sizeof term);
    }
    const DWORD capsOffset = block.append(caps);
    QByteArray texts;
    for (const QByteArray& name : names)
        texts += name.leftJustified(10, '\0', true);
    const DWORD textOffset = block.append(texts);
    LINEDEVCAPS& f = block.fields();
    f.dwAnswerMode = LINEANSWERMODE_DROP;
    f.dwBearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_DATA;
    f.dwDevCapFlags = LINEDEVCAPFLAGS_CLOSEDROP | LINEDEVCAPFLAGS_DIALDIALTONE;
    f.dwLineFeatures = LINEFEATURE_MAKECALL;
    f.dwMaxNumActiveCalls = 1;
    f.dwRingModes = 3;
    f.dwLineStates = LINEDEVSTATE_RINGING | LINEDEVSTATE_CONNECTED;
    f.dwGenerateToneModes = LINETONEMODE_BEEP | 0x100; // a bit above the listed tone modes
    f.dwDevSpecificSize = 4;
    f.dwDevSpecificOffset = specific;
    f.dwNumTerminals = terminals;
    f.dwTerminalCapsSize = DWORD(caps.size());
    f.dwTerminalCapsOffset = capsOffset;
    f.dwTerminalTextEntrySize = names.isEmpty() ? 0 : 10;
    f.dwTerminalTextSize = DWORD(texts.size());
    f.dwTerminalTextOffset = textOffset;
    return block.bytes();
}

inline QByteArray addressCapsBlock()
{
    TapiBlock<LINEADDRESSCAPS> block;
    const DWORD specific = block.append(QByteArray("abc"));
    LINEADDRESSCAPS& f = block.fields();
    f.dwBusyModes = LINEBUSYMODE_STATION;
    f.dwCallerIDFlags = LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS;
    f.dwCallStates = LINECALLSTATE_IDLE | LINECALLSTATE_CONNECTED;
    f.dwForwardModes = LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_BUSY;
    f.dwMaxForwardEntries = 4;
    f.dwMaxNumOnHoldPendingCalls = 3;
    f.dwMinFwdNumRings = 1;
    f.dwRemoveFromConfCaps = LINEREMOVEFROMCONF_ANY;
    f.dwRemoveFromConfState = LINECALLSTATE_ONHOLD;
    f.dwTransferModes = LINETRANSFERMODE_TRANSFER | LINETRANSFERMODE_CONFERENCE;
    f.dwDevSpecificSize = 3;
    f.dwDevSpecificOffset = specific;
    return block.bytes();
}

// An address status with counters 1 to 6 and no forwarding yet.
inline TapiBlock<LINEADDRESSSTATUS> addressStatus()
{
    TapiBlock<LINEADDRESSSTATUS> block;
    LINEADDRESSSTATUS& s = block.fields();
    s.dwNumInUse = 1;
    s.dwNumActiveCalls = 2;
    s.dwNumOnHoldCalls = 3;
    s.dwNumOnHoldPendCalls = 4;
    s.dwAddressFeatures = 5;
    s.dwNumRingsNoAnswer = 6;
    return block;
}

class ObjectsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_line.Log()->setCount(1000);
        mark();
    }

    void mark() { m_mark = m_line.Log()->Lines().size(); }
    QStringList written() const { return m_line.Log()->Lines().mid(m_mark); }
    TnvCallRecords& records() { return TnvLinePrivate::get(&m_line)->records(); }

    TnvLine m_line;
    qsizetype m_mark = 0;
};
