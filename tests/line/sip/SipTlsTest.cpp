// A SIP line over TLS against a TLS server on loopback (openssl's test server with a
// certificate the test makes for 127.0.0.1): the line verifies the server by default,
// refuses one it cannot trust, and sends its INVITE once trust is given.

#include "SipTlsFixture.h"

#include <TapiConstants.h>

#include <QTcpServer>

namespace {

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
