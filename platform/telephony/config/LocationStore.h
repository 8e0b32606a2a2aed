#pragma once

#include "DialingLocation.h"

#include <QList>
#include <QString>

namespace Telephony {

// What the dialing-locations dialog edits: the locations and which one is current,
// replaced as a whole. The dialog sees only this, so it needs none of the configuration
// file's code and can live in a module of its own.
class LocationStore {
public:
    virtual ~LocationStore() = default;

    virtual QList<DialingLocation> locations() const = 0;
    virtual DWORD currentLocationId() const = 0;
    // Makes locations and the one with currentId the configuration and saves it. On any
    // failure the store stays as it was, so the file and memory never disagree, and
    // errorText (when given) says why.
    virtual bool replaceLocations(const QList<DialingLocation>& locations, DWORD currentId, QString* errorText) = 0;
};

} // namespace Telephony
