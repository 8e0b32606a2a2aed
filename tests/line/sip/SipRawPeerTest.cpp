// A SIP line against raw packets: requests whose body cannot be read safely are refused
// at once, over datagrams and streams, the application never sees them as calls, and an
// ordinary call afterwards still works.

#include "SipLineFixture.h"

#include <QNetworkDatagram>
#include <QTcpSocket>

#include <functional>

namespace {

class SipRawPeer : public SipLineFixture {
protected:
    // A raw INVITE to alice's line from `localPort`, with the given extra headers and body.
    static QByteArray invite(const char* transport, int port, int localPort, const QByteArray& tag,
                             const QByteArray& extra, const QByteArray& body)
    {
        return "INVITE sip:alice@127.0.0.1:" + QByteArray::number(port) + " SIP/2.0\r\n"
               "Via: SIP/2.0/" + QByteArray(transport).toUpper() + " 127.0.0.1:" + QByteArray::number(localPort)
               + ";branch=z9hG4bK-" + tag + ";rport\r\n"
               "From: <sip:mallory@127.0.0.1>;tag=" + tag + "\r\n"
               "To: <sip:alice@127.0.0.1>\r\n"
               "Call-ID: " + tag + "@127.0.0.1\r\n"
               "CSeq: 1 INVITE\r\n"
               "Contact: <sip:mallory@127.0.0.1:" + QByteArray::number(localPort) + ">\r\n"
               "Max-Forwards: 70\r\n" + extra + "\r\n" + body;
    }

    // The first final response in what came back, or 0.
    static int finalCode(const QByteArray& received)
    {
        for (const QByteArray& line : received.split('\n')) {
            if (!line.startsWith("SIP/2.0 "))
                continue;
            const int code = line.mid(8, 3).toInt();
            if (code >= 200)
                return code;
        }
        return 0;
    }

    // What the line answers to `message`, sent from a socket of its own; over a stream
    // the connection is left to close or stay as the line decides.
    int send(const char* transport, const std::function<QByteArray(int localPort)>& build)
    {
        const int port = m_ports.value(0);
        QByteArray received;
        if (QByteArray(transport) == "udp") {
            QUdpSocket socket;
            if (!socket.bind(QHostAddress::LocalHost, quint16(freePort())))
                return -1;
            QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
                while (socket.hasPendingDatagrams())
                    received += socket.receiveDatagram().data();
            });
            socket.writeDatagram(build(socket.localPort()), QHostAddress::LocalHost, quint16(port));
            waitUntil([&] { return finalCode(received) != 0; }, 4000);
        } else {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(port));
            if (!waitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 3000))
                return -1;
            QObject::connect(&socket, &QTcpSocket::readyRead, [&] { received += socket.readAll(); });
            socket.write(build(socket.localPort()));
            waitUntil([&] { return finalCode(received) != 0; }, 4000);
        }
        return finalCode(received);
    }
};

const QByteArray kRawSdp = "v=0\r\no=- 1 1 IN IP4 127.0.0.1\r\ns=-\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\n"
                           "m=audio 4000 RTP/AVP 0\r\n";

TEST_F(SipRawPeer, RequestsWhoseBodyCannotBeReadAreRefusedAndTheLineLivesOn)
{
    const QByteArray length = "Content-Length: " + QByteArray::number(kRawSdp.size()) + "\r\n";
    struct Case {
        const char* name;
        QByteArray extra;
        QByteArray body;
        int udpCode;
        int tcpCode;
    };
    const Case cases[] = {
        {"chunked, no length, no type", "Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n0\r\n\r\n", 400, 400},
        {"offer without a type", length, kRawSdp, 400, 400},
        {"offer of another type", length + "Content-Type: text/plain\r\n", kRawSdp, 415, 415},
        {"compressed offer", length + "Content-Type: application/sdp\r\nContent-Encoding: gzip\r\n", kRawSdp, 415, 415},
        {"offer that is not SDP", "Content-Type: application/sdp\r\nContent-Length: 6\r\n", "hello!", 488, 488},
        {"length past the body", "Content-Type: application/sdp\r\nContent-Length: 900\r\n", kRawSdp, 400, 0},
        {"length given twice", length + "Content-Length: 3\r\nContent-Type: application/sdp\r\n", kRawSdp, 400, 400},
        {"no offer at all", "Content-Length: 0\r\n", {}, 488, 488},
        {"no length on a stream", "Content-Type: application/sdp\r\n", kRawSdp, 0, 400},
    };
    for (const char* transport : {"udp", "tcp"}) {
        SCOPED_TRACE(transport);
        writeConfig({QStringLiteral("alice"), QStringLiteral("bob")},
                    QStringLiteral("account1.transport = \"%1\"\naccount2.transport = \"%1\"\n").arg(QLatin1String(transport)));
        TnvLine* alice = openLine(0);
        TnvLine* bob = openLine(1);
        int serial = 0;
        for (const Case& c : cases) {
            const int expected = QByteArray(transport) == "udp" ? c.udpCode : c.tcpCode;
            if (expected == 0)
                continue; // framed the other way on this transport
            SCOPED_TRACE(c.name);
            const QByteArray tag = "raw" + QByteArray::number(++serial);
            const int port = m_ports.value(0);
            EXPECT_EQ(send(transport, [&](int localPort) { return invite(transport, port, localPort, tag, c.extra, c.body); }),
                      expected) << log(alice);
        }
        // Nothing of it reached the application.
        EXPECT_FALSE(m_events[0].contains(QStringLiteral("OnOffering"))) << log(alice);
        EXPECT_FALSE(m_events[0].contains(QStringLiteral("OnConnected"))) << log(alice);
        EXPECT_EQ(alice->Call()->Count(), 0);
        // An ordinary call still rings, is answered and ends.
        connect(bob, 1, alice, 0, QStringLiteral("alice"));
        ASSERT_TRUE(bob->Call()->Hangup());
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnDisconnected"))) << log(alice);
        ASSERT_TRUE(alice->Call()->Hangup());
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(alice);
        m_lines.clear();
        clearEvents();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
        m_ports.clear();
    }
}

} // namespace
