#include "ProviderFixture.h"

std::vector<ProviderFixture> providerFixtures()
{
    return {
        {"simulated",
         {{QStringLiteral("pacing"), 0.0}},
         0,
         "5550100",
         "alice@example.org",
         QStringLiteral("ring"),
         {{QStringLiteral("line"), 1}, {QStringLiteral("number"), QStringLiteral("5550123")}},
         -1,
         {},
         {},
         nullptr,
         nullptr},
    };
}
