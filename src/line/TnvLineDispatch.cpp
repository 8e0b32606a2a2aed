// Handlers pump the event loop (through waits and the callback itself), so each one
// re-reads what it needs after such a point.
#include "TnvConference.h"
#include "TnvLineDispatch.h"

#include "TnvCallRecords.h"
#include "TnvLineContext.h"

#include "TnvCallOperations.h"

#include <utility>
#include "TnvLineEvents.h"
#include "TnvTransfer.h"

#include "TnvAddress.h"
#include "TnvCall.h"
#include "TnvCallerID.h"
#include "TnvGatherDigits.h"
#include "TnvLineDevice.h"
#include "TnvLineView.h"
#include "TnvLocalClock.h"
#include "TnvMonitorDigits.h"
#include "TnvMonitorSilence.h"
#include "TnvPopup.h"
#include "TnvRelatedCommDevice.h"
#include "TnvTapiBuffer.h"
#include "TnvTerminal.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvClock.h>
#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvVantage.h>

#include <QCoreApplication>
#include <QScopeGuard>

#include <algorithm>

namespace {

constexpr DWORD kSilenceTone = TnvMonitorSilence::Tag;

QString hex(DWORD value)
{
    return TnvNotation::hex8(value);
}

// The names of every set bit, as the message block shows a flag parameter.
QString flagNames(DWORD value, TnvTextFn textFn, DWORD last, DWORD first)
{
    QStringList names;
    TnvNotation::forEachFlag(value, first, last, [&](quint32 bit) { names << textFn(bit); });
    return names.isEmpty() ? QString() : names.join(QLatin1Char(' ')) + QLatin1Char(' ');
}

QString stateModeText(DWORD state, DWORD mode)
{
    switch (state) {
    case LINECALLSTATE_DIALTONE: return DialToneModeText(mode) + QLatin1Char(' ');
    case LINECALLSTATE_BUSY: return BusyModeText(mode) + QLatin1Char(' ');
    case LINECALLSTATE_SPECIALINFO: return SpecialInfoText(mode) + QLatin1Char(' ');
    case LINECALLSTATE_CONNECTED: return ConnectedModeText(mode) + QLatin1Char(' ');
    case LINECALLSTATE_OFFERING: return OfferingModeText(mode) + QLatin1Char(' ');
    case LINECALLSTATE_DISCONNECTED: return DisconnectModeText(mode) + QLatin1Char(' ');
    }
    return QString();
}

struct ReplyLabel {
    TnvCallRecord::Slot slot;
    const char* label;
    bool listsCall;
};

// In the order replies are matched to slots.
constexpr ReplyLabel kReplyLabels[] = {
    {TnvCallRecord::SlotAnswer, " - Call.Answer", false},
    {TnvCallRecord::SlotRedirect, " - Call.Redirect", false},
    {TnvCallRecord::SlotDial, " - Call.Dial", false},
    {TnvCallRecord::SlotMakeCall, " - Call.Dial", true},
    {TnvCallRecord::SlotDrop, " - Call.Hangup", false},
    {TnvCallRecord::SlotHold, " - Call.Hold", false},
    {TnvCallRecord::SlotPark, " - Call.Park", false},
    {TnvCallRecord::SlotUnhold, " - Call.Unhold", false},
    {TnvCallRecord::SlotUnpark, " - Call.Unpark", true},
    {TnvCallRecord::SlotConferenceSetup, " - Conference.Dial (Setup)", true},
    {TnvCallRecord::SlotConferenceDial, " - Conference.Dial (Dial)", false},
    {TnvCallRecord::SlotConferenceAdd, " - Conference.AddCall", false},
    {TnvCallRecord::SlotConferenceRemove, " - Conference.RemoveCall", false},
    {TnvCallRecord::SlotPickup, " - Call.Pickup", true},
    {TnvCallRecord::SlotTransferSetup, " - Transfer.Dial (Setup)", true},
    {TnvCallRecord::SlotTransferDial, " - Transfer.Dial (Dial)", false},
    {TnvCallRecord::SlotSwapHold, " - Transfer.SwapHold", false},
    {TnvCallRecord::SlotTransferComplete, " - Transfer.Complete", false},
    {TnvCallRecord::SlotTransferThreeWay, " - Transfer.ThreeWay", false},
    {TnvCallRecord::SlotForward, " - Address.Forward.Active", false},
    {TnvCallRecord::SlotBlindTransfer, " - Call.Transfer", false},
};

} // namespace

