// The operations on calls: each writes its method lines, hands the request to the
// service, waits for the reply where the service answers later, and leaves its outcome
// in the control's last error.

#include "TnvCall.h"

#include "TnvAddress.h"
#include "TnvCallParameters.h"
#include "TnvCallerID.h"
#include "TnvLineDevice.h"
#include "TnvLineInternal.h"
#include "TnvLineLine.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvError.h>
#include <TnvVantage.h>

namespace {

// TAPI's own reply time-out code.
constexpr qint32 kReplyTimeout = TnvLineInternal::ReplyTimeoutCode;

QString closing(const QString& name, const QString& handle, bool result)
{
    return QLatin1Char('\t') + name + QStringLiteral(" [") + handle + QStringLiteral("] - Returned = ")
           + TnvVantage::BoolText(result);
}

} // namespace

QByteArray TnvCall::prepareNumber(const QString& number) const
{
    // Every text for the service carries its terminating NUL explicitly.
    return m_line->StripPhoneFormatting(number).toUtf8() + '\0';
}

void TnvCall::refreshStatus()
{
    m_line->ReadLineDevStatus();
    m_line->ReadAddressStatus();
}

void TnvCall::afterOperation(HCALL handle)
{
    if (EndCall(false, handle))
        SelectNextCall();
    else if (handle == m_handle)
        SaveCallState(handle);
}

void TnvCall::beginNewCall(HCALL handle)
{
    setHandle(handle);
    m_active = true;
    m_owner = true;
    m_began = QDateTime::currentDateTime();
    SaveCallState(handle);
    announceBegin(handle);
}

qint32 TnvCall::awaitReply(TnvCallRecord& record, TnvCallRecord::Slot slot, LONG request)
{
    if (request <= 0)
        return qint32(request);
    // Held, so a handler ending the call during the wait leaves the slot valid. A handler
    // may also run an operation again inside this wait; the outer request keeps its slot.
    const RecordPtr held = keep(&record);
    qint32& pending = record.requests[slot];
    const qint32 outer = pending;
    pending = qint32(request);
    const bool timedOut = m_line->WaitForReply(pending);
    pending = outer;
    return timedOut ? kReplyTimeout : 0;
}

bool TnvCall::replyArrives(TnvCallRecord& record, TnvCallRecord::Slot slot, LONG request)
{
    if (request <= 0 || awaitReply(record, slot, request) == 0)
        return true;
    m_line->ReportResult(false, kReplyTimeout);
    return false;
}

TnvCall::RecordPtr TnvCall::pairRecord(HCALL primary, HCALL consult)
{
    RecordPtr record = primary != 0 && consult != 0 ? keep(FindCallRecord(primary)) : nullptr;
    if (!record)
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
    return record;
}

void TnvCall::selectAfterFailure(HCALL handle)
{
    const qint32 failure = m_line->Error()->Number();
    setHandle(handle);
    if (failure != 0)
        m_line->restoreError(failure);
}

bool TnvCall::swapHold(const QString& name, HCALL primary, HCALL consult)
{
    m_line->write(true, name);
    bool result = false;
    if (primary == 0 || consult == 0) {
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
    } else {
        m_line->Error()->Clear();
        setHandle(primary);
        const RecordPtr record = keep(FindCallRecord(primary));
        const bool primaryActive = savedState(primary) == LINECALLSTATE_CONNECTED;
        const LONG request = primaryActive ? lineSwapHold(primary, consult) : lineSwapHold(consult, primary);
        if (request < 0)
            m_line->ReportResult(false, qint32(request));
        else
            replyArrives(record ? *record : CurrentRecord(), TnvCallRecord::SlotSwapHold, request);
        result = m_line->Error()->Number() == 0;
    }
    m_line->write(true, QLatin1Char('\t') + name + QStringLiteral(" - Returned = ") + TnvVantage::BoolText(result));
    return result;
}

