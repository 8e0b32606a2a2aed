#include "TnvLinePrivate.h"

#include "TnvCallOperations.h"
#include "TnvLine.h"

#include "TnvAddress.h"
#include "TnvCall.h"
#include "TnvConference.h"
#include "TnvLineDevice.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvPopup.h"
#include "TnvPrivilege.h"
#include "TnvRelatedCommDevice.h"
#include "TnvRelatedPhoneDevice.h"
#include "TnvRelatedWaveDevice.h"
#include "TnvTapiBuffer.h"
#include "TnvTerminal.h"
#include "TnvTransfer.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvPumpWait.h>
#include <TnvResultTexts.h>
#include <TnvTAPI.h>
#include <TnvSharedControl.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>

namespace {

// Callback instances of the living controls; a control leaves before it is freed, so a
// late message for it finds nothing.
QHash<DWORD, TnvLinePrivate*>& registry()
{
    static QHash<DWORD, TnvLinePrivate*> controls;
    return controls;
}

DWORD g_lastInstance = 0;

} // namespace

TnvLinePrivate::TnvLinePrivate(TnvLine* control)
    : q(control)
{
    q->SetKind(ckLine, QStringLiteral("nvLine"));
    // The sub-objects are the control's children, so the property system finds them.
    m_address = new TnvAddress(this, q);
    m_call = new TnvCall(this, q);
    m_operations = std::make_unique<TnvCallOperations>(this, m_call);
    m_dispatch = std::make_unique<TnvLineDispatch>(this);
    m_comm = new TnvRelatedCommDevice(this, q);
    m_conference = new TnvConference(this, q);
    m_device = new TnvLineDevice(this);
    m_line = new TnvLineLine(this, q);
    m_phone = new TnvRelatedPhoneDevice(this, q);
    m_popup = new TnvPopup(this, q);
    m_privilege = new TnvPrivilege(this, q);
    m_tapi = new TnvTAPI(q);
    m_terminal = new TnvTerminal(this, q);
    m_transfer = new TnvTransfer(this, q);
    m_wavePlay = new TnvRelatedWaveDevice(this, QStringLiteral("WavePlay"), QStringLiteral("wave/out"), q);
    m_waveRecord = new TnvRelatedWaveDevice(this, QStringLiteral("WaveRecord"), QStringLiteral("wave/in"), q);
    do {
        m_instance = ++g_lastInstance;
    } while (m_instance == 0 || registry().contains(m_instance));
    registry().insert(m_instance, this);
}

TnvLinePrivate::~TnvLinePrivate()
{
    registry().remove(m_instance);
}

TnvLinePrivate* TnvLinePrivate::get(TnvLine* line)
{
    return line ? line->d.get() : nullptr;
}

void TnvLinePrivate::shutdown()
{
    Vantage()->setEvents(false);
    if (m_device->Active())
        CloseLine(false);
    ShutdownTAPI();
    Vantage()->setVisible(false);
    registry().remove(m_instance);
    QCoreApplication::processEvents();
}

bool TnvLinePrivate::endCall(bool forced, HCALL handle)
{
    return m_call->EndCall(forced, handle);
}

bool TnvLinePrivate::logDetection(const QString& prefix, const QString& indent)
{
    return m_call->LogDetection(prefix, indent);
}

void TnvLinePrivate::setCallActiveState(bool value)
{
    m_call->setActiveState(value);
}

bool TnvLinePrivate::popupOnError() const
{
    return m_popup->flag(TnvPopup::OnErrorEvent);
}

// --- The control's reporting, as the sub-objects reach it -----------------------------

TnvSharedControl* TnvLinePrivate::control() const
{
    return q;
}

TnvError* TnvLinePrivate::Error() const
{
    return q->Error();
}

TnvLog* TnvLinePrivate::Log() const
{
    return q->Log();
}

TnvVantage* TnvLinePrivate::Vantage() const
{
    return q->Vantage();
}

bool TnvLinePrivate::ReportResult(bool warning, qint32 code)
{
    return q->ReportResult(warning, code);
}

void TnvLinePrivate::restoreError(qint32 code)
{
    q->restoreError(code);
}

TnvLineEventSet& TnvLinePrivate::events()
{
    return *q;
}

void TnvLinePrivate::noteReply(qint32 request, qint32 result)
{
    if (m_waitDepth == 0)
        return;
    m_answered.append({request, result});
    if (m_answered.size() > 64)
        m_answered.removeFirst();
}

LONG TnvLinePrivate::RefreshCallInfo(HCALL handle, DWORD mask)
{
    return m_dispatch->RefreshCallInfo(handle, mask);
}

TnvCallActions& TnvLinePrivate::actions()
{
    return *m_operations;
}

DWORD TnvLinePrivate::addressID() const
{
    return DWORD(m_address->ID());
}

DWORD TnvLinePrivate::addressRingsNoAnswer() const
{
    return DWORD(m_address->NumRingsNoAnswer());
}

HCALL TnvLinePrivate::callHandle() const
{
    return m_call->Handle();
}

bool TnvLinePrivate::callActive() const
{
    return m_call->Active();
}

