// The line control's life with the telephony service: loading, enabling, the device
// list, opening and closing the line, changing device, and the property dump.
#include "TnvLinePrivate.h"

#include "TnvCallOperations.h"
#include "TnvLine.h"

#include "TnvAddress.h"
#include "TnvAddressCaps.h"
#include "TnvAddressForward.h"
#include "TnvCall.h"
#include "TnvCallParameters.h"
#include "TnvConference.h"
#include "TnvLineDevice.h"
#include "TnvLineDeviceCaps.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvMediaModes.h"
#include "TnvPopup.h"
#include "TnvPrivilege.h"
#include "TnvRelatedCommDevice.h"
#include "TnvRelatedPhoneDevice.h"
#include "TnvRelatedWaveDevice.h"
#include "TnvTapiBuffer.h"
#include "TnvTelephonyLibrary.h"
#include "TnvTerminal.h"
#include "TnvTransfer.h"

#include <TapiApi.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvResultTexts.h>
#include <TnvTAPI.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

namespace {

// The last Device.Active request of any line control, which Loaded repeats.
bool g_activeRequest = false;

} // namespace

// --- Loading and enabling ----------------------------------------------------------

bool TnvLinePrivate::rememberedActiveRequest()
{
    return g_activeRequest;
}

void TnvLinePrivate::setRememberedActiveRequest(bool value)
{
    g_activeRequest = value;
}

void TnvLinePrivate::BeginLoading()
{
    m_loading = true;
}

void TnvLinePrivate::Loaded()
{
    m_loading = false;
    if (!m_enabled)
        return;
    InitializeTAPI();
    ReadDeviceInfo();
    m_enabled = m_initialised;
    if (g_activeRequest)
        m_device->setActive(true);
}

void TnvLinePrivate::setEnabled(bool value)
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
        if (m_device->Active())
            m_device->setActive(false);
        ShutdownTAPI();
        if (!m_initialised)
            ResetState();
    }
    m_enabled = m_initialised;
    if (TnvLineView* v = view())
        v->RefreshEnabled();
}

LONG TnvLinePrivate::InitializeTAPI()
{
    m_line->setAppHandle(0);
    DWORD count = 0;
    HLINEAPP app = 0;
    LONG result = LONG(LINEERR_OPERATIONFAILED);
    m_usedInitializeEx = false;
    if (TnvTelephonyLibrary::InitializeEx initializeEx = TnvTelephonyLibrary::initializeEx()) {
        DWORD version = m_tapi->HighVersion();
        // The 28-byte block callers have always passed.
        alignas(LINEINITIALIZEEXPARAMS) char block[28] = {};
        auto* params = reinterpret_cast<LINEINITIALIZEEXPARAMS*>(block);
        params->dwTotalSize = sizeof block;
        params->dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
        result = initializeEx(&app, nullptr, &TnvLinePrivate::LineCallback, nullptr, &count, &version, params);
        m_usedInitializeEx = result != LONG(LINEERR_OPERATIONFAILED);
    }
    if (result == LONG(LINEERR_OPERATIONFAILED))
        result = lineInitialize(&app, nullptr, &TnvLinePrivate::LineCallback, nullptr, &count);
    m_device->storeCount(int(count));
    if (result != 0) {
        ReportResult(false, result);
        m_initialised = false;
        m_line->setAppHandle(0);
        m_line->setHandle(0);
    } else {
        m_line->setAppHandle(app);
        m_initialised = true;
        Error()->Clear();
    }
    return result;
}

LONG TnvLinePrivate::ShutdownTAPI()
{
    if (!m_line->AppHandle())
        return 0;
    const LONG result = lineShutdown(m_line->AppHandle());
    if (result == 0) {
        m_line->setAppHandle(0);
        m_initialised = false;
    }
    return result;
}

// --- Device information -----------------------------------------------------------

void TnvLinePrivate::storeDevCaps(const QByteArray& block)
{
    const LINEDEVCAPS& caps = TnvTapiBuffer::fields<LINEDEVCAPS>(block);
    m_address->storeCount(int(caps.dwNumAddresses));
    m_tapi->setTSP(TnvTapiBuffer::text(block, caps.dwProviderInfoSize, caps.dwProviderInfoOffset));
    m_device->storeName(TnvTapiBuffer::text(block, caps.dwLineNameSize, caps.dwLineNameOffset));
    m_device->MediaModes()->setAvailable(caps.dwMediaModes);
    m_device->MediaModes()->setActive(caps.dwMediaModes);
    m_device->Capabilities()->store(block);
    m_terminal->storeFromDevCaps(block);
}

