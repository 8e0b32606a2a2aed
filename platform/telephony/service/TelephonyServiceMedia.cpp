// The media side of the service core: digit and tone generation, digit monitoring and
// gathering, media and tone monitoring, and the reports providers make about them.
#include "TelephonyService.h"

#include "../TapiConstants.h"
#include "CallParamsReader.h"

#include <QDateTime>

#include <cstring>

namespace Telephony {

namespace {

constexpr DWORD kDigitModes = LINEDIGITMODE_PULSE | LINEDIGITMODE_DTMF;

DWORD tickCount()
{
    return DWORD(QDateTime::currentMSecsSinceEpoch());
}

// Digits to generate (dialModifiers: with pauses and waits) or that end a gathering: DTMF
// digits, not addresses, so the API's own rule applies whatever the provider.
bool validDigits(const QByteArray& digits, bool dialModifiers)
{
    static const QByteArray plain = QByteArrayLiteral("0123456789*#ABCDabcd");
    static const QByteArray modifiers = QByteArrayLiteral("!,WwPpTt@$");
    for (char c : digits)
        if (!plain.contains(c) && !(dialModifiers && modifiers.contains(c)))
            return false;
    return true;
}

} // namespace

bool TelephonyService::detectsDigitModes(CallId id, DWORD modes) const
{
    // A device detects only the digit modes its capabilities name (the simulated lines:
    // DTMF, not pulse); 0 switches monitoring off and is always fine.
    const LineDeviceCaps* caps = lineCaps(m_calls.at(id).device);
    return caps && (modes & ~caps->fixed.dwMonitorDigitModes) == 0;
}

LONG TelephonyService::generateDigits(HCALL value, DWORD mode, const QByteArray& digits, DWORD duration)
{
    CallHandle* handle = nullptr;
    if (const LONG error = requireOwner(value, &handle))
        return error;
    if (mode != LINEDIGITMODE_PULSE && mode != LINEDIGITMODE_DTMF)
        return LONG(LINEERR_INVALDIGITMODE);
    if (!validDigits(digits, true))
        return LONG(LINEERR_INVALDIGITS);
    if (const LONG failed = injectedFailure("lineGenerateDigits"))
        return failed;
    return m_lines[m_calls.at(handle->call).device].provider->generateDigits(handle->call, value, mode, digits, duration);
}

LONG TelephonyService::generateTone(HCALL value, DWORD mode, DWORD duration, const QList<LINEGENERATETONE>& tones)
{
    CallHandle* handle = nullptr;
    if (const LONG error = requireOwner(value, &handle))
        return error;
    if (mode != LINETONEMODE_CUSTOM && mode != LINETONEMODE_RINGBACK && mode != LINETONEMODE_BUSY
        && mode != LINETONEMODE_BEEP && mode != LINETONEMODE_BILLING && mode != 0)
        return LONG(LINEERR_INVALTONEMODE);
    if (mode == LINETONEMODE_CUSTOM && tones.isEmpty())
        return LONG(LINEERR_INVALTONE);
    if (const LONG failed = injectedFailure("lineGenerateTone"))
        return failed;
    return m_lines[m_calls.at(handle->call).device].provider->generateTone(handle->call, value, mode, duration, tones);
}

LONG TelephonyService::gatherDigits(HCALL value, DWORD modes, char* buffer, DWORD count, const QByteArray& terminators,
                                    DWORD firstTimeout, DWORD interTimeout)
{
    CallHandle* handle = nullptr;
    if (const LONG error = requireOwner(value, &handle))
        return error;
    if (!buffer) {
        if (handle->gather)
            endGather(*handle, LINEGATHERTERM_CANCEL);
        return 0;
    }
    if (modes == 0 || (modes & ~kDigitModes) || !detectsDigitModes(handle->call, modes))
        return LONG(LINEERR_INVALDIGITMODE);
    if (count == 0 || count > kMaxText)
        return LONG(LINEERR_INVALPARAM);
    if (!validDigits(terminators, false))
        return LONG(LINEERR_INVALDIGITS);
    if (handle->gather)
        endGather(*handle, LINEGATHERTERM_CANCEL);
    auto gather = std::make_unique<Gather>();
    gather->buffer = buffer;
    gather->count = count;
    gather->modes = modes;
    gather->terminators = terminators;
    gather->interTimeout = interTimeout;
    handle->gather = std::move(gather);
    if (firstTimeout)
        restartGatherTimer(*handle, firstTimeout, LINEGATHERTERM_FIRSTTIMEOUT);
    return 0;
}

void TelephonyService::restartGatherTimer(CallHandle& handle, DWORD timeout, DWORD termination)
{
    Gather& gather = *handle.gather;
    gather.timer = std::make_unique<QTimer>();
    gather.timer->setSingleShot(true);
    const HCALL value = handle.handle;
    connect(gather.timer.get(), &QTimer::timeout, this, [this, value, termination] {
        if (CallHandle* still = callHandle(value); still && still->gather)
            endGather(*still, termination);
    });
    gather.timer->start(int(qMin<DWORD>(timeout, 0x7FFFFFFF)));
}

void TelephonyService::endGather(CallHandle& handle, DWORD termination)
{
    std::unique_ptr<Gather> gather = std::move(handle.gather);
    if (gather->timer)
        gather->timer.release()->deleteLater(); // it may be the one firing now
    LineOpen* open = lineOpen(handle.line);
    if (!open)
        return;
    Message message{handle.handle, LINE_GATHERDIGITS, open->instance, termination, 0, tickCount(), {}};
    message.prepare = [buffer = gather->buffer, count = gather->count, digits = gather->digits] {
        std::memcpy(buffer, digits.constData(), size_t(qMin<qsizetype>(count, digits.size())));
    };
    postToLine(*open, std::move(message));
}

LONG TelephonyService::monitorDigits(HCALL value, DWORD modes)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if ((modes & ~(kDigitModes | LINEDIGITMODE_DTMFEND)) || !detectsDigitModes(handle->call, modes))
        return LONG(LINEERR_INVALDIGITMODE);
    handle->monitorDigitModes = modes;
    return 0;
}

