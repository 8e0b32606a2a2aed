// The operations on calls: each writes its method lines, hands the request to the
// service, waits for the reply where the service answers later, and leaves its outcome
// in the control's last error.

#include "TnvCallOperations.h"

#include "TnvCall.h"
#include "TnvCallParameters.h"
#include "TnvCallerID.h"
#include "TnvLineContext.h"
#include "TnvLineDevice.h"
#include "TnvLineLine.h"
#include "TnvLocalClock.h"
#include "TnvTapiBuffer.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvClock.h>
#include <TnvError.h>
#include <TnvNotation.h>
#include <TnvTAPI.h>
#include <TnvVantage.h>

#include <QScopeGuard>

namespace {

// TAPI's own reply time-out code.
constexpr qint32 kReplyTimeout = TnvLineContext::ReplyTimeoutCode;

// The output block of an address translation: the fixed part and room for both strings.
constexpr DWORD kTranslateBlock = 168;
// Longer input is no phone number; the service would refuse it anyway.
constexpr qsizetype kMaxNumberLength = 1024;

QString closing(const QString& name, const QString& handle, bool result)
{
    return QLatin1Char('\t') + name + QStringLiteral(" [") + handle + QStringLiteral("] - Returned = ")
           + TnvVantage::BoolText(result);
}

} // namespace

TnvCallOperations::TnvCallOperations(TnvLineContext* line, TnvCall* call)
    : m_line(line)
    , m_call(call)
    , m_records(line->records())
{
}

QByteArray TnvCallOperations::prepareNumber(const QString& number) const
{
    // Every text for the service carries its terminating NUL explicitly.
    return m_line->StripPhoneFormatting(number).toUtf8() + '\0';
}

void TnvCallOperations::refreshStatus()
{
    m_line->ReadLineDevStatus();
    m_line->ReadAddressStatus();
}

void TnvCallOperations::afterOperation(HCALL handle)
{
    if (m_call->EndCall(false, handle))
        m_call->SelectNextCall();
    else if (handle == m_call->m_handle)
        m_call->SaveCallState(handle);
}

void TnvCallOperations::beginNewCall(HCALL handle)
{
    m_call->setHandle(handle);
    m_call->m_active = true;
    m_call->m_owner = true;
    m_call->m_began = TnvClock::localNow();
    m_call->SaveCallState(handle);
    announceBegin(handle);
}

qint32 TnvCallOperations::awaitReply(TnvCallRecord& record, TnvCallRecord::Slot slot, LONG request)
{
    if (request <= 0)
        return qint32(request);
    // Held, so a handler ending the call during the wait leaves the slot valid. A handler
    // may also run an operation again inside this wait; the outer request keeps its slot.
    const RecordPtr held = m_records.keep(&record);
    qint32& pending = record.requests[slot];
    const qint32 outer = pending;
    pending = qint32(request);
    const bool timedOut = m_line->WaitForReply(pending);
    pending = outer;
    return timedOut ? kReplyTimeout : 0;
}

bool TnvCallOperations::replyArrives(TnvCallRecord& record, TnvCallRecord::Slot slot, LONG request)
{
    if (request <= 0 || awaitReply(record, slot, request) == 0)
        return true;
    m_line->ReportResult(false, kReplyTimeout);
    return false;
}

TnvCallOperations::RecordPtr TnvCallOperations::pairRecord(HCALL primary, HCALL consult)
{
    RecordPtr record = primary != 0 && consult != 0 ? m_records.keep(m_records.find(primary)) : nullptr;
    if (!record)
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
    return record;
}

void TnvCallOperations::selectAfterFailure(HCALL handle)
{
    const qint32 failure = m_line->Error()->Number();
    m_call->setHandle(handle);
    if (failure != 0)
        m_line->restoreError(failure);
}

bool TnvCallOperations::swapHold(const QString& name, HCALL primary, HCALL consult)
{
    m_line->write(true, name);
    bool result = false;
    if (primary == 0 || consult == 0) {
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
    } else {
        m_line->Error()->Clear();
        m_call->setHandle(primary);
        const RecordPtr record = m_records.keep(m_records.find(primary));
        const bool primaryActive = m_records.savedState(primary) == LINECALLSTATE_CONNECTED;
        const LONG request = primaryActive ? lineSwapHold(primary, consult) : lineSwapHold(consult, primary);
        if (request < 0)
            m_line->ReportResult(false, qint32(request));
        else
            replyArrives(record ? *record : m_records.current(), TnvCallRecord::SlotSwapHold, request);
        result = m_line->Error()->Number() == 0;
    }
    m_line->write(true, QLatin1Char('\t') + name + QStringLiteral(" - Returned = ") + TnvVantage::BoolText(result));
    return result;
}

