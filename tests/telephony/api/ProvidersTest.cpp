// Which providers the service starts: the configured ones with their settings, the
// options' overrides on top, and the fallback when no configured one exists.

#include "ApiHarness.h"

#include <QFile>

namespace {

class Providers : public ApiHarness {
protected:
    void TearDown() override
    {
        ApiHarness::TearDown();
        qInstallMessageHandler(nullptr);
        s_warnings.clear();
    }

    // The service's configuration file, and the options that point to it.
    void configure(const QByteArray& text, const QMap<QString, QVariantMap>& overrides = {})
    {
        const QString path = m_configDir.filePath(QStringLiteral("telephony.conf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        Telephony::ServiceOptions options;
        options.configPath = path;
        options.providerSettings = overrides;
        options.controlServer = false;
        Telephony::setServiceOptions(options);
    }

    // Starts the service; the warnings it logged while starting.
    QStringList start(DWORD* devices)
    {
        s_warnings.clear();
        qInstallMessageHandler(&Providers::collect);
        initialize("providers", devices);
        qInstallMessageHandler(nullptr);
        return s_warnings;
    }

    static void collect(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtWarningMsg)
            s_warnings << text;
    }

    static QStringList s_warnings;
};

QStringList Providers::s_warnings;

constexpr DWORD kProvidersInstance = 0x71;

} // namespace

TEST_F(Providers, MisspeltProviderFallsBackToTheSimulatedExchange)
{
    configure("[provider simulatd]\npacing = 0.0\n");
    DWORD devices = 0;
    const QStringList warnings = start(&devices);
    EXPECT_EQ(devices, 3u);
    EXPECT_EQ(control(QStringLiteral("providers")).value("providers").toString(), QStringLiteral("simulated"));
    EXPECT_EQ(warnings.filter(QStringLiteral("no provider called \"simulatd\"")).size(), 1);
    EXPECT_EQ(warnings.filter(QStringLiteral("\"simulated\" runs instead")).size(), 1);
}

TEST_F(Providers, AKnownProviderBesideAMisspeltOneRunsAlone)
{
    configure("[provider simulated]\n[provider sipp]\n");
    DWORD devices = 0;
    const QStringList warnings = start(&devices);
    EXPECT_EQ(devices, 3u);
    EXPECT_EQ(warnings.filter(QStringLiteral("no provider called \"sipp\"")).size(), 1);
    EXPECT_TRUE(warnings.filter(QStringLiteral("runs instead")).isEmpty());
}

TEST_F(Providers, OverridesWinOverTheConfiguredSettings)
{
    // At the configured pacing the call would ring for seconds before it is answered.
    configure("[provider simulated]\npacing = 1.0\n", {{QStringLiteral("simulated"), {{QStringLiteral("pacing"), 0.0}}},
                                                         {QStringLiteral("absent"), {{QStringLiteral("x"), 1}}}});
    const HLINE line = open(initialize("override"), 0, kProvidersInstance);
    HCALL call = 0;
    ASSERT_GT(lineMakeCall(line, &call, "5550100", 0, nullptr), 0);
    EXPECT_TRUE(waitFor(kProvidersInstance, [&](const TapiMessage& m) {
        return m.message == LINE_CALLSTATE && m.device == call && m.param1 == LINECALLSTATE_CONNECTED;
    }, nullptr, 1000));
}

TEST_F(Providers, TheSipStackIsNotLoadedWithoutASipLine)
{
    // It brings over a hundred libraries; a program on the simulated exchange must start
    // without them.
    configure("[provider simulated]\npacing = 0.0\n");
    DWORD devices = 0;
    start(&devices);
    ASSERT_EQ(devices, 3u);
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("liblinphone"));
    EXPECT_FALSE(mapped.contains("liblinkora-telephony-sip"));
}
