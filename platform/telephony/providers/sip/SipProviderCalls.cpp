#include "SipProvider.h"

#include "SipAddress.h"
#include "SipResponses.h"

#include "../../TapiConstants.h"

#include <QDateTime>
#include <QTimer>

#include <algorithm>

namespace Telephony {

namespace Sip {

bool sipCallGone(const std::shared_ptr<linphone::Call>& call)
{
    const linphone::Call::State s = call->getState();
    return s == linphone::Call::State::End || s == linphone::Call::State::Released ||
           s == linphone::Call::State::Error;
}

} // namespace Sip

using namespace Sip;

namespace {

// The disconnect mode for a call the stack ended without a SIP response to go by.
DWORD disconnectModeForReason(linphone::Reason reason)
{
    switch (reason) {
    case linphone::Reason::None:
        return LINEDISCONNECTMODE_NORMAL;
    case linphone::Reason::Busy:
        return LINEDISCONNECTMODE_BUSY;
    case linphone::Reason::Declined:
        return LINEDISCONNECTMODE_REJECT;
    case linphone::Reason::NotFound:
    case linphone::Reason::AddressIncomplete:
        return LINEDISCONNECTMODE_BADADDRESS;
    case linphone::Reason::NotAnswered:
    case linphone::Reason::TemporarilyUnavailable:
        return LINEDISCONNECTMODE_NOANSWER;
    case linphone::Reason::NoResponse:
    case linphone::Reason::IOError:
    case linphone::Reason::BadGateway:
    case linphone::Reason::ServerTimeout:
        return LINEDISCONNECTMODE_UNREACHABLE;
    case linphone::Reason::Forbidden:
    case linphone::Reason::Unauthorized:
        return LINEDISCONNECTMODE_BLOCKED;
    case linphone::Reason::DoNotDisturb:
        return LINEDISCONNECTMODE_DONOTDISTURB;
    case linphone::Reason::UnsupportedContent:
    case linphone::Reason::NotAcceptable:
        return LINEDISCONNECTMODE_INCOMPATIBLE;
    case linphone::Reason::Gone:
        return LINEDISCONNECTMODE_NUMBERCHANGED;
    default:
        break;
    }
    return LINEDISCONNECTMODE_UNKNOWN;
}

PartyId partyOfAddress(const std::shared_ptr<const linphone::Address>& address)
{
    if (!address)
        return PartyId{LINECALLPARTYID_UNKNOWN, {}, {}};
    return partyOf(QString::fromStdString(address->getDisplayName()), QString::fromStdString(address->getUsername()),
                   QString::fromStdString(address->getDomain()));
}

// Whether the stack holds the far end's offer for an offered call: an SDP body (the
// input guard let only readable ones through, the stack refuses what it cannot parse)
// with an audio stream. Answering a call without one crashes the stack when it looks
// for the streams it has not got.
bool carriesAudioOffer(const std::shared_ptr<linphone::Call>& call)
{
    const auto remote = call ? call->getRemoteParams() : nullptr;
    if (!remote || !remote->audioEnabled())
        return false;
    const QString type = QString::fromStdString(remote->getCustomHeader("Content-Type")).section(QLatin1Char(';'), 0, 0);
    const QString length = QString::fromStdString(remote->getCustomHeader("Content-Length")).trimmed();
    return type.trimmed().compare(QLatin1String("application/sdp"), Qt::CaseInsensitive) == 0 && length.toInt() > 0;
}

} // namespace

SipCall* SipProvider::find(CallId id)
{
    const auto it = m_calls.find(id);
    return it == m_calls.end() ? nullptr : &it->second;
}

const SipCall* SipProvider::find(CallId id) const
{
    const auto it = m_calls.find(id);
    return it == m_calls.end() ? nullptr : &it->second;
}

SipCall* SipProvider::findSip(const std::shared_ptr<linphone::Call>& call)
{
    if (!call)
        return nullptr;
    for (auto& [id, c] : m_calls)
        if (c.call && c.call->cPtr() == call->cPtr())
            return &c;
    return nullptr;
}

LONG SipProvider::submit(DWORD requestId, CallId id, std::function<LONG(SipCall&)> check,
                         std::function<void(SipCall&)> effect, Reply reply)
{
    SipCall* c = find(id);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (check)
        if (const LONG error = check(*c))
            return error;
    QTimer::singleShot(0, this, [this, requestId, id, reply, check = std::move(check), effect = std::move(effect)] {
        SipCall* c = find(id);
        const LONG result = !c ? LONG(LINEERR_INVALCALLHANDLE) : (check ? check(*c) : LONG(0));
        if (result != 0 || reply == Reply::First)
            sink().completeRequest(requestId, result);
        if (result == 0)
            if (SipCall* again = find(id))
                effect(*again);
    });
    return 0;
}

bool SipProvider::setState(CallId id, DWORD state, DWORD mode)
{
    SipCall* c = find(id);
    if (!c)
        return false;
    if (c->state == state && c->mode == mode)
        return true;
    c->state = state;
    c->mode = mode;
    c->stateMs = QDateTime::currentMSecsSinceEpoch();
    if (c->isConference && c->mixer && (state == LINECALLSTATE_DISCONNECTED || state == LINECALLSTATE_IDLE))
        std::exchange(c->mixer, nullptr)->terminate();
    if (state != LINECALLSTATE_CONNECTED)
        stopGeneration(*c, LINEGENERATETERM_CANCEL);
    routeCallAudio(c->device);
    sink().callStateChanged(id, state, mode);
    return find(id) != nullptr;
}

void SipProvider::infoChanged(CallId id, DWORD states)
{
    if (find(id))
        sink().callInfoChanged(id, states);
}

// ---------------------------------------------------------------------------------------
// Outgoing calls
// ---------------------------------------------------------------------------------------

SipCall& SipProvider::addOwnCall(CallId id, int device, DWORD origin)
{
    SipCall c;
    c.id = id;
    c.device = device;
    c.info.fixed.dwOrigin = origin;
    c.info.fixed.dwReason = LINECALLREASON_DIRECT;
    c.info.fixed.dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    c.info.fixed.dwBearerMode = LINEBEARERMODE_VOICE;
    c.info.caller = partyOf({}, m_accounts[device].user, m_accounts[device].domain);
    return m_calls.emplace(id, c).first->second;
}

SipCall& SipProvider::addOutgoing(CallId id, int device, DWORD related)
{
    SipCall& c = addOwnCall(id, device, LINECALLORIGIN_OUTBOUND);
    c.outgoing = true;
    c.info.fixed.dwRelatedCallID = related;
    return c;
}

LONG SipProvider::makeCall(DWORD requestId, int device, CallId call, const QByteArray& destination,
                           bool hasDestination, DWORD, const CallParams& params)
{
    if (!validLine(device))
        return LONG(LINEERR_BADDEVICEID);
    if (call == 0 || find(call))
        return LONG(LINEERR_INVALCALLHANDLE);
    if (params.addressID != 0)
        return LONG(LINEERR_INVALADDRESSID);
    if (params.mediaMode != 0 && (params.mediaMode & ~m_caps[size_t(device)].fixed.dwMediaModes) != 0)
        return LONG(LINEERR_INVALMEDIAMODE);
    const QByteArray dest = destination.trimmed();
    if (hasDestination && !dest.isEmpty() && checkDialable(dest) != 0)
        return LONG(LINEERR_INVALADDRESS);
    // A line whose stack did not start cannot place calls; one that is not registered
    // says so, and one still registering lets the call wait for it.
    const SipEndpoint& endpoint = *m_endpoints[size_t(device)];
    if (!endpoint.started())
        return LONG(LINEERR_OPERATIONFAILED);
    const bool registering = endpoint.registration() == SipEndpoint::Registration::Registering;
    if (!endpoint.inService() && (!registering || m_registerWaitMs == 0))
        return LONG(LINEERR_NOTREGISTERED);
    const auto waiting = std::count_if(m_waitingDials.begin(), m_waitingDials.end(),
                                       [device](const WaitingDial& w) { return w.device == device; });
    if (liveCalls(device) + int(waiting) >= m_accounts[device].maxCalls)
        return LONG(LINEERR_CALLUNAVAIL);

    SipCall& c = addOutgoing(call, device, 0);
    if (params.mediaMode)
        c.info.fixed.dwMediaMode = params.mediaMode;
    c.info.fixed.dwCallParamFlags = params.callParamFlags;
    c.info.displayableAddress = params.displayableAddress;
    c.info.calledParty = params.calledParty;
    c.info.comment = params.comment;
    const bool dialNow = hasDestination && !dest.isEmpty();
    if (!endpoint.inService()) {
        awaitRegistration(requestId, call, device, dest, dialNow);
        return 0;
    }
    return submit(requestId, call, {}, [this, dest, dialNow](SipCall& c) { startDialling(c.id, dest, dialNow); });
}

void SipProvider::startDialling(CallId call, const QByteArray& destination, bool dialNow)
{
    if (setState(call, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL) && dialNow)
        invite(call, destination);
}

void SipProvider::awaitRegistration(DWORD requestId, CallId call, int device, const QByteArray& destination,
                                    bool dialNow)
{
    m_waitingDials.push_back({requestId, call, device, destination, dialNow});
    QTimer::singleShot(m_registerWaitMs, this,
                       [this, requestId] { finishWaitingDial(requestId, LONG(LINEERR_NOTREGISTERED)); });
}

void SipProvider::registrationSettled(int device)
{
    if (!validLine(device))
        return;
    const SipEndpoint& endpoint = *m_endpoints[size_t(device)];
    if (!endpoint.inService() && endpoint.registration() == SipEndpoint::Registration::Registering)
        return;
    const LONG result = endpoint.inService() ? 0 : LONG(LINEERR_NOTREGISTERED);
    std::vector<DWORD> settled;
    for (const WaitingDial& w : m_waitingDials)
        if (w.device == device)
            settled.push_back(w.requestId);
    for (DWORD requestId : settled)
        finishWaitingDial(requestId, result);
}

// Replies to a call that waited for its line's registration: on success it goes on as
// any other call made; on failure the service lets go of it.
void SipProvider::finishWaitingDial(DWORD requestId, LONG result)
{
    const auto it = std::find_if(m_waitingDials.begin(), m_waitingDials.end(),
                                 [requestId](const WaitingDial& w) { return w.requestId == requestId; });
    if (it == m_waitingDials.end())
        return;
    const WaitingDial dial = *it;
    m_waitingDials.erase(it);
    if (result == 0 && !find(dial.call))
        result = LONG(LINEERR_INVALCALLHANDLE);
    // A line closed meanwhile has nobody left to take the call.
    if (result == 0 && (!validLine(dial.device) || m_opens[size_t(dial.device)] == 0))
        result = LONG(LINEERR_OPERATIONFAILED);
    if (result != 0)
        m_calls.erase(dial.call);
    sink().completeRequest(requestId, result);
    if (result == 0)
        startDialling(dial.call, dial.destination, dial.dialNow);
}

void SipProvider::failWaitingDials(LONG result)
{
    while (!m_waitingDials.empty())
        finishWaitingDial(m_waitingDials.front().requestId, result);
}

LONG SipProvider::dial(DWORD requestId, CallId call, const QByteArray& digits, DWORD)
{
    const QByteArray dest = digits.trimmed();
    const LONG addressError = checkDialable(dest);
    return submit(
        requestId, call,
        [addressError](SipCall& c) {
            // A SIP call has its whole address in the INVITE: dialling adds to nothing.
            if (c.call || (c.state != LINECALLSTATE_DIALTONE && c.state != LINECALLSTATE_DIALING))
                return LONG(LINEERR_INVALCALLSTATE);
            return addressError;
        },
        [this, dest](SipCall& c) { invite(c.id, dest); });
}

void SipProvider::invite(CallId id, const QByteArray& destination)
{
    SipCall* c = find(id);
    if (!c)
        return;
    SipEndpoint& endpoint = *m_endpoints[size_t(c->device)];
    linphone::Core* core = endpoint.core();
    const QString target = dialTarget(destination, endpoint.account().domain);
    const SipUri uri = SipUri::parse(target);
    c->info.called = partyOf({}, uri.user, uri.host);
    if (!setState(id, LINECALLSTATE_DIALING))
        return;
    infoChanged(id, LINECALLINFOSTATE_CALLEDID);
    auto address = core ? core->interpretUrl(target.toStdString()) : nullptr;
    if (!address) {
        setState(id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BADADDRESS);
        return;
    }
    auto params = core->createCallParams(nullptr);
    params->enableVideo(false);
    if ((c->info.fixed.dwCallParamFlags & LINECALLPARAMFLAGS_BLOCKID) != 0)
        params->addCustomHeader("Privacy", "id");
    m_dialling = id;
    auto call = core->inviteAddressWithParams(address, params);
    m_dialling = 0;
    c = find(id);
    if (!c)
        return;
    if (!call) {
        if (!ended(c->state))
            setState(id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNAVAIL);
        return;
    }
    if (!c->call && !sipCallGone(call))
        c->call = call;
    routeCallAudio(c->device);
}

// ---------------------------------------------------------------------------------------
// Offered calls
// ---------------------------------------------------------------------------------------

QByteArray SipProvider::forwardFor(int device, DWORD mode) const
{
    if (!validLine(device))
        return {};
    for (const AddressStatusData::Forward& f : m_forwarding[size_t(device)].entries)
        if (f.mode == mode)
            return f.destAddress;
    return {};
}

// Unconditional forwarding, and forwarding when busy, send the caller on before the line
// rings at all; true when the call went.
bool SipProvider::forwardOffered(SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call)
{
    QByteArray destination = forwardFor(endpoint.device(), LINEFORWARDMODE_UNCOND);
    if (destination.isEmpty() && liveCalls(endpoint.device()) > 0)
        destination = forwardFor(endpoint.device(), LINEFORWARDMODE_BUSY);
    if (destination.isEmpty())
        return false;
    auto address = endpoint.core()->interpretUrl(dialTarget(destination, endpoint.account().domain).toStdString());
    if (!address)
        return false;
    m_leaving.push_back(call);
    return call->redirectTo(address) == 0;
}

void SipProvider::redirectLater(CallId id, int delayMs, const QByteArray& destination)
{
    QTimer::singleShot(delayMs, this, [this, id, destination] {
        if (SipCall* c = find(id); c && c->state == LINECALLSTATE_OFFERING && c->call)
            sendOn(*c, destination, SendOn::Redirect);
    });
}

void SipProvider::offered(SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call)
{
    if (!carriesAudioOffer(call)) {
        // FIXME: a call offering its media only in the answer (no SDP in the INVITE) is refused too.
        m_leaving.push_back(call);
        call->decline(linphone::Reason::NotAcceptable);
        return;
    }
    if (forwardOffered(endpoint, call))
        return;
    const CallId id = sink().newCall(DWORD(endpoint.device()), 0);
    if (id == 0 || find(id)) {
        // Nobody can take the call: the caller hears that at once.
        call->decline(linphone::Reason::TemporarilyUnavailable);
        return;
    }
    SipCall c;
    c.id = id;
    c.device = endpoint.device();
    c.call = call;
    c.info.fixed.dwOrigin = LINECALLORIGIN_EXTERNAL;
    c.info.fixed.dwReason = LINECALLREASON_DIRECT;
    c.info.fixed.dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    c.info.fixed.dwBearerMode = LINEBEARERMODE_VOICE;
    c.info.caller = partyOfAddress(call->getRemoteAddress());
    // An asserted identity from a trusted proxy says better who calls than From does.
    if (auto remote = call->getRemoteParams()) {
        const QString asserted = QString::fromStdString(remote->getCustomHeader("P-Asserted-Identity"));
        const SipUri uri = SipUri::parse(asserted.left(kMaxAddressLength));
        if (!asserted.isEmpty() && uri.valid)
            c.info.caller = partyOf(uri.displayName, uri.user, uri.host);
        if (QString::fromStdString(remote->getCustomHeader("Privacy")).contains(QLatin1String("id")))
            c.info.caller = PartyId{LINECALLPARTYID_BLOCKED, {}, {}};
    }
    c.info.called = partyOfAddress(call->getToAddress());
    if (auto diversion = call->getDiversionAddress()) {
        c.info.redirecting = partyOfAddress(diversion);
        c.info.redirection = c.info.called;
        c.info.fixed.dwReason = LINECALLREASON_FWDUNCOND;
    }
    m_calls.emplace(id, c);
    if (!setState(id, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE))
        return;
    infoChanged(id, LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID);
    const QByteArray noAnswer = forwardFor(endpoint.device(), LINEFORWARDMODE_NOANSW);
    if (!noAnswer.isEmpty())
        redirectLater(id, int(m_forwarding[size_t(endpoint.device())].rings) * m_ringMs, noAnswer);
}

LONG SipProvider::answer(DWORD requestId, CallId call, const QByteArray&)
{
    const auto offered = [](SipCall& c) {
        if (c.state != LINECALLSTATE_OFFERING || !c.call)
            return LONG(LINEERR_INVALCALLSTATE);
        return carriesAudioOffer(c.call) ? LONG(0) : LONG(LINEERR_OPERATIONFAILED);
    };
    if (SipCall* c = find(call); c && offered(*c) != 0)
        return offered(*c);
    // The reply follows the answer: when it arrives the call is connected already, so
    // whatever the application does next (monitoring digits) finds it so.
    return submit(requestId, call, offered, [this, requestId](SipCall& c) {
        const CallId id = c.id;
        auto params = c.call->getCore()->createCallParams(c.call);
        if (params)
            params->enableVideo(false);
        const bool accepted = (params ? c.call->acceptWithParams(params) : c.call->accept()) == 0;
        SipCall* again = find(id);
        if (!again) {
            sink().completeRequest(requestId, LONG(LINEERR_INVALCALLHANDLE));
            return;
        }
        if (!accepted) {
            sink().completeRequest(requestId, LONG(LINEERR_OPERATIONFAILED));
            if (!ended(again->state))
                setState(id, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNAVAIL);
            return;
        }
        if (again->state == LINECALLSTATE_OFFERING && again->call && !sipCallGone(again->call))
            setState(id, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
        sink().completeRequest(requestId, 0);
    }, Reply::FromEffect);
}

LONG SipProvider::redirect(DWORD requestId, CallId call, const QByteArray& destination, DWORD)
{
    const QByteArray dest = destination.trimmed();
    const LONG addressError = checkDialable(dest);
    return submit(
        requestId, call,
        [addressError](SipCall& c) {
            if (c.state != LINECALLSTATE_OFFERING || !c.call)
                return LONG(LINEERR_INVALCALLSTATE);
            return addressError;
        },
        [this, dest](SipCall& c) { sendOn(c, dest, SendOn::Redirect); });
}

void SipProvider::sendOn(SipCall& c, const QByteArray& destination, SendOn how)
{
    const CallId id = c.id;
    linphone::Core* core = m_endpoints[size_t(c.device)]->core();
    auto address = core->interpretUrl(dialTarget(destination, m_accounts[c.device].domain).toStdString());
    if (address && c.call) {
        auto call = std::exchange(c.call, nullptr);
        m_leaving.push_back(call);
        const linphone::Status sent = how == SendOn::Redirect ? call->redirectTo(address) : call->transferTo(address);
        if (sent != 0)
            call->terminate();
    } else {
        endSipCall(c, false);
    }
    setState(id, LINECALLSTATE_IDLE);
}

// ---------------------------------------------------------------------------------------
// Ending calls
// ---------------------------------------------------------------------------------------

LONG SipProvider::drop(DWORD requestId, CallId call, const QByteArray&)
{
    return submit(requestId, call, {}, [this](SipCall& c) {
        const CallId id = c.id;
        if (c.isConference) {
            dropConference(c);
            return;
        }
        leaveConference(c);
        // An offered call refused while the line has another call is refused as busy.
        endSipCall(c, liveCalls(c.device) > 1);
        if (SipCall* again = find(id))
            setState(again->id, LINECALLSTATE_IDLE);
    });
}

void SipProvider::endSipCall(SipCall& c, bool busy)
{
    if (c.transferPartner) {
        const CallId partner = std::exchange(c.transferPartner, 0);
        if (SipCall* p = find(partner)) {
            p->transferPartner = 0;
            if (p->state == LINECALLSTATE_ONHOLDPENDTRANSFER)
                QTimer::singleShot(0, this, [this, partner] {
                    if (SipCall* p = find(partner); p && p->state == LINECALLSTATE_ONHOLDPENDTRANSFER)
                        setState(partner, LINECALLSTATE_ONHOLD);
                });
        }
    }
    if (!c.call)
        return;
    std::shared_ptr<linphone::Call> call = std::exchange(c.call, nullptr);
    if (sipCallGone(call))
        return;
    m_leaving.push_back(call);
    if (c.state == LINECALLSTATE_OFFERING)
        call->decline(busy ? linphone::Reason::Busy : linphone::Reason::Declined);
    else
        call->terminate(); // CANCEL before an answer, BYE after
}

void SipProvider::releaseCall(CallId id)
{
    SipCall* c = find(id);
    if (!c)
        return;
    stopGeneration(*c, LINEGENERATETERM_CANCEL);
    if (c->isConference) {
        for (CallId m : std::exchange(c->members, {}))
            if (SipCall* member = find(m))
                member->conference = 0;
        for (auto& [otherId, other] : m_calls)
            if (other.conference == id) {
                other.conference = 0;
                other.confConsult = false;
            }
    }
    leaveConference(*c);
    endSipCall(*c, false);
    const int device = c->device;
    m_calls.erase(id);
    routeCallAudio(device);
    std::erase_if(m_waitingDials, [id](const WaitingDial& w) { return w.call == id; });
}

void SipProvider::farEndEnded(SipCall& c, const std::shared_ptr<linphone::Call>& call, bool error)
{
    c.call.reset();
    if (ended(c.state))
        return;
    DWORD mode = LINEDISCONNECTMODE_NORMAL;
    const bool answered = c.state == LINECALLSTATE_CONNECTED || c.state == LINECALLSTATE_ONHOLD ||
                          c.state == LINECALLSTATE_ONHOLDPENDTRANSFER;
    if (error || (c.outgoing && !answered)) {
        auto info = call->getErrorInfo();
        const int code = info ? info->getProtocolCode() : 0;
        // The stack answers its own transport failures (no connection, a server
        // certificate refused) with 503: the far end was never reached.
        const linphone::Reason reason = call->getReason();
        const bool local = reason == linphone::Reason::IOError || reason == linphone::Reason::NoResponse;
        mode = code >= 300 && !local ? disconnectModeForResponse(code) : disconnectModeForReason(reason);
    } else if (call->getReason() != linphone::Reason::None) {
        // An answered call the stack ended itself: media stopped arriving, the far end
        // could not be reached for a re-INVITE.
        mode = disconnectModeForReason(call->getReason());
    }
    setState(c.id, LINECALLSTATE_DISCONNECTED, mode);
}

// ---------------------------------------------------------------------------------------
// What the stack reports
// ---------------------------------------------------------------------------------------

void SipProvider::callStateChanged(SipEndpoint& endpoint, const std::shared_ptr<linphone::Call>& call,
                                   linphone::Call::State state)
{
    using S = linphone::Call::State;
    if (state == S::IncomingReceived) {
        offered(endpoint, call);
        return;
    }
    SipCall* c = findSip(call);
    if (!c && m_dialling && (state == S::OutgoingInit || state == S::OutgoingProgress)) {
        c = find(m_dialling);
        if (c && !c->call)
            c->call = call;
    }
    if (!c && state == S::OutgoingInit && call->getDir() == linphone::Call::Dir::Outgoing) {
        // The stack follows a transfer the far end asked for: a new call of this line.
        const CallId id = sink().newCall(DWORD(endpoint.device()), 0);
        if (id != 0 && !find(id)) {
            SipCall& t = addOutgoing(id, endpoint.device(), 0);
            t.call = call;
            t.info.fixed.dwReason = LINECALLREASON_TRANSFER;
            t.info.called = partyOfAddress(call->getRemoteAddress());
            if (setState(id, LINECALLSTATE_PROCEEDING))
                infoChanged(id, LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_REASON);
        }
        return;
    }
    if (!c) {
        if (state == S::Released)
            m_leaving.erase(std::remove_if(m_leaving.begin(), m_leaving.end(),
                                           [&](const auto& l) { return !l || l->cPtr() == call->cPtr(); }),
                            m_leaving.end());
        return;
    }
    const CallId id = c->id;
    switch (state) {
    case S::OutgoingProgress:
        if (c->state == LINECALLSTATE_DIALTONE || c->state == LINECALLSTATE_DIALING)
            setState(id, LINECALLSTATE_PROCEEDING);
        break;
    case S::OutgoingRinging:
    case S::OutgoingEarlyMedia:
        if (c->state == LINECALLSTATE_DIALING || c->state == LINECALLSTATE_PROCEEDING ||
            c->state == LINECALLSTATE_DIALTONE)
            setState(id, LINECALLSTATE_RINGBACK);
        break;
    case S::Connected:
    case S::StreamsRunning:
        if (c->remoteHeld) {
            c->remoteHeld = false;
            c->info.devSpecific.clear();
            infoChanged(id, LINECALLINFOSTATE_DEVSPECIFIC);
        }
        // A party of a conference stays conferenced whatever the mixing does to its call.
        if (c->state != LINECALLSTATE_CONNECTED && c->state != LINECALLSTATE_CONFERENCED && !ended(c->state)) {
            if (c->outgoing && c->info.connected.flags == 0) {
                c->info.connected = partyOfAddress(call->getRemoteAddress());
                infoChanged(id, LINECALLINFOSTATE_CONNECTEDID);
            }
            if (SipCall* again = find(id))
                setState(again->id, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
        }
        break;
    case S::Paused:
        // A hold still under way when the call joined a mix ends after the stack looked
        // at it: the party belongs in the conference, so it is taken off hold again.
        if (c->state == LINECALLSTATE_CONFERENCED && call->getConference())
            call->resume();
        if (c->state == LINECALLSTATE_CONNECTED)
            setState(id, c->transferPartner ? LINECALLSTATE_ONHOLDPENDTRANSFER : LINECALLSTATE_ONHOLD);
        break;
    case S::PausedByRemote:
        if (!c->remoteHeld) {
            // The far end holds: the call stays connected; its info says so.
            c->remoteHeld = true;
            c->info.devSpecific = "remote-hold";
            infoChanged(id, LINECALLINFOSTATE_DEVSPECIFIC);
        }
        break;
    case S::Error:
        farEndEnded(*c, call, true);
        break;
    case S::End:
        farEndEnded(*c, call, false);
        break;
    case S::Released:
        c->call.reset();
        break;
    default:
        break;
    }
    // A stream (re)started takes the card chosen for it.
    if (state == S::StreamsRunning || state == S::Connected || state == S::OutgoingEarlyMedia || state == S::Paused ||
        state == S::Resuming)
        routeCallAudio(endpoint.device());
}

void SipProvider::transferStateChanged(SipEndpoint&, const std::shared_ptr<linphone::Call>& call,
                                       linphone::Call::State state)
{
    using S = linphone::Call::State;
    if (state != S::Connected && state != S::Error && state != S::End)
        return;
    // A call handed on by a transfer: once the far end has the new call, ours ends.
    for (const auto& leaving : m_leaving)
        if (leaving->cPtr() == call->cPtr() && !sipCallGone(leaving)) {
            leaving->terminate();
            return;
        }
}

} // namespace Telephony
