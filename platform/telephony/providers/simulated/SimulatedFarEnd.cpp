#include "SimulatedFarEnd.h"

#include "SimulatedCalls.h"
#include "SimulatedCaps.h"
#include "SimulatedMedia.h"
#include "SimulatedPhone.h"
#include "SimulatedRouting.h"
#include "SimulatedSwitch.h"

#include <memory>

namespace Telephony::Sim {

const SimCall* SimulatedFarEnd::liveCall(CallId call) const
{
    const SimCall* c = m_sw.find(call);
    return c && c->state != 0 && c->state != LINECALLSTATE_IDLE ? c : nullptr;
}

CallId SimulatedFarEnd::ring(int device, const IncomingCall& caller, bool* forwardedElsewhere)
{
    if (forwardedElsewhere)
        *forwardedElsewhere = false;
    if (!m_sw.validLine(device) || SimulatedSwitch::isModem(device))
        return 0;
    PartyId id;
    id.number = caller.number.trimmed();
    id.name = caller.name.trimmed();
    id.flags = caller.flags;
    if (id.flags == 0) {
        if (!id.name.isEmpty())
            id.flags |= LINECALLPARTYID_NAME;
        if (!id.number.isEmpty())
            id.flags |= LINECALLPARTYID_ADDRESS;
        if (id.flags == 0)
            id.flags = LINECALLPARTYID_UNKNOWN;
    }
    Party party;
    party.number = id.number;
    party.name = id.name;
    const FarEnd from = FarEnd::toParty(party, id, false);
    Routing routing;
    routing.mediaMode = caller.mediaMode ? caller.mediaMode : LINEMEDIAMODE_INTERACTIVEVOICE;
    const bool forwarded = m_sw.routing().forwardFor(device, ForwardCondition::Unconditional, from) ||
                           (m_sw.lineBusy(device) && m_sw.routing().forwardFor(device, ForwardCondition::Busy, from));
    if (forwarded) {
        if (forwardedElsewhere)
            *forwardedElsewhere = true;
        m_sw.post([this, device, from, routing] {
            if (!m_sw.routing().forwardIfNeeded(device, ForwardCondition::Unconditional, from, routing) && m_sw.lineBusy(device))
                m_sw.routing().forwardIfNeeded(device, ForwardCondition::Busy, from, routing);
        });
        return 0;
    }
    const CallId offered = m_sw.calls().createOffered(device, from, id, routing);
    if (offered)
        m_sw.post([this, offered] { m_sw.calls().presentOffered(offered); });
    return offered;
}

bool SimulatedFarEnd::answer(CallId call)
{
    const SimCall* c = m_sw.find(call);
    if (!c || c->state != LINECALLSTATE_RINGBACK || c->far.kind == FarEnd::None)
        return false;
    const FarEnd far = c->far;
    if (far.kind == FarEnd::Leg) {
        const SimCall* o = m_sw.find(far.leg);
        if (!o || o->state != LINECALLSTATE_OFFERING)
            return false;
        const CallId offered = far.leg;
        m_sw.post([this, offered] {
            if (const SimCall* o = m_sw.find(offered); o && o->state == LINECALLSTATE_OFFERING)
                m_sw.calls().answerOffered(offered);
        });
        return true;
    }
    m_sw.post([this, call] {
        if (const SimCall* c = m_sw.find(call); c && c->state == LINECALLSTATE_RINGBACK)
            m_sw.routing().partyAnswers(call);
    });
    return true;
}

bool SimulatedFarEnd::hangUp(CallId call)
{
    const SimCall* c = m_sw.find(call);
    if (!c || c->isConference || c->state == 0 || c->state == LINECALLSTATE_IDLE ||
        c->state == LINECALLSTATE_DISCONNECTED)
        return false;
    m_sw.post([this, call] {
        SimCall* c = m_sw.find(call);
        if (!c)
            return;
        const FarEnd far = c->far;
        m_sw.calls().farGone(call, LINEDISCONNECTMODE_NORMAL);
        if (far.kind == FarEnd::Leg)
            m_sw.calls().farGone(far.leg, LINEDISCONNECTMODE_NORMAL);
    });
    return true;
}

bool SimulatedFarEnd::sendDigits(CallId call, const QByteArray& digits)
{
    if (!liveCall(call) || digits.isEmpty() || digits.size() > kMaxDigits)
        return false;
    for (char d : digits)
        if (!isDtmf(d))
            return false;
    // Each digit sounds 100 ms and is followed by a 100 ms gap, as a person keys them.
    std::shared_ptr<std::function<void(SimCall&, int)>> step = std::make_shared<std::function<void(SimCall&, int)>>();
    *step = [this, digits, weak = std::weak_ptr<std::function<void(SimCall&, int)>>(step)](SimCall& c, int index) {
        const CallId id = c.id;
        m_sw.media().receiveDigit(id, digits.at(index));
        if (index + 1 >= digits.size())
            return;
        auto next = weak.lock();
        if (!next)
            return;
        m_sw.after(id, Channel::Far, 200, [next, index](SimCall& again) { (*next)(again, index + 1); });
    };
    return m_sw.after(call, Channel::Far, 100, [step](SimCall& again) { (*step)(again, 0); });
}

bool SimulatedFarEnd::sendTone(CallId call, DWORD toneMode, int durationMs)
{
    const QList<DWORD> frequencies = SimulatedMedia::toneFrequencies(toneMode);
    if (!liveCall(call) || frequencies.isEmpty() || durationMs <= 0 || durationMs > 600000)
        return false;
    m_sw.post([this, call, frequencies, durationMs] { m_sw.media().receiveTone(call, frequencies, durationMs); });
    return true;
}

bool SimulatedFarEnd::beSilent(CallId call, int ms)
{
    if (!liveCall(call) || ms < 0 || ms > 3600000)
        return false;
    m_sw.post([this, call, ms] {
        const CallId target = m_sw.media().mediaCall(call);
        m_sw.media().restartSilence(target);
        if (ms > 0) // then the far end makes itself heard, and a new stretch begins
            m_sw.after(target, Channel::Far, ms, [this](SimCall& again) { m_sw.media().restartSilence(again.id); });
    });
    return true;
}

bool SimulatedFarEnd::changeMedia(CallId call, DWORD mediaMode)
{
    const SimCall* c = liveCall(call);
    if (!c || SimulatedSwitch::isModem(*c) || !singleBit(mediaMode) ||
        (mediaMode & ~m_sw.caps(c->device).fixed.dwMediaModes) != 0)
        return false;
    m_sw.post([this, call, mediaMode] { m_sw.media().changeMedia(call, mediaMode); });
    return true;
}

bool SimulatedFarEnd::signalLineState(int device, DWORD state, DWORD param2, DWORD param3)
{
    if (!m_sw.validLine(device) || !singleBit(state) || (state & ~supportedLineStates()) != 0)
        return false;
    m_sw.post([this, device, state, param2, param3] {
        DWORD& flags = m_sw.line(device).devStatusFlags;
        switch (state) {
        case LINEDEVSTATE_MSGWAITON:
            flags |= LINEDEVSTATUSFLAGS_MSGWAIT;
            break;
        case LINEDEVSTATE_MSGWAITOFF:
            flags &= ~LINEDEVSTATUSFLAGS_MSGWAIT;
            break;
        case LINEDEVSTATE_INSERVICE:
            flags |= LINEDEVSTATUSFLAGS_INSERVICE;
            break;
        case LINEDEVSTATE_OUTOFSERVICE:
        case LINEDEVSTATE_MAINTENANCE:
            flags &= ~LINEDEVSTATUSFLAGS_INSERVICE;
            break;
        case LINEDEVSTATE_CONNECTED:
            flags |= LINEDEVSTATUSFLAGS_CONNECTED;
            break;
        case LINEDEVSTATE_DISCONNECTED:
            flags &= ~LINEDEVSTATUSFLAGS_CONNECTED;
            break;
        default:
            break;
        }
        m_sw.sink().lineDevStateChanged(DWORD(device), state, param2, param3);
    });
    return true;
}

bool SimulatedFarEnd::signalAddressState(int device, DWORD state)
{
    if (!m_sw.validLine(device) || !singleBit(state) || (state & ~supportedAddressStates()) != 0)
        return false;
    m_sw.post([this, device, state] { m_sw.sink().addressStateChanged(DWORD(device), 0, state); });
    return true;
}

bool SimulatedFarEnd::signalDevSpecific(int device, CallId call, DWORD param1, DWORD param2, DWORD param3)
{
    if (!m_sw.validLine(device))
        return false;
    if (call != 0) {
        const SimCall* c = m_sw.find(call);
        if (!c || c->device != device)
            return false;
    }
    m_sw.post([this, device, call, param1, param2, param3] {
        m_sw.sink().lineDevSpecific(DWORD(device), call, param1, param2, param3);
    });
    return true;
}

bool SimulatedFarEnd::forceClose(int device)
{
    if (!m_sw.validLine(device))
        return false;
    m_sw.post([this, device] { m_sw.sink().lineClosed(DWORD(device)); });
    return true;
}

bool SimulatedFarEnd::pressButton(char digit)
{
    const int button = SimulatedPhone::buttonForDigit(digit);
    if (button < 0)
        return false;
    m_sw.post([this, button] {
        m_sw.sink().phoneButton(0, DWORD(button), PHONEBUTTONMODE_KEYPAD, PHONEBUTTONSTATE_DOWN);
        m_sw.sink().phoneButton(0, DWORD(button), PHONEBUTTONMODE_KEYPAD, PHONEBUTTONSTATE_UP);
    });
    return true;
}

void SimulatedFarEnd::reportPhoneChanges(const QList<QPair<DWORD, DWORD>>& changes)
{
    m_sw.post([this, changes] {
        for (const auto& [state, value] : changes)
            m_sw.sink().phoneStateChanged(0, state, value);
    });
}

bool SimulatedFarEnd::phoneHookSwitch(DWORD hookSwitchDev, DWORD mode)
{
    SimulatedPhone::Changes changes;
    if (!m_phone || m_phone->setHookSwitch(hookSwitchDev, mode, &changes) != 0)
        return false;
    reportPhoneChanges(changes);
    return true;
}

bool SimulatedFarEnd::phoneLevel(bool volume, DWORD hookSwitchDev, DWORD value)
{
    SimulatedPhone::Changes changes;
    if (!m_phone || value > 0xFFFF)
        return false;
    const LONG result = volume ? m_phone->setVolume(hookSwitchDev, value, &changes)
                               : m_phone->setGain(hookSwitchDev, value, &changes);
    if (result != 0)
        return false;
    reportPhoneChanges(changes);
    return true;
}

bool SimulatedFarEnd::phoneDevSpecific(DWORD param1, DWORD param2, DWORD param3)
{
    m_sw.post([this, param1, param2, param3] { m_sw.sink().phoneDevSpecific(0, param1, param2, param3); });
    return true;
}

bool SimulatedFarEnd::phoneClose()
{
    m_sw.post([this] { m_sw.sink().phoneClosed(0); });
    return true;
}

} // namespace Telephony::Sim
