#include "SimulatedConference.h"

#include "SimulatedCalls.h"
#include "SimulatedRouting.h"
#include "SimulatedSwitch.h"

namespace Telephony::Sim {

LONG SimulatedConference::checkConsultation(CallId call, const std::function<LONG(const SimCall&)>& ready,
                                            CallId consultCall, const CallParams& params, DWORD* mediaMode,
                                            DWORD* bearerMode) const
{
    if (const LONG error = m_sw.checkCall(call, OnModem::Refused, ready))
        return error;
    if (consultCall == 0 || consultCall == call || m_sw.find(consultCall))
        return LONG(LINEERR_INVALCALLHANDLE);
    return m_sw.calls().checkParams(m_sw.find(call)->device, params, mediaMode, bearerMode);
}

// ---------------------------------------------------------------------------------------
// Consultation transfer
// ---------------------------------------------------------------------------------------

LONG SimulatedConference::setupTransfer(DWORD requestId, CallId call, CallId consultCall, const CallParams& params)
{
    auto ready = [this](const SimCall& c) { return m_sw.needs(c, LINECALLFEATURE_SETUPTRANSFER); };
    DWORD media = 0, bearer = 0;
    if (const LONG error = checkConsultation(call, ready, consultCall, params, &media, &bearer))
        return error;
    const SimCall& c = *m_sw.find(call);
    SimCall* k = m_sw.calls().createOutgoing(consultCall, c.device, media, bearer, params);
    k->info.fixed.dwRelatedCallID = c.info.fixed.dwCallID;
    auto check = [this, consultCall, ready](const SimCall& c) {
        return m_sw.find(consultCall) ? ready(c) : LONG(LINEERR_INVALCALLHANDLE);
    };
    return m_sw.callRequest(requestId, call, OnModem::Refused, check, [this, consultCall](SimCall& c) {
        c.transferPartner = consultCall;
        m_sw.find(consultCall)->transferPartner = c.id;
        if (m_sw.setState(c.id, LINECALLSTATE_ONHOLDPENDTRANSFER))
            m_sw.calls().startOutgoing(consultCall, true, false);
    });
}

LONG SimulatedConference::completeTransfer(DWORD requestId, CallId call, CallId consultCall, CallId conferenceCall,
                                           DWORD transferMode)
{
    auto check = [this, call, consultCall, transferMode](const SimCall& c) {
        const SimCall* k = m_sw.find(consultCall);
        if (!k || call == consultCall)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (SimulatedSwitch::isModem(c))
            return LONG(LINEERR_OPERATIONUNAVAIL);
        if (transferMode != LINETRANSFERMODE_TRANSFER && transferMode != LINETRANSFERMODE_CONFERENCE)
            return LONG(LINEERR_INVALTRANSFERMODE);
        if (c.device != k->device)
            return LONG(LINEERR_INVALCONSULTCALLHANDLE);
        if (c.isConference || k->isConference || c.conference || k->conference)
            return LONG(LINEERR_INVALCALLSTATE);
        const bool primaryOk = c.state == LINECALLSTATE_ONHOLDPENDTRANSFER || c.state == LINECALLSTATE_ONHOLD ||
                               c.state == LINECALLSTATE_CONNECTED;
        const bool consultOk = k->state == LINECALLSTATE_CONNECTED || k->state == LINECALLSTATE_RINGBACK ||
                               k->state == LINECALLSTATE_ONHOLD;
        if (!primaryOk || !consultOk || c.far.kind == FarEnd::None || k->far.kind == FarEnd::None)
            return LONG(LINEERR_INVALCALLSTATE);
        return LONG(0);
    };
    if (const LONG error = m_sw.checkCall(call, OnModem::Allowed, check))
        return error;
    if (transferMode == LINETRANSFERMODE_CONFERENCE && conferenceCall != 0) {
        if (conferenceCall == call || conferenceCall == consultCall || m_sw.find(conferenceCall))
            return LONG(LINEERR_INVALCONFCALLHANDLE);
        SimCall* f = m_sw.createLeg(conferenceCall, m_sw.find(call)->device);
        f->isConference = true;
    }
    return m_sw.callRequest(requestId, call, OnModem::Allowed, check,
                            [this, consultCall, conferenceCall, transferMode](SimCall& c) {
                                SimCall& k = *m_sw.find(consultCall);
                                c.transferPartner = 0;
                                k.transferPartner = 0;
                                if (transferMode == LINETRANSFERMODE_TRANSFER)
                                    joinAsTransfer(c, k);
                                else
                                    joinAsConference(c.id, consultCall, conferenceCall, c.device);
                            });
}

// Both calls go idle and their far ends are joined.
void SimulatedConference::joinAsTransfer(SimCall& c, SimCall& k)
{
    const FarEnd a = c.far;
    const FarEnd b = k.far;
    const bool bAnswered = k.state == LINECALLSTATE_CONNECTED || k.state == LINECALLSTATE_ONHOLD;
    Routing r;
    r.reason = LINECALLREASON_TRANSFER;
    r.redirected = true;
    r.redirecting = lineIdentity(c.device);
    c.far = {};
    k.far = {};
    const CallId call = c.id, consultCall = k.id;
    m_sw.calls().localDrop(call);
    m_sw.calls().localDrop(consultCall);
    m_sw.routing().join(a, b, bAnswered, r);
}

// Three-way: a conference call joins both parties.
void SimulatedConference::joinAsConference(CallId call, CallId consultCall, CallId conferenceCall, int device)
{
    CallId confId = conferenceCall;
    if (confId == 0) {
        confId = m_sw.sink().newCall(DWORD(device), 0);
        if (confId == 0 || m_sw.find(confId))
            return;
        m_sw.createLeg(confId, device)->isConference = true;
    }
    SimCall* f = m_sw.find(confId);
    if (!f)
        return;
    f->info.caller = lineIdentity(device);
    f->info.fixed.dwOrigin = LINECALLORIGIN_CONFERENCE;
    f->members = {call, consultCall};
    for (CallId m : {call, consultCall}) {
        SimCall* member = m_sw.find(m);
        member->conference = confId;
        member->info.fixed.dwRelatedCallID = f->info.fixed.dwCallID;
    }
    if (!m_sw.setState(confId, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
        return;
    m_sw.setState(call, LINECALLSTATE_CONFERENCED);
    m_sw.setState(consultCall, LINECALLSTATE_CONFERENCED);
}

// ---------------------------------------------------------------------------------------
// Conference
// ---------------------------------------------------------------------------------------

SimCall* SimulatedConference::createConsultation(CallId consultCall, const SimCall& conference, DWORD mediaMode,
                                                 DWORD bearerMode, const CallParams& params)
{
    SimCall* k = m_sw.calls().createOutgoing(consultCall, conference.device, mediaMode, bearerMode, params);
    k->info.fixed.dwRelatedCallID = conference.info.fixed.dwCallID;
    k->conference = conference.id;
    k->confConsult = true;
    return k;
}

LONG SimulatedConference::setupConference(DWORD requestId, int device, CallId call, CallId conferenceCall,
                                          CallId consultCall, DWORD numParties, const CallParams& params)
{
    if (call != 0) {
        const SimCall* c = m_sw.find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        device = c->device;
    }
    if (const LONG error = m_sw.checkLine(device, OnModem::Refused, 0))
        return error;
    if (call != 0 && m_sw.needs(*m_sw.find(call), LINECALLFEATURE_SETUPCONF) != 0)
        return LONG(LINEERR_INVALCALLSTATE);
    if (numParties > DWORD(kMaxConference))
        return LONG(LINEERR_CONFERENCEFULL);
    if (conferenceCall == 0 || m_sw.find(conferenceCall) || conferenceCall == call)
        return LONG(LINEERR_INVALCONFCALLHANDLE);
    if (consultCall == 0 || m_sw.find(consultCall) || consultCall == call || consultCall == conferenceCall)
        return LONG(LINEERR_INVALCALLHANDLE);
    DWORD media = 0, bearer = 0;
    if (const LONG error = m_sw.calls().checkParams(device, params, &media, &bearer))
        return error;
    SimCall* f = m_sw.createLeg(conferenceCall, device);
    f->isConference = true;
    f->info.caller = lineIdentity(device);
    f->info.fixed.dwOrigin = LINECALLORIGIN_CONFERENCE;
    f->info.fixed.dwMediaMode = media;
    createConsultation(consultCall, *f, media, bearer, params);
    auto check = [this, call, conferenceCall, consultCall] {
        if (!m_sw.find(conferenceCall) || !m_sw.find(consultCall))
            return LONG(LINEERR_INVALCALLHANDLE);
        if (call == 0)
            return LONG(0);
        return m_sw.checkCall(call, OnModem::Allowed,
                              [this](const SimCall& c) { return m_sw.needs(c, LINECALLFEATURE_SETUPCONF); });
    };
    return m_sw.submit(requestId, check, [this, call, conferenceCall, consultCall] {
        if (call != 0) {
            SimCall* c = m_sw.find(call);
            c->conference = conferenceCall;
            c->info.fixed.dwRelatedCallID = m_sw.find(conferenceCall)->info.fixed.dwCallID;
            m_sw.find(conferenceCall)->members = {call};
        }
        if (!m_sw.setState(conferenceCall, LINECALLSTATE_ONHOLDPENDCONF))
            return;
        if (call != 0 && !m_sw.setState(call, LINECALLSTATE_CONFERENCED))
            return;
        m_sw.calls().startOutgoing(consultCall, true, false);
    });
}

LONG SimulatedConference::prepareAddToConference(DWORD requestId, CallId conferenceCall, CallId consultCall,
                                                 const CallParams& params)
{
    auto ready = [this](const SimCall& f) {
        if (!f.isConference)
            return LONG(LINEERR_INVALCONFCALLHANDLE);
        if (f.members.size() >= kMaxConference)
            return LONG(LINEERR_CONFERENCEFULL);
        return m_sw.needs(f, LINECALLFEATURE_PREPAREADDCONF);
    };
    DWORD media = 0, bearer = 0;
    if (const LONG error = checkConsultation(conferenceCall, ready, consultCall, params, &media, &bearer))
        return error;
    const SimCall& f = *m_sw.find(conferenceCall);
    createConsultation(consultCall, f, media, bearer, params);
    auto check = [this, consultCall](const SimCall& f) {
        if (!m_sw.find(consultCall))
            return LONG(LINEERR_INVALCALLHANDLE);
        // The consultation call is counted as pending already.
        const bool stateOk = f.state == LINECALLSTATE_CONNECTED && f.members.size() < kMaxConference;
        return stateOk ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return m_sw.callRequest(requestId, conferenceCall, OnModem::Allowed, check, [this, consultCall](SimCall& f) {
        if (m_sw.setState(f.id, LINECALLSTATE_ONHOLDPENDCONF))
            m_sw.calls().startOutgoing(consultCall, true, false);
    });
}

LONG SimulatedConference::addToConference(DWORD requestId, CallId conferenceCall, CallId consultCall)
{
    auto check = [this, conferenceCall, consultCall](const SimCall& f) {
        const SimCall* k = m_sw.find(consultCall);
        if (!f.isConference)
            return LONG(LINEERR_INVALCONFCALLHANDLE);
        if (!k)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (k->device != f.device || k->isConference || (k->conference && k->conference != conferenceCall) ||
            (k->conference == conferenceCall && !k->confConsult))
            return LONG(LINEERR_INVALCONSULTCALLHANDLE);
        if (f.members.size() >= kMaxConference)
            return LONG(LINEERR_CONFERENCEFULL);
        const bool confOk = f.state == LINECALLSTATE_ONHOLDPENDCONF || f.state == LINECALLSTATE_CONNECTED ||
                            f.state == LINECALLSTATE_ONHOLD;
        const bool consultOk = (k->state == LINECALLSTATE_CONNECTED || k->state == LINECALLSTATE_RINGBACK ||
                                k->state == LINECALLSTATE_ONHOLD) &&
                               k->far.kind != FarEnd::None;
        return confOk && consultOk ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    return m_sw.callRequest(requestId, conferenceCall, OnModem::Refused, check, [this, consultCall](SimCall& f) {
        SimCall* k = m_sw.find(consultCall);
        if (k->transferPartner) {
            if (SimCall* p = m_sw.find(k->transferPartner))
                p->transferPartner = 0;
            k->transferPartner = 0;
        }
        k->conference = f.id;
        k->confConsult = false;
        k->info.fixed.dwRelatedCallID = f.info.fixed.dwCallID;
        f.members.append(consultCall);
        const CallId conferenceCall = f.id;
        if (!m_sw.setState(consultCall, LINECALLSTATE_CONFERENCED))
            return;
        m_sw.setState(conferenceCall, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    });
}

LONG SimulatedConference::removeFromConference(DWORD requestId, CallId call)
{
    return m_sw.callRequest(
        requestId, call, OnModem::Refused,
        [this](const SimCall& c) { return m_sw.needs(c, LINECALLFEATURE_REMOVEFROMCONF); },
        [this](SimCall& c) { m_sw.calls().localDrop(c.id); });
}

} // namespace Telephony::Sim