void TnvCall::announceBegin(HCALL handle)
{
    m_line->write(true, QStringLiteral("OnCallBegin [") + hex(handle) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tCall.Began = ") + m_began.toString(QStringLiteral("hh:mm:ss")));
    m_line->fireCallEvent("OnCallBegin", handle);
}

template<typename Start>
bool TnvCall::runFrame(const QString& opening, const char* name, TnvCallRecord::Slot slot, Frame frame, Start start)
{
    m_line->write(true, opening);
    const HCALL handle = m_handle;
    // Hang-up reports its failure only after its closing line.
    qint32 late = 0;
    const auto fail = [&](qint32 code) {
        if (frame == Frame::LateErrors)
            late = code;
        else
            m_line->ReportResult(false, code);
    };
    bool result = false;
    if (handle == 0) {
        fail(qint32(LINEERR_INVALCALLHANDLE));
    } else {
        if (frame != Frame::ClearOnRequest && frame != Frame::SaveOnly)
            m_line->Error()->Clear();
        TnvCallRecord* record = FindCallRecord(handle);
        TnvCallRecord& target = record ? *record : CurrentRecord();
        const LONG request = start(handle);
        if (request > 0) {
            if (frame == Frame::ClearOnRequest || frame == Frame::SaveOnly)
                m_line->Error()->Clear();
            if (awaitReply(target, slot, request) != 0) {
                fail(kReplyTimeout);
            } else {
                result = m_line->Error()->Number() == 0;
                if (!result && frame == Frame::LateErrors)
                    late = m_line->Error()->Number();
            }
        } else if (request < 0) {
            fail(request);
        } else {
            result = m_line->Error()->Number() == 0;
        }
    }
    m_line->write(true, closing(QStringLiteral("Call.") + QLatin1String(name), hex(handle), result));
    if (late != 0)
        m_line->ReportResult(false, late);
    refreshStatus();
    if (handle != 0) {
        // Once the wait let another call be selected, the visible properties are that
        // call's and must not overwrite this one's record.
        if (frame == Frame::SaveOnly) {
            if (handle == m_handle)
                SaveCallState(handle);
        } else
            afterOperation(handle);
    }
    return result;
}

bool TnvCall::Answer()
{
    return runFrame(QStringLiteral("Call.Answer [") + hex(m_handle) + QLatin1Char(']'), "Answer",
                    TnvCallRecord::SlotAnswer, Frame::Plain, [](HCALL h) { return lineAnswer(h, nullptr, 0); });
}

bool TnvCall::Hangup()
{
    return runFrame(QStringLiteral("Call.Hangup [") + hex(m_handle) + QLatin1Char(']'), "Hangup",
                    TnvCallRecord::SlotDrop, Frame::LateErrors, [](HCALL h) { return lineDrop(h, nullptr, 0); });
}

bool TnvCall::Hold()
{
    return runFrame(QStringLiteral("Call.Hold [") + hex(m_handle) + QLatin1Char(']'), "Hold", TnvCallRecord::SlotHold,
                    Frame::SaveOnly, [](HCALL h) { return lineHold(h); });
}

bool TnvCall::Unhold()
{
    return runFrame(QStringLiteral("Call.Unhold [") + hex(m_handle) + QLatin1Char(']'), "Unhold",
                    TnvCallRecord::SlotUnhold, Frame::SaveOnly, [](HCALL h) { return lineUnhold(h); });
}

bool TnvCall::Transfer()
{
    const QByteArray number = prepareNumber(m_phoneNumber);
    return runFrame(QStringLiteral("Call.Transfer [") + hex(m_handle) + QLatin1Char(']'), "Transfer",
                    TnvCallRecord::SlotBlindTransfer, Frame::ClearOnRequest,
                    [&](HCALL h) { return lineBlindTransfer(h, number.constData(), 0); });
}

bool TnvCall::Redirect(const QString& phoneNumber)
{
    const QByteArray number = prepareNumber(phoneNumber);
    return runFrame(QStringLiteral("Call.Redirect (") + phoneNumber + QStringLiteral(") [") + hex(m_handle)
                        + QLatin1Char(']'),
                    "Redirect", TnvCallRecord::SlotRedirect, Frame::Plain,
                    [&](HCALL h) { return lineRedirect(h, number.constData(), 0); });
}

bool TnvCall::Park(const QString& phoneNumber)
{
    const QByteArray number = prepareNumber(phoneNumber);
    return runFrame(QStringLiteral("Call.Park (") + phoneNumber + QStringLiteral(") [") + hex(m_handle)
                        + QLatin1Char(']'),
                    "Park", TnvCallRecord::SlotPark, Frame::Plain,
                    [&](HCALL h) { return linePark(h, LINEPARKMODE_DIRECTED, number.constData(), nullptr); });
}

bool TnvCall::Dial()
{
    m_line->write(true, QStringLiteral("Call.Dial [") + hex(m_handle) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tCall.PhoneNumber = ") + m_phoneNumber);
    if (!m_line->Device()->Active()) {
        m_line->ReportResult(false, qint32(LINEERR_UNINITIALIZED));
        return false;
    }
    m_line->Error()->Clear();
    const QByteArray number = prepareNumber(m_phoneNumber);
    LONG request = 0;
    if (m_handle != 0) {
        // More digits on a call that has dial tone.
        TnvCallRecord* record = FindCallRecord(m_handle);
        request = lineDial(m_handle, number.constData(), 0);
        replyArrives(record ? *record : CurrentRecord(), TnvCallRecord::SlotDial, request);
    } else {
        ResetProperties();
        ResetParties();
        bool timedOut = false;
        request = startNewCall(TnvCallRecord::SlotMakeCall, NewCall::Dial, &timedOut, [&](HCALL* out) {
            return lineMakeCall(m_line->Line()->Handle(), out, number.constData(), 0, m_parameters->block());
        });
        if (timedOut) {
            m_line->write(true, closing(QStringLiteral("Call.Dial"), hex(m_handle), false));
            refreshViews();
            return false;
        }
    }
    bool result = false;
    if (request < 0)
        m_line->ReportResult(false, request);
    else if (m_line->Error()->Number() == 0) {
        result = true;
        refreshStatus();
    }
    m_line->write(true, closing(QStringLiteral("Call.Dial"), hex(m_handle), result));
    refreshViews();
    return result;
}

LONG TnvCall::startNewCall(TnvCallRecord::Slot slot, NewCall kind, bool* timedOut,
                           const std::function<LONG(HCALL*)>& start)
{
    const RecordPtr record = keep(AddCallRecord(0));
    // A new call starts with gathering and monitoring off.
    SeedDetection(*record);
    qint32& pending = record->requests[slot];
    const LONG request = start(&record->handle);
    pending = request;
    if (request > 0) {
        m_active = true;
        if (m_line->WaitForReply(pending)) {
            m_line->ReportResult(false, kReplyTimeout);
            if (kind != NewCall::Pickup) {
                // The service may still fill the handle, so the memory stays.
                retire(record);
                m_active = false;
                *timedOut = true;
                return request;
            }
        } else if (m_line->Error()->Number() == 0) {
            pending = 0;
            const HCALL handle = record->handle;
            // The reply handler lists the call; a record it left unlisted is listed here.
            if (holdsRecord(record.get()))
                listHandle(*record);
            if (kind != NewCall::Dial)
                setHandle(handle);
            m_owner = true;
            m_began = QDateTime::currentDateTime();
            SaveCallState(handle);
            if (kind == NewCall::Dial)
                setHandle(handle);
            announceBegin(handle);
        }
        pending = 0;
    } else if (request < 0) {
        m_handle = 0;
        m_active = false;
        RemoveCallRecord(record.get());
        if (kind == NewCall::Pickup)
            m_line->ReportResult(false, request);
    }
    if (kind == NewCall::Pickup && m_line->Error()->Number() != 0) {
        retire(record);
        m_active = false;
    }
    return request;
}

bool TnvCall::Unpark(const QString& phoneNumber)
{
    m_line->write(true, QStringLiteral("Call.Unpark (") + phoneNumber + QStringLiteral(") [") + hex(m_handle)
                            + QLatin1Char(']'));
    m_line->Error()->Clear();
    const QByteArray number = prepareNumber(phoneNumber);
    ResetParties();
    bool timedOut = false;
    const LONG request = startNewCall(TnvCallRecord::SlotUnpark, NewCall::Unpark, &timedOut, [&](HCALL* out) {
        return lineUnpark(m_line->Line()->Handle(), DWORD(m_line->Address()->ID()), out, number.constData());
    });
    bool result = false;
    if (!timedOut) {
        if (request < 0)
            m_line->ReportResult(false, request);
        else if (m_line->Error()->Number() == 0) {
            result = true;
            refreshStatus();
        }
    }
    m_line->write(true, closing(QStringLiteral("Call.Unpark"), hex(m_handle), result));
    refreshViews();
    return result;
}

bool TnvCall::Pickup(const QString& phoneNumber, const QString& groupID)
{
    m_line->write(true, QStringLiteral("Call.Pickup (") + phoneNumber + QStringLiteral(", ") + groupID
                            + QStringLiteral(") [") + hex(m_handle) + QLatin1Char(']'));
    bool result = false;
    if (m_handle != 0) {
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
    } else {
        m_line->Error()->Clear();
        const QByteArray number = prepareNumber(phoneNumber);
        const QByteArray group = groupID.toUtf8() + '\0';
        ResetParties();
        bool timedOut = false;
        startNewCall(TnvCallRecord::SlotPickup, NewCall::Pickup, &timedOut, [&](HCALL* out) {
            return linePickup(m_line->Line()->Handle(), DWORD(m_line->Address()->ID()), out, number.constData(),
                              group.constData());
        });
        result = m_line->Error()->Number() == 0;
    }
    refreshStatus();
    m_line->write(true, closing(QStringLiteral("Call.Pickup"), hex(m_handle), result));
    refreshViews();
    return result;
}

bool TnvCall::Handoff(const QString& application)
{
    const HCALL handle = m_handle;
    m_line->write(true, QStringLiteral("Call.Handoff [") + hex(handle) + QLatin1Char(']'));
    const bool wasOwner = m_owner;
    const QByteArray target = application.toUtf8() + '\0';
    bool result = false;
    const LONG handed = lineHandoff(handle, target.constData(), 0);
    if (handed < 0) {
        m_line->ReportResult(false, handed);
    } else {
        m_line->Error()->Clear();
        result = true;
        lineSetCallPrivilege(handle, LINECALLPRIVILEGE_MONITOR);
        RefreshCallStatus(true);
        m_line->RefreshCallInfo(handle, 0);
        if (m_owner != wasOwner) {
            m_line->write(true, QStringLiteral("OnCallOwnerChange [") + hex(handle) + QLatin1Char(']'));
            m_line->write(false, QStringLiteral("\tCall.Owner = ") + TnvVantage::BoolText(m_owner));
            m_line->fireCallEvent("OnCallOwnerChange", handle);
        }
    }
    m_line->write(true, closing(QStringLiteral("Call.Handoff"), hex(handle), result));
    refreshStatus();
    return result;
}

bool TnvCall::SendDigits(const QString& digits, int duration)
{
    m_line->Error()->Clear();
    m_line->write(true, QStringLiteral("Call.SendDigits (") + digits + QStringLiteral(") [") + hex(m_handle)
                            + QLatin1Char(']'));
    m_line->setDigitsGenerated(true);
    const QByteArray text = digits.toUtf8() + '\0';
    const LONG generated = lineGenerateDigits(m_handle, LINEDIGITMODE_DTMF, text.constData(), DWORD(qMax(0, duration)));
    const bool result = generated == 0;
    if (!result)
        m_line->ReportResult(false, generated);
    m_line->write(true, closing(QStringLiteral("Call.SendDigits"), hex(m_handle), result));
    return result;
}

bool TnvCall::SendTone(DWORD tone, int duration)
{
    m_line->write(true, QStringLiteral("Call.SendTone (") + hex(tone) + QStringLiteral(", ") + QString::number(duration)
                            + QStringLiteral(") [") + hex(m_handle) + QLatin1Char(']'));
    m_line->setDigitsGenerated(false);
    const LONG generated = lineGenerateTone(m_handle, tone, DWORD(qMax(0, duration)), 0, nullptr);
    const bool result = generated >= 0;
    if (result)
        m_line->Error()->Clear();
    else
        m_line->ReportResult(false, generated);
    m_line->write(true, closing(QStringLiteral("Call.SendTone"), hex(m_handle), result));
    return result;
}
