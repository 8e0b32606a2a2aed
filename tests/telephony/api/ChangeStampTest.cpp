// The service's change stamp: a program may keep a status or information structure while
// the stamp stays put, so the stamp must move whenever what those structures say changes,
// and reading them must not move it.

#include "ApiHarness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace {

// The four structures the stamp speaks for, as one program would read them now.
struct Snapshot {
    quint64 stamp = 0;
    HCALL call = 0;
    std::vector<char> devStatus, addressStatus, callInfo, callStatus;

    bool sameStructures(const Snapshot& other) const
    {
        return devStatus == other.devStatus && addressStatus == other.addressStatus && callInfo == other.callInfo
            && callStatus == other.callStatus;
    }
};

Snapshot snapshot(HLINE line, HCALL call)
{
    Snapshot s;
    s.stamp = Telephony::serviceStamp();
    s.call = call;
    Block<LINEDEVSTATUS> dev(4096);
    s.devStatus = lineGetLineDevStatus(line, dev.get()) == 0 ? dev.bytes : std::vector<char>();
    Block<LINEADDRESSSTATUS> address(4096);
    s.addressStatus = lineGetAddressStatus(line, 0, address.get()) == 0 ? address.bytes : std::vector<char>();
    Block<LINECALLINFO> info(4096);
    s.callInfo = call && lineGetCallInfo(call, info.get()) == 0 ? info.bytes : std::vector<char>();
    Block<LINECALLSTATUS> status(4096);
    s.callStatus = call && lineGetCallStatus(call, status.get()) == 0 ? status.bytes : std::vector<char>();
    return s;
}

class ChangeStamp : public ApiHarness {};

} // namespace

TEST_F(ChangeStamp, ZeroWithoutServiceAndUntouchedByReads)
{
    EXPECT_EQ(Telephony::serviceStamp(), 0u);
    const HLINEAPP app = initialize("stamp");
    const HLINE line = open(app, 0, 1);
    const quint64 before = Telephony::serviceStamp();
    EXPECT_NE(before, 0u);
    const Snapshot first = snapshot(line, 0);
    const Snapshot second = snapshot(line, 0);
    EXPECT_EQ(first.stamp, before);
    EXPECT_EQ(second.stamp, before);
    EXPECT_TRUE(first.sameStructures(second));

    // Any other call into the service, or a control command, may change what it reports.
    lineSetStatusMessages(line, 0, 0);
    const quint64 afterCall = Telephony::serviceStamp();
    EXPECT_NE(afterCall, before);
    control(QStringLiteral("clearfaults"));
    EXPECT_NE(Telephony::serviceStamp(), afterCall);
}

TEST_F(ChangeStamp, MovesWheneverAStructureChangesThroughACall)
{
    const HLINEAPP app = initialize("stamp");
    const HLINE line = open(app, 0, 1);
    lineSetStatusMessages(line, 0x01FFFFFF, 0x1FF);
    HCALL call = 0;
    Snapshot last = snapshot(line, 0);
    int changes = 0;
    const auto sample = [&] {
        const Snapshot now = snapshot(line, call);
        // The handle arrives with the reply, which is no change in the service.
        if (now.stamp == last.stamp && now.call == last.call)
            EXPECT_TRUE(now.sameStructures(last)) << "a structure changed while the stamp stayed at " << now.stamp;
        else if (!now.sameStructures(last))
            ++changes;
        last = now;
    };
    // Sampled inside the application's handler too, where most programs read.
    s_onMessage = [&](const TapiMessage&) { sample(); };

    const LONG request = lineMakeCall(line, &call, "5550100", 0, nullptr);
    ASSERT_GT(request, 0);
    QDeadlineTimer deadline(5000);
    bool dropped = false;
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents();
        sample();
        if (!call)
            continue;
        if (!dropped && !last.callStatus.empty()
            && reinterpret_cast<const LINECALLSTATUS*>(last.callStatus.data())->dwCallState == LINECALLSTATE_CONNECTED) {
            lineDrop(call, nullptr, 0);
            dropped = true;
        }
        if (dropped && !last.callStatus.empty() && reinterpret_cast<const LINECALLSTATUS*>(last.callStatus.data())->dwCallState == LINECALLSTATE_IDLE)
            break;
    }
    ASSERT_TRUE(dropped);
    EXPECT_GE(changes, 4);
    EXPECT_EQ(lineDeallocateCall(call), 0);
}
