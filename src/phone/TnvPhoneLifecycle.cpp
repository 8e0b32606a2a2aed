// The phone control's life with the telephony service: loading, enabling, the device
// list, opening and closing the phone, and changing device.
#include "TnvPhonePrivate.h"

#include "TnvHookSwitchDevice.h"
#include "TnvPhone.h"
#include "TnvPhoneConnection.h"
#include "TnvPhoneDevice.h"
#include "TnvPhonePrivilege.h"
#include "TnvPhoneRelatedDevice.h"
#include "TnvPhoneView.h"

#include <TapiApi.h>
#include <TnvServiceLibrary.h>
#include <TnvStructBuffer.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvResultTexts.h>
#include <TnvTAPI.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

// --- Loading and enabling ----------------------------------------------------------

void TnvPhonePrivate::BeginLoading()
{
    m_loading = true;
}

void TnvPhonePrivate::Loaded()
{
    m_loading = false;
    if (!m_enabled)
        return;
    // The stored value said True; make it so now.
    m_enabled = false;
    setEnabled(true);
}

void TnvPhonePrivate::setEnabled(bool value)
{
    if (m_loading) {
        m_enabled = value;
        return;
    }
    if (value == m_enabled)
        return;
    if (value) {
        InitializeTAPI();
        m_device->list().clear();
        ReadDeviceInfo();
    } else {
        if (Vantage()->window()) {
            Vantage()->setVisible(false);
            Log()->Clear();
        }
        ShutdownTAPI();
        if (!m_initialised)
            ResetState();
    }
    m_enabled = m_initialised;
    if (TnvPhoneView* v = view()) {
        v->RefreshDeviceButton();
        v->RefreshHandset();
        v->RefreshHeadset();
        v->RefreshSpeakerphone();
        v->RefreshInfo();
    }
    if (TnvVantageWindow* window = Vantage()->window())
        window->refreshLogView();
}

LONG TnvPhonePrivate::InitializeTAPI()
{
    m_connection->setAppHandle(0);
    m_connection->setCapabilities(0, 0);
    DWORD count = 0;
    HPHONEAPP app = 0;
    LONG result = 0;
    m_usedInitializeEx = false;
    using InitializeEx = LONG (*)(HPHONEAPP*, void*, PHONECALLBACK, const char*, DWORD*, DWORD*,
                                  PHONEINITIALIZEEXPARAMS*);
    // Looked up at run time, as a service too old to have it must still be usable.
    if (const auto initializeEx = reinterpret_cast<InitializeEx>(TnvServiceLibrary::resolve("phoneInitializeExA"))) {
        DWORD version = m_tapi->HighVersion();
        // The 28-byte block callers have always passed.
        alignas(PHONEINITIALIZEEXPARAMS) char block[28] = {};
        auto* params = reinterpret_cast<PHONEINITIALIZEEXPARAMS*>(block);
        params->dwTotalSize = sizeof block;
        params->dwOptions = PHONEINITIALIZEEXOPTION_USEHIDDENWINDOW;
        result = initializeEx(&app, nullptr, &TnvPhonePrivate::PhoneCallback, nullptr, &count, &version, params);
        m_usedInitializeEx = true;
    } else {
        result = phoneInitialize(&app, nullptr, &TnvPhonePrivate::PhoneCallback, nullptr, &count);
    }
    m_device->storeCount(int(count));
    if (result != 0) {
        // The device listing that follows reports the failure.
        m_initialised = false;
        m_connection->setAppHandle(0);
        m_connection->setHandle(0);
    } else {
        m_connection->setAppHandle(app);
        m_initialised = true;
        Error()->Clear();
    }
    return result;
}

LONG TnvPhonePrivate::ShutdownTAPI()
{
    if (!m_connection->AppHandle())
        return 0;
    const LONG result = phoneShutdown(m_connection->AppHandle());
    if (result == 0) {
        m_connection->setAppHandle(0);
        m_connection->setHandle(0);
        m_initialised = false;
    }
    return result;
}

void TnvPhonePrivate::ResetState()
{
    clearDeviceData();
    m_tapi->ResetState();
    m_device->Capabilities()->clear();
    m_device->storeActive(false);
    m_device->storeName(QString());
    m_device->list().clear();
    m_device->storeID(0);
    m_device->storeCount(0);
    m_device->storeState(0, 0);
    m_connection->setHandle(0);
    clearSlots();
}

// --- Device information -----------------------------------------------------------

void TnvPhonePrivate::clearDeviceData()
{
    m_device->storeName(QString());
    m_tapi->setVersion(0);
    m_tapi->setExtensionVersion(0);
    m_tapi->setTSP(QString());
    m_lineDevice->clear();
    m_wavePlay->clear();
    m_waveRecord->clear();
    m_connection->setCapabilities(0, 0);
    for (TnvHookSwitchDevice* hookSwitch : {m_handset, m_speakerphone, m_headset})
        hookSwitch->clearCapabilities();
}

void TnvPhonePrivate::clearSlots()
{
    for (TnvHookSwitchDevice* hookSwitch : {m_handset, m_speakerphone, m_headset})
        hookSwitch->clearSlots();
}

