// Digit gathering end to end: the far end keys digits on a connected call and the
// control reports what the service collected, why it stopped, and the call's tag.

#include "DigitsFixture.h"

#include <TnvGatherDigits.h>

namespace {

class GatherDigits : public DigitsFixture {};

QString gathered(HCALL handle, const char* digits, quint32 termination, int tag)
{
    return QStringLiteral("OnDigitsGathered %1 '%2' %3 tag %4")
        .arg(handle)
        .arg(QLatin1String(digits))
        .arg(termination)
        .arg(tag);
}

} // namespace

TEST_F(GatherDigits, StopsAtTheTerminationDigitAndTracesIt)
{
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    call()->setTag(42);
    takeTrace();

    call()->GatherDigits()->setCount(8);
    call()->GatherDigits()->setTimeout(3000);
    call()->GatherDigits()->setTerminate(QStringLiteral("#*"));
    call()->GatherDigits()->setActive(true);
    EXPECT_EQ(error(), 0);
    EXPECT_TRUE(call()->GatherDigits()->Active());
    EXPECT_TRUE(records().find(handle)->gatherActive);
    ASSERT_TRUE(farEndDigits("123#5"));
    ASSERT_TRUE(waitForEvent(QStringLiteral("OnDigitsGathered")));

    EXPECT_EQ(eventsStartingWith(QStringLiteral("OnDigitsGathered")),
              QStringList{gathered(handle, "123#", LINEGATHERTERM_TERMDIGIT, 42)});
    EXPECT_FALSE(call()->GatherDigits()->Active());
    const TnvCallRecord* record = records().find(handle);
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->gatherActive);
    EXPECT_EQ(record->gatheredDigits, QStringLiteral("123#"));
    expectTrace(QStringLiteral("gather-digits"), normalisedTrace(handle));
}

TEST_F(GatherDigits, EndsOnTimeoutsAndAFullBuffer)
{
    struct Case {
        const char* name;
        const char* keyed; // nullptr: the far end keys nothing
        int count;
        const char* digits;
        quint32 termination;
    };
    const Case cases[] = {
        {"no first digit", nullptr, 5, "", LINEGATHERTERM_FIRSTTIMEOUT},
        {"no further digit", "12", 5, "12", LINEGATHERTERM_INTERTIMEOUT},
        {"buffer full", "98765", 3, "987", LINEGATHERTERM_BUFFERFULL},
    };
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_events.clear();
        call()->GatherDigits()->setTimeout(400);
        call()->GatherDigits()->setCount(c.count);
        QElapsedTimer timer;
        timer.start();
        call()->GatherDigits()->setActive(true);
        ASSERT_TRUE(call()->GatherDigits()->Active());
        if (c.keyed) {
            ASSERT_TRUE(farEndDigits(c.keyed));
        }
        ASSERT_TRUE(waitForEvent(QStringLiteral("OnDigitsGathered")));
        EXPECT_EQ(eventsStartingWith(QStringLiteral("OnDigitsGathered")),
                  QStringList{gathered(handle, c.digits, c.termination, 0)});
        // A time-out only ends gathering once its time has passed.
        if (c.termination != LINEGATHERTERM_BUFFERFULL) {
            EXPECT_GE(timer.elapsed(), 350);
        }
        EXPECT_FALSE(call()->GatherDigits()->Active());
    }
}

TEST_F(GatherDigits, SwitchedOnWithoutACallStartsWhenTheNextCallConnects)
{
    call()->GatherDigits()->setActive(true);
    EXPECT_TRUE(call()->GatherDigits()->Active());
    EXPECT_EQ(error(), 0);
    EXPECT_TRUE(records().current().gatherActive);
    EXPECT_TRUE(takeTrace().isEmpty());

    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    const QStringList trace = takeTrace();
    const qsizetype armed = trace.indexOf(QStringLiteral("Call.GatherDigits.Active := True"));
    ASSERT_GE(armed, 0) << trace.join('\n').toStdString();
    EXPECT_EQ(trace.at(armed + 1), QStringLiteral("OnConnected [") + TnvNotation::hex8(handle) + QLatin1Char(']'));
    ASSERT_TRUE(farEndDigits("7*"));
    ASSERT_TRUE(waitForEvent(QStringLiteral("OnDigitsGathered")));
    EXPECT_EQ(m_events.constLast(), gathered(handle, "7*", LINEGATHERTERM_TERMDIGIT, 0));
}

