// A SIP line against peers that are not this program: sipp plays a registrar asking
// for digest authentication, far ends that answer, are busy or ring forever or take
// digits only as SIP INFO, and a caller with a display name and an asserted identity.

#include "SipLineFixture.h"
#include "SippPeer.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvCallerID.h>

#include <sys/stat.h>

namespace {

class SipPeer : public SipLineFixture {
protected:
    void SetUp() override
    {
        if (SippPeer::program().isEmpty())
            GTEST_SKIP() << "sipp is not installed (scripts/install-deps.sh installs it)";
        SipLineFixture::SetUp();
        m_peerPort = freePort();
    }

    // Alice's line with sipp as its proxy.
    TnvLine* aliceThroughPeer(const QString& extra = QStringLiteral("account1.register = false\n"))
    {
        writeConfig({QStringLiteral("alice")},
                    QStringLiteral("account1.proxy = \"sip:127.0.0.1:%1\"\n").arg(m_peerPort) + extra);
        m_lines.clear();
        return openLine(0);
    }

    QString passwordFile(const QByteArray& password)
    {
        const QString path = m_configDir.filePath(QStringLiteral("alice.secret"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(password + '\n');
        file.close();
        ::chmod(QFile::encodeName(path).constData(), 0600);
        return path;
    }

    static DWORD devStatusFlags(DWORD device)
    {
        HLINEAPP app = 0;
        DWORD devices = 0;
        HLINE line = 0;
        LINEDEVSTATUS status{};
        status.dwTotalSize = sizeof(status);
        const auto ignore = [](DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {};
        if (lineInitialize(&app, nullptr, ignore, "probe", &devices) != 0)
            return 0;
        DWORD flags = 0;
        if (lineOpen(app, device, &line, TAPI_VERSION2_2, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr) == 0 &&
            lineGetLineDevStatus(line, &status) == 0)
            flags = status.dwDevStatusFlags;
        lineShutdown(app);
        return flags;
    }

    int m_peerPort = 0;
    SippPeer m_peer;
};

TEST_F(SipPeer, RegistrationWithDigestAuthenticationPutsTheLineInService)
{
    struct Case {
        const char* password;
        bool inService;
    };
    for (const Case& c : {Case{"Sesame-42", true}, Case{"wrong", false}}) {
        SCOPED_TRACE(c.password);
        SippPeer registrar;
        ASSERT_TRUE(registrar.start(QStringLiteral("uas-register-digest.xml"), m_peerPort, freePort()));
        TnvLine* alice = aliceThroughPeer(QStringLiteral("account1.passwordFile = \"%1\"\n")
                                              .arg(passwordFile(c.password)));
        ASSERT_EQ(registrar.finish(), 0); // both ways through the scenario: 200 or 403
        ASSERT_TRUE(waitUntil([&] {
            return bool(devStatusFlags(0) & LINEDEVSTATUSFLAGS_INSERVICE) == c.inService;
        }, 3000));
        if (!c.inService) {
            // A line that cannot register says so when it is asked to dial.
            alice->Call()->setPhoneNumber(QStringLiteral("bob"));
            EXPECT_FALSE(alice->Call()->Dial());
        }
        const std::string trace = log(alice);
        EXPECT_EQ(trace.find("Sesame"), std::string::npos);
        m_lines.clear();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
        m_ports.clear();
    }
}

TEST_F(SipPeer, FarEndsThatAnswerAreBusyOrRingForever)
{
    struct Case {
        const char* scenario;
        const char* reached;
        DWORD state;
        DWORD mode;
    };
    for (const Case& c : {Case{"uas-answer.xml", "OnConnected", LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE},
                          Case{"uas-busy.xml", "OnDisconnected", LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY},
                          Case{"uas-ring.xml", "OnRingBack", LINECALLSTATE_RINGBACK, 0}}) {
        SCOPED_TRACE(c.scenario);
        SippPeer peer;
        ASSERT_TRUE(peer.start(QString::fromLatin1(c.scenario), m_peerPort, freePort()));
        clearEvents();
        TnvLine* alice = aliceThroughPeer();
        alice->Call()->setPhoneNumber(QStringLiteral("bob"));
        ASSERT_TRUE(alice->Call()->Dial()) << log(alice);
        ASSERT_TRUE(waitFor(0, QString::fromLatin1(c.reached))) << log(alice);
        EXPECT_EQ(alice->Call()->State(), c.state);
        if (c.mode != 0) {
            EXPECT_EQ(alice->Call()->StateMode(), c.mode);
        }
        // Hanging up sends BYE, nothing or CANCEL, as the far end expects.
        ASSERT_TRUE(alice->Call()->Hangup());
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(alice);
        EXPECT_EQ(peer.finish(), 0);
        m_lines.clear();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
        m_ports.clear();
    }
}

TEST_F(SipPeer, ABusyFarEndDisconnectsTheCallOnce)
{
    SippPeer peer;
    ASSERT_TRUE(peer.start(QStringLiteral("uas-busy.xml"), m_peerPort, freePort()));
    TnvLine* alice = aliceThroughPeer();
    // As the dialer does: hang up as soon as the far end is busy.
    QList<int> modes;
    alice->OnBusy = [&](TnvSharedControl*, int) {
        m_events[0] << QStringLiteral("OnBusy");
        alice->Call()->Hangup();
    };
    alice->OnDisconnected = [&](TnvSharedControl*, int) {
        m_events[0] << QStringLiteral("OnDisconnected");
        modes << int(alice->Call()->DisconnectMode());
    };
    alice->Call()->setPhoneNumber(QStringLiteral("bob"));
    ASSERT_TRUE(alice->Call()->Dial()) << log(alice);
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(alice);
    // Whatever the stack still reports about the call after it ended says nothing more.
    EXPECT_EQ(peer.finish(), 0);
    EXPECT_FALSE(waitUntil([&] { return modes.size() > 1; }, 1000)) << log(alice);
    EXPECT_EQ(modes, QList<int>{LINEDISCONNECTMODE_BUSY}) << log(alice);
    const std::string trace = log(alice);
    EXPECT_EQ(trace.find("???"), std::string::npos) << trace;
}

TEST_F(SipPeer, FarEndThatVanishesMidCallEndsTheCallInBoundedTime)
{
    // The far end echoes the line's media until it vanishes; a second without media
    // ends the call.
    SippPeer peer;
    ASSERT_TRUE(peer.start(QStringLiteral("uas-answer.xml"), m_peerPort, freePort(), {}, {QStringLiteral("-rtp_echo")}));
    TnvLine* alice = aliceThroughPeer(QStringLiteral("account1.register = false\nmediaTimeout = 1\n"));
    alice->Call()->setPhoneNumber(QStringLiteral("bob"));
    ASSERT_TRUE(alice->Call()->Dial()) << log(alice);
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(alice);
    // Still connected while media flows.
    EXPECT_FALSE(waitFor(0, QStringLiteral("OnDisconnected"), 1500));
    peer.vanish();
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnDisconnected"), 4000)) << log(alice);
    EXPECT_EQ(alice->Call()->StateMode(), LINEDISCONNECTMODE_UNREACHABLE);
    ASSERT_TRUE(alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(alice);
    EXPECT_EQ(alice->Call()->Count(), 0);
}

TEST_F(SipPeer, DigitsReachAFarEndWithoutTelephoneEventsAsInfo)
{
    // The far end answers with no telephone-event payload and checks each INFO it gets.
    SippPeer peer;
    ASSERT_TRUE(peer.start(QStringLiteral("uas-no-events.xml"), m_peerPort, freePort()));
    TnvLine* alice = aliceThroughPeer();
    bool sent = false;
    alice->OnDigitsSent = [&sent](TnvSharedControl*, int) { sent = true; };
    alice->Call()->setPhoneNumber(QStringLiteral("bob"));
    ASSERT_TRUE(alice->Call()->Dial()) << log(alice);
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnConnected"))) << log(alice);
    ASSERT_TRUE(alice->Call()->SendDigits(QStringLiteral("1#"), 100)) << log(alice);
    ASSERT_TRUE(waitUntil([&] { return sent; })) << log(alice);
    alice->OnDigitsSent = nullptr;
    ASSERT_TRUE(alice->Call()->Hangup());
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnCallEnd"))) << log(alice);
    EXPECT_EQ(peer.finish(), 0);
}

TEST_F(SipPeer, CallerIdComesFromTheAssertedIdentity)
{
    TnvLine* alice = aliceThroughPeer();
    SippPeer caller;
    ASSERT_TRUE(caller.start(QStringLiteral("uac-display-name.xml"), m_peerPort, freePort(),
                             QStringLiteral("127.0.0.1:%1").arg(m_ports.value(0)), {QStringLiteral("-s"), QStringLiteral("alice")}));
    ASSERT_TRUE(waitFor(0, QStringLiteral("OnOffering"))) << log(alice);
    EXPECT_EQ(alice->Call()->CallerID()->Name(), QStringLiteral("Reception Main"));
    EXPECT_EQ(alice->Call()->CallerID()->Number(), QStringLiteral("100@pbx.example.org"));
    // Refused while it is offered: the caller hears 603.
    ASSERT_TRUE(alice->Call()->Hangup());
    EXPECT_EQ(caller.finish(), 0);
}

TEST_F(SipPeer, HostileCallersNeitherCrashNorFloodTheTrace)
{
    // Over TCP the stack reads the messages in pieces; each reaches it whole and checked.
    struct Case {
        const char* transport;
        QStringList sippTransport;
    };
    for (const Case& c : {Case{"udp", {}}, Case{"tcp", {QStringLiteral("-t"), QStringLiteral("t1")}}}) {
        SCOPED_TRACE(c.transport);
        writeConfig({QStringLiteral("alice")}, QStringLiteral("account1.transport = \"%1\"\n").arg(QLatin1String(c.transport)));
        TnvLine* alice = openLine(0);
        const auto guardCount = [](const char* key) {
            return Telephony::serviceControl(QStringLiteral("lines")).value(QLatin1String(key)).toInt();
        };
        const int dropped = guardCount("dropped");
        const int shortened = guardCount("shortened");
        SippPeer caller;
        ASSERT_TRUE(caller.start(QStringLiteral("uac-hostile.xml"), m_peerPort, freePort(),
                                 QStringLiteral("127.0.0.1:%1").arg(m_ports.value(0)),
                                 QStringList{QStringLiteral("-s"), QStringLiteral("alice")} + c.sippTransport));
        ASSERT_TRUE(waitFor(0, QStringLiteral("OnOffering"))) << log(alice);
        // A name of 1500 characters reaches the line cut, and is cut again to what a party shows.
        EXPECT_LE(alice->Call()->CallerID()->Name().size(), 128);
        EXPECT_TRUE(alice->Call()->CallerID()->Name().startsWith(QStringLiteral("ZZZZ")));
        EXPECT_EQ(alice->Call()->CallerID()->Number(), QStringLiteral("mallory@127.0.0.1"));
        EXPECT_GE(guardCount("dropped"), dropped + 1);
        EXPECT_GE(guardCount("shortened"), shortened + 1);
        EXPECT_EQ(alice->Call()->Count(), 1);
        ASSERT_TRUE(alice->Call()->Hangup());
        EXPECT_EQ(caller.finish(), 0); // the stray BYE got 481, the huge From nothing, the INVITE 603
        m_lines.clear();
        clearEvents();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
        m_ports.clear();
    }
}

} // namespace
