#include "TnvLineInternal.h"

#include "TnvAddress.h"
#include "TnvCall.h"
#include "TnvConference.h"
#include "TnvLineDevice.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvPopup.h"
#include "TnvPrivilege.h"
#include "TnvRelatedCommDevice.h"
#include "TnvRelatedPhoneDevice.h"
#include "TnvRelatedWaveDevice.h"
#include "TnvTapiBuffer.h"
#include "TnvTerminal.h"
#include "TnvTransfer.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvResultTexts.h>
#include <TnvTAPI.h>
#include <TnvVantage.h>
#include <TnvVantageWindow.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>

namespace {

// Callback instances of the living controls; a control leaves before it is freed, so a
// late message for it finds nothing.
QHash<DWORD, TnvLineInternal*>& registry()
{
    static QHash<DWORD, TnvLineInternal*> controls;
    return controls;
}

DWORD g_lastInstance = 0;

} // namespace

TnvLineInternal::TnvLineInternal(QObject* owner)
    : TnvSharedControl(owner)
{
    SetKind(ckLine, QStringLiteral("nvLine"));
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &TnvLineInternal::onIdleTimer);
    m_address = new TnvAddress(this, this);
    m_call = new TnvCall(this, this);
    m_comm = new TnvRelatedCommDevice(this, this);
    m_conference = new TnvConference(this, this);
    m_device = new TnvLineDevice(this);
    m_line = new TnvLineLine(this, this);
    m_phone = new TnvRelatedPhoneDevice(this, this);
    m_popup = new TnvPopup(this, this);
    m_privilege = new TnvPrivilege(this, this);
    m_tapi = new TnvTAPI(this);
    m_terminal = new TnvTerminal(this, this);
    m_transfer = new TnvTransfer(this, this);
    m_wavePlay = new TnvRelatedWaveDevice(this, QStringLiteral("WavePlay"), QStringLiteral("wave/out"), this);
    m_waveRecord = new TnvRelatedWaveDevice(this, QStringLiteral("WaveRecord"), QStringLiteral("wave/in"), this);
    do {
        m_instance = ++g_lastInstance;
    } while (m_instance == 0 || registry().contains(m_instance));
    registry().insert(m_instance, this);
}

TnvLineInternal::~TnvLineInternal()
{
    Vantage()->setEvents(false);
    if (m_device->Active())
        CloseLine(false);
    ShutdownTAPI();
    Vantage()->setVisible(false);
    registry().remove(m_instance);
    QCoreApplication::processEvents();
}

QString TnvLineInternal::resultText(qint32 code) const
{
    return LineErrorText(code);
}

bool TnvLineInternal::popupOnError() const
{
    return m_popup->flag("OnError");
}

TnvLineView* TnvLineInternal::view() const
{
    return dynamic_cast<TnvLineView*>(Vantage()->window());
}

void TnvLineInternal::write(bool stamped, const QString& text)
{
    Log()->Add(stamped, text);
}

void TnvLineInternal::assignDeviceClass(const QString& name, const QString& value, QString& deviceClass)
{
    write(true, name + QStringLiteral(".DeviceClass := \"") + value + QLatin1Char('"'));
    Error()->Clear();
    if (m_device->Active())
        ReportResult(false, qint32(LINEERR_INVALLINESTATE));
    else
        deviceClass = value;
    if (TnvLineView* v = view())
        v->RefreshInfo();
}

void TnvLineInternal::fireCallEvent(const char* name, HCALL handle)
{
    const QByteArray event(name);
    const std::pair<const char*, TNV_CallNotifyEvent*> events[] = {
        {"OnBusy", &OnBusy},
        {"OnCallBegin", &OnCallBegin},
        {"OnCallEnd", &OnCallEnd},
        {"OnCallerID", &OnCallerID},
        {"OnCalledID", &OnCalledID},
        {"OnConnectedID", &OnConnectedID},
        {"OnRedirectionID", &OnRedirectionID},
        {"OnRedirectingID", &OnRedirectingID},
        {"OnCallMediaModeChange", &OnCallMediaModeChange},
        {"OnCallOwnerChange", &OnCallOwnerChange},
        {"OnConferenced", &OnConferenced},
        {"OnConnected", &OnConnected},
        {"OnDialing", &OnDialing},
        {"OnDialtone", &OnDialtone},
        {"OnDigitsSent", &OnDigitsSent},
        {"OnDisconnected", &OnDisconnected},
        {"OnHold", &OnHold},
        {"OnHoldPendingConference", &OnHoldPendingConference},
        {"OnHoldPendingTransfer", &OnHoldPendingTransfer},
        {"OnIdle", &OnIdle},
        {"OnOffering", &OnOffering},
        {"OnProceeding", &OnProceeding},
        {"OnRingBack", &OnRingBack},
        {"OnSilence", &OnSilence},
        {"OnSpecialInfo", &OnSpecialInfo},
        {"OnToneSent", &OnToneSent},
    };
    TNV_CallNotifyEvent* handler = nullptr;
    for (const auto& [eventName, slot] : events)
        if (event == eventName)
            handler = slot;
    if (Vantage()->Events() && handler && *handler)
        (*handler)(this, int(handle));
    Vantage()->ShowPopup(m_popup->flag(name));
}

// --- Structures ------------------------------------------------------------------

