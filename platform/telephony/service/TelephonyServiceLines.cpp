// The line side of the service core: opening and closing lines, status messages, line
// and address status, device identifiers, terminals and forwarding.
#include "TelephonyService.h"

#include "../TapiConstants.h"

#include "CallParamsReader.h"
#include "StructWriter.h"

namespace Telephony {

LONG TelephonyService::open(DWORD appHandle, DWORD device, HLINE* line, DWORD apiVersion, DWORD extVersion,
                            DWORD instance, DWORD privileges, DWORD mediaModes)
{
    if (const LONG error = checkDevice(false, appHandle, device))
        return error;
    if (!line)
        return LONG(LINEERR_INVALPOINTER);
    if (const LONG error = checkVersion(device, apiVersion))
        return error;
    const LineDeviceCaps& caps = *lineCaps(device);
    if (extVersion && (caps.highExtVersion == 0 || extVersion < caps.lowExtVersion || extVersion > caps.highExtVersion))
        return LONG(LINEERR_INCOMPATIBLEEXTVERSION);
    constexpr DWORD kAllPrivileges = LINECALLPRIVILEGE_NONE | LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER;
    if (privileges == 0 || (privileges & ~kAllPrivileges)
        || ((privileges & LINECALLPRIVILEGE_NONE) && privileges != LINECALLPRIVILEGE_NONE))
        return LONG(LINEERR_INVALPRIVSELECT);
    if (privileges & LINECALLPRIVILEGE_OWNER) {
        if (mediaModes == 0 || (mediaModes & ~caps.fixed.dwMediaModes))
            return LONG(LINEERR_INVALMEDIAMODE);
    }
    const Device& where = m_lines[device];
    if (const LONG error = where.provider->open(where.index, privileges, mediaModes))
        return error;

    LineOpen open;
    open.handle = nextHandle();
    open.app = appHandle;
    open.device = device;
    open.instance = instance;
    open.privileges = privileges;
    open.mediaModes = (privileges & LINECALLPRIVILEGE_OWNER) ? mediaModes : 0;
    open.apiVersion = apiVersion;
    m_opens.emplace(open.handle, open);
    *line = open.handle;
    sendLineState(device, LINEDEVSTATE_OPEN, 0, 0, open.handle);
    return 0;
}

LONG TelephonyService::close(HLINE line)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    closeLine(*open, false);
    return 0;
}

void TelephonyService::closeLine(LineOpen open, bool notifyApp)
{
    dropOrphanCalls(open.handle);
    std::vector<HCALL> handles;
    for (const auto& [h, handle] : m_handles)
        if (handle.line == open.handle)
            handles.push_back(h);
    for (HCALL h : handles)
        removeHandle(h);
    if (notifyApp)
        postToLine(open, {open.handle, LINE_CLOSE, open.instance, 0, 0, 0, {}});
    m_opens.erase(open.handle);
    bool stillOpen = false;
    for (const auto& [h, other] : m_opens)
        stillOpen = stillOpen || other.device == open.device;
    if (!stillOpen)
        m_lines[open.device].provider->close(m_lines[open.device].index);
    sendLineState(open.device, LINEDEVSTATE_CLOSE, 0, 0);
}

LONG TelephonyService::setStatusMessages(HLINE line, DWORD lineStates, DWORD addressStates)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    const LineDeviceCaps& caps = *lineCaps(open->device);
    if (lineStates & ~caps.fixed.dwLineStates)
        return LONG(LINEERR_INVALLINESTATE);
    DWORD supportedAddressStates = 0;
    for (const AddressCaps& address : caps.addresses)
        supportedAddressStates |= address.fixed.dwAddressStates;
    if (addressStates & ~supportedAddressStates)
        return LONG(LINEERR_INVALADDRESSSTATE);
    open->lineStates = lineStates;
    open->addressStates = addressStates;
    return 0;
}

