// A SIP line on TCP against raw connections: a peer whose message cannot be framed safely
// is disconnected without the line noticing anything, and the next peer, sending its
// request in pieces, is answered as usual.

#include "SipLineFixture.h"

#include <QTcpSocket>

namespace {

class SipStream : public SipLineFixture {
protected:
    static int closedConnections()
    {
        return Telephony::serviceControl(QStringLiteral("lines")).value(QLatin1String("closedConnections")).toInt();
    }

    static bool connectTo(QTcpSocket& socket, int port)
    {
        socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        return waitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 3000);
    }
};

TEST_F(SipStream, UnframeablePeersAreDisconnectedAndTheNextIsAnswered)
{
    writeConfig({QStringLiteral("alice")}, QStringLiteral("account1.transport = \"tcp\"\n"));
    TnvLine* alice = openLine(0);
    const int port = m_ports.value(0);
    struct Case {
        const char* name;
        QByteArray data;
    };
    const Case cases[] = {
        {"header block past the cap", "INVITE sip:alice@127.0.0.1 SIP/2.0\r\nX-Pad: " + QByteArray(20000, 'p')},
        {"body past the cap", "INVITE sip:alice@127.0.0.1 SIP/2.0\r\nContent-Length: 100000\r\n\r\n"},
        {"not a message", "hello\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int closed = closedConnections();
        QTcpSocket peer;
        ASSERT_TRUE(connectTo(peer, port));
        peer.write(c.data);
        EXPECT_TRUE(waitUntil([&] { return peer.state() == QAbstractSocket::UnconnectedState; }, 3000));
        EXPECT_EQ(closedConnections(), closed + 1);
    }

    QTcpSocket peer;
    ASSERT_TRUE(connectTo(peer, port));
    const QByteArray options = QStringLiteral("OPTIONS sip:alice@127.0.0.1:%1 SIP/2.0\r\n"
                                              "Via: SIP/2.0/TCP 127.0.0.1:%2;branch=z9hG4bK-probe1;rport\r\n"
                                              "From: <sip:probe@127.0.0.1>;tag=probe1\r\n"
                                              "To: <sip:alice@127.0.0.1>\r\n"
                                              "Call-ID: probe-1@127.0.0.1\r\n"
                                              "CSeq: 1 OPTIONS\r\n"
                                              "Max-Forwards: 70\r\n"
                                              "Content-Length: 0\r\n\r\n")
                                   .arg(port)
                                   .arg(peer.localPort())
                                   .toLatin1();
    QByteArray answer;
    QObject::connect(&peer, &QTcpSocket::readyRead, [&] { answer += peer.readAll(); });
    peer.write(options.first(50));
    ASSERT_TRUE(peer.waitForBytesWritten(1000));
    peer.write(options.sliced(50));
    EXPECT_TRUE(waitUntil([&] { return answer.contains("\r\n\r\n"); }, 3000)) << log(alice);
    EXPECT_TRUE(answer.startsWith("SIP/2.0 200")) << answer.left(200).toStdString();
    EXPECT_EQ(alice->Call()->Count(), 0);
}

} // namespace
