#include "CallFeatures.h"

#include "SimulatedSwitch.h"

namespace Telephony::Sim {

namespace {

bool isHeldState(DWORD s)
{
    return s == LINECALLSTATE_ONHOLD || s == LINECALLSTATE_ONHOLDPENDTRANSFER || s == LINECALLSTATE_ONHOLDPENDCONF;
}

} // namespace

bool CallFeatures::hasHeldCall(const SimCall& c) const
{
    for (const auto& [id, other] : m_sw.legs())
        if (other.get() != &c && other->device == c.device && isHeldState(other->state))
            return true;
    return false;
}

bool CallFeatures::hasConnectedCall(const SimCall& c) const
{
    for (const auto& [id, other] : m_sw.legs())
        if (other.get() != &c && other->device == c.device && other->state == LINECALLSTATE_CONNECTED)
            return true;
    return false;
}

DWORD CallFeatures::ofModem(const SimCall& c) const
{
    switch (c.state) {
    case 0:
    case LINECALLSTATE_IDLE:
        return 0;
    case LINECALLSTATE_DIALTONE:
    case LINECALLSTATE_DIALING:
        return LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP;
    default:
        return LINECALLFEATURE_DROP;
    }
}

DWORD CallFeatures::of(const SimCall& c) const
{
    if (SimulatedSwitch::isModem(c))
        return ofModem(c);
    const SimCall* partner = c.transferPartner ? m_sw.find(c.transferPartner) : nullptr;
    const SimCall* conf = c.conference ? m_sw.find(c.conference) : nullptr;
    const SimCall* consult = nullptr;
    if (c.isConference)
        for (const auto& [id, other] : m_sw.legs())
            if (other->confConsult && other->conference == c.id)
                consult = other.get();
    const bool partnerReady = partner && partner->far.kind != FarEnd::None && partner->state != LINECALLSTATE_IDLE &&
                              partner->state != LINECALLSTATE_DISCONNECTED && c.far.kind != FarEnd::None;
    const bool consultReady = consult && consult->far.kind != FarEnd::None &&
                              (consult->state == LINECALLSTATE_CONNECTED || consult->state == LINECALLSTATE_RINGBACK ||
                               consult->state == LINECALLSTATE_ONHOLD);
    const bool addable = c.confConsult && conf && c.far.kind != FarEnd::None;
    const DWORD media = LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_GENERATETONE |
                        LINECALLFEATURE_MONITORDIGITS | LINECALLFEATURE_MONITORMEDIA |
                        LINECALLFEATURE_MONITORTONES | LINECALLFEATURE_GATHERDIGITS |
                        LINECALLFEATURE_SETMEDIACONTROL | LINECALLFEATURE_SETTERMINAL;
    DWORD f = 0;
    switch (c.state) {
    case LINECALLSTATE_OFFERING:
        f = LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_REDIRECT;
        break;
    case LINECALLSTATE_DIALTONE:
    case LINECALLSTATE_DIALING:
        f = LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP;
        break;
    case LINECALLSTATE_RINGBACK:
        f = LINECALLFEATURE_DROP;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (addable)
            f |= LINECALLFEATURE_ADDTOCONF;
        break;
    case LINECALLSTATE_CONNECTED:
        if (c.isConference) {
            f = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | media;
            if (!consult && c.members.size() < 3)
                f |= LINECALLFEATURE_PREPAREADDCONF;
        } else if (partner || c.confConsult) {
            f = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | media;
            if (partnerReady)
                f |= LINECALLFEATURE_COMPLETETRANSF;
            if (addable)
                f |= LINECALLFEATURE_ADDTOCONF;
        } else {
            f = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | LINECALLFEATURE_BLINDTRANSFER |
                LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_SETUPCONF | LINECALLFEATURE_PARK | media;
        }
        if (hasHeldCall(c))
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_ONHOLD:
        f = LINECALLFEATURE_UNHOLD | LINECALLFEATURE_DROP;
        if (hasConnectedCall(c))
            f |= LINECALLFEATURE_SWAPHOLD;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (addable)
            f |= LINECALLFEATURE_ADDTOCONF;
        break;
    case LINECALLSTATE_ONHOLDPENDTRANSFER:
        f = LINECALLFEATURE_DROP;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (partner && partner->state == LINECALLSTATE_CONNECTED)
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_ONHOLDPENDCONF:
        f = LINECALLFEATURE_DROP;
        if (consultReady)
            f |= LINECALLFEATURE_ADDTOCONF;
        if (consult && consult->state == LINECALLSTATE_CONNECTED)
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_CONFERENCED:
        f = LINECALLFEATURE_DROP | LINECALLFEATURE_REMOVEFROMCONF;
        break;
    case LINECALLSTATE_PROCEEDING:
    case LINECALLSTATE_BUSY:
    case LINECALLSTATE_SPECIALINFO:
    case LINECALLSTATE_DISCONNECTED:
        f = LINECALLFEATURE_DROP;
        break;
    default:
        f = 0;
        break;
    }
    return f;
}

DWORD CallFeatures::secondOf(const SimCall& c) const
{
    const DWORD f = of(c);
    DWORD f2 = 0;
    if (f & (LINECALLFEATURE_COMPLETETRANSF | LINECALLFEATURE_SETUPTRANSFER))
        f2 |= LINECALLFEATURE2_TRANSFERNORM | LINECALLFEATURE2_TRANSFERCONF;
    if (f & LINECALLFEATURE_PARK)
        f2 |= LINECALLFEATURE2_PARKDIRECT | LINECALLFEATURE2_PARKNONDIRECT;
    return f2;
}

} // namespace Telephony::Sim
