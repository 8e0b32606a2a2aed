#include "TnvCall.h"

#include "TnvCallParameters.h"
#include "TnvCallerID.h"
#include "TnvGatherDigits.h"
#include "TnvLineDevice.h"
#include "TnvCallActions.h"
#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvLocalClock.h"
#include "TnvMonitorDigits.h"
#include "TnvMonitorMediaModes.h"
#include "TnvMonitorSilence.h"
#include "TnvTapiBuffer.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvClock.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvTAPI.h>


namespace {

// The party-ID bits of the call-info states: a selection refills all five.

} // namespace

TnvCall::TnvCall(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_parameters(new TnvCallParameters(line, this))
    , m_gatherDigits(new TnvGatherDigits(line, this))
    , m_monitorDigits(new TnvMonitorDigits(line, this))
    , m_monitorMediaModes(new TnvMonitorMediaModes(line, this))
    , m_monitorSilence(new TnvMonitorSilence(line, this))
{
    setObjectName(QStringLiteral("Call"));
    for (int i = 0; i < TnvCallerID::PartyCount; ++i) {
        const auto party = TnvCallerID::Party(i);
        m_parties[i] = new TnvCallerID(line, TnvCallerID::partName(party), this);
    }
}

TnvCall::~TnvCall() = default;

bool TnvCall::Dial() { return m_line->actions().Dial(); }
bool TnvCall::Answer() { return m_line->actions().Answer(); }
bool TnvCall::Hangup() { return m_line->actions().Hangup(); }
bool TnvCall::Hold() { return m_line->actions().Hold(); }
bool TnvCall::Unhold() { return m_line->actions().Unhold(); }
bool TnvCall::Transfer() { return m_line->actions().Transfer(); }
bool TnvCall::Redirect(const QString& phoneNumber) { return m_line->actions().Redirect(phoneNumber); }
bool TnvCall::Park(const QString& phoneNumber) { return m_line->actions().Park(phoneNumber); }
bool TnvCall::Unpark(const QString& phoneNumber) { return m_line->actions().Unpark(phoneNumber); }
bool TnvCall::Pickup(const QString& phoneNumber, const QString& groupID)
{
    return m_line->actions().Pickup(phoneNumber, groupID);
}
bool TnvCall::Handoff(const QString& application) { return m_line->actions().Handoff(application); }
bool TnvCall::SendDigits(const QString& digits, int duration) { return m_line->actions().SendDigits(digits, duration); }
bool TnvCall::SendTone(DWORD tone, int duration) { return m_line->actions().SendTone(tone, duration); }

QString TnvCall::hex(HCALL handle) const
{
    return TnvNotation::hex8(handle);
}

// --- The list and ending calls ------------------------------------------------------

DWORD TnvCall::StateOf(HCALL handle) const
{
    if (handle != 0 && handle == m_handle)
        return m_state;
    const TnvCallRecord* record = handle ? m_line->records().find(handle) : nullptr;
    return record ? record->state : 0;
}

int TnvCall::Count() const
{
    return m_line->records().count();
}

const QStringList& TnvCall::List() const
{
    return m_line->records().list();
}

void TnvCall::setTag(qint32 value)
{
    m_tag = value;
    if (TnvCallRecord* record = m_line->records().find(m_handle))
        record->tag = value;
}

bool TnvCall::EndCall(bool forced, HCALL handle)
{
    TnvCallRecords& records = m_line->records();
    if (records.position(handle) < 0)
        return false;
    const TnvCallRecords::RecordPtr record = records.keep(records.find(handle));
    if (!record || (!forced && !record->idle()))
        return false;

    const QString text = hex(handle);
    record->ended = TnvClock::localNow();
    if (handle == m_handle)
        m_ended = record->ended;
    m_line->write(true, QStringLiteral("OnCallEnd [") + text + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tCall.Ended = ") + TnvLocalClock::hms(record->ended));
    m_line->fireCallEvent(TnvPopup::OnCallEndEvent, handle);
    // The ended record no longer qualifies, so the next call is another one.
    if (handle == m_handle)
        SelectNextCall();

    // Handlers may have changed the list meanwhile.
    records.unlist(handle);
    records.remove(record.get());
    if (m_handle == handle)
        m_handle = 0;
    refreshViews();
    return true;
}

void TnvCall::SelectNextCall()
{
    const TnvCallRecords& records = m_line->records();
    const int count = records.count();
    const QStringList& list = records.list();
    if (count <= 0) {
        m_active = false;
        ResetProperties();
        if (list.isEmpty())
            m_handle = 0;
        else
            setHandle(0);
        return;
    }
    HCALL chosen = 0;
    for (int position = 1; position <= count; ++position) {
        const HCALL handle = records.listed(position);
        const TnvCallRecord* record = records.find(handle);
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
    const TnvCallRecords& records = m_line->records();
    // The no-call entry counts as listed.
    const int position = value == 0 ? (records.list().isEmpty() ? -1 : 0) : records.position(value);
    if (position < 0) {
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
    const HCALL handle = m_handle;
    LONG result = 0;
    const QByteArray block = m_line->rememberedRead(TnvTapiBuffer::CallStatus).read(
        sizeof(LINECALLSTATUS), handle, &result,
        [handle](char* data) { return lineGetCallStatus(handle, reinterpret_cast<LINECALLSTATUS*>(data)); });
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
    TnvCallRecord* record = m_line->records().find(handle);
    if (!record)
        return;
    record->tag = m_tag;
    record->began = m_began;
    record->connected = m_connected;
    record->disconnected = m_disconnected;
    record->ended = m_ended;
    record->owner = m_owner;
    copyRecordText(record->phoneNumber, m_phoneNumber);
    for (int i = 0; i < TnvCallerID::PartyCount; ++i)
        m_parties[i]->saveInto(record->parties[i]);
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
    const TnvCallRecord* record = m_line->records().find(handle);
    if (!record)
        return;
    if (m_handle != 0) {
        copyRecordText(m_phoneNumber, record->phoneNumber);
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

void TnvCall::refreshViews()
{
    if (TnvLineView* view = m_line->view()) {
        view->RefreshCall();
        view->RefreshCallControl();
        view->RefreshCallerID();
        view->RefreshDigits();
    }
}