void TnvLineDispatch::writeMessageBlock(const QString& title, DWORD hDevice, DWORD message, DWORD param1, DWORD param2,
                                        DWORD param3)
{
    QString text1;
    QString text2;
    switch (message) {
    case LINE_ADDRESSSTATE:
        text2 = flagNames(param2, AddressStateText, LINEADDRESSSTATE_CAPSCHANGE, LINEADDRESSSTATE_OTHER);
        break;
    case LINE_CALLINFO:
        text1 = flagNames(param1, CallInfoStateText, LINECALLINFOSTATE_CALLDATA, LINECALLINFOSTATE_OTHER);
        break;
    case LINE_CALLSTATE:
        text1 = CallStateText(param1) + QLatin1Char(' ');
        text2 = stateModeText(param1, param2);
        break;
    case LINE_LINEDEVSTATE:
        text1 = flagNames(param1, LineDevStateText, LINEDEVSTATE_REMOVED, LINEDEVSTATE_OTHER);
        break;
    case LINE_MONITORMEDIA:
        text1 = flagNames(param1, MediaModeText, LINEMEDIAMODE_VIDEO, LINEMEDIAMODE_UNKNOWN);
        break;
    }
    m_line->write(true, title);
    m_line->write(false, QLatin1Char('\t') + MessageHandleText(message) + QStringLiteral(" = [") + hex(hDevice) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tMessage = ") + MessageText(message) + QStringLiteral(" [") + hex(message) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tParameter 1 = ") + text1 + QLatin1Char('[') + hex(param1) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tParameter 2 = ") + text2 + QLatin1Char('[') + hex(param2) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tParameter 3 = [") + hex(param3) + QLatin1Char(']'));
}

namespace {

// How many messages are being handled, one inside another, in this thread.
int g_messageDepth = 0;

// A message handled inside another one's pass starts no pass of its own, so a flood of
// messages is handled one after another rather than ever deeper on the stack.
void passUnlessNested()
{
    if (g_messageDepth <= 1)
        QCoreApplication::processEvents();
}

} // namespace

TnvLineDispatch::TnvLineDispatch(TnvLineContext* line)
    : m_line(line)
    , m_events(line->events())
    , m_sender(line->control())
{
    m_idleTimer.setSingleShot(true);
    // The idle delay is a promise to the application; a coarse timer may fire early.
    m_idleTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_idleTimer, &QTimer::timeout, &m_idleTimer, [this] { onIdleTimer(); });
}

int TnvLineDispatch::messageDepth()
{
    return g_messageDepth;
}

void TnvLineDispatch::holdCall(const HCALL* slot)
{
    m_holds.push_back({slot, 0});
}

void TnvLineDispatch::releaseCall(const HCALL* slot)
{
    for (Hold& hold : m_holds) {
        if (hold.slot != slot)
            continue;
        // The operation has returned and its record may go; the hold goes on by handle
        // until the event loop hands the kept messages on, in their order.
        hold.handle = *slot;
        hold.slot = nullptr;
        const HCALL handle = hold.handle;
        QTimer::singleShot(0, &m_idleTimer, [this, handle] {
            std::erase_if(m_holds, [handle](const Hold& h) { return !h.slot && h.handle == handle; });
            handleDue(false);
        });
        return;
    }
}

bool TnvLineDispatch::held(DWORD hDevice, DWORD message) const
{
    switch (message) {
    case LINE_CALLSTATE:
    case LINE_CALLINFO:
    case LINE_GATHERDIGITS:
    case LINE_GENERATE:
    case LINE_MONITORDIGITS:
    case LINE_MONITORMEDIA:
    case LINE_MONITORTONE:
        break;
    default:
        return false;
    }
    for (const Hold& hold : m_holds) {
        const HCALL handle = hold.slot ? *hold.slot : hold.handle;
        if (handle != 0 && handle == hDevice)
            return true;
    }
    return false;
}

void TnvLineDispatch::handleDue(bool all)
{
    // One after another as if nested, so nothing that arrives meanwhile slips in between.
    ++g_messageDepth;
    const auto leave = qScopeGuard([] { --g_messageDepth; });
    for (;;) {
        const auto due = std::find_if(m_heldMessages.begin(), m_heldMessages.end(),
                                      [&](const Message& m) { return all || !held(m.hDevice, m.message); });
        if (due == m_heldMessages.end())
            return;
        const Message m = *due;
        m_heldMessages.erase(due);
        dispatchMessage(m.hDevice, m.message, m.param1, m.param2, m.param3);
    }
}

