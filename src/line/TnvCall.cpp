#include "TnvCall.h"

#include "TnvCallParameters.h"
#include "TnvCallerID.h"
#include "TnvGatherDigits.h"
#include "TnvLineDevice.h"
#include "TnvLineInternal.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvMonitorDigits.h"
#include "TnvMonitorMediaModes.h"
#include "TnvMonitorSilence.h"
#include "TnvTapiBuffer.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvTAPI.h>

#include <QCoreApplication>
#include <QThread>

namespace {

// The party-ID bits of the call-info states: a selection refills all five.
constexpr DWORD kAllParties = 0xF8000;

} // namespace

TnvCall::TnvCall(TnvLineInternal* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_parameters(new TnvCallParameters(line, this))
    , m_gatherDigits(new TnvGatherDigits(line, this, this))
    , m_monitorDigits(new TnvMonitorDigits(line, this, this))
    , m_monitorMediaModes(new TnvMonitorMediaModes(line, this, this))
    , m_monitorSilence(new TnvMonitorSilence(line, this, this))
{
    setObjectName(QStringLiteral("Call"));
    for (int i = 0; i < TnvCallerID::PartyCount; ++i) {
        const auto party = TnvCallerID::Party(i);
        m_parties[i] = new TnvCallerID(line, TnvCallerID::partName(party), this);
    }
    ResetList();
}

TnvCall::~TnvCall() = default;

QString TnvCall::hex(HCALL handle) const
{
    return TnvNotation::hex8(handle);
}

// --- Records and the list ------------------------------------------------------------

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

TnvCallRecord* TnvCall::FindRequest(qint32 request)
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

TnvCallRecord* TnvCall::AddCallRecord(HCALL handle)
{
    if (handle)
        if (TnvCallRecord* existing = FindCallRecord(handle))
            return existing;
    auto record = std::make_shared<TnvCallRecord>();
    record->handle = handle;
    m_current = record.get();
    m_records.insert(std::next(m_records.begin()), std::move(record));
    if (handle) {
        m_list << hex(handle);
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
        // Gathered digits may still be written into it; it stays until the next opening.
        if ((*it)->gatherBufferHanded)
            m_retired.push_back(*it);
        m_records.erase(it);
        return;
    }
}

bool TnvCall::holdsRecord(const TnvCallRecord* record) const
{
    for (const RecordPtr& held : m_records)
        if (held.get() == record)
            return true;
    return false;
}

TnvCall::RecordPtr TnvCall::keep(TnvCallRecord* record) const
{
    for (const RecordPtr& held : m_records)
        if (held.get() == record)
            return held;
    return nullptr;
}

void TnvCall::retire(const RecordPtr& record)
{
    if (!record)
        return;
    RemoveCallRecord(record.get());
    m_retired.push_back(record);
}

void TnvCall::listHandle(const TnvCallRecord& record)
{
    if (record.handle == 0)
        return;
    const QString text = hex(record.handle);
    if (m_list.indexOf(text, 1) > 0)
        return;
    m_list << text;
    ++m_count;
}

void TnvCall::ResetList()
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

bool TnvCall::EndCall(bool forced, HCALL handle)
{
    const QString text = hex(handle);
    const int position = int(m_list.indexOf(text, 1));
    if (position < 1 || position > m_count)
        return false;
    const RecordPtr record = keep(FindCallRecord(handle));
    if (!record || (!forced && !record->idle()))
        return false;

    record->ended = QDateTime::currentDateTime();
    if (handle == m_handle)
        m_ended = record->ended;
    m_line->write(true, QStringLiteral("OnCallEnd [") + text + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tCall.Ended = ") + record->ended.toString(QStringLiteral("hh:mm:ss")));
    m_line->fireCallEvent("OnCallEnd", handle);
    // The ended record no longer qualifies, so the next call is another one.
    if (handle == m_handle)
        SelectNextCall();

    // Handlers may have changed the list meanwhile.
    const int now = int(m_list.indexOf(text, 1));
    if (now >= 1 && now <= m_count) {
        m_list.removeAt(now);
        --m_count;
    }
    RemoveCallRecord(record.get());
    if (m_handle == handle)
        m_handle = 0;
    refreshViews();
    return true;
}

void TnvCall::SelectNextCall()
{
    if (m_count <= 0) {
        m_active = false;
        ResetProperties();
        if (m_list.isEmpty())
            m_handle = 0;
        else
            setHandle(0);
        return;
    }
    HCALL chosen = 0;
    for (int position = 1; position <= m_count && position < m_list.size(); ++position) {
        bool ok = false;
        const HCALL handle = m_list.at(position).toUInt(&ok, 16);
        const TnvCallRecord* record = ok ? FindCallRecord(handle) : nullptr;
        if (record && record->ended.isNull() && record->state != 0 && record->state != LINECALLSTATE_IDLE) {
            chosen = handle;
            break;
        }
    }
    setHandle(chosen);
}

void TnvCall::ClearCallData()
{
    ResetProperties();
    m_active = false;
    m_handle = 0;
    m_features = 0;
    m_features2 = 0;
    ResetParties();
}

void TnvCall::ResetParties()
{
    for (TnvCallerID* party : m_parties)
        party->Reset();
}

void TnvCall::ResetProperties()
{
    m_state = 0;
    m_stateMode = 0;
    m_address = 0;
    m_bearerMode = 0;
    m_mediaMode = 0;
    m_id = 0;
    m_originatingApp.clear();
    m_owners = 0;
    m_monitors = 0;
    m_owner = false;
    m_origin = 0;
    m_reason = 0;
    m_disconnectMode = 0;
    m_specialInfo = 0;
    m_dialtoneMode = 0;
    m_busyMode = 0;
    m_began = QDateTime();
    m_connected = QDateTime();
    m_disconnected = QDateTime();
    m_ended = QDateTime();
}

// --- Selection and state -------------------------------------------------------------

void TnvCall::setHandle(HCALL value)
{
    if (value == m_handle)
        return;
    m_line->write(true, QStringLiteral("Call.Handle = [") + hex(value) + QLatin1Char(']'));
    const int position = int(m_list.indexOf(hex(value)));
    if (position < 0 || position > m_count) {
        // Nothing changed, so there is nothing to refresh; the error stays readable.
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
        refreshViews();
        return;
    }
    m_handle = value;
    LoadCallState(value);
    bool ok = RefreshCallStatus(false);
    if (ok)
        ok = m_line->RefreshCallInfo(m_handle, kAllParties) == 0;
    if (!ok && m_line->Error()->Number() == qint32(LINEERR_INVALCALLHANDLE)) {
        const HCALL gone = m_handle;
        if (EndCall(false, gone))
            SelectNextCall();
        else
            SaveCallState(gone);
    }
    refreshViews();
}

bool TnvCall::RefreshCallStatus(bool keepState)
{
    m_line->Error()->Clear();
    if (!m_line->Initialised())
        return true;
    m_state = 0;
    m_stateMode = 0;
    m_features = 0;
    m_features2 = 0;
    if (m_handle == 0) {
        m_active = false;
        return true;
    }
    QByteArray block;
    const HCALL handle = m_handle;
    const LONG result = TnvTapiBuffer::read(sizeof(LINECALLSTATUS), block, [handle](char* data) {
        return lineGetCallStatus(handle, reinterpret_cast<LINECALLSTATUS*>(data));
    });
    if (result != 0) {
        if (result == LONG(LINEERR_INVALCALLHANDLE))
            m_active = false;
        m_line->ReportResult(false, result);
        return false;
    }
    const LINECALLSTATUS& status = TnvTapiBuffer::fields<LINECALLSTATUS>(block);
    m_active = true;
    if (!keepState) {
        m_state = status.dwCallState;
        m_stateMode = status.dwCallStateMode;
        m_features = status.dwCallFeatures;
        m_features2 = status.dwCallFeatures2;
    }
    m_owner = (status.dwCallPrivilege & LINECALLPRIVILEGE_OWNER) != 0;
    SaveCallState(m_handle);
    return true;
}

void TnvCall::SaveCallState(HCALL handle)
{
    TnvCallRecord* record = FindCallRecord(handle);
    if (!record)
        return;
    record->tag = m_tag;
    record->began = m_began;
    record->connected = m_connected;
    record->disconnected = m_disconnected;
    record->ended = m_ended;
    record->owner = m_owner;
    record->phoneNumber = m_phoneNumber;
    for (int i = 0; i < TnvCallerID::PartyCount; ++i)
        record->parties[i] = m_parties[i]->save();
    record->state = m_state;
    record->stateMode = m_stateMode;
    record->features = m_features;
    record->features2 = m_features2;
    record->id = m_id;
    record->mediaMode = m_mediaMode;
    record->bearerMode = m_bearerMode;
    record->owners = m_owners;
    record->monitors = m_monitors;
    record->origin = m_origin;
    record->reason = m_reason;
    record->address = m_address;
    record->disconnectMode = m_disconnectMode;
    record->specialInfo = m_specialInfo;
    record->dialtoneMode = m_dialtoneMode;
    record->busyMode = m_busyMode;
    SaveDetection(*record);
}

void TnvCall::LoadCallState(HCALL handle)
{
    if (handle != m_handle)
        return;
    const TnvCallRecord* record = FindCallRecord(handle);
    if (!record)
        return;
    if (m_handle != 0) {
        m_phoneNumber = record->phoneNumber;
        LoadDetection(*record);
    }
    m_tag = record->tag;
    m_began = record->began;
    m_connected = record->connected;
    m_disconnected = record->disconnected;
    m_ended = record->ended;
    m_owner = record->owner;
    for (int i = 0; i < TnvCallerID::PartyCount; ++i)
        m_parties[i]->load(record->parties[i]);
    m_id = record->id;
    m_mediaMode = record->mediaMode;
    m_bearerMode = record->bearerMode;
    m_owners = record->owners;
    m_monitors = record->monitors;
    m_origin = record->origin;
    m_reason = record->reason;
    m_address = record->address;
    m_disconnectMode = record->disconnectMode;
    m_specialInfo = record->specialInfo;
    m_dialtoneMode = record->dialtoneMode;
    m_busyMode = record->busyMode;
}

bool TnvCall::WaitForCallState(const TnvCallRecord& record, DWORD bits)
{
    // Held here so a handler ending the call meanwhile cannot free it under us.
    const RecordPtr held = keep(const_cast<TnvCallRecord*>(&record));
    const TnvCallRecord& watched = held ? *held : record;
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    while (!(watched.state & bits)) {
        QCoreApplication::processEvents();
        if (QDateTime::currentMSecsSinceEpoch() - started >= m_line->TAPI()->ReplyTimeout())
            return false;
        QThread::msleep(10);
    }
    return true;
}

DWORD TnvCall::savedState(HCALL handle)
{
    const TnvCallRecord* record = FindCallRecord(handle);
    return record ? record->state : 0;
}

DWORD TnvCall::savedStateMode(HCALL handle)
{
    const TnvCallRecord* record = FindCallRecord(handle);
    return record ? record->stateMode : 0;
}

void TnvCall::refreshViews()
{
    if (TnvLineView* view = m_line->view()) {
        view->RefreshCall();
        view->RefreshCallControl();
        view->RefreshCallerID();
        view->RefreshDigits();
    }
}
