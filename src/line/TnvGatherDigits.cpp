#include "TnvGatherDigits.h"

#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvLineView.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvVantage.h>

static_assert(TnvGatherDigits::MaxCount < TnvCallRecord::GatherBufferSize);

TnvGatherDigits::TnvGatherDigits(TnvLineContext* line, QObject* parent)
    : TnvCallDetection(line, QStringLiteral("GatherDigits"), parent)
{
}

void TnvGatherDigits::setActive(bool value)
{
    switchActive(value, m_active, &TnvCallRecord::gatherActive, true, [this, value](HCALL handle, TnvCallRecord& r) {
        save(r);
        if (value)
            return start(handle, r);
        // A null buffer cancels whatever gathering runs.
        const QByteArray terminate = m_terminate.toLatin1() + '\0';
        return lineGatherDigits(handle, LINEDIGITMODE_DTMF, nullptr, DWORD(m_count), terminate.constData(),
                                DWORD(m_timeout), DWORD(m_timeout));
    });
    refreshDigits();
}

LONG TnvGatherDigits::start(HCALL handle, TnvCallRecord& r)
{
    if (TnvLineView* v = view())
        v->ShowDigitsGathered(QString());
    r.gatherBuffer.fill('\0');
    // The service writes into the buffer when gathering ends, possibly after the call
    // has gone; the record then outlives it.
    r.gatherBufferHanded = true;
    const qint32 count = qBound(1, r.gatherCount, MaxCount);
    const DWORD timeout = DWORD(qMax(0, r.gatherTimeout));
    const QByteArray terminate = r.gatherTerminate.toLatin1() + '\0';
    char* buffer = r.gatherBuffer.data();
    return tryDigitModes([&](DWORD modes) {
        return lineGatherDigits(handle, modes, buffer, DWORD(count), terminate.constData(), timeout, timeout);
    });
}

void TnvGatherDigits::rearm(HCALL handle)
{
    rearmCall(handle, nullptr, [this, handle](TnvCallRecord& r) { return start(handle, r); });
}

void TnvGatherDigits::changeSetting(bool differs, const QString& method, bool valid, const std::function<void()>& store)
{
    if (!differs)
        return;
    writeMethod(method);
    if (m_active && m_line->callActive()) {
        report(LONG(LINEERR_OPERATIONFAILED));
    } else if (!valid) {
        report(LONG(LINEERR_INVALPARAM));
    } else {
        store();
        clearError();
    }
}

void TnvGatherDigits::setCount(qint32 value)
{
    changeSetting(value != m_count, QStringLiteral("Call.GatherDigits.Count = ") + QString::number(value),
                  value >= 1 && value <= MaxCount, [&] { m_count = value; });
    record().gatherCount = m_count;
    refreshDigits();
}

void TnvGatherDigits::setTerminate(const QString& value)
{
    changeSetting(value != m_terminate, QStringLiteral("Call.GatherDigits.Terminate = '") + value + QLatin1Char('\''),
                  true, [&] { m_terminate = value; });
    record().gatherTerminate = m_terminate;
    refreshDigits();
}

void TnvGatherDigits::setTimeout(qint32 value)
{
    changeSetting(value != m_timeout, QStringLiteral("Call.GatherDigits.TimeOut = ") + QString::number(value),
                  value >= 0, [&] { m_timeout = value; });
    record().gatherTimeout = m_timeout;
    refreshDigits();
}

void TnvGatherDigits::save(TnvCallRecord& r) const
{
    r.gatherActive = m_active;
    r.gatherCount = m_count;
    copyRecordText(r.gatherTerminate, m_terminate);
    r.gatherTimeout = m_timeout;
}

void TnvGatherDigits::load(const TnvCallRecord& r)
{
    m_active = r.gatherActive;
    m_count = r.gatherCount;
    copyRecordText(m_terminate, r.gatherTerminate);
    m_timeout = r.gatherTimeout;
}

void TnvGatherDigits::seed(TnvCallRecord& r) const
{
    save(r);
    r.gatherActive = false;
}

void TnvGatherDigits::refreshDigits()
{
    if (TnvLineView* v = view())
        v->RefreshDigits();
}

bool TnvGatherDigits::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"GatherDigits");
    if (!opened)
        return false;
    const QString& path = *opened;
    log->Add(false, path + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    log->Add(false, path + QStringLiteral("Count = ") + QString::number(m_count));
    log->Add(false, path + QStringLiteral("Terminate = '") + m_terminate + QLatin1Char('\''));
    log->Add(false, path + QStringLiteral("Timeout = ") + QString::number(m_timeout));
    return true;
}
