#include "TnvHookSwitchDevice.h"

#include "TnvPhone.h"
#include "TnvPhoneConnection.h"
#include "TnvPhoneDevice.h"
#include "TnvPhonePrivate.h"

#include <TapiApi.h>
#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvVantage.h>

namespace {

using Handler = TNV_NotifyEvent TnvPhoneEventSet::*;

struct KindInfo {
    const char* name;
    DWORD code;
    Handler hookSwitchEvent;
    Handler volumeEvent;
    Handler gainEvent;
    TnvPhonePopup::Event hookSwitchPopup;
    TnvPhonePopup::Event volumePopup;
    TnvPhonePopup::Event gainPopup;
};

const KindInfo kKinds[] = {
    {"Handset", PHONEHOOKSWITCHDEV_HANDSET, &TnvPhoneEventSet::OnHandsetHookSwitch, &TnvPhoneEventSet::OnHandsetVolume,
     &TnvPhoneEventSet::OnHandsetGain, TnvPhonePopup::OnHandsetHookSwitchEvent, TnvPhonePopup::OnHandsetVolumeEvent,
     TnvPhonePopup::OnHandsetGainEvent},
    {"Speakerphone", PHONEHOOKSWITCHDEV_SPEAKER, &TnvPhoneEventSet::OnSpeakerphoneHookSwitch,
     &TnvPhoneEventSet::OnSpeakerphoneVolume, &TnvPhoneEventSet::OnSpeakerphoneGain,
     TnvPhonePopup::OnSpeakerphoneHookSwitchEvent, TnvPhonePopup::OnSpeakerphoneVolumeEvent,
     TnvPhonePopup::OnSpeakerphoneGainEvent},
    {"Headset", PHONEHOOKSWITCHDEV_HEADSET, &TnvPhoneEventSet::OnHeadsetHookSwitch, &TnvPhoneEventSet::OnHeadsetVolume,
     &TnvPhoneEventSet::OnHeadsetGain, TnvPhonePopup::OnHeadsetHookSwitchEvent, TnvPhonePopup::OnHeadsetVolumeEvent,
     TnvPhonePopup::OnHeadsetGainEvent},
};

// numerator / denominator to the nearest integer, a half going to the even neighbour.
quint64 roundHalfEven(quint64 numerator, quint64 denominator)
{
    const quint64 quotient = numerator / denominator;
    const quint64 twice = 2 * (numerator % denominator);
    if (twice > denominator || (twice == denominator && (quotient & 1)))
        return quotient + 1;
    return quotient;
}

} // namespace

TnvHookSwitchDevice::TnvHookSwitchDevice(TnvPhonePrivate* phone, Kind kind, QObject* parent)
    : QObject(parent)
    , m_phone(phone)
    , m_kind(kind)
{
    setObjectName(DeviceName());
}

QString TnvHookSwitchDevice::DeviceName() const
{
    return QLatin1String(kKinds[m_kind].name);
}

DWORD TnvHookSwitchDevice::DeviceCode() const
{
    return kKinds[m_kind].code;
}

DWORD TnvHookSwitchDevice::toTapi(int level)
{
    if (level <= 0)
        return 0;
    if (level >= 100)
        return 0xFFFF;
    return DWORD(roundHalfEven(quint64(level) * 0xFFFF, 100));
}

int TnvHookSwitchDevice::fromTapi(DWORD value)
{
    // The service treats anything above 0xFFFF as the maximum; so does the control.
    if (value >= 0xFFFF)
        return 100;
    return int(roundHalfEven(quint64(value) * 100, 0xFFFF));
}

// --- Settings ----------------------------------------------------------------------

bool TnvHookSwitchDevice::modeSet(DWORD mode) const
{
    switch (mode) {
    case PHONEHOOKSWITCHMODE_ONHOOK: return m_onHook;
    case PHONEHOOKSWITCHMODE_MIC: return m_microphoneOnly;
    case PHONEHOOKSWITCHMODE_SPEAKER: return m_speakerOnly;
    default: return m_microphoneAndSpeaker;
    }
}

