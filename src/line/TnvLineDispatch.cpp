// The line control's message dispatch: every message of the telephony service turned
// into the control's bookkeeping, trace lines and events, in the order applications
// expect. Handlers pump the event loop (through waits and the callback itself), so each
// one re-reads what it needs after such a point.
#include "TnvConference.h"
#include "TnvLinePrivate.h"

#include "TnvCallOperations.h"
#include "TnvLine.h"
#include "TnvTransfer.h"

#include "TnvAddress.h"
#include "TnvCall.h"
#include "TnvCallerID.h"
#include "TnvGatherDigits.h"
#include "TnvLineDevice.h"
#include "TnvLineView.h"
#include "TnvMonitorDigits.h"
#include "TnvMonitorSilence.h"
#include "TnvPopup.h"
#include "TnvRelatedCommDevice.h"
#include "TnvTapiBuffer.h"
#include "TnvTerminal.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvVantage.h>

#include <QCoreApplication>
#include <QScopeGuard>

namespace {

constexpr DWORD kAllParties = LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_CONNECTEDID
    | LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID;
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

void TnvLinePrivate::writeMessageBlock(const QString& title, DWORD hDevice, DWORD message, DWORD param1, DWORD param2,
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
    write(true, title);
    write(false, QLatin1Char('\t') + MessageHandleText(message) + QStringLiteral(" = [") + hex(hDevice) + QLatin1Char(']'));
    write(false, QStringLiteral("\tMessage = ") + MessageText(message) + QStringLiteral(" [") + hex(message) + QLatin1Char(']'));
    write(false, QStringLiteral("\tParameter 1 = ") + text1 + QLatin1Char('[') + hex(param1) + QLatin1Char(']'));
    write(false, QStringLiteral("\tParameter 2 = ") + text2 + QLatin1Char('[') + hex(param2) + QLatin1Char(']'));
    write(false, QStringLiteral("\tParameter 3 = [") + hex(param3) + QLatin1Char(']'));
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

int TnvLinePrivate::messageDepth()
{
    return g_messageDepth;
}

void TnvLinePrivate::handleMessage(DWORD hDevice, DWORD message, DWORD param1, DWORD param2, DWORD param3)
{
    ++g_messageDepth;
    const auto leave = qScopeGuard([] { --g_messageDepth; });
    if (q->OnTAPIMessage)
        q->OnTAPIMessage(q, int(hDevice), int(message), int(param1), int(param2), int(param3));
    if (m_popup->flag("OnTAPIMessage")) {
        writeMessageBlock(QStringLiteral("OnTAPIMessage"), hDevice, message, param1, param2, param3);
        Vantage()->ShowPopup(true);
    }

    switch (message) {
    case LINE_ADDRESSSTATE: onAddressState(param1, param2); break;
    case LINE_CALLINFO: onCallInfo(hDevice, param1); break;
    case LINE_CALLSTATE: onCallState(hDevice, param1, param2, param3); break;
    case LINE_CLOSE:
        write(true, QStringLiteral("TAPI LINE_CLOSE message received"));
        CloseLine(true);
        refreshAfterDeviceChange();
        break;
    case LINE_DEVSPECIFIC:
    case LINE_DEVSPECIFICFEATURE: {
        const bool feature = message == LINE_DEVSPECIFICFEATURE;
        const char* name = feature ? "OnDevSpecificFeature" : "OnDevSpecific";
        if (m_popup->flag(name))
            write(true, QLatin1String(name) + QStringLiteral(" ([") + hex(hDevice) + QStringLiteral("] [") + hex(param1)
                            + QStringLiteral("] [") + hex(param2) + QStringLiteral("] [") + hex(param3)
                            + QStringLiteral("])"));
        const TNV_DevSpecific& handler = feature ? q->OnDevSpecificFeature : q->OnDevSpecific;
        if (handler)
            handler(q, int(hDevice), int(param1), int(param2), int(param3));
        Vantage()->ShowPopup(m_popup->flag(name));
        break;
    }
    case LINE_GATHERDIGITS: onDigitsGathered(hDevice, param1); break;
    case LINE_GENERATE: {
        const char* name = m_digitsGenerated ? "OnDigitsSent" : "OnToneSent";
        write(true, QLatin1String(name) + QStringLiteral(" ([") + hex(hDevice) + QStringLiteral("])"));
        fireCallEvent(name, hDevice);
        break;
    }
    case LINE_LINEDEVSTATE: onLineState(param1, param2, param3); break;
    case LINE_MONITORDIGITS: onDigitReceived(hDevice, param1); break;
    case LINE_MONITORMEDIA: onMediaMode(hDevice, param1); break;
    case LINE_MONITORTONE:
        if (param1 == kSilenceTone) {
            write(true, QStringLiteral("OnSilence ([") + hex(hDevice) + QStringLiteral("])"));
            fireCallEvent("OnSilence", hDevice);
        }
        break;
    case LINE_REPLY: onReply(param1, param2, param3); break;
    case LINE_APPNEWCALL:
        if (!m_records.find(param2))
            BeginCall(param2);
        break;
    default:
        break;
    }
    passUnlessNested();
}

// --- Replies --------------------------------------------------------------------------

void TnvLinePrivate::onReply(DWORD request, DWORD result, DWORD param3)
{
    QString label;
    if (m_waitDepth > 0) {
        m_answered.append({qint32(request), qint32(result)});
        if (m_answered.size() > 64)
            m_answered.removeFirst();
    }
    TnvCallRecord* record = m_records.findRequest(qint32(request));
    if (record) {
        for (const ReplyLabel& entry : kReplyLabels) {
            if (record->requests[entry.slot] != qint32(request))
                continue;
            label = QLatin1String(entry.label);
            record->requests[entry.slot] = -1;
            if (result == 0 && entry.listsCall)
                m_records.listHandle(*record);
            if (result == 0 && entry.slot == TnvCallRecord::SlotConferenceSetup)
                m_conference->listConsultation(record->handle);
            break;
        }
    } else if (m_terminal->requestSlot() == qint32(request)) {
        label = QStringLiteral(" - Terminal.ActiveModes");
        m_terminal->requestSlot() = -1;
    }
    if (result == 0)
        Error()->Clear();
    if (q->OnTAPIReply)
        q->OnTAPIReply(q, int(request), int(result), int(param3));
    if (result != 0 || m_popup->flag("OnTAPIReply")) {
        writeMessageBlock(QStringLiteral("OnTAPIReply") + label, 0, LINE_REPLY, request, result, param3);
        if (result != 0)
            ReportResult(false, qint32(result));
    }
    Vantage()->ShowPopup(m_popup->flag("OnTAPIReply"));
}

// --- Calls ------------------------------------------------------------------------------

LONG TnvLinePrivate::RefreshCallInfo(HCALL handle, DWORD mask)
{
    if (!m_initialised)
        return -1;
    if (handle == 0) {
        m_call->setActiveState(false);
        return 0;
    }
    QByteArray block;
    const LONG result = TnvTapiBuffer::read(sizeof(LINECALLINFO), block, [&](char* data) {
        return lineGetCallInfo(handle, reinterpret_cast<LINECALLINFO*>(data));
    });
    if (result != 0)
        return result;
    const LINECALLINFO& info = TnvTapiBuffer::fields<LINECALLINFO>(block);
    if (TnvCallRecord* record = m_records.find(handle)) {
        record->id = info.dwCallID;
        record->address = qint32(info.dwAddressID);
        record->mediaMode = info.dwMediaMode;
        record->bearerMode = info.dwBearerMode;
        record->origin = info.dwOrigin;
        record->reason = info.dwReason;
        record->owners = qint32(info.dwNumOwners);
        record->monitors = qint32(info.dwNumMonitors);
        if (handle == m_call->Handle())
            m_call->storeOriginatingApp(TnvTapiBuffer::text(block, info.dwAppNameSize, info.dwAppNameOffset));
        TnvCallerID::fillParties(record->parties, block, mask);
    }
    if (handle == m_call->Handle())
        m_call->LoadCallState(handle);
    if (TnvLineView* v = view())
        v->RefreshCall();
    return 0;
}

TnvCallRecord* TnvLinePrivate::BeginCall(HCALL handle)
{
    const auto announceBegin = [this, handle] {
        write(true, QStringLiteral("OnCallBegin [") + hex(handle) + QLatin1Char(']'));
        write(false, QStringLiteral("\tCall.Began = ") + QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
        fireCallEvent("OnCallBegin", handle);
    };
    TnvCallRecord* record = nullptr;
    if (m_call->Count() == 0) {
        m_call->ResetProperties();
        m_call->ResetParties();
        m_call->setHandleValue(handle);
        m_call->SwitchOffDetection();
        m_call->setActiveState(true);
        record = m_records.add(handle);
        m_call->storeBegan(QDateTime::currentDateTime());
        m_call->SaveCallState(handle);
        RefreshCallInfo(handle, kAllParties);
        announceBegin();
    } else if (!(record = m_records.find(handle))) {
        record = m_records.add(handle);
        record->began = QDateTime::currentDateTime();
        m_call->SeedDetection(*record);
        if (m_call->Active())
            m_call->LoadCallState(handle);
        announceBegin();
    } else if (handle == m_call->Handle()) {
        RefreshCallInfo(handle, kAllParties);
        m_call->SaveCallState(handle);
    }
    if (const TnvCallRecord* begun = m_records.find(handle))
        m_conference->noteConferenceCall(handle, begun->origin);
    m_call->RefreshCallStatus(false);
    ReadLineDevStatus();
    ReadAddressStatus();
    m_call->LoadCallState(handle);
    if (TnvLineView* v = view()) {
        v->RefreshEnabled();
        v->RefreshCall();
    }
    return m_records.find(handle);
}

void TnvLinePrivate::onCallInfo(HCALL handle, DWORD states)
{
    if (!m_records.find(handle)) {
        if (states == LINECALLINFOSTATE_NUMMONITORS)
            return;
        BeginCall(handle);
    }
    const LONG refreshed = RefreshCallInfo(handle, states);
    if (m_popup->flag("OnCallInfo"))
        write(true, QStringLiteral("OnCallInfo ([") + hex(handle) + QStringLiteral("] [") + hex(states)
                        + QStringLiteral("])"));
    if (Vantage()->Events() && q->OnCallInfo)
        q->OnCallInfo(q, int(handle), int(states));
    Vantage()->ShowPopup(m_popup->flag("OnCallInfo"));
    if (refreshed == LONG(LINEERR_INVALCALLHANDLE)) {
        m_call->EndCall(true, handle);
        return;
    }
    if (TnvCallRecord* record = m_records.find(handle))
        TnvCallerID::announceParties(this, record->parties, handle, states, 0);
}

void TnvLinePrivate::onCallState(HCALL handle, DWORD state, DWORD rawMode, DWORD privilege)
{
    const DWORD mode = rawMode & 0xFFFF;
    if (handle == m_call->Handle())
        m_call->storeState(state, rawMode);
    if (m_popup->flag("OnCallState")) {
        write(true, QStringLiteral("OnCallState ([") + hex(handle) + QStringLiteral("] [") + hex(state)
                        + QStringLiteral("] [") + hex(rawMode) + QStringLiteral("] [") + hex(privilege)
                        + QStringLiteral("])"));
        write(false, QStringLiteral("\tCall.State = ") + CallStateText(state) + QStringLiteral(" [")
                         + hex(m_call->State()) + QLatin1Char(']'));
        write(false, QStringLiteral("\tCall.StateMode = ") + CallStateModeText(state, mode) + QStringLiteral(" [")
                         + hex(m_call->StateMode()) + QLatin1Char(']'));
    }
    if (Vantage()->Events() && q->OnCallState)
        q->OnCallState(q, int(handle), int(state), int(rawMode), int(privilege));
    Vantage()->ShowPopup(m_popup->flag("OnCallState"));

    TnvCallRecord* record = m_records.find(handle);
    if (!record)
        record = BeginCall(handle);
    if (!record)
        return;
    record->state = state;
    record->stateMode = mode;
    const bool wasOwner = record->owner;
    if (handle == m_call->Handle()) {
        m_call->RefreshCallStatus(false);
        RefreshCallInfo(handle, 0);
    }
    record = m_records.find(handle);
    if (record && record->owner != wasOwner) {
        write(true, QStringLiteral("OnCallOwnerChange [") + hex(handle) + QLatin1Char(']'));
        fireCallEvent("OnCallOwnerChange", handle);
    }

    const bool current = handle == m_call->Handle();
    const auto fire = [&](const char* name) {
        write(true, QLatin1String(name) + QStringLiteral(" [") + hex(handle) + QLatin1Char(']'));
        fireCallEvent(name, handle);
    };
    record = m_records.find(handle);
    switch (state) {
    case LINECALLSTATE_OFFERING:
        fire("OnOffering");
        if ((record = m_records.find(handle)))
            TnvCallerID::announceParties(this, record->parties, handle, kAllParties,
                                         LINECALLPARTYID_UNKNOWN | LINECALLPARTYID_UNAVAIL);
        break;
    case LINECALLSTATE_DIALTONE:
        if (record)
            record->dialtoneMode = mode;
        if (current)
            m_call->storeDialtoneMode(mode);
        write(true, QStringLiteral("OnDialTone [") + hex(handle) + QLatin1Char(']'));
        fireCallEvent("OnDialtone", handle);
        break;
    case LINECALLSTATE_DIALING: fire("OnDialing"); break;
    case LINECALLSTATE_RINGBACK: fire("OnRingBack"); break;
    case LINECALLSTATE_BUSY:
        if (record)
            record->busyMode = mode;
        if (current)
            m_call->storeBusyMode(mode);
        fire("OnBusy");
        break;
    case LINECALLSTATE_SPECIALINFO:
        if (record)
            record->specialInfo = mode;
        if (current)
            m_call->storeSpecialInfo(mode);
        fire("OnSpecialInfo");
        break;
    case LINECALLSTATE_CONNECTED:
        m_comm->fetchHandle(handle, m_call->MediaMode());
        if (record)
            record->connected = QDateTime::currentDateTime();
        if (current)
            m_call->storeConnected(QDateTime::currentDateTime());
        if ((record = m_records.find(handle)))
            m_call->RearmDetection(handle, record->origin != LINECALLORIGIN_OUTBOUND, true);
        fire("OnConnected");
        break;
    case LINECALLSTATE_PROCEEDING:
        fire("OnProceeding");
        if ((record = m_records.find(handle)) && record->origin == LINECALLORIGIN_OUTBOUND)
            m_call->RearmDetection(handle, true, false);
        break;
    case LINECALLSTATE_ONHOLD: fire("OnHold"); break;
    case LINECALLSTATE_CONFERENCED:
        write(true, QStringLiteral("OnConferenced [") + hex(handle) + QLatin1Char(']'));
        m_conference->noteConferenced(handle, record ? record->origin : 0, mode);
        if (TnvLineView* v = view())
            v->RefreshConference(-1);
        fireCallEvent("OnConferenced", handle);
        break;
    case LINECALLSTATE_ONHOLDPENDCONF: fire("OnHoldPendingConference"); break;
    case LINECALLSTATE_ONHOLDPENDTRANSFER: fire("OnHoldPendingTransfer"); break;
    case LINECALLSTATE_DISCONNECTED:
        m_comm->closeHandle();
        if (record)
            record->disconnectMode = mode;
        if (current)
            m_call->storeDisconnectMode(mode);
        if (mode == LINEDISCONNECTMODE_BUSY) {
            if ((record = m_records.find(handle)))
                record->busyMode = LINEBUSYMODE_UNAVAIL;
            fire("OnBusy");
        }
        if ((record = m_records.find(handle)))
            record->disconnected = QDateTime::currentDateTime();
        if (current)
            m_call->storeDisconnected(QDateTime::currentDateTime());
        write(true, QStringLiteral("OnDisconnected [") + hex(handle) + QLatin1Char(']'));
        write(false, QStringLiteral("\tCall.DisconnectMode = ") + DisconnectModeText(mode) + QStringLiteral(" [")
                         + hex(mode) + QLatin1Char(']'));
        fireCallEvent("OnDisconnected", handle);
        break;
    default:
        break;
    }

    if (handle == m_call->Handle())
        m_call->LoadCallState(handle);
    if (TnvLineView* v = view()) {
        v->RefreshEnabled();
        v->RefreshCall();
        v->RefreshCallControl();
        v->RefreshInfo();
        v->RefreshConference(int(handle));
        v->RefreshTransfer(int(handle));
    }

    if (state == LINECALLSTATE_IDLE && m_records.find(handle)) {
        m_comm->closeHandle();
        if (TnvLineView* v = view())
            v->RefreshInfo();
        if (DeallocateCall(handle) == 0) {
            if (TnvLineView* v = view()) {
                v->RefreshEnabled();
                v->RefreshCall();
            }
            m_transfer->release(handle);
            m_conference->release(handle);
            if (TnvLineView* v = view()) {
                v->RefreshConference(-1);
                v->RefreshTransfer(-1);
            }
        }
        if (handle == m_call->Handle())
            m_call->setActiveState(false);
        write(true, QStringLiteral("OnCallIdle [") + hex(handle) + QLatin1Char(']'));
        const int delay = m_device->IdleDelay();
        if (delay != 0) {
            m_idleTimer.start(qMax(delay, 0));
            if (delay > 0) {
                write(true, QStringLiteral("\tDelaying"));
                write(false, QStringLiteral("\t\tnvLine.Device.IdleDelay = %1 //milliseconds").arg(delay));
            }
        } else if (Vantage()->Events() && q->OnIdle) {
            q->OnIdle(q, int(handle));
        }
        ReadLineDevStatus();
        ReadAddressStatus();
        m_call->EndCall(false, handle);
        if (handle == m_call->Handle()) {
            passUnlessNested();
            m_call->SelectNextCall();
        }
    }
    if (TnvLineView* v = view()) {
        v->RefreshEnabled();
        v->RefreshCall();
    }
}

void TnvLinePrivate::onIdleTimer()
{
    const int interval = m_idleTimer.interval();
    m_idleTimer.stop();
    if (interval != 0)
        write(true, QStringLiteral("\tnvLine.Device.IdleDelay - Complete "));
    if (Vantage()->Events() && q->OnIdle)
        q->OnIdle(q, int(m_call->Handle()));
    Vantage()->ShowPopup(m_popup->flag("OnIdle"));
}

// --- Line, address, digits, media -------------------------------------------------------

void TnvLinePrivate::onAddressState(DWORD address, DWORD state)
{
    ReadAddressStatus();
    if (m_popup->flag("OnAddressState"))
        write(true, QStringLiteral("OnAddressState (%1 [").arg(address) + hex(state) + QStringLiteral("])"));
    if (Vantage()->Events() && q->OnAddressState)
        q->OnAddressState(q, int(address), int(state));
    Vantage()->ShowPopup(m_popup->flag("OnAddressState"));
    if (state & LINEADDRESSSTATE_FORWARD) {
        write(true, QStringLiteral("OnAddressForward (%1)").arg(address));
        if (Vantage()->Events() && q->OnAddressForward)
            q->OnAddressForward(q, int(address));
        Vantage()->ShowPopup(m_popup->flag("OnAddressForward"));
    }
    if (TnvLineView* v = view())
        v->RefreshAddress();
}

void TnvLinePrivate::onLineState(DWORD state, DWORD param2, DWORD param3)
{
    if (m_popup->flag("OnLineState"))
        write(true, QStringLiteral("OnLineState ([") + hex(state) + QStringLiteral("] [") + hex(param2)
                        + QStringLiteral("] [") + hex(param3) + QStringLiteral("])"));
    if (Vantage()->Events() && q->OnLineState)
        q->OnLineState(q, int(state), int(param2), int(param3));
    Vantage()->ShowPopup(m_popup->flag("OnLineState"));
    if (state & LINEDEVSTATE_RINGING) {
        write(true, QStringLiteral("OnRing (%1, %2)").arg(param3).arg(param2));
        if (Vantage()->Events() && q->OnRing)
            q->OnRing(q, int(param3), int(param2));
        Vantage()->ShowPopup(m_popup->flag("OnRing"));
    }
    for (const auto& [bit, name, handler] : {std::tuple{LINEDEVSTATE_MSGWAITON, "OnMessageOn", &q->OnMessageOn},
                                             std::tuple{LINEDEVSTATE_MSGWAITOFF, "OnMessageOff", &q->OnMessageOff}}) {
        if (!(state & bit))
            continue;
        write(true, QLatin1String(name));
        if (Vantage()->Events() && *handler)
            (*handler)(q);
        Vantage()->ShowPopup(m_popup->flag(name));
    }
    if (state & LINEDEVSTATE_DEVSPECIFIC) {
        QByteArray block;
        if (ReadDevCaps(DWORD(m_device->ID()), block) == 0)
            m_device->Capabilities()->store(block);
        if (TnvLineView* v = view())
            v->RefreshInfo();
    }
    if (state & (LINEDEVSTATE_NUMCALLS | LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_TERMINALS)) {
        ReadLineDevStatus();
        ReadAddressStatus();
    }
    if (state & LINEDEVSTATE_DISCONNECTED) {
        write(true, QStringLiteral("TAPI LINEDEVSTATE_DISCONNECTED message received"));
        CloseLine(true);
        refreshAfterDeviceChange();
    }
}

void TnvLinePrivate::onDigitsGathered(HCALL handle, DWORD termination)
{
    TnvCallRecord* record = m_records.find(handle);
    if (!record)
        return;
    const QString digits = QString::fromLatin1(record->gatherBuffer.data(),
                                               qsizetype(strnlen(record->gatherBuffer.data(), record->gatherBuffer.size())))
                               .left(32);
    record->gatherActive = false;
    record->gatheredDigits = digits;
    const qint32 tag = record->tag;
    write(true, QStringLiteral("OnDigitsGathered ([") + hex(handle) + QStringLiteral("] '") + digits
                    + QStringLiteral("' [") + hex(termination) + QStringLiteral("])"));
    if (handle == m_call->Handle()) {
        m_call->GatherDigits()->storeActive(false);
        if (TnvLineView* v = view()) {
            v->RefreshDigits();
            v->ShowDigitsGathered(digits);
        }
    }
    if (Vantage()->Events() && q->OnDigitsGathered)
        q->OnDigitsGathered(q, int(handle), digits, int(termination), tag);
    Vantage()->ShowPopup(m_popup->flag("OnDigitsGathered"));
}

void TnvLinePrivate::onDigitReceived(HCALL handle, DWORD digit)
{
    TnvCallRecord* record = m_records.find(handle);
    if (!record)
        return;
    const QChar character = QChar(char16_t(digit & 0xFF));
    const qint32 tag = record->tag;
    m_call->MonitorDigits()->appendReceived(character);
    write(true, QStringLiteral("OnDigitReceived ([") + hex(handle) + QStringLiteral("] '") + character
                    + QStringLiteral("')"));
    if (Vantage()->Events() && q->OnDigitReceived)
        q->OnDigitReceived(q, int(handle), character, tag);
    Vantage()->ShowPopup(m_popup->flag("OnDigitReceived"));
}

void TnvLinePrivate::onMediaMode(HCALL handle, DWORD mediaMode)
{
    TnvCallRecord* record = m_records.find(handle);
    if (!record)
        return;
    record->mediaMode = mediaMode;
    m_call->storeMediaMode(mediaMode);
    write(true, QStringLiteral("OnCallMediaModeChange ([") + hex(handle) + QStringLiteral("])"));
    m_comm->fetchHandle(m_call->Handle(), mediaMode);
    fireCallEvent("OnCallMediaModeChange", handle);
    if (TnvLineView* v = view())
        v->RefreshCall();
}
