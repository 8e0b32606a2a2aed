#include "TnvLineDevice.h"

#include "TnvLineDeviceCaps.h"
#include "TnvLineContext.h"
#include "TnvMediaModes.h"

#include <TnvLog.h>
#include <TnvVantage.h>

TnvLineDevice::TnvLineDevice(TnvLineContext* line)
    : TnvSharedDevice(line->control())
    , m_line(line)
    , m_capabilities(new TnvLineDeviceCaps(line, this))
    , m_mediaModes(new TnvMediaModes(line, this))
{
}

void TnvLineDevice::setActive(bool value)
{
    m_line->setDeviceActive(value);
}

void TnvLineDevice::setID(int value)
{
    m_line->setDeviceID(value);
}

void TnvLineDevice::setIdleDelay(int value)
{
    m_line->setIdleDelay(value);
}

bool TnvLineDevice::Configure()
{
    return m_line->Configure();
}

void TnvLineDevice::storeActive(bool value)
{
    if (m_active == value)
        return;
    m_active = value;
    emit stateChanged();
}

void TnvLineDevice::storeID(int value)
{
    if (m_id == value)
        return;
    m_id = value;
    emit stateChanged();
}

void TnvLineDevice::storeStatus(int openCount, int activeCalls, int onHoldCalls, int onHoldPendCalls, quint32 ringMode)
{
    m_openCount = openCount;
    m_activeCalls = activeCalls;
    m_onHoldCalls = onHoldCalls;
    m_onHoldPendCalls = onHoldPendCalls;
    m_ringMode = ringMode;
}

bool TnvLineDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Device");
    if (!opened)
        return false;
    const QString& path = *opened;
    const auto number = [&](const char* name, qint64 value) {
        log->Add(false, path + QLatin1String(name) + QStringLiteral(" = ") + QString::number(value));
    };
    log->Add(false, path + QStringLiteral("Active = ") + TnvVantage::BoolText(m_active));
    number("ActiveCalls", m_activeCalls);
    number("Count", m_count);
    number("ID", m_id);
    number("IdleDelay", m_idleDelay);
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& entry : m_list)
        log->Add(false, QLatin1Char('\t') + indent + entry);
    log->Add(false, path + QStringLiteral("Name = '") + m_name + QLatin1Char('\''));
    number("OnHoldCalls", m_onHoldCalls);
    number("OnHoldPendCalls", m_onHoldPendCalls);
    number("OpenCount", m_openCount);
    number("RingMode", m_ringMode);
    log->Add(false, path + QStringLiteral("TranslatePhoneNumber = ") + TnvVantage::BoolText(m_translate));
    log->Add(false, path + QStringLiteral("UnformatPhoneNumber = ") + TnvVantage::BoolText(m_unformat));
    return true;
}
