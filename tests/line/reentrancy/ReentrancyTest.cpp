// Application handlers that call the control again from inside its events. Every wait
// pumps the event loop, so a handler may dial, hang up, switch calls or switch the
// control off while the dispatch that fired it is still running; nothing it frees may be
// used afterwards (the sanitizer build watches), and every call still ends.

#include "LineHarness.h"
#include <TnvLinePrivate.h>

#include "EventLoop.h"

#include <TapiConstants.h>
#include <TnvCall.h>
#include <TnvAddress.h>
#include <TnvAddressForward.h>
#include <TnvLineDevice.h>
#include <TnvTAPI.h>
#include <ServiceControl.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace {

enum class Event { CallState, Connected, Idle, CallEnd };
enum class Action { Dial, Hangup, SelectOther, Disable };

const char* eventName(Event e)
{
    switch (e) {
    case Event::CallState: return "OnCallState";
    case Event::Connected: return "OnConnected";
    case Event::Idle: return "OnIdle";
    case Event::CallEnd: return "OnCallEnd";
    }
    return "";
}

const char* actionName(Action a)
{
    switch (a) {
    case Action::Dial: return "Dial";
    case Action::Hangup: return "Hangup";
    case Action::SelectOther: return "SelectOther";
    case Action::Disable: return "Disable";
    }
    return "";
}

class Reentrancy : public LineHarness {
protected:
    // Runs the action once, the first time the event fires.
    void bind(TnvLine* line, Event event, Action action)
    {
        const auto act = [this, line, action](int handle) {
            if (m_acted)
                return;
            m_acted = true;
            perform(line, action, HCALL(handle));
        };
        switch (event) {
        case Event::CallState:
            line->OnCallState = [act](TnvSharedControl*, int handle, int, int, int) { act(handle); };
            break;
        case Event::Connected: line->OnConnected = [act](TnvSharedControl*, int handle) { act(handle); }; break;
        case Event::Idle: line->OnIdle = [act](TnvSharedControl*, int handle) { act(handle); }; break;
        case Event::CallEnd: line->OnCallEnd = [act](TnvSharedControl*, int handle) { act(handle); }; break;
        }
    }

    static void perform(TnvLine* line, Action action, HCALL handle)
    {
        TnvCall* call = line->Call();
        switch (action) {
        case Action::Dial:
            call->setPhoneNumber(QStringLiteral("5550100"));
            call->Dial();
            break;
        case Action::Hangup: call->Hangup(); break;
        case Action::SelectOther: {
            HCALL other = handle;
            for (const QString& text : call->List().mid(1))
                if (text.toUInt(nullptr, 16) != handle)
                    other = text.toUInt(nullptr, 16);
            call->setHandle(other);
            break;
        }
        case Action::Disable: line->setEnabled(false); break;
        }
    }

    // The call list (entry 0 stands for no call) and the current handle agree.
    static void expectConsistent(TnvLine* line)
    {
        TnvCall* call = line->Call();
        EXPECT_EQ(call->Count() + 1, call->List().size()) << call->List().join(' ').toStdString();
        if (call->Count() == 0) {
            EXPECT_EQ(call->Handle(), 0u);
        } else {
            EXPECT_TRUE(call->List().contains(QStringLiteral("%1").arg(call->Handle(), 8, 16, QLatin1Char('0')).toUpper()))
                << call->List().join(' ').toStdString();
        }
    }

    // Hangs up whatever calls are left, one by one.
    static bool endEveryCall(TnvLine* line)
    {
        TnvCall* call = line->Call();
        for (int round = 0; round < 10 && line->Device()->Active() && call->Count() > 0; ++round) {
            if (call->Handle() == 0)
                call->setHandle(call->List().at(1).toUInt(nullptr, 16));
            const QString ending = call->List().value(call->List().indexOf(
                QStringLiteral("%1").arg(call->Handle(), 8, 16, QLatin1Char('0')).toUpper()));
            call->Hangup();
            if (!waitUntil([&] { return !call->List().contains(ending) || !line->Device()->Active(); }))
                return false;
        }
        return !line->Device()->Active() || call->Count() == 0;
    }

    bool m_acted = false;
};

TEST_F(Reentrancy, HandlersCallingTheControlAgain)
{
    const Event events[] = {Event::CallState, Event::Connected, Event::Idle, Event::CallEnd};
    const Action actions[] = {Action::Dial, Action::Hangup, Action::SelectOther, Action::Disable};
    for (const Event event : events) {
        for (const Action action : actions) {
            SCOPED_TRACE(std::string(eventName(event)) + " -> " + actionName(action));
            TnvLinePrivate::setRememberedActiveRequest(false);
            m_acted = false;
            std::unique_ptr<TnvLine> line = loadDialerLine();
            line->Device()->setActive(true);
            ASSERT_TRUE(line->Device()->Active());
            bind(line.get(), event, action);

            // Two calls, so that switching has somewhere to go.
            TnvCall* call = line->Call();
            for (int i = 0; i < 2 && line->Device()->Active(); ++i) {
                call->setHandle(0);
                call->setPhoneNumber(QStringLiteral("5550100"));
                call->Dial();
            }
            // Until both are answered (or gone); handlers may have taken either away.
            waitUntil(
                [&] {
                    return !line->Device()->Active() || call->Count() == 0
                        || m_trace.filter(QStringLiteral("OnConnected [")).size() >= 2;
                },
                1000);
            expectConsistent(line.get());
            ASSERT_TRUE(endEveryCall(line.get()));
            EXPECT_TRUE(m_acted);
            expectConsistent(line.get());
            // A handler's own call may still be on its way; end that as well.
            QCoreApplication::processEvents();
            ASSERT_TRUE(endEveryCall(line.get()));
            expectConsistent(line.get());
            line.reset();
            QCoreApplication::processEvents();
            takeTrace();
        }
    }
}

