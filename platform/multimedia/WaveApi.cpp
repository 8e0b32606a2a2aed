// The wave functions: argument checks, then the layer.
#include "WaveApi.h"

#include "WaveHandle.h"
#include "WaveLayer.h"

#include <cstring>

namespace {

WaveLayer& layer()
{
    return WaveLayer::instance();
}

const char* errorText(MMRESULT error)
{
    switch (error) {
    case MMSYSERR_NOERROR: return "The operation succeeded.";
    case MMSYSERR_ERROR: return "The device reported an unspecified error.";
    case MMSYSERR_BADDEVICEID: return "There is no device with that number.";
    case MMSYSERR_NOTENABLED: return "The driver is not enabled.";
    case MMSYSERR_ALLOCATED: return "The device is in use by another program.";
    case MMSYSERR_INVALHANDLE: return "The device handle is not valid.";
    case MMSYSERR_NODRIVER: return "The device is not there (any more).";
    case MMSYSERR_NOMEM: return "There is not enough memory.";
    case MMSYSERR_NOTSUPPORTED: return "The device does not support this function.";
    case MMSYSERR_BADERRNUM: return "The error number is not known.";
    case MMSYSERR_INVALFLAG: return "A flag is not valid.";
    case MMSYSERR_INVALPARAM: return "A parameter is not valid.";
    case MMSYSERR_HANDLEBUSY: return "The handle is busy on another thread.";
    case WAVERR_BADFORMAT: return "The device does not take this wave format.";
    case WAVERR_STILLPLAYING: return "Buffers are still queued on the device.";
    case WAVERR_UNPREPARED: return "The wave header has not been prepared.";
    case WAVERR_SYNC: return "The device is synchronous.";
    default: return nullptr;
    }
}

MMRESULT copyErrorText(MMRESULT error, LPSTR text, UINT cch)
{
    const char* t = errorText(error);
    if (!text || cch == 0)
        return t ? MMSYSERR_INVALPARAM : MMSYSERR_BADERRNUM;
    text[0] = '\0';
    if (!t)
        return MMSYSERR_BADERRNUM;
    const std::size_t n = std::min<std::size_t>(std::strlen(t), cch - 1);
    std::memcpy(text, t, n);
    text[n] = '\0';
    return MMSYSERR_NOERROR;
}

// The first 31 bytes of a name, NUL-terminated.
void copyName(const QString& name, CHAR (&out)[MAXPNAMELEN])
{
    std::memset(out, 0, sizeof out);
    const QByteArray utf8 = name.toUtf8();
    std::memcpy(out, utf8.constData(), std::min<std::size_t>(std::size_t(utf8.size()), MAXPNAMELEN - 1));
}

template<typename Caps>
MMRESULT fillCaps(WaveDirection direction, UINT_PTR id, Caps* caps, UINT size, DWORD* support)
{
    if (!caps || size < sizeof(Caps))
        return MMSYSERR_INVALPARAM;
    WaveLayer::Device device;
    if (id > UINT_PTR(0xFFFFFFFFu) || !layer().device(direction, UINT(id), &device))
        return MMSYSERR_BADDEVICEID;
    std::memset(caps, 0, sizeof(Caps));
    caps->wMid = 0xFFFF; // no registered maker
    caps->wPid = 0;
    caps->vDriverVersion = 0x0100;
    copyName(device.info.name, caps->szPname);
    caps->dwFormats = device.info.formats;
    caps->wChannels = device.info.channels;
    if (support)
        *support = device.info.support;
    return MMSYSERR_NOERROR;
}

MMRESULT on(WaveDirection direction, void* handle, const std::function<MMRESULT(WaveHandle&)>& op)
{
    return layer().with(direction, handle, op);
}

constexpr WaveDirection Out = WaveDirection::Out;
constexpr WaveDirection In = WaveDirection::In;

} // namespace

UINT waveOutGetNumDevs()
{
    return UINT(layer().deviceCount(Out));
}

MMRESULT waveOutGetDevCapsA(UINT_PTR deviceId, LPWAVEOUTCAPSA caps, UINT cbwoc)
{
    DWORD support = 0;
    const MMRESULT r = fillCaps(Out, deviceId, caps, cbwoc, &support);
    if (r == MMSYSERR_NOERROR)
        caps->dwSupport = support;
    return r;
}

MMRESULT waveOutOpen(LPHWAVEOUT handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags)
{
    void* h = nullptr;
    const MMRESULT r = layer().open(Out, handle ? &h : nullptr, deviceId, format, callback, instance, flags);
    if (handle)
        *handle = static_cast<HWAVEOUT>(h);
    return r;
}

