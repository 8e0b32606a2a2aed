#include "TnvMonitorSilence.h"

#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvLineView.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvMonitorSilence::TnvMonitorSilence(TnvLineContext* line, QObject* parent)
    : TnvCallDetection(line, QStringLiteral("MonitorSilence"), parent)
{
}

LONG TnvMonitorSilence::start(HCALL handle, qint32 duration)
{
    if (duration <= 0)
        return LONG(LINEERR_INVALTONE);
    LINEMONITORTONE tone{};
    tone.dwAppSpecific = Tag;
    tone.dwDuration = DWORD(duration);
    return lineMonitorTones(handle, &tone, 1);
}

void TnvMonitorSilence::setActive(bool value)
{
    switchActive(value, m_active, &TnvCallRecord::monitorSilenceActive, false, [this, value](HCALL handle, TnvCallRecord&) {
        return value ? start(handle, m_duration) : lineMonitorTones(handle, nullptr, 0);
    });
    refreshView();
}

void TnvMonitorSilence::rearm(HCALL handle)
{
    rearmCall(handle, &TnvCallRecord::monitorSilenceActive,
              [handle](TnvCallRecord& r) { return start(handle, r.monitorSilenceDuration); });
}

void TnvMonitorSilence::setDuration(qint32 value)
{
    if (value < 0)
        return;
    m_duration = value;
    const HCALL handle = m_line->callHandle();
    if (m_line->callActive() && m_active) {
        // A running monitor takes the new length at once.
        lineMonitorTones(handle, nullptr, 0);
        const LONG result = start(handle, m_duration);
        if (result < 0) {
            m_active = false;
            record().monitorSilenceActive = false;
            report(result);
        } else {
            clearError();
        }
    }
    record().monitorSilenceDuration = m_duration;
    refreshView();
}

void TnvMonitorSilence::save(TnvCallRecord& r) const
{
    r.monitorSilenceActive = m_active;
    r.monitorSilenceDuration = m_duration;
}

void TnvMonitorSilence::load(const TnvCallRecord& r)
{
    m_active = r.monitorSilenceActive;
    m_duration = r.monitorSilenceDuration;
}

void TnvMonitorSilence::seed(TnvCallRecord& r) const
{
    save(r);
    r.monitorSilenceActive = false;
}

void TnvMonitorSilence::refreshView()
{
    if (TnvLineView* v = view())
        v->RefreshCallControl();
}

bool TnvMonitorSilence::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"MonitorSilence");
    if (!opened)
        return false;
    log->Add(false, *opened + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    log->Add(false, *opened + QStringLiteral("Duration = ") + QString::number(m_duration));
    return true;
}
