// A SIP line over TLS against a TLS server on loopback (openssl's test server with a
// certificate the test makes for 127.0.0.1): the line verifies the server by default,
// refuses one it cannot trust, and sends its INVITE once trust is given.

#include "SipLineFixture.h"

#include <TapiConstants.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

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

TEST_F(SipTls, TheLineTalksOnlyToServersItTrusts)
{
    struct Case {
        const char* name;
        QString keys;
        bool trusted;
    };
    const Case cases[] = {
        {"verified by default, unknown issuer", {}, false},
        {"verification off", QStringLiteral("account1.verifyTls = false\n"), true},
        {"issuer trusted", QStringLiteral("account1.caFile = \"%1\"\n").arg(m_cert), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_lines.clear();
        m_events.clear();
        m_ports.clear();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
        stopServer();
        const int port = freeTcpPort();
        ASSERT_TRUE(startServer(port));
        writeConfig({QStringLiteral("alice")}, QStringLiteral("account1.transport = \"tls\"\n") + c.keys);
        TnvLine* alice = openLine(0);
        alice->Call()->setPhoneNumber(QStringLiteral("sip:bob@127.0.0.1:%1;transport=tls").arg(port));
        ASSERT_TRUE(alice->Call()->Dial()) << log(alice);
        QByteArray received;
        const auto invited = [&] {
            received += m_server.readAll();
            return received.contains("INVITE sip:bob@127.0.0.1");
        };
        if (c.trusted) {
            EXPECT_TRUE(waitUntil(invited, 5000)) << received.left(500).toStdString();
        } else {
            ASSERT_TRUE(waitFor(0, QStringLiteral("OnDisconnected"))) << log(alice);
            EXPECT_EQ(alice->Call()->StateMode(), LINEDISCONNECTMODE_UNREACHABLE);
            EXPECT_FALSE(invited());
        }
        ASSERT_TRUE(alice->Call()->Hangup());
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(alice);
    }
}

TEST_F(SipTls, WhatTheServerSendsReachesTheStackWholeAndChecked)
{
    const int port = freeTcpPort();
    ASSERT_TRUE(startServer(port));
    writeConfig({QStringLiteral("alice")}, QStringLiteral("account1.transport = \"tls\"\naccount1.verifyTls = false\n"));
    TnvLine* alice = openLine(0);
    alice->Call()->setPhoneNumber(QStringLiteral("sip:bob@127.0.0.1:%1;transport=tls").arg(port));
    ASSERT_TRUE(alice->Call()->Dial()) << log(alice);
    QByteArray received;
    ASSERT_TRUE(waitUntil([&] {
        received += m_server.readAll();
        return received.contains("INVITE sip:bob@127.0.0.1");
    }, 5000)) << received.left(500).toStdString();
    // The server asks the line for its options, with a name far past what the stack can
    // take, in two pieces; the line answers with the name cut.
    const auto shortened = [] {
        return Telephony::serviceControl(QStringLiteral("lines")).value(QLatin1String("shortened")).toInt();
    };
    const int before = shortened();
    const QByteArray options = "OPTIONS sip:alice@127.0.0.1 SIP/2.0\r\n"
                               "Via: SIP/2.0/TLS 127.0.0.1:" + QByteArray::number(port) + ";branch=z9hG4bK-tls1\r\n"
                               "From: \"" + QByteArray(1500, 'Z') + "\" <sip:server@127.0.0.1>;tag=s1\r\n"
                               "To: <sip:alice@127.0.0.1>\r\n"
                               "Call-ID: tls-probe-1@127.0.0.1\r\n"
                               "CSeq: 1 OPTIONS\r\n"
                               "Max-Forwards: 70\r\n"
                               "Content-Length: 0\r\n\r\n";
    received.clear();
    m_server.write(options.first(700));
    ASSERT_TRUE(m_server.waitForBytesWritten(1000));
    m_server.write(options.sliced(700));
    ASSERT_TRUE(waitUntil([&] {
        received += m_server.readAll();
        return received.contains("tls-probe-1") && received.contains("\r\n\r\n");
    }, 5000)) << received.left(500).toStdString();
    EXPECT_TRUE(received.contains("SIP/2.0 200")) << received.left(300).toStdString();
    EXPECT_FALSE(received.contains(QByteArray(200, 'Z')));
    EXPECT_GE(shortened(), before + 1);
    ASSERT_TRUE(alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(alice);
}

} // namespace
