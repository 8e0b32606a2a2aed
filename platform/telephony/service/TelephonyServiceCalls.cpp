// The call side of the service core: call handles and their privileges, the call
// operations, monitoring and digit gathering, and the call events from providers.
#include "TelephonyService.h"

#include "CallParamsReader.h"
#include "StructWriter.h"

#include <QDateTime>

namespace Telephony {

namespace {


SYSTEMTIME systemTime(qint64 msecs)
{
    // The local offset costs a look at the zone file and changes only on a whole second,
    // so it is looked up once per second; the fields then come from UTC plus the offset.
    static thread_local bool cached = false;
    static thread_local qint64 cachedSecond = 0;
    static thread_local int cachedOffset = 0;
    const qint64 second = msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000;
    if (!cached || second != cachedSecond) {
        cachedOffset = QDateTime::fromMSecsSinceEpoch(second * 1000).offsetFromUtc();
        cachedSecond = second;
        cached = true;
    }
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(msecs + qint64(cachedOffset) * 1000, Qt::UTC);
    const QDate date = when.date();
    const QTime time = when.time();
    SYSTEMTIME out{};
    out.wYear = std::uint16_t(date.year());
    out.wMonth = std::uint16_t(date.month());
    out.wDayOfWeek = std::uint16_t(date.dayOfWeek() % 7);
    out.wDay = std::uint16_t(date.day());
    out.wHour = std::uint16_t(time.hour());
    out.wMinute = std::uint16_t(time.minute());
    out.wSecond = std::uint16_t(time.second());
    out.wMilliseconds = std::uint16_t(time.msec());
    return out;
}

} // namespace

// --- Bookkeeping ----------------------------------------------------------------------

TelephonyService::Call& TelephonyService::addCall(CallId id, DWORD device, DWORD address)
{
    Call c;
    c.id = id;
    c.device = device;
    c.address = address;
    c.stateEntered = QDateTime::currentMSecsSinceEpoch();
    return m_calls.emplace(id, std::move(c)).first->second;
}

HCALL TelephonyService::addHandle(Call& c, const LineOpen& open, DWORD privilege)
{
    CallHandle handle;
    handle.handle = nextHandle();
    handle.call = c.id;
    handle.line = open.handle;
    handle.privilege = privilege;
    c.handles.push_back(handle.handle);
    const HCALL value = handle.handle;
    m_handles.emplace(value, std::move(handle));
    return value;
}

// A call becomes visible on its line: the owner for an offered call, and every open
// that monitors the line, get handles and hear of them through LINE_APPNEWCALL.
void TelephonyService::offerCall(Call& c, HLINE creator)
{
    c.offered = true;
    const Device& where = m_lines[c.device];
    const DWORD media = where.provider->callInfo(c.id).fixed.dwMediaMode;
    bool owned = creator != 0;
    for (auto& [h, open] : m_opens) {
        if (open.device != c.device || h == creator)
            continue;
        DWORD privilege = 0;
        if (!owned && (open.privileges & LINECALLPRIVILEGE_OWNER) && (open.mediaModes & media)) {
            privilege = LINECALLPRIVILEGE_OWNER;
            owned = true;
        } else if (open.privileges & LINECALLPRIVILEGE_MONITOR) {
            privilege = LINECALLPRIVILEGE_MONITOR;
        }
        if (!privilege)
            continue;
        const HCALL handle = addHandle(c, open, privilege);
        if (open.apiVersion >= TAPI_VERSION2_0)
            postToLine(open, {h, LINE_APPNEWCALL, open.instance, c.address, handle, privilege, {}});
    }
}

void TelephonyService::removeHandle(HCALL value)
{
    auto it = m_handles.find(value);
    if (it == m_handles.end())
        return;
    const CallId id = it->second.call;
    m_handles.erase(it);
    if (Call* c = call(id))
        c->handles.erase(std::remove(c->handles.begin(), c->handles.end(), value), c->handles.end());
}

void TelephonyService::releaseIfDone(CallId id)
{
    Call* c = call(id);
    if (!c || !c->handles.empty() || c->pending)
        return;
    if (c->state != LINECALLSTATE_IDLE && c->state != 0)
        return;
    const Device where = m_lines[c->device];
    m_calls.erase(id);
    where.provider->releaseCall(id);
}

DWORD TelephonyService::ownersOf(const Call& c) const
{
    DWORD count = 0;
    for (HCALL h : c.handles)
        count += m_handles.at(h).privilege == LINECALLPRIVILEGE_OWNER;
    return count;
}

DWORD TelephonyService::monitorsOf(const Call& c) const
{
    DWORD count = 0;
    for (HCALL h : c.handles)
        count += m_handles.at(h).privilege == LINECALLPRIVILEGE_MONITOR;
    return count;
}

void TelephonyService::sendToCallHandles(const Call& c, DWORD message, DWORD param1, DWORD param2, DWORD param3)
{
    for (HCALL h : c.handles)
        if (LineOpen* open = lineOpen(m_handles.at(h).line))
            postToLine(*open, {h, message, open->instance, param1, param2, param3, {}});
}

void TelephonyService::sendCallInfo(const Call& c, DWORD states)
{
    sendToCallHandles(c, LINE_CALLINFO, states, 0, 0);
}

LONG TelephonyService::requireOwner(HCALL value, CallHandle** out)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (handle->privilege != LINECALLPRIVILEGE_OWNER)
        return LONG(LINEERR_NOTOWNER);
    *out = handle;
    return 0;
}

