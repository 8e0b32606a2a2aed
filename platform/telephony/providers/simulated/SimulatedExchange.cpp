#include "SimulatedExchange.h"

#include "SimulatedCalls.h"
#include "SimulatedCaps.h"
#include "SimulatedConference.h"
#include "SimulatedControl.h"
#include "SimulatedFeatures.h"
#include "SimulatedMedia.h"
#include "SimulatedRouting.h"
#include "SimulatedSwitch.h"
#include "SimulatedAudio.h"

#include <CallAudioBackend.h>
#include <WaveBackendRegistry.h>

namespace Telephony {

using namespace Sim;

SimulatedExchange::SimulatedExchange(const QVariantMap& settings, QObject* parent)
    : QObject(parent)
    , m_switch(std::make_unique<SimulatedSwitch>(this))
    , m_calls(std::make_unique<SimulatedCalls>(*m_switch))
    , m_routing(std::make_unique<SimulatedRouting>(*m_switch))
    , m_features(std::make_unique<SimulatedFeatures>(*m_switch))
    , m_conference(std::make_unique<SimulatedConference>(*m_switch))
    , m_media(std::make_unique<SimulatedMedia>(*m_switch))
    , m_farEnd(std::make_unique<SimulatedFarEnd>(*m_switch))
    , m_control(std::make_unique<SimulatedControl>(*m_switch, *m_farEnd))
    , m_audio(std::make_shared<SimulatedAudio>())
{
    m_switch->setParts({m_calls.get(), m_routing.get(), m_features.get(), m_media.get()});
    m_switch->setAudio(m_audio.get());
    m_control->setAudio(m_audio.get());
    m_audio->setSaidHandler([this](CallId leg, const QByteArray& then) {
        QMetaObject::invokeMethod(this, [this, leg, then] { m_control->afterSaying(leg, then); }, Qt::QueuedConnection);
    });
    m_farEnd->setPhone(&m_phone);
    applySettings(settings);
    QStringList outs, ins;
    for (int line = 0; line < SimulatedAudio::kLines; ++line) {
        outs << QStringLiteral("Linkora Simulated Line %1 Out").arg(line + 1);
        ins << QStringLiteral("Linkora Simulated Line %1 In").arg(line + 1);
    }
    m_waveDevices = std::make_shared<CallAudioBackend>(outs, ins, m_audio);
    WaveBackendRegistry::add(QString::fromLatin1(kWaveBackend), m_waveDevices, WaveBackendRegistry::kCallRank);
}

SimulatedExchange::~SimulatedExchange()
{
    // Streams on the lines lose their device (unless a newer exchange took the name).
    WaveBackendRegistry::remove(QString::fromLatin1(kWaveBackend), m_waveDevices.get());
    // Nothing reports any more while the parts go.
    m_audio->setSaidHandler({});
    m_switch->setAudio(nullptr);
    m_switch->setSink(nullptr);
}

QString SimulatedExchange::name() const { return QStringLiteral("simulated"); }

void SimulatedExchange::setSink(ProviderSink* sink) { m_switch->setSink(sink); }

int SimulatedExchange::lineDeviceCount() const { return m_switch->lineCount(); }

const LineDeviceCaps& SimulatedExchange::lineCaps(int device) const
{
    static const LineDeviceCaps none;
    return m_switch->validLine(device) ? m_switch->caps(device) : none;
}

int SimulatedExchange::phoneDeviceCount() const { return 1; }

const PhoneDeviceCaps* SimulatedExchange::phoneCaps(int phone) const
{
    return phone == 0 ? &m_phone.caps() : nullptr;
}

// "tapi/phone" on line 1 (device 0) is phone 0; "tapi/line" on phone 0 is line 1 (device
// 0); "wave/out" and "wave/in" on the voice lines are the wave devices that carry their
// calls' audio. Everything else has no related device.
LONG SimulatedExchange::deviceId(int device, const QString& deviceClass, DWORD* id) const
{
    const QString cls = deviceClass.trimmed().toLower();
    DWORD value = 0;
    if (cls == QLatin1String("tapi/phone") && device == 0)
        value = 0;
    else if (cls == QLatin1String("tapi/line") && device == 0)
        value = 0;
    else if ((cls == QLatin1String("wave/out") || cls == QLatin1String("wave/in")) && device >= 0
             && device < SimulatedAudio::kLines) {
        const int number = WaveBackendRegistry::deviceNumber(
            QString::fromLatin1(kWaveBackend), cls.endsWith(QLatin1String("out")) ? WaveDirection::Out : WaveDirection::In,
            device);
        if (number < 0)
            return LONG(LINEERR_NODEVICE);
        value = DWORD(number);
    } else {
        return LONG(LINEERR_INVALDEVICECLASS);
    }
    if (id)
        *id = value;
    return 0;
}

LONG SimulatedExchange::commHandle(CallId call, int* fd) { return m_media->commHandle(call, fd); }

// Every line dials by the one number plan.
LONG SimulatedExchange::validateAddress(int, const QByteArray& address) const { return checkAddress(address); }

// ---------------------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::open(int device, DWORD privileges, DWORD mediaModes)
{
    if (!m_switch->validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (privileges & LINECALLPRIVILEGE_OWNER) {
        const DWORD supported = m_switch->caps(device).fixed.dwMediaModes;
        if (mediaModes == 0 || (mediaModes & ~supported) != 0)
            return LONG(LINEERR_INVALMEDIAMODE);
        // A data modem cannot take incoming calls, so nobody can own them: it only dials.
        if (SimulatedSwitch::isModem(device))
            return LONG(LINEERR_INVALMEDIAMODE);
    }
    ++m_switch->line(device).opens;
    return 0;
}

void SimulatedExchange::close(int device)
{
    if (m_switch->validLine(device) && m_switch->line(device).opens > 0)
        --m_switch->line(device).opens;
}

LineStatusData SimulatedExchange::lineStatus(int device) const
{
    LineStatusData d;
    if (!m_switch->validLine(device))
        return d;
    const LINEDEVCAPS& caps = m_switch->caps(device).fixed;
    const LineState& line = m_switch->line(device);
    LINEDEVSTATUS& s = d.fixed;
    s.dwNumOpens = DWORD(line.opens);
    bool ringing = false;
    for (const auto& [id, c] : m_switch->legs()) {
        if (c->device != device)
            continue;
        if (c->state == LINECALLSTATE_ONHOLD)
            ++s.dwNumOnHoldCalls;
        else if (c->state == LINECALLSTATE_ONHOLDPENDTRANSFER || c->state == LINECALLSTATE_ONHOLDPENDCONF)
            ++s.dwNumOnHoldPendCalls;
        else if (c->state != 0 && c->state != LINECALLSTATE_IDLE && c->state != LINECALLSTATE_OFFERING &&
                 c->state != LINECALLSTATE_DISCONNECTED)
            ++s.dwNumActiveCalls;
        ringing = ringing || c->state == LINECALLSTATE_OFFERING;
    }
    s.dwLineFeatures = caps.dwLineFeatures;
    s.dwRingMode = ringing ? 1 : 0;
    s.dwSignalLevel = 0xFFFF;
    s.dwBatteryLevel = 0xFFFF;
    s.dwRoamMode = 0x00000002; // LINEROAMMODE_UNAVAIL: a wired line does not roam
    s.dwDevStatusFlags = line.devStatusFlags;
    s.dwAvailableMediaModes = caps.dwMediaModes;
    if (caps.dwNumTerminals > 0)
        d.terminalModes = {line.terminalModes};
    return d;
}

AddressStatusData SimulatedExchange::addressStatus(int device, DWORD addressId) const
{
    AddressStatusData d;
    if (!m_switch->validLine(device) || addressId != 0)
        return d;
    const LineStatusData line = lineStatus(device);
    LINEADDRESSSTATUS& s = d.fixed;
    s.dwNumInUse = m_switch->liveCallCount(device) > 0 ? 1 : 0;
    s.dwNumActiveCalls = line.fixed.dwNumActiveCalls;
    s.dwNumOnHoldCalls = line.fixed.dwNumOnHoldCalls;
    s.dwNumOnHoldPendCalls = line.fixed.dwNumOnHoldPendCalls;
    s.dwAddressFeatures = m_switch->caps(device).addresses.value(0).fixed.dwAddressFeatures;
    s.dwNumRingsNoAnswer = SimulatedSwitch::isModem(device) ? 0 : m_switch->line(device).forwardRings;
    d.forwards = m_switch->line(device).forwards;
    d.terminalModes = line.terminalModes;
    return d;
}

LONG SimulatedExchange::setTerminal(DWORD requestId, int device, DWORD addressId, CallId call, DWORD modes,
                                    DWORD terminalId, bool enable)
{
    if (const LONG error = m_switch->checkLine(device, OnModem::Refused, addressId))
        return error;
    const LineDeviceCaps& caps = m_switch->caps(device);
    if (terminalId >= DWORD(caps.terminalCaps.size()))
        return LONG(LINEERR_INVALTERMINALID);
    if (modes == 0 || (modes & ~caps.terminalCaps[int(terminalId)].dwTermModes) != 0)
        return LONG(LINEERR_INVALTERMINALMODE);
    if (call != 0) {
        const SimCall* c = m_switch->find(call);
        if (!c || c->device != device)
            return LONG(LINEERR_INVALCALLHANDLE);
    }
    return m_switch->submit(
        requestId,
        [this, call] { return call != 0 && !m_switch->find(call) ? LONG(LINEERR_INVALCALLHANDLE) : LONG(0); },
        [this, device, call, modes, enable] {
            DWORD& current = m_switch->line(device).terminalModes;
            current = enable ? (current | modes) : (current & ~modes);
            if (call != 0)
                m_switch->infoChanged(call, LINECALLINFOSTATE_TERMINAL);
            else
                m_switch->sink().lineDevStateChanged(DWORD(device), LINEDEVSTATE_TERMINALS, 0, 0);
        });
}

LONG SimulatedExchange::forward(DWORD requestId, int device, bool allAddresses, DWORD addressId,
                                const QList<AddressStatusData::Forward>& forwards, DWORD numRingsNoAnswer)
{
    return m_features->forward(requestId, device, allAddresses, addressId, forwards, numRingsNoAnswer);
}

// ---------------------------------------------------------------------------------------
// Calls (the country code plays no part in the number plan)
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination,
                                 bool hasDestination, DWORD, const CallParams& params)
{
    return m_calls->makeCall(requestId, device, call, destination, hasDestination, params);
}

LONG SimulatedExchange::dial(DWORD requestId, CallId call, const QByteArray& digits, DWORD)
{
    return m_calls->dial(requestId, call, digits);
}

LONG SimulatedExchange::answer(DWORD requestId, CallId call, const QByteArray&)
{
    return m_calls->answer(requestId, call);
}

LONG SimulatedExchange::drop(DWORD requestId, CallId call, const QByteArray&) { return m_calls->drop(requestId, call); }

LONG SimulatedExchange::hold(DWORD requestId, CallId call) { return m_features->hold(requestId, call); }

LONG SimulatedExchange::unhold(DWORD requestId, CallId call) { return m_features->unhold(requestId, call); }

LONG SimulatedExchange::blindTransfer(DWORD requestId, CallId call, const QByteArray& destination, DWORD)
{
    return m_features->blindTransfer(requestId, call, destination);
}

LONG SimulatedExchange::redirect(DWORD requestId, CallId call, const QByteArray& destination, DWORD)
{
    return m_features->redirect(requestId, call, destination);
}

LONG SimulatedExchange::park(DWORD requestId, CallId call, DWORD parkMode, const QByteArray& directedAddress,
                             QByteArray* nonDirectedAddress)
{
    return m_features->park(requestId, call, parkMode, directedAddress, nonDirectedAddress);
}

LONG SimulatedExchange::unpark(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address)
{
    return m_features->unpark(requestId, device, addressId, call, address);
}

LONG SimulatedExchange::pickup(DWORD requestId, int device, DWORD addressId, CallId call, const QByteArray& address,
                               const QByteArray& groupId)
{
    return m_features->pickup(requestId, device, addressId, call, address, groupId);
}

LONG SimulatedExchange::setupTransfer(DWORD requestId, CallId call, CallId consultCall, const CallParams& params)
{
    return m_conference->setupTransfer(requestId, call, consultCall, params);
}

LONG SimulatedExchange::completeTransfer(DWORD requestId, CallId call, CallId consultCall, CallId conferenceCall,
                                         DWORD transferMode)
{
    return m_conference->completeTransfer(requestId, call, consultCall, conferenceCall, transferMode);
}

LONG SimulatedExchange::swapHold(DWORD requestId, CallId activeCall, CallId heldCall)
{
    return m_features->swapHold(requestId, activeCall, heldCall);
}

LONG SimulatedExchange::setupConference(DWORD requestId, int device, CallId call, CallId conferenceCall,
                                        CallId consultCall, DWORD numParties, const CallParams& params)
{
    return m_conference->setupConference(requestId, device, call, conferenceCall, consultCall, numParties, params);
}

LONG SimulatedExchange::prepareAddToConference(DWORD requestId, CallId conferenceCall, CallId consultCall,
                                               const CallParams& params)
{
    return m_conference->prepareAddToConference(requestId, conferenceCall, consultCall, params);
}

LONG SimulatedExchange::addToConference(DWORD requestId, CallId conferenceCall, CallId consultCall)
{
    return m_conference->addToConference(requestId, conferenceCall, consultCall);
}

LONG SimulatedExchange::removeFromConference(DWORD requestId, CallId call)
{
    return m_conference->removeFromConference(requestId, call);
}

CallInfoData SimulatedExchange::callInfo(CallId call) const
{
    const SimCall* c = m_switch->find(call);
    if (!c)
        return {};
    CallInfoData info = c->info;
    LINECALLINFO& f = info.fixed;
    f.dwCallerIDFlags = info.caller.flags;
    f.dwCalledIDFlags = info.called.flags;
    f.dwConnectedIDFlags = info.connected.flags;
    f.dwRedirectionIDFlags = info.redirection.flags;
    f.dwRedirectingIDFlags = info.redirecting.flags;
    return info;
}

CallStatusData SimulatedExchange::callStatus(CallId call) const
{
    const SimCall* c = m_switch->find(call);
    if (!c)
        return {};
    CallStatusData s;
    s.callState = c->state;
    s.callStateMode = c->mode;
    s.callFeatures = m_switch->callFeatures(*c);
    s.callFeatures2 = m_switch->callFeatures2(*c);
    s.stateEntryMsecs = c->stateMs;
    return s;
}

void SimulatedExchange::releaseCall(CallId call) { m_switch->release(call); }

LONG SimulatedExchange::setMediaMode(CallId call, DWORD mediaModes) { return m_media->setMediaMode(call, mediaModes); }

LONG SimulatedExchange::generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits,
                                       DWORD duration)
{
    return m_media->generateDigits(call, token, digitMode, digits, duration);
}

