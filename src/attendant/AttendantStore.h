#pragma once

// Where the attendant's messages go: DIR/<yyyymmdd-hhmmss>-<line>-<number>.wav with the
// caller in the file's INFO list, and one line per call in DIR/calls.jsonl. A message the
// folder cannot take goes to the recovery folder that every recording program shares, and
// so does a line calls.jsonl cannot take; nothing a caller said is dropped quietly.

#include "AttendantCall.h"

#include <QString>

class TnvRecord;

class AttendantStore {
public:
    explicit AttendantStore(const QString& folder);

    QString folder() const { return m_folder; }
    // Creates the folder; false with error set when it cannot be used.
    bool prepare(QString* error) const;

    // The message's file name for a call: free in the folder, the caller's number
    // reduced to what a file name may hold.
    QString target(const AttendantCall& call) const;

    // Saves the recording that control holds in its wave buffer, with the caller in its
    // INFO list; sets the call's file and result (and error when it went elsewhere).
    void save(TnvRecord& control, AttendantCall& call) const;

    // Appends the call's line to calls.jsonl; when that fails, to calls.jsonl in the
    // recovery folder. Returns the file written, or empty when neither could be.
    QString append(const AttendantCall& call) const;

private:
    QString m_folder;
};
