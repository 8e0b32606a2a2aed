// The call object's side of digit gathering and monitoring: keeping each call's
// settings in its record, switching the services off for new calls, and starting them
// again once a call this application owns is connected.

#include "TnvCall.h"

#include "TnvGatherDigits.h"
#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvMonitorDigits.h"
#include "TnvMonitorMediaModes.h"
#include "TnvMonitorSilence.h"

void TnvCall::SaveDetection(TnvCallRecord& record) const
{
    m_gatherDigits->save(record);
    m_monitorDigits->save(record);
    m_monitorMediaModes->save(record);
    m_monitorSilence->save(record);
}

void TnvCall::LoadDetection(const TnvCallRecord& record)
{
    m_gatherDigits->load(record);
    m_monitorDigits->load(record);
    m_monitorMediaModes->load(record);
    m_monitorSilence->load(record);
}

void TnvCall::SeedDetection(TnvCallRecord& record) const
{
    m_gatherDigits->seed(record);
    m_monitorDigits->seed(record);
    m_monitorMediaModes->seed(record);
    m_monitorSilence->seed(record);
}

void TnvCall::SwitchOffDetection()
{
    m_gatherDigits->storeActive(false);
    m_monitorDigits->storeActive(false);
    m_monitorMediaModes->storeActive(false);
    m_monitorSilence->storeActive(false);
}

void TnvCall::RearmDetection(HCALL handle, bool media, bool others)
{
    // Each start may run handlers (errors), which may end the call: re-read the record.
    // FIXME: restarting a gathering that already runs makes the service cancel the old
    // one; its late report then clears GatherDigits.Active while the new one still runs.
    const auto wanted = [this, handle](bool TnvCallRecord::*flag) {
        const TnvCallRecord* record = m_line->records().find(handle);
        return record && record->owner && record->*flag;
    };
    if (others && wanted(&TnvCallRecord::gatherActive))
        m_gatherDigits->rearm(handle);
    if (others && wanted(&TnvCallRecord::monitorDigitsActive))
        m_monitorDigits->rearm(handle);
    if (others && wanted(&TnvCallRecord::monitorSilenceActive))
        m_monitorSilence->rearm(handle);
    if (media && wanted(&TnvCallRecord::monitorMediaActive))
        m_monitorMediaModes->rearm(handle);
}

bool TnvCall::LogDetection(const QString& prefix, const QString& indent)
{
    return m_gatherDigits->LogProperties(QString(), prefix, indent)
           && m_monitorDigits->LogProperties(QString(), prefix, indent)
           && m_monitorMediaModes->LogProperties(QString(), prefix, indent)
           && m_monitorSilence->LogProperties(QString(), prefix, indent);
}
