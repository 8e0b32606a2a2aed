// How much a SIP line and the provider carry: many calls from one caller address (a
// trunk), and hundreds of accounts.

#include "SipLineFixture.h"
#include "SippPeer.h"

#include <TapiConstants.h>

#include <QJsonArray>

namespace {

QJsonArray sipLines()
{
    return Telephony::serviceControl(QStringLiteral("lines")).value(QStringLiteral("lines")).toArray();
}

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