LONG SimulatedExchange::generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration,
                                     const QList<LINEGENERATETONE>& tones)
{
    return m_media->generateTone(call, token, toneMode, duration, tones);
}

LONG SimulatedExchange::monitorTones(CallId call, DWORD token, const QList<LINEMONITORTONE>& tones)
{
    return m_media->monitorTones(call, token, tones);
}

// ---------------------------------------------------------------------------------------
// The phone
// ---------------------------------------------------------------------------------------

LONG SimulatedExchange::phoneOpen(int phone, DWORD privilege)
{
    if (phone != 0)
        return LONG(PHONEERR_BADDEVICEID);
    return m_phone.open(privilege);
}

void SimulatedExchange::phoneClose(int phone)
{
    if (phone == 0)
        m_phone.close();
}

PhoneStatusData SimulatedExchange::phoneStatus(int phone) const
{
    return phone == 0 ? m_phone.status() : PhoneStatusData{};
}

LONG SimulatedExchange::phoneRequest(DWORD requestId, int phone, const PhoneChange& change)
{
    if (phone != 0)
        return LONG(PHONEERR_BADDEVICEID);
    SimulatedPhone::Changes changes;
    if (const LONG error = change(&changes))
        return error;
    m_switch->post([this, requestId, phone, changes] {
        m_switch->sink().completeRequest(requestId, 0);
        for (const auto& [state, value] : changes)
            m_switch->sink().phoneStateChanged(DWORD(phone), state, value);
    });
    return 0;
}

