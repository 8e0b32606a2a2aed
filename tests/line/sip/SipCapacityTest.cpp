// How much a SIP line and the provider carry: many calls from one caller address (a
// trunk), hundreds of accounts, and calls made while a line still registers.

#include "SipLineFixture.h"
#include "SippPeer.h"

#include <TapiConstants.h>
#include <TnvError.h>

#include <QJsonArray>
#include <QTimer>

namespace {

QJsonArray sipLines()
{
    return Telephony::serviceControl(QStringLiteral("lines")).value(QStringLiteral("lines")).toArray();
}

// A registrar played by the test itself, so the test decides when (and whether) it
// answers: REGISTER gets the chosen reply once allowed, INVITE gets 486.
class HandRegistrar {
public:
    explicit HandRegistrar(int port, QByteArray reply) : m_reply(std::move(reply))
    {
        m_bound = m_socket.bind(QHostAddress::LocalHost, quint16(port));
        QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] { read(); });
    }
    bool bound() const { return m_bound; }
    bool invited() const { return m_invited; }

    void allow()
    {
        m_allowed = true;
        for (const auto& [request, from] : std::exchange(m_held, {}))
            answer(request, m_reply, from);
    }

private:
    struct Sender {
        QHostAddress host;
        quint16 port = 0;
    };

    void read()
    {
        while (m_socket.hasPendingDatagrams()) {
            QByteArray data(int(m_socket.pendingDatagramSize()), '\0');
            Sender from;
            m_socket.readDatagram(data.data(), data.size(), &from.host, &from.port);
            if (data.startsWith("REGISTER ")) {
                if (m_allowed)
                    answer(data, m_reply, from);
                else if (!m_reply.isEmpty())
                    m_held.emplace_back(data, from);
            } else if (data.startsWith("INVITE ")) {
                m_invited = true;
                answer(data, "486 Busy Here", from);
            }
        }
    }

    // The response copies what a response must from the request.
    void answer(const QByteArray& request, const QByteArray& status, const Sender& to)
    {
        if (status.isEmpty())
            return;
        QByteArray response = "SIP/2.0 " + status + "\r\n";
        for (const QByteArray& line : request.split('\n')) {
            const QByteArray header = line.trimmed();
            const QByteArray name = header.left(header.indexOf(':')).trimmed().toLower();
            if (name == "via" || name == "from" || name == "call-id" || name == "cseq")
                response += header + "\r\n";
            else if (name == "to")
                response += header + ";tag=hand" + QByteArray::number(++m_tags) + "\r\n";
            else if (name == "contact" && status.startsWith("200"))
                response += header + ";expires=60\r\nExpires: 60\r\n";
        }
        response += "Content-Length: 0\r\n\r\n";
        m_socket.writeDatagram(response, to.host, to.port);
    }

    QUdpSocket m_socket;
    QByteArray m_reply;
    bool m_bound = false;
    bool m_allowed = false;
    bool m_invited = false;
    int m_tags = 0;
    std::vector<std::pair<QByteArray, Sender>> m_held;
};

class SipCapacity : public SipLineFixture {};

} // namespace

// A trunk delivers all its calls from one address: each reaches the application, up to
// the line's maxCalls; only a call beyond that hears busy.
TEST_F(SipCapacity, CallsFromOneAddressAllReachTheLine)
{
    if (SippPeer::program().isEmpty())
        GTEST_SKIP() << "sipp is not installed (scripts/install-deps.sh installs it)";
    const auto callsAtOnce = [this](SippPeer& trunk, int calls) {
        const QString n = QString::number(calls);
        return trunk.start(QStringLiteral("uac-trunk.xml"), freePort(), freePort(),
                           QStringLiteral("127.0.0.1:%1").arg(m_ports.value(0)),
                           {QStringLiteral("-s"), QStringLiteral("alice"), QStringLiteral("-m"), n, QStringLiteral("-l"), n,
                            QStringLiteral("-r"), QStringLiteral("1000"), QStringLiteral("-timeout"), QStringLiteral("30")});
    };
    const auto offered = [this] { return m_events[0].count(QStringLiteral("OnOffering")); };
    for (const int calls : {3, 40}) {
        SCOPED_TRACE(calls);
        writeConfig({QStringLiteral("alice")}, QStringLiteral("account1.maxCalls = %1\n").arg(calls));
        TnvLine* alice = openLine(0);
        SippPeer trunk;
        ASSERT_TRUE(callsAtOnce(trunk, calls));
        ASSERT_TRUE(waitUntil([&] { return offered() >= calls; }, 20000)) << offered() << " offered\n" << log(alice);
        // One call more is turned away while the line still holds the others.
        SippPeer extra;
        ASSERT_TRUE(callsAtOnce(extra, 1));
        EXPECT_EQ(extra.finish(), 0);
        EXPECT_EQ(offered(), calls);
        // Letting go of the line turns the offered calls down; the trunk sees every call end.
        m_lines.clear();
        EXPECT_EQ(trunk.finish(30000), 0);
        clearEvents();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
        m_ports.clear();
    }
}

