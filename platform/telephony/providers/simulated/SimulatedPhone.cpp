#include "SimulatedPhone.h"

#include "../../TapiConstants.h"

namespace Telephony::Sim {

namespace {

constexpr DWORD kAllDevs = PHONEHOOKSWITCHDEV_HANDSET | PHONEHOOKSWITCHDEV_SPEAKER | PHONEHOOKSWITCHDEV_HEADSET;
constexpr DWORD kHookModes = PHONEHOOKSWITCHMODE_ONHOOK | PHONEHOOKSWITCHMODE_MIC | PHONEHOOKSWITCHMODE_SPEAKER |
                             PHONEHOOKSWITCHMODE_MICSPEAKER;
constexpr DWORD kFeatures =
    PHONEFEATURE_GETGAINHANDSET | PHONEFEATURE_GETGAINSPEAKER | PHONEFEATURE_GETGAINHEADSET |
    PHONEFEATURE_GETHOOKSWITCHHANDSET | PHONEFEATURE_GETHOOKSWITCHSPEAKER | PHONEFEATURE_GETHOOKSWITCHHEADSET |
    PHONEFEATURE_GETRING | PHONEFEATURE_GETVOLUMEHANDSET | PHONEFEATURE_GETVOLUMESPEAKER |
    PHONEFEATURE_GETVOLUMEHEADSET | PHONEFEATURE_SETGAINHANDSET | PHONEFEATURE_SETGAINSPEAKER |
    PHONEFEATURE_SETGAINHEADSET | PHONEFEATURE_SETHOOKSWITCHHANDSET | PHONEFEATURE_SETHOOKSWITCHSPEAKER |
    PHONEFEATURE_SETHOOKSWITCHHEADSET | PHONEFEATURE_SETVOLUMEHANDSET | PHONEFEATURE_SETVOLUMESPEAKER |
    PHONEFEATURE_SETVOLUMEHEADSET;

bool singleDev(DWORD dev)
{
    return dev == PHONEHOOKSWITCHDEV_HANDSET || dev == PHONEHOOKSWITCHDEV_SPEAKER ||
           dev == PHONEHOOKSWITCHDEV_HEADSET;
}

} // namespace

SimulatedPhone::SimulatedPhone()
{
    PHONECAPS& c = m_caps.fixed;
    c.dwPermanentPhoneID = 0x4C4B5001;
    c.dwStringFormat = STRINGFORMAT_ASCII;
    c.dwPhoneStates = PHONESTATE_OTHER | PHONESTATE_CONNECTED | PHONESTATE_DISCONNECTED | PHONESTATE_OWNER |
                      PHONESTATE_MONITORS | PHONESTATE_HANDSETHOOKSWITCH | PHONESTATE_HANDSETVOLUME |
                      PHONESTATE_HANDSETGAIN | PHONESTATE_SPEAKERHOOKSWITCH | PHONESTATE_SPEAKERVOLUME |
                      PHONESTATE_SPEAKERGAIN | PHONESTATE_HEADSETHOOKSWITCH | PHONESTATE_HEADSETVOLUME |
                      PHONESTATE_HEADSETGAIN | PHONESTATE_REINIT;
    c.dwHookSwitchDevs = kAllDevs;
    c.dwHandsetHookSwitchModes = kHookModes;
    c.dwSpeakerHookSwitchModes = kHookModes;
    c.dwHeadsetHookSwitchModes = kHookModes;
    c.dwVolumeFlags = kAllDevs;
    c.dwGainFlags = kAllDevs;
    c.dwDisplayNumRows = 0;
    c.dwDisplayNumColumns = 0;
    c.dwNumRingModes = 1;
    c.dwNumButtonLamps = 12; // the keypad: 0-9, *, # (PHONEBUTTONMODE_KEYPAD)
    c.dwPhoneFeatures = kFeatures;
    c.dwSettableHandsetHookSwitchModes = kHookModes;
    c.dwSettableSpeakerHookSwitchModes = kHookModes;
    c.dwSettableHeadsetHookSwitchModes = kHookModes;
    c.dwMonitoredHandsetHookSwitchModes = kHookModes;
    c.dwMonitoredSpeakerHookSwitchModes = kHookModes;
    c.dwMonitoredHeadsetHookSwitchModes = kHookModes;
    m_caps.providerInfo = "Linkora Simulated Exchange";
    m_caps.phoneInfo = "Handset, speakerphone and headset with a twelve-button keypad";
    m_caps.phoneName = "Linkora Simulated Handset";
    m_caps.deviceClasses = {QStringLiteral("tapi/phone"), QStringLiteral("tapi/line"), QStringLiteral("wave/in"),
                            QStringLiteral("wave/out")};

    PHONESTATUS& s = m_status;
    s.dwStatusFlags = PHONESTATUSFLAGS_CONNECTED;
    s.dwRingMode = 0;
    s.dwRingVolume = 0x8000;
    s.dwHandsetHookSwitchMode = PHONEHOOKSWITCHMODE_ONHOOK;
    s.dwSpeakerHookSwitchMode = PHONEHOOKSWITCHMODE_ONHOOK;
    s.dwHeadsetHookSwitchMode = PHONEHOOKSWITCHMODE_ONHOOK;
    s.dwHandsetVolume = s.dwSpeakerVolume = s.dwHeadsetVolume = 0x8000;
    s.dwHandsetGain = s.dwSpeakerGain = s.dwHeadsetGain = 0x8000;
    s.dwPhoneFeatures = kFeatures;
}

LONG SimulatedPhone::open(DWORD privilege)
{
    if (privilege != PHONEPRIVILEGE_MONITOR && privilege != PHONEPRIVILEGE_OWNER)
        return LONG(PHONEERR_INVALPRIVILEGE);
    ++m_opens;
    return 0;
}

void SimulatedPhone::close()
{
    if (m_opens > 0)
        --m_opens;
}

PhoneStatusData SimulatedPhone::status() const
{
    PhoneStatusData d;
    d.fixed = m_status;
    return d;
}

LONG SimulatedPhone::setHookSwitch(DWORD devs, DWORD mode, Changes* changes)
{
    if (devs == 0 || (devs & ~kAllDevs) != 0)
        return LONG(PHONEERR_INVALHOOKSWITCHDEV);
    if (mode != PHONEHOOKSWITCHMODE_ONHOOK && mode != PHONEHOOKSWITCHMODE_MIC && mode != PHONEHOOKSWITCHMODE_SPEAKER &&
        mode != PHONEHOOKSWITCHMODE_MICSPEAKER)
        return LONG(PHONEERR_INVALHOOKSWITCHMODE);
    if (devs & PHONEHOOKSWITCHDEV_HANDSET) {
        m_status.dwHandsetHookSwitchMode = mode;
        changes->append({PHONESTATE_HANDSETHOOKSWITCH, mode});
    }
    if (devs & PHONEHOOKSWITCHDEV_SPEAKER) {
        m_status.dwSpeakerHookSwitchMode = mode;
        changes->append({PHONESTATE_SPEAKERHOOKSWITCH, mode});
    }
    if (devs & PHONEHOOKSWITCHDEV_HEADSET) {
        m_status.dwHeadsetHookSwitchMode = mode;
        changes->append({PHONESTATE_HEADSETHOOKSWITCH, mode});
    }
    return 0;
}

LONG SimulatedPhone::setVolume(DWORD dev, DWORD volume, Changes* changes)
{
    if (!singleDev(dev))
        return LONG(PHONEERR_INVALHOOKSWITCHDEV);
    volume = qMin<DWORD>(volume, 0xFFFF); // TAPI: larger values mean the maximum
    switch (dev) {
    case PHONEHOOKSWITCHDEV_HANDSET:
        m_status.dwHandsetVolume = volume;
        changes->append({PHONESTATE_HANDSETVOLUME, volume});
        break;
    case PHONEHOOKSWITCHDEV_SPEAKER:
        m_status.dwSpeakerVolume = volume;
        changes->append({PHONESTATE_SPEAKERVOLUME, volume});
        break;
    default:
        m_status.dwHeadsetVolume = volume;
        changes->append({PHONESTATE_HEADSETVOLUME, volume});
        break;
    }
    return 0;
}

LONG SimulatedPhone::setGain(DWORD dev, DWORD gain, Changes* changes)
{
    if (!singleDev(dev))
        return LONG(PHONEERR_INVALHOOKSWITCHDEV);
    gain = qMin<DWORD>(gain, 0xFFFF);
    switch (dev) {
    case PHONEHOOKSWITCHDEV_HANDSET:
        m_status.dwHandsetGain = gain;
        changes->append({PHONESTATE_HANDSETGAIN, gain});
        break;
    case PHONEHOOKSWITCHDEV_SPEAKER:
        m_status.dwSpeakerGain = gain;
        changes->append({PHONESTATE_SPEAKERGAIN, gain});
        break;
    default:
        m_status.dwHeadsetGain = gain;
        changes->append({PHONESTATE_HEADSETGAIN, gain});
        break;
    }
    return 0;
}

int SimulatedPhone::buttonForDigit(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit == '*')
        return 10;
    if (digit == '#')
        return 11;
    return -1;
}

} // namespace Telephony::Sim
