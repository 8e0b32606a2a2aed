#pragma once

// What the call-cycle benchmarks share: the simulated exchange with no pacing on a
// private configuration (as the tests have it), and a line control open on device 0 with
// its trace log on that makes one complete call at a time (Dial to OnConnected, Hangup to
// OnCallEnd).

#include <InstantServiceOptions.h>
#include <TnvCall.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLog.h>

#include <QCoreApplication>

class CallCycleLine {
public:
    CallCycleLine()
    {
        m_line.Log()->setActive(true);
        m_line.Device()->setIdleDelay(0);
        m_line.setEnabled(true);
        m_line.Device()->setActive(true);
        m_line.OnConnected = [this](TnvSharedControl*, int) { m_connected = true; };
        m_line.OnCallEnd = [this](TnvSharedControl*, int) { m_ended = true; };
    }

    TnvLine& line() { return m_line; }

    void cycle()
    {
        m_connected = m_ended = false;
        m_line.Call()->setPhoneNumber(QStringLiteral("5550100"));
        m_line.Call()->Dial();
        while (!m_connected)
            QCoreApplication::processEvents();
        m_line.Call()->Hangup();
        while (!m_ended)
            QCoreApplication::processEvents();
    }

    // Closes the line and lets the exchange hear of it before the next benchmark.
    void close()
    {
        m_line.Device()->setActive(false);
        QCoreApplication::processEvents();
    }

private:
    TnvLine m_line;
    bool m_connected = false;
    bool m_ended = false;
};
