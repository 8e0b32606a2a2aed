#include "TnvConference.h"

#include "TnvCall.h"
#include "TnvCallParameters.h"
#include "TnvCallOperations.h"
#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvVantage.h>

namespace {

constexpr DWORD kConferenceParties = 3;

} // namespace

TnvConference::TnvConference(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_parameters(new TnvCallParameters(line, this))
{
    setObjectName(QStringLiteral("Conference"));
}

QString TnvConference::hex(HCALL handle) const
{
    return TnvNotation::hex8(handle);
}

void TnvConference::refreshView()
{
    if (TnvLineView* view = m_line->view())
        view->RefreshConference(-1);
}

void TnvConference::setPhoneNumber(const QString& value)
{
    if (const std::optional<QString> number = m_line->operations().numberToStore(value))
        m_phoneNumber = *number;
    refreshView();
    if (TnvLineView* view = m_line->view())
        view->ShowConferencePhoneNumber();
}

void TnvConference::setPrimaryCall(HCALL value)
{
    m_primaryCall = value;
    refreshView();
}

void TnvConference::setConsultCall(HCALL value)
{
    if (!m_list.contains(hex(value))) {
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLHANDLE));
        return;
    }
    m_consultCall = value;
    refreshView();
}

void TnvConference::Reset()
{
    m_primaryCall = 0;
    m_consultCall = 0;
    m_handle = 0;
    m_count = 0;
    m_list.clear();
    refreshView();
}

void TnvConference::listConsultation(HCALL handle)
{
    m_list << hex(handle);
    ++m_count;
}

void TnvConference::noteConferenceCall(HCALL handle, DWORD origin)
{
    if ((origin & LINECALLORIGIN_CONFERENCE) && m_handle == 0)
        m_handle = handle;
}

void TnvConference::noteConferenced(HCALL handle, DWORD origin, DWORD stateMode)
{
    if (origin & LINECALLORIGIN_CONFERENCE) {
        if (stateMode != 0 && m_handle == 0)
            m_handle = handle;
    } else if (m_primaryCall == 0) {
        m_primaryCall = handle;
    } else if (handle != m_primaryCall && handle != m_handle) {
        // The primary call joins the conference too; it is no consultation call.
        if (!m_list.contains(hex(handle))) {
            m_list << hex(handle);
            m_count = int(m_list.size());
        }
        if (m_consultCall == 0)
            m_consultCall = handle;
    }
}

void TnvConference::removeListed(HCALL handle)
{
    m_list.removeAll(hex(handle));
    m_count = int(m_list.size());
    m_consultCall = m_list.isEmpty() ? 0 : m_list.constFirst().toUInt(nullptr, 16);
}

void TnvConference::release(HCALL handle)
{
    if (m_primaryCall == 0)
        return;
    if (handle == m_primaryCall)
        Reset();
    else if (m_list.contains(hex(handle)))
        removeListed(handle);
}

void TnvConference::adoptThreeWay(const QString& phoneNumber, HCALL primary, HCALL consult, HCALL threeWay)
{
    m_phoneNumber = phoneNumber;
    m_primaryCall = primary;
    m_consultCall = consult;
    // The dispatch may have listed the consultation call already, as it joined.
    if (!m_list.contains(hex(consult)))
        m_list << hex(consult);
    m_count = int(m_list.size());
    m_handle = threeWay;
    refreshView();
}

void TnvConference::cleanUpFailedDial(TnvCallRecord* conferenceRecord, HCALL consultation)
{
    if (m_handle == 0) {
        if (conferenceRecord)
            m_line->records().retire(m_line->records().keep(conferenceRecord));
        Reset();
    }
    m_line->operations().selectAfterFailure(consultation);
}