void TnvLineDispatch::handleMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3)
{
    if (!m_holds.empty() || !m_heldMessages.empty()) {
        if (held(hDevice, message)) {
            m_heldMessages.push_back({hDevice, message, param1, param2, param3});
            return;
        }
        // Kept messages that are due go first; a closing line takes every call with it,
        // so none is kept beyond that.
        handleDue(message == LINE_CLOSE);
    }
    dispatchMessage(hDevice, message, param1, param2, param3);
}

void TnvLineDispatch::dispatchMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3)
{
    ++g_messageDepth;
    const auto leave = qScopeGuard([] { --g_messageDepth; });
    if (m_events.OnTAPIMessage)
        m_events.OnTAPIMessage(m_sender, int(hDevice), int(message), int(param1), int(param2), int(param3));
    if (m_line->Popup()->flag(TnvPopup::OnTAPIMessageEvent)) {
        writeMessageBlock(QStringLiteral("OnTAPIMessage"), hDevice, message, param1, param2, param3);
        m_line->Vantage()->ShowPopup(true);
    }

    switch (message) {
    case LINE_ADDRESSSTATE: onAddressState(param1, param2); break;
    case LINE_CALLINFO: onCallInfo(hDevice, param1); break;
    case LINE_CALLSTATE: onCallState(hDevice, param1, param2, param3); break;
    case LINE_CLOSE:
        m_line->write(true, QStringLiteral("TAPI LINE_CLOSE message received"));
        m_line->CloseLine(true);
        m_line->refreshAfterDeviceChange();
        break;
    case LINE_DEVSPECIFIC:
    case LINE_DEVSPECIFICFEATURE: {
        const bool feature = message == LINE_DEVSPECIFICFEATURE;
        const TnvPopup::Event event = feature ? TnvPopup::OnDevSpecificFeatureEvent : TnvPopup::OnDevSpecificEvent;
        const char* name = TnvPopup::eventName(event);
        if (m_line->Popup()->flag(event))
            m_line->write(true, QLatin1String(name) + QStringLiteral(" ([") + hex(hDevice) + QStringLiteral("] [") + hex(param1)
                            + QStringLiteral("] [") + hex(param2) + QStringLiteral("] [") + hex(param3)
                            + QStringLiteral("])"));
        const TNV_DevSpecific& handler = feature ? m_events.OnDevSpecificFeature : m_events.OnDevSpecific;
        if (handler)
            handler(m_sender, int(hDevice), int(param1), int(param2), int(param3));
        m_line->Vantage()->ShowPopup(m_line->Popup()->flag(event));
        break;
    }
    case LINE_GATHERDIGITS: onDigitsGathered(hDevice, param1); break;
    case LINE_GENERATE: {
        const TnvPopup::Event event = m_line->DigitsGenerated() ? TnvPopup::OnDigitsSentEvent : TnvPopup::OnToneSentEvent;
        m_line->write(true, QLatin1String(TnvPopup::eventName(event)) + QStringLiteral(" ([") + hex(hDevice) + QStringLiteral("])"));
        m_line->fireCallEvent(event, hDevice);
        break;
    }
    case LINE_LINEDEVSTATE: onLineState(param1, param2, param3); break;
    case LINE_MONITORDIGITS: onDigitReceived(hDevice, param1); break;
    case LINE_MONITORMEDIA: onMediaMode(hDevice, param1); break;
    case LINE_MONITORTONE:
        if (param1 == kSilenceTone) {
            m_line->write(true, QStringLiteral("OnSilence ([") + hex(hDevice) + QStringLiteral("])"));
            m_line->fireCallEvent(TnvPopup::OnSilenceEvent, hDevice);
        }
        break;
    case LINE_REPLY: onReply(param1, param2, param3); break;
    case LINE_APPNEWCALL:
        if (!m_line->records().find(param2))
            BeginCall(param2);
        break;
    default:
        break;
    }
    passUnlessNested();
}

// --- Replies --------------------------------------------------------------------------