// Calls whose only owner closes its line are dropped, as nobody could end them later.
void TelephonyService::dropOrphanCalls(HLINE line)
{
    std::vector<CallId> orphans;
    for (const auto& [h, handle] : m_handles) {
        if (handle.line != line || handle.privilege != LINECALLPRIVILEGE_OWNER)
            continue;
        const Call& c = m_calls.at(handle.call);
        if (ownersOf(c) == 1 && c.state != LINECALLSTATE_IDLE && c.state != 0)
            orphans.push_back(c.id);
    }
    for (CallId id : orphans) {
        const DWORD request = startRequest(QStringLiteral("lineDrop"), 0);
        if (m_lines[m_calls.at(id).device].provider->drop(request, id, {}) != 0)
            m_requests.erase(request);
    }
}

// --- Asynchronous call operations -----------------------------------------------------

LONG TelephonyService::callRequest(const char* function, HCALL value, const std::function<LONG(DWORD, CallId)>& run)
{
    CallHandle* handle = nullptr;
    if (const LONG error = requireOwner(value, &handle))
        return error;
    const HLINE line = handle->line;
    const CallId id = handle->call;
    const DWORD request = startRequest(QString::fromLatin1(function), line);
    if (const LONG failed = injectedFailure(function)) {
        QMetaObject::invokeMethod(this, [this, request, failed] { completeRequest(request, failed); }, Qt::QueuedConnection);
        return LONG(request);
    }
    if (const LONG error = run(request, id)) {
        m_requests.erase(request);
        return error;
    }
    return LONG(request);
}

// A call an application's request creates: its record and owner handle exist at once,
// the handle reaches the application with a successful reply, and both go again when
// the request fails.
CallId TelephonyService::addOwnedCall(Request& request, const LineOpen& open, DWORD device, DWORD address,
                                      HCALL* out, bool second)
{
    const CallId id = ++m_lastCall;
    const HCALL handle = addHandle(addCall(id, device, address), open, LINECALLPRIVILEGE_OWNER);
    m_handles.at(handle).announced = true;
    (second ? request.out2 : request.out) = out;
    (second ? request.newHandle2 : request.newHandle) = handle;
    request.done = [this, id, handle, previous = std::move(request.done)](LONG result) {
        if (previous)
            previous(result);
        if (Call* made = call(id))
            made->pending = false;
        if (result != 0) {
            removeHandle(handle);
            releaseIfDone(id);
        }
    };
    return id;
}