void TnvCallOperations::announceBegin(HCALL handle)
{
    m_line->write(true, QStringLiteral("OnCallBegin [") + TnvNotation::hex8(handle) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tCall.Began = ") + TnvLocalClock::hms(m_call->m_began));
    m_line->fireCallEvent(TnvPopup::OnCallBeginEvent, handle);
}

template<typename Start>
bool TnvCallOperations::runFrame(const QString& opening, const char* name, TnvCallRecord::Slot slot, Frame frame, Start start)
{
    m_line->write(true, opening);
    const HCALL handle = m_call->m_handle;
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
        TnvCallRecord* record = m_records.find(handle);
        TnvCallRecord& target = record ? *record : m_records.current();
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
    m_line->write(true, closing(QStringLiteral("Call.") + QLatin1String(name), TnvNotation::hex8(handle), result));
    if (late != 0)
        m_line->ReportResult(false, late);
    refreshStatus();
    if (handle != 0) {
        // Once the wait let another call be selected, the visible properties are that
        // call's and must not overwrite this one's record.
        if (frame == Frame::SaveOnly) {
            if (handle == m_call->m_handle)
                m_call->SaveCallState(handle);
        } else
            afterOperation(handle);
    }
    return result;
}

bool TnvCallOperations::Answer()
{
    return runFrame(QStringLiteral("Call.Answer [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'), "Answer",
                    TnvCallRecord::SlotAnswer, Frame::Plain, [](HCALL h) { return lineAnswer(h, nullptr, 0); });
}

bool TnvCallOperations::Hangup()
{
    return runFrame(QStringLiteral("Call.Hangup [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'), "Hangup",
                    TnvCallRecord::SlotDrop, Frame::LateErrors, [](HCALL h) { return lineDrop(h, nullptr, 0); });
}

bool TnvCallOperations::Hold()
{
    return runFrame(QStringLiteral("Call.Hold [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'), "Hold", TnvCallRecord::SlotHold,
                    Frame::SaveOnly, [](HCALL h) { return lineHold(h); });
}

bool TnvCallOperations::Unhold()
{
    return runFrame(QStringLiteral("Call.Unhold [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'), "Unhold",
                    TnvCallRecord::SlotUnhold, Frame::SaveOnly, [](HCALL h) { return lineUnhold(h); });
}

bool TnvCallOperations::Transfer()
{
    const QByteArray number = prepareNumber(m_call->m_phoneNumber);
    return runFrame(QStringLiteral("Call.Transfer [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'), "Transfer",
                    TnvCallRecord::SlotBlindTransfer, Frame::ClearOnRequest,
                    [&](HCALL h) { return lineBlindTransfer(h, number.constData(), 0); });
}

bool TnvCallOperations::Redirect(const QString& phoneNumber)
{
    const QByteArray number = prepareNumber(phoneNumber);
    return runFrame(QStringLiteral("Call.Redirect (") + phoneNumber + QStringLiteral(") [") + TnvNotation::hex8(m_call->m_handle)
                        + QLatin1Char(']'),
                    "Redirect", TnvCallRecord::SlotRedirect, Frame::Plain,
                    [&](HCALL h) { return lineRedirect(h, number.constData(), 0); });
}

bool TnvCallOperations::Park(const QString& phoneNumber)
{
    const QByteArray number = prepareNumber(phoneNumber);
    return runFrame(QStringLiteral("Call.Park (") + phoneNumber + QStringLiteral(") [") + TnvNotation::hex8(m_call->m_handle)
                        + QLatin1Char(']'),
                    "Park", TnvCallRecord::SlotPark, Frame::Plain,
                    [&](HCALL h) { return linePark(h, LINEPARKMODE_DIRECTED, number.constData(), nullptr); });
}

bool TnvCallOperations::Dial()
{
    m_line->write(true, QStringLiteral("Call.Dial [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tCall.PhoneNumber = ") + m_call->m_phoneNumber);
    if (!m_line->Device()->Active()) {
        m_line->ReportResult(false, qint32(LINEERR_UNINITIALIZED));
        return false;
    }
    m_line->Error()->Clear();
    const QByteArray number = prepareNumber(m_call->m_phoneNumber);
    LONG request = 0;
    // A new call's states wait until the dial has returned, as they would from an
    // exchange that gives dial tone only after taking the request.
    RecordPtr made;
    const auto release = qScopeGuard([&] {
        if (made)
            m_line->releaseCallMessages(&made->handle);
    });
    if (m_call->m_handle != 0) {
        // More digits on a call that has dial tone.
        TnvCallRecord* record = m_records.find(m_call->m_handle);
        request = lineDial(m_call->m_handle, number.constData(), 0);
        replyArrives(record ? *record : m_records.current(), TnvCallRecord::SlotDial, request);
    } else {
        m_call->ResetProperties();
        m_call->ResetParties();
        bool timedOut = false;
        request = startNewCall(TnvCallRecord::SlotMakeCall, NewCall::Dial, &timedOut, [&](HCALL* out) {
            return lineMakeCall(m_line->Line()->Handle(), out, number.constData(), 0, m_call->m_parameters->block());
        }, &made);
        if (timedOut) {
            m_line->write(true, closing(QStringLiteral("Call.Dial"), TnvNotation::hex8(m_call->m_handle), false));
            m_call->refreshViews();
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
    m_line->write(true, closing(QStringLiteral("Call.Dial"), TnvNotation::hex8(m_call->m_handle), result));
    m_call->refreshViews();
    return result;
}

LONG TnvCallOperations::startNewCall(TnvCallRecord::Slot slot, NewCall kind, bool* timedOut,
                                     const std::function<LONG(HCALL*)>& start, RecordPtr* held)
{
    const RecordPtr record = m_records.keep(m_records.add(0));
    if (held) {
        // The caller announces the call before its first state, which may come right
        // behind the reply; it releases the call's messages once it is done.
        *held = record;
        m_line->holdCallMessages(&record->handle);
    }
    // A new call starts with gathering and monitoring off.
    m_call->SeedDetection(*record);
    qint32& pending = record->requests[slot];
    const LONG request = start(&record->handle);
    pending = request;
    if (request > 0) {
        m_call->m_active = true;
        if (m_line->WaitForReply(pending)) {
            m_line->ReportResult(false, kReplyTimeout);
            if (kind != NewCall::Pickup) {
                // The service may still fill the handle, so the memory stays.
                m_records.retire(record);
                m_call->m_active = false;
                *timedOut = true;
                return request;
            }
        } else if (m_line->Error()->Number() == 0) {
            pending = 0;
            const HCALL handle = record->handle;
            // The reply handler lists the call; a record it left unlisted is listed here.
            if (m_records.holds(record.get()))
                m_records.listHandle(*record);
            if (kind != NewCall::Dial)
                m_call->setHandle(handle);
            m_call->m_owner = true;
            m_call->m_began = TnvClock::localNow();
            m_call->SaveCallState(handle);
            if (kind == NewCall::Dial)
                m_call->setHandle(handle);
            announceBegin(handle);
        }
        pending = 0;
    } else if (request < 0) {
        m_call->m_handle = 0;
        m_call->m_active = false;
        m_records.remove(record.get());
        if (kind == NewCall::Pickup)
            m_line->ReportResult(false, request);
    }
    if (kind == NewCall::Pickup && m_line->Error()->Number() != 0) {
        m_records.retire(record);
        m_call->m_active = false;
    }
    return request;
}

bool TnvCallOperations::Unpark(const QString& phoneNumber)
{
    m_line->write(true, QStringLiteral("Call.Unpark (") + phoneNumber + QStringLiteral(") [") + TnvNotation::hex8(m_call->m_handle)
                            + QLatin1Char(']'));
    m_line->Error()->Clear();
    const QByteArray number = prepareNumber(phoneNumber);
    m_call->ResetParties();
    bool timedOut = false;
    const LONG request = startNewCall(TnvCallRecord::SlotUnpark, NewCall::Unpark, &timedOut, [&](HCALL* out) {
        return lineUnpark(m_line->Line()->Handle(), DWORD(m_line->addressID()), out, number.constData());
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
    m_line->write(true, closing(QStringLiteral("Call.Unpark"), TnvNotation::hex8(m_call->m_handle), result));
    m_call->refreshViews();
    return result;
}

bool TnvCallOperations::Pickup(const QString& phoneNumber, const QString& groupID)
{
    m_line->write(true, QStringLiteral("Call.Pickup (") + phoneNumber + QStringLiteral(", ") + groupID
                            + QStringLiteral(") [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'));
    bool result = false;
    if (m_call->m_handle != 0) {
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
    } else {
        m_line->Error()->Clear();
        const QByteArray number = prepareNumber(phoneNumber);
        const QByteArray group = groupID.toUtf8() + '\0';
        m_call->ResetParties();
        bool timedOut = false;
        startNewCall(TnvCallRecord::SlotPickup, NewCall::Pickup, &timedOut, [&](HCALL* out) {
            return linePickup(m_line->Line()->Handle(), DWORD(m_line->addressID()), out, number.constData(),
                              group.constData());
        });
        result = m_line->Error()->Number() == 0;
    }
    refreshStatus();
    m_line->write(true, closing(QStringLiteral("Call.Pickup"), TnvNotation::hex8(m_call->m_handle), result));
    m_call->refreshViews();
    return result;
}

bool TnvCallOperations::Handoff(const QString& application)
{
    const HCALL handle = m_call->m_handle;
    m_line->write(true, QStringLiteral("Call.Handoff [") + TnvNotation::hex8(handle) + QLatin1Char(']'));
    const bool wasOwner = m_call->m_owner;
    const QByteArray target = application.toUtf8() + '\0';
    bool result = false;
    const LONG handed = lineHandoff(handle, target.constData(), 0);
    if (handed < 0) {
        m_line->ReportResult(false, handed);
    } else {
        m_line->Error()->Clear();
        result = true;
        lineSetCallPrivilege(handle, LINECALLPRIVILEGE_MONITOR);
        m_call->RefreshCallStatus(true);
        m_line->RefreshCallInfo(handle, 0);
        if (m_call->m_owner != wasOwner) {
            m_line->write(true, QStringLiteral("OnCallOwnerChange [") + TnvNotation::hex8(handle) + QLatin1Char(']'));
            m_line->write(false, QStringLiteral("\tCall.Owner = ") + TnvVantage::BoolText(m_call->m_owner));
            m_line->fireCallEvent(TnvPopup::OnCallOwnerChangeEvent, handle);
        }
    }
    m_line->write(true, closing(QStringLiteral("Call.Handoff"), TnvNotation::hex8(handle), result));
    refreshStatus();
    return result;
}

bool TnvCallOperations::SendDigits(const QString& digits, int duration)
{
    m_line->Error()->Clear();
    m_line->write(true, QStringLiteral("Call.SendDigits (") + digits + QStringLiteral(") [") + TnvNotation::hex8(m_call->m_handle)
                            + QLatin1Char(']'));
    m_line->setDigitsGenerated(true);
    const QByteArray text = digits.toUtf8() + '\0';
    const LONG generated = lineGenerateDigits(m_call->m_handle, LINEDIGITMODE_DTMF, text.constData(), DWORD(qMax(0, duration)));
    const bool result = generated == 0;
    if (!result)
        m_line->ReportResult(false, generated);
    m_line->write(true, closing(QStringLiteral("Call.SendDigits"), TnvNotation::hex8(m_call->m_handle), result));
    return result;
}

bool TnvCallOperations::SendTone(DWORD tone, int duration)
{
    m_line->write(true, QStringLiteral("Call.SendTone (") + TnvNotation::hex8(tone) + QStringLiteral(", ") + QString::number(duration)
                            + QStringLiteral(") [") + TnvNotation::hex8(m_call->m_handle) + QLatin1Char(']'));
    m_line->setDigitsGenerated(false);
    const LONG generated = lineGenerateTone(m_call->m_handle, tone, DWORD(qMax(0, duration)), 0, nullptr);
    const bool result = generated >= 0;
    if (result)
        m_line->Error()->Clear();
    else
        m_line->ReportResult(false, generated);
    m_line->write(true, closing(QStringLiteral("Call.SendTone"), TnvNotation::hex8(m_call->m_handle), result));
    return result;
}

bool TnvCallOperations::translatesNumbers() const
{
    return m_line->Initialised() && m_line->Device()->TranslatePhoneNumber();
}

std::optional<QString> TnvCallOperations::numberToStore(const QString& value)
{
    const QString number = value.left(kMaxNumberLength);
    if (!translatesNumbers())
        return number;
    QByteArray block(kTranslateBlock, '\0');
    auto* output = reinterpret_cast<LINETRANSLATEOUTPUT*>(block.data());
    output->dwTotalSize = kTranslateBlock;
    const QByteArray input = number.toUtf8() + '\0';
    const LONG result =
        lineTranslateAddress(m_line->Line()->AppHandle(), DWORD(m_line->Device()->ID()), m_line->TAPI()->Version(),
                             input.constData(), 0, LINETRANSLATEOPTION_CANCELCALLWAITING, output);
    if (result < 0) {
        m_line->ReportResult(false, result);
        return std::nullopt;
    }
    m_line->Error()->Clear();
    if (output->dwDialableStringSize == 0)
        return std::nullopt;
    return TnvTapiBuffer::text(block, output->dwDialableStringSize, output->dwDialableStringOffset);
}

bool TnvCallOperations::WaitForCallState(const TnvCallRecord& record, DWORD bits)
{
    // Held here so a handler ending the call meanwhile cannot free it under us.
    const RecordPtr held = m_records.keep(const_cast<TnvCallRecord*>(&record));
    const TnvCallRecord& watched = held ? *held : record;
    return m_line->waitUntil([&watched, bits] { return (watched.state & bits) != 0; });
}
