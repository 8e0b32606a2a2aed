#include "TnvCall.h"

#include "TnvCallParameters.h"
#include "TnvLineInternal.h"

#include <TnvLog.h>
#include <TnvNotation.h>

TnvCall::TnvCall(TnvLineInternal* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_parameters(new TnvCallParameters(line, this))
{
    setObjectName(QStringLiteral("Call"));
    ResetList();
}

TnvCall::~TnvCall() = default;

TnvCallRecord& TnvCall::CurrentRecord()
{
    return *m_current;
}

TnvCallRecord* TnvCall::FindCallRecord(HCALL handle)
{
    // The sentinel is never found.
    for (auto it = std::next(m_records.begin()); it != m_records.end(); ++it)
        if ((*it)->handle == handle)
            return it->get();
    return nullptr;
}

TnvCallRecord* TnvCall::AddCallRecord(HCALL handle)
{
    if (handle)
        if (TnvCallRecord* existing = FindCallRecord(handle))
            return existing;
    auto record = std::make_unique<TnvCallRecord>();
    record->handle = handle;
    record->tag = m_tag;
    m_current = record.get();
    m_records.insert(std::next(m_records.begin()), std::move(record));
    if (handle) {
        m_list << TnvNotation::hex8(handle);
        ++m_count;
    }
    return m_current;
}

void TnvCall::RemoveCallRecord(TnvCallRecord* record)
{
    for (auto it = std::next(m_records.begin()); it != m_records.end(); ++it) {
        if (it->get() != record)
            continue;
        if (m_current == record)
            m_current = m_records.front().get();
        m_records.erase(it);
        return;
    }
}

bool TnvCall::markReplied(qint32 request)
{
    for (auto it = std::next(m_records.begin()); it != m_records.end(); ++it) {
        for (qint32& slot : (*it)->requests) {
            if (slot == request) {
                slot = -1;
                return true;
            }
        }
    }
    // The sentinel carries the slots of operations without a call (forwarding).
    for (qint32& slot : m_records.front()->requests) {
        if (slot == request) {
            slot = -1;
            return true;
        }
    }
    return false;
}

void TnvCall::ResetList()
{
    m_records.clear();
    m_records.push_back(std::make_unique<TnvCallRecord>());
    m_current = m_records.front().get();
    m_list = QStringList{QStringLiteral("00000000")};
    m_count = 0;
}

bool TnvCall::EndCall(bool forced, HCALL handle)
{
    const QString text = TnvNotation::hex8(handle);
    for (int position = 1; position <= m_count && position < m_list.size(); ++position) {
        if (m_list.at(position) != text)
            continue;
        TnvCallRecord* record = FindCallRecord(handle);
        if (!record || (!forced && !record->idle()))
            return false;
        m_list.removeAt(position);
        --m_count;
        RemoveCallRecord(record);
        m_line->write(true, QStringLiteral("OnCallEnd [") + text + QLatin1Char(']'));
        m_line->write(false, QStringLiteral("\tCall.Ended = ") + QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
        m_line->fireCallEvent("OnCallEnd", handle);
        return true;
    }
    return false;
}

void TnvCall::ClearCallData()
{
    m_active = false;
    m_handle = 0;
    m_id = 0;
    m_mediaMode = 0;
}