void TnvLineDispatch::onReply(DWORD request, DWORD result, DWORD param3)
{
    QString label;
    m_line->noteReply(qint32(request), qint32(result));
    TnvCallRecord* record = m_line->records().findRequest(qint32(request));
    if (record) {
        for (const ReplyLabel& entry : kReplyLabels) {
            if (record->requests[entry.slot] != qint32(request))
                continue;
            label = QLatin1String(entry.label);
            record->requests[entry.slot] = -1;
            if (result == 0 && entry.listsCall)
                m_line->records().listHandle(*record);
            if (result == 0 && entry.slot == TnvCallRecord::SlotConferenceSetup)
                m_line->Conference()->listConsultation(record->handle);
            break;
        }
    } else if (m_line->Terminal()->requestSlot() == qint32(request)) {
        label = QStringLiteral(" - Terminal.ActiveModes");
        m_line->Terminal()->requestSlot() = -1;
    }
    if (result == 0)
        m_line->Error()->Clear();
    if (m_events.OnTAPIReply)
        m_events.OnTAPIReply(m_sender, int(request), int(result), int(param3));
    if (result != 0 || m_line->Popup()->flag(TnvPopup::OnTAPIReplyEvent)) {
        writeMessageBlock(QStringLiteral("OnTAPIReply") + label, 0, LINE_REPLY, request, result, param3);
        if (result != 0)
            m_line->ReportResult(false, qint32(result));
    }
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnTAPIReplyEvent));
}

// --- Calls ------------------------------------------------------------------------------

LONG TnvLineDispatch::RefreshCallInfo(HCALL handle, DWORD mask)
{
    if (!m_line->Initialised())
        return -1;
    if (handle == 0) {
        m_line->Call()->setActiveState(false);
        return 0;
    }
    LONG result = 0;
    const QByteArray block = m_line->rememberedRead(TnvTapiBuffer::CallInfo).read(
        sizeof(LINECALLINFO), handle, &result,
        [&](char* data) { return lineGetCallInfo(handle, reinterpret_cast<LINECALLINFO*>(data)); });
    if (result != 0)
        return result;
    const LINECALLINFO& info = TnvTapiBuffer::fields<LINECALLINFO>(block);
    if (TnvCallRecord* record = m_line->records().find(handle)) {
        record->id = info.dwCallID;
        record->address = qint32(info.dwAddressID);
        record->mediaMode = info.dwMediaMode;
        record->bearerMode = info.dwBearerMode;
        record->origin = info.dwOrigin;
        record->reason = info.dwReason;
        record->owners = qint32(info.dwNumOwners);
        record->monitors = qint32(info.dwNumMonitors);
        if (handle == m_line->Call()->Handle())
            m_line->Call()->storeOriginatingApp(TnvTapiBuffer::text(block, info.dwAppNameSize, info.dwAppNameOffset));
        TnvCallerID::fillParties(record->parties, block, mask);
    }
    if (handle == m_line->Call()->Handle())
        m_line->Call()->LoadCallState(handle);
    if (TnvLineView* v = m_line->view())
        v->RefreshCall();
    return 0;
}

TnvCallRecord* TnvLineDispatch::BeginCall(HCALL handle)
{
    const auto announceBegin = [this, handle] {
        m_line->write(true, QStringLiteral("OnCallBegin [") + hex(handle) + QLatin1Char(']'));
        m_line->write(false, QStringLiteral("\tCall.Began = ") + TnvLocalClock::hms(TnvClock::localTimeNow()));
        m_line->fireCallEvent(TnvPopup::OnCallBeginEvent, handle);
    };
    TnvCallRecord* record = nullptr;
    if (m_line->Call()->Count() == 0) {
        m_line->Call()->ResetProperties();
        m_line->Call()->ResetParties();
        m_line->Call()->setHandleValue(handle);
        m_line->Call()->SwitchOffDetection();
        m_line->Call()->setActiveState(true);
        record = m_line->records().add(handle);
        m_line->Call()->storeBegan(TnvClock::localNow());
        m_line->Call()->SaveCallState(handle);
        RefreshCallInfo(handle, kAllParties);
        announceBegin();
    } else if (!(record = m_line->records().find(handle))) {
        record = m_line->records().add(handle);
        record->began = TnvClock::localNow();
        m_line->Call()->SeedDetection(*record);
        if (m_line->Call()->Active())
            m_line->Call()->LoadCallState(handle);
        announceBegin();
    } else if (handle == m_line->Call()->Handle()) {
        RefreshCallInfo(handle, kAllParties);
        m_line->Call()->SaveCallState(handle);
    }
    if (const TnvCallRecord* begun = m_line->records().find(handle))
        m_line->Conference()->noteConferenceCall(handle, begun->origin);
    m_line->Call()->RefreshCallStatus(false);
    m_line->ReadLineDevStatus();
    m_line->ReadAddressStatus();
    m_line->Call()->LoadCallState(handle);
    if (TnvLineView* v = m_line->view()) {
        v->RefreshEnabled();
        v->RefreshCall();
    }
    return m_line->records().find(handle);
}