// The provider refused the request at once: the calls made for it never existed.
void TelephonyService::dropOwnedCall(CallId id)
{
    Call* c = call(id);
    if (!c)
        return;
    for (HCALL h : std::vector<HCALL>(c->handles))
        removeHandle(h);
    m_calls.erase(id);
}

// Starts a request on a line that creates one call; run hands it to the provider.
LONG TelephonyService::lineCallRequest(const char* function, const LineOpen& open, DWORD address, HCALL* out,
                                       const std::function<LONG(DWORD request, CallId id)>& run)
{
    const DWORD request = startRequest(QString::fromLatin1(function), open.handle);
    const CallId id = addOwnedCall(m_requests.at(request), open, open.device, address, out);
    if (const LONG failed = injectedFailure(function)) {
        QMetaObject::invokeMethod(this, [this, request, failed] { completeRequest(request, failed); }, Qt::QueuedConnection);
        return LONG(request);
    }
    if (const LONG error = run(request, id)) {
        m_requests.erase(request);
        dropOwnedCall(id);
        return error;
    }
    return LONG(request);
}

LONG TelephonyService::makeCall(HLINE line, HCALL* out, const char* destination, DWORD countryCode,
                                const LINECALLPARAMS* params)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    if (!out)
        return LONG(LINEERR_INVALPOINTER);
    CallParams decoded;
    if (const LONG error = readCallParams(params, &decoded))
        return error;
    if (decoded.addressID >= DWORD(lineCaps(open->device)->addresses.size()))
        return LONG(LINEERR_INVALADDRESSID);
    // The API asks for a bounded text; what the address may hold is the provider's rule.
    bool textOk = true;
    const QByteArray number = readText(destination, &textOk);
    if (!textOk)
        return LONG(LINEERR_INVALADDRESS);
    const Device& where = m_lines[open->device];
    if (destination)
        if (const LONG error = where.provider->validateAddress(where.index, number))
            return error;

    return lineCallRequest("lineMakeCall", *open, decoded.addressID, out, [&](DWORD request, CallId id) {
        return where.provider->makeCall(request, where.index, id, number, destination != nullptr, countryCode, decoded);
    });
}

LONG TelephonyService::unpark(HLINE line, DWORD address, HCALL* out, const QByteArray& destination)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    if (address >= DWORD(lineCaps(open->device)->addresses.size()))
        return LONG(LINEERR_INVALADDRESSID);
    if (!out)
        return LONG(LINEERR_INVALPOINTER);
    if (destination.isEmpty())
        return LONG(LINEERR_INVALADDRESS);
    return lineCallRequest("lineUnpark", *open, address, out, [&](DWORD request, CallId id) {
        const Device& where = m_lines[open->device];
        return where.provider->unpark(request, where.index, address, id, destination);
    });
}

LONG TelephonyService::pickup(HLINE line, DWORD address, HCALL* out, const QByteArray& destination,
                              const QByteArray& group)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    if (address >= DWORD(lineCaps(open->device)->addresses.size()))
        return LONG(LINEERR_INVALADDRESSID);
    if (!out)
        return LONG(LINEERR_INVALPOINTER);
    return lineCallRequest("linePickup", *open, address, out, [&](DWORD request, CallId id) {
        const Device& where = m_lines[open->device];
        return where.provider->pickup(request, where.index, address, id, destination, group);
    });
}

LONG TelephonyService::park(HCALL value, DWORD mode, const QByteArray& address, VARSTRING* nonDirected)
{
    if (mode != LINEPARKMODE_DIRECTED && mode != LINEPARKMODE_NONDIRECTED)
        return LONG(LINEERR_INVALPARKMODE);
    if (mode == LINEPARKMODE_DIRECTED && address.isEmpty())
        return LONG(LINEERR_INVALADDRESS);
    if (mode == LINEPARKMODE_NONDIRECTED) {
        if (!nonDirected)
            return LONG(LINEERR_INVALPOINTER);
        if (nonDirected->dwTotalSize < sizeof(VARSTRING))
            return LONG(LINEERR_STRUCTURETOOSMALL);
    }
    auto parked = std::make_shared<QByteArray>();
    return callRequest("linePark", value, [&, parked](DWORD request, CallId id) {
        if (mode == LINEPARKMODE_NONDIRECTED) {
            m_requests.at(request).done = [parked, nonDirected](LONG result) {
                if (result != 0)
                    return;
                StructBuilder<VARSTRING> builder;
                builder.fields().dwStringFormat = STRINGFORMAT_ASCII;
                builder.addText(&VARSTRING::dwStringSize, &VARSTRING::dwStringOffset, *parked);
                builder.write(nonDirected);
            };
        }
        return m_lines[m_calls.at(id).device].provider->park(request, id, mode, address, parked.get());
    });
}

