#include "TnvPhonePrivate.h"

#include "TnvHookSwitchDevice.h"
#include "TnvPhone.h"
#include "TnvPhoneConnection.h"
#include "TnvPhoneDevice.h"
#include "TnvPhonePrivilege.h"
#include "TnvPhoneRelatedDevice.h"
#include "TnvPhoneView.h"

#include <TapiApi.h>
#include <TnvStructBuffer.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvPumpWait.h>
#include <TnvTAPI.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

#include <QCoreApplication>
#include <QHash>

#include <cstring>
#include <optional>

namespace {

// Callback instances of the living phone controls; a control leaves before it is freed,
// so a late message for it finds nothing.
QHash<DWORD, TnvPhonePrivate*>& registry()
{
    static QHash<DWORD, TnvPhonePrivate*> controls;
    return controls;
}

DWORD g_lastInstance = 0;

} // namespace

TnvPhonePrivate::TnvPhonePrivate(TnvPhone* control)
    : q(control)
{
    q->SetKind(ckPhone, QStringLiteral("nvPhone"));
    // The sub-objects are the control's children, so the property system finds them.
    m_device = new TnvPhoneDevice(this, q);
    m_connection = new TnvPhoneConnection(this, q);
    m_handset = new TnvHookSwitchDevice(this, TnvHookSwitchDevice::Handset, q);
    m_speakerphone = new TnvHookSwitchDevice(this, TnvHookSwitchDevice::Speakerphone, q);
    m_headset = new TnvHookSwitchDevice(this, TnvHookSwitchDevice::Headset, q);
    m_lineDevice = new TnvPhoneRelatedDevice(this, QStringLiteral("Line"), QStringLiteral("tapi/line"),
                                             TnvPhoneRelatedDevice::ClassBeforeID, q);
    m_wavePlay = new TnvPhoneRelatedDevice(this, QStringLiteral("WavePlay"), QStringLiteral("wave/out"),
                                           TnvPhoneRelatedDevice::ClassLast, q);
    m_waveRecord = new TnvPhoneRelatedDevice(this, QStringLiteral("WaveRecord"), QStringLiteral("wave/in"),
                                             TnvPhoneRelatedDevice::ClassLast, q);
    m_popup = new TnvPhonePopup(q->Log(), q);
    m_privilege = new TnvPhonePrivilege(this, q);
    m_tapi = new TnvTAPI(q);
    do {
        m_instance = ++g_lastInstance;
    } while (m_instance == 0 || registry().contains(m_instance));
    registry().insert(m_instance, this);
}

TnvPhonePrivate::~TnvPhonePrivate()
{
    registry().remove(m_instance);
}

TnvPhonePrivate* TnvPhonePrivate::get(TnvPhone* phone)
{
    return phone ? phone->d.get() : nullptr;
}

void TnvPhonePrivate::shutdown()
{
    Vantage()->setEvents(false);
    if (m_device->Active())
        ClosePhone(false);
    ShutdownTAPI();
    Vantage()->setVisible(false);
    registry().remove(m_instance);
}

void TnvPhonePrivate::PhoneCallback(DWORD hDevice, DWORD message, DWORD instance, DWORD param1, DWORD param2,
                                    DWORD param3)
{
    if (instance == 0 || (message == PHONE_STATE && param1 == PHONESTATE_REINIT))
        return;
    TnvPhonePrivate* control = registry().value(instance);
    if (!control)
        return;
    control->handleMessage(hDevice, message, param1, param2, param3);
}

bool TnvPhonePrivate::popupOnError() const
{
    return m_popup->OnError();
}

// --- Reporting, the trace and the window -------------------------------------------

TnvError* TnvPhonePrivate::Error() const
{
    return q->Error();
}

TnvLog* TnvPhonePrivate::Log() const
{
    return q->Log();
}

TnvVantage* TnvPhonePrivate::Vantage() const
{
    return q->Vantage();
}

bool TnvPhonePrivate::ReportResult(bool warning, qint32 code)
{
    return q->ReportResult(warning, code);
}

void TnvPhonePrivate::write(bool stamped, const QString& text)
{
    Log()->Add(stamped, text);
}

TnvPhoneView* TnvPhonePrivate::view() const
{
    return dynamic_cast<TnvPhoneView*>(Vantage()->window());
}

void TnvPhonePrivate::refreshHookSwitches()
{
    if (TnvPhoneView* v = view())
        v->RefreshHookSwitches();
}

void TnvPhonePrivate::refreshInfo()
{
    if (TnvPhoneView* v = view())
        v->RefreshInfo();
}

