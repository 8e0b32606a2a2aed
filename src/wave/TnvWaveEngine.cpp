#include "TnvWaveEngine.h"

#include "TnvWaveControl.h"
#include "TnvWaveDevice.h"

#include <TnvLog.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

#include <WaveApi.h>

#include <cstring>

namespace {

// A device's product name as the lists show it: playing trims both ends, recording
// only the right.
QString productName(const char* name, size_t size, bool trimLeft)
{
    QString text = QString::fromLocal8Bit(name, qsizetype(strnlen(name, size)));
    if (trimLeft)
        return text.trimmed();
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

UINT deviceCount(bool out)
{
    return out ? waveOutGetNumDevs() : waveInGetNumDevs();
}

MMRESULT deviceName(bool out, UINT id, QString* name)
{
    if (out) {
        WAVEOUTCAPSA caps{};
        const MMRESULT result = waveOutGetDevCapsA(id, &caps, sizeof caps);
        if (result == MMSYSERR_NOERROR)
            *name = productName(caps.szPname, sizeof caps.szPname, true);
        return result;
    }
    WAVEINCAPSA caps{};
    const MMRESULT result = waveInGetDevCapsA(id, &caps, sizeof caps);
    if (result == MMSYSERR_NOERROR)
        *name = productName(caps.szPname, sizeof caps.szPname, false);
    return result;
}

} // namespace

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

void TnvWaveEngine::fillDeviceList(TnvWaveDevice* device, Direction direction)
{
    const bool out = direction == Direction::Out;
    QStringList names;
    const UINT count = deviceCount(out);
    for (UINT id = 0; id < count; ++id) {
        QString name;
        names << (deviceName(out, id, &name) == MMSYSERR_NOERROR ? name : QStringLiteral("<< Unknown >>"));
    }
    device->storeList(names);
    device->storeID(0);
    device->storeName(names.value(0));
}

void TnvWaveEngine::selectDevice(TnvWaveDevice* device, Direction direction, int value, bool recount)
{
    const bool out = direction == Direction::Out;
    write(true, QStringLiteral("Device.ID := %1").arg(value));
    clearError();
    if (recount)
        device->storeCount(int(deviceCount(out)));
    if (value < 0 || value >= device->Count()) {
        ReportResult(false, qint32(MMSYSERR_BADDEVICEID));
        return;
    }
    QString name;
    const MMRESULT result = deviceName(out, UINT(value), &name);
    device->storeName(name);
    if (result != MMSYSERR_NOERROR)
        ReportResult(false, qint32(result));
    device->storeID(value);
    write(false, QStringLiteral("\tDevice.Count = %1").arg(device->Count()));
    write(false, QStringLiteral("\tDevice.Name = '") + device->Name() + QLatin1Char('\''));
}
