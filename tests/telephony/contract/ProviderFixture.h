#pragma once

// What the provider contract tests need to know of each provider: how to create it
// without delays, a line to use, an address that answers and one it refuses, and how to
// make an outside call ring. Every registered provider has one entry in
// providerFixtures(); a new provider adds its line there and runs the whole contract.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVariantMap>

#include <ostream>
#include <vector>

struct ProviderFixture {
    const char* name;            // the registry name
    QVariantMap settings;        // settings that take the delays out
    int voiceLine;               // a line device that makes and takes voice calls
    QByteArray answeringAddress; // its far end answers and stays
    QByteArray refusedAddress;   // the provider's rule refuses it (LINEERR_INVALADDRESS)
    QString ringCommand;         // a control command that makes an outside call ring voiceLine
    QJsonObject ringArguments;
};

std::vector<ProviderFixture> providerFixtures();

// Names the parameter in gtest's output.
inline std::ostream& operator<<(std::ostream& out, const ProviderFixture& fixture)
{
    return out << fixture.name;
}
