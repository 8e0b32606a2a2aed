#pragma once

// The process-wide registry of wave buffers, shared by every play and record control:
// one entry per registered image handle with a copy of its buffer's fields, newest
// first, and the handles as 8 hexadecimal digits in the order they were registered.
// A registered image stays locked until it is unregistered.

#include "TnvBufferFields.h"

#include <GlobalMemory.h>

#include <QStringList>

#include <forward_list>

class TnvWaveRegistry {
public:
    static TnvWaveRegistry& instance();

    // Registers the handle (refreshing the copy when it is registered already).
    void add(HGLOBAL handle, const TnvBufferFields& fields);
    void refresh(HGLOBAL handle, const TnvBufferFields& fields);
    // Unregisters and unlocks; false when the handle was not registered.
    bool remove(HGLOBAL handle);
    // The entry's fields, or null when the handle is not registered.
    const TnvBufferFields* find(HGLOBAL handle) const;

    const QStringList& List() const { return m_list; }
    int Count() const { return int(m_list.size()); }

private:
    struct Entry {
        HGLOBAL handle;
        TnvBufferFields fields;
    };

    TnvWaveRegistry() = default;

    std::forward_list<Entry> m_entries;
    QStringList m_list;
};