void TnvLineDispatch::onCallInfo(HCALL handle, DWORD states)
{
    if (!m_line->records().find(handle)) {
        if (states == LINECALLINFOSTATE_NUMMONITORS)
            return;
        BeginCall(handle);
    }
    const LONG refreshed = RefreshCallInfo(handle, states);
    if (m_line->Popup()->flag(TnvPopup::OnCallInfoEvent))
        m_line->write(true, QStringLiteral("OnCallInfo ([") + hex(handle) + QStringLiteral("] [") + hex(states)
                        + QStringLiteral("])"));
    if (m_line->Vantage()->Events() && m_events.OnCallInfo)
        m_events.OnCallInfo(m_sender, int(handle), int(states));
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnCallInfoEvent));
    if (refreshed == LONG(LINEERR_INVALCALLHANDLE)) {
        m_line->Call()->EndCall(true, handle);
        return;
    }
    if (TnvCallRecord* record = m_line->records().find(handle))
        TnvCallerID::announceParties(m_line, record->parties, handle, states, 0);
}

void TnvLineDispatch::onCallState(HCALL handle, DWORD state, DWORD rawMode, DWORD privilege)
{
    if (state == LINECALLSTATE_IDLE && handle != 0 && handle == m_holdingIdle) {
        m_heldIdle.append({handle, rawMode, privilege});
        return;
    }
    const DWORD mode = rawMode & 0xFFFF;
    if (handle == m_line->Call()->Handle())
        m_line->Call()->storeState(state, rawMode);
    if (m_line->Popup()->flag(TnvPopup::OnCallStateEvent)) {
        m_line->write(true, QStringLiteral("OnCallState ([") + hex(handle) + QStringLiteral("] [") + hex(state)
                        + QStringLiteral("] [") + hex(rawMode) + QStringLiteral("] [") + hex(privilege)
                        + QStringLiteral("])"));
        m_line->write(false, QStringLiteral("\tCall.State = ") + CallStateText(state) + QStringLiteral(" [")
                         + hex(m_line->Call()->State()) + QLatin1Char(']'));
        m_line->write(false, QStringLiteral("\tCall.StateMode = ") + CallStateModeText(state, mode) + QStringLiteral(" [")
                         + hex(m_line->Call()->StateMode()) + QLatin1Char(']'));
    }
    if (m_line->Vantage()->Events() && m_events.OnCallState)
        m_events.OnCallState(m_sender, int(handle), int(state), int(rawMode), int(privilege));
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnCallStateEvent));

    TnvCallRecord* record = m_line->records().find(handle);
    if (!record)
        record = BeginCall(handle);
    if (!record)
        return;
    record->state = state;
    record->stateMode = mode;
    const bool wasOwner = record->owner;
    if (handle == m_line->Call()->Handle()) {
        m_line->Call()->RefreshCallStatus(false);
        RefreshCallInfo(handle, 0);
    }
    record = m_line->records().find(handle);
    if (record && record->owner != wasOwner) {
        m_line->write(true, QStringLiteral("OnCallOwnerChange [") + hex(handle) + QLatin1Char(']'));
        m_line->fireCallEvent(TnvPopup::OnCallOwnerChangeEvent, handle);
    }

    const bool current = handle == m_line->Call()->Handle();
    const auto fire = [&](TnvPopup::Event event) {
        m_line->write(true, QLatin1String(TnvPopup::eventName(event)) + QStringLiteral(" [") + hex(handle) + QLatin1Char(']'));
        m_line->fireCallEvent(event, handle);
    };
    record = m_line->records().find(handle);
    switch (state) {
    case LINECALLSTATE_OFFERING:
        fire(TnvPopup::OnOfferingEvent);
        if ((record = m_line->records().find(handle)))
            TnvCallerID::announceParties(m_line, record->parties, handle, kAllParties,
                                         LINECALLPARTYID_UNKNOWN | LINECALLPARTYID_UNAVAIL);
        break;
    case LINECALLSTATE_DIALTONE:
        if (record)
            record->dialtoneMode = mode;
        if (current)
            m_line->Call()->storeDialtoneMode(mode);
        m_line->write(true, QStringLiteral("OnDialTone [") + hex(handle) + QLatin1Char(']'));
        m_line->fireCallEvent(TnvPopup::OnDialtoneEvent, handle);
        break;
    case LINECALLSTATE_DIALING: fire(TnvPopup::OnDialingEvent); break;
    case LINECALLSTATE_RINGBACK: fire(TnvPopup::OnRingBackEvent); break;
    case LINECALLSTATE_BUSY:
        if (record)
            record->busyMode = mode;
        if (current)
            m_line->Call()->storeBusyMode(mode);
        fire(TnvPopup::OnBusyEvent);
        break;
    case LINECALLSTATE_SPECIALINFO:
        if (record)
            record->specialInfo = mode;
        if (current)
            m_line->Call()->storeSpecialInfo(mode);
        fire(TnvPopup::OnSpecialInfoEvent);
        break;
    case LINECALLSTATE_CONNECTED:
        m_line->Comm()->fetchHandle(handle, m_line->Call()->MediaMode());
        if (record)
            record->connected = TnvClock::localNow();
        if (current)
            m_line->Call()->storeConnected(TnvClock::localNow());
        if ((record = m_line->records().find(handle)))
            m_line->Call()->RearmDetection(handle, record->origin != LINECALLORIGIN_OUTBOUND, true);
        fire(TnvPopup::OnConnectedEvent);
        break;
    case LINECALLSTATE_PROCEEDING:
        fire(TnvPopup::OnProceedingEvent);
        if ((record = m_line->records().find(handle)) && record->origin == LINECALLORIGIN_OUTBOUND)
            m_line->Call()->RearmDetection(handle, true, false);
        break;
    case LINECALLSTATE_ONHOLD: fire(TnvPopup::OnHoldEvent); break;
    case LINECALLSTATE_CONFERENCED:
        m_line->write(true, QStringLiteral("OnConferenced [") + hex(handle) + QLatin1Char(']'));
        m_line->Conference()->noteConferenced(handle, record ? record->origin : 0, mode);
        if (TnvLineView* v = m_line->view())
            v->RefreshConference(-1);
        m_line->fireCallEvent(TnvPopup::OnConferencedEvent, handle);
        break;
    case LINECALLSTATE_ONHOLDPENDCONF: fire(TnvPopup::OnHoldPendingConferenceEvent); break;
    case LINECALLSTATE_ONHOLDPENDTRANSFER: fire(TnvPopup::OnHoldPendingTransferEvent); break;
    case LINECALLSTATE_DISCONNECTED:
        m_line->Comm()->closeHandle();
        if (record)
            record->disconnectMode = mode;
        if (current)
            m_line->Call()->storeDisconnectMode(mode);
        if (mode == LINEDISCONNECTMODE_BUSY) {
            if ((record = m_line->records().find(handle)))
                record->busyMode = LINEBUSYMODE_UNAVAIL;
            const HCALL outerHolding = std::exchange(m_holdingIdle, handle);
            fire(TnvPopup::OnBusyEvent);
            m_holdingIdle = outerHolding;
        }
        if ((record = m_line->records().find(handle)))
            record->disconnected = TnvClock::localNow();
        if (current)
            m_line->Call()->storeDisconnected(TnvClock::localNow());
        m_line->write(true, QStringLiteral("OnDisconnected [") + hex(handle) + QLatin1Char(']'));
        m_line->write(false, QStringLiteral("\tCall.DisconnectMode = ") + DisconnectModeText(mode) + QStringLiteral(" [")
                         + hex(mode) + QLatin1Char(']'));
        m_line->fireCallEvent(TnvPopup::OnDisconnectedEvent, handle);
        break;
    default:
        break;
    }

    if (handle == m_line->Call()->Handle())
        m_line->Call()->LoadCallState(handle);
    if (TnvLineView* v = m_line->view()) {
        v->RefreshEnabled();
        v->RefreshCall();
        v->RefreshCallControl();
        v->RefreshInfo();
        v->RefreshConference(int(handle));
        v->RefreshTransfer(int(handle));
    }

    if (state == LINECALLSTATE_IDLE && m_line->records().find(handle)) {
        m_line->Comm()->closeHandle();
        if (TnvLineView* v = m_line->view())
            v->RefreshInfo();
        if (m_line->DeallocateCall(handle) == 0) {
            if (TnvLineView* v = m_line->view()) {
                v->RefreshEnabled();
                v->RefreshCall();
            }
            m_line->Transfer()->release(handle);
            m_line->Conference()->release(handle);
            if (TnvLineView* v = m_line->view()) {
                v->RefreshConference(-1);
                v->RefreshTransfer(-1);
            }
        }
        if (handle == m_line->Call()->Handle())
            m_line->Call()->setActiveState(false);
        m_line->write(true, QStringLiteral("OnCallIdle [") + hex(handle) + QLatin1Char(']'));
        const int delay = m_line->Device()->IdleDelay();
        if (delay != 0) {
            m_idleTimer.start(qMax(delay, 0));
            if (delay > 0) {
                m_line->write(true, QStringLiteral("\tDelaying"));
                m_line->write(false, QStringLiteral("\t\tnvLine.Device.IdleDelay = %1 //milliseconds").arg(delay));
            }
        } else if (m_line->Vantage()->Events() && m_events.OnIdle) {
            m_events.OnIdle(m_sender, int(handle));
        }
        m_line->ReadLineDevStatus();
        m_line->ReadAddressStatus();
        m_line->Call()->EndCall(false, handle);
        if (handle == m_line->Call()->Handle()) {
            passUnlessNested();
            m_line->Call()->SelectNextCall();
        }
    }
    if (TnvLineView* v = m_line->view()) {
        v->RefreshEnabled();
        v->RefreshCall();
    }
    // The call's end that its OnBusy handler brought about, now that it was disconnected.
    if (state == LINECALLSTATE_DISCONNECTED && m_holdingIdle != handle)
        for (qsizetype i = 0; i < m_heldIdle.size(); ++i)
            if (m_heldIdle[i].handle == handle) {
                const HeldIdle held = m_heldIdle.takeAt(i);
                onCallState(held.handle, LINECALLSTATE_IDLE, held.rawMode, held.privilege);
                break;
            }
}

