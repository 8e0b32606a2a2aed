#pragma once

// How the wave windows turn a file-name text into a file dialog's start and the
// dialog's choice back into a text: a comma-separated list whose later names, given
// without a directory, live in the directory of the first. And the history of a name
// box, newest first.

#include <QString>
#include <QStringList>

class QComboBox;

class TnvWaveFileRules {
public:
    struct Start {
        QString directory;
        // File names without their directory; the first is the dialog's file name.
        QStringList names;
    };

    // Splits at "," (leading blanks removed); a name without an extension gets ".wav";
    // the first name's directory is the start; a name in another directory is skipped.
    static Start splitNames(const QString& text);
    // The first with its full path, each further one by name only, joined with ","; with
    // dropWav a final ".wav" (any letter case) of each is removed.
    static QString joinChosen(const QStringList& paths, bool dropWav);
    // Offers a text to the list: added to an empty list, else put first unless it is first.
    static void offerToHistory(QComboBox* box, const QString& text);
};
