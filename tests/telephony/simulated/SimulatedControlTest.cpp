// The simulated exchange's control interface, with well-formed and malformed input.
#include "SimTestSupport.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace SimTest;
using Telephony::CallId;

namespace {

QJsonObject args(std::initializer_list<QPair<QString, QJsonValue>> list)
{
    QJsonObject o;
    for (const auto& [k, v] : list)
        o.insert(k, v);
    return o;
}

} // namespace

class ControlTest : public ExchangeTest {
protected:
    QJsonObject run(const QString& command, const QJsonObject& a = {}) { return ex.control(command, a); }

    // Expects failure, with an error text.
    void refuses(const QString& command, const QJsonObject& a)
    {
        const QJsonObject r = run(command, a);
        EXPECT_FALSE(r.value(QStringLiteral("ok")).toBool()) << command.toStdString();
        EXPECT_FALSE(r.value(QStringLiteral("error")).toString().isEmpty()) << command.toStdString();
    }

    CallId ringed(const QJsonObject& a)
    {
        const QJsonObject r = run(QStringLiteral("ring"), a);
        EXPECT_TRUE(r.value(QStringLiteral("ok")).toBool()) << r.value(QStringLiteral("error")).toString().toStdString();
        const CallId id = CallId(r.value(QStringLiteral("call")).toDouble());
        EXPECT_TRUE(waitFor(id, LINECALLSTATE_OFFERING));
        return id;
    }
};

TEST_F(ControlTest, RingOffersACall)
{
    const CallId id = ringed(args({{"line", 1}, {"name", "JANE ROE"}, {"number", "+1 (425) 555-0144"}}));
    const auto info = ex.callInfo(id);
    EXPECT_EQ(info.caller.name, QByteArray("JANE ROE"));
    EXPECT_EQ(info.caller.number, QByteArray("+1 (425) 555-0144"));
    EXPECT_EQ(info.caller.flags, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
    EXPECT_EQ(info.fixed.dwMediaMode, LINEMEDIAMODE_INTERACTIVEVOICE);
    EXPECT_EQ(ex.callInfo(id).fixed.dwLineDeviceID, 0u);
}

TEST_F(ControlTest, RingAcceptsStringsFlagsAndMedia)
{
    const CallId a = ringed(args({{"line", "2"}, {"number", "5550100"}, {"flags", "blocked"}}));
    EXPECT_EQ(ex.callInfo(a).caller.flags, LINECALLPARTYID_BLOCKED);
    EXPECT_EQ(ex.callInfo(a).fixed.dwLineDeviceID, 1u);
    const CallId b = ringed(args({{"line", 1}, {"flags", "outofarea, unavail"}, {"media", "fax"}}));
    EXPECT_EQ(ex.callInfo(b).caller.flags, LINECALLPARTYID_OUTOFAREA | LINECALLPARTYID_UNAVAIL);
    EXPECT_EQ(ex.callInfo(b).fixed.dwMediaMode, LINEMEDIAMODE_G3FAX);
    const CallId c = ringed(args({{"line", 1}, {"flags", 0x4}, {"name", "X"}}));
    EXPECT_EQ(ex.callInfo(c).caller.flags, LINECALLPARTYID_NAME);
    const CallId d = ringed(args({{"line", 1}}));
    EXPECT_EQ(ex.callInfo(d).caller.flags, LINECALLPARTYID_UNKNOWN);
    const CallId e = ringed(args({{"line", 1}, {"flags", QJsonArray{"name", "address"}}, {"media", "DATA"}}));
    EXPECT_EQ(ex.callInfo(e).caller.flags, LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS);
    EXPECT_EQ(ex.callInfo(e).fixed.dwMediaMode, LINEMEDIAMODE_DATAMODEM);
}

TEST_F(ControlTest, RingRefusesMalformedInput)
{
    refuses(QStringLiteral("ring"), {});
    refuses(QStringLiteral("ring"), args({{"line", 0}}));
    refuses(QStringLiteral("ring"), args({{"line", 3}})); // the modem takes no calls
    refuses(QStringLiteral("ring"), args({{"line", -1}}));
    refuses(QStringLiteral("ring"), args({{"line", 1.5}}));
    refuses(QStringLiteral("ring"), args({{"line", "one"}}));
    refuses(QStringLiteral("ring"), args({{"line", "1e3"}}));
    refuses(QStringLiteral("ring"), args({{"line", QJsonValue(true)}}));
    refuses(QStringLiteral("ring"), args({{"line", QJsonArray{1}}}));
    refuses(QStringLiteral("ring"), args({{"line", "99999999999999999999999"}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"name", QString(65, QLatin1Char('A'))}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"name", "tab\there"}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"name", QJsonObject{}}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"number", "555-CALL"}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"number", QString(33, QLatin1Char('5'))}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"flags", "bogus"}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"flags", 999}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"flags", 0}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"flags", QJsonArray{1}}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"media", "telex"}}));
    refuses(QStringLiteral("ring"), args({{"line", 1}, {"media", 4}}));
    // 64 characters and 32 are fine.
    const QJsonObject r = run(QStringLiteral("ring"), args({{"line", 1},
                                                           {"name", QString(64, QLatin1Char('A'))},
                                                           {"number", QString(32, QLatin1Char('5'))}}));
    EXPECT_TRUE(r.value(QStringLiteral("ok")).toBool());
    settle();
    EXPECT_EQ(sink.count(Event::NewCall), 1);
}