LONG TelephonyService::setupTransfer(HCALL value, HCALL* consultOut, const LINECALLPARAMS* params)
{
    CallParams decoded;
    if (const LONG error = readCallParams(params, &decoded))
        return error;
    if (!consultOut)
        return LONG(LINEERR_INVALPOINTER);
    return callRequest("lineSetupTransfer", value, [&](DWORD request, CallId id) {
        const Call& primary = m_calls.at(id);
        Request& pending = m_requests.at(request);
        const CallId consult =
            addOwnedCall(pending, *lineOpen(pending.line), primary.device, primary.address, consultOut);
        const LONG error = m_lines[primary.device].provider->setupTransfer(request, id, consult, decoded);
        if (error)
            dropOwnedCall(consult);
        return error;
    });
}

LONG TelephonyService::completeTransfer(HCALL value, HCALL consultValue, HCALL* conferenceOut, DWORD mode)
{
    if (mode != LINETRANSFERMODE_TRANSFER && mode != LINETRANSFERMODE_CONFERENCE)
        return LONG(LINEERR_INVALTRANSFERMODE);
    CallHandle* consult = callHandle(consultValue);
    if (!consult)
        return LONG(LINEERR_INVALCONSULTCALLHANDLE);
    if (mode == LINETRANSFERMODE_CONFERENCE && !conferenceOut)
        return LONG(LINEERR_INVALPOINTER);
    const CallId consultId = consult->call;
    return callRequest("lineCompleteTransfer", value, [&](DWORD request, CallId id) {
        const Call& primary = m_calls.at(id);
        CallId conference = 0;
        if (mode == LINETRANSFERMODE_CONFERENCE) {
            Request& pending = m_requests.at(request);
            conference = addOwnedCall(pending, *lineOpen(pending.line), primary.device, primary.address, conferenceOut);
        }
        const LONG error = m_lines[primary.device].provider->completeTransfer(request, id, consultId, conference, mode);
        if (error)
            dropOwnedCall(conference);
        return error;
    });
}

LONG TelephonyService::swapHold(HCALL active, HCALL held)
{
    CallHandle* other = nullptr;
    if (const LONG error = requireOwner(held, &other))
        return error;
    const CallId heldId = other->call;
    return callRequest("lineSwapHold", active, [&](DWORD request, CallId id) {
        return m_lines[m_calls.at(id).device].provider->swapHold(request, id, heldId);
    });
}

LONG TelephonyService::setupConference(HCALL value, HLINE line, HCALL* conferenceOut, HCALL* consultOut,
                                       DWORD parties, const LINECALLPARAMS* params)
{
    CallParams decoded;
    if (const LONG error = readCallParams(params, &decoded))
        return error;
    if (!conferenceOut || !consultOut)
        return LONG(LINEERR_INVALPOINTER);
    if (parties < 2)
        return LONG(LINEERR_INVALPARAM);
    CallId existing = 0;
    LineOpen* open = nullptr;
    if (value) {
        CallHandle* handle = nullptr;
        if (const LONG error = requireOwner(value, &handle))
            return error;
        existing = handle->call;
        open = lineOpen(handle->line);
    } else {
        open = lineOpen(line);
        if (!open)
            return LONG(LINEERR_INVALLINEHANDLE);
    }
    const DWORD device = open->device;
    const DWORD address = existing ? m_calls.at(existing).address : decoded.addressID;
    const DWORD request = startRequest(QStringLiteral("lineSetupConference"), open->handle);
    Request& pending = m_requests.at(request);
    const CallId conference = addOwnedCall(pending, *open, device, address, conferenceOut);
    const CallId consult = addOwnedCall(pending, *open, device, address, consultOut, true);
    const Device& where = m_lines[device];
    if (const LONG error = where.provider->setupConference(request, where.index, existing, conference, consult,
                                                           parties, decoded)) {
        m_requests.erase(request);
        dropOwnedCall(conference);
        dropOwnedCall(consult);
        return error;
    }
    return LONG(request);
}