LONG TelephonyService::monitorMedia(HCALL value, DWORD modes)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (modes & ~kKnownMediaModes)
        return LONG(LINEERR_INVALMEDIAMODE);
    handle->monitorMediaModes = modes;
    return 0;
}

LONG TelephonyService::monitorTones(HCALL value, const QList<LINEMONITORTONE>& tones)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (const LONG failed = injectedFailure("lineMonitorTones"))
        return failed;
    return m_lines[m_calls.at(handle->call).device].provider->monitorTones(handle->call, value, tones);
}

void TelephonyService::digitReceived(CallId id, char digit, DWORD mode)
{
    Call* c = call(id);
    if (!c)
        return;
    const std::vector<HCALL> handles = c->handles;
    for (HCALL h : handles) {
        CallHandle* handle = callHandle(h);
        if (!handle)
            continue;
        LineOpen* open = lineOpen(handle->line);
        if (open && (handle->monitorDigitModes & mode))
            postToLine(*open, {h, LINE_MONITORDIGITS, open->instance, DWORD(quint8(digit)), mode, tickCount(), {}});
        if (!handle->gather || !(handle->gather->modes & mode))
            continue;
        Gather& gather = *handle->gather;
        gather.digits.append(digit);
        if (gather.terminators.contains(digit))
            endGather(*handle, LINEGATHERTERM_TERMDIGIT);
        else if (DWORD(gather.digits.size()) >= gather.count)
            endGather(*handle, LINEGATHERTERM_BUFFERFULL);
        else if (gather.interTimeout)
            restartGatherTimer(*handle, gather.interTimeout, LINEGATHERTERM_INTERTIMEOUT);
        else if (gather.timer)
            gather.timer->stop();
    }
}

void TelephonyService::mediaModeDetected(CallId id, DWORD mode)
{
    const Call* c = call(id);
    if (!c)
        return;
    for (HCALL h : c->handles) {
        const CallHandle& handle = m_handles.at(h);
        if (LineOpen* open = lineOpen(handle.line); open && (handle.monitorMediaModes & mode))
            postToLine(*open, {h, LINE_MONITORMEDIA, open->instance, mode, 0, tickCount(), {}});
    }
}

void TelephonyService::toneDetected(DWORD token, DWORD appSpecific)
{
    if (CallHandle* handle = callHandle(token))
        if (LineOpen* open = lineOpen(handle->line))
            postToLine(*open, {token, LINE_MONITORTONE, open->instance, appSpecific, 0, tickCount(), {}});
}

void TelephonyService::generateFinished(DWORD token, DWORD termination)
{
    if (CallHandle* handle = callHandle(token))
        if (LineOpen* open = lineOpen(handle->line))
            postToLine(*open, {token, LINE_GENERATE, open->instance, termination, 0, tickCount(), {}});
}

} // namespace Telephony