LONG TnvPhonePrivate::ReadDevCaps(DWORD device, DWORD version, QByteArray& block)
{
    const HPHONEAPP app = m_connection->AppHandle();
    return TnvStructBuffer::read(sizeof(PHONECAPS), block, BufferCodes, [&](char* data) {
        return phoneGetDevCaps(app, device, version, 0, reinterpret_cast<PHONECAPS*>(data));
    });
}

void TnvPhonePrivate::storeDevCaps(const QByteArray& block)
{
    const PHONECAPS& caps = TnvStructBuffer::fields<PHONECAPS>(block);
    m_tapi->setTSP(TnvStructBuffer::text(block, caps.dwProviderInfoSize, caps.dwProviderInfoOffset));
    m_device->storeName(TnvStructBuffer::text(block, caps.dwPhoneNameSize, caps.dwPhoneNameOffset));
    m_connection->setCapabilities(caps.dwHookSwitchDevs, caps.dwPhoneStates);
    const struct {
        TnvHookSwitchDevice* device;
        DWORD modes;
    } devices[] = {{m_handset, caps.dwHandsetHookSwitchModes},
                   {m_speakerphone, caps.dwSpeakerHookSwitchModes},
                   {m_headset, caps.dwHeadsetHookSwitchModes}};
    for (const auto& [device, modes] : devices) {
        const DWORD code = device->DeviceCode();
        device->storeCapabilities(caps.dwHookSwitchDevs & code, modes, caps.dwVolumeFlags & code,
                                  caps.dwGainFlags & code);
    }
    m_device->Capabilities()->store(caps.dwHookSwitchDevs, caps.dwPhoneStates,
                                    TnvStructBuffer::part(block, caps.dwDevSpecificSize, caps.dwDevSpecificOffset));
}

void TnvPhonePrivate::ReadDeviceInfo()
{
    clearDeviceData();
    // A device that cannot be read must not keep the capabilities of the one before.
    m_device->Capabilities()->clear();

    LONG result = m_initialised ? 0 : -1;
    const DWORD count = DWORD(qMax(m_device->Count(), 0));
    const HPHONEAPP app = m_connection->AppHandle();
    if (m_initialised && count > 0 && m_device->List().isEmpty()) {
        for (DWORD i = 0; i < count; ++i) {
            DWORD version = 0;
            PHONEEXTENSIONID id{};
            LONG entryResult = phoneNegotiateAPIVersion(app, i, m_tapi->LowVersion(), m_tapi->HighVersion(), &version,
                                                        &id);
            QString name;
            if (entryResult == 0) {
                QByteArray block;
                entryResult = ReadDevCaps(i, version, block);
                if (entryResult == 0) {
                    const PHONECAPS& caps = TnvStructBuffer::fields<PHONECAPS>(block);
                    name = TnvStructBuffer::text(block, caps.dwPhoneNameSize, caps.dwPhoneNameOffset);
                }
            }
            if (entryResult != 0 || name.isEmpty()) {
                name = Vantage()->Notate(QStringLiteral("Device.Name unavailable: [")
                                         + TnvNotation::hex8(quint32(entryResult)) + QStringLiteral("]  ")
                                         + PhoneErrorText(entryResult));
            }
            m_device->list() << name;
        }
    }
    if (m_initialised && count > 0) {
        const DWORD device = DWORD(m_device->ID());
        DWORD version = 0;
        PHONEEXTENSIONID extension{};
        result = phoneNegotiateAPIVersion(app, device, m_tapi->LowVersion(), m_tapi->HighVersion(), &version,
                                          &extension);
        if (result == 0) {
            m_tapi->setVersion(version);
            if (m_tapi->ExtensionLowVersion() || m_tapi->ExtensionHighVersion()) {
                DWORD extVersion = 0;
                result = phoneNegotiateExtVersion(app, device, version, m_tapi->ExtensionLowVersion(),
                                                  m_tapi->ExtensionHighVersion(), &extVersion);
                if (result == 0)
                    m_tapi->setExtensionVersion(extVersion);
                else
                    write(true, QStringLiteral("\tPhneNegotiateExtVersion returned ") + PhoneErrorText(result));
            }
            QByteArray block;
            const LONG read = ReadDevCaps(device, version, block);
            if (read == 0)
                storeDevCaps(block);
            else if (result == 0)
                result = read;
            m_tapi->setExtensionID(extension.dwExtensionID0, extension.dwExtensionID1, extension.dwExtensionID2,
                                   extension.dwExtensionID3);
        }
    }
    refreshHookSwitches();
    ReportResult(false, result);
}

// --- Opening and closing -------------------------------------------------------------

void TnvPhonePrivate::setDeviceActive(bool value)
{
    if (value == m_device->Active())
        return;
    write(true, QStringLiteral("Device.Active := ") + TnvVantage::BoolText(value));
    if (value) {
        write(false, QStringLiteral("\tDevice.Count = %1").arg(m_device->Count()));
        write(false, QStringLiteral("\tDevice.ID = %1").arg(m_device->ID()));
        write(false, QStringLiteral("\tDevice.Name = '") + m_device->Name() + QLatin1Char('\''));
        OpenPhone();
    } else {
        ClosePhone(false);
    }
    refreshAfterDeviceChange();
}