LONG TelephonyService::prepareAddToConference(HCALL conferenceValue, HCALL* consultOut, const LINECALLPARAMS* params)
{
    CallParams decoded;
    if (const LONG error = readCallParams(params, &decoded))
        return error;
    if (!consultOut)
        return LONG(LINEERR_INVALPOINTER);
    return callRequest("linePrepareAddToConference", conferenceValue, [&](DWORD request, CallId id) {
        const Call& conference = m_calls.at(id);
        Request& pending = m_requests.at(request);
        const CallId consult =
            addOwnedCall(pending, *lineOpen(pending.line), conference.device, conference.address, consultOut);
        const LONG error = m_lines[conference.device].provider->prepareAddToConference(request, id, consult, decoded);
        if (error)
            dropOwnedCall(consult);
        return error;
    });
}

LONG TelephonyService::addToConference(HCALL conferenceValue, HCALL consultValue)
{
    CallHandle* consult = callHandle(consultValue);
    if (!consult)
        return LONG(LINEERR_INVALCONSULTCALLHANDLE);
    const CallId consultId = consult->call;
    return callRequest("lineAddToConference", conferenceValue, [&](DWORD request, CallId id) {
        return m_lines[m_calls.at(id).device].provider->addToConference(request, id, consultId);
    });
}

// --- Synchronous call functions ---------------------------------------------------------