TEST_F(ControlTest, FarEndAnswersHangsUpAndSendsDigits)
{
    // A call to 0102 never answers by itself; the control interface makes it answer.
    ex.setPacing(0.01);
    const CallId id = call(0, "5550102", LINECALLSTATE_RINGBACK);
    QJsonObject r = run(QStringLiteral("answer"), args({{"line", 1}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool()) << r.value(QStringLiteral("error")).toString().toStdString();
    EXPECT_EQ(CallId(r.value(QStringLiteral("call")).toDouble()), id);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(ex.callInfo(id).connected.name, QByteArray("NORA NOANSWER"));
    refuses(QStringLiteral("answer"), args({{"call", qint64(id)}})); // already connected

    r = run(QStringLiteral("digits"), args({{"call", QString::number(id)}, {"digits", "12#"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.digits(id) == "12#"; }));
    refuses(QStringLiteral("digits"), args({{"call", qint64(id)}, {"digits", "12x"}}));
    refuses(QStringLiteral("digits"), args({{"call", qint64(id)}, {"digits", ""}}));
    refuses(QStringLiteral("digits"), args({{"call", qint64(id)}}));
    refuses(QStringLiteral("digits"), args({{"call", qint64(id)}, {"digits", QString(65, QLatin1Char('1'))}}));

    r = run(QStringLiteral("media"), args({{"line", 1}, {"mode", "fax"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Media, id) >= 0; }));
    refuses(QStringLiteral("media"), args({{"line", 1}, {"mode", "video"}}));

    r = run(QStringLiteral("hangup"), args({{"call", qint64(id)}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_DISCONNECTED));
    refuses(QStringLiteral("hangup"), args({{"call", qint64(id)}})); // nothing left
    refuses(QStringLiteral("hangup"), args({{"line", 1}}));          // no active call
    refuses(QStringLiteral("hangup"), args({{"call", 424242}}));
    refuses(QStringLiteral("hangup"), args({{"call", "-1"}}));
    refuses(QStringLiteral("hangup"), {});
}

TEST_F(ControlTest, ToneAndSilence)
{
    const CallId id = call(0, "5550109");
    const LINEMONITORTONE busy{0x77, 200, 480, 620, 0};
    const LINEMONITORTONE quiet{0x88, 300, 0, 0, 0};
    ASSERT_EQ(ex.monitorTones(id, 31, {busy, quiet}), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.count(Event::Tone) == 1; }));
    EXPECT_EQ(sink.of(Event::Tone).value(0).b, 0x88u);
    QJsonObject r = run(QStringLiteral("tone"), args({{"call", qint64(id)}, {"tone", "busy"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.count(Event::Tone) == 3; }));
    EXPECT_EQ(sink.of(Event::Tone).value(1).b, 0x77u); // the busy tone
    EXPECT_EQ(sink.of(Event::Tone).value(2).b, 0x88u); // silence after it
    refuses(QStringLiteral("tone"), args({{"call", qint64(id)}, {"tone", "siren"}}));
    refuses(QStringLiteral("tone"), args({{"call", qint64(id)}, {"tone", "beep"}, {"duration", 0}}));
    r = run(QStringLiteral("silence"), args({{"call", qint64(id)}, {"ms", "0"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.count(Event::Tone) == 4; }));
    refuses(QStringLiteral("silence"), args({{"call", qint64(id)}, {"ms", -5}}));
    refuses(QStringLiteral("silence"), args({{"call", qint64(id)}}));
}

TEST_F(ControlTest, LineAndAddressStates)
{
    QJsonObject r = run(QStringLiteral("linestate"), args({{"line", 1}, {"state", "msgwaiton"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::LineState, 0, LINEDEVSTATE_MSGWAITON) >= 0; }));
    EXPECT_NE(ex.lineStatus(0).fixed.dwDevStatusFlags & LINEDEVSTATUSFLAGS_MSGWAIT, 0u);
    run(QStringLiteral("linestate"), args({{"line", 1}, {"state", "MsgWaitOff"}}));
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::LineState, 0, LINEDEVSTATE_MSGWAITOFF) >= 0; }));
    EXPECT_EQ(ex.lineStatus(0).fixed.dwDevStatusFlags & LINEDEVSTATUSFLAGS_MSGWAIT, 0u);

    r = run(QStringLiteral("linestate"), args({{"line", "2"}, {"state", "ringing"}, {"p2", 1}, {"p3", "3"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::LineState, 1, LINEDEVSTATE_RINGING) >= 0; }));
    const Event ringing = sink.events[sink.indexOf(Event::LineState, 1, LINEDEVSTATE_RINGING)];
    EXPECT_EQ(ringing.c, 1u);
    EXPECT_EQ(ringing.d, 3u);
    r = run(QStringLiteral("linestate"), args({{"line", 3}, {"state", QString::number(LINEDEVSTATE_REINIT)}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::LineState, 2, LINEDEVSTATE_REINIT) >= 0; }));
    r = run(QStringLiteral("linestate"), args({{"line", 1}, {"state", "0x20000"}})); // DEVSPECIFIC
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());

    refuses(QStringLiteral("linestate"), args({{"line", 1}, {"state", 3}}));        // two bits
    refuses(QStringLiteral("linestate"), args({{"line", 1}, {"state", "nosuch"}}));
    refuses(QStringLiteral("linestate"), args({{"line", 1}, {"state", 0x800000}})); // COMPLCANCEL: never
    refuses(QStringLiteral("linestate"), args({{"line", 1}}));
    refuses(QStringLiteral("linestate"), args({{"line", 4}, {"state", "reinit"}}));
    refuses(QStringLiteral("linestate"), args({{"line", 1}, {"state", "reinit"}, {"p2", "x"}}));
    refuses(QStringLiteral("linestate"), args({{"line", 1}, {"state", "reinit"}, {"p3", 4294967296.0}}));

    r = run(QStringLiteral("addressstate"), args({{"line", 2}, {"state", "capschange"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] {
        for (const Event& e : sink.of(Event::AddressState))
            if (e.a == 1 && e.c == LINEADDRESSSTATE_CAPSCHANGE)
                return true;
        return false;
    }));
    refuses(QStringLiteral("addressstate"), args({{"line", 2}, {"state", "inusemany"}}));

    r = run(QStringLiteral("devspecific"), args({{"line", 1}, {"p1", 1}, {"p2", "2"}, {"p3", "0xFFFFFFFF"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.count(Event::DevSpecific) == 1; }));
    EXPECT_EQ(sink.of(Event::DevSpecific)[0].c, 1u);
    EXPECT_EQ(sink.of(Event::DevSpecific)[0].d, 2u);
    EXPECT_EQ(sink.lastDevSpecificP3, 0xFFFFFFFFu);
    refuses(QStringLiteral("devspecific"), args({{"line", 1}, {"call", 31337}}));

    r = run(QStringLiteral("close"), args({{"line", 2}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Closed, 1) >= 0; }));
    refuses(QStringLiteral("close"), args({{"line", "two"}}));
}

