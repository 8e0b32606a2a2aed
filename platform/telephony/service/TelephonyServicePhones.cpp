// The phone side of the service core: phone devices, their opens, status messages and
// the hook-switch, volume and gain requests.
#include "TelephonyService.h"

#include "StructWriter.h"

namespace Telephony {

namespace {

constexpr DWORD kHookSwitchDevs = PHONEHOOKSWITCHDEV_HANDSET | PHONEHOOKSWITCHDEV_SPEAKER | PHONEHOOKSWITCHDEV_HEADSET;

bool singleHookSwitchDev(DWORD device)
{
    return device == PHONEHOOKSWITCHDEV_HANDSET || device == PHONEHOOKSWITCHDEV_SPEAKER
        || device == PHONEHOOKSWITCHDEV_HEADSET;
}

} // namespace

LONG TelephonyService::phoneGetDevCaps(DWORD appHandle, DWORD device, DWORD apiVersion, PHONECAPS* out)
{
    if (const LONG error = checkDevice(true, appHandle, device))
        return error;
    const PhoneDeviceCaps* caps = m_phones[device].provider->phoneCaps(m_phones[device].index);
    if (!caps)
        return LONG(PHONEERR_NODEVICE);
    if (apiVersion < qMax(TAPI_VERSION1_0, caps->lowApiVersion) || apiVersion > qMin(TAPI_VERSION2_2, caps->highApiVersion))
        return LONG(PHONEERR_INCOMPATIBLEAPIVERSION);
    if (!out)
        return LONG(PHONEERR_INVALPOINTER);
    if (m_faults.takeTooSmall(QStringLiteral("phoneGetDevCaps")))
        return LONG(PHONEERR_STRUCTURETOOSMALL);
    StructBuilder<PHONECAPS> builder(phoneCapsSize(apiVersion));
    builder.fields() = caps->fixed;
    builder.fields().dwStringFormat = STRINGFORMAT_ASCII;
    builder.addText(&PHONECAPS::dwProviderInfoSize, &PHONECAPS::dwProviderInfoOffset, caps->providerInfo);
    builder.addText(&PHONECAPS::dwPhoneInfoSize, &PHONECAPS::dwPhoneInfoOffset, caps->phoneInfo);
    builder.addText(&PHONECAPS::dwPhoneNameSize, &PHONECAPS::dwPhoneNameOffset, caps->phoneName);
    builder.add(&PHONECAPS::dwDevSpecificSize, &PHONECAPS::dwDevSpecificOffset, caps->devSpecific);
    if (!caps->deviceClasses.isEmpty())
        builder.add(&PHONECAPS::dwDeviceClassesSize, &PHONECAPS::dwDeviceClassesOffset,
                    caps->deviceClasses.join(QChar(u'\0')).toUtf8() + QByteArray(2, '\0'));
    const LONG result = builder.write(out);
    return result == LONG(LINEERR_STRUCTURETOOSMALL) ? LONG(PHONEERR_STRUCTURETOOSMALL)
         : result == LONG(LINEERR_INVALPOINTER)      ? LONG(PHONEERR_INVALPOINTER)
                                                     : result;
}

LONG TelephonyService::phoneOpen(DWORD appHandle, DWORD device, HPHONE* phone, DWORD apiVersion, DWORD instance,
                                 DWORD privilege)
{
    if (const LONG error = checkDevice(true, appHandle, device))
        return error;
    if (!phone)
        return LONG(PHONEERR_INVALPOINTER);
    if (privilege != PHONEPRIVILEGE_OWNER && privilege != PHONEPRIVILEGE_MONITOR)
        return LONG(PHONEERR_INVALPRIVILEGE);
    if (apiVersion < TAPI_VERSION1_0 || apiVersion > TAPI_VERSION2_2)
        return LONG(PHONEERR_INCOMPATIBLEAPIVERSION);
    if (privilege == PHONEPRIVILEGE_OWNER) {
        for (const auto& [h, open] : m_phoneOpens)
            if (open.device == device && open.privilege == PHONEPRIVILEGE_OWNER)
                return LONG(PHONEERR_INUSE);
    }
    if (const LONG failed = injectedFailure("phoneOpen"))
        return failed;
    const Device& where = m_phones[device];
    if (const LONG error = where.provider->phoneOpen(where.index, privilege))
        return error;
    PhoneOpen open;
    open.handle = nextHandle();
    open.app = appHandle;
    open.device = device;
    open.instance = instance;
    open.privilege = privilege;
    m_phoneOpens.emplace(open.handle, open);
    *phone = open.handle;
    sendPhoneOpenCount(device, privilege);
    return 0;
}

LONG TelephonyService::phoneClose(HPHONE phone)
{
    auto it = m_phoneOpens.find(phone);
    if (it == m_phoneOpens.end())
        return LONG(PHONEERR_INVALPHONEHANDLE);
    const DWORD device = it->second.device;
    const DWORD privilege = it->second.privilege;
    m_phoneOpens.erase(it);
    bool stillOpen = false;
    for (const auto& [h, open] : m_phoneOpens)
        stillOpen = stillOpen || open.device == device;
    if (!stillOpen)
        m_phones[device].provider->phoneClose(m_phones[device].index);
    sendPhoneOpenCount(device, privilege);
    return 0;
}

void TelephonyService::sendPhoneOpenCount(DWORD device, DWORD privilege)
{
    DWORD count = 0;
    for (const auto& [h, open] : m_phoneOpens)
        count += open.device == device && open.privilege == privilege;
    phoneStateChanged(device, privilege == PHONEPRIVILEGE_OWNER ? PHONESTATE_OWNER : PHONESTATE_MONITORS, count);
}

LONG TelephonyService::phoneSetStatusMessages(HPHONE phone, DWORD states, DWORD buttonModes, DWORD buttonStates)
{
    auto it = m_phoneOpens.find(phone);
    if (it == m_phoneOpens.end())
        return LONG(PHONEERR_INVALPHONEHANDLE);
    const Device& where = m_phones[it->second.device];
    const PhoneDeviceCaps* caps = where.provider->phoneCaps(where.index);
    // Asking for everything is common; what the device cannot report is simply never sent.
    it->second.states = states & (caps ? caps->fixed.dwPhoneStates : 0);
    it->second.buttonModes = buttonModes;
    it->second.buttonStates = buttonStates;
    return 0;
}

LONG TelephonyService::phoneGetStatus(HPHONE phone, PHONESTATUS* out)
{
    auto it = m_phoneOpens.find(phone);
    if (it == m_phoneOpens.end())
        return LONG(PHONEERR_INVALPHONEHANDLE);
    if (!out)
        return LONG(PHONEERR_INVALPOINTER);
    if (m_faults.takeTooSmall(QStringLiteral("phoneGetStatus")))
        return LONG(PHONEERR_STRUCTURETOOSMALL);
    const Device& where = m_phones[it->second.device];
    const PhoneStatusData data = where.provider->phoneStatus(where.index);
    StructBuilder<PHONESTATUS> builder(phoneStatusSize(TAPI_VERSION2_2));
    PHONESTATUS& fields = builder.fields();
    fields = data.fixed;
    fields.dwNumOwners = fields.dwNumMonitors = 0;
    for (const auto& [h, open] : m_phoneOpens) {
        if (open.device != it->second.device)
            continue;
        fields.dwNumOwners += open.privilege == PHONEPRIVILEGE_OWNER;
        fields.dwNumMonitors += open.privilege == PHONEPRIVILEGE_MONITOR;
    }
    builder.addText(&PHONESTATUS::dwDisplaySize, &PHONESTATUS::dwDisplayOffset, data.display);
    builder.add(&PHONESTATUS::dwDevSpecificSize, &PHONESTATUS::dwDevSpecificOffset, data.devSpecific);
    const LONG result = builder.write(out);
    return result == LONG(LINEERR_STRUCTURETOOSMALL) ? LONG(PHONEERR_STRUCTURETOOSMALL) : result;
}

LONG TelephonyService::phoneGetId(HPHONE phone, VARSTRING* out, const QByteArray& deviceClass)
{
    auto it = m_phoneOpens.find(phone);
    if (it == m_phoneOpens.end())
        return LONG(PHONEERR_INVALPHONEHANDLE);
    if (!out)
        return LONG(PHONEERR_INVALPOINTER);
    const Device& where = m_phones[it->second.device];
    // The attached line: the first of the same provider whose phone this is.
    int line = -1;
    for (size_t i = 0; i < m_lines.size() && line < 0; ++i) {
        DWORD phoneOfLine = 0;
        if (m_lines[i].provider == where.provider
            && where.provider->deviceId(m_lines[i].index, QStringLiteral("tapi/phone"), &phoneOfLine) == 0
            && int(phoneOfLine) == where.index)
            line = int(i);
    }
    DWORD id = 0;
    if (deviceClass == "tapi/phone") {
        id = it->second.device;
    } else if (deviceClass == "tapi/line") {
        if (line < 0)
            return LONG(PHONEERR_INVALDEVICECLASS);
        id = DWORD(line);
    } else if (deviceClass == "wave/in" || deviceClass == "wave/out") {
        // The phone's audio runs through the wave devices of the line it is attached to.
        if (line < 0
            || where.provider->deviceId(m_lines[size_t(line)].index, QString::fromLatin1(deviceClass), &id) != 0)
            return LONG(PHONEERR_INVALDEVICECLASS);
    } else {
        return LONG(PHONEERR_INVALDEVICECLASS);
    }
    if (m_faults.takeTooSmall(QStringLiteral("phoneGetID")))
        return LONG(PHONEERR_STRUCTURETOOSMALL);
    StructBuilder<VARSTRING> builder;
    builder.fields().dwStringFormat = STRINGFORMAT_BINARY;
    builder.add(&VARSTRING::dwStringSize, &VARSTRING::dwStringOffset,
                QByteArray(reinterpret_cast<const char*>(&id), sizeof id));
    const LONG result = builder.write(out);
    return result == LONG(LINEERR_STRUCTURETOOSMALL) ? LONG(PHONEERR_STRUCTURETOOSMALL) : result;
}

LONG TelephonyService::phoneGetValue(HPHONE phone, const char* function, DWORD device, DWORD* value)
{
    auto it = m_phoneOpens.find(phone);
    if (it == m_phoneOpens.end())
        return LONG(PHONEERR_INVALPHONEHANDLE);
    if (!value)
        return LONG(PHONEERR_INVALPOINTER);
    const Device& where = m_phones[it->second.device];
    const PHONESTATUS status = where.provider->phoneStatus(where.index).fixed;
    const QByteArray name(function);
    if (name == "phoneGetHookSwitch") {
        // The devices that are off hook.
        *value = (status.dwHandsetHookSwitchMode & ~PHONEHOOKSWITCHMODE_ONHOOK ? PHONEHOOKSWITCHDEV_HANDSET : 0)
            | (status.dwSpeakerHookSwitchMode & ~PHONEHOOKSWITCHMODE_ONHOOK ? PHONEHOOKSWITCHDEV_SPEAKER : 0)
            | (status.dwHeadsetHookSwitchMode & ~PHONEHOOKSWITCHMODE_ONHOOK ? PHONEHOOKSWITCHDEV_HEADSET : 0);
        return 0;
    }
    if (!singleHookSwitchDev(device))
        return LONG(PHONEERR_INVALHOOKSWITCHDEV);
    const bool volume = name == "phoneGetVolume";
    switch (device) {
    case PHONEHOOKSWITCHDEV_HANDSET: *value = volume ? status.dwHandsetVolume : status.dwHandsetGain; break;
    case PHONEHOOKSWITCHDEV_SPEAKER: *value = volume ? status.dwSpeakerVolume : status.dwSpeakerGain; break;
    default: *value = volume ? status.dwHeadsetVolume : status.dwHeadsetGain; break;
    }
    return 0;
}

LONG TelephonyService::phoneRequest(HPHONE phone, const char* function, DWORD device, DWORD value)
{
    auto it = m_phoneOpens.find(phone);
    if (it == m_phoneOpens.end())
        return LONG(PHONEERR_INVALPHONEHANDLE);
    if (it->second.privilege != PHONEPRIVILEGE_OWNER)
        return LONG(PHONEERR_NOTOWNER);
    const QByteArray name(function);
    const bool hookSwitch = name == "phoneSetHookSwitch";
    if (hookSwitch ? (device == 0 || (device & ~kHookSwitchDevs)) : !singleHookSwitchDev(device))
        return LONG(PHONEERR_INVALHOOKSWITCHDEV);
    if (hookSwitch && value != PHONEHOOKSWITCHMODE_ONHOOK && value != PHONEHOOKSWITCHMODE_MIC
        && value != PHONEHOOKSWITCHMODE_SPEAKER && value != PHONEHOOKSWITCHMODE_MICSPEAKER)
        return LONG(PHONEERR_INVALHOOKSWITCHMODE);
    if (!hookSwitch && value > 0xFFFF)
        return LONG(PHONEERR_INVALPARAM);
    const DWORD request = startRequest(QString::fromLatin1(function), phone, true);
    if (const LONG failed = injectedFailure(function)) {
        QMetaObject::invokeMethod(this, [this, request, failed] { completeRequest(request, failed); }, Qt::QueuedConnection);
        return LONG(request);
    }
    const Device& where = m_phones[it->second.device];
    TelephonyProvider* provider = where.provider;
    const LONG error = hookSwitch                   ? provider->phoneSetHookSwitch(request, where.index, device, value)
                     : name == "phoneSetVolume"     ? provider->phoneSetVolume(request, where.index, device, value)
                                                    : provider->phoneSetGain(request, where.index, device, value);
    if (error) {
        m_requests.erase(request);
        return error;
    }
    return LONG(request);
}

void TelephonyService::phoneStateChanged(DWORD phone, DWORD state, DWORD param2)
{
    for (const auto& [h, open] : m_phoneOpens) {
        const DWORD wanted = state & (open.states | PHONESTATE_REINIT);
        if (open.device == phone && wanted)
            postToPhone(open, {h, PHONE_STATE, open.instance, wanted, param2, 0, {}});
    }
}

void TelephonyService::phoneDevSpecific(DWORD phone, DWORD param1, DWORD param2, DWORD param3)
{
    for (const auto& [h, open] : m_phoneOpens)
        if (open.device == phone)
            postToPhone(open, {h, PHONE_DEVSPECIFIC, open.instance, param1, param2, param3, {}});
}

void TelephonyService::phoneClosed(DWORD phone)
{
    // Every open goes at once; replies still owed to them are never sent, as the
    // handles they were asked through are gone.
    std::vector<PhoneOpen> closed;
    for (const auto& [h, open] : m_phoneOpens)
        if (open.device == phone)
            closed.push_back(open);
    for (const PhoneOpen& open : closed) {
        postToPhone(open, {open.handle, PHONE_CLOSE, open.instance, 0, 0, 0, {}});
        m_phoneOpens.erase(open.handle);
    }
    if (!closed.empty())
        m_phones[phone].provider->phoneClose(m_phones[phone].index);
}

void TelephonyService::phoneButton(DWORD phone, DWORD buttonId, DWORD buttonMode, DWORD buttonState)
{
    for (const auto& [h, open] : m_phoneOpens) {
        if (open.device == phone && (open.buttonModes & buttonMode) && (open.buttonStates & buttonState))
            postToPhone(open, {h, PHONE_BUTTON, open.instance, buttonId, buttonMode, buttonState, {}});
    }
}

} // namespace Telephony
