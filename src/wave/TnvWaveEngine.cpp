#include "TnvWaveEngine.h"

#include "TnvWaveControl.h"

#include <TnvLog.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

TnvWaveEngine::TnvWaveEngine(TnvWaveControl* control)
    : m_control(control)
{
}

TnvWaveEngine::~TnvWaveEngine() = default;

TnvLog* TnvWaveEngine::Log() const
{
    return m_control->Log();
}

TnvVantage* TnvWaveEngine::Vantage() const
{
    return m_control->Vantage();
}

TnvWaveSource* TnvWaveEngine::Source() const
{
    return m_control->Source();
}

TnvWaveFormat* TnvWaveEngine::Format() const
{
    return m_control->Source()->Format();
}

void TnvWaveEngine::write(bool stamped, const QString& text)
{
    m_control->Log()->Add(stamped, text);
}

bool TnvWaveEngine::ReportResult(bool warning, qint32 code)
{
    return m_control->ReportResult(warning, code);
}

void TnvWaveEngine::clearError()
{
    m_control->Error()->Clear();
}

TnvVantageWindow* TnvWaveEngine::window() const
{
    return m_control->Vantage()->window();
}