LONG SimulatedExchange::phoneSetHookSwitch(DWORD requestId, int phone, DWORD hookSwitchDevs, DWORD mode)
{
    return phoneRequest(requestId, phone, [&](SimulatedPhone::Changes* changes) {
        return m_phone.setHookSwitch(hookSwitchDevs, mode, changes);
    });
}

LONG SimulatedExchange::phoneSetVolume(DWORD requestId, int phone, DWORD hookSwitchDev, DWORD volume)
{
    return phoneRequest(requestId, phone, [&](SimulatedPhone::Changes* changes) {
        return m_phone.setVolume(hookSwitchDev, volume, changes);
    });
}

LONG SimulatedExchange::phoneSetGain(DWORD requestId, int phone, DWORD hookSwitchDev, DWORD gain)
{
    return phoneRequest(requestId, phone, [&](SimulatedPhone::Changes* changes) {
        return m_phone.setGain(hookSwitchDev, gain, changes);
    });
}

// ---------------------------------------------------------------------------------------
// Settings and control
// ---------------------------------------------------------------------------------------

QVariantMap SimulatedExchange::settings() const
{
    return {{QStringLiteral("pacing"), m_switch->pacing()}};
}

void SimulatedExchange::applySettings(const QVariantMap& settings)
{
    const auto it = settings.constFind(QStringLiteral("pacing"));
    if (it == settings.constEnd())
        return;
    bool ok = false;
    const double value = it->toDouble(&ok);
    if (ok)
        setPacing(value);
}

