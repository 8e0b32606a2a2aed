#include "SipProvider.h"

#include "SipAddress.h"

#include "../../TapiConstants.h"

#include <QTimer>

namespace Telephony {

using namespace Sip;

namespace {

bool canJoin(const SipCall& c)
{
    return c.call && !sipCallGone(c.call) &&
           (c.state == LINECALLSTATE_CONNECTED || c.state == LINECALLSTATE_ONHOLD);
}

} // namespace

int SipProvider::partyLimit(int device) const
{
    return validLine(device) ? int(m_caps[size_t(device)].addresses.value(0).fixed.dwMaxNumConference) : 0;
}

SipCall& SipProvider::addConference(CallId id, int device)
{
    SipCall& f = addOwnCall(id, device, LINECALLORIGIN_CONFERENCE);
    f.isConference = true;
    return f;
}

std::shared_ptr<linphone::Conference> SipProvider::mixerOf(const SipCall& conference) const
{
    for (CallId m : conference.members)
        if (const SipCall* p = find(m); p && p->call && !sipCallGone(p->call))
            if (auto mixer = p->call->getConference())
                return mixer;
    return nullptr;
}

bool SipProvider::mix(SipCall& conference)
{
    linphone::Core* core = m_endpoints[size_t(conference.device)]->core();
    if (!core)
        return false;
    auto mixer = mixerOf(conference);
    if (!mixer) {
        auto params = core->createConferenceParams();
        params->enableVideo(false);
        params->enableChat(false);
        params->enableLocalParticipant(true);
        // A conference down to one party stays one: the stack would otherwise turn it
        // back into a plain call behind the line's back.
        params->enableOneParticipantConference(true);
        mixer = core->createConferenceWithParams(params);
        if (!mixer)
            return false;
    }
    // Calls on hold join last: the stack resumes them into the mix, and a call joining
    // while one resumes would have the stack put the resuming one on hold again.
    QList<CallId> order;
    for (CallId m : conference.members)
        if (const SipCall* p = find(m); p && p->call && p->call->getState() != linphone::Call::State::Paused)
            order.append(m);
    for (CallId m : conference.members)
        if (!order.contains(m))
            order.append(m);
    for (CallId m : order) {
        SipCall* p = find(m);
        if (!p || !p->call || sipCallGone(p->call))
            continue;
        auto current = p->call->getConference();
        if (current && current->cPtr() == mixer->cPtr())
            continue;
        // This stack answers a participant added with 1 (a truth value behind its status
        // type), so the call's own conference is what tells.
        const linphone::Status added = mixer->addParticipant(p->call);
        auto joined = p->call->getConference();
        if (added == linphone::Status(0) && !(joined && joined->cPtr() == mixer->cPtr()))
            return false;
    }
    if (!mixer->isIn())
        mixer->enter();
    conference.mixer = mixer;
    return true;
}

// ---------------------------------------------------------------------------------------
// Setting up and adding parties
// ---------------------------------------------------------------------------------------

LONG SipProvider::setupConference(DWORD requestId, int device, CallId call, CallId conferenceCall,
                                  CallId consultCall, DWORD numParties, const CallParams& params)
{
    if (call != 0) {
        const SipCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        device = c->device;
        if (c->state != LINECALLSTATE_CONNECTED || !c->call || c->transferPartner || c->conference || c->isConference)
            return LONG(LINEERR_INVALCALLSTATE);
    }
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (numParties > DWORD(partyLimit(device)))
        return LONG(LINEERR_CONFERENCEFULL);
    if (conferenceCall == 0 || conferenceCall == call || find(conferenceCall))
        return LONG(LINEERR_INVALCONFCALLHANDLE);
    if (consultCall == 0 || consultCall == call || consultCall == conferenceCall || find(consultCall))
        return LONG(LINEERR_INVALCALLHANDLE);
    if (params.mediaMode != 0 && (params.mediaMode & ~m_caps[size_t(device)].fixed.dwMediaModes) != 0)
        return LONG(LINEERR_INVALMEDIAMODE);
    if (!inService(device))
        return LONG(LINEERR_OPERATIONFAILED);
    if (liveCalls(device) >= m_accounts[device].maxCalls)
        return LONG(LINEERR_CALLUNAVAIL);

    const DWORD related = addConference(conferenceCall, device).info.fixed.dwCallID;
    SipCall& k = addOutgoing(consultCall, device, related);
    k.conference = conferenceCall;
    k.confConsult = true;
    const auto check = [this, call, consultCall](SipCall&) {
        if (!find(consultCall))
            return LONG(LINEERR_INVALCALLHANDLE);
        if (call == 0)
            return LONG(0);
        const SipCall* c = find(call);
        if (!c)
            return LONG(LINEERR_INVALCALLHANDLE);
        return (c->state == LINECALLSTATE_CONNECTED && c->call && !c->conference) ? LONG(0)
                                                                                : LONG(LINEERR_INVALCALLSTATE);
    };
    const LONG result = submit(requestId, conferenceCall, check, [this, call, consultCall](SipCall& f) {
        const CallId conference = f.id;
        if (SipCall* c = call ? find(call) : nullptr) {
            c->conference = conference;
            c->info.fixed.dwRelatedCallID = f.info.fixed.dwCallID;
            f.members = {call};
            // The first party waits on hold while the next is dialled.
            c->call->pause();
        }
        if (!setState(conference, LINECALLSTATE_ONHOLDPENDCONF))
            return;
        if (call != 0 && !setState(call, LINECALLSTATE_CONFERENCED))
            return;
        setState(consultCall, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
    });
    if (result != 0) {
        m_calls.erase(consultCall);
        m_calls.erase(conferenceCall);
    }
    return result;
}

LONG SipProvider::prepareAddToConference(DWORD requestId, CallId conferenceCall, CallId consultCall,
                                         const CallParams& params)
{
    const SipCall* f = find(conferenceCall);
    if (!f || !f->isConference)
        return LONG(LINEERR_INVALCONFCALLHANDLE);
    if (f->members.size() >= partyLimit(f->device))
        return LONG(LINEERR_CONFERENCEFULL);
    const auto ready = [this](SipCall& f) {
        for (const auto& [id, other] : m_calls)
            if (other.confConsult && other.conference == f.id)
                return LONG(LINEERR_INVALCALLSTATE); // one consultation at a time
        return f.state == LINECALLSTATE_CONNECTED ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    if (const LONG error = ready(*find(conferenceCall)))
        return error;
    if (consultCall == 0 || find(consultCall))
        return LONG(LINEERR_INVALCALLHANDLE);
    if (params.mediaMode != 0 && (params.mediaMode & ~m_caps[size_t(f->device)].fixed.dwMediaModes) != 0)
        return LONG(LINEERR_INVALMEDIAMODE);
    if (liveCalls(f->device) >= m_accounts[f->device].maxCalls)
        return LONG(LINEERR_CALLUNAVAIL);
    SipCall& k = addOutgoing(consultCall, f->device, f->info.fixed.dwCallID);
    k.conference = conferenceCall;
    k.confConsult = true;
    const auto check = [this, consultCall](SipCall& f) {
        if (!find(consultCall))
            return LONG(LINEERR_INVALCALLHANDLE);
        return f.state == LINECALLSTATE_CONNECTED ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    const LONG result = submit(requestId, conferenceCall, check, [this, consultCall](SipCall& f) {
        // The parties go on talking among themselves while this line consults.
        if (auto mixer = mixerOf(f); mixer && mixer->isIn())
            mixer->leave();
        if (setState(f.id, LINECALLSTATE_ONHOLDPENDCONF))
            setState(consultCall, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
    });
    if (result != 0)
        m_calls.erase(consultCall);
    return result;
}

LONG SipProvider::addToConference(DWORD requestId, CallId conferenceCall, CallId consultCall)
{
    const auto check = [this, conferenceCall, consultCall](SipCall& f) {
        if (!f.isConference)
            return LONG(LINEERR_INVALCONFCALLHANDLE);
        const SipCall* k = find(consultCall);
        if (!k)
            return LONG(LINEERR_INVALCALLHANDLE);
        if (k->device != f.device || k->isConference || (k->conference && k->conference != conferenceCall) ||
            (k->conference == conferenceCall && !k->confConsult))
            return LONG(LINEERR_INVALCONSULTCALLHANDLE);
        if (f.members.size() >= partyLimit(f.device))
            return LONG(LINEERR_CONFERENCEFULL);
        const bool confOk = f.state == LINECALLSTATE_ONHOLDPENDCONF || f.state == LINECALLSTATE_CONNECTED;
        // FIXME: a party still ringing is refused; it could join once it answers.
        return confOk && canJoin(*k) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
    };
    if (!find(conferenceCall))
        return LONG(LINEERR_INVALCONFCALLHANDLE);
    return submit(
        requestId, conferenceCall, check,
        [this, requestId, consultCall](SipCall& f) {
            SipCall& k = *find(consultCall);
            if (k.transferPartner) {
                if (SipCall* p = find(k.transferPartner))
                    p->transferPartner = 0;
                k.transferPartner = 0;
            }
            const CallId conference = f.id;
            k.conference = conference;
            k.confConsult = false;
            k.info.fixed.dwRelatedCallID = f.info.fixed.dwCallID;
            f.members.append(consultCall);
            if (!mix(f)) {
                f.members.removeAll(consultCall);
                k.conference = 0;
                sink().completeRequest(requestId, LONG(LINEERR_OPERATIONFAILED));
                return;
            }
            sink().completeRequest(requestId, 0);
            if (setState(consultCall, LINECALLSTATE_CONFERENCED))
                setState(conference, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
        },
        Reply::FromEffect);
}

// A consultation transfer completed as a three-way call: both calls join a conference.
void SipProvider::joinThreeWay(CallId call, CallId consultCall, CallId conferenceCall, int device)
{
    CallId id = conferenceCall;
    if (id == 0) {
        id = sink().newCall(DWORD(device), 0);
        if (id == 0 || find(id))
            return;
        addConference(id, device);
    }
    SipCall* f = find(id);
    if (!f)
        return;
    f->members = {call, consultCall};
    for (CallId m : {call, consultCall})
        if (SipCall* member = find(m)) {
            member->transferPartner = 0;
            member->conference = id;
            member->info.fixed.dwRelatedCallID = f->info.fixed.dwCallID;
        }
    if (!mix(*f)) {
        // The stack would not mix: the parties stay as they were, the conference ends.
        for (CallId m : {call, consultCall})
            if (SipCall* member = find(m))
                member->conference = 0;
        f->members.clear();
        setState(id, LINECALLSTATE_IDLE);
        return;
    }
    if (!setState(id, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE))
        return;
    if (setState(call, LINECALLSTATE_CONFERENCED))
        setState(consultCall, LINECALLSTATE_CONFERENCED);
}

// ---------------------------------------------------------------------------------------
// Parties leaving
// ---------------------------------------------------------------------------------------

LONG SipProvider::removeFromConference(DWORD requestId, CallId call)
{
    return submit(
        requestId, call,
        [](SipCall& c) {
            return (c.state == LINECALLSTATE_CONFERENCED && c.conference) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
        },
        [this](SipCall& c) {
            const CallId id = c.id;
            leaveConference(c);
            endSipCall(c, false);
            setState(id, LINECALLSTATE_IDLE);
        });
}

void SipProvider::leaveConference(SipCall& c)
{
    if (c.isConference || !c.conference)
        return;
    const CallId conference = std::exchange(c.conference, 0);
    const bool consult = std::exchange(c.confConsult, false);
    SipCall* f = find(conference);
    if (!f)
        return;
    f->members.removeAll(c.id);
    QTimer::singleShot(0, this, [this, conference, consult] {
        SipCall* f = find(conference);
        if (!f || ended(f->state))
            return;
        if (f->state == LINECALLSTATE_ONHOLDPENDCONF) {
            // A party leaving while the next is dialled changes nothing yet; the
            // consultation call given up brings the line back to the conference.
            if (!consult)
                return;
            if (f->members.isEmpty()) {
                setState(conference, LINECALLSTATE_IDLE);
                return;
            }
            mix(*f);
            setState(conference, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
        } else if (!consult && f->members.isEmpty()) {
            setState(conference, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL);
        }
    });
}

// The conference call dropped: every party is hung up; a consultation call under way
// stays as a call of its own.
void SipProvider::dropConference(SipCall& conference)
{
    const CallId id = conference.id;
    auto mixer = mixerOf(conference);
    if (!mixer)
        mixer = conference.mixer;
    conference.mixer.reset();
    const QList<CallId> members = std::exchange(conference.members, {});
    for (auto& [otherId, other] : m_calls)
        if (other.conference == id && other.confConsult) {
            other.conference = 0;
            other.confConsult = false;
        }
    for (CallId m : members) {
        SipCall* p = find(m);
        if (!p)
            continue;
        p->conference = 0;
        endSipCall(*p, false);
        setState(m, LINECALLSTATE_IDLE);
    }
    if (mixer)
        mixer->terminate();
    setState(id, LINECALLSTATE_IDLE);
}

void SipProvider::endMixes()
{
    for (auto& [id, c] : m_calls)
        if (c.mixer)
            std::exchange(c.mixer, nullptr)->terminate();
}

} // namespace Telephony