MMRESULT waveOutClose(HWAVEOUT handle)
{
    return layer().close(Out, handle);
}

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT cbwh)
{
    return on(Out, handle, [&](WaveHandle& h) { return h.prepare(header, cbwh); });
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, LPWAVEHDR header, UINT cbwh)
{
    return on(Out, handle, [&](WaveHandle& h) { return h.unprepare(header, cbwh); });
}

MMRESULT waveOutWrite(HWAVEOUT handle, LPWAVEHDR header, UINT cbwh)
{
    return on(Out, handle, [&](WaveHandle& h) { return h.queue(header, cbwh); });
}

MMRESULT waveOutPause(HWAVEOUT handle)
{
    return on(Out, handle, [](WaveHandle& h) { return h.setRunning(false); });
}

MMRESULT waveOutRestart(HWAVEOUT handle)
{
    return on(Out, handle, [](WaveHandle& h) { return h.setRunning(true); });
}

MMRESULT waveOutReset(HWAVEOUT handle)
{
    return on(Out, handle, [](WaveHandle& h) { return h.reset(); });
}

MMRESULT waveOutGetPosition(HWAVEOUT handle, LPMMTIME time, UINT cbmmt)
{
    return on(Out, handle, [&](WaveHandle& h) { return h.position(time, cbmmt); });
}

MMRESULT waveOutGetVolume(HWAVEOUT handle, DWORD* volume)
{
    return on(Out, handle, [&](WaveHandle& h) { return h.volume(volume); });
}

MMRESULT waveOutSetVolume(HWAVEOUT handle, DWORD volume)
{
    return on(Out, handle, [&](WaveHandle& h) { return h.setVolume(volume); });
}

MMRESULT waveOutGetErrorTextA(MMRESULT error, LPSTR text, UINT cchText)
{
    return copyErrorText(error, text, cchText);
}

MMRESULT waveOutGetID(HWAVEOUT handle, UINT* deviceId)
{
    if (!deviceId)
        return MMSYSERR_INVALPARAM;
    return on(Out, handle, [&](WaveHandle& h) {
        *deviceId = h.deviceId();
        return MMSYSERR_NOERROR;
    });
}

UINT waveInGetNumDevs()
{
    return UINT(layer().deviceCount(In));
}

MMRESULT waveInGetDevCapsA(UINT_PTR deviceId, LPWAVEINCAPSA caps, UINT cbwic)
{
    return fillCaps(In, deviceId, caps, cbwic, nullptr);
}

MMRESULT waveInOpen(LPHWAVEIN handle, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                    DWORD_PTR instance, DWORD flags)
{
    void* h = nullptr;
    const MMRESULT r = layer().open(In, handle ? &h : nullptr, deviceId, format, callback, instance, flags);
    if (handle)
        *handle = static_cast<HWAVEIN>(h);
    return r;
}

MMRESULT waveInClose(HWAVEIN handle)
{
    return layer().close(In, handle);
}

MMRESULT waveInPrepareHeader(HWAVEIN handle, LPWAVEHDR header, UINT cbwh)
{
    return on(In, handle, [&](WaveHandle& h) { return h.prepare(header, cbwh); });
}

MMRESULT waveInUnprepareHeader(HWAVEIN handle, LPWAVEHDR header, UINT cbwh)
{
    return on(In, handle, [&](WaveHandle& h) { return h.unprepare(header, cbwh); });
}

MMRESULT waveInAddBuffer(HWAVEIN handle, LPWAVEHDR header, UINT cbwh)
{
    return on(In, handle, [&](WaveHandle& h) { return h.queue(header, cbwh); });
}

MMRESULT waveInStart(HWAVEIN handle)
{
    return on(In, handle, [](WaveHandle& h) { return h.setRunning(true); });
}

MMRESULT waveInStop(HWAVEIN handle)
{
    return on(In, handle, [](WaveHandle& h) { return h.setRunning(false); });
}

MMRESULT waveInReset(HWAVEIN handle)
{
    return on(In, handle, [](WaveHandle& h) { return h.reset(); });
}

MMRESULT waveInGetPosition(HWAVEIN handle, LPMMTIME time, UINT cbmmt)
{
    return on(In, handle, [&](WaveHandle& h) { return h.position(time, cbmmt); });
}

MMRESULT waveInGetErrorTextA(MMRESULT error, LPSTR text, UINT cchText)
{
    return copyErrorText(error, text, cchText);
}

MMRESULT waveInGetID(HWAVEIN handle, UINT* deviceId)
{
    if (!deviceId)
        return MMSYSERR_INVALPARAM;
    return on(In, handle, [&](WaveHandle& h) {
        *deviceId = h.deviceId();
        return MMSYSERR_NOERROR;
    });
}