bool TnvConference::Dial()
{
    m_line->write(true, QStringLiteral("Conference.Dial [") + hex(m_primaryCall) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tConference.PhoneNumber = ") + m_phoneNumber);
    const auto closing = [&](bool result) {
        m_line->write(true, QStringLiteral("\tConference.Dial [") + hex(m_primaryCall)
                                + QStringLiteral("] - Returned = ") + TnvVantage::BoolText(result));
        refreshView();
        return result;
    };
    qint32 code = 0;
    if (m_primaryCall == 0) {
        code = qint32(LINEERR_CALLUNAVAIL);
    } else {
        m_line->Error()->Clear();
        const bool firstCall = m_handle == 0;
        TnvCallRecords::RecordPtr conference =
            m_line->records().keep(firstCall ? m_line->records().add(0) : m_line->records().find(m_handle));
        if (!conference) {
            // The conference call is gone from the call list.
            code = qint32(LINEERR_INVALCALLHANDLE);
            m_line->ReportResult(false, code);
            return closing(false);
        }
        m_consultCall = 0;
        const TnvCallRecords::RecordPtr consult = m_line->records().keep(m_line->records().add(0));
        const QByteArray number = m_line->operations().prepareNumber(m_phoneNumber);
        consult->phoneNumber = QString::fromUtf8(number.constData());
        const LONG request = firstCall
            ? lineSetupConference(m_primaryCall, m_line->Line()->Handle(), &conference->handle, &consult->handle,
                                  kConferenceParties, m_parameters->block())
            : linePrepareAddToConference(m_handle, &consult->handle, m_parameters->block());
        if (request < 0) {
            // Nothing was made; a record without a handle would only be in the way.
            m_line->records().remove(consult.get());
            cleanUpFailedDial(conference.get(), 0);
            code = qint32(request);
        } else {
            const auto failAfterWait = [&] {
                closing(false);
                cleanUpFailedDial(conference.get(), consult->handle);
                return false;
            };
            m_line->operations().replyArrives(*consult, TnvCallRecord::SlotConferenceSetup, request);
            if (m_line->Error()->Number() != 0)
                return failAfterWait();
            if (firstCall) {
                m_handle = conference->handle;
                m_line->records().listHandle(*conference);
                m_line->operations().beginNewCall(m_handle);
            }
            m_consultCall = consult->handle;
            m_line->operations().beginNewCall(m_consultCall);
            refreshView();
            const LONG dialled = lineDial(m_consultCall, number.constData(), 0);
            if (dialled < 0) {
                cleanUpFailedDial(conference.get(), consult->handle);
                code = qint32(dialled);
            } else {
                m_line->operations().replyArrives(*consult, TnvCallRecord::SlotConferenceDial, dialled);
                if (m_line->Error()->Number() != 0)
                    return failAfterWait();
            }
        }
    }
    if (code < 0) {
        m_line->ReportResult(false, code);
        return closing(false);
    }
    m_line->Error()->Clear();
    m_line->ReadLineDevStatus();
    m_line->ReadAddressStatus();
    return closing(true);
}

bool TnvConference::SwapHold()
{
    return m_line->operations().swapHold(QStringLiteral("Conference.SwapHold"), m_primaryCall, m_consultCall);
}

bool TnvConference::AddCall()
{
    m_line->write(true, QStringLiteral("Conference.AddCall [") + hex(m_consultCall) + QLatin1Char(']'));
    const TnvCallRecords::RecordPtr primary = m_line->operations().pairRecord(m_primaryCall, m_consultCall);
    bool result = false;
    if (primary) {
        m_line->Error()->Clear();
        const LONG request = lineAddToConference(m_handle, m_consultCall);
        if (request < 0)
            m_line->ReportResult(false, qint32(request));
        else
            m_line->operations().replyArrives(*primary, TnvCallRecord::SlotConferenceAdd, request);
        result = m_line->Error()->Number() == 0;
    }
    m_line->write(true, QStringLiteral("\tConference.AddCall [") + hex(m_consultCall)
                            + QStringLiteral("] - Returned = ") + TnvVantage::BoolText(result));
    refreshView();
    return result;
}

bool TnvConference::RemoveCall()
{
    m_line->write(true, QStringLiteral("Conference.RemoveCall [") + hex(m_consultCall) + QLatin1Char(']'));
    TnvCall* call = m_line->Call();
    const TnvCallRecords::RecordPtr primary = m_line->operations().pairRecord(m_primaryCall, m_consultCall);
    bool result = false;
    if (primary) {
        m_line->Error()->Clear();
        const HCALL removed = m_consultCall;
        const HCALL primaryCall = m_primaryCall;
        const LONG request = lineRemoveFromConference(removed);
        if (request < 0) {
            m_line->ReportResult(false, qint32(request));
        } else {
            if (m_line->operations().replyArrives(*primary, TnvCallRecord::SlotConferenceRemove, request)
                && m_line->Error()->Number() == 0) {
                result = true;
                // The party may have gone idle during the wait and left the list already.
                removeListed(removed);
            }
            call->EndCall(false, primaryCall);
        }
    }
    m_line->write(true, QStringLiteral("\tConference.RemoveCall [") + hex(m_consultCall)
                            + QStringLiteral("] - Returned = ") + TnvVantage::BoolText(result));
    refreshView();
    return result;
}

bool TnvConference::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Conference");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("ConsultCall = [") + hex(m_consultCall) + QLatin1Char(']'));
    log->Add(false, path + QStringLiteral("Count = ") + QString::number(m_count));
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& entry : m_list)
        log->Add(false, QLatin1Char('\t') + indent + entry);
    log->Add(false, path + QStringLiteral("PhoneNumber = '") + m_phoneNumber + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("PrimaryCall = [") + hex(m_primaryCall) + QLatin1Char(']'));
    log->Add(false, path + QStringLiteral("Handle = [") + hex(m_handle) + QLatin1Char(']'));
    return true;
}
