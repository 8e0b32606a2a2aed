#pragma once

// The chain of call records behind the call object, newest first behind a sentinel of
// handle 0, and the list of known call handles as the call object publishes it. A
// record may be held (shared) while a reply for it is awaited, and a record whose
// buffer went to the service is retired rather than freed until the next opening.
//
// Records are found by handle through an index, so a line holding thousands of calls
// costs no more per message than one holding a few. A record made without a handle
// gets it later from the service, written straight into the record; such records stay
// outside the index (few: one per pending request) until their handle is seen.

#include "TnvCallRecord.h"

#include <QHash>
#include <QStringList>

#include <TapiConstants.h>

#include <list>
#include <memory>
#include <vector>

// The call-information bits of the five parties a call identifies.
inline constexpr DWORD kAllParties = LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID
    | LINECALLINFOSTATE_CONNECTEDID | LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID;

class TnvCallRecords {
public:
    using RecordPtr = std::shared_ptr<TnvCallRecord>;

    TnvCallRecords();

    TnvCallRecord& current() { return *m_current; }
    TnvCallRecord& sentinel() { return *m_records.front(); }
    // The newest record with the handle (for 0, the newest still without one), or null.
    TnvCallRecord* find(HCALL handle) const;
    // The record with a slot holding the request (replies), or null.
    TnvCallRecord* findRequest(qint32 request) const;
    // A new record for the handle (the existing one if known), made the current one.
    TnvCallRecord* add(HCALL handle);
    void remove(TnvCallRecord* record);
    // Whether the record is still in the chain (it may go while a reply is awaited).
    bool holds(const TnvCallRecord* record) const;
    RecordPtr keep(TnvCallRecord* record) const;
    // Takes a record out of the chain; its memory stays while the service may still
    // write a handle into it.
    void retire(const RecordPtr& record);

    // The published list: "00000000" first, then the known handles.
    const QStringList& list() const { return m_list; }
    int count() const { return m_count; }
    // The handle listed at a position (1..count), or 0.
    HCALL listed(int position) const;
    // Appends the record's handle to the list unless it is listed already.
    void listHandle(const TnvCallRecord& record);
    // The position of a handle in the list (1..count), or -1.
    int position(HCALL handle) const;
    bool unlist(HCALL handle);
    // A fresh chain on opening: the sentinel and the no-call entry only.
    void reset();

    DWORD savedState(HCALL handle) const;
    DWORD savedStateMode(HCALL handle) const;

private:
    using Chain = std::list<RecordPtr>;
    struct Place {
        Chain::iterator at;
        // Larger is newer: the chain's order, for records sharing a handle.
        quint64 order;
    };

    quint64 orderOf(const TnvCallRecord* record) const;
    // Moves records that got their handle since into the index.
    void settle() const;
    void unindex(TnvCallRecord* record);

    Chain m_records; // front is the sentinel
    QHash<const TnvCallRecord*, Place> m_places;
    // The newest record of each handle; the others are loose.
    mutable QHash<HCALL, TnvCallRecord*> m_byHandle;
    // Records outside the index: still without a handle, or older than another record
    // of the same handle.
    mutable std::vector<TnvCallRecord*> m_loose;
    quint64 m_lastOrder = 0;
    std::vector<RecordPtr> m_retired;
    TnvCallRecord* m_current = nullptr;
    QStringList m_list;
    // The handles of m_list, position for position.
    std::vector<HCALL> m_listed;
    int m_count = 0;
};
