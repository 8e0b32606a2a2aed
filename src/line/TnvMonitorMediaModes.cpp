#include "TnvMonitorMediaModes.h"

#include "TnvCallRecords.h"
#include "TnvLineContext.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvVantage.h>

TnvMonitorMediaModes::TnvMonitorMediaModes(TnvLineContext* line, QObject* parent)
    : TnvCallDetection(line, QStringLiteral("MonitorMediaModes"), parent)
{
}

void TnvMonitorMediaModes::setActive(bool value)
{
    switchActive(value, m_active, &TnvCallRecord::monitorMediaActive, false, [this, value](HCALL handle, TnvCallRecord&) {
        return lineMonitorMedia(handle, value ? m_mediaModes : 0);
    });
}

void TnvMonitorMediaModes::rearm(HCALL handle)
{
    rearmCall(handle, &TnvCallRecord::monitorMediaActive,
              [handle](TnvCallRecord& r) { return lineMonitorMedia(handle, r.monitorMediaModes); });
}

void TnvMonitorMediaModes::setMediaModes(quint32 value)
{
    if (m_line->callHandle() != 0) {
        writeMethod(methodName("MediaModes") + QStringLiteral(" := [") + TnvNotation::hex8(value) + QLatin1Char(']'));
        for (quint32 bit = LINEMEDIAMODE_UNKNOWN; bit <= LINEMEDIAMODE_VOICEVIEW; bit <<= 1)
            if (value & bit)
                m_line->write(false, QLatin1Char('\t') + MediaModeText(bit));
    }
    m_mediaModes = value;
    clearError();
    record().monitorMediaModes = m_mediaModes;
}

void TnvMonitorMediaModes::save(TnvCallRecord& r) const
{
    r.monitorMediaActive = m_active;
    r.monitorMediaModes = m_mediaModes;
}

void TnvMonitorMediaModes::load(const TnvCallRecord& r)
{
    m_active = r.monitorMediaActive;
    m_mediaModes = r.monitorMediaModes;
}

void TnvMonitorMediaModes::seed(TnvCallRecord& r) const
{
    save(r);
    r.monitorMediaActive = false;
}

bool TnvMonitorMediaModes::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"MonitorMediaModes");
    if (!opened)
        return false;
    log->Add(false, *opened + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    m_line->Vantage()->LogFlags(*opened + QStringLiteral("MediaModes"), m_mediaModes, MediaModeText,
                                LINEMEDIAMODE_VIDEO, LINEMEDIAMODE_UNKNOWN);
    return true;
}