void TnvHookSwitchDevice::setMode(DWORD mode, const char* name, bool value)
{
    if (!value) {
        m_phone->ReportResult(false, qint32(PHONEERR_INVALHOOKSWITCHMODE));
        return;
    }
    if (!m_phone->Device()->Active() || modeSet(mode))
        return;
    m_phone->write(true, DeviceName() + QLatin1Char('.') + QLatin1String(name) + QStringLiteral(" := ")
                             + TnvVantage::BoolText(true));
    m_phone->Error()->Clear();
    const HPHONE handle = m_phone->Connection()->Handle();
    const DWORD code = DeviceCode();
    if (m_phone->runRequest(m_hookSwitchSlot, [=] { return phoneSetHookSwitch(handle, code, mode); }) == 0)
        storeMode(mode);
    m_phone->refreshHookSwitches();
}

void TnvHookSwitchDevice::setOnHook(bool value)
{
    setMode(PHONEHOOKSWITCHMODE_ONHOOK, "OnHook", value);
}

void TnvHookSwitchDevice::setMicrophoneOnly(bool value)
{
    setMode(PHONEHOOKSWITCHMODE_MIC, "MicrophoneOnly", value);
}

void TnvHookSwitchDevice::setSpeakerOnly(bool value)
{
    setMode(PHONEHOOKSWITCHMODE_SPEAKER, "SpeakerOnly", value);
}

void TnvHookSwitchDevice::setMicrophoneAndSpeaker(bool value)
{
    setMode(PHONEHOOKSWITCHMODE_MICSPEAKER, "MicrophoneAndSpeaker", value);
}

void TnvHookSwitchDevice::setLevel(bool volume, int value)
{
    if (value < 0 || value > 100 || !m_phone->Device()->Active())
        return;
    m_phone->write(true, DeviceName() + (volume ? QStringLiteral(".Volume := ") : QStringLiteral(".Gain := "))
                             + QString::number(value));
    m_phone->Error()->Clear();
    const HPHONE handle = m_phone->Connection()->Handle();
    const DWORD code = DeviceCode();
    const DWORD level = toTapi(value);
    qint32& slot = volume ? m_volumeSlot : m_gainSlot;
    const qint32 result = m_phone->runRequest(slot, [=] {
        return volume ? phoneSetVolume(handle, code, level) : phoneSetGain(handle, code, level);
    });
    if (result == 0)
        (volume ? m_volume : m_gain) = value;
    m_phone->refreshHookSwitches();
}

void TnvHookSwitchDevice::setVolume(int value)
{
    setLevel(true, value);
}

void TnvHookSwitchDevice::setGain(int value)
{
    setLevel(false, value);
}

// --- What the control keeps ---------------------------------------------------------

void TnvHookSwitchDevice::storeCapabilities(bool available, quint32 modes, bool volumeAvailable, bool gainAvailable)
{
    m_available = available;
    m_modes = modes;
    m_volumeAvailable = volumeAvailable;
    m_gainAvailable = gainAvailable;
}

void TnvHookSwitchDevice::clearCapabilities()
{
    storeCapabilities(false, 0, false, false);
}

void TnvHookSwitchDevice::storeMode(DWORD mode)
{
    m_onHook = mode & PHONEHOOKSWITCHMODE_ONHOOK;
    m_microphoneOnly = mode & PHONEHOOKSWITCHMODE_MIC;
    m_speakerOnly = mode & PHONEHOOKSWITCHMODE_SPEAKER;
    m_microphoneAndSpeaker = mode & PHONEHOOKSWITCHMODE_MICSPEAKER;
}

void TnvHookSwitchDevice::storeLevels(DWORD volume, DWORD gain)
{
    m_volume = fromTapi(volume);
    m_gain = fromTapi(gain);
}

void TnvHookSwitchDevice::clearSlots()
{
    m_hookSwitchSlot = 0;
    m_volumeSlot = 0;
    m_gainSlot = 0;
}

