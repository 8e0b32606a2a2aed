#include "RingfastCommand.h"

#include "RingfastHost.h"

#include <TnvCall.h>
#include <TnvConstantTexts.h>
#include <TnvDialer.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvNotation.h>
#include <TnvPumpWait.h>
#include <TnvResultTexts.h>
#include <TnvTAPI.h>

#include <TapiConstants.h>
#include <VisibleText.h>

#include <atomic>
#include <vector>

using Telephony::VisibleText;

namespace {

std::atomic<int> g_interrupts{0};
// Whether a command waits for calls and polls for interrupts.
std::atomic<bool> g_waiting{false};

} // namespace

RingfastCommand::RingfastCommand(const RingfastOptions& options, QTextStream& out, QTextStream& err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
    , m_interruptsSeen(g_interrupts.load())
{
    m_idleWait.setSingleShot(true);
    QObject::connect(&m_idleWait, &QTimer::timeout, [this] {
        m_idleWaitOver = true;
        finishWhenDone();
    });
    m_poll.setInterval(100);
    QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
}

RingfastCommand::~RingfastCommand()
{
    g_waiting = false;
}

bool RingfastCommand::interrupt()
{
    g_interrupts.fetch_add(1);
    return g_waiting.load();
}

int RingfastCommand::run(Telephony::ServiceOptions service)
{
    if (m_options.command == RingfastOptions::Command::Help) {
        m_out << RingfastOptions::helpText();
        m_out.flush();
        return Success;
    }
    if (m_options.simSpeed)
        service.providerSettings[QStringLiteral("simulated")].insert(QStringLiteral("pacing"), *m_options.simSpeed);
    // Listing devices needs nobody to reach the exchange from outside.
    if (m_options.command == RingfastOptions::Command::Devices)
        service.controlServer = false;
    Telephony::setServiceOptions(service);
    const RingfastHost host(m_err, m_options.trace);

    if (!createLine())
        return Failed;
    int code = Failed;
    switch (m_options.command) {
    case RingfastOptions::Command::Devices: code = listDevices(); break;
    case RingfastOptions::Command::Dial: code = dial(); break;
    case RingfastOptions::Command::Answer: code = answer(); break;
    case RingfastOptions::Command::Help:
    case RingfastOptions::Command::Shell:
    case RingfastOptions::Command::Run: break;
    }
    g_waiting = false;
    // As the window does on closing; a call that could not be ended ends with the line.
    m_dialer->FormClose();
    m_out.flush();
    m_err.flush();
    return code;
}

bool RingfastCommand::createLine()
{
    const TnvDialerDescription::Settings settings = m_options.lineSettings();
    m_dialer = std::make_unique<TnvDialer>(this);
    const QStringList refused = m_dialer->createLine(settings, [this](TnvLine& line) {
        if (m_options.trace) {
            line.OnLog = [this](TnvSharedControl*, const QString& text) {
                m_out << VisibleText::escaped(text, VisibleText::KeepTabs) << '\n';
                m_out.flush();
            };
        }
    });
    for (const QString& path : refused)
        m_err << "ringfast: stored setting " << VisibleText::escaped(path) << " refused\n";
    TnvLine* line = m_dialer->line();
    // The window's disconnect handler hangs up at once, which resets and may end the
    // call; why it was disconnected is taken from the state change itself, before that.
    line->OnCallState = [this](TnvSharedControl*, int handle, int state, int mode, int) {
        if (quint32(state) == LINECALLSTATE_DISCONNECTED)
            disconnected(handle, quint32(mode) & 0xFFFF);
    };
    // A line out of service stays open but no call comes or goes on it.
    line->OnLineState = [this, line](TnvSharedControl*, int state, int, int) {
        if ((quint32(state) & LINEDEVSTATE_OUTOFSERVICE) && g_waiting && !m_finished) {
            fail(QStringLiteral("the line is out of service (%1)").arg(line->Device()->Name()));
            finish(Failed);
        }
    };
    m_dialer->FormCreate(m_options.idleDelay);
    if (m_dialer->line()->Device()->Count() == 0) {
        fail(QStringLiteral("no line devices: ") + m_dialer->line()->Error()->Text());
        return false;
    }
    return true;
}

int RingfastCommand::listDevices()
{
    const QStringList& devices = m_dialer->line()->Device()->List();
    for (qsizetype i = 0; i < devices.size(); ++i)
        m_out << i << '\t' << VisibleText::escaped(devices.at(i)) << '\n';
    return Success;
}

bool RingfastCommand::activate()
{
    TnvLine* line = m_dialer->line();
    if (m_options.device >= line->Device()->Count()) {
        fail(QStringLiteral("there is no line device %1 (devices 0 to %2)")
                 .arg(m_options.device)
                 .arg(line->Device()->Count() - 1));
        return false;
    }
    // The window's steps: choosing another device than the first, then ticking Active.
    if (m_options.device != 0)
        m_dialer->ComboBoxDeviceChange(m_options.device);
    setActiveChecked(true);
    if (!line->Device()->Active()) {
        fail(QStringLiteral("cannot activate device %1: ").arg(m_options.device) + line->Error()->Text());
        return false;
    }
    return true;
}

int RingfastCommand::dial()
{
    if (!activate())
        return Failed;
    // Polling starts before the dial, whose wait for the reply already runs the loop.
    g_waiting = true;
    m_poll.start();
    m_taken = 1;
    if (!m_dialer->ButtonDialClick(m_options.number)) {
        // An interrupt during the dial's wait has said why already.
        if (m_finished)
            return m_exitCode;
        TnvError* error = m_dialer->line()->Error();
        // A SIP line takes calls only once its server has registered it.
        if (quint32(error->Number()) == LINEERR_NOTREGISTERED)
            fail(QStringLiteral("dialing failed: the line is not registered with its server yet (%1); "
                                "it may still be registering, or its server refused or did not answer")
                     .arg(error->Text()));
        else
            fail(QStringLiteral("dialing failed: ") + error->Text());
        return Failed;
    }
    const int code = waitForCalls();
    if (code == Success && m_callsConnected == 0) {
        fail(m_reason.isEmpty() ? QStringLiteral("the call ended before it connected") : m_reason);
        return Failed;
    }
    return code;
}

int RingfastCommand::answer()
{
    if (!activate())
        return Failed;
    m_err << "ringfast: waiting for calls on " << VisibleText::escaped(m_dialer->line()->Device()->Name()) << '\n';
    m_err.flush();
    const int code = waitForCalls();
    if (code == Success && m_callsConnected < m_options.count) {
        fail(QStringLiteral("%1 of %2 calls connected").arg(m_callsConnected).arg(m_options.count)
             + (m_reason.isEmpty() ? QString() : QStringLiteral(" (") + m_reason + QLatin1Char(')')));
        return Failed;
    }
    return code;
}

int RingfastCommand::waitForCalls()
{
    g_waiting = true;
    m_poll.start();
    // An interrupt that came while starting up is looked at straight away.
    QTimer::singleShot(0, m_dialer->line(), [this] { poll(); });
    // finish() may have come inside a wait that ran before this loop.
    if (!m_finished)
        m_loop.exec();
    return m_exitCode;
}

void RingfastCommand::appendLog(const QString& line)
{
    if (m_options.trace)
        return;
    // Numbers and names come from callers and the exchange; they must not steer the
    // terminal nor pass for log lines of their own.
    m_out << VisibleText::escaped(line, VisibleText::KeepTabs) << '\n';
    m_out.flush();
}

void RingfastCommand::setActiveChecked(bool checked)
{
    // A check box set from code runs its click handler when its state changes.
    if (checked == m_checked)
        return;
    m_checked = checked;
    m_dialer->CheckBoxActiveClick(checked);
}

RingfastCommand::Progress* RingfastCommand::progressOf(int handle)
{
    // Dialing, every call on the line is the one dialed; answering, only offered calls count.
    if (m_options.command != RingfastOptions::Command::Answer && !m_calls.count(handle))
        follow(handle);
    const auto it = m_calls.find(handle);
    return it == m_calls.end() ? nullptr : &it->second;
}

void RingfastCommand::lineEvent(Event event, int callHandle)
{
    TnvCall* call = m_dialer->line()->Call();
    switch (event) {
    case Event::Offering:
        if (m_options.command == RingfastOptions::Command::Answer)
            offered(callHandle);
        break;
    case Event::CallBegin: progressOf(callHandle); break;
    case Event::Connected:
        if (Progress* progress = progressOf(callHandle); progress && !progress->connected) {
            progress->connected = true;
            ++m_callsConnected;
            scheduleHangup(callHandle);
        }
        break;
    case Event::Busy: m_reason = QStringLiteral("the line is busy"); break;
    case Event::Disconnected: break; // seen in its state change
    case Event::SpecialInfo:
        m_reason = QStringLiteral("the network reports ") + SpecialInfoText(call->SpecialInfo());
        // The call cannot go on; hang up as a person at the window would.
        QTimer::singleShot(0, m_dialer->line(), [this, callHandle] { hangUp(callHandle); });
        break;
    case Event::CallEnd:
        if (Progress* progress = progressOf(callHandle)) {
            if (!progress->rejected)
                ++m_callsEnded;
            // Only live calls are kept: a long run must not grow with every call.
            m_calls.erase(callHandle);
            m_idleWaitOver = false;
            m_idleWait.start(m_options.idleDelay + 1000);
            finishWhenDone();
        }
        break;
    case Event::Idle:
        m_idleSeen = true;
        finishWhenDone();
        break;
    }
}

void RingfastCommand::disconnected(int handle, quint32 mode)
{
    if (const Progress* progress = progressOf(handle); progress && !progress->connected && !progress->rejected)
        m_reason = QStringLiteral("the call was disconnected: ") + DisconnectModeText(mode);
}

void RingfastCommand::offered(int handle)
{
    if (m_calls.count(handle))
        return;
    follow(handle);
    // From the event loop, not inside the event that offered the call.
    if (m_taken < m_options.count) {
        ++m_taken;
        QTimer::singleShot(0, m_dialer->line(), [this, handle] { answerCall(handle); });
    } else {
        m_calls[handle].rejected = true;
        QTimer::singleShot(0, m_dialer->line(), [this, handle] { rejectCall(handle); });
    }
}

void RingfastCommand::answerCall(int handle)
{
    if (m_finished || !selectCall(handle))
        return;
    if (!m_dialer->line()->Call()->Answer() && !m_finished) {
        m_reason = QStringLiteral("answering call %1 failed: ").arg(handleText(handle))
            + m_dialer->line()->Error()->Text();
        fail(m_reason);
        hangUp(handle);
    }
}

void RingfastCommand::rejectCall(int handle)
{
    if (m_finished || !selectCall(handle))
        return;
    m_err << "ringfast: call " << handleText(handle) << " rejected as busy: --count " << m_options.count
          << " allows no more calls\n";
    m_err.flush();
    hangUp(handle);
}

void RingfastCommand::scheduleHangup(int handle)
{
    if (!m_options.hangupAfter)
        return;
    // From the event loop, not inside the event that reported the connection; a timer
    // of its own per call, so calls that overlap hang up on their own schedules.
    auto* timer = new QTimer(m_dialer->line());
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, [this, timer, handle] {
        timer->deleteLater();
        hangUp(handle);
    });
    timer->start(int(*m_options.hangupAfter * 1000.0));
}