void TnvLineDispatch::onIdleTimer()
{
    const int interval = m_idleTimer.interval();
    m_idleTimer.stop();
    if (interval != 0)
        m_line->write(true, QStringLiteral("\tnvLine.Device.IdleDelay - Complete "));
    if (m_line->Vantage()->Events() && m_events.OnIdle)
        m_events.OnIdle(m_sender, int(m_line->Call()->Handle()));
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnIdleEvent));
}

// --- Line, address, digits, media -------------------------------------------------------

void TnvLineDispatch::onAddressState(DWORD address, DWORD state)
{
    m_line->ReadAddressStatus();
    if (m_line->Popup()->flag(TnvPopup::OnAddressStateEvent))
        m_line->write(true, QStringLiteral("OnAddressState (%1 [").arg(address) + hex(state) + QStringLiteral("])"));
    if (m_line->Vantage()->Events() && m_events.OnAddressState)
        m_events.OnAddressState(m_sender, int(address), int(state));
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnAddressStateEvent));
    if (state & LINEADDRESSSTATE_FORWARD) {
        m_line->write(true, QStringLiteral("OnAddressForward (%1)").arg(address));
        if (m_line->Vantage()->Events() && m_events.OnAddressForward)
            m_events.OnAddressForward(m_sender, int(address));
        m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnAddressForwardEvent));
    }
    if (TnvLineView* v = m_line->view())
        v->RefreshAddress();
}

