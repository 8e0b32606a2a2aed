#include "CallFixture.h"

#include <TapiConstants.h>
#include <TnvCallParameters.h>
#include <TnvTAPI.h>

#include <QJsonObject>

namespace {

QString closingLine(const char* name, HCALL handle, bool result)
{
    return QStringLiteral("\t%1 [%2] - Returned = %3")
        .arg(QLatin1String(name), QStringLiteral("%1").arg(handle, 8, 16, QLatin1Char('0')).toUpper(),
             result ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace

TEST_F(CallFixture, DialOnClosedLineReportsUninitializedWithoutClosingLine)
{
    m_line->setEnabled(true);
    m_trace.clear();
    call()->setPhoneNumber(QStringLiteral("5550100"));
    EXPECT_FALSE(call()->Dial());
    EXPECT_EQ(error(), qint32(LINEERR_UNINITIALIZED));
    ASSERT_EQ(m_trace.size(), 3);
    EXPECT_EQ(m_trace.at(0), QStringLiteral("Call.Dial [00000000]"));
    EXPECT_EQ(m_trace.at(1), QStringLiteral("\tCall.PhoneNumber = 5550100"));
    EXPECT_TRUE(m_trace.at(2).startsWith(QStringLiteral("<< Error >> ")));
}

TEST_F(CallFixture, DialPlacesOneListedCallAndAnnouncesIt)
{
    open();
    call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call()->Dial());
    const HCALL handle = call()->Handle();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(call()->Count(), 1);
    EXPECT_EQ(call()->List().at(1).toUInt(nullptr, 16), handle);
    EXPECT_TRUE(call()->Owner());
    EXPECT_TRUE(call()->Began().isValid());
    TnvCallRecord* record = records().find(handle);
    ASSERT_NE(record, nullptr);
    for (qint32 slot : record->requests)
        EXPECT_EQ(slot, 0);
    EXPECT_EQ(m_trace.first(), QStringLiteral("Call.Dial [00000000]"));
    EXPECT_TRUE(m_trace.contains(QStringLiteral("OnCallBegin [") + call()->List().at(1) + QLatin1Char(']')));
    EXPECT_EQ(m_trace.last(), closingLine("Call.Dial", handle, true));

    // With a current call Dial sends more digits on it instead of placing a second call.
    m_trace.clear();
    call()->Dial();
    EXPECT_EQ(call()->Count(), 1);
    EXPECT_EQ(m_trace.first(), QStringLiteral("Call.Dial [") + call()->List().at(1) + QLatin1Char(']'));
    EXPECT_FALSE(m_trace.filter(QStringLiteral("OnCallBegin")).size() > 0);
}

TEST_F(CallFixture, ParametersReachTheServiceOnlyWithoutDefaults)
{
    // An address the device lacks is refused only when the block is passed.
    const struct {
        bool defaults;
        bool placed;
    } cases[] = {{true, true}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaults);
        open();
        call()->Parameters()->setDefaults(c.defaults);
        call()->Parameters()->setAddressID(57);
        call()->setPhoneNumber(QStringLiteral("5550100"));
        const int before = call()->Count();
        EXPECT_EQ(call()->Dial(), c.placed);
        EXPECT_EQ(call()->Count(), before + (c.placed ? 1 : 0));
        if (!c.placed) {
            EXPECT_EQ(error(), qint32(LINEERR_INVALADDRESSID));
            EXPECT_EQ(call()->Handle(), 0u);
            EXPECT_FALSE(call()->Active());
        }
        m_line->Device()->setActive(false);
    }
}

TEST_F(CallFixture, FormattedNumberIsDialledButKept)
{
    const QString number = QStringLiteral("+1 (555) 010-0100.");
    for (bool unformat : {true, false}) {
        SCOPED_TRACE(unformat);
        open();
        m_line->Device()->setUnformatPhoneNumber(unformat);
        call()->setPhoneNumber(number);
        EXPECT_TRUE(call()->Dial()) << error();
        EXPECT_EQ(call()->PhoneNumber(), number);
        EXPECT_TRUE(m_trace.contains(QStringLiteral("\tCall.PhoneNumber = ") + number));
        m_line->Device()->setActive(false);
    }
}

TEST_F(CallFixture, ZeroReplyTimeoutReturnsAtOnceWithTheSlotCleared)
{
    open();
    m_line->TAPI()->setReplyTimeout(0);
    call()->setPhoneNumber(QStringLiteral("5550100"));
    EXPECT_TRUE(call()->Dial());
    EXPECT_EQ(records().current().requests[TnvCallRecord::SlotMakeCall], 0);
}

TEST_F(CallFixture, WithheldReplyTimesOutAndDropsTheRecord)
{
    open();
    m_line->TAPI()->setReplyTimeout(100);
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("withhold"), {{"function", "lineMakeCall"}})
                    .value(QStringLiteral("ok")).toBool());
    call()->setPhoneNumber(QStringLiteral("5550100"));
    EXPECT_FALSE(call()->Dial());
    EXPECT_EQ(error(), -3);
    EXPECT_FALSE(call()->Active());
    // The dial's own record is gone; the call itself still ran and became known through
    // its states, so it is listed and current when the dial gives up.
    EXPECT_EQ(records().find(0), nullptr);
    EXPECT_EQ(call()->Count(), 1);
    EXPECT_EQ(m_trace.last(), closingLine("Call.Dial", call()->Handle(), false));
}