TEST_F(GatherDigits, InactiveCallWritesTheLineButAsksNoService)
{
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    takeTrace();
    TnvLinePrivate::get(m_line.get())->setCallActiveState(false);
    call()->GatherDigits()->setActive(true);
    EXPECT_EQ(takeTrace(), QStringList{QStringLiteral("Call.GatherDigits.Active := True")});
    EXPECT_TRUE(call()->GatherDigits()->Active());
    EXPECT_TRUE(records().find(handle)->gatherActive);
    ASSERT_TRUE(farEndDigits("1#"));
    settle(400);
    EXPECT_TRUE(eventsStartingWith(QStringLiteral("OnDigitsGathered")).isEmpty());
}

TEST_F(GatherDigits, TriesDigitModesUntilOneIsTaken)
{
    // The simulated lines detect DTMF only: pulse with DTMF is refused, DTMF alone taken.
    struct Case {
        const char* name;
        quint32 injected; // failure of the next requests, 0 for none
        int times;
        bool active;
        qint32 error;
    };
    const Case cases[] = {
        {"DTMF after pulse and DTMF", 0, 0, true, 0},
        // Another error ends the attempts at once.
        {"other error", LINEERR_OPERATIONFAILED, 1, false, qint32(LINEERR_OPERATIONFAILED)},
        // Pulse and DTMF, then DTMF refused: pulse alone is refused too, and that answer counts.
        {"every mode refused", LINEERR_INVALDIGITMODE, 2, false, qint32(LINEERR_INVALDIGITMODE)},
    };
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* function : {"lineGatherDigits", "lineMonitorDigits"}) {
            if (c.injected) {
                ASSERT_TRUE(failNext(function, c.injected, c.times));
            }
        }
        call()->GatherDigits()->setActive(true);
        EXPECT_EQ(call()->GatherDigits()->Active(), c.active);
        EXPECT_EQ(error(), c.error);
        call()->MonitorDigits()->setActive(true);
        EXPECT_EQ(call()->MonitorDigits()->Active(), c.active);
        EXPECT_EQ(error(), c.error);
        call()->GatherDigits()->setActive(false);
        call()->MonitorDigits()->setActive(false);
    }
}

TEST_F(GatherDigits, SettingsAreCheckedAndAlwaysReachTheRecord)
{
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    TnvGatherDigits* gather = call()->GatherDigits();
    struct Case {
        const char* name;
        std::function<void()> set;
        const char* line; // nullptr: nothing written
        qint32 error;
        std::function<bool()> stored;
    };
    const Case cases[] = {
        {"count 32", [&] { gather->setCount(32); }, "Call.GatherDigits.Count = 32", qint32(LINEERR_INVALPARAM),
         [&] { return gather->Count() == 5; }},
        {"count 0", [&] { gather->setCount(0); }, "Call.GatherDigits.Count = 0", qint32(LINEERR_INVALPARAM),
         [&] { return gather->Count() == 5; }},
        {"count 31", [&] { gather->setCount(31); }, "Call.GatherDigits.Count = 31", 0,
         [&] { return gather->Count() == 31; }},
        {"negative timeout", [&] { gather->setTimeout(-1); }, "Call.GatherDigits.TimeOut = -1",
         qint32(LINEERR_INVALPARAM), [&] { return gather->Timeout() == 5000; }},
        {"no timeout", [&] { gather->setTimeout(0); }, "Call.GatherDigits.TimeOut = 0", 0,
         [&] { return gather->Timeout() == 0; }},
        {"any termination", [&] { gather->setTerminate(QStringLiteral("x")); }, "Call.GatherDigits.Terminate = 'x'", 0,
         [&] { return gather->Terminate() == QStringLiteral("x"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        takeTrace();
        c.set();
        EXPECT_EQ(takeTrace().value(0), QString::fromLatin1(c.line));
        EXPECT_EQ(error(), c.error);
        EXPECT_TRUE(c.stored());
    }

    // An equal value writes nothing, yet the record gets the present value.
    TnvCallRecord* record = records().find(handle);
    record->gatherCount = 9;
    takeTrace();
    gather->setCount(31);
    EXPECT_TRUE(takeTrace().isEmpty());
    EXPECT_EQ(record->gatherCount, 31);

    // While gathering runs the settings stay as they are.
    gather->setTerminate(QStringLiteral("#"));
    gather->setActive(true);
    ASSERT_TRUE(gather->Active());
    gather->setCount(4);
    EXPECT_EQ(error(), qint32(LINEERR_OPERATIONFAILED));
    EXPECT_EQ(gather->Count(), 31);
    gather->setActive(false);
    EXPECT_FALSE(gather->Active());
}
