#pragma once

#include "DialingLocation.h"
#include "TapiStructs.h"

#include <QList>
#include <QString>

namespace Telephony {

// What one address translation produced; the fields of LINETRANSLATEOUTPUT without the
// size bookkeeping. result is 0 or a LINEERR_ code; the other fields are only
// meaningful when it is 0.
struct TranslatedAddress {
    LONG result = 0;
    QString dialable;
    QString displayable;
    DWORD currentCountry = 0;
    DWORD destCountry = 0;
    DWORD translateResults = 0;
};

// The dialing rules: checks that a location is usable and turns canonical addresses
// into dialable strings for a location. Stateless, so the service, its dialogs and the
// tests all share the one implementation.
class DialingLocations {
public:
    // Longest address accepted for translation, in characters.
    static constexpr int maxAddressLength = 256;
    static constexpr int maxNameLength = 64;
    static constexpr int maxAreaCodeLength = 8;
    static constexpr int maxPrefixLength = 8;
    static constexpr int maxAccessCodeLength = 16;
    static constexpr DWORD maxCountryCode = 999;
    static constexpr DWORD maxLocationId = 999999;
    static constexpr int maxLocations = 100;

    // Translates a canonical address for the location; a non-canonical one passes
    // through with only its formatting characters removed.
    static TranslatedAddress translate(const DialingLocation& location, const QString& input, DWORD options);

    // Empty when the location can be used, otherwise a sentence naming the bad field.
    static QString checkLocation(const DialingLocation& location);
    // Empty when every location is usable and their ids are distinct.
    static QString checkLocations(const QList<DialingLocation>& locations);

    // Field rules, shared with the dialog's input validators.
    static bool isValidName(const QString& name);
    static bool isValidCountryCode(DWORD code);
    static bool isValidAreaCode(const QString& code);
    static bool isValidPrefix(const QString& prefix);
    static bool isValidAccessCode(const QString& code);

    // The location a fresh installation starts with.
    static DialingLocation defaultLocation();
};

} // namespace Telephony
