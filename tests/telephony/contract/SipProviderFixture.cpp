#include "ProviderFixture.h"

#include "TestPorts.h"

#include <provider/TelephonyProvider.h>

#include <QLibrary>

// The SIP provider's line of the contract: two SIP lines, each a stack of its own on
// loopback, the second playing the far end of the first.

namespace {

// The service loads the provider from its module; so does this program, from where the
// build put it.
std::unique_ptr<Telephony::TelephonyProvider> createFromModule(const QVariantMap& settings)
{
    using Entry = Telephony::TelephonyProvider* (*)(const QVariantMap*);
    const auto entry = reinterpret_cast<Entry>(
        QLibrary(QStringLiteral(LINKORA_SIP_MODULE)).resolve("linkora_telephony_sip_provider"));
    return std::unique_ptr<Telephony::TelephonyProvider>(entry ? entry(&settings) : nullptr);
}

// Ports of the lines' own, new for each test: a stack gone may still hold its last ones.
void chooseSipPorts(ProviderFixture& fixture)
{
    const int voice = TestPorts::next();
    const int farEnd = TestPorts::next();
    QVariantMap& s = fixture.settings;
    s[QStringLiteral("account1.port")] = voice;
    s[QStringLiteral("account2.port")] = farEnd;
    fixture.answeringAddress = "sip:bob@127.0.0.1:" + QByteArray::number(farEnd);
    fixture.voiceLineAddress = "sip:alice@127.0.0.1:" + QByteArray::number(voice);
}

} // namespace

std::vector<ProviderFixture> providerFixtures()
{
    ProviderFixture sip{"sip",
                        {{QStringLiteral("audio"), QStringLiteral("none")},
                         {QStringLiteral("account1.identity"), QStringLiteral("sip:alice@127.0.0.1")},
                         {QStringLiteral("account1.bindAddress"), QStringLiteral("127.0.0.1")},
                         {QStringLiteral("account2.identity"), QStringLiteral("sip:bob@127.0.0.1")},
                         {QStringLiteral("account2.bindAddress"), QStringLiteral("127.0.0.1")}},
                        0,
                        {}, // chosen with the ports
                        "not an address",
                        {}, // rung by the far end
                        {},
                        1,
                        {}, // chosen with the ports
                        {},
                        &chooseSipPorts,
                        &createFromModule};
    return {sip};
}
