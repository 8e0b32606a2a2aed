#include "TnvCallRecords.h"

#include <TnvNotation.h>

TnvCallRecords::TnvCallRecords()
{
    reset();
}

TnvCallRecord* TnvCallRecords::find(HCALL handle) const
{
    // The sentinel is never found.
    for (auto it = std::next(m_records.begin()); it != m_records.end(); ++it)
        if ((*it)->handle == handle)
            return it->get();
    return nullptr;
}

TnvCallRecord* TnvCallRecords::findRequest(qint32 request) const
{
    if (request <= 0)
        return nullptr;
    for (auto it = std::next(m_records.begin()); it != m_records.end(); ++it)
        for (qint32 slot : (*it)->requests)
            if (slot == request)
                return it->get();
    // The sentinel comes last: it carries the slots of operations without a call
    // (forwarding the address).
    for (qint32 slot : m_records.front()->requests)
        if (slot == request)
            return m_records.front().get();
    return nullptr;
}

TnvCallRecord* TnvCallRecords::add(HCALL handle)
{
    if (handle)
        if (TnvCallRecord* existing = find(handle))
            return existing;
    auto record = std::make_shared<TnvCallRecord>();
    record->handle = handle;
    m_current = record.get();
    m_records.insert(std::next(m_records.begin()), std::move(record));
    if (handle) {
        m_list << TnvNotation::hex8(handle);
        ++m_count;
    }
    return m_current;
}

void TnvCallRecords::remove(TnvCallRecord* record)
{
    for (auto it = std::next(m_records.begin()); it != m_records.end(); ++it) {
        if (it->get() != record)
            continue;
        if (m_current == record)
            m_current = m_records.front().get();
        // Gathered digits may still be written into it; it stays until the next opening.
        if ((*it)->gatherBufferHanded)
            m_retired.push_back(*it);
        m_records.erase(it);
        return;
    }
}

bool TnvCallRecords::holds(const TnvCallRecord* record) const
{
    for (const RecordPtr& held : m_records)
        if (held.get() == record)
            return true;
    return false;
}

TnvCallRecords::RecordPtr TnvCallRecords::keep(TnvCallRecord* record) const
{
    for (const RecordPtr& held : m_records)
        if (held.get() == record)
            return held;
    return nullptr;
}

void TnvCallRecords::retire(const RecordPtr& record)
{
    if (!record)
        return;
    remove(record.get());
    m_retired.push_back(record);
}

void TnvCallRecords::listHandle(const TnvCallRecord& record)
{
    if (record.handle == 0)
        return;
    const QString text = TnvNotation::hex8(record.handle);
    if (m_list.indexOf(text, 1) > 0)
        return;
    m_list << text;
    ++m_count;
}

int TnvCallRecords::position(HCALL handle) const
{
    const int at = int(m_list.indexOf(TnvNotation::hex8(handle), 1));
    return at >= 1 && at <= m_count ? at : -1;
}

bool TnvCallRecords::unlist(HCALL handle)
{
    const int at = position(handle);
    if (at < 0)
        return false;
    m_list.removeAt(at);
    --m_count;
    return true;
}

void TnvCallRecords::reset()
{
    // Records whose handle the service may still write stay until the next opening;
    // by then the old line is closed and no reply can reach them.
    m_retired.clear();
    m_records.clear();
    m_records.push_back(std::make_shared<TnvCallRecord>());
    m_current = m_records.front().get();
    m_list = QStringList{QStringLiteral("00000000")};
    m_count = 0;
}

DWORD TnvCallRecords::savedState(HCALL handle) const
{
    const TnvCallRecord* record = find(handle);
    return record ? record->state : 0;
}

DWORD TnvCallRecords::savedStateMode(HCALL handle) const
{
    const TnvCallRecord* record = find(handle);
    return record ? record->stateMode : 0;
}
