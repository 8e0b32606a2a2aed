// The registry the service core finds its providers in: built-ins add themselves, the
// first built-in is the fallback, and a provider registered later is created by name
// with its settings.

#include <BuiltinProviders.h>
#include <provider/ProviderRegistry.h>

#include <gtest/gtest.h>

using Telephony::ProviderRegistry;

namespace {

// A provider with nothing but a name and the settings it was made with.
class NamedProvider : public Telephony::TelephonyProvider {
public:
    explicit NamedProvider(const QVariantMap& settings)
        : m_settings(settings)
    {
    }
    QString name() const override { return QStringLiteral("named"); }
    void setSink(Telephony::ProviderSink*) override {}
    int lineDeviceCount() const override { return 0; }
    const Telephony::LineDeviceCaps& lineCaps(int) const override { return m_caps; }
    LONG open(int, DWORD, DWORD) override { return 0; }
    void close(int) override {}
    Telephony::LineStatusData lineStatus(int) const override { return {}; }
    Telephony::AddressStatusData addressStatus(int, DWORD) const override { return {}; }
    LONG makeCall(DWORD, int, Telephony::CallId, const QByteArray&, bool, DWORD, const Telephony::CallParams&) override
    {
        return 0;
    }
    LONG dial(DWORD, Telephony::CallId, const QByteArray&, DWORD) override { return 0; }
    LONG answer(DWORD, Telephony::CallId, const QByteArray&) override { return 0; }
    LONG drop(DWORD, Telephony::CallId, const QByteArray&) override { return 0; }
    Telephony::CallInfoData callInfo(Telephony::CallId) const override { return {}; }
    Telephony::CallStatusData callStatus(Telephony::CallId) const override { return {}; }
    void releaseCall(Telephony::CallId) override {}
    QVariantMap settings() const override { return m_settings; }

private:
    Telephony::LineDeviceCaps m_caps;
    QVariantMap m_settings;
};

} // namespace

TEST(ProviderRegistry, BuiltinsRegisterAndTheFirstIsTheFallback)
{
    Telephony::registerBuiltinProviders();
    Telephony::registerBuiltinProviders(); // again: nothing changes
    EXPECT_TRUE(ProviderRegistry::contains(QStringLiteral("simulated")));
    EXPECT_EQ(ProviderRegistry::fallback(), QStringLiteral("simulated"));
    auto provider = ProviderRegistry::create(QStringLiteral("simulated"), {{QStringLiteral("pacing"), 0.25}});
    ASSERT_TRUE(provider);
    EXPECT_EQ(provider->name(), QStringLiteral("simulated"));
    EXPECT_DOUBLE_EQ(provider->settings().value(QStringLiteral("pacing")).toDouble(), 0.25);
}

TEST(ProviderRegistry, UnknownNamesCreateNothing)
{
    Telephony::registerBuiltinProviders();
    for (const char* name : {"simulatd", "", "SIMULATED", "simulated "})
        EXPECT_FALSE(ProviderRegistry::create(QString::fromLatin1(name), {})) << name;
    EXPECT_FALSE(ProviderRegistry::contains(QStringLiteral("simulatd")));
}

TEST(ProviderRegistry, AddedProvidersAreCreatedWithTheirSettings)
{
    ProviderRegistry::add(QStringLiteral("named"), [](const QVariantMap& settings) {
        return std::make_unique<NamedProvider>(settings);
    });
    const QStringList names = ProviderRegistry::names();
    EXPECT_TRUE(names.contains(QStringLiteral("named")));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    auto provider = ProviderRegistry::create(QStringLiteral("named"), {{QStringLiteral("host"), QStringLiteral("a")}});
    ASSERT_TRUE(provider);
    EXPECT_EQ(provider->settings().value(QStringLiteral("host")).toString(), QStringLiteral("a"));
    // Without a rule of its own a provider takes any address the API let through.
    EXPECT_EQ(provider->validateAddress(0, "alice@example.org"), 0);
}