TnvLineView* TnvLinePrivate::view() const
{
    return dynamic_cast<TnvLineView*>(Vantage()->window());
}

void TnvLinePrivate::write(bool stamped, const QString& text)
{
    Log()->Add(stamped, text);
}

void TnvLinePrivate::assignDeviceClass(const QString& name, const QString& value, QString& deviceClass)
{
    write(true, name + QStringLiteral(".DeviceClass := \"") + value + QLatin1Char('"'));
    Error()->Clear();
    if (m_device->Active())
        ReportResult(false, qint32(LINEERR_INVALLINESTATE));
    else
        deviceClass = value;
    if (TnvLineView* v = view())
        v->RefreshInfo();
}

namespace {

using CallHandler = TNV_CallNotifyEvent TnvLineEventSet::*;

// The handler of each event that reports a call; null for the others.
struct CallHandlers {
    std::array<CallHandler, TnvPopup::EventCount> of{};

    constexpr CallHandlers()
    {
        of[TnvPopup::OnBusyEvent] = &TnvLineEventSet::OnBusy;
        of[TnvPopup::OnCallBeginEvent] = &TnvLineEventSet::OnCallBegin;
        of[TnvPopup::OnCallEndEvent] = &TnvLineEventSet::OnCallEnd;
        of[TnvPopup::OnCallerIDEvent] = &TnvLineEventSet::OnCallerID;
        of[TnvPopup::OnCalledIDEvent] = &TnvLineEventSet::OnCalledID;
        of[TnvPopup::OnConnectedIDEvent] = &TnvLineEventSet::OnConnectedID;
        of[TnvPopup::OnRedirectionIDEvent] = &TnvLineEventSet::OnRedirectionID;
        of[TnvPopup::OnRedirectingIDEvent] = &TnvLineEventSet::OnRedirectingID;
        of[TnvPopup::OnCallMediaModeChangeEvent] = &TnvLineEventSet::OnCallMediaModeChange;
        of[TnvPopup::OnCallOwnerChangeEvent] = &TnvLineEventSet::OnCallOwnerChange;
        of[TnvPopup::OnConferencedEvent] = &TnvLineEventSet::OnConferenced;
        of[TnvPopup::OnConnectedEvent] = &TnvLineEventSet::OnConnected;
        of[TnvPopup::OnDialingEvent] = &TnvLineEventSet::OnDialing;
        of[TnvPopup::OnDialtoneEvent] = &TnvLineEventSet::OnDialtone;
        of[TnvPopup::OnDigitsSentEvent] = &TnvLineEventSet::OnDigitsSent;
        of[TnvPopup::OnDisconnectedEvent] = &TnvLineEventSet::OnDisconnected;
        of[TnvPopup::OnHoldEvent] = &TnvLineEventSet::OnHold;
        of[TnvPopup::OnHoldPendingConferenceEvent] = &TnvLineEventSet::OnHoldPendingConference;
        of[TnvPopup::OnHoldPendingTransferEvent] = &TnvLineEventSet::OnHoldPendingTransfer;
        of[TnvPopup::OnIdleEvent] = &TnvLineEventSet::OnIdle;
        of[TnvPopup::OnOfferingEvent] = &TnvLineEventSet::OnOffering;
        of[TnvPopup::OnProceedingEvent] = &TnvLineEventSet::OnProceeding;
        of[TnvPopup::OnRingBackEvent] = &TnvLineEventSet::OnRingBack;
        of[TnvPopup::OnSilenceEvent] = &TnvLineEventSet::OnSilence;
        of[TnvPopup::OnSpecialInfoEvent] = &TnvLineEventSet::OnSpecialInfo;
        of[TnvPopup::OnToneSentEvent] = &TnvLineEventSet::OnToneSent;
    }
};

constexpr CallHandlers kCallHandlers;

} // namespace

void TnvLinePrivate::fireCallEvent(TnvPopup::Event event, HCALL handle)
{
    const bool known = event >= 0 && event < TnvPopup::EventCount;
    const CallHandler handler = known ? kCallHandlers.of[event] : nullptr;
    if (Vantage()->Events() && handler) {
        TnvLineEventSet& set = *q;
        if (const TNV_CallNotifyEvent& slot = set.*handler)
            slot(q, int(handle));
    }
    Vantage()->ShowPopup(known && m_popup->flag(event));
}

// --- Structures ------------------------------------------------------------------

LONG TnvLinePrivate::ReadDevCaps(DWORD device, QByteArray& block)
{
    return TnvTapiBuffer::read(sizeof(LINEDEVCAPS), block, [&](char* data) {
        return lineGetDevCaps(m_line->AppHandle(), device, m_tapi->Version(), 0, reinterpret_cast<LINEDEVCAPS*>(data));
    });
}

LONG TnvLinePrivate::ReadAddressCaps(DWORD address, QByteArray& block)
{
    if (!m_initialised)
        return -1;
    return TnvTapiBuffer::read(sizeof(LINEADDRESSCAPS), block, [&](char* data) {
        return lineGetAddressCaps(m_line->AppHandle(), DWORD(m_device->ID()), address, m_tapi->Version(), 0,
                                  reinterpret_cast<LINEADDRESSCAPS*>(data));
    });
}