TEST_F(CallFixture, SelectingAHandle)
{
    open();
    call()->setHandle(0);
    EXPECT_TRUE(m_trace.isEmpty()) << "the current handle writes nothing";

    call()->setHandle(0x1234);
    EXPECT_EQ(call()->Handle(), 0u);
    EXPECT_EQ(error(), qint32(LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(m_trace.first(), QStringLiteral("Call.Handle = [00001234]"));
}

TEST_F(CallFixture, OperationsWithoutACallFailOnTheHandle)
{
    open();
    const struct {
        const char* name;
        std::function<bool(TnvCall*)> run;
    } cases[] = {
        {"Call.Answer", [](TnvCall* c) { return c->Answer(); }},
        {"Call.Hangup", [](TnvCall* c) { return c->Hangup(); }},
        {"Call.Hold", [](TnvCall* c) { return c->Hold(); }},
        {"Call.Unhold", [](TnvCall* c) { return c->Unhold(); }},
        {"Call.Transfer", [](TnvCall* c) { return c->Transfer(); }},
        {"Call.Redirect", [](TnvCall* c) { return c->Redirect(QStringLiteral("5550101")); }},
        {"Call.Park", [](TnvCall* c) { return c->Park(QStringLiteral("5550101")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_trace.clear();
        EXPECT_FALSE(c.run(call()));
        EXPECT_EQ(error(), qint32(LINEERR_INVALCALLHANDLE));
        EXPECT_TRUE(m_trace.first().startsWith(QLatin1String(c.name)));
        EXPECT_TRUE(m_trace.contains(closingLine(c.name, 0, false)));
    }
}

TEST_F(CallFixture, HangupWhoseReplyFailsReportsTwice)
{
    open();
    call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call()->Dial());
    const HCALL handle = call()->Handle();
    // Once connected no further state arrives to refresh (and clear) the error record.
    ASSERT_TRUE(waitUntil([&] { return call()->State() == LINECALLSTATE_CONNECTED; }));
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("fail"), {{"function", "lineDrop"}, {"code", "0x80000048"}})
                    .value(QStringLiteral("ok")).toBool());
    m_trace.clear();
    EXPECT_FALSE(call()->Hangup());
    EXPECT_EQ(error(), qint32(0x80000048));
    const qsizetype closing = m_trace.indexOf(closingLine("Call.Hangup", handle, false));
    ASSERT_GT(closing, 0);
    EXPECT_EQ(m_trace.mid(0, closing).filter(QStringLiteral("<< Error >>")).size(), 1);
    EXPECT_EQ(m_trace.mid(closing).filter(QStringLiteral("<< Error >>")).size(), 1);
}

// The control keeps what it read while the service reports no change; a failure set up
// since must still reach it.
TEST_F(CallFixture, CallInfoReadAgainAfterTheServiceChanged)
{
    open();
    call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call()->Dial());
    ASSERT_TRUE(waitUntil([&] { return call()->State() == LINECALLSTATE_CONNECTED; }));
    TnvLinePrivate* control = TnvLinePrivate::get(m_line.get());
    const HCALL handle = call()->Handle();
    ASSERT_EQ(control->RefreshCallInfo(handle, 0), 0);
    ASSERT_EQ(control->RefreshCallInfo(handle, 0), 0);

    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("fail"), {{"function", "lineGetCallInfo"}, {"code", "0x80000048"}})
                    .value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(control->RefreshCallInfo(handle, 0), LONG(0x80000048));
    // The failure was for one read only.
    EXPECT_EQ(control->RefreshCallInfo(handle, 0), 0);
    EXPECT_EQ(records().find(handle)->origin, DWORD(LINECALLORIGIN_OUTBOUND));
}

TEST_F(CallFixture, DumpShowsUnavailableTimes)
{
    open();
    ASSERT_TRUE(call()->LogProperties(QString(), QString(), QStringLiteral("\t")));
    for (const char* time : {"Began", "Connected", "Disconnected", "Ended"})
        EXPECT_TRUE(m_trace.contains(QStringLiteral("\tCall.%1 = <unavailable>").arg(QLatin1String(time)))) << time;
    EXPECT_TRUE(m_trace.contains(QStringLiteral("\tCall.Handle = [00000000]")));
    EXPECT_TRUE(m_trace.contains(QStringLiteral("\tCall.PhoneNumber = ''")));
}

TEST_F(CallFixture, EndCallWaitsForPendingRequestsUnlessForced)
{
    open();
    call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call()->Dial());
    const HCALL handle = call()->Handle();
    TnvCallRecord* record = records().find(handle);
    ASSERT_NE(record, nullptr);
    record->state = LINECALLSTATE_IDLE;
    record->requests[TnvCallRecord::SlotHold] = 77;
    m_trace.clear();
    EXPECT_FALSE(TnvLinePrivate::get(m_line.get())->endCall(false, handle));
    EXPECT_EQ(call()->Count(), 1);
    EXPECT_TRUE(m_trace.isEmpty());

    EXPECT_TRUE(TnvLinePrivate::get(m_line.get())->endCall(true, handle));
    EXPECT_EQ(call()->Count(), 0);
    EXPECT_EQ(call()->Handle(), 0u);
    EXPECT_EQ(m_trace.first(), QStringLiteral("OnCallEnd [") + QStringLiteral("%1").arg(handle, 8, 16, QLatin1Char('0')).toUpper() + QLatin1Char(']'));
}