void TnvPhonePrivate::ReadStatus()
{
    QByteArray block;
    const HPHONE handle = m_connection->Handle();
    const LONG result = TnvStructBuffer::read(sizeof(PHONESTATUS), block, BufferCodes, [&](char* data) {
        return phoneGetStatus(handle, reinterpret_cast<PHONESTATUS*>(data));
    });
    if (result != 0)
        return;
    const PHONESTATUS& status = TnvStructBuffer::fields<PHONESTATUS>(block);
    m_ringVolume = quint32(TnvHookSwitchDevice::fromTapi(status.dwRingVolume));
    m_handset->storeMode(status.dwHandsetHookSwitchMode);
    m_handset->storeLevels(status.dwHandsetVolume, status.dwHandsetGain);
    m_speakerphone->storeMode(status.dwSpeakerHookSwitchMode);
    m_speakerphone->storeLevels(status.dwSpeakerVolume, status.dwSpeakerGain);
    m_headset->storeMode(status.dwHeadsetHookSwitchMode);
    m_headset->storeLevels(status.dwHeadsetVolume, status.dwHeadsetGain);
}

void TnvPhonePrivate::lookUpRelatedDevices()
{
    for (TnvPhoneRelatedDevice* related : {m_lineDevice, m_wavePlay, m_waveRecord})
        related->lookUp();
}

bool TnvPhonePrivate::OpenPhone()
{
    bool opened = false;
    Error()->Clear();
    if (!m_initialised) {
        m_device->storeCount(0);
        ReportResult(false, -1);
        m_device->storeActive(false);
    } else {
        m_device->storeState(0, 0);
        m_lineDevice->clear();
        m_wavePlay->clear();
        m_waveRecord->clear();
        HPHONE handle = 0;
        const LONG result = phoneOpen(m_connection->AppHandle(), DWORD(m_device->ID()), &handle, m_tapi->Version(), 0,
                                      m_instance, m_privilege->phoneOpenPrivilege());
        if (result != 0) {
            ReportResult(false, result);
            m_device->storeActive(false);
        } else {
            m_connection->setHandle(handle);
            clearSlots();
            m_device->storeActive(true);
            ReadStatus();
            lookUpRelatedDevices();
            phoneSetStatusMessages(handle, AllPhoneStates, AllButtonModes, AllButtonStates);
            opened = true;
        }
    }
    refreshHookSwitches();
    return opened;
}

bool TnvPhonePrivate::ClosePhone(bool closedByService)
{
    Error()->Clear();
    if (!m_initialised) {
        m_device->storeActive(false);
        refreshHookSwitches();
        return true;
    }
    if (!closedByService) {
        const LONG result = phoneClose(m_connection->Handle());
        if (result != 0) {
            ReportResult(false, result);
            refreshHookSwitches();
            return false;
        }
    }
    m_connection->setHandle(0);
    m_device->storeActive(false);
    clearSlots();
    m_lineDevice->clear();
    m_wavePlay->clear();
    m_waveRecord->clear();
    refreshHookSwitches();
    return true;
}

// --- Device selection -------------------------------------------------------------------

void TnvPhonePrivate::setDeviceID(int value)
{
    // A stored selection waits for Loaded, which lists the devices and reads this one.
    if (m_loading) {
        m_device->storeID(value);
        return;
    }
    Error()->Clear();
    if (value < 0 || value >= m_device->Count()) {
        write(true, QStringLiteral("Device.ID := %1").arg(value));
        ReportResult(false, qint32(PHONEERR_BADDEVICEID));
        write(false, QStringLiteral("\tDevice.Count = %1").arg(m_device->Count()));
    } else {
        if (m_initialised && m_device->Active()) {
            setDeviceActive(false);
            if (m_device->Active())
                return;
        }
        write(true, QStringLiteral("Device.ID := %1").arg(value));
        write(false, QStringLiteral("\tDevice.Count = %1").arg(m_device->Count()));
        m_device->storeID(value);
        // Selecting the same device again reads it again too.
        ReadDeviceInfo();
    }
    refreshAfterDeviceChange();
    write(false, QStringLiteral("\tDevice.Name = '") + m_device->Name() + QLatin1Char('\''));
}

bool TnvPhonePrivate::Configure()
{
    write(true, QStringLiteral("Device.Configure"));
    // FIXME: the service has no configuration dialog for phones; this shows the line
    // device that has the phone's number, which on the exchange is the phone's own line.
    const LONG result = m_initialised ? lineConfigDialog(DWORD(m_device->ID()), nullptr, nullptr) : -1;
    bool ok = true;
    if (result < 0) {
        ReportResult(false, result);
        ok = false;
    } else {
        Error()->Clear();
    }
    write(true, QStringLiteral("\tDevice.Configure - Returned = ") + TnvVantage::BoolText(ok));
    return ok;
}