LONG TelephonyService::getLineDevStatus(HLINE line, LINEDEVSTATUS* out)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    if (m_faults.takeTooSmall(QStringLiteral("lineGetLineDevStatus")))
        return LONG(LINEERR_STRUCTURETOOSMALL);
    const Device& where = m_lines[open->device];
    const LineStatusData data = where.provider->lineStatus(where.index);
    StructBuilder<LINEDEVSTATUS> builder(devStatusSize(open->apiVersion));
    LINEDEVSTATUS& fields = builder.fields();
    fields = data.fixed;
    fields.dwNumOpens = 0;
    fields.dwOpenMediaModes = 0;
    QByteArray appInfo;
    for (const auto& [h, other] : m_opens) {
        if (other.device != open->device)
            continue;
        ++fields.dwNumOpens;
        fields.dwOpenMediaModes |= other.mediaModes;
    }
    fields.dwNumActiveCalls = fields.dwNumOnHoldCalls = fields.dwNumOnHoldPendCalls = 0;
    for (const auto& [id, c] : m_calls) {
        if (c.device != open->device || c.state == LINECALLSTATE_IDLE || c.state == 0)
            continue;
        if (c.state == LINECALLSTATE_ONHOLD)
            ++fields.dwNumOnHoldCalls;
        else if (c.state == LINECALLSTATE_ONHOLDPENDCONF || c.state == LINECALLSTATE_ONHOLDPENDTRANSFER)
            ++fields.dwNumOnHoldPendCalls;
        else
            ++fields.dwNumActiveCalls;
    }
    QByteArray terminalModes;
    for (DWORD mode : data.terminalModes)
        terminalModes.append(reinterpret_cast<const char*>(&mode), sizeof mode);
    builder.add(&LINEDEVSTATUS::dwTerminalModesSize, &LINEDEVSTATUS::dwTerminalModesOffset, terminalModes);
    builder.add(&LINEDEVSTATUS::dwDevSpecificSize, &LINEDEVSTATUS::dwDevSpecificOffset, data.devSpecific);
    return builder.write(out);
}

LONG TelephonyService::getAddressStatus(HLINE line, DWORD address, LINEADDRESSSTATUS* out)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    if (address >= DWORD(lineCaps(open->device)->addresses.size()))
        return LONG(LINEERR_INVALADDRESSID);
    if (m_faults.takeTooSmall(QStringLiteral("lineGetAddressStatus")))
        return LONG(LINEERR_STRUCTURETOOSMALL);
    const Device& where = m_lines[open->device];
    const AddressStatusData data = where.provider->addressStatus(where.index, address);
    StructBuilder<LINEADDRESSSTATUS> builder;
    LINEADDRESSSTATUS& fields = builder.fields();
    fields = data.fixed;
    fields.dwNumInUse = fields.dwNumActiveCalls = fields.dwNumOnHoldCalls = fields.dwNumOnHoldPendCalls = 0;
    for (const auto& [id, c] : m_calls) {
        if (c.device != open->device || c.address != address || c.state == LINECALLSTATE_IDLE || c.state == 0)
            continue;
        fields.dwNumInUse = 1;
        if (c.state == LINECALLSTATE_ONHOLD)
            ++fields.dwNumOnHoldCalls;
        else if (c.state == LINECALLSTATE_ONHOLDPENDCONF || c.state == LINECALLSTATE_ONHOLDPENDTRANSFER)
            ++fields.dwNumOnHoldPendCalls;
        else
            ++fields.dwNumActiveCalls;
    }
    // Forward entries, with their texts after the entry table.
    fields.dwForwardNumEntries = DWORD(data.forwards.size());
    QByteArray table;
    QByteArray texts;
    const DWORD base = DWORD(sizeof(LINEADDRESSSTATUS) + data.forwards.size() * sizeof(LINEFORWARD));
    for (const AddressStatusData::Forward& forward : data.forwards) {
        LINEFORWARD entry{};
        entry.dwForwardMode = forward.mode;
        entry.dwDestCountryCode = forward.destCountryCode;
        const QByteArray caller = terminated(forward.callerAddress);
        const QByteArray dest = terminated(forward.destAddress);
        entry.dwCallerAddressSize = DWORD(caller.size());
        entry.dwCallerAddressOffset = caller.isEmpty() ? 0 : base + DWORD(texts.size());
        texts += caller;
        entry.dwDestAddressSize = DWORD(dest.size());
        entry.dwDestAddressOffset = dest.isEmpty() ? 0 : base + DWORD(texts.size());
        texts += dest;
        table.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    }
    // The forward block goes first so the offsets computed above hold.
    builder.add(&LINEADDRESSSTATUS::dwForwardSize, &LINEADDRESSSTATUS::dwForwardOffset, table + texts);
    QByteArray terminalModes;
    for (DWORD mode : data.terminalModes)
        terminalModes.append(reinterpret_cast<const char*>(&mode), sizeof mode);
    builder.add(&LINEADDRESSSTATUS::dwTerminalModesSize, &LINEADDRESSSTATUS::dwTerminalModesOffset, terminalModes);
    builder.add(&LINEADDRESSSTATUS::dwDevSpecificSize, &LINEADDRESSSTATUS::dwDevSpecificOffset, data.devSpecific);
    return builder.write(out);
}

