#pragma once

// A SIP line fixture with a TLS server on loopback: openssl's test server with a
// certificate made for 127.0.0.1. Tests skip themselves where openssl is not installed.

#include "SipLineFixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>

class SipTls : public SipLineFixture {
protected:
    void SetUp() override
    {
        m_openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
        if (m_openssl.isEmpty())
            GTEST_SKIP() << "openssl is not installed; no certificate and no TLS server for the test";
        SipLineFixture::SetUp();
        m_cert = m_configDir.filePath(QStringLiteral("cert.pem"));
        m_key = m_configDir.filePath(QStringLiteral("key.pem"));
        QProcess make;
        make.start(m_openssl, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                               QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                               QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                               QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                               QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), m_key,
                               QStringLiteral("-out"), m_cert});
        ASSERT_TRUE(make.waitForFinished(10000));
        ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        SipLineFixture::TearDown();
        stopServer();
    }

    static int freeTcpPort() { return TestPorts::next(); }

    bool startServer(int port)
    {
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(m_openssl, {QStringLiteral("s_server"), QStringLiteral("-accept"),
                                   QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-cert"), m_cert,
                                   QStringLiteral("-key"), m_key, QStringLiteral("-quiet")});
        if (!m_server.waitForStarted(3000))
            return false;
        // Up once it accepts a connection (the probe's own handshake never starts).
        return waitUntil([this, port] {
            if (m_server.state() != QProcess::Running)
                return false;
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(port));
            return probe.waitForConnected(200);
        }, 8000);
    }

    void stopServer()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished(2000);
        }
    }

    QString m_openssl;
    QString m_cert;
    QString m_key;
    QProcess m_server;
};
