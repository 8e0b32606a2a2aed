#pragma once

// A SIP peer played by sipp from one of the scenario files beside the tests, on
// 127.0.0.1 and a port of its own; it gives up by itself after a few seconds.

#include "EventLoop.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

class SippPeer {
public:
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("sipp")); }

    ~SippPeer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    // The folder sipp runs in, where a scenario finds the files it plays.
    void setWorkingDirectory(const QString& dir) { m_process.setWorkingDirectory(dir); }

    // Starts the scenario as a server on port; remote (host:port) makes it the caller.
    bool start(const QString& scenario, int port, int mediaPort, const QString& remote = {},
               const QStringList& extra = {})
    {
        QStringList args{QStringLiteral("-sf"), QStringLiteral(LINKORA_SIP_SCENARIOS "/") + scenario,
                         QStringLiteral("-i"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("-p"), QString::number(port),
                         QStringLiteral("-mi"), QStringLiteral("127.0.0.1"),
                         QStringLiteral("-mp"), QString::number(mediaPort),
                         QStringLiteral("-m"), QStringLiteral("1"),
                         QStringLiteral("-timeout"), QStringLiteral("8"),
                         QStringLiteral("-timeout_error"),
                         QStringLiteral("-nostdin")};
        args << extra;
        if (!remote.isEmpty())
            args << remote;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(program(), args);
        return m_process.waitForStarted(3000);
    }

    // The peer disappears at once, as a machine that lost its network would.
    void vanish()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

    // The scenario's end: 0 when every step happened as written, -1 on a time-out.
    int finish(int timeoutMs = 10000)
    {
        if (!waitUntil([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
};
