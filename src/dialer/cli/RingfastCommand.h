#pragma once

// Runs one ringfast command on the dialer's line control: lists the devices, places a
// call, or answers calls. It is the dialer's view: the log-box lines go to standard
// output (or, with --trace, the control's trace lines), reasons for failure to standard
// error.

#include "RingfastOptions.h"

#include <TnvDialerView.h>

#include <ServiceControl.h>

#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

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
    // to call from a signal handler.
    static void interrupt();

    // TnvDialerView
    void appendLog(const QString& line) override;
    void setActiveChecked(bool checked) override;
    bool activeChecked() const override { return m_checked; }
    void setDialEnabled(bool) override {}
    void setHangupEnabled(bool) override {}
    void lineEvent(Event event, int callHandle) override;

private:
    bool createLine();
    bool activate();
    int listDevices();
    int dial();
    int answer();
    void answerCall(int callHandle);
    void scheduleHangup();
    // A call is over once it has ended and gone idle (OnIdle waits for the idle delay).
    void endCallWhenIdle();
    void endCall();
    void checkInterrupt();
    void finish(int code);
    void fail(const QString& reason);

    RingfastOptions m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    std::unique_ptr<TnvDialer> m_dialer;
    QEventLoop m_loop;
    QTimer m_interruptPoll;
    QTimer m_hangupTimer;
    QTimer m_idleWait;
    bool m_checked = false;
    // The current call: whether it connected, why it did not.
    bool m_connected = false;
    bool m_callEnded = false;
    bool m_idleSeen = false;
    QString m_reason;
    int m_callsConnected = 0;
    int m_callsEnded = 0;
    int m_interruptsSeen = 0;
};
