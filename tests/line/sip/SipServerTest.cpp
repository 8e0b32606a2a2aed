// SIP lines behind a registrar and proxy operators run: Kamailio, started by the test in
// the foreground with a minimal configuration on loopback. Lines register with it and
// reach each other by their addresses of record, as many programs on one server would.

#include "SipLineFixture.h"

#include <TapiConstants.h>
#include <TnvCallerID.h>
#include <TnvTransfer.h>

#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>

namespace {

class SipServer : public SipLineFixture {
protected:
    void SetUp() override
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("kamailio"),
                                                               {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        if (program.isEmpty())
            GTEST_SKIP() << "kamailio is not installed (scripts/install-deps.sh installs it)";
        SipLineFixture::SetUp();
        // A port found free can be taken by a test running beside this one before the
        // server binds it; the server then exits, and another port is tried.
        for (int attempt = 0; attempt < 3 && !m_serverUp; ++attempt)
            startServer(program);
        ASSERT_TRUE(m_serverUp) << serverLog();
    }

    void startServer(const QString& program)
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished(3000);
        }
        m_serverPort = freePort();
        QFile in(QStringLiteral(LINKORA_SIP_SCENARIOS "/kamailio.cfg"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QByteArray config = in.readAll();
        config.replace("udp:127.0.0.1:PORT", "udp:127.0.0.1:" + QByteArray::number(m_serverPort));
        QFile out(m_configDir.filePath(QStringLiteral("kamailio.cfg")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(config);
        out.close();
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.setStandardOutputFile(m_configDir.filePath(QStringLiteral("kamailio.log")));
        m_server.start(program, {QStringLiteral("-f"), out.fileName(), QStringLiteral("-DD"), QStringLiteral("-E"),
                                 QStringLiteral("-m"), QStringLiteral("32"), QStringLiteral("-M"), QStringLiteral("8"),
                                 QStringLiteral("-Y"), m_configDir.path()});
        ASSERT_TRUE(m_server.waitForStarted(3000));
        // The server is up once its port is taken while it runs.
        waitUntil([this] {
            QUdpSocket probe;
            return m_server.state() != QProcess::Running || !probe.bind(QHostAddress::LocalHost, quint16(m_serverPort));
        }, 5000);
        QUdpSocket probe;
        m_serverUp = m_server.state() == QProcess::Running && !probe.bind(QHostAddress::LocalHost, quint16(m_serverPort));
    }

    void TearDown() override
    {
        SipLineFixture::TearDown();
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(3000))
                m_server.kill();
        }
    }

    std::string serverLog() const
    {
        QFile file(m_configDir.filePath(QStringLiteral("kamailio.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().right(2000).toStdString() : std::string();
    }

    // Lines registered with the server, found by their address of record.
    void registeredLines(const QStringList& users)
    {
        QString extra;
        for (int i = 0; i < users.size(); ++i)
            extra += QStringLiteral("account%1.proxy = \"sip:127.0.0.1:%2\"\naccount%1.expires = 60\n")
                         .arg(i + 1)
                         .arg(m_serverPort);
        writeConfig(users, extra);
        for (int i = 0; i < users.size(); ++i)
            m_line << openLine(i);
        ASSERT_TRUE(waitUntil([&] {
            for (int i = 0; i < users.size(); ++i)
                if (!Telephony::serviceControl(QStringLiteral("lines"))
                         .value(QStringLiteral("lines"))
                         .toArray()
                         .at(i)
                         .toObject()
                         .value(QStringLiteral("inService"))
                         .toBool())
                    return false;
            return true;
        })) << serverLog();
    }

    void connect(int from, int to, const QString& user)
    {
        m_line[from]->Call()->setPhoneNumber(user);
        ASSERT_TRUE(m_line[from]->Call()->Dial()) << log(m_line[from]);
        ASSERT_TRUE(waitFor(to, QStringLiteral("OnOffering"))) << log(m_line[to]) << serverLog();
        ASSERT_TRUE(m_line[to]->Call()->Answer());
        ASSERT_TRUE(waitFor(from, QStringLiteral("OnConnected"))) << log(m_line[from]);
    }

    bool m_serverUp = false;
    int m_serverPort = 0;
    QProcess m_server;
    QList<TnvLine*> m_line;
};

TEST_F(SipServer, RegisteredLinesCallEachOtherByAddressOfRecord)
{
    registeredLines({QStringLiteral("alice"), QStringLiteral("bob")});
    connect(0, 1, QStringLiteral("bob"));
    EXPECT_EQ(m_line[1]->Call()->CallerID()->Number(), QStringLiteral("alice@127.0.0.1"));
    ASSERT_TRUE(m_line[1]->Call()->Hangup());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnDisconnected"))) << log(m_line[0]) << serverLog();
    EXPECT_EQ(m_line[0]->Call()->StateMode(), LINEDISCONNECTMODE_NORMAL);
    ASSERT_TRUE(m_line[0]->Call()->Hangup());

    // Nobody registered as carol: the server says 404.
    clearEvents();
    m_line[0]->Call()->setPhoneNumber(QStringLiteral("carol"));
    ASSERT_TRUE(m_line[0]->Call()->Dial());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnDisconnected"))) << log(m_line[0]);
    EXPECT_EQ(m_line[0]->Call()->StateMode(), LINEDISCONNECTMODE_BADADDRESS);
}

TEST_F(SipServer, ConsultationTransferJoinsTheOtherTwoThroughTheServer)
{
    registeredLines({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carol")});
    connect(0, 1, QStringLiteral("bob"));
    TnvLine* bob = m_line[1];
    bob->Transfer()->setPrimaryCall(bob->Call()->Handle());
    bob->Transfer()->setPhoneNumber(QStringLiteral("carol"));
    ASSERT_TRUE(bob->Transfer()->Dial()) << log(bob);
    ASSERT_TRUE(waitFor(2, QStringLiteral("OnOffering"))) << log(m_line[2]);
    ASSERT_TRUE(m_line[2]->Call()->Answer());
    ASSERT_TRUE(waitUntil([&] { return bob->Call()->State() == LINECALLSTATE_CONNECTED; })) << log(bob);
    ASSERT_TRUE(bob->Transfer()->Complete()) << log(bob);
    ASSERT_TRUE(waitUntil([&] { return bob->Call()->Count() == 0; })) << log(bob);
    // Carol now talks to Alice: her line shows the call that replaced Bob's, and Bob's
    // own call to her as disconnected.
    ASSERT_TRUE(waitUntil([&] {
        return m_events[2].count(QStringLiteral("OnConnected")) == 2 && m_events[2].contains(QStringLiteral("OnDisconnected"));
    })) << log(m_line[2]) << serverLog();
    EXPECT_EQ(m_line[2]->Call()->Count(), 2);
    ASSERT_TRUE(waitUntil([&] { return m_line[0]->Call()->State() == LINECALLSTATE_CONNECTED; })) << log(m_line[0]);
}

} // namespace
