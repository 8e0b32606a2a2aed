#pragma once

// What the provider contract tests need to know of each provider: how to create it
// without delays, a line to use, an address that answers and one it refuses, and how to
// make an outside call ring. Every registered provider has one entry in
// providerFixtures(); a new provider adds its line there and runs the whole contract.
// ProviderFixture.cpp lists the providers that need nothing outside the process; a
// provider on a real network lists its own in a program of its own (SipProviderFixture.cpp).

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <ostream>
#include <vector>

namespace Telephony {
class TelephonyProvider;
}

struct ProviderFixture {
    const char* name;            // the registry name
    QVariantMap settings;        // settings that take the delays out
    int voiceLine;               // a line device that makes and takes voice calls
    QByteArray answeringAddress; // its far end answers and stays
    QByteArray refusedAddress;   // the provider's rule refuses it (LINEERR_INVALADDRESS)
    QString ringCommand;         // a control command that makes an outside call ring voiceLine
    QJsonObject ringArguments;
    // Where the provider plays no far end itself, another of its lines does: it answers
    // the calls to answeringAddress, and rings voiceLine by calling voiceLineAddress.
    int farEndLine = -1;
    QByteArray voiceLineAddress;
    // Contract cases the provider cannot meet, by case name, with the reason.
    QMap<QString, QString> skipped;
    // Fills in what each test needs afresh (the ports of lines on a network); may be null.
    void (*prepare)(ProviderFixture& fixture) = nullptr;
    // Creates the provider where the registry of the test program cannot; may be null.
    std::unique_ptr<Telephony::TelephonyProvider> (*create)(const QVariantMap& settings) = nullptr;

    // The fixture ready for one test: prepared, or the reason the case is skipped.
    ProviderFixture forCase(const char* caseName, QString* skipReason) const
    {
        ProviderFixture ready = *this;
        *skipReason = skipped.value(QString::fromLatin1(caseName));
        if (skipReason->isEmpty() && prepare)
            prepare(ready);
        return ready;
    }
};

std::vector<ProviderFixture> providerFixtures();

// Names the parameter in gtest's output.
inline std::ostream& operator<<(std::ostream& out, const ProviderFixture& fixture)
{
    return out << fixture.name;
}