LONG TelephonyService::getId(HLINE line, DWORD address, HCALL callHandle, DWORD select, VARSTRING* out,
                             const QByteArray& deviceClass)
{
    DWORD device = 0;
    CallId callId = 0;
    if (select == LINECALLSELECT_CALL) {
        CallHandle* handle = callHandle ? this->callHandle(callHandle) : nullptr;
        if (!handle)
            return LONG(LINEERR_INVALCALLHANDLE);
        callId = handle->call;
        device = m_calls.at(callId).device;
    } else if (select == LINECALLSELECT_LINE || select == LINECALLSELECT_ADDRESS) {
        LineOpen* open = lineOpen(line);
        if (!open)
            return LONG(LINEERR_INVALLINEHANDLE);
        device = open->device;
        if (select == LINECALLSELECT_ADDRESS && address >= DWORD(lineCaps(device)->addresses.size()))
            return LONG(LINEERR_INVALADDRESSID);
    } else {
        return LONG(LINEERR_INVALCALLSELECT);
    }
    if (!out)
        return LONG(LINEERR_INVALPOINTER);
    if (deviceClass.isEmpty())
        return LONG(LINEERR_INVALDEVICECLASS);
    const Device& where = m_lines[device];
    StructBuilder<VARSTRING> builder;
    builder.fields().dwStringFormat = STRINGFORMAT_BINARY;
    QByteArray value;
    if (deviceClass == "comm/datamodem") {
        if (!callId)
            return LONG(LINEERR_INVALCALLSELECT);
        int fd = -1;
        if (const LONG error = where.provider->commHandle(callId, &fd))
            return error;
        const DWORD handle = DWORD(fd);
        value.append(reinterpret_cast<const char*>(&handle), sizeof handle);
        value += terminated(where.provider->lineCaps(where.index).lineName);
    } else if (deviceClass == "tapi/line") {
        value.append(reinterpret_cast<const char*>(&device), sizeof device);
    } else {
        DWORD id = 0;
        if (const LONG error = where.provider->deviceId(where.index, QString::fromUtf8(deviceClass), &id))
            return error;
        // Phones are numbered across providers: find this provider's phone.
        if (deviceClass == "tapi/phone") {
            for (DWORD i = 0; i < m_phones.size(); ++i)
                if (m_phones[i].provider == where.provider && DWORD(m_phones[i].index) == id)
                    id = i;
        }
        value.append(reinterpret_cast<const char*>(&id), sizeof id);
    }
    builder.add(&VARSTRING::dwStringSize, &VARSTRING::dwStringOffset, value);
    return builder.write(out);
}

LONG TelephonyService::setTerminal(HLINE line, DWORD address, HCALL callHandle, DWORD select, DWORD modes,
                                   DWORD terminal, bool enable)
{
    LineOpen* open = nullptr;
    CallId callId = 0;
    if (select == LINECALLSELECT_CALL) {
        CallHandle* handle = this->callHandle(callHandle);
        if (!handle)
            return LONG(LINEERR_INVALCALLHANDLE);
        callId = handle->call;
        open = lineOpen(handle->line);
    } else if (select == LINECALLSELECT_LINE || select == LINECALLSELECT_ADDRESS) {
        open = lineOpen(line);
        if (!open)
            return LONG(LINEERR_INVALLINEHANDLE);
    } else {
        return LONG(LINEERR_INVALCALLSELECT);
    }
    const LineDeviceCaps& caps = *lineCaps(open->device);
    if (terminal >= DWORD(caps.terminalCaps.size()))
        return LONG(LINEERR_INVALTERMINALID);
    if (modes == 0 || (modes & ~caps.terminalCaps.at(terminal).dwTermModes))
        return LONG(LINEERR_INVALTERMINALMODE);
    if (const LONG failed = injectedFailure("lineSetTerminal"))
        return failed;
    const DWORD request = startRequest(QStringLiteral("lineSetTerminal"), open->handle);
    const Device& where = m_lines[open->device];
    if (const LONG error = where.provider->setTerminal(request, where.index, address, callId, modes, terminal, enable)) {
        m_requests.erase(request);
        return error;
    }
    return LONG(request);
}

LONG TelephonyService::forward(HLINE line, bool allAddresses, DWORD address, const LINEFORWARDLIST* list,
                               DWORD rings, HCALL* consultCall)
{
    LineOpen* open = lineOpen(line);
    if (!open)
        return LONG(LINEERR_INVALLINEHANDLE);
    if (!allAddresses && address >= DWORD(lineCaps(open->device)->addresses.size()))
        return LONG(LINEERR_INVALADDRESSID);
    QList<AddressStatusData::Forward> forwards;
    if (const LONG error = readForwardList(list, &forwards))
        return error;
    if (consultCall)
        *consultCall = 0; // the exchange never needs a consultation call to forward
    const DWORD request = startRequest(QStringLiteral("lineForward"), line);
    const Device& where = m_lines[open->device];
    if (const LONG error = where.provider->forward(request, where.index, allAddresses, address, forwards, rings)) {
        m_requests.erase(request);
        return error;
    }
    return LONG(request);
}

} // namespace Telephony