TEST_F(ControlTest, ForwardPacingButtonCallsAndHelp)
{
    QJsonObject r = run(QStringLiteral("forward"), args({{"line", 1}, {"destination", "202"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(ex.addressStatus(0, 0).forwards.value(0).destAddress, QByteArray("202"));
    const QJsonObject rung = run(QStringLiteral("ring"), args({{"line", 1}, {"number", "5550199"}}));
    EXPECT_TRUE(rung.value(QStringLiteral("ok")).toBool());
    EXPECT_TRUE(rung.value(QStringLiteral("forwarded")).toBool());
    ASSERT_TRUE(waitUntil([&] { return offeredOn(1) != 0; }));
    r = run(QStringLiteral("forward"), args({{"line", 1}, {"destination", ""}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    EXPECT_TRUE(ex.addressStatus(0, 0).forwards.isEmpty());
    refuses(QStringLiteral("forward"), args({{"line", 3}, {"destination", "202"}}));
    refuses(QStringLiteral("forward"), args({{"line", 1}, {"destination", "abc"}}));
    refuses(QStringLiteral("forward"), args({{"line", 1}, {"destination", "---"}}));

    r = run(QStringLiteral("pacing"), args({{"value", "0.5"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    EXPECT_DOUBLE_EQ(ex.pacing(), 0.5);
    r = run(QStringLiteral("pacing"), args({{"value", 0}}));
    EXPECT_DOUBLE_EQ(ex.pacing(), 0.0);
    refuses(QStringLiteral("pacing"), args({{"value", -1}}));
    refuses(QStringLiteral("pacing"), args({{"value", "fast"}}));
    refuses(QStringLiteral("pacing"), args({{"value", "nan"}}));
    refuses(QStringLiteral("pacing"), args({{"value", "inf"}}));
    refuses(QStringLiteral("pacing"), {});

    r = run(QStringLiteral("button"), args({{"digit", "#"}}));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    ASSERT_TRUE(waitUntil([&] { return sink.count(Event::Button) == 2; }));
    EXPECT_EQ(sink.of(Event::Button)[0].b, 11u);
    EXPECT_EQ(sink.of(Event::Button)[0].c, PHONEBUTTONMODE_KEYPAD);
    EXPECT_EQ(sink.of(Event::Button)[0].d, PHONEBUTTONSTATE_DOWN);
    refuses(QStringLiteral("button"), args({{"digit", "12"}}));

    const CallId id = call(1, "5550100");
    r = run(QStringLiteral("calls"));
    ASSERT_TRUE(r.value(QStringLiteral("ok")).toBool());
    bool listed = false;
    for (const QJsonValue& v : r.value(QStringLiteral("calls")).toArray()) {
        const QJsonObject c = v.toObject();
        if (CallId(c.value(QStringLiteral("call")).toDouble()) == id) {
            listed = true;
            EXPECT_EQ(c.value(QStringLiteral("line")).toInt(), 2);
            EXPECT_EQ(c.value(QStringLiteral("state")).toString(), QStringLiteral("CONNECTED"));
            EXPECT_EQ(c.value(QStringLiteral("party")).toString(), QStringLiteral("5550100"));
        }
    }
    EXPECT_TRUE(listed);
    r = run(QStringLiteral("calls"), args({{"line", 1}}));
    for (const QJsonValue& v : r.value(QStringLiteral("calls")).toArray())
        EXPECT_EQ(v.toObject().value(QStringLiteral("line")).toInt(), 1);

    EXPECT_TRUE(run(QStringLiteral("help")).value(QStringLiteral("commands")).toArray().contains(QStringLiteral("ring")));
    refuses(QStringLiteral("explode"), {});
    refuses(QString(300, QLatin1Char('x')), {});
    refuses(QStringLiteral("ring;rm"), {});
}