bool RingfastCommand::selectCall(int handle)
{
    TnvCall* call = m_dialer->line()->Call();
    if (call->Handle() != HCALL(handle)) {
        // Only a handle the control lists is a call it knows.
        if (call->List().indexOf(TnvNotation::hex8(quint32(handle)), 1) <= 0)
            return false;
        call->setHandle(HCALL(handle));
    }
    return call->Handle() == HCALL(handle);
}

bool RingfastCommand::hangupFailed(int handle) const
{
    return m_calls.count(handle) && m_dialer->line()->Error()->Number() != 0;
}

void RingfastCommand::hangUp(int handle)
{
    const auto it = m_calls.find(handle);
    if (m_finished || it == m_calls.end())
        return;
    it->second.hangingUp = true;
    TnvCall* call = m_dialer->line()->Call();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        // The wait for the reply may have selected another call, or ended this one.
        if (!selectCall(handle) || call->State() == LINECALLSTATE_IDLE)
            return;
        const int interruptsBefore = m_interruptsHandled;
        // A call ending inside the wait does not end the command before the hang-up's
        // outcome is known.
        ++m_hangupsRunning;
        m_dialer->ButtonHangupClick();
        --m_hangupsRunning;
        if (m_finished)
            return;
        if (m_dialer->line()->Error()->Number() == TAPIREPLYTIMEOUT) {
            // Whether the call went or not, its hang-up was never confirmed.
            fail(m_interruptsHandled != interruptsBefore
                     ? QStringLiteral("hanging up call %1 was interrupted before its reply came; the line is closed "
                                      "to end it")
                           .arg(handleText(handle))
                     : QStringLiteral("hanging up call %1 got no reply within %2 ms; the line is closed to end it")
                           .arg(handleText(handle))
                           .arg(m_dialer->line()->TAPI()->ReplyTimeout()));
            finish(Failed);
            return;
        }
        if (!hangupFailed(handle)) {
            guardEnd(handle);
            finishWhenDone();
            return;
        }
        const QString why = m_dialer->line()->Error()->Text();
        if (attempt == 1) {
            m_err << "ringfast: hanging up call " << handleText(handle) << " failed: " << VisibleText::escaped(why)
                  << "; trying again\n";
            m_err.flush();
        } else {
            fail(QStringLiteral("hanging up call %1 failed again: %2; the line is closed to end it")
                     .arg(handleText(handle), why));
            finish(Failed);
        }
    }
}