bool TnvHookSwitchDevice::takeReply(qint32 request, qint32 value)
{
    for (qint32* slot : {&m_hookSwitchSlot, &m_volumeSlot, &m_gainSlot}) {
        if (*slot == request) {
            *slot = value;
            return true;
        }
    }
    return false;
}

// --- State messages ----------------------------------------------------------------

void TnvHookSwitchDevice::fire(Handler handler, TnvPhonePopup::Event event)
{
    TnvPhoneEventSet& set = m_phone->events();
    if (m_phone->Vantage()->Events() && set.*handler)
        (set.*handler)(m_phone->control());
    m_phone->refreshHookSwitches();
    m_phone->Vantage()->ShowPopup(m_phone->Popup()->flag(event));
}

void TnvHookSwitchDevice::onHookSwitchState(DWORD mode)
{
    storeMode(mode);
    const QString path = QLatin1Char('\t') + DeviceName() + QLatin1Char('.');
    m_phone->write(true, QStringLiteral("On") + DeviceName() + QStringLiteral("HookSwitch"));
    m_phone->write(false, path + QStringLiteral("MicrophoneAndSpeaker = ") + TnvVantage::BoolText(m_microphoneAndSpeaker));
    m_phone->write(false, path + QStringLiteral("MicrophoneOnly = ") + TnvVantage::BoolText(m_microphoneOnly));
    m_phone->write(false, path + QStringLiteral("OnHook = ") + TnvVantage::BoolText(m_onHook));
    m_phone->write(false, path + QStringLiteral("SpeakerOnly = ") + TnvVantage::BoolText(m_speakerOnly));
    fire(kKinds[m_kind].hookSwitchEvent, kKinds[m_kind].hookSwitchPopup);
}

void TnvHookSwitchDevice::onVolumeState()
{
    DWORD value = 0;
    if (phoneGetVolume(m_phone->Connection()->Handle(), DeviceCode(), &value) == 0)
        m_volume = fromTapi(value);
    m_phone->write(true, QStringLiteral("On") + DeviceName() + QStringLiteral("Volume"));
    m_phone->write(false, QLatin1Char('\t') + DeviceName() + QStringLiteral(".Volume = ") + QString::number(m_volume));
    fire(kKinds[m_kind].volumeEvent, kKinds[m_kind].volumePopup);
}

void TnvHookSwitchDevice::onGainState()
{
    DWORD value = 0;
    if (phoneGetGain(m_phone->Connection()->Handle(), DeviceCode(), &value) == 0)
        m_gain = fromTapi(value);
    m_phone->write(true, QStringLiteral("On") + DeviceName() + QStringLiteral("Gain"));
    m_phone->write(false, QLatin1Char('\t') + DeviceName() + QStringLiteral(".Gain = ") + QString::number(m_gain));
    fire(kKinds[m_kind].gainEvent, kKinds[m_kind].gainPopup);
}

bool TnvHookSwitchDevice::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_phone->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, DeviceName());
    if (!opened)
        return false;
    const QString& path = *opened;
    const auto flag = [&](const char* name, bool value) {
        log->Add(false, path + QLatin1String(name) + QStringLiteral(" = ") + TnvVantage::BoolText(value));
    };
    flag("Available", m_available);
    log->Add(false, path + QStringLiteral("Gain = ") + QString::number(m_gain));
    flag("GainAvailable", m_gainAvailable);
    flag("MicrophoneAndSpeaker", m_microphoneAndSpeaker);
    flag("MicrophoneOnly", m_microphoneOnly);
    m_phone->Vantage()->LogFlags(path + QStringLiteral("Modes"), m_modes, HookSwitchModeText,
                                 PHONEHOOKSWITCHMODE_UNKNOWN, PHONEHOOKSWITCHMODE_ONHOOK);
    flag("OnHook", m_onHook);
    flag("SpeakerOnly", m_speakerOnly);
    log->Add(false, path + QStringLiteral("Volume = ") + QString::number(m_volume));
    flag("VolumeAvailable", m_volumeAvailable);
    return true;
}