TEST_F(Reentrancy, SwitchingOffDuringAWaitEndsTheWait)
{
    // No reply will come for a request of a line that is gone: the wait ends with the
    // time-out's code as soon as the line closes, not when the reply time runs out.
    const std::function<void(TnvLine*)> switchOff[] = {
        [](TnvLine* line) { line->Device()->setActive(false); },
        [](TnvLine* line) { line->setEnabled(false); },
    };
    for (const auto& action : switchOff) {
        std::unique_ptr<TnvLine> line = loadDialerLine();
        line->Device()->setActive(true);
        ASSERT_TRUE(control(QStringLiteral("withhold"), {{"function", "lineMakeCall"}}));
        QTimer::singleShot(0, line.get(), [&] { action(line.get()); });
        QElapsedTimer clock;
        clock.start();
        TnvCall* call = line->Call();
        call->setPhoneNumber(QStringLiteral("5550100"));
        EXPECT_FALSE(call->Dial());
        EXPECT_EQ(line->Error()->Number(), -3);
        EXPECT_LT(clock.elapsed(), line->TAPI()->ReplyTimeout() / 2);
        EXPECT_FALSE(line->Device()->Active());
        EXPECT_EQ(call->Count(), 0);
        line.reset();
        control(QStringLiteral("clearfaults"), {});
        QCoreApplication::processEvents();
        takeTrace();
    }
}

TEST_F(Reentrancy, FarEndHangingUpWhileAHandlerWaits)
{
    // The far end leaves while OnConnected is still inside Hangup's wait: the dispatch
    // ends the call under the handler, and both finish without touching the freed record.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    TnvCall* call = line->Call();
    int ended = 0;
    line->OnCallEnd = [&](TnvSharedControl*, int) { ++ended; };
    line->OnConnected = [&](TnvSharedControl*, int) {
        control(QStringLiteral("hangup"), {{"line", "1"}});
        call->Hangup();
    };
    call->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call->Dial());
    ASSERT_TRUE(waitUntil([&] { return ended == 1; }));
    EXPECT_EQ(call->Count(), 0);
    expectConsistent(line.get());
}

TEST_F(Reentrancy, AnOperationInsideAWaitLeavesTheOuterOneItsReply)
{
    // OnIdle comes while Hangup still waits for its reply; the handler's own Hangup fails
    // on the freed call. The outer Hangup still gets its reply, and succeeds.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->TAPI()->setReplyTimeout(2000);
    line->Device()->setActive(true);
    TnvCall* call = line->Call();
    bool inner = true;
    line->OnIdle = [&](TnvSharedControl*, int) { inner = call->Hangup(); };
    call->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call->Dial());
    ASSERT_TRUE(waitUntil([&] { return call->State() == LINECALLSTATE_CONNECTED; }));
    // The outer reply arrives: a time-out would leave its error (-3) behind.
    EXPECT_TRUE(call->Hangup());
    EXPECT_FALSE(inner);
    EXPECT_EQ(line->Error()->Number(), 0);
    EXPECT_EQ(call->Count(), 0);
}

TEST_F(Reentrancy, CallEndingWhileForwardingWaits)
{
    // Forwarding waits on the current call's record; the call ends under it (the far end
    // leaves, the application drops it), and the wait still finishes cleanly.
    std::unique_ptr<TnvLine> line = loadDialerLine();
    line->Device()->setActive(true);
    TnvCall* call = line->Call();
    call->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call->Dial());
    ASSERT_TRUE(waitUntil([&] { return call->State() == LINECALLSTATE_CONNECTED; }));
    line->OnDisconnected = [&](TnvSharedControl*, int) { call->Hangup(); };
    ASSERT_TRUE(control(QStringLiteral("delay"), {{"function", "lineForward"}, {"ms", 50}}));
    ASSERT_TRUE(control(QStringLiteral("hangup"), {{"line", 1}}));
    line->Address()->Forward()->setMode(LINEFORWARDMODE_UNCOND);
    line->Address()->Forward()->setPhoneNumber(QStringLiteral("202"));
    line->Address()->Forward()->setActive(true);
    EXPECT_EQ(call->Count(), 0) << takeTrace().join('\n').toStdString();
    EXPECT_TRUE(line->Address()->Forward()->Active()) << line->Error()->Text().toStdString();
}

} // namespace
