#include "SipProvider.h"

#include "SipAddress.h"
#include "SipDigits.h"
#include "SipTone.h"

#include "../../TapiConstants.h"

#include <QTimer>

#include <algorithm>

namespace Telephony {

using namespace Sip;

namespace {

// The stack sends RFC 4733 events of about 100 ms with a pause after each.
constexpr int kDigitMs = 250;

bool connectedOrHeld(DWORD state)
{
    return state == LINECALLSTATE_CONNECTED || state == LINECALLSTATE_ONHOLD ||
           state == LINECALLSTATE_ONHOLDPENDTRANSFER;
}

bool talking(const SipCall& c)
{
    return c.call && (c.state == LINECALLSTATE_CONNECTED || c.state == LINECALLSTATE_ONHOLD);
}

} // namespace

DWORD SipProvider::features(const SipCall& c) const
{
    const SipCall* partner = c.transferPartner ? find(c.transferPartner) : nullptr;
    const bool partnerReady = partner && partner->call && c.call && connectedOrHeld(partner->state);
    bool heldElsewhere = false;
    bool connectedElsewhere = false;
    for (const auto& [id, other] : m_calls) {
        if (id == c.id || other.device != c.device)
            continue;
        heldElsewhere = heldElsewhere || other.state == LINECALLSTATE_ONHOLD;
        connectedElsewhere = connectedElsewhere || other.state == LINECALLSTATE_CONNECTED;
    }
    const DWORD media = LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_GENERATETONE | LINECALLFEATURE_MONITORDIGITS |
                        LINECALLFEATURE_GATHERDIGITS;
    if (c.isConference)
        return conferenceFeatures(c);
    // The consultation call of a conference joins it; it is not transferred.
    const DWORD joins = c.confConsult && talking(c) ? LINECALLFEATURE_ADDTOCONF : 0;
    switch (c.state) {
    case LINECALLSTATE_OFFERING:
        return LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_REDIRECT;
    case LINECALLSTATE_DIALTONE:
    case LINECALLSTATE_DIALING:
        return c.call ? LINECALLFEATURE_DROP : (LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP);
    case LINECALLSTATE_CONNECTED: {
        DWORD f = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD | media | joins;
        if (partner)
            f |= partnerReady ? LINECALLFEATURE_COMPLETETRANSF : 0;
        else if (!c.confConsult)
            f |= LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_SETUPCONF;
        if (heldElsewhere || (partner && partner->state == LINECALLSTATE_ONHOLDPENDTRANSFER))
            f |= LINECALLFEATURE_SWAPHOLD;
        return f;
    }
    case LINECALLSTATE_ONHOLD: {
        DWORD f = LINECALLFEATURE_UNHOLD | LINECALLFEATURE_DROP | joins;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (connectedElsewhere)
            f |= LINECALLFEATURE_SWAPHOLD;
        return f;
    }
    case LINECALLSTATE_ONHOLDPENDTRANSFER: {
        DWORD f = LINECALLFEATURE_DROP;
        if (partnerReady)
            f |= LINECALLFEATURE_COMPLETETRANSF;
        if (partner && partner->state == LINECALLSTATE_CONNECTED)
            f |= LINECALLFEATURE_SWAPHOLD;
        return f;
    }
    case LINECALLSTATE_CONFERENCED:
        return LINECALLFEATURE_DROP | LINECALLFEATURE_REMOVEFROMCONF;
    case LINECALLSTATE_PROCEEDING:
    case LINECALLSTATE_RINGBACK:
    case LINECALLSTATE_DISCONNECTED:
        return LINECALLFEATURE_DROP;
    default:
        break;
    }
    return 0;
}

DWORD SipProvider::conferenceFeatures(const SipCall& f) const
{
    const SipCall* consult = nullptr;
    for (const auto& [id, other] : m_calls)
        if (other.confConsult && other.conference == f.id)
            consult = &other;
    switch (f.state) {
    case LINECALLSTATE_CONNECTED:
        return LINECALLFEATURE_DROP |
               (!consult && f.members.size() < partyLimit(f.device) ? LINECALLFEATURE_PREPAREADDCONF : 0);
    case LINECALLSTATE_ONHOLDPENDCONF:
        return LINECALLFEATURE_DROP | (consult && talking(*consult) ? LINECALLFEATURE_ADDTOCONF : 0);
    case LINECALLSTATE_DISCONNECTED:
        return LINECALLFEATURE_DROP;
    default:
        break;
    }
    return 0;
}

CallInfoData SipProvider::callInfo(CallId call) const
{
    const SipCall* c = find(call);
    if (!c)
        return {};
    CallInfoData info = c->info;
    LINECALLINFO& f = info.fixed;
    f.dwCallerIDFlags = info.caller.flags;
    f.dwCalledIDFlags = info.called.flags;
    f.dwConnectedIDFlags = info.connected.flags;
    f.dwRedirectionIDFlags = info.redirection.flags;
    f.dwRedirectingIDFlags = info.redirecting.flags;
    f.dwCallStates = m_caps[size_t(c->device)].addresses.value(0).fixed.dwCallStates;
    return info;
}

CallStatusData SipProvider::callStatus(CallId call) const
{
    CallStatusData s;
    const SipCall* c = find(call);
    if (!c)
        return s;
    s.callState = c->state;
    s.callStateMode = c->mode;
    s.callFeatures = features(*c);
    s.callFeatures2 = (s.callFeatures & LINECALLFEATURE_COMPLETETRANSF)
                          ? (LINECALLFEATURE2_TRANSFERNORM | LINECALLFEATURE2_TRANSFERCONF)
                          : 0;
    s.stateEntryMsecs = c->stateMs;
    return s;
}

// ---------------------------------------------------------------------------------------
// Hold (re-INVITE with a sendonly or inactive offer)
// ---------------------------------------------------------------------------------------

// The line's wave devices carry its active call: the connected one (the latest, should
// there be two), else one being placed, for its early media. Held and offered calls,
// and parties mixed in a conference, are not; a connected conference is heard through
// the line's default card, where the stack's mix is.
void SipProvider::routeCallAudio(int device)
{
    if (!validLine(device))
        return;
    const SipCall* active = nullptr;
    bool activeConnected = false;
    for (const auto& [id, c] : m_calls) {
        if (c.device != device)
            continue;
        const bool connected = c.state == LINECALLSTATE_CONNECTED;
        const bool placing = c.state == LINECALLSTATE_DIALING || c.state == LINECALLSTATE_PROCEEDING ||
                             c.state == LINECALLSTATE_RINGBACK;
        if (!connected && !placing)
            continue;
        if (!active || (connected && !activeConnected) ||
            (connected == activeConnected && c.stateMs >= active->stateMs)) {
            active = &c;
            activeConnected = connected;
        }
    }
    std::vector<SipSoundCard::CallAudio> calls;
    for (const auto& [id, c] : m_calls)
        if (c.device == device && !c.isConference && c.call && !sipCallGone(c.call))
            calls.push_back({c.call, &c == active, c.state == LINECALLSTATE_CONFERENCED});
    m_endpoints[size_t(device)]->setCallAudio(calls);
}

LONG SipProvider::hold(DWORD requestId, CallId call)
{
    // FIXME: a conference call has no SIP call of its own, so it cannot be held yet;
    // holding it would mean holding each party.
    return submit(
        requestId, call,
        [](SipCall& c) {
            return (c.state == LINECALLSTATE_CONNECTED && c.call) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
        },
        [](SipCall& c) { c.call->pause(); });
}

LONG SipProvider::unhold(DWORD requestId, CallId call)
{
    return submit(
        requestId, call,
        [](SipCall& c) {
            return (c.state == LINECALLSTATE_ONHOLD && c.call) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
        },
        [](SipCall& c) { c.call->resume(); });
}

LONG SipProvider::swapHold(DWORD requestId, CallId activeCall, CallId heldCall)
{
    const SipCall* held = find(heldCall);
    if (!held)
        return LONG(LINEERR_INVALCALLHANDLE);
    return submit(
        requestId, activeCall,
        [this, heldCall](SipCall& c) {
            const SipCall* h = find(heldCall);
            if (!h || !h->call || h->device != c.device || !c.call)
                return LONG(LINEERR_INVALCALLHANDLE);
            if (c.state != LINECALLSTATE_CONNECTED ||
                (h->state != LINECALLSTATE_ONHOLD && h->state != LINECALLSTATE_ONHOLDPENDTRANSFER))
                return LONG(LINEERR_INVALCALLSTATE);
            return LONG(0);
        },
        [this, heldCall](SipCall& c) {
            c.call->pause();
            if (SipCall* h = find(heldCall); h && h->call)
                h->call->resume();
        });
}

// ---------------------------------------------------------------------------------------
// Transfers (REFER, and REFER with Replaces after a consultation)
// ---------------------------------------------------------------------------------------

LONG SipProvider::blindTransfer(DWORD requestId, CallId call, const QByteArray& destination, DWORD)
{
    const QByteArray dest = destination.trimmed();
    const LONG addressError = checkDialable(dest);
    return submit(
        requestId, call,
        [addressError](SipCall& c) {
            if (!c.call || (c.state != LINECALLSTATE_CONNECTED && c.state != LINECALLSTATE_ONHOLD))
                return LONG(LINEERR_INVALCALLSTATE);
            return addressError;
        },
        [this, dest](SipCall& c) { sendOn(c, dest, SendOn::Refer); });
}

LONG SipProvider::setupTransfer(DWORD requestId, CallId call, CallId consultCall, const CallParams&)
{
    SipCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (c->state != LINECALLSTATE_CONNECTED || !c->call || c->transferPartner)
        return LONG(LINEERR_INVALCALLSTATE);
    if (consultCall == 0 || find(consultCall))
        return LONG(LINEERR_INVALCALLHANDLE);
    if (liveCalls(c->device) >= m_accounts[c->device].maxCalls)
        return LONG(LINEERR_CALLUNAVAIL);
    addOutgoing(consultCall, c->device, c->info.fixed.dwCallID);
    const LONG result = submit(
        requestId, call,
        [this, consultCall](SipCall& c) {
            if (!find(consultCall))
                return LONG(LINEERR_INVALCALLHANDLE);
            return (c.state == LINECALLSTATE_CONNECTED && c.call) ? LONG(0) : LONG(LINEERR_INVALCALLSTATE);
        },
        [this, consultCall](SipCall& c) {
            const CallId id = c.id;
            c.transferPartner = consultCall;
            if (SipCall* k = find(consultCall))
                k->transferPartner = id;
            c.call->pause();
            setState(id, LINECALLSTATE_ONHOLDPENDTRANSFER);
            setState(consultCall, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
        });
    if (result != 0)
        m_calls.erase(consultCall);
    return result;
}

LONG SipProvider::completeTransfer(DWORD requestId, CallId call, CallId consultCall, CallId conferenceCall,
                                   DWORD transferMode)
{
    if (transferMode != LINETRANSFERMODE_TRANSFER && transferMode != LINETRANSFERMODE_CONFERENCE)
        return LONG(LINEERR_INVALTRANSFERMODE);
    const bool threeWay = transferMode == LINETRANSFERMODE_CONFERENCE;
    const auto check = [this, consultCall](SipCall& c) {
        const SipCall* k = find(consultCall);
        if (!k || k->device != c.device || k->id == c.id)
            return LONG(LINEERR_INVALCONSULTCALLHANDLE);
        if (c.isConference || k->isConference || c.conference || k->conference)
            return LONG(LINEERR_INVALCALLSTATE);
        if (!c.call || !k->call || !connectedOrHeld(c.state) || !connectedOrHeld(k->state))
            return LONG(LINEERR_INVALCALLSTATE);
        return LONG(0);
    };
    SipCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (const LONG error = check(*c))
        return error;
    if (threeWay) {
        if (conferenceCall != 0 && (conferenceCall == call || conferenceCall == consultCall || find(conferenceCall)))
            return LONG(LINEERR_INVALCONFCALLHANDLE);
        if (conferenceCall != 0)
            addConference(conferenceCall, c->device);
        const int device = c->device;
        const LONG result = submit(requestId, call, check, [this, consultCall, conferenceCall, device](SipCall& c) {
            joinThreeWay(c.id, consultCall, conferenceCall, device);
        });
        if (result != 0 && conferenceCall != 0)
            m_calls.erase(conferenceCall);
        return result;
    }
    return submit(
        requestId, call, check,
        [this, consultCall](SipCall& c) {
            SipCall* k = find(consultCall);
            if (!k)
                return;
            const CallId id = c.id;
            c.transferPartner = 0;
            k->transferPartner = 0;
            // Both far ends now talk to each other; our two calls end as they hang up.
            auto held = std::exchange(c.call, nullptr);
            auto consult = std::exchange(k->call, nullptr);
            m_leaving.push_back(held);
            m_leaving.push_back(consult);
            if (referWithReplaces(held, consult) != 0) {
                held->terminate();
                consult->terminate();
            }
            setState(id, LINECALLSTATE_IDLE);
            setState(consultCall, LINECALLSTATE_IDLE);
        });
}

// The stack's own Refer-To names the consultation target by its To header, which it
// writes without a port, so a line not on the default port could not be reached. The
// Refer-To is built here from the address dialled, with Replaces from the dialog's tags
// as the answer carried them; a call whose tags are unknown falls back to the stack.
linphone::Status SipProvider::referWithReplaces(const std::shared_ptr<linphone::Call>& held,
                                                const std::shared_ptr<linphone::Call>& consult)
{
    auto remote = consult->getRemoteParams();
    auto log = consult->getCallLog();
    const QString fromTag = remote ? headerTag(QString::fromStdString(remote->getCustomHeader("From"))) : QString();
    const QString toTag = remote ? headerTag(QString::fromStdString(remote->getCustomHeader("To"))) : QString();
    const QString callId = log ? QString::fromStdString(log->getCallId()) : QString();
    const bool tokenId = !callId.isEmpty() && callId.size() <= 256 &&
                         std::all_of(callId.begin(), callId.end(), [](QChar c) {
                             return c.unicode() > 0x20 && c.unicode() < 0x7f && c != QLatin1Char(';') &&
                                    c != QLatin1Char('?') && c != QLatin1Char('>');
                         });
    auto target = consult->getRemoteAddress() ? consult->getRemoteAddress()->clone() : nullptr;
    if (consult->getDir() != linphone::Call::Dir::Outgoing || fromTag.isEmpty() || toTag.isEmpty() || !tokenId ||
        !target)
        return held->transferToAnother(consult);
    target->setDisplayName("");
    target->setHeader("Replaces", QStringLiteral("%1;to-tag=%2;from-tag=%3").arg(callId, toTag, fromTag).toStdString());
    return held->transferTo(target);
}

// ---------------------------------------------------------------------------------------
// Digits (RFC 4733 telephone events, or SIP INFO for media without them)
// ---------------------------------------------------------------------------------------

LONG SipProvider::generateDigits(CallId call, DWORD token, DWORD digitMode, const QByteArray& digits, DWORD duration)
{
    SipCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (digitMode != LINEDIGITMODE_DTMF)
        return LONG(LINEERR_INVALDIGITMODE);
    if (c->state != LINECALLSTATE_CONNECTED || !c->call)
        return LONG(LINEERR_INVALCALLSTATE);
    stopGeneration(*c, LINEGENERATETERM_CANCEL);
    if (digits.isEmpty())
        return 0;
    const int perDigit = qBound(kDigitMs, int(duration) + 150, 2000);
    if (m_accounts[c->device].dtmf == SipAccount::Dtmf::Auto && !SipDigits::telephoneEvents(c->call)) {
        // The far end agreed on no telephone events: it hears the digits as SIP INFO.
        c->genToken = token;
        sendInfoDigits(call, digits, perDigit, duration ? int(qBound<DWORD>(50, duration, 1000)) : 100);
        return 0;
    }
    if (c->call->sendDtmfs(digits.toStdString()) != 0)
        return LONG(LINEERR_OPERATIONFAILED);
    c->genToken = token;
    startGenTimer(*c, perDigit * int(digits.size()), [this](SipCall& c) { stopGeneration(c, LINEGENERATETERM_DONE); });
    return 0;
}

void SipProvider::sendInfoDigits(CallId id, QByteArray digits, int perDigitMs, int durationMs)
{
    SipCall* c = find(id);
    if (!c || !c->genToken)
        return;
    if (digits.isEmpty() || !c->call) {
        stopGeneration(*c, LINEGENERATETERM_DONE);
        return;
    }
    // A character that is no digit is let by as a pause.
    SipDigits::sendInfo(c->call, digits.front(), durationMs);
    digits.remove(0, 1);
    startGenTimer(*c, perDigitMs, [this, digits, perDigitMs, durationMs](SipCall& c) {
        sendInfoDigits(c.id, digits, perDigitMs, durationMs);
    });
}

LONG SipProvider::generateTone(CallId call, DWORD token, DWORD toneMode, DWORD duration,
                               const QList<LINEGENERATETONE>& tones)
{
    SipCall* c = find(call);
    if (!c)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (toneMode == LINETONEMODE_NONE) {
        stopGeneration(*c, LINEGENERATETERM_CANCEL);
        return 0;
    }
    SipTone tone;
    if (!SipTone::forMode(toneMode, tones, &tone))
        return LONG(toneMode == LINETONEMODE_CUSTOM ? LINEERR_INVALTONE : LINEERR_INVALTONEMODE);
    if (c->state != LINECALLSTATE_CONNECTED || !c->call)
        return LONG(LINEERR_INVALCALLSTATE);
    stopGeneration(*c, LINEGENERATETERM_CANCEL);
    const int ms = duration ? int(qMin<DWORD>(duration, 600000)) : SipTone::defaultMs(toneMode);
    const int fileMs = qMin(ms, SipTone::kMaxFileMs);
    const QString path = m_endpoints[size_t(c->device)]->writeMediaFile(QStringLiteral("tone-%1.wav").arg(c->id),
                                                                        tone.wav(fileMs));
    auto player = c->call->getPlayer();
    if (path.isEmpty() || !player || player->open(path.toStdString()) != 0 || player->start() != 0) {
        if (player)
            player->close();
        return LONG(LINEERR_OPERATIONFAILED);
    }
    c->genToken = token;
    c->genTone = true;
    c->toneLeftMs = ms - fileMs;
    startGenTimer(*c, fileMs, [this, fileMs](SipCall& c) { playToneAgain(c, fileMs); });
    return 0;
}

void SipProvider::playToneAgain(SipCall& c, int fileMs)
{
    auto player = c.call ? c.call->getPlayer() : nullptr;
    if (c.toneLeftMs <= 0 || !player) {
        stopGeneration(c, LINEGENERATETERM_DONE);
        return;
    }
    const int next = qMin(fileMs, c.toneLeftMs);
    c.toneLeftMs -= next;
    player->seek(0);
    player->start();
    startGenTimer(c, next, [this, fileMs](SipCall& c) { playToneAgain(c, fileMs); });
}

void SipProvider::startGenTimer(SipCall& c, int ms, std::function<void(SipCall&)> due)
{
    if (c.genTimer) {
        c.genTimer->stop();
        c.genTimer->deleteLater();
    }
    c.genTimer = new QTimer(this);
    c.genTimer->setSingleShot(true);
    const CallId id = c.id;
    QObject::connect(c.genTimer.data(), &QTimer::timeout, this, [this, id, due = std::move(due)] {
        if (SipCall* again = find(id); again && again->genToken)
            due(*again);
    });
    c.genTimer->start(ms);
}

void SipProvider::stopGeneration(SipCall& c, DWORD termination)
{
    if (c.genToken == 0)
        return;
    const DWORD token = std::exchange(c.genToken, 0);
    if (c.genTimer) {
        // The timer may be the one calling: it goes on the event loop, not here.
        c.genTimer->stop();
        c.genTimer->deleteLater();
        c.genTimer = nullptr;
    }
    if (std::exchange(c.genTone, false)) {
        c.toneLeftMs = 0;
        if (c.call && !sipCallGone(c.call))
            if (auto player = c.call->getPlayer())
                player->close();
    } else if (termination == LINEGENERATETERM_CANCEL && c.call) {
        c.call->cancelDtmfs();
    }
    sink().generateFinished(token, termination);
}

void SipProvider::dtmfReceived(SipEndpoint&, const std::shared_ptr<linphone::Call>& call, int dtmf)
{
    SipCall* c = findSip(call);
    if (!c || ended(c->state))
        return;
    const char digit = char(dtmf);
    if (!QByteArray("0123456789*#ABCD").contains(digit))
        return; // an event the network made up: not a digit
    sink().digitReceived(c->id, digit, LINEDIGITMODE_DTMF);
}

} // namespace Telephony