void TnvLinePrivate::ReadDeviceInfo()
{
    m_call->ClearCallData();
    m_device->storeName(QString());
    m_device->MediaModes()->clear();
    m_address->clear();
    m_tapi->setExtensionVersion(0);
    m_tapi->setVersion(0);
    m_tapi->setTSP(QString());
    m_comm->clear();
    m_comm->storeEnabled(false);
    m_phone->clear();
    m_wavePlay->clear();
    m_waveRecord->clear();
    m_terminal->requestSlot() = 0;

    LONG result = 0;
    const DWORD count = DWORD(qMax(m_device->Count(), 0));
    LINEEXTENSIONID extension{};
    if (!m_initialised || count == 0) {
        result = m_initialised ? 0 : -1;
    } else {
        if (m_device->List().isEmpty()) {
            for (DWORD i = 0; i < count; ++i) {
                DWORD version = 0;
                LINEEXTENSIONID id{};
                LONG entryResult = lineNegotiateAPIVersion(m_line->AppHandle(), i, m_tapi->LowVersion(),
                                                           m_tapi->HighVersion(), &version, &id);
                QString name;
                if (entryResult == 0) {
                    const DWORD saved = m_tapi->Version();
                    m_tapi->setVersion(version);
                    QByteArray block;
                    entryResult = ReadDevCaps(i, block);
                    m_tapi->setVersion(saved);
                    if (entryResult == 0) {
                        const LINEDEVCAPS& caps = TnvTapiBuffer::fields<LINEDEVCAPS>(block);
                        name = TnvTapiBuffer::text(block, caps.dwLineNameSize, caps.dwLineNameOffset);
                    }
                }
                if (entryResult != 0 || name.isEmpty()) {
                    name = Vantage()->Notate(QStringLiteral("Device.Name unavailable: [")
                                             + TnvNotation::hex8(quint32(entryResult)) + QStringLiteral("]  ")
                                             + LineErrorText(entryResult));
                }
                m_device->list() << name;
            }
        }
        DWORD version = 0;
        result = lineNegotiateAPIVersion(m_line->AppHandle(), DWORD(m_device->ID()), m_tapi->LowVersion(),
                                         m_tapi->HighVersion(), &version, &extension);
        if (result == 0) {
            m_tapi->setVersion(version);
            m_tapi->setExtensionVersion(0);
            if (m_tapi->ExtensionLowVersion() || m_tapi->ExtensionHighVersion()) {
                DWORD extVersion = 0;
                const LONG ext = lineNegotiateExtVersion(m_line->AppHandle(), DWORD(m_device->ID()), version,
                                                         m_tapi->ExtensionLowVersion(), m_tapi->ExtensionHighVersion(),
                                                         &extVersion);
                if (ext == 0)
                    m_tapi->setExtensionVersion(extVersion);
                else
                    write(false, QStringLiteral("\tlineNegotiateExtVersion returned ") + LineErrorText(ext));
            }
            QByteArray block;
            if (ReadDevCaps(DWORD(m_device->ID()), block) == 0)
                storeDevCaps(block);

            // Every parameter set starts from the defaults of a voice call.
            TnvCallParameters* call = m_call->Parameters();
            call->setDefaults(true);
            call->setBearerMode(LINEBEARERMODE_VOICE);
            call->setMediaMode(LINEMEDIAMODE_INTERACTIVEVOICE);
            call->setFlags(0);
            call->setAddressID(0);
            call->setNoAnswerTimeout(0);
            for (TnvCallParameters* other : {m_address->Forward()->Parameters(), m_conference->Parameters(),
                                             m_transfer->Parameters()})
                other->assign(*call);

            m_address->list().clear();
            for (int a = 0; a < m_address->Count(); ++a) {
                QByteArray addressBlock;
                const LONG addressResult = ReadAddressCaps(DWORD(a), addressBlock);
                if (addressResult != 0) {
                    ReportResult(false, addressResult);
                    return;
                }
                const LINEADDRESSCAPS& caps = TnvTapiBuffer::fields<LINEADDRESSCAPS>(addressBlock);
                QString entry = TnvTapiBuffer::text(addressBlock, caps.dwAddressSize, caps.dwAddressOffset);
                if (entry.isEmpty())
                    entry = QStringLiteral("Address.ID = %1 <Name not available>").arg(a);
                m_address->list() << entry;
                if (a == m_address->ID())
                    m_address->storeName(entry);
            }
            m_address->setID(m_address->ID());
            m_tapi->setExtensionID(extension.dwExtensionID0, extension.dwExtensionID1, extension.dwExtensionID2,
                                   extension.dwExtensionID3);
        }
    }
    if (TnvLineView* v = view()) {
        v->RefreshInfo();
        v->RefreshCallControl();
        v->RefreshDigits();
        v->RefreshCallerID();
    }
    ReportResult(false, result);
}

