#include "TnvMonitorDigits.h"

#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvLineView.h"

#include <TapiApi.h>
#include <TnvLog.h>
#include <TnvVantage.h>

namespace {

// A long run of digits is no longer read by anyone; the newest ones are kept.
constexpr qsizetype kMaxReceived = 256;

} // namespace

TnvMonitorDigits::TnvMonitorDigits(TnvLineContext* line, QObject* parent)
    : TnvCallDetection(line, QStringLiteral("MonitorDigits"), parent)
{
}

void TnvMonitorDigits::setActive(bool value)
{
    switchActive(value, m_active, &TnvCallRecord::monitorDigitsActive, true,
                 [this, value](HCALL handle, TnvCallRecord&) { return value ? start(handle) : lineMonitorDigits(handle, 0); });
}

LONG TnvMonitorDigits::start(HCALL handle)
{
    m_received.clear();
    if (TnvLineView* v = view())
        v->ShowDigitReceived(m_received);
    return tryDigitModes([handle](DWORD modes) { return lineMonitorDigits(handle, modes); });
}

void TnvMonitorDigits::rearm(HCALL handle)
{
    rearmCall(handle, nullptr, [this, handle](TnvCallRecord&) { return start(handle); });
}

void TnvMonitorDigits::appendReceived(QChar digit)
{
    m_received += digit;
    if (m_received.size() > kMaxReceived)
        m_received.remove(0, m_received.size() - kMaxReceived);
    // The window shows the digit that just came, not the run of them.
    if (TnvLineView* v = view())
        v->ShowDigitReceived(QString(digit));
}

void TnvMonitorDigits::save(TnvCallRecord& r) const
{
    r.monitorDigitsActive = m_active;
}

void TnvMonitorDigits::load(const TnvCallRecord& r)
{
    m_active = r.monitorDigitsActive;
}

void TnvMonitorDigits::seed(TnvCallRecord& r) const
{
    r.monitorDigitsActive = false;
}

bool TnvMonitorDigits::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"MonitorDigits");
    if (!opened)
        return false;
    log->Add(false, *opened + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    return true;
}