// Accounts beyond the first few hundred are lines too; only a line in use runs a stack.
TEST_F(SipCapacity, HundredsOfAccountsStartOnlyTheLinesInUse)
{
    constexpr int kAccounts = 257;
    QString accounts;
    for (int n = 1; n < kAccounts; ++n)
        accounts += QStringLiteral("account%1.identity = \"sip:user%1@127.0.0.1\"\n"
                                   "account%1.bindAddress = \"127.0.0.1\"\n")
                        .arg(n);
    // The last account is the one opened: it gets a port of the test's own.
    writeConfig({}, accounts + QStringLiteral("account%1.identity = \"sip:last@127.0.0.1\"\n"
                                              "account%1.bindAddress = \"127.0.0.1\"\n"
                                              "account%1.port = %2\n")
                                   .arg(kAccounts)
                                   .arg(freePort()));
    TnvLine* last = openLine(kAccounts - 1);
    EXPECT_EQ(last->Device()->Count(), kAccounts);
    const QJsonArray lines = sipLines();
    ASSERT_EQ(lines.size(), kAccounts);
    int started = 0;
    for (const QJsonValue& line : lines)
        started += line.toObject().value(QStringLiteral("started")).toBool();
    EXPECT_EQ(started, 1);
    const QJsonObject opened = lines.at(kAccounts - 1).toObject();
    EXPECT_TRUE(opened.value(QStringLiteral("started")).toBool());
    EXPECT_TRUE(opened.value(QStringLiteral("inService")).toBool());
    EXPECT_GT(opened.value(QStringLiteral("port")).toInt(), 0);
}

// A call made right after start, while the line still registers, waits for the
// registration: it goes out once registered, and fails saying the line is not registered
// when the registrar refuses or never answers.
TEST_F(SipCapacity, DialingWhileRegisteringWaitsForTheRegistration)
{
    struct Case {
        const char* reply;
        bool dialed;
    };
    for (const Case& c : {Case{"200 OK", true}, Case{"403 Forbidden", false}, Case{"", false}}) {
        SCOPED_TRACE(c.reply);
        const int registrarPort = freePort();
        HandRegistrar registrar(registrarPort, c.reply);
        ASSERT_TRUE(registrar.bound());
        writeConfig({QStringLiteral("alice")}, QStringLiteral("account1.proxy = \"sip:127.0.0.1:%1\"\n"
                                                              "account1.expires = 60\n"
                                                              "registerWaitMs = 1500\n")
                                                   .arg(registrarPort));
        TnvLine* alice = openLine(0);
        alice->Call()->setPhoneNumber(QStringLiteral("bob"));
        // The registrar answers only once the call has been asked for.
        QTimer::singleShot(0, [&registrar] { registrar.allow(); });
        EXPECT_EQ(alice->Call()->Dial(), c.dialed) << log(alice);
        if (c.dialed) {
            ASSERT_TRUE(waitFor(0, QStringLiteral("OnDisconnected"))) << log(alice);
            EXPECT_TRUE(registrar.invited());
            EXPECT_EQ(alice->Call()->StateMode(), LINEDISCONNECTMODE_BUSY);
        } else {
            EXPECT_EQ(quint32(alice->Error()->Number()), LINEERR_NOTREGISTERED);
            EXPECT_EQ(alice->Error()->Text(), QStringLiteral("LINEERR_NOTREGISTERED"));
            EXPECT_FALSE(registrar.invited());
        }
        m_lines.clear();
        clearEvents();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
        m_ports.clear();
    }
}