LONG TelephonyService::getCallInfo(HCALL value, LINECALLINFO* out)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (m_faults.takeTooSmall(QStringLiteral("lineGetCallInfo")))
        return LONG(LINEERR_STRUCTURETOOSMALL);
    const Call& c = m_calls.at(handle->call);
    const LineOpen& open = *lineOpen(handle->line);
    const CallInfoData data = m_lines[c.device].provider->callInfo(c.id);
    StructBuilder<LINECALLINFO> builder(callInfoSize(open.apiVersion));
    LINECALLINFO& fields = builder.fields();
    fields = data.fixed;
    fields.hLine = handle->line;
    fields.dwLineDeviceID = c.device;
    fields.dwAddressID = c.address;
    fields.dwMonitorDigitModes = handle->monitorDigitModes;
    fields.dwMonitorMediaModes = handle->monitorMediaModes;
    fields.dwNumOwners = ownersOf(c);
    fields.dwNumMonitors = monitorsOf(c);
    if (!fields.dwCallStates)
        fields.dwCallStates = lineCaps(c.device)->addresses.value(int(c.address)).fixed.dwCallStates;
    const struct {
        const PartyId& party;
        DWORD LINECALLINFO::*flags;
        DWORD LINECALLINFO::*size;
        DWORD LINECALLINFO::*offset;
        DWORD LINECALLINFO::*nameSize;
        DWORD LINECALLINFO::*nameOffset;
    } parties[] = {
        {data.caller, &LINECALLINFO::dwCallerIDFlags, &LINECALLINFO::dwCallerIDSize, &LINECALLINFO::dwCallerIDOffset,
         &LINECALLINFO::dwCallerIDNameSize, &LINECALLINFO::dwCallerIDNameOffset},
        {data.called, &LINECALLINFO::dwCalledIDFlags, &LINECALLINFO::dwCalledIDSize, &LINECALLINFO::dwCalledIDOffset,
         &LINECALLINFO::dwCalledIDNameSize, &LINECALLINFO::dwCalledIDNameOffset},
        {data.connected, &LINECALLINFO::dwConnectedIDFlags, &LINECALLINFO::dwConnectedIDSize,
         &LINECALLINFO::dwConnectedIDOffset, &LINECALLINFO::dwConnectedIDNameSize, &LINECALLINFO::dwConnectedIDNameOffset},
        {data.redirection, &LINECALLINFO::dwRedirectionIDFlags, &LINECALLINFO::dwRedirectionIDSize,
         &LINECALLINFO::dwRedirectionIDOffset, &LINECALLINFO::dwRedirectionIDNameSize,
         &LINECALLINFO::dwRedirectionIDNameOffset},
        {data.redirecting, &LINECALLINFO::dwRedirectingIDFlags, &LINECALLINFO::dwRedirectingIDSize,
         &LINECALLINFO::dwRedirectingIDOffset, &LINECALLINFO::dwRedirectingIDNameSize,
         &LINECALLINFO::dwRedirectingIDNameOffset},
    };
    for (const auto& party : parties) {
        fields.*party.flags = party.party.flags;
        builder.addText(party.size, party.offset, party.party.number);
        builder.addText(party.nameSize, party.nameOffset, party.party.name);
    }
    QByteArray appName;
    if (const auto app = m_apps.find(open.app); app != m_apps.end())
        appName = app->second.name;
    builder.addText(&LINECALLINFO::dwAppNameSize, &LINECALLINFO::dwAppNameOffset, appName);
    builder.addText(&LINECALLINFO::dwDisplayableAddressSize, &LINECALLINFO::dwDisplayableAddressOffset,
                    data.displayableAddress);
    builder.addText(&LINECALLINFO::dwCalledPartySize, &LINECALLINFO::dwCalledPartyOffset, data.calledParty);
    builder.addText(&LINECALLINFO::dwCommentSize, &LINECALLINFO::dwCommentOffset, data.comment);
    builder.addText(&LINECALLINFO::dwDisplaySize, &LINECALLINFO::dwDisplayOffset, data.display);
    builder.add(&LINECALLINFO::dwUserUserInfoSize, &LINECALLINFO::dwUserUserInfoOffset, data.userUserInfo);
    builder.add(&LINECALLINFO::dwDevSpecificSize, &LINECALLINFO::dwDevSpecificOffset, data.devSpecific);
    return builder.write(out);
}

LONG TelephonyService::getCallStatus(HCALL value, LINECALLSTATUS* out)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (m_faults.takeTooSmall(QStringLiteral("lineGetCallStatus")))
        return LONG(LINEERR_STRUCTURETOOSMALL);
    const Call& c = m_calls.at(handle->call);
    const CallStatusData data = m_lines[c.device].provider->callStatus(c.id);
    StructBuilder<LINECALLSTATUS> builder(callStatusSize(lineOpen(handle->line)->apiVersion));
    LINECALLSTATUS& fields = builder.fields();
    fields.dwCallState = data.callState;
    fields.dwCallStateMode = data.callStateMode;
    fields.dwCallPrivilege = handle->privilege;
    // A monitor sees what happens but may not act on it.
    fields.dwCallFeatures = handle->privilege == LINECALLPRIVILEGE_OWNER ? data.callFeatures : 0;
    fields.dwCallFeatures2 = handle->privilege == LINECALLPRIVILEGE_OWNER ? data.callFeatures2 : 0;
    fields.tStateEntryTime = systemTime(data.stateEntryMsecs ? data.stateEntryMsecs : c.stateEntered);
    builder.add(&LINECALLSTATUS::dwDevSpecificSize, &LINECALLSTATUS::dwDevSpecificOffset, data.devSpecific);
    return builder.write(out);
}

