#include "TnvAddressForward.h"

#include "TnvCall.h"
#include "TnvCallParameters.h"
#include "TnvCallOperations.h"
#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"

#include <TapiApi.h>
#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvVantage.h>

#include <cstring>
#include <new>

TnvAddressForward::TnvAddressForward(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_parameters(new TnvCallParameters(line, this))
{
    setObjectName(QStringLiteral("Forward"));
}

void TnvAddressForward::refresh()
{
    if (TnvLineView* v = m_line->view())
        v->RefreshAddress();
}

void TnvAddressForward::setText(QString& field, const char* name, const QString& value)
{
    if (value != field) {
        m_line->Log()->Add(true, QStringLiteral("Address.Forward.") + QLatin1String(name) + QStringLiteral(" = '")
                                     + value + QLatin1Char('\''));
        // The service reads the texts as UTF-8 up to their NUL; both limits guard the
        // room the forward list has for them.
        const QByteArray bytes = value.toUtf8();
        if (m_active)
            m_line->ReportResult(false, qint32(LINEERR_OPERATIONFAILED));
        else if (value.size() < MaxAddressBytes && bytes.size() < MaxAddressBytes && !bytes.contains('\0'))
            field = value;
        else
            m_line->ReportResult(false, qint32(LINEERR_INVALADDRESS));
    }
    refresh();
}

void TnvAddressForward::setCaller(const QString& value)
{
    setText(m_caller, "Caller", value);
}

void TnvAddressForward::setPhoneNumber(const QString& value)
{
    setText(m_phoneNumber, "PhoneNumber", value);
}

void TnvAddressForward::setMode(quint32 value)
{
    if (value != m_mode) {
        m_line->Log()->Add(true, QStringLiteral("Address.Forward.Mode = ") + TnvVantage::HexText(value));
        if (m_active)
            m_line->ReportResult(false, qint32(LINEERR_OPERATIONFAILED));
        else
            m_mode = value;
    }
    refresh();
}

void TnvAddressForward::storeStatus(bool active, quint32 mode, const QString& caller, const QString& phoneNumber,
                                    qint32 numForwardEntries)
{
    m_active = active;
    m_mode = mode;
    m_caller = caller;
    m_phoneNumber = phoneNumber;
    m_numForwardEntries = numForwardEntries;
}

void TnvAddressForward::clearStatus()
{
    m_active = false;
    m_consultCall = 0;
    m_numForwardEntries = 0;
}

LONG TnvAddressForward::forwardList(QByteArray& list) const
{
    // The texts may come from the address status, which the setters never checked.
    const QByteArray caller = m_caller.isEmpty() ? QByteArray() : m_caller.toUtf8() + '\0';
    const QByteArray destination = m_phoneNumber.isEmpty() ? QByteArray() : m_phoneNumber.toUtf8() + '\0';
    const qsizetype fixed = qsizetype(sizeof(LINEFORWARDLIST));
    if (fixed + caller.size() + destination.size() > ListSize)
        return LONG(LINEERR_INVALADDRESS);
    try {
        list = QByteArray(ListSize, '\0');
    } catch (const std::bad_alloc&) {
        list.clear();
        return LONG(LINEERR_NOMEM);
    }
    LINEFORWARDLIST head{};
    head.dwTotalSize = DWORD(ListSize);
    head.dwNumEntries = 1;
    LINEFORWARD& entry = head.ForwardList[0];
    entry.dwForwardMode = m_mode;
    entry.dwDestCountryCode = 0;
    // Caller first, the destination right behind it; offsets count from the list's start.
    qsizetype offset = fixed;
    if (!caller.isEmpty()) {
        entry.dwCallerAddressSize = DWORD(caller.size());
        entry.dwCallerAddressOffset = DWORD(offset);
        std::memcpy(list.data() + offset, caller.constData(), size_t(caller.size()));
        offset += caller.size();
    }
    if (!destination.isEmpty()) {
        entry.dwDestAddressSize = DWORD(destination.size());
        entry.dwDestAddressOffset = DWORD(offset);
        std::memcpy(list.data() + offset, destination.constData(), size_t(destination.size()));
    }
    std::memcpy(list.data(), &head, sizeof head);
    return 0;
}

void TnvAddressForward::setActive(bool value)
{
    m_active = false;
    m_line->Error()->Clear();
    m_line->Log()->Add(true, QStringLiteral("Address.Forward.Active = ") + TnvVantage::BoolText(value));

    const LINECALLPARAMS* params = m_parameters->block();
    QByteArray list;
    if (value) {
        if (const LONG built = forwardList(list)) {
            m_line->ReportResult(false, built);
            refresh();
            return;
        }
    }

    // The forward reply is matched through the current call record's slot; the wait
    // holds the record, so a call ended meanwhile cannot take the slot with it.
    TnvCall* call = m_line->Call();
    const LONG result =
        lineForward(m_line->Line()->Handle(), 0, m_line->addressID(),
                    value ? reinterpret_cast<const LINEFORWARDLIST*>(list.constData()) : nullptr,
                    m_line->addressRingsNoAnswer(), &m_consultCall, params);
    if (result > 0) {
        m_line->Error()->Clear();
        const HCALL handle = m_line->records().current().handle;
        if (m_line->operations().replyArrives(m_line->records().current(), TnvCallRecord::SlotForward, result)
            && m_line->Error()->Number() == 0)
            m_active = value;
        // A call that went idle meanwhile stayed listed for this request; it ends now.
        if (handle != 0 && m_line->records().savedState(handle) == LINECALLSTATE_IDLE)
            call->EndCall(false, handle);
    } else {
        m_line->ReportResult(false, result);
    }

    m_line->ReadLineDevStatus();
    m_line->ReadAddressStatus();
    refresh();
}

bool TnvAddressForward::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Forward");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    log->Add(false, path + QStringLiteral("Caller = ") + m_caller);
    log->Add(false, path + QStringLiteral("ConsultCall = ") + TnvVantage::HexText(m_consultCall));
    m_line->Vantage()->LogFlags(path + QStringLiteral("Mode"), m_mode, ForwardModeText, LINEFORWARDMODE_UNAVAIL,
                                LINEFORWARDMODE_UNCOND);
    log->Add(false, path + QStringLiteral("NumForwardEntries = ") + QString::number(m_numForwardEntries));
    log->Add(false, path + QStringLiteral("PhoneNumber = ") + m_phoneNumber);
    return true;
}
