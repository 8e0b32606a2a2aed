// The SIP provider's replacements of the stack's own functions (its shims) are in effect:
// SIP traffic over UDP, TCP and TLS enters every one of them. A library that renamed or
// stopped calling a replaced function, or a link that left a shim out, fails here.

#include "SipTlsFixture.h"

#include <QJsonObject>

namespace {

class SipShims : public SipTls {
protected:
    static QJsonObject shimCalls()
    {
        return Telephony::serviceControl(QStringLiteral("lines")).value(QLatin1String("shims")).toObject();
    }

    // Calls `to` from `from` over `transport`, answers and hangs up.
    void callAndHangUp(int from, int to, const QString& user, const QString& transport)
    {
        TnvLine* caller = m_lines[size_t(from)].get();
        TnvLine* callee = m_lines[size_t(to)].get();
        caller->Call()->setPhoneNumber(uriOf(to, user) + QStringLiteral(";transport=") + transport);
        ASSERT_TRUE(caller->Call()->Dial()) << log(caller);
        ASSERT_TRUE(waitFor(to, QStringLiteral("OnOffering"))) << log(callee);
        ASSERT_TRUE(callee->Call()->Answer()) << log(callee);
        ASSERT_TRUE(waitFor(from, QStringLiteral("OnConnected"))) << log(caller);
        ASSERT_TRUE(caller->Call()->Hangup());
        ASSERT_TRUE(waitFor(to, QStringLiteral("OnDisconnected"))) << log(callee);
        ASSERT_TRUE(callee->Call()->Hangup());
        ASSERT_TRUE(waitFor(from, QStringLiteral("OnCallEnd"))) << log(caller);
        ASSERT_TRUE(waitFor(to, QStringLiteral("OnCallEnd"))) << log(callee);
    }
};

TEST_F(SipShims, SipTrafficEntersEveryShim)
{
    const int tlsPort = freeTcpPort();
    ASSERT_TRUE(startServer(tlsPort));
    writeConfig({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol"), QStringLiteral("dave"),
                 QStringLiteral("erin")},
                QStringLiteral("account3.transport = \"tcp\"\naccount4.transport = \"tcp\"\n"
                               "account5.transport = \"tls\"\naccount5.verifyTls = false\n"));
    for (int device = 0; device < 5; ++device)
        openLine(device);
    const QJsonObject before = shimCalls();
    ASSERT_FALSE(before.isEmpty());
    EXPECT_TRUE(Telephony::serviceControl(QStringLiteral("lines")).value(QLatin1String("stackLibraryFound")).toBool());

    callAndHangUp(0, 1, QStringLiteral("bob"), QStringLiteral("udp"));
    callAndHangUp(2, 3, QStringLiteral("dave"), QStringLiteral("tcp"));

    // Over TLS the server asks for the line's options and closes, which frees the context.
    TnvLine* erin = m_lines[4].get();
    erin->Call()->setPhoneNumber(QStringLiteral("sip:bob@127.0.0.1:%1;transport=tls").arg(tlsPort));
    ASSERT_TRUE(erin->Call()->Dial()) << log(erin);
    QByteArray received;
    ASSERT_TRUE(waitUntil([&] {
        received += m_server.readAll();
        return received.contains("INVITE sip:bob@127.0.0.1");
    })) << received.left(300).toStdString();
    received.clear();
    m_server.write("OPTIONS sip:erin@127.0.0.1 SIP/2.0\r\n"
                   "Via: SIP/2.0/TLS 127.0.0.1:" + QByteArray::number(tlsPort) + ";branch=z9hG4bK-shims\r\n"
                   "From: <sip:server@127.0.0.1>;tag=s1\r\nTo: <sip:erin@127.0.0.1>\r\n"
                   "Call-ID: shims-1@127.0.0.1\r\nCSeq: 1 OPTIONS\r\nMax-Forwards: 70\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(waitUntil([&] {
        received += m_server.readAll();
        return received.contains("shims-1");
    })) << received.left(300).toStdString();
    ASSERT_TRUE(erin->Call()->Hangup());
    ASSERT_TRUE(waitFor(4, QStringLiteral("OnCallEnd"))) << log(erin);
    stopServer();

    const auto allEntered = [&] {
        const QJsonObject now = shimCalls();
        for (auto it = before.begin(); it != before.end(); ++it)
            if (now.value(it.key()).toInt() <= it.value().toInt())
                return false;
        return true;
    };
    waitUntil(allEntered);
    const QJsonObject after = shimCalls();
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_GT(after.value(it.key()).toInt(), it.value().toInt())
            << it.key().toStdString() << " was never entered: the stack calls its own definition";
}

} // namespace
