#include "TnvWaveRegistry.h"

#include <TnvNotation.h>

TnvWaveRegistry& TnvWaveRegistry::instance()
{
    static TnvWaveRegistry registry;
    return registry;
}

void TnvWaveRegistry::add(HGLOBAL handle, const TnvBufferFields& fields)
{
    if (find(handle)) {
        refresh(handle, fields);
        return;
    }
    GlobalLock(handle);
    m_entries.push_front(Entry{handle, fields});
    m_list.append(TnvNotation::hex8(handle));
}

void TnvWaveRegistry::refresh(HGLOBAL handle, const TnvBufferFields& fields)
{
    for (Entry& entry : m_entries) {
        if (entry.handle == handle) {
            entry.fields = fields;
            return;
        }
    }
}

bool TnvWaveRegistry::remove(HGLOBAL handle)
{
    if (!m_entries.remove_if([handle](const Entry& entry) { return entry.handle == handle; }))
        return false;
    m_list.removeOne(TnvNotation::hex8(handle));
    GlobalUnlock(handle);
    return true;
}

const TnvBufferFields* TnvWaveRegistry::find(HGLOBAL handle) const
{
    for (const Entry& entry : m_entries) {
        if (entry.handle == handle)
            return &entry.fields;
    }
    return nullptr;
}