LONG TelephonyService::deallocateCall(HCALL value)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    const CallId id = handle->call;
    Call& c = m_calls.at(id);
    const bool owner = handle->privilege == LINECALLPRIVILEGE_OWNER;
    if (owner && ownersOf(c) == 1 && c.state != LINECALLSTATE_IDLE && c.state != 0)
        return LONG(LINEERR_INVALCALLSTATE);
    if (handle->gather)
        handle->gather.reset();
    removeHandle(value);
    if (!c.handles.empty())
        sendCallInfo(c, owner ? LINECALLINFOSTATE_NUMOWNERDECR : LINECALLINFOSTATE_NUMMONITORS);
    releaseIfDone(id);
    return 0;
}

LONG TelephonyService::handoff(HCALL value, const QByteArray& target, DWORD mediaMode)
{
    CallHandle* handle = nullptr;
    if (const LONG error = requireOwner(value, &handle))
        return error;
    if (target.isEmpty() && (mediaMode == 0 || (mediaMode & (mediaMode - 1)) || (mediaMode & ~kKnownMediaModes)))
        return LONG(LINEERR_INVALMEDIAMODE);
    const CallId id = handle->call;
    const DWORD callerApp = lineOpen(handle->line)->app;
    Call& c = m_calls.at(id);

    // Candidates: other applications' owner opens of the same line that match.
    LineOpen* chosen = nullptr;
    bool selfMatches = false;
    for (auto& [h, open] : m_opens) {
        if (open.device != c.device || !(open.privileges & LINECALLPRIVILEGE_OWNER))
            continue;
        const QByteArray name = m_apps.at(open.app).name;
        const bool matches = target.isEmpty() ? (open.mediaModes & mediaMode) != 0
                                              : name.compare(target, Qt::CaseInsensitive) == 0;
        if (!matches)
            continue;
        if (open.app == callerApp) {
            selfMatches = true;
            continue;
        }
        chosen = &open;
        break;
    }
    if (!chosen)
        return selfMatches ? LONG(LINEERR_TARGETSELF) : LONG(LINEERR_TARGETNOTFOUND);

    for (HCALL h : c.handles) {
        CallHandle& existing = m_handles.at(h);
        if (existing.line != chosen->handle)
            continue;
        if (existing.privilege != LINECALLPRIVILEGE_OWNER) {
            existing.privilege = LINECALLPRIVILEGE_OWNER;
            sendCallInfo(c, LINECALLINFOSTATE_NUMOWNERINCR | LINECALLINFOSTATE_NUMMONITORS);
        }
        return 0;
    }
    const HCALL given = addHandle(c, *chosen, LINECALLPRIVILEGE_OWNER);
    m_handles.at(given).announced = true;
    if (chosen->apiVersion >= TAPI_VERSION2_0)
        postToLine(*chosen, {chosen->handle, LINE_APPNEWCALL, chosen->instance, c.address, given,
                             LINECALLPRIVILEGE_OWNER, {}});
    postToLine(*chosen, {given, LINE_CALLSTATE, chosen->instance, c.state, c.mode, LINECALLPRIVILEGE_OWNER, {}});
    sendCallInfo(c, LINECALLINFOSTATE_NUMOWNERINCR);
    return 0;
}

LONG TelephonyService::setCallPrivilege(HCALL value, DWORD privilege)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (privilege != LINECALLPRIVILEGE_MONITOR && privilege != LINECALLPRIVILEGE_OWNER)
        return LONG(LINEERR_INVALCALLPRIVILEGE);
    Call& c = m_calls.at(handle->call);
    if (privilege == handle->privilege)
        return 0;
    if (privilege == LINECALLPRIVILEGE_OWNER && c.state == LINECALLSTATE_IDLE)
        return LONG(LINEERR_INVALCALLSTATE);
    handle->privilege = privilege;
    sendCallInfo(c, (privilege == LINECALLPRIVILEGE_OWNER ? LINECALLINFOSTATE_NUMOWNERINCR
                                                          : LINECALLINFOSTATE_NUMOWNERDECR)
                        | LINECALLINFOSTATE_NUMMONITORS);
    return 0;
}