void RingfastCommand::guardEnd(int handle)
{
    // Dropped; should the call still not end, the command does not wait for ever. Each
    // call has its own guard, which goes with the call when it ends.
    const auto it = m_calls.find(handle);
    if (it == m_calls.end() || it->second.endGuard)
        return;
    auto guard = std::make_unique<QTimer>();
    guard->setSingleShot(true);
    const int interval = qMax(m_dialer->line()->TAPI()->ReplyTimeout(), 0);
    QObject::connect(guard.get(), &QTimer::timeout, [this, handle, interval] {
        if (m_finished || !m_calls.count(handle))
            return;
        fail(QStringLiteral("call %1 did not end within %2 ms of hanging up; the line is closed to end it")
                 .arg(handleText(handle))
                 .arg(interval));
        finish(Failed);
    });
    guard->start(interval);
    it->second.endGuard = std::move(guard);
}

void RingfastCommand::follow(int handle)
{
    m_calls[handle] = Progress();
    m_callSeen = true;
    m_idleSeen = false;
}

void RingfastCommand::finishWhenDone()
{
    // Ended calls are no longer kept: the calls are over when none is left.
    if (m_finished || m_hangupsRunning > 0 || !m_callSeen || !m_calls.empty())
        return;
    // Answering is over once --count answered calls have ended; OnIdle alone cannot
    // tell, for calls ending within one idle delay share a single OnIdle.
    if (m_callsEnded < m_options.count && m_options.command == RingfastOptions::Command::Answer)
        return;
    if (!m_idleSeen && !m_idleWaitOver)
        return;
    finish(Success);
}

