#include "WaveCodec.h"

WaveCodec::WaveCodec(const WAVEFORMATEX& caller, const WAVEFORMATEX& device)
    : m_caller(caller)
    , m_device(device)
{
}

quint64 WaveCodec::callerBytes(quint64 deviceBytes) const
{
    if (m_device.nAvgBytesPerSec == 0)
        return 0;
    return deviceBytes * m_caller.nAvgBytesPerSec / m_device.nAvgBytesPerSec;
}

std::unique_ptr<WaveCodec> WaveCodec::create(const WAVEFORMATEX&)
{
    // FIXME: the codecs come next.
    return nullptr;
}