void TnvLinePrivate::ResetState()
{
    m_dispatch->stopIdleTimer();
    m_records.reset();
    m_call->ClearCallData();
    m_transfer->Reset();
    m_conference->Reset();
    m_address->clear();
    m_address->list().clear();
    m_address->storeCount(0);
    m_device->storeActive(false);
    m_device->storeName(QString());
    m_device->list().clear();
    m_device->storeID(0);
    m_device->storeCount(0);
    m_device->MediaModes()->clear();
    m_device->Capabilities()->clear();
    m_device->storeStatus(0, 0, 0, 0, 0);
    m_line->setAppHandle(0);
    m_line->setHandle(0);
    m_phone->clear();
    m_tapi->ResetState();
    m_wavePlay->clear();
    m_waveRecord->clear();
    m_terminal->clear();
}

// --- Opening and closing -------------------------------------------------------------

void TnvLinePrivate::setDeviceActive(bool value)
{
    if (value == m_device->Active())
        return;
    g_activeRequest = value;
    write(true, QStringLiteral("Device.Active := ") + TnvVantage::BoolText(value));
    if (value) {
        write(false, QStringLiteral("\tDevice.Count = %1").arg(m_device->Count()));
        write(false, QStringLiteral("\tDevice.ID = %1").arg(m_device->ID()));
        write(false, QStringLiteral("\tDevice.Name = '") + m_device->Name() + QLatin1Char('\''));
        // Selecting terminals clears the error record, so a failed open would read as
        // success afterwards: terminals are only selected on an open line.
        OpenLine(m_device->MediaModes()->Active());
        if (m_device->Active())
            for (int t = 0; t < m_terminal->Count(); ++t)
                m_terminal->setID(t);
    } else {
        CloseLine(false);
    }
    refreshAfterDeviceChange();
}

bool TnvLinePrivate::OpenLine(DWORD mediaModes)
{
    if (mediaModes == 0)
        mediaModes = m_device->MediaModes()->Active();
    bool result = true;
    Error()->Clear();
    if (!m_initialised) {
        m_device->storeCount(0);
        ReportResult(false, -1);
        m_device->storeActive(false);
        result = false;
    } else {
        m_comm->clear();
        m_phone->clear();
        m_wavePlay->clear();
        m_waveRecord->clear();
        if (mediaModes == 0)
            mediaModes = m_device->MediaModes()->Available();
        HLINE handle = 0;
        const LONG opened = lineOpen(m_line->AppHandle(), DWORD(m_device->ID()), &handle, m_tapi->Version(),
                                     m_tapi->ExtensionVersion(), m_instance, m_privilege->lineOpenPrivileges(),
                                     mediaModes, nullptr);
        if (opened != 0) {
            write(false, QStringLiteral("\tlineOpen returned ") + LineErrorText(opened));
            ReportResult(false, opened);
            m_device->storeActive(false);
            result = false;
        } else {
            m_line->setHandle(handle);
            write(false, QStringLiteral("\tCallBackInstance = ") + TnvNotation::hex8(m_instance));
            lineSetStatusMessages(handle, m_device->Capabilities()->States(), m_address->Capabilities()->States());
            m_address->setID(m_address->ID());
            m_terminal->setID(m_terminal->ID());
            m_device->storeActive(true);

            m_records.reset();
            for (int a = 0; a < m_address->Count(); ++a) {
                QByteArray block;
                const LONG listed = TnvTapiBuffer::read(sizeof(LINECALLLIST), block, [&](char* data) {
                    return lineGetNewCalls(handle, DWORD(a), LINECALLSELECT_ADDRESS, reinterpret_cast<LINECALLLIST*>(data));
                });
                if (listed != 0) {
                    ReportResult(false, listed);
                    result = false;
                    continue;
                }
                const LINECALLLIST& list = TnvTapiBuffer::fields<LINECALLLIST>(block);
                const QByteArray calls = TnvTapiBuffer::part(block, list.dwCallsSize, list.dwCallsOffset);
                const qsizetype entries = qMin<qsizetype>(list.dwCallsNumEntries, calls.size() / 4);
                if (entries > 0) {
                    m_call->ClearCallData();
                    m_transfer->Reset();
                    m_conference->Reset();
                }
                for (qsizetype i = 0; i < entries; ++i) {
                    HCALL call = 0;
                    std::memcpy(&call, calls.constData() + i * 4, sizeof call);
                    m_records.add(call);
                }
            }
            // FIXME: SelectNextCall picks the current call once calls are followed.
            ReadLineDevStatus();
            ReadAddressStatus();
            QByteArray renewed;
            if (ReadDevCaps(DWORD(m_device->ID()), renewed) == 0)
                m_device->Capabilities()->store(renewed);

            if (m_privilege->None()) {
                m_phone->clear();
                m_wavePlay->clear();
                m_waveRecord->clear();
            } else {
                if (!m_phone->DeviceClass().isEmpty())
                    m_phone->lookUp(handle);
                if (m_privilege->Monitor() || m_privilege->Owner())
                    m_waveRecord->lookUp(handle);
                else
                    m_waveRecord->deny();
                if (m_privilege->Owner())
                    m_wavePlay->lookUp(handle);
                else
                    m_wavePlay->deny();
            }
        }
    }
    if (TnvLineView* v = view())
        v->RefreshInfo();
    return result;
}