LONG TnvLineInternal::ReadDevCaps(DWORD device, QByteArray& block)
{
    return TnvTapiBuffer::read(sizeof(LINEDEVCAPS), block, [&](char* data) {
        return lineGetDevCaps(m_line->AppHandle(), device, m_tapi->Version(), 0, reinterpret_cast<LINEDEVCAPS*>(data));
    });
}

LONG TnvLineInternal::ReadAddressCaps(DWORD address, QByteArray& block)
{
    if (!m_initialised)
        return -1;
    return TnvTapiBuffer::read(sizeof(LINEADDRESSCAPS), block, [&](char* data) {
        return lineGetAddressCaps(m_line->AppHandle(), DWORD(m_device->ID()), address, m_tapi->Version(), 0,
                                  reinterpret_cast<LINEADDRESSCAPS*>(data));
    });
}

void TnvLineInternal::ReadLineDevStatus()
{
    QByteArray block;
    const LONG result = TnvTapiBuffer::read(sizeof(LINEDEVSTATUS), block, [&](char* data) {
        return lineGetLineDevStatus(m_line->Handle(), reinterpret_cast<LINEDEVSTATUS*>(data));
    });
    if (result != 0)
        return;
    const LINEDEVSTATUS& status = TnvTapiBuffer::fields<LINEDEVSTATUS>(block);
    m_device->storeStatus(int(status.dwNumOpens), int(status.dwNumActiveCalls), int(status.dwNumOnHoldCalls),
                          int(status.dwNumOnHoldPendCalls), status.dwRingMode);
    m_device->MediaModes()->setOpen(status.dwOpenMediaModes);
    m_terminal->storeActiveModes(block);
    if (TnvLineView* v = view()) {
        v->RefreshInfo();
        v->RefreshTerminal();
    }
}

void TnvLineInternal::ReadAddressStatus()
{
    QByteArray block;
    const LONG result = TnvTapiBuffer::read(sizeof(LINEADDRESSSTATUS), block, [&](char* data) {
        return lineGetAddressStatus(m_line->Handle(), DWORD(m_address->ID()), reinterpret_cast<LINEADDRESSSTATUS*>(data));
    });
    if (result == 0)
        m_address->storeStatus(block);
}

bool TnvLineInternal::GetRelatedDeviceID(const QString& deviceClass, DWORD handle, DWORD* value)
{
    const QByteArray name = deviceClass.toUtf8();
    const bool comm = deviceClass == QLatin1String("comm/datamodem");
    QByteArray block;
    const LONG result = TnvTapiBuffer::read(sizeof(VARSTRING), block, [&](char* data) {
        auto* id = reinterpret_cast<VARSTRING*>(data);
        return comm ? lineGetID(0, 0, handle, LINECALLSELECT_CALL, id, name.constData())
                    : lineGetID(handle, 0, 0, LINECALLSELECT_LINE, id, name.constData());
    });
    if (result != 0)
        return false;
    const VARSTRING& id = TnvTapiBuffer::fields<VARSTRING>(block);
    const QByteArray bytes = TnvTapiBuffer::part(block, id.dwStringSize, id.dwStringOffset);
    if (bytes.size() < qsizetype(sizeof(DWORD)))
        return false;
    std::memcpy(value, bytes.constData(), sizeof(DWORD));
    return true;
}

// --- Replies and messages -----------------------------------------------------------

bool TnvLineInternal::WaitForReply(const qint32& slot)
{
    // The request is remembered too: a nested operation may reuse the slot, and its
    // reply then finds no slot to mark.
    const qint32 request = slot;
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    ++m_waitDepth;
    bool timedOut = false;
    const auto answer = [this, request]() -> const Answer* {
        for (const Answer& a : m_answered)
            if (a.request == request)
                return &a;
        return nullptr;
    };
    while (slot != -1 && !answer() && m_tapi->ReplyTimeout() != 0) {
        if (QDateTime::currentMSecsSinceEpoch() - started >= m_tapi->ReplyTimeout()) {
            timedOut = true;
            break;
        }
        // One pass at a time, so the wait ends as soon as its reply was handled.
        QCoreApplication::processEvents();
    }
    // Handlers that ran during the wait may have left their own errors behind; they were
    // reported then. The operation's outcome is its own reply's.
    if (const Answer* a = answer()) {
        if (a->result == 0)
            Error()->Clear();
        else
            restoreError(a->result);
    }
    m_answered.removeIf([request](const Answer& a) { return a.request == request; });
    if (--m_waitDepth == 0)
        m_answered.clear();
    return timedOut;
}

void TnvLineInternal::LineCallback(DWORD hDevice, DWORD message, DWORD instance, DWORD param1, DWORD param2,
                                   DWORD param3)
{
    if (instance == 0 || (message == LINE_LINEDEVSTATE && param1 == LINEDEVSTATE_REINIT))
        return;
    TnvLineInternal* control = registry().value(instance);
    if (!control)
        return;
    control->handleMessage(hDevice, message, param1, param2, param3);
}

void TnvLineInternal::refreshAfterDeviceChange()
{
    if (TnvLineView* v = view()) {
        v->RefreshCall();
        v->RefreshEnabled();
        v->RefreshDevice();
        v->RefreshInfo();
        v->RefreshTerminal();
    }
}
