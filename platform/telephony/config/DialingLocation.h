#pragma once

#include "TapiStructs.h"

#include <QString>

namespace Telephony {

// One place the user dials from: the codes that turn a canonical number ("+1 (425)
// 555-0100") into the digits this place's exchange expects. Plain data; the rules that
// make a location usable live in DialingLocations.
struct DialingLocation {
    DWORD id = 0;
    QString name;
    DWORD countryCode = 1;
    QString areaCode;
    // Outside line for local calls, e.g. "9" behind a private exchange.
    QString localAccessCode;
    // Outside line for long distance and international calls.
    QString longDistanceAccessCode;
    // Dialled before the area code of another area, e.g. "1" or "0".
    QString longDistancePrefix;
    // Dialled before a foreign country code, e.g. "011" or "00".
    QString internationalPrefix;
    // Dialled first to keep call waiting from disturbing the call, e.g. "*70".
    QString cancelCallWaiting;
    bool pulseDialing = false;

    bool operator==(const DialingLocation&) const = default;
};

} // namespace Telephony