bool TnvLinePrivate::CloseLine(bool closedByTapi)
{
    Error()->Clear();
    if (!m_initialised) {
        m_device->storeActive(false);
        return true;
    }
    ++m_closes;
    while (m_call->Count() > 0) {
        const HCALL handle = m_call->List().at(m_call->Count()).toUInt(nullptr, 16);
        if (m_records.find(handle) && !closedByTapi)
            DeallocateCall(handle);
        if (!m_call->EndCall(true, handle))
            break; // a listed handle without a record cannot be ended; stop rather than spin
    }
    m_call->setHandleValue(0);
    if (!closedByTapi) {
        const LONG closed = lineClose(m_line->Handle());
        if (closed < 0) {
            ReportResult(false, closed);
            return false;
        }
    }
    m_device->storeActive(false);
    m_call->ClearCallData();
    m_transfer->Reset();
    m_conference->Reset();
    m_comm->closeHandle();
    m_comm->clear();
    m_phone->clear();
    m_wavePlay->clear();
    m_waveRecord->clear();
    return true;
}

LONG TnvLinePrivate::DeallocateCall(HCALL call)
{
    LONG result = -1;
    if (m_initialised)
        result = call == 0 ? 0 : lineDeallocateCall(call);
    ReadLineDevStatus();
    ReadAddressStatus();
    return result;
}

// --- Device selection and settings ------------------------------------------------------

void TnvLinePrivate::setDeviceID(int value)
{
    Error()->Clear();
    if (value < 0 || value >= m_device->Count()) {
        write(true, QStringLiteral("Device.ID := %1").arg(value));
        ReportResult(false, LONG(LINEERR_BADDEVICEID));
        write(false, QStringLiteral("\tDevice.Count = %1").arg(m_device->Count()));
    } else if (value == m_device->ID()) {
        return;
    } else {
        if (m_initialised && m_device->Active())
            m_device->setActive(false);
        if (m_device->Active())
            return;
        write(true, QStringLiteral("Device.ID := %1").arg(value));
        write(false, QStringLiteral("\tDevice.Count = %1").arg(m_device->Count()));
        m_device->storeID(value);
        ReadDeviceInfo();
    }
    if (TnvLineView* v = view()) {
        v->RefreshDevice();
        v->RefreshInfo();
        v->RefreshAddress();
        v->RefreshTerminal();
        v->RefreshCall();
        v->RefreshCallControl();
        v->RefreshDigits();
        v->RefreshCallerID();
    }
    write(false, QStringLiteral("\tDevice.Name = '") + m_device->Name() + QLatin1Char('\''));
}

void TnvLinePrivate::setIdleDelay(int value)
{
    write(true, QStringLiteral("Device.IdleDelay := [%1] //milliseconds").arg(value));
    if (m_device->Active())
        ReportResult(false, LONG(LINEERR_INVALLINESTATE));
    else
        m_device->storeIdleDelay(value);
    if (TnvLineView* v = view())
        v->RefreshInfo();
}