LONG TelephonyService::setMediaMode(HCALL value, DWORD modes)
{
    CallHandle* handle = callHandle(value);
    if (!handle)
        return LONG(LINEERR_INVALCALLHANDLE);
    if (modes == 0 || (modes & ~kKnownMediaModes))
        return LONG(LINEERR_INVALMEDIAMODE);
    if (const LONG failed = injectedFailure("lineSetMediaMode"))
        return failed;
    return m_lines[m_calls.at(handle->call).device].provider->setMediaMode(handle->call, modes);
}

LONG TelephonyService::getNewCalls(HLINE line, DWORD address, DWORD select, LINECALLLIST* out)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    if (select != LINECALLSELECT_LINE && select != LINECALLSELECT_ADDRESS)
        return LONG(LINEERR_INVALCALLSELECT);
    if (select == LINECALLSELECT_ADDRESS && address >= DWORD(lineCaps(open->device)->addresses.size()))
        return LONG(LINEERR_INVALADDRESSID);
    if (!out)
        return LONG(LINEERR_INVALPOINTER);
    std::vector<CallId> fresh;
    for (const auto& [id, c] : m_calls) {
        if (c.device != open->device || c.pending || (select == LINECALLSELECT_ADDRESS && c.address != address))
            continue;
        bool known = false;
        for (HCALL h : c.handles)
            known = known || m_handles.at(h).line == line;
        if (!known)
            fresh.push_back(id);
    }
    // Handles are only made once the list fits, so a retry with a larger buffer still
    // sees every call as new.
    StructBuilder<LINECALLLIST> probe;
    probe.add(&LINECALLLIST::dwCallsSize, &LINECALLLIST::dwCallsOffset, QByteArray(qsizetype(fresh.size() * 4), '\0'));
    if (out->dwTotalSize < probe.neededSize()) {
        StructBuilder<LINECALLLIST> tooSmall;
        if (const LONG error = tooSmall.write(out))
            return error;
        out->dwNeededSize = probe.neededSize();
        return 0;
    }
    QByteArray handles;
    for (CallId id : fresh) {
        HCALL given = addHandle(m_calls.at(id), *open, LINECALLPRIVILEGE_MONITOR);
        m_handles.at(given).announced = true;
        handles.append(reinterpret_cast<const char*>(&given), sizeof given);
    }
    StructBuilder<LINECALLLIST> builder;
    builder.fields().dwCallsNumEntries = DWORD(fresh.size());
    builder.add(&LINECALLLIST::dwCallsSize, &LINECALLLIST::dwCallsOffset, handles);
    return builder.write(out);
}

// --- Call events from providers ------------------------------------------------------------

CallId TelephonyService::newCall(DWORD device, DWORD address)
{
    const CallId id = ++m_lastCall;
    addCall(id, device, address).pending = false;
    return id;
}

void TelephonyService::callStateChanged(CallId id, DWORD state, DWORD mode)
{
    Call* c = call(id);
    if (!c)
        return;
    // The first state makes the call visible on its line: a call the provider created
    // finds its owner, and every call its monitors.
    if (!c->offered)
        offerCall(*c, c->handles.empty() ? 0 : m_handles.at(c->handles.front()).line);
    c->state = state;
    c->mode = mode;
    c->stateEntered = QDateTime::currentMSecsSinceEpoch();
    const std::vector<HCALL> handles = c->handles;
    for (HCALL h : handles) {
        CallHandle& handle = m_handles.at(h);
        LineOpen* open = lineOpen(handle.line);
        if (!open)
            continue;
        const DWORD privilege = handle.announced ? 0 : handle.privilege;
        handle.announced = true;
        postToLine(*open, {h, LINE_CALLSTATE, open->instance, state, mode, privilege, {}});
        if (state == LINECALLSTATE_IDLE && handle.gather)
            endGather(handle, LINEGATHERTERM_CANCEL);
    }
    if (state == LINECALLSTATE_IDLE)
        releaseIfDone(id);
}

void TelephonyService::callInfoChanged(CallId id, DWORD states)
{
    if (const Call* c = call(id); c && !c->pending)
        sendCallInfo(*c, states);
}

} // namespace Telephony
