// The rules that hold before any request reaches the service: selection ranges, the
// forward list's layout, the forwarding settings' limits and their refusal while
// forwarding, and failures of the service reported as errors.

#include "ObjectsFixture.h"

#include <TnvAddress.h>
#include <TnvAddressForward.h>
#include <TnvCall.h>
#include <TnvError.h>
#include <TnvResultTexts.h>
#include <TnvTerminal.h>

#include <tuple>

namespace {

class Rules : public ObjectsFixture {
protected:
    TnvAddressForward* forward() { return m_line.Address()->Forward(); }
    qint32 error() const { return m_line.Error()->Number(); }
};

QString repeated(char c, int n)
{
    return QString(n, QLatin1Char(c));
}

} // namespace

TEST_F(Rules, SelectionsOutsideTheirRangeAreRefused)
{
    struct Case {
        bool terminal;
        qint32 count;
        int id;
        qint32 error;
    };
    const Case cases[] = {
        {false, 1, 1, qint32(LINEERR_INVALADDRESSID)},
        {false, 2, -1, qint32(LINEERR_INVALADDRESSID)},
        {false, 0, 1, qint32(LINEERR_INVALADDRESSID)},
        {false, 0, 0, 0}, // a device without addresses accepts address 0
        {false, 2, 1, 0}, // in range, but without the service nothing is read
        {true, 2, 2, qint32(LINEERR_INVALTERMINALID)},
        {true, 2, -1, qint32(LINEERR_INVALTERMINALID)},
        {true, 0, 0, 0}, // nor does one without terminals refuse terminal 0
    };
    for (const Case& c : cases) {
        m_line.Address()->storeCount(c.count);
        // The terminals come from the device's capabilities (two), or there are none.
        if (c.count == 0)
            m_line.Terminal()->clear();
        else
            m_line.Terminal()->storeFromDevCaps(devCapsBlock());
        mark();
        if (c.terminal)
            m_line.Terminal()->setID(c.id);
        else
            m_line.Address()->setID(c.id);
        const QString name = QLatin1String(c.terminal ? "Terminal" : "Address");
        QStringList expected = {QStringLiteral("%1.ID := %2").arg(name).arg(c.id),
                                QStringLiteral("\t%1.Count = %2").arg(name).arg(c.count)};
        if (c.error)
            expected << QStringLiteral("<< Error >> ") + LineErrorText(c.error) + QStringLiteral(" [%1]")
                                                             .arg(quint32(c.error), 8, 16, QLatin1Char('0'))
                                                             .toUpper();
        EXPECT_EQ(written(), expected);
        EXPECT_EQ(error(), c.error);
        EXPECT_EQ(c.terminal ? m_line.Terminal()->ID() : m_line.Address()->ID(), c.terminal ? 0 : -1);
    }
}

TEST_F(Rules, ForwardListPlacesBothTextsBehindTheFixedPart)
{
    struct Case {
        QString caller, number;
        DWORD callerSize, callerOffset, destSize, destOffset;
    };
    const DWORD fixed = sizeof(LINEFORWARDLIST);
    const Case cases[] = {
        {{}, {}, 0, 0, 0, 0},
        {"201", {}, 4, fixed, 0, 0},
        {{}, "5550100", 0, 0, 8, fixed},
        {"201", "5550100", 4, fixed, 8, fixed + 4},
        {repeated('1', 31), repeated('2', 31), 32, fixed, 32, fixed + 32}, // the longest fill the block
    };
    for (const Case& c : cases) {
        forward()->storeStatus(false, LINEFORWARDMODE_BUSYNA, c.caller, c.number, 0);
        QByteArray list;
        ASSERT_EQ(forward()->forwardList(list), 0);
        ASSERT_EQ(list.size(), TnvAddressForward::ListSize);
        LINEFORWARDLIST head{};
        std::memcpy(&head, list.constData(), sizeof head);
        const LINEFORWARD& e = head.ForwardList[0];
        EXPECT_EQ(head.dwTotalSize, DWORD(list.size()));
        EXPECT_EQ(head.dwNumEntries, 1u);
        EXPECT_EQ(e.dwForwardMode, LINEFORWARDMODE_BUSYNA);
        EXPECT_EQ(std::tie(e.dwCallerAddressSize, e.dwCallerAddressOffset, e.dwDestAddressSize, e.dwDestAddressOffset),
                  std::tie(c.callerSize, c.callerOffset, c.destSize, c.destOffset))
            << c.caller.toStdString() << "/" << c.number.toStdString();
        EXPECT_EQ(list.mid(e.dwCallerAddressOffset, e.dwCallerAddressSize), c.callerSize ? c.caller.toUtf8() + '\0' : "");
        EXPECT_EQ(list.mid(e.dwDestAddressOffset, e.dwDestAddressSize), c.destSize ? c.number.toUtf8() + '\0' : "");
    }

    // Texts from the address status are not bounded by the setters.
    forward()->storeStatus(false, LINEFORWARDMODE_UNCOND, repeated('1', 40), repeated('2', 30), 0);
    mark();
    forward()->setActive(true);
    EXPECT_EQ(error(), qint32(LINEERR_INVALADDRESS));
    EXPECT_EQ(written().size(), 2); // the assignment and the error: nothing was sent
}