bool TnvLinePrivate::Configure()
{
    write(true, QStringLiteral("Device.Configure"));
    const LONG result = m_initialised ? lineConfigDialog(DWORD(m_device->ID()), nullptr, nullptr) : -1;
    bool ok = true;
    if (result < 0) {
        ReportResult(false, result);
        ok = false;
    } else {
        Error()->Clear();
    }
    write(false, QStringLiteral("\tDevice.Configure - Returned = ") + TnvVantage::BoolText(ok));
    return ok;
}

bool TnvLinePrivate::SetLocation()
{
    LONG result = -1;
    if (m_initialised) {
        write(true, QStringLiteral("SetLocation"));
        const QByteArray address = StripPhoneFormatting(m_call->PhoneNumber()).toUtf8();
        result = lineTranslateDialog(m_line->AppHandle(), DWORD(m_device->ID()), m_tapi->Version(), nullptr,
                                     address.constData());
        // An unformatted number replaces the stored one.
        if (result == 0 && QString::fromUtf8(address) != m_call->PhoneNumber())
            m_call->setPhoneNumber(QString::fromUtf8(address));
    }
    bool ok = true;
    if (result < 0) {
        ReportResult(false, result);
        ok = false;
    } else {
        Error()->Clear();
    }
    write(false, QStringLiteral("\tSetLocation - Returned = ") + TnvVantage::BoolText(ok));
    return ok;
}

QString TnvLinePrivate::StripPhoneFormatting(const QString& number) const
{
    if (!m_device->UnformatPhoneNumber())
        return number;
    QString out;
    for (QChar c : number)
        if (!QStringView(u" +()-.").contains(c))
            out += c;
    return out;
}

bool TnvLinePrivate::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    Q_UNUSED(prefix);
    Q_UNUSED(indent);
    TnvLog* log = Log();
    if (!log->Active())
        return false;
    log->BeginUpdate();
    if (!header.isEmpty())
        log->Add(true, header);
    const QString tab = QStringLiteral("\t");
    log->Add(false, QStringLiteral("\tEnabled = ") + TnvVantage::BoolText(m_enabled));
    m_address->LogProperties(QString(), QString(), tab);
    m_address->Capabilities()->LogProperties(QString(), QStringLiteral("Address"), tab);
    m_address->Forward()->LogProperties(QString(), QStringLiteral("Address"), tab);
    m_address->Forward()->Parameters()->LogProperties(QString(), QStringLiteral("Address.Forward"), tab);
    const QString callPrefix = QStringLiteral("Call");
    m_call->LogProperties(QString(), QString(), tab);
    m_call->CalledID()->LogProperties(QString(), callPrefix, tab);
    m_call->CallerID()->LogProperties(QString(), callPrefix, tab);
    m_call->ConnectedID()->LogProperties(QString(), callPrefix, tab);
    // The detection objects name themselves from the caller's prefix, not under "Call.".
    m_call->LogDetection(QString(), tab);
    m_call->Parameters()->LogProperties(QString(), callPrefix, tab);
    m_call->RedirectingID()->LogProperties(QString(), callPrefix, tab);
    m_call->RedirectionID()->LogProperties(QString(), callPrefix, tab);
    m_comm->LogProperties(QString(), QString(), tab);
    m_conference->LogProperties(QString(), QString(), tab);
    m_conference->Parameters()->LogProperties(QString(), QStringLiteral("Conference"), tab);
    m_device->LogProperties(QString(), QString(), tab);
    m_device->Capabilities()->LogProperties(QString(), QStringLiteral("Device"), tab);
    m_device->MediaModes()->LogProperties(QString(), QStringLiteral("Device"), tab);
    Error()->LogProperties(QString(), QString(), tab);
    m_line->LogProperties(QString(), QString(), tab);
    m_phone->LogProperties(QString(), QString(), tab);
    m_popup->LogProperties(QString(), QString(), tab);
    m_privilege->LogProperties(QString(), QString(), tab);
    m_tapi->LogProperties(QString(), QString(), tab);
    m_terminal->LogProperties(QString(), QString(), tab);
    m_transfer->LogProperties(QString(), QString(), tab);
    m_transfer->Parameters()->LogProperties(QString(), QStringLiteral("Transfer"), tab);
    Vantage()->LogProperties(QString(), QString(), tab);
    log->LogProperties(QString(), QStringLiteral("Vantage"), tab);
    m_wavePlay->LogProperties(QString(), QString(), tab);
    m_waveRecord->LogProperties(QString(), QString(), tab);
    log->EndUpdate();
    return true;
}
