#pragma once

// Runs one ringfast command on the dialer's line control: lists the devices, places a
// call, or answers calls. It is the dialer's view: the log-box lines go to standard
// output (or, with --trace, the control's trace lines), reasons for failure to standard
// error. Every call is followed by its own handle, so calls that overlap are each
// answered (or turned away) and ended on their own.

#include "RingfastOptions.h"

#include <TnvDialerView.h>

#include <ServiceControl.h>

#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <map>
#include <memory>

class TnvDialer;

class RingfastCommand : public TnvDialerView {
public:
    enum ExitCode { Success = 0, Failed = 1, Usage = 2 };

    RingfastCommand(const RingfastOptions& options, QTextStream& out, QTextStream& err);
    ~RingfastCommand() override;

    // Runs the command on the event loop of the running QCoreApplication. service holds
    // the exchange's options the command starts from (its pacing is replaced by
    // --sim-speed when given).
    int run(Telephony::ServiceOptions service = {});

    // Asks a running command to hang up (the first time) or give up (the second); safe
    // to call from a signal handler. Requests made while the command starts up count
    // once it waits for its calls. Returns whether a command is waiting for calls (and
    // so looks at the request soon); before that, a signal's own action is the way out.
    static bool interrupt();

    // The calls followed now; ended ones are forgotten.
    std::size_t liveCalls() const { return m_calls.size(); }

    // TnvDialerView
    void appendLog(const QString& line) override;
    void setActiveChecked(bool checked) override;
    bool activeChecked() const override { return m_checked; }
    void setDialEnabled(bool) override {}
    void setHangupEnabled(bool) override {}
    void lineEvent(Event event, int callHandle) override;

private:
    // What ringfast knows of one call, from its offering or beginning to its end.
    struct Progress {
        bool connected = false;
        bool rejected = false;
        bool hangingUp = false;
        // Runs from a successful hang-up until the call ends.
        std::unique_ptr<QTimer> endGuard;
    };

    // The call's progress; dialing, every call on the line is followed, answering only
    // the offered ones (null for the rest).
    Progress* progressOf(int handle);
    bool createLine();
    bool activate();
    int listDevices();
    int dial();
    int answer();
    // Waits on the event loop until finish(); what finish() was given.
    int waitForCalls();
    // A call that never connected gives the reason it ended with.
    void disconnected(int handle, quint32 mode);
    void offered(int handle);
    void answerCall(int handle);
    void rejectCall(int handle);
    void scheduleHangup(int handle);
    // Hangs the call up; a failed hang-up is reported and tried once more, and a second
    // failure ends the command (closing the line then ends the call).
    void hangUp(int handle);
    bool hangupFailed(int handle) const;
    bool selectCall(int handle);
    // The command is over once its calls have ended and the line went idle (OnIdle
    // waits for the idle delay; should it never come, the calls are over anyway).
    void finishWhenDone();
    // Starts following a call.
    void follow(int handle);
    void poll();
    void checkInterrupt();
    void guardEnd(int handle);
    void finish(int code);
    void fail(const QString& reason);
    static QString handleText(int handle);

    RingfastOptions m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    std::unique_ptr<TnvDialer> m_dialer;
    QEventLoop m_loop;
    QTimer m_poll;
    QTimer m_idleWait;
    bool m_checked = false;
    bool m_finished = false;
    int m_exitCode = Success;
    // The calls not yet ended.
    std::map<int, Progress> m_calls;
    bool m_callSeen = false;
    // Calls answered or dialed, out of --count.
    int m_taken = 0;
    int m_callsConnected = 0;
    // Answered or dialed calls that have ended.
    int m_callsEnded = 0;
    bool m_idleSeen = false;
    // The wait for OnIdle after the last call's end ran out.
    bool m_idleWaitOver = false;
    // Hang-ups waiting for their replies.
    int m_hangupsRunning = 0;
    QString m_reason;
    int m_interruptsSeen = 0;
    int m_interruptsHandled = 0;
};