void RingfastCommand::poll()
{
    if (m_finished)
        return;
    // After LINE_CLOSE no call can come or go on the line; waiting on would be for ever.
    if (!m_dialer->line()->Device()->Active()) {
        fail(QStringLiteral("the telephony service closed the line (%1)").arg(m_dialer->line()->Device()->Name()));
        finish(Failed);
        return;
    }
    checkInterrupt();
}

void RingfastCommand::checkInterrupt()
{
    const int interrupts = g_interrupts.load();
    if (interrupts == m_interruptsSeen)
        return;
    m_interruptsHandled += interrupts - m_interruptsSeen;
    m_interruptsSeen = interrupts;
    // A reply that may never come must not hold the signal up: the waits now running end,
    // and their operations fail as if their time had run out.
    const bool endedAWait = TnvPumpWait::interrupt();
    const bool first = m_interruptsHandled == 1;
    std::vector<int> toHangUp;
    for (const auto& [handle, progress] : m_calls) {
        if (!progress.hangingUp)
            toHangUp.push_back(handle);
    }
    if (first && !toHangUp.empty()) {
        m_err << "ringfast: hanging up\n";
        m_err.flush();
        if (m_reason.isEmpty())
            m_reason = QStringLiteral("interrupted");
        // From the event loop: polling goes on, so a further signal ends these waits too.
        QTimer::singleShot(0, m_dialer->line(), [this, toHangUp] {
            for (const int handle : toHangUp) {
                // A call whose own hang-up started meanwhile is left to it.
                const auto it = m_calls.find(handle);
                if (it != m_calls.end() && !it->second.hangingUp)
                    hangUp(handle);
            }
        });
        return;
    }
    // A hang-up whose wait just ended gives up by itself, saying which call it was.
    if (endedAWait && m_hangupsRunning > 0)
        return;
    // Answering with no call, asked twice, or a hang-up under way: nothing more to wait for.
    const bool connected = m_options.command == RingfastOptions::Command::Dial && m_callsConnected > 0;
    if (!connected)
        fail(m_reason.isEmpty() ? QStringLiteral("interrupted") : m_reason);
    finish(connected ? Success : Failed);
}

void RingfastCommand::finish(int code)
{
    if (m_finished)
        return;
    m_finished = true;
    m_exitCode = code;
    g_waiting = false;
    m_poll.stop();
    m_idleWait.stop();
    m_loop.exit(code);
}

void RingfastCommand::fail(const QString& reason)
{
    m_err << "ringfast: " << VisibleText::escaped(reason) << '\n';
    m_err.flush();
}

QString RingfastCommand::handleText(int handle)
{
    return QStringLiteral("[%1]").arg(uint(handle), 8, 16, QLatin1Char('0')).toUpper();
}
