// Several control clients flooding the service with state changes while a call runs:
// the messages are handled one after another, never one inside another's event-loop
// pass without bound, so the stack stays shallow however fast they come, and every
// message still arrives.

#include "CallFixture.h"

#include <ControlClient.h>
#include <ServiceControl.h>
#include <TapiConstants.h>

#include <QDateTime>

#include <algorithm>
#include <future>
#include <vector>

TEST_F(CallFixture, FloodOfControlCommandsDuringACallStaysShallow)
{
    // The instant service with its control socket, under a name of this test's own.
    const QString channel = QStringLiteral("linkora-flood-%1-%2")
                                .arg(QCoreApplication::applicationPid())
                                .arg(QDateTime::currentMSecsSinceEpoch());
    Telephony::ServiceOptions options;
    options.configPath = m_configDir.filePath(QStringLiteral("telephony.conf"));
    options.providerSettings[QStringLiteral("simulated")] = {{QStringLiteral("pacing"), 0.0}};
    options.controlServerName = channel;
    Telephony::setServiceOptions(options);
    open();
    call()->setPhoneNumber(QStringLiteral("5550100"));
    ASSERT_TRUE(call()->Dial());
    ASSERT_TRUE(waitUntil([this] { return call()->State() == LINECALLSTATE_CONNECTED; }, 5000));

    int delivered = 0;
    int deepest = 0;
    m_line->OnLineState = [&](TnvSharedControl*, int, int, int) {
        ++delivered;
        deepest = std::max(deepest, TnvLinePrivate::messageDepth());
    };
    constexpr int clients = 8;
    constexpr int perClient = 60;
    std::vector<std::future<int>> senders;
    for (int c = 0; c < clients; ++c)
        senders.push_back(std::async(std::launch::async, [channel] {
            Telephony::ControlClient client(channel);
            int accepted = 0;
            for (int i = 0; i < perClient; ++i)
                accepted += client.request(QStringLiteral("linestate"), {{"line", "1"}, {"state", "other"}}, 5000)
                                .value(QStringLiteral("ok"))
                                .toBool();
            return accepted;
        }));
    const auto allSent = [&] {
        return std::all_of(senders.begin(), senders.end(), [](const std::future<int>& f) {
            return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
    };
    ASSERT_TRUE(waitUntil(allSent, 60000));
    int accepted = 0;
    for (std::future<int>& f : senders)
        accepted += f.get();
    EXPECT_EQ(accepted, clients * perClient);
    ASSERT_TRUE(waitUntil([&] { return delivered == accepted; }, 10000)) << delivered << " of " << accepted;
    EXPECT_LE(deepest, 2) << "messages were handled " << deepest << " deep";
    EXPECT_EQ(call()->State(), DWORD(LINECALLSTATE_CONNECTED));
    EXPECT_TRUE(call()->Hangup());
}
