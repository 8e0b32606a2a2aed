#include "TnvCallRecords.h"

#include <TnvNotation.h>

#include <algorithm>

TnvCallRecords::TnvCallRecords()
{
    reset();
}

quint64 TnvCallRecords::orderOf(const TnvCallRecord* record) const
{
    const auto it = m_places.constFind(record);
    return it == m_places.cend() ? 0 : it->order;
}

void TnvCallRecords::settle() const
{
    for (std::size_t i = 0; i < m_loose.size();) {
        TnvCallRecord* record = m_loose[i];
        if (record->handle == 0) {
            ++i;
            continue;
        }
        const auto indexed = m_byHandle.find(record->handle);
        if (indexed == m_byHandle.end()) {
            m_byHandle.insert(record->handle, record);
            m_loose[i] = m_loose.back();
            m_loose.pop_back();
            continue;
        }
        // Two records of one handle: the newer is the one found, as in the chain.
        if (orderOf(record) > orderOf(indexed.value()))
            std::swap(m_loose[i], indexed.value());
        ++i;
    }
}

void TnvCallRecords::unindex(TnvCallRecord* record)
{
    const auto loose = std::find(m_loose.begin(), m_loose.end(), record);
    if (loose != m_loose.end()) {
        *loose = m_loose.back();
        m_loose.pop_back();
        return;
    }
    const auto indexed = m_byHandle.find(record->handle);
    if (indexed != m_byHandle.end() && indexed.value() == record)
        m_byHandle.erase(indexed);
}

TnvCallRecord* TnvCallRecords::find(HCALL handle) const
{
    settle();
    if (handle != 0)
        return m_byHandle.value(handle, nullptr);
    // The sentinel is never found; of records still waiting for their handle, the
    // newest is.
    TnvCallRecord* newest = nullptr;
    for (TnvCallRecord* record : m_loose)
        if (record->handle == 0 && (!newest || orderOf(record) > orderOf(newest)))
            newest = record;
    return newest;
}

TnvCallRecord* TnvCallRecords::findRequest(qint32 request) const
{
    if (request <= 0)
        return nullptr;
    // Newest first: a reply is nearly always for one of the latest calls.
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
    TnvCallRecord* added = record.get();
    const auto at = m_records.insert(std::next(m_records.begin()), std::move(record));
    m_places.insert(added, Place{at, ++m_lastOrder});
    if (handle)
        m_byHandle.insert(handle, added);
    else
        m_loose.push_back(added);
    m_current = added;
    if (handle) {
        m_list << TnvNotation::hex8(handle);
        m_listed.push_back(handle);
        ++m_count;
    }
    return m_current;
}

void TnvCallRecords::remove(TnvCallRecord* record)
{
    const auto place = m_places.find(record);
    if (place == m_places.end() || record == m_records.front().get())
        return;
    if (m_current == record)
        m_current = m_records.front().get();
    // Gathered digits may still be written into it; it stays until the next opening.
    if (record->gatherBufferHanded)
        m_retired.push_back(*place->at);
    unindex(record);
    m_records.erase(place->at);
    m_places.erase(place);
}

bool TnvCallRecords::holds(const TnvCallRecord* record) const
{
    return m_places.contains(record);
}

TnvCallRecords::RecordPtr TnvCallRecords::keep(TnvCallRecord* record) const
{
    const auto place = m_places.constFind(record);
    return place == m_places.cend() ? nullptr : *place->at;
}

void TnvCallRecords::retire(const RecordPtr& record)
{
    if (!record)
        return;
    remove(record.get());
    m_retired.push_back(record);
}

HCALL TnvCallRecords::listed(int position) const
{
    return position >= 1 && position <= m_count ? m_listed[std::size_t(position)] : 0;
}

void TnvCallRecords::listHandle(const TnvCallRecord& record)
{
    if (record.handle == 0 || position(record.handle) > 0)
        return;
    m_list << TnvNotation::hex8(record.handle);
    m_listed.push_back(record.handle);
    ++m_count;
}

int TnvCallRecords::position(HCALL handle) const
{
    // The no-call entry at 0 is never a position.
    if (handle == 0)
        return -1;
    const auto at = std::find(std::next(m_listed.begin()), m_listed.end(), handle);
    return at == m_listed.end() ? -1 : int(at - m_listed.begin());
}

bool TnvCallRecords::unlist(HCALL handle)
{
    const int at = position(handle);
    if (at < 0)
        return false;
    m_list.removeAt(at);
    m_listed.erase(m_listed.begin() + at);
    --m_count;
    return true;
}

void TnvCallRecords::reset()
{
    // Records whose handle the service may still write stay until the next opening;
    // by then the old line is closed and no reply can reach them.
    m_retired.clear();
    m_records.clear();
    m_places.clear();
    m_byHandle.clear();
    m_loose.clear();
    m_lastOrder = 0;
    m_records.push_back(std::make_shared<TnvCallRecord>());
    m_places.insert(m_records.front().get(), Place{m_records.begin(), 0});
    m_current = m_records.front().get();
    m_list = QStringList{QStringLiteral("00000000")};
    m_listed.assign(1, 0);
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