void TnvLineDispatch::onLineState(DWORD state, DWORD param2, DWORD param3)
{
    if (m_line->Popup()->flag(TnvPopup::OnLineStateEvent))
        m_line->write(true, QStringLiteral("OnLineState ([") + hex(state) + QStringLiteral("] [") + hex(param2)
                        + QStringLiteral("] [") + hex(param3) + QStringLiteral("])"));
    if (m_line->Vantage()->Events() && m_events.OnLineState)
        m_events.OnLineState(m_sender, int(state), int(param2), int(param3));
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnLineStateEvent));
    if (state & LINEDEVSTATE_RINGING) {
        m_line->write(true, QStringLiteral("OnRing (%1, %2)").arg(param3).arg(param2));
        if (m_line->Vantage()->Events() && m_events.OnRing)
            m_events.OnRing(m_sender, int(param3), int(param2));
        m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnRingEvent));
    }
    for (const auto& [bit, event, handler] :
         {std::tuple{LINEDEVSTATE_MSGWAITON, TnvPopup::OnMessageOnEvent, &m_events.OnMessageOn},
          std::tuple{LINEDEVSTATE_MSGWAITOFF, TnvPopup::OnMessageOffEvent, &m_events.OnMessageOff}}) {
        if (!(state & bit))
            continue;
        m_line->write(true, QLatin1String(TnvPopup::eventName(event)));
        if (m_line->Vantage()->Events() && *handler)
            (*handler)(m_sender);
        m_line->Vantage()->ShowPopup(m_line->Popup()->flag(event));
    }
    if (state & LINEDEVSTATE_DEVSPECIFIC) {
        QByteArray block;
        if (m_line->ReadDevCaps(DWORD(m_line->Device()->ID()), block) == 0)
            m_line->Device()->Capabilities()->store(block);
        if (TnvLineView* v = m_line->view())
            v->RefreshInfo();
    }
    if (state & (LINEDEVSTATE_NUMCALLS | LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_TERMINALS)) {
        m_line->ReadLineDevStatus();
        m_line->ReadAddressStatus();
    }
    if (state & LINEDEVSTATE_DISCONNECTED) {
        m_line->write(true, QStringLiteral("TAPI LINEDEVSTATE_DISCONNECTED message received"));
        m_line->CloseLine(true);
        m_line->refreshAfterDeviceChange();
    }
}