QJsonObject SimulatedExchange::control(const QString& command, const QJsonObject& args)
{
    return m_control->run(command, args);
}

// ---------------------------------------------------------------------------------------
// Typed control
// ---------------------------------------------------------------------------------------

CallId SimulatedExchange::ring(int device, const IncomingCall& caller, bool* forwardedElsewhere)
{
    return m_farEnd->ring(device, caller, forwardedElsewhere);
}

bool SimulatedExchange::farEndAnswer(CallId call) { return m_farEnd->answer(call); }
bool SimulatedExchange::farEndHangup(CallId call) { return m_farEnd->hangUp(call); }
bool SimulatedExchange::farEndDigits(CallId call, const QByteArray& digits) { return m_farEnd->sendDigits(call, digits); }
bool SimulatedExchange::farEndTone(CallId call, DWORD toneMode, int durationMs)
{
    return m_farEnd->sendTone(call, toneMode, durationMs);
}
bool SimulatedExchange::farEndSilence(CallId call, int ms) { return m_farEnd->beSilent(call, ms); }
bool SimulatedExchange::farEndMedia(CallId call, DWORD mediaMode) { return m_farEnd->changeMedia(call, mediaMode); }
bool SimulatedExchange::signalLineState(int device, DWORD state, DWORD param2, DWORD param3)
{
    return m_farEnd->signalLineState(device, state, param2, param3);
}
bool SimulatedExchange::signalAddressState(int device, DWORD state) { return m_farEnd->signalAddressState(device, state); }
bool SimulatedExchange::signalDevSpecific(int device, CallId call, DWORD param1, DWORD param2, DWORD param3)
{
    return m_farEnd->signalDevSpecific(device, call, param1, param2, param3);
}
bool SimulatedExchange::forceClose(int device) { return m_farEnd->forceClose(device); }
bool SimulatedExchange::setForwarding(int device, const QByteArray& destination)
{
    return m_features->setForwarding(device, destination);
}
bool SimulatedExchange::pressButton(char digit) { return m_farEnd->pressButton(digit); }

bool SimulatedExchange::farEndSay(CallId call, const QString& fileName, QString* error)
{
    const SimCall* c = m_switch->find(call);
    if (!c || c->far.kind != FarEnd::Party) {
        *error = QStringLiteral("the far end of call %1 is no outside party").arg(call);
        return false;
    }
    return m_audio->say(call, fileName, error);
}

bool SimulatedExchange::farEndSaveHeard(CallId call, const QString& fileName, QString* error)
{
    const SimCall* c = m_switch->find(call);
    if (!c || c->far.kind != FarEnd::Party) {
        *error = QStringLiteral("the far end of call %1 is no outside party").arg(call);
        return false;
    }
    return m_audio->saveHeard(call, fileName, error);
}
void SimulatedExchange::setPacing(double factor) { m_switch->setPacing(factor); }
double SimulatedExchange::pacing() const { return m_switch->pacing(); }
CallId SimulatedExchange::newestCall(int device) const { return m_switch->newestCall(device); }
QList<CallId> SimulatedExchange::callIds(int device) const { return m_switch->callIds(device); }
bool SimulatedExchange::hasCall(CallId call) const { return m_switch->find(call) != nullptr; }

} // namespace Telephony