TEST_F(Rules, ForwardSettingsKeepTheirLimitsAndFreezeWhileForwarding)
{
    struct Case {
        const char* what;
        QString value;
        bool forwarding;
        qint32 error;
    };
    const Case cases[] = {
        {"short", "201", false, 0},
        {"31 characters", repeated('3', 31), false, 0},
        {"32 characters", repeated('3', 32), false, qint32(LINEERR_INVALADDRESS)},
        {"16 characters in 32 bytes", QString(16, QChar(0x00E4)), false, qint32(LINEERR_INVALADDRESS)},
        {"embedded NUL", QString::fromLatin1("20\0" "1", 4), false, qint32(LINEERR_INVALADDRESS)},
        {"while forwarding", "5550100", true, qint32(LINEERR_OPERATIONFAILED)},
        {"unchanged", "old", false, 0},
    };
    for (const char* name : {"Caller", "PhoneNumber"}) {
        for (const Case& c : cases) {
            forward()->storeStatus(c.forwarding, LINEFORWARDMODE_UNCOND, "old", "old", 0);
            m_line.Error()->Clear();
            mark();
            forward()->setProperty(name, c.value);
            EXPECT_EQ(error(), c.error) << name << ": " << c.what;
            EXPECT_EQ(forward()->property(name).toString(), c.error ? QStringLiteral("old") : c.value) << c.what;
            const QStringList lines = written();
            const QString assignment = QStringLiteral("Address.Forward.%1 = '%2'").arg(name, c.value);
            EXPECT_EQ(lines.value(0), c.value == QLatin1String("old") ? QString() : assignment) << c.what;
        }
    }

    forward()->storeStatus(false, LINEFORWARDMODE_UNCOND, {}, {}, 0);
    mark();
    forward()->setMode(LINEFORWARDMODE_BUSY);
    EXPECT_EQ(written(), QStringList{"Address.Forward.Mode = [00000010]"});
    forward()->storeStatus(true, LINEFORWARDMODE_BUSY, {}, "202", 1);
    forward()->setMode(LINEFORWARDMODE_NOANSW);
    EXPECT_EQ(error(), qint32(LINEERR_OPERATIONFAILED));
    EXPECT_EQ(forward()->Mode(), LINEFORWARDMODE_BUSY);
}

TEST_F(Rules, RequestsTheServiceRefusesAreReported)
{
    const QString uninitialised = QStringLiteral("<< Error >> ") + LineErrorText(qint32(LINEERR_UNINITIALIZED))
                                  + QStringLiteral(" [80000050]");
    forward()->setPhoneNumber("202");
    mark();
    forward()->setActive(true);
    EXPECT_FALSE(forward()->Active());
    EXPECT_EQ(written(), (QStringList{"Address.Forward.Active = True", uninitialised}));
    EXPECT_EQ(records().current().requests[TnvCallRecord::SlotForward], 0);

    TnvTerminal* terminal = m_line.Terminal();
    terminal->storeFromDevCaps(devCapsBlock());
    mark();
    terminal->setActiveModes(LINETERMMODE_RINGER);
    EXPECT_EQ(written(), (QStringList{"Terminal.ActiveModes := [00000008]", uninitialised}));
    EXPECT_EQ(terminal->RequestSlot(), 0);

    // Nothing available: nothing to switch on or off, so nothing is sent.
    terminal->clear();
    m_line.Error()->Clear();
    mark();
    terminal->setActiveModes(LINETERMMODE_LAMPS | 0x100);
    EXPECT_EQ(written(), QStringList{"Terminal.ActiveModes := [00000102]"});
    EXPECT_EQ(error(), 0);
}