void TnvLineDispatch::onDigitsGathered(HCALL handle, DWORD termination)
{
    TnvCallRecord* record = m_line->records().find(handle);
    if (!record)
        return;
    const QString digits = QString::fromLatin1(record->gatherBuffer.data(),
                                               qsizetype(strnlen(record->gatherBuffer.data(), record->gatherBuffer.size())))
                               .left(32);
    record->gatherActive = false;
    record->gatheredDigits = digits;
    const qint32 tag = record->tag;
    m_line->write(true, QStringLiteral("OnDigitsGathered ([") + hex(handle) + QStringLiteral("] '") + digits
                    + QStringLiteral("' [") + hex(termination) + QStringLiteral("])"));
    if (handle == m_line->Call()->Handle()) {
        m_line->Call()->GatherDigits()->storeActive(false);
        if (TnvLineView* v = m_line->view()) {
            v->RefreshDigits();
            v->ShowDigitsGathered(digits);
        }
    }
    if (m_line->Vantage()->Events() && m_events.OnDigitsGathered)
        m_events.OnDigitsGathered(m_sender, int(handle), digits, int(termination), tag);
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnDigitsGatheredEvent));
}

void TnvLineDispatch::onDigitReceived(HCALL handle, DWORD digit)
{
    TnvCallRecord* record = m_line->records().find(handle);
    if (!record)
        return;
    const QChar character = QChar(char16_t(digit & 0xFF));
    const qint32 tag = record->tag;
    m_line->Call()->MonitorDigits()->appendReceived(character);
    m_line->write(true, QStringLiteral("OnDigitReceived ([") + hex(handle) + QStringLiteral("] '") + character
                    + QStringLiteral("')"));
    if (m_line->Vantage()->Events() && m_events.OnDigitReceived)
        m_events.OnDigitReceived(m_sender, int(handle), character, tag);
    m_line->Vantage()->ShowPopup(m_line->Popup()->flag(TnvPopup::OnDigitReceivedEvent));
}

void TnvLineDispatch::onMediaMode(HCALL handle, DWORD mediaMode)
{
    TnvCallRecord* record = m_line->records().find(handle);
    if (!record)
        return;
    record->mediaMode = mediaMode;
    m_line->Call()->storeMediaMode(mediaMode);
    m_line->write(true, QStringLiteral("OnCallMediaModeChange ([") + hex(handle) + QStringLiteral("])"));
    m_line->Comm()->fetchHandle(m_line->Call()->Handle(), mediaMode);
    m_line->fireCallEvent(TnvPopup::OnCallMediaModeChangeEvent, handle);
    if (TnvLineView* v = m_line->view())
        v->RefreshCall();
}
