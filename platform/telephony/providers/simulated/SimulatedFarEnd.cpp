// The simulated exchange's typed control: what the far ends and the exchange itself do
// when a test or the control interface says so.
#include "SimulatedExchange.h"

#include "../../TapiConstants.h"
#include "SimulatedCaps.h"

namespace Telephony {

using namespace Sim;

namespace {

bool singleBit(DWORD v) { return v != 0 && (v & (v - 1)) == 0; }

bool isDtmfDigit(char c)
{
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
}

constexpr int kMaxDigits = 64;

} // namespace

// ---------------------------------------------------------------------------------------
// Typed control
// ---------------------------------------------------------------------------------------

CallId SimulatedExchange::ring(int device, const IncomingCall& caller, bool* forwardedElsewhere)
{
    if (forwardedElsewhere)
        *forwardedElsewhere = false;
    if (!validLine(device) || isModem(device))
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
    const bool forwarded = forwardFor(device, ForwardCondition::Unconditional, from) ||
                           (lineBusy(device) && forwardFor(device, ForwardCondition::Busy, from));
    if (forwarded) {
        if (forwardedElsewhere)
            *forwardedElsewhere = true;
        post([this, device, from, routing] {
            if (!forwardIfNeeded(device, ForwardCondition::Unconditional, from, routing) && lineBusy(device))
                forwardIfNeeded(device, ForwardCondition::Busy, from, routing);
        });
        return 0;
    }
    const CallId offered = createOffered(device, from, id, routing);
    if (offered)
        post([this, offered] { presentOffered(offered); });
    return offered;
}

bool SimulatedExchange::farEndAnswer(CallId call)
{
    const SimCall* c = find(call);
    if (!c || c->state != LINECALLSTATE_RINGBACK || c->far.kind == FarEnd::None)
        return false;
    const FarEnd far = c->far;
    if (far.kind == FarEnd::Leg) {
        const SimCall* o = find(far.leg);
        if (!o || o->state != LINECALLSTATE_OFFERING)
            return false;
        const CallId offered = far.leg;
        post([this, offered] {
            if (const SimCall* o = find(offered); o && o->state == LINECALLSTATE_OFFERING)
                answerOffered(offered);
        });
        return true;
    }
    post([this, call] {
        if (const SimCall* c = find(call); c && c->state == LINECALLSTATE_RINGBACK)
            partyAnswers(call);
    });
    return true;
}

bool SimulatedExchange::farEndHangup(CallId call)
{
    const SimCall* c = find(call);
    if (!c || c->isConference || c->state == 0 || c->state == LINECALLSTATE_IDLE ||
        c->state == LINECALLSTATE_DISCONNECTED)
        return false;
    post([this, call] {
        SimCall* c = find(call);
        if (!c)
            return;
        const FarEnd far = c->far;
        farGone(call, LINEDISCONNECTMODE_NORMAL);
        if (far.kind == FarEnd::Leg)
            farGone(far.leg, LINEDISCONNECTMODE_NORMAL);
    });
    return true;
}

bool SimulatedExchange::farEndDigits(CallId call, const QByteArray& digits)
{
    const SimCall* c = find(call);
    if (!c || c->state == 0 || c->state == LINECALLSTATE_IDLE || digits.isEmpty() || digits.size() > kMaxDigits)
        return false;
    for (char d : digits)
        if (!isDtmfDigit(d))
            return false;
    // Each digit sounds 100 ms and is followed by a 100 ms gap, as a person keys them.
    std::shared_ptr<std::function<void(SimCall&, int)>> step = std::make_shared<std::function<void(SimCall&, int)>>();
    *step = [this, digits, weak = std::weak_ptr<std::function<void(SimCall&, int)>>(step)](SimCall& c, int index) {
        const CallId id = c.id;
        receiveDigit(id, digits.at(index));
        if (index + 1 >= digits.size())
            return;
        auto next = weak.lock();
        if (!next)
            return;
        after(id, Channel::Far, 200, [next, index](SimCall& again) { (*next)(again, index + 1); });
    };
    return after(call, Channel::Far, 100, [step](SimCall& again) { (*step)(again, 0); });
}

bool SimulatedExchange::farEndTone(CallId call, DWORD toneMode, int durationMs)
{
    const SimCall* c = find(call);
    const QList<DWORD> frequencies = toneFrequencies(toneMode);
    if (!c || c->state == 0 || c->state == LINECALLSTATE_IDLE || frequencies.isEmpty() || durationMs <= 0 ||
        durationMs > 600000)
        return false;
    post([this, call, frequencies, durationMs] { receiveTone(call, frequencies, durationMs); });
    return true;
}

bool SimulatedExchange::farEndSilence(CallId call, int ms)
{
    const SimCall* c = find(call);
    if (!c || c->state == 0 || c->state == LINECALLSTATE_IDLE || ms < 0 || ms > 3600000)
        return false;
    post([this, call, ms] {
        const CallId target = mediaCall(call);
        restartSilence(target);
        if (ms > 0) // then the far end makes itself heard, and a new stretch begins
            after(target, Channel::Far, ms, [this](SimCall& again) { restartSilence(again.id); });
    });
    return true;
}

bool SimulatedExchange::farEndMedia(CallId call, DWORD mediaMode)
{
    const SimCall* c = find(call);
    if (!c || c->state == 0 || c->state == LINECALLSTATE_IDLE || isModem(*c) || !singleBit(mediaMode) ||
        (mediaMode & ~m_lines[size_t(c->device)].fixed.dwMediaModes) != 0)
        return false;
    post([this, call, mediaMode] { changeMedia(call, mediaMode); });
    return true;
}

bool SimulatedExchange::signalLineState(int device, DWORD state, DWORD param2, DWORD param3)
{
    if (!validLine(device) || !singleBit(state) || (state & ~supportedLineStates()) != 0)
        return false;
    post([this, device, state, param2, param3] {
        DWORD& flags = m_devStatusFlags[size_t(device)];
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
        m_sink->lineDevStateChanged(DWORD(device), state, param2, param3);
    });
    return true;
}

bool SimulatedExchange::signalAddressState(int device, DWORD state)
{
    if (!validLine(device) || !singleBit(state) || (state & ~supportedAddressStates()) != 0)
        return false;
    post([this, device, state] { m_sink->addressStateChanged(DWORD(device), 0, state); });
    return true;
}

bool SimulatedExchange::signalDevSpecific(int device, CallId call, DWORD param1, DWORD param2, DWORD param3)
{
    if (!validLine(device))
        return false;
    if (call != 0) {
        const SimCall* c = find(call);
        if (!c || c->device != device)
            return false;
    }
    post([this, device, call, param1, param2, param3] {
        m_sink->lineDevSpecific(DWORD(device), call, param1, param2, param3);
    });
    return true;
}

bool SimulatedExchange::forceClose(int device)
{
    if (!validLine(device))
        return false;
    post([this, device] { m_sink->lineClosed(DWORD(device)); });
    return true;
}

bool SimulatedExchange::pressButton(char digit)
{
    const int button = SimulatedPhone::buttonForDigit(digit);
    if (button < 0)
        return false;
    post([this, button] {
        m_sink->phoneButton(0, DWORD(button), PHONEBUTTONMODE_KEYPAD, PHONEBUTTONSTATE_DOWN);
        m_sink->phoneButton(0, DWORD(button), PHONEBUTTONMODE_KEYPAD, PHONEBUTTONSTATE_UP);
    });
    return true;
}

} // namespace Telephony