void TnvLinePrivate::ReadLineDevStatus()
{
    LONG result = 0;
    const HLINE line = m_line->Handle();
    const QByteArray block = m_reads[TnvTapiBuffer::LineDevStatus].read(sizeof(LINEDEVSTATUS), line, &result, [&](char* data) {
        return lineGetLineDevStatus(line, reinterpret_cast<LINEDEVSTATUS*>(data));
    });
    if (result != 0)
        return;
    const LINEDEVSTATUS& status = TnvTapiBuffer::fields<LINEDEVSTATUS>(block);
    m_device->storeStatus(int(status.dwNumOpens), int(status.dwNumActiveCalls), int(status.dwNumOnHoldCalls),
                          int(status.dwNumOnHoldPendCalls), status.dwRingMode);
    m_device->MediaModes()->setOpen(status.dwOpenMediaModes);
    m_terminal->storeActiveModes(block);
    if (TnvLineView* v = view()) {
        v->RefreshInfo();
        v->RefreshTerminal();
    }
}

void TnvLinePrivate::ReadAddressStatus()
{
    LONG result = 0;
    const HLINE line = m_line->Handle();
    const DWORD address = DWORD(m_address->ID());
    const QByteArray block = m_reads[TnvTapiBuffer::AddressStatus].read(
        sizeof(LINEADDRESSSTATUS), (quint64(line) << 32) | address, &result, [&](char* data) {
            return lineGetAddressStatus(line, address, reinterpret_cast<LINEADDRESSSTATUS*>(data));
        });
    if (result == 0)
        m_address->storeStatus(block);
}

bool TnvLinePrivate::GetRelatedDeviceID(const QString& deviceClass, DWORD handle, DWORD* value)
{
    const QByteArray name = deviceClass.toUtf8();
    const bool comm = deviceClass == QLatin1String("comm/datamodem");
    QByteArray block;
    const LONG result = TnvTapiBuffer::read(sizeof(VARSTRING), block, [&](char* data) {
        auto* id = reinterpret_cast<VARSTRING*>(data);
        return comm ? lineGetID(0, 0, handle, LINECALLSELECT_CALL, id, name.constData())
                    : lineGetID(handle, 0, 0, LINECALLSELECT_LINE, id, name.constData());
    });
    if (result != 0)
        return false;
    const VARSTRING& id = TnvTapiBuffer::fields<VARSTRING>(block);
    const QByteArray bytes = TnvTapiBuffer::part(block, id.dwStringSize, id.dwStringOffset);
    if (bytes.size() < qsizetype(sizeof(DWORD)))
        return false;
    std::memcpy(value, bytes.constData(), sizeof(DWORD));
    return true;
}

// --- Replies and messages -----------------------------------------------------------

bool TnvLinePrivate::waitUntil(const std::function<bool()>& done)
{
    return TnvPumpWait::until(done, m_tapi->ReplyTimeout());
}

bool TnvLinePrivate::WaitForReply(const qint32& slot)
{
    // The request is remembered too: a nested operation may reuse the slot, and its
    // reply then finds no slot to mark.
    const qint32 request = slot;
    ++m_waitDepth;
    const auto answer = [this, request]() -> const Answer* {
        for (const Answer& a : m_answered)
            if (a.request == request)
                return &a;
        return nullptr;
    };
    // A line closed under the wait (a handler switched the control off) takes its
    // requests with it: no reply will come, so the wait ends as a time-out would.
    const quint64 closes = m_closes;
    bool timedOut = false;
    if (m_tapi->ReplyTimeout() != 0) {
        timedOut = !waitUntil([&] { return slot == -1 || answer() != nullptr || m_closes != closes; });
        if (!timedOut && slot != -1 && answer() == nullptr)
            timedOut = true;
    }
    // Handlers that ran during the wait may have left their own errors behind; they were
    // reported then. The operation's outcome is its own reply's.
    if (const Answer* a = answer()) {
        if (a->result == 0)
            Error()->Clear();
        else
            restoreError(a->result);
    }
    m_answered.removeIf([request](const Answer& a) { return a.request == request; });
    if (--m_waitDepth == 0)
        m_answered.clear();
    return timedOut;
}

void TnvLinePrivate::LineCallback(DWORD hDevice, DWORD message, DWORD instance, DWORD param1, DWORD param2,
                                   DWORD param3)
{
    if (instance == 0 || (message == LINE_LINEDEVSTATE && param1 == LINEDEVSTATE_REINIT))
        return;
    TnvLinePrivate* control = registry().value(instance);
    if (!control)
        return;
    control->m_dispatch->handleMessage(hDevice, message, param1, param2, param3);
}

void TnvLinePrivate::refreshAfterDeviceChange()
{
    if (TnvLineView* v = view()) {
        v->RefreshCall();
        v->RefreshEnabled();
        v->RefreshDevice();
        v->RefreshInfo();
        v->RefreshTerminal();
    }
}
