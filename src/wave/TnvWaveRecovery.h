#pragma once

// Where recordings go that could not be written where they were asked to: the user's
// state folder ($XDG_STATE_HOME/linkora/recordings, by default
// ~/.local/state/linkora/recordings), under a name no earlier rescue has taken. Every
// program that records shares it, so a lost message is looked for in one place.

#include <QString>

class TnvRecord;

class TnvWaveRecovery {
public:
    // The recovery folder, created when missing; empty when it cannot be.
    static QString folder();
    // A free name in the folder for a recording meant for target; empty without a folder.
    static QString freeName(const QString& target);
    // Saves what the record control kept in its wave buffer (a recording it could not
    // save) to a free name; that name, or empty when nothing was kept or the save failed.
    static QString rescue(TnvRecord& control, const QString& target);
};