void TnvPhonePrivate::refreshAfterDeviceChange()
{
    if (TnvPhoneView* v = view()) {
        v->RefreshDeviceButton();
        v->RefreshDevice();
        v->RefreshHookSwitches();
        v->RefreshInfo();
    }
}

TnvPhoneEventSet& TnvPhonePrivate::events()
{
    return *q;
}

// --- Requests and replies ------------------------------------------------------------

bool TnvPhonePrivate::waitUntil(const std::function<bool()>& done)
{
    return TnvPumpWait::until(done, m_tapi->ReplyTimeout());
}

qint32 TnvPhonePrivate::runRequest(qint32& slot, const std::function<LONG()>& send)
{
    const LONG sent = send();
    if (sent <= 0) {
        // Asynchronous functions answer a positive request identifier; 0 would be no
        // request at all, so it cannot be waited for either.
        const qint32 code = sent == 0 ? qint32(PHONEERR_OPERATIONFAILED) : qint32(sent);
        ReportResult(false, code);
        return code;
    }
    const qint32 request = qint32(sent);
    const HPHONE handle = m_connection->Handle();
    slot = request;
    ++m_waitDepth;
    std::optional<qint32> answer;
    const auto answered = [&] {
        for (const Answer& a : m_answered) {
            if (a.request == request) {
                answer = a.result;
                return true;
            }
        }
        return false;
    };
    // The phone may close under the wait (PHONE_CLOSE, or a handler disabling the
    // control); its reply will then never come.
    const auto closed = [&] { return m_connection->Handle() != handle || !m_device->Active(); };
    waitUntil([&] { return answered() || closed(); });
    m_answered.removeIf([request](const Answer& a) { return a.request == request; });
    if (--m_waitDepth == 0)
        m_answered.clear();
    slot = 0;

    qint32 result = 0;
    if (answer)
        result = *answer;
    else if (closed())
        result = qint32(PHONEERR_INVALPHONEHANDLE);
    else
        result = ReplyTimeoutCode;
    if (result != 0)
        ReportResult(false, result);
    return result;
}

// --- Related devices ---------------------------------------------------------------------

bool TnvPhonePrivate::GetRelatedDeviceID(const QString& deviceClass, DWORD* value)
{
    const QByteArray name = deviceClass.toUtf8();
    QByteArray block;
    const HPHONE handle = m_connection->Handle();
    const LONG result = TnvStructBuffer::read(sizeof(VARSTRING), block, BufferCodes, [&](char* data) {
        return phoneGetID(handle, reinterpret_cast<VARSTRING*>(data), name.constData());
    });
    if (result != 0)
        return false;
    const VARSTRING& id = TnvStructBuffer::fields<VARSTRING>(block);
    const QByteArray bytes = TnvStructBuffer::part(block, id.dwStringSize, id.dwStringOffset);
    if (bytes.size() < qsizetype(sizeof(DWORD)))
        return false;
    std::memcpy(value, bytes.constData(), sizeof(DWORD));
    return true;
}

void TnvPhonePrivate::assignDeviceClass(const QString& name, const QString& value, QString& deviceClass)
{
    write(true, name + QStringLiteral(".DeviceClass := \"") + value + QLatin1Char('"'));
    Error()->Clear();
    if (m_device->Active())
        ReportResult(false, qint32(PHONEERR_INVALPHONESTATE));
    else
        deviceClass = value;
    refreshInfo();
}

// --- The property dump ---------------------------------------------------------------------

bool TnvPhonePrivate::LogProperties(const QString& header, const QString& prefix, const QString& indent)
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
    m_device->LogProperties(QString(), QString(), tab);
    m_device->Capabilities()->LogProperties(QString(), QString(), tab);
    Error()->LogProperties(QString(), QString(), tab);
    m_handset->LogProperties(QString(), QString(), tab);
    m_headset->LogProperties(QString(), QString(), tab);
    m_lineDevice->LogProperties(QString(), QString(), tab);
    m_connection->LogProperties(QString(), QString(), tab);
    m_privilege->LogProperties(QString(), QString(), tab);
    m_speakerphone->LogProperties(QString(), QString(), tab);
    m_popup->LogProperties(QString(), QString(), tab);
    m_tapi->LogProperties(QString(), QString(), tab);
    Vantage()->LogProperties(QString(), QString(), tab);
    log->LogProperties(QString(), QStringLiteral("Vantage"), tab);
    m_wavePlay->LogProperties(QString(), QString(), tab);
    m_waveRecord->LogProperties(QString(), QString(), tab);
    log->EndUpdate();
    return true;
}
