#include "RingfastCommand.h"

#include "RingfastHost.h"

#include <TnvConstantTexts.h>
#include <TnvDialer.h>
#include <TnvLine.h>

#include <TapiConstants.h>

#include <atomic>

namespace {

std::atomic<int> g_interrupts{0};

} // namespace

RingfastCommand::RingfastCommand(const RingfastOptions& options, QTextStream& out, QTextStream& err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
{
    m_hangupTimer.setSingleShot(true);
    QObject::connect(&m_hangupTimer, &QTimer::timeout, [this] { m_dialer->ButtonHangupClick(); });
    m_idleWait.setSingleShot(true);
    QObject::connect(&m_idleWait, &QTimer::timeout, [this] { endCall(); });
    m_interruptPoll.setInterval(100);
    QObject::connect(&m_interruptPoll, &QTimer::timeout, [this] { checkInterrupt(); });
}

RingfastCommand::~RingfastCommand() = default;

void RingfastCommand::interrupt()
{
    g_interrupts.fetch_add(1);
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
    g_interrupts = 0;
    const RingfastHost host(m_err, m_options.trace);

    if (!createLine())
        return Failed;
    int code = Failed;
    switch (m_options.command) {
    case RingfastOptions::Command::Devices: code = listDevices(); break;
    case RingfastOptions::Command::Dial: code = dial(); break;
    case RingfastOptions::Command::Answer: code = answer(); break;
    case RingfastOptions::Command::Help: break;
    }
    // As the window does on closing.
    m_dialer->FormClose();
    m_out.flush();
    m_err.flush();
    return code;
}

bool RingfastCommand::createLine()
{
    TnvDialerDescription::Settings settings = TnvDialerDescription::settings();
    TnvDialerDescription::override(settings, QStringLiteral("Vantage.DevEnv"), m_options.devEnv);
    TnvDialerDescription::override(settings, QStringLiteral("Vantage.Log.TimeStamp"), m_options.timestamp);
    m_dialer = std::make_unique<TnvDialer>(this);
    const QStringList refused = m_dialer->createLine(settings, [this](TnvLine& line) {
        if (m_options.trace) {
            line.OnLog = [this](TnvSharedControl*, const QString& text) {
                m_out << text << '\n';
                m_out.flush();
            };
        }
    });
    for (const QString& path : refused)
        m_err << "ringfast: stored setting " << path << " refused\n";
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
        m_out << i << '\t' << devices.at(i) << '\n';
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
    m_interruptPoll.start();
    if (!m_dialer->ButtonDialClick(m_options.number)) {
        fail(QStringLiteral("dialing failed: ") + m_dialer->line()->Error()->Text());
        return Failed;
    }
    const int code = m_loop.exec();
    if (code == Success && !m_connected) {
        fail(m_reason.isEmpty() ? QStringLiteral("the call ended before it connected") : m_reason);
        return Failed;
    }
    return code;
}

int RingfastCommand::answer()
{
    if (!activate())
        return Failed;
    m_err << "ringfast: waiting for calls on " << m_dialer->line()->Device()->Name() << '\n';
    m_err.flush();
    m_interruptPoll.start();
    const int code = m_loop.exec();
    if (code == Success && m_callsConnected < m_options.count) {
        fail(QStringLiteral("%1 of %2 calls connected").arg(m_callsConnected).arg(m_options.count)
             + (m_reason.isEmpty() ? QString() : QStringLiteral(" (") + m_reason + QLatin1Char(')')));
        return Failed;
    }
    return code;
}

void RingfastCommand::appendLog(const QString& line)
{
    if (m_options.trace)
        return;
    m_out << line << '\n';
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

void RingfastCommand::lineEvent(Event event, int callHandle)
{
    TnvCall* call = m_dialer->line()->Call();
    switch (event) {
    case Event::Offering:
        if (m_options.command == RingfastOptions::Command::Answer)
            QTimer::singleShot(0, m_dialer->line(), [this, callHandle] { answerCall(callHandle); });
        break;
    case Event::Connected:
        m_connected = true;
        ++m_callsConnected;
        scheduleHangup();
        break;
    case Event::Busy: m_reason = QStringLiteral("the line is busy"); break;
    case Event::Disconnected:
        if (!m_connected)
            m_reason = QStringLiteral("the call was disconnected: ") + DisconnectModeText(call->DisconnectMode());
        break;
    case Event::SpecialInfo:
        m_reason = QStringLiteral("the network reports ") + SpecialInfoText(call->SpecialInfo());
        // The call cannot go on; hang up as a person at the window would.
        QTimer::singleShot(0, m_dialer->line(), [this] { m_dialer->ButtonHangupClick(); });
        break;
    case Event::CallEnd:
        m_hangupTimer.stop();
        m_callEnded = true;
        // OnIdle follows the idle delay; should it never come, the call is over anyway.
        m_idleWait.start(m_options.idleDelay + 1000);
        endCallWhenIdle();
        break;
    case Event::Idle:
        m_idleSeen = true;
        endCallWhenIdle();
        break;
    case Event::CallBegin: break;
    }
}

void RingfastCommand::endCallWhenIdle()
{
    if (!m_callEnded || !m_idleSeen)
        return;
    endCall();
}

void RingfastCommand::endCall()
{
    m_idleWait.stop();
    m_callEnded = false;
    m_idleSeen = false;
    ++m_callsEnded;
    if (m_options.command == RingfastOptions::Command::Dial || m_callsEnded >= m_options.count)
        finish(Success);
    else
        m_connected = false;
}

void RingfastCommand::answerCall(int callHandle)
{
    TnvCall* call = m_dialer->line()->Call();
    call->setHandle(HCALL(callHandle));
    if (!call->Answer()) {
        m_reason = QStringLiteral("answering failed: ") + m_dialer->line()->Error()->Text();
        m_dialer->ButtonHangupClick();
    }
}

void RingfastCommand::scheduleHangup()
{
    if (!m_options.hangupAfter)
        return;
    // From the event loop, not inside the event that reported the connection.
    m_hangupTimer.start(int(*m_options.hangupAfter * 1000.0));
}

void RingfastCommand::checkInterrupt()
{
    const int interrupts = g_interrupts.load();
    if (interrupts == m_interruptsSeen)
        return;
    m_interruptsSeen = interrupts;
    TnvCall* call = m_dialer->line()->Call();
    if (interrupts == 1 && call->Handle() != 0 && call->State() != LINECALLSTATE_IDLE) {
        m_err << "ringfast: hanging up\n";
        m_err.flush();
        if (m_reason.isEmpty())
            m_reason = QStringLiteral("interrupted");
        m_dialer->ButtonHangupClick();
        return;
    }
    // Answering with no call, or asked twice: nothing more to wait for.
    const bool connected = m_options.command == RingfastOptions::Command::Dial && m_connected;
    if (!connected)
        fail(m_reason.isEmpty() ? QStringLiteral("interrupted") : m_reason);
    finish(connected ? Success : Failed);
}

void RingfastCommand::finish(int code)
{
    m_interruptPoll.stop();
    m_loop.exit(code);
}

void RingfastCommand::fail(const QString& reason)
{
    m_err << "ringfast: " << reason << '\n';
    m_err.flush();
}
