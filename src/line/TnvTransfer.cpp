#include "TnvTransfer.h"

#include "TnvAddress.h"
#include "TnvAddressCaps.h"
#include "TnvCall.h"
#include "TnvCallParameters.h"
#include "TnvConference.h"
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

#include <QThread>

namespace {

// The switch needs a moment to join the calls before their states are asked for; the
// pause deliberately lets no message through.
constexpr unsigned long kJoinPauseMs = 500;

} // namespace

TnvTransfer::TnvTransfer(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_parameters(new TnvCallParameters(line, this))
{
    setObjectName(QStringLiteral("Transfer"));
}

QString TnvTransfer::hex(HCALL handle) const
{
    return TnvNotation::hex8(handle);
}

void TnvTransfer::refreshView()
{
    if (TnvLineView* view = m_line->view())
        view->RefreshTransfer(-1);
}

void TnvTransfer::setPhoneNumber(const QString& value)
{
    if (const std::optional<QString> number = m_line->operations().numberToStore(value))
        m_phoneNumber = *number;
    refreshView();
    if (TnvLineView* view = m_line->view())
        view->ShowTransferPhoneNumber();
}

void TnvTransfer::setPrimaryCall(HCALL value)
{
    m_primaryCall = value;
    refreshView();
}

void TnvTransfer::setConsultCall(HCALL value)
{
    m_consultCall = value;
    refreshView();
}

void TnvTransfer::Reset()
{
    m_primaryCall = 0;
    m_consultCall = 0;
    m_threeWayCall = 0;
    refreshView();
}

void TnvTransfer::release(HCALL handle)
{
    if (m_primaryCall == 0)
        return;
    if (handle == m_primaryCall)
        Reset();
    else if (handle == m_consultCall)
        m_consultCall = 0;
}

qint32 TnvTransfer::setUpConsultation(const QByteArray& number)
{
    TnvCall* call = m_line->Call();
    m_consultCall = 0;
    const TnvCallRecords::RecordPtr record = m_line->records().keep(m_line->records().add(0));
    record->phoneNumber = QString::fromUtf8(number.constData());
    const LONG request = lineSetupTransfer(m_primaryCall, &record->handle, m_parameters->block());
    if (request < 0) {
        m_line->records().remove(record.get());
        Reset();
        return qint32(request);
    }
    m_line->operations().replyArrives(*record, TnvCallRecord::SlotTransferSetup, request);
    if (m_line->Error()->Number() != 0)
        return 0;
    // The reply listed the consultation call; it is now the current one.
    m_consultCall = record->handle;
    m_line->operations().beginNewCall(m_consultCall);
    if (!m_line->operations().WaitForCallState(*record, LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING)) {
        m_line->ReportResult(false, TnvLineContext::ReplyTimeoutCode);
        return 0;
    }
    const LONG dialled = lineDial(m_consultCall, number.constData(), 0);
    if (dialled < 0) {
        m_line->records().remove(record.get());
        call->setHandle(m_primaryCall);
        Reset();
        return qint32(dialled);
    }
    m_line->operations().replyArrives(*record, TnvCallRecord::SlotTransferDial, dialled);
    return 0;
}

bool TnvTransfer::Dial()
{
    m_line->write(true, QStringLiteral("Transfer.Dial [") + hex(m_primaryCall) + QLatin1Char(']'));
    m_line->write(false, QStringLiteral("\tTransfer.PhoneNumber = ") + m_phoneNumber);
    bool result = true;
    qint32 code = 0;
    if (m_primaryCall == 0) {
        code = qint32(LINEERR_CALLUNAVAIL);
    } else {
        m_line->Error()->Clear();
        code = setUpConsultation(m_line->operations().prepareNumber(m_phoneNumber));
        if (code == 0 && m_line->Error()->Number() != 0) {
            m_line->write(true, QStringLiteral("\tTransfer.Dial [") + hex(m_primaryCall)
                                    + QStringLiteral("] - Returned = ") + TnvVantage::BoolText(false));
            m_line->operations().selectAfterFailure(m_primaryCall);
            Reset();
            return false;
        }
    }
    if (code < 0) {
        result = false;
        m_line->ReportResult(false, code);
    } else {
        m_line->Error()->Clear();
        m_line->ReadLineDevStatus();
        m_line->ReadAddressStatus();
    }
    m_line->write(true, QStringLiteral("\tTransfer.Dial [") + hex(m_primaryCall) + QStringLiteral("] - Returned = ")
                            + TnvVantage::BoolText(result));
    refreshView();
    return result;
}

bool TnvTransfer::SwapHold()
{
    return m_line->operations().swapHold(QStringLiteral("Transfer.SwapHold"), m_primaryCall, m_consultCall);
}

bool TnvTransfer::Complete()
{
    m_line->write(true, QStringLiteral("Transfer.Complete [") + hex(m_primaryCall) + QLatin1Char(']'));
    TnvCall* call = m_line->Call();
    const TnvCallRecords::RecordPtr primary = m_line->operations().pairRecord(m_primaryCall, m_consultCall);
    bool result = false;
    if (primary) {
        const HCALL primaryCall = m_primaryCall;
        m_line->Error()->Clear();
        const LONG request = lineCompleteTransfer(m_primaryCall, m_consultCall, nullptr, LINETRANSFERMODE_TRANSFER);
        QThread::msleep(kJoinPauseMs);
        if (request < 0)
            m_line->ReportResult(false, qint32(request));
        else
            m_line->operations().replyArrives(*primary, TnvCallRecord::SlotTransferComplete, request);
        result = m_line->Error()->Number() == 0;
        // The primary call has left the switch's hands; once idle it goes.
        call->EndCall(false, primaryCall);
    }
    m_line->write(true, QStringLiteral("\tTransfer.Complete [") + hex(m_primaryCall)
                            + QStringLiteral("] - Returned = ") + TnvVantage::BoolText(result));
    refreshView();
    return result;
}

bool TnvTransfer::ThreeWay()
{
    m_line->write(true, QStringLiteral("Transfer.ThreeWay [") + hex(m_primaryCall) + QLatin1Char(']'));
    TnvCall* call = m_line->Call();
    const TnvCallRecords::RecordPtr primary = m_line->operations().pairRecord(m_primaryCall, m_consultCall);
    bool result = false;
    if (primary) {
        m_line->Error()->Clear();
        const TnvCallRecords::RecordPtr joined = m_line->records().keep(m_line->records().add(0));
        const LONG request =
            lineCompleteTransfer(m_primaryCall, m_consultCall, &joined->handle, LINETRANSFERMODE_CONFERENCE);
        QThread::msleep(kJoinPauseMs);
        if (request < 0) {
            m_line->ReportResult(false, qint32(request));
            m_line->records().remove(joined.get());
        } else if (m_line->operations().awaitReply(*primary, TnvCallRecord::SlotTransferThreeWay, request) != 0
                   || m_line->Error()->Number() != 0) {
            if (m_line->Error()->Number() == 0)
                m_line->ReportResult(false, TnvLineContext::ReplyTimeoutCode);
            // The service may still fill in the handle: the memory stays, the record goes.
            m_line->records().retire(joined);
        } else {
            m_threeWayCall = joined->handle;
            m_line->records().listHandle(*joined);
            call->setHandle(m_threeWayCall);
            result = m_line->Error()->Number() == 0;
            TnvConference* conference = m_line->Conference();
            if ((m_line->Address()->Capabilities()->CallFeatures() & LINECALLFEATURE_ADDTOCONF)
                && conference->Handle() == 0)
                conference->adoptThreeWay(m_phoneNumber, m_primaryCall, m_consultCall, m_threeWayCall);
        }
    }
    m_line->write(true, QStringLiteral("\tTransfer.ThreeWay [") + hex(m_primaryCall)
                            + QStringLiteral("] - Returned = ") + TnvVantage::BoolText(result));
    refreshView();
    return result;
}

bool TnvTransfer::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Transfer");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("ConsultCall = [") + hex(m_consultCall) + QLatin1Char(']'));
    log->Add(false, path + QStringLiteral("PhoneNumber = '") + m_phoneNumber + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("PrimaryCall = [") + hex(m_primaryCall) + QLatin1Char(']'));
    log->Add(false, path + QStringLiteral("ThreeWayCall = [") + hex(m_threeWayCall) + QLatin1Char(']'));
    return true;
}
