// The line functions of the API: argument checks that need no state, then the service.
#include "../TapiApi.h"

#include "CallParamsReader.h"
#include "TelephonyService.h"

using Telephony::TelephonyService;

namespace {

constexpr LONG kLineUninitialized = LONG(LINEERR_UNINITIALIZED);

TelephonyService* service()
{
    return TelephonyService::instance();
}

// A synchronous function fails here when a fault was injected for it. The reads of the
// status structures reach the service without moving its change stamp.
#define LINKORA_SERVICE_THROUGH(reach, function)                                                                      \
    TelephonyService* s = reach();                                                                                    \
    if (!s)                                                                                                           \
        return kLineUninitialized;                                                                                        \
    if (const LONG injected = s->injectedFailure(function))                                                           \
        return injected
#define LINKORA_SERVICE_OR_FAIL(function) LINKORA_SERVICE_THROUGH(service, function)
#define LINKORA_SERVICE_FOR_READING_OR_FAIL(function) LINKORA_SERVICE_THROUGH(TelephonyService::instanceForReading, function)

LONG initializeLine(HLINEAPP* app, LINECALLBACK callback, const char* name, DWORD* numDevs)
{
    bool ok = true;
    const QByteArray appName = Telephony::readText(name, &ok);
    if (!ok || appName.size() > 256)
        return LONG(LINEERR_INVALAPPNAME);
    TelephonyService* s = TelephonyService::start();
    if (const LONG injected = s->injectedFailure("lineInitialize"))
        return injected;
    return s->initialize(false, app, callback, appName, numDevs);
}

} // namespace

LONG lineInitialize(HLINEAPP* lphLineApp, void*, LINECALLBACK lpfnCallback, const char* lpszAppName, DWORD* lpdwNumDevs)
{
    return initializeLine(lphLineApp, lpfnCallback, lpszAppName, lpdwNumDevs);
}

LONG lineInitializeExA(HLINEAPP* lphLineApp, void*, LINECALLBACK lpfnCallback, const char* lpszFriendlyAppName,
                       DWORD* lpdwNumDevs, DWORD* lpdwAPIVersion, LINEINITIALIZEEXPARAMS* lpParams)
{
    if (!lpdwAPIVersion || !lphLineApp || !lpdwNumDevs)
        return LONG(LINEERR_INVALPOINTER);
    if (const LONG error = Telephony::readInitParams(lpParams))
        return error;
    if (*lpdwAPIVersion < TAPI_VERSION1_0)
        return LONG(LINEERR_INCOMPATIBLEAPIVERSION);
    if (TelephonyService* s = service())
        if (const LONG injected = s->injectedFailure("lineInitializeExA"))
            return injected;
    const LONG result = initializeLine(lphLineApp, lpfnCallback, lpszFriendlyAppName, lpdwNumDevs);
    if (result == 0) {
        *lpdwAPIVersion = TAPI_CURRENT_VERSION;
        lpParams->dwNeededSize = lpParams->dwUsedSize = sizeof(LINEINITIALIZEEXPARAMS);
    }
    return result;
}

LONG lineShutdown(HLINEAPP hLineApp)
{
    LINKORA_SERVICE_OR_FAIL("lineShutdown");
    return s->shutdown(false, hLineApp);
}

LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                             DWORD* lpdwAPIVersion, LINEEXTENSIONID* lpExtensionID)
{
    LINKORA_SERVICE_OR_FAIL("lineNegotiateAPIVersion");
    return s->negotiateApiVersion(false, hLineApp, dwDeviceID, dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion,
                                  lpExtensionID);
}

LONG lineNegotiateExtVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtLowVersion,
                             DWORD dwExtHighVersion, DWORD* lpdwExtVersion)
{
    LINKORA_SERVICE_OR_FAIL("lineNegotiateExtVersion");
    return s->negotiateExtVersion(false, hLineApp, dwDeviceID, dwAPIVersion, dwExtLowVersion, dwExtHighVersion,
                                  lpdwExtVersion);
}

LONG lineGetDevCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD, LINEDEVCAPS* lpLineDevCaps)
{
    LINKORA_SERVICE_OR_FAIL("lineGetDevCaps");
    return s->getDevCaps(hLineApp, dwDeviceID, dwAPIVersion, lpLineDevCaps);
}

LONG lineGetAddressCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAddressID, DWORD dwAPIVersion, DWORD,
                        LINEADDRESSCAPS* lpAddressCaps)
{
    LINKORA_SERVICE_OR_FAIL("lineGetAddressCaps");
    return s->getAddressCaps(hLineApp, dwDeviceID, dwAddressID, dwAPIVersion, lpAddressCaps);
}

LONG lineConfigDialog(DWORD dwDeviceID, void* hwndOwner, const char* lpszDeviceClass)
{
    LINKORA_SERVICE_OR_FAIL("lineConfigDialog");
    bool ok = true;
    const QByteArray deviceClass = Telephony::readText(lpszDeviceClass, &ok);
    if (!ok)
        return LONG(LINEERR_INVALDEVICECLASS);
    return s->configDialog(dwDeviceID, hwndOwner, deviceClass);
}

LONG lineTranslateDialog(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, void* hwndOwner,
                         const char* lpszAddressIn)
{
    LINKORA_SERVICE_OR_FAIL("lineTranslateDialog");
    bool ok = true;
    const QByteArray address = Telephony::readText(lpszAddressIn, &ok);
    if (!ok)
        return LONG(LINEERR_INVALADDRESS);
    return s->translateDialog(hLineApp, dwDeviceID, dwAPIVersion, hwndOwner, address);
}

LONG lineTranslateAddress(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, const char* lpszAddressIn, DWORD,
                          DWORD dwTranslateOptions, LINETRANSLATEOUTPUT* lpTranslateOutput)
{
    LINKORA_SERVICE_OR_FAIL("lineTranslateAddress");
    bool ok = true;
    const QByteArray address = Telephony::readText(lpszAddressIn, &ok);
    if (!ok || !lpszAddressIn)
        return LONG(LINEERR_INVALADDRESS);
    return s->translateAddress(hLineApp, dwDeviceID, dwAPIVersion, address, dwTranslateOptions, lpTranslateOutput);
}

LONG lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE* lphLine, DWORD dwAPIVersion, DWORD dwExtVersion,
              DWORD dwCallbackInstance, DWORD dwPrivileges, DWORD dwMediaModes, const LINECALLPARAMS* lpCallParams)
{
    LINKORA_SERVICE_OR_FAIL("lineOpen");
    if (dwDeviceID == LINEMAPPER)
        return LONG(LINEERR_OPERATIONUNAVAIL); // FIXME: pick a device by media mode
    Telephony::CallParams unused;
    if (const LONG error = Telephony::readCallParams(lpCallParams, &unused))
        return error;
    return s->open(hLineApp, dwDeviceID, lphLine, dwAPIVersion, dwExtVersion, dwCallbackInstance, dwPrivileges,
                   dwMediaModes);
}

LONG lineClose(HLINE hLine)
{
    LINKORA_SERVICE_OR_FAIL("lineClose");
    return s->close(hLine);
}

LONG lineSetStatusMessages(HLINE hLine, DWORD dwLineStates, DWORD dwAddressStates)
{
    LINKORA_SERVICE_OR_FAIL("lineSetStatusMessages");
    return s->setStatusMessages(hLine, dwLineStates, dwAddressStates);
}

LONG lineGetLineDevStatus(HLINE hLine, LINEDEVSTATUS* lpLineDevStatus)
{
    LINKORA_SERVICE_FOR_READING_OR_FAIL("lineGetLineDevStatus");
    return s->getLineDevStatus(hLine, lpLineDevStatus);
}

LONG lineGetAddressStatus(HLINE hLine, DWORD dwAddressID, LINEADDRESSSTATUS* lpAddressStatus)
{
    LINKORA_SERVICE_FOR_READING_OR_FAIL("lineGetAddressStatus");
    return s->getAddressStatus(hLine, dwAddressID, lpAddressStatus);
}

LONG lineGetNewCalls(HLINE hLine, DWORD dwAddressID, DWORD dwSelect, LINECALLLIST* lpCallList)
{
    LINKORA_SERVICE_OR_FAIL("lineGetNewCalls");
    return s->getNewCalls(hLine, dwAddressID, dwSelect, lpCallList);
}

LONG lineGetID(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, VARSTRING* lpDeviceID,
               const char* lpszDeviceClass)
{
    LINKORA_SERVICE_OR_FAIL("lineGetID");
    bool ok = true;
    const QByteArray deviceClass = Telephony::readText(lpszDeviceClass, &ok);
    if (!ok || deviceClass.size() > 64)
        return LONG(LINEERR_INVALDEVICECLASS);
    return s->getId(hLine, dwAddressID, hCall, dwSelect, lpDeviceID, deviceClass);
}

LONG lineSetTerminal(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, DWORD dwTerminalModes,
                     DWORD dwTerminalID, DWORD bEnable)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    return s->setTerminal(hLine, dwAddressID, hCall, dwSelect, dwTerminalModes, dwTerminalID, bEnable != 0);
}

LONG lineForward(HLINE hLine, DWORD bAllAddresses, DWORD dwAddressID, const LINEFORWARDLIST* lpForwardList,
                 DWORD dwNumRingsNoAnswer, HCALL* lphConsultCall, const LINECALLPARAMS* lpCallParams)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    Telephony::CallParams unused;
    if (const LONG error = Telephony::readCallParams(lpCallParams, &unused))
        return error;
    return s->forward(hLine, bAllAddresses != 0, dwAddressID, lpForwardList, dwNumRingsNoAnswer, lphConsultCall);
}

LONG lineMakeCall(HLINE hLine, HCALL* lphCall, const char* lpszDestAddress, DWORD dwCountryCode,
                  const LINECALLPARAMS* lpCallParams)
{
    TelephonyService* s = service();
    return s ? s->makeCall(hLine, lphCall, lpszDestAddress, dwCountryCode, lpCallParams) : kLineUninitialized;
}

namespace {

// The call operations that take a destination: read it, then run.
LONG withAddress(const char* function, HCALL hCall, const char* address, bool required,
                 const std::function<LONG(TelephonyService*, DWORD, Telephony::CallId, const QByteArray&)>& run)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    bool ok = true;
    const QByteArray text = Telephony::readText(address, &ok);
    if (!ok || (required && text.isEmpty()))
        return LONG(LINEERR_INVALADDRESS);
    return s->callRequest(function, hCall, [&](DWORD request, Telephony::CallId id) { return run(s, request, id, text); });
}

Telephony::TelephonyProvider* providerOf(TelephonyService*, Telephony::CallId);

} // namespace

LONG lineDial(HCALL hCall, const char* lpszDestAddress, DWORD dwCountryCode)
{
    return withAddress("lineDial", hCall, lpszDestAddress, true,
                       [&](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray& text) {
                           return providerOf(s, id)->dial(request, id, text, dwCountryCode);
                       });
}

LONG lineBlindTransfer(HCALL hCall, const char* lpszDestAddress, DWORD dwCountryCode)
{
    return withAddress("lineBlindTransfer", hCall, lpszDestAddress, true,
                       [&](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray& text) {
                           return providerOf(s, id)->blindTransfer(request, id, text, dwCountryCode);
                       });
}

LONG lineRedirect(HCALL hCall, const char* lpszDestAddress, DWORD dwCountryCode)
{
    return withAddress("lineRedirect", hCall, lpszDestAddress, true,
                       [&](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray& text) {
                           return providerOf(s, id)->redirect(request, id, text, dwCountryCode);
                       });
}

LONG lineAnswer(HCALL hCall, const char* lpsUserUserInfo, DWORD dwSize)
{
    const QByteArray info = lpsUserUserInfo && dwSize && dwSize <= Telephony::kMaxText
                                ? QByteArray(lpsUserUserInfo, qsizetype(dwSize)) : QByteArray();
    if (dwSize > Telephony::kMaxText)
        return LONG(LINEERR_USERUSERINFOTOOBIG);
    return withAddress("lineAnswer", hCall, nullptr, false,
                       [&](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray&) {
                           return providerOf(s, id)->answer(request, id, info);
                       });
}

LONG lineDrop(HCALL hCall, const char* lpsUserUserInfo, DWORD dwSize)
{
    if (dwSize > Telephony::kMaxText)
        return LONG(LINEERR_USERUSERINFOTOOBIG);
    const QByteArray info = lpsUserUserInfo && dwSize ? QByteArray(lpsUserUserInfo, qsizetype(dwSize)) : QByteArray();
    return withAddress("lineDrop", hCall, nullptr, false,
                       [&](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray&) {
                           return providerOf(s, id)->drop(request, id, info);
                       });
}

LONG lineHold(HCALL hCall)
{
    return withAddress("lineHold", hCall, nullptr, false,
                       [](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray&) {
                           return providerOf(s, id)->hold(request, id);
                       });
}

LONG lineUnhold(HCALL hCall)
{
    return withAddress("lineUnhold", hCall, nullptr, false,
                       [](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray&) {
                           return providerOf(s, id)->unhold(request, id);
                       });
}

LONG lineRemoveFromConference(HCALL hCall)
{
    return withAddress("lineRemoveFromConference", hCall, nullptr, false,
                       [](TelephonyService* s, DWORD request, Telephony::CallId id, const QByteArray&) {
                           return providerOf(s, id)->removeFromConference(request, id);
                       });
}

LONG linePark(HCALL hCall, DWORD dwParkMode, const char* lpszDirAddress, VARSTRING* lpNonDirAddress)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    bool ok = true;
    const QByteArray address = Telephony::readText(lpszDirAddress, &ok);
    if (!ok)
        return LONG(LINEERR_INVALADDRESS);
    return s->park(hCall, dwParkMode, address, lpNonDirAddress);
}

LONG lineUnpark(HLINE hLine, DWORD dwAddressID, HCALL* lphCall, const char* lpszDestAddress)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    bool ok = true;
    const QByteArray address = Telephony::readText(lpszDestAddress, &ok);
    if (!ok)
        return LONG(LINEERR_INVALADDRESS);
    return s->unpark(hLine, dwAddressID, lphCall, address);
}

LONG linePickup(HLINE hLine, DWORD dwAddressID, HCALL* lphCall, const char* lpszDestAddress, const char* lpszGroupID)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    bool ok = true;
    bool groupOk = true;
    const QByteArray address = Telephony::readText(lpszDestAddress, &ok);
    const QByteArray group = Telephony::readText(lpszGroupID, &groupOk);
    if (!ok)
        return LONG(LINEERR_INVALADDRESS);
    if (!groupOk)
        return LONG(LINEERR_INVALGROUPID);
    return s->pickup(hLine, dwAddressID, lphCall, address, group);
}

LONG lineSetupTransfer(HCALL hCall, HCALL* lphConsultCall, const LINECALLPARAMS* lpCallParams)
{
    TelephonyService* s = service();
    return s ? s->setupTransfer(hCall, lphConsultCall, lpCallParams) : kLineUninitialized;
}

LONG lineCompleteTransfer(HCALL hCall, HCALL hConsultCall, HCALL* lphConfCall, DWORD dwTransferMode)
{
    TelephonyService* s = service();
    return s ? s->completeTransfer(hCall, hConsultCall, lphConfCall, dwTransferMode) : kLineUninitialized;
}

LONG lineSwapHold(HCALL hActiveCall, HCALL hHeldCall)
{
    TelephonyService* s = service();
    return s ? s->swapHold(hActiveCall, hHeldCall) : kLineUninitialized;
}

LONG lineSetupConference(HCALL hCall, HLINE hLine, HCALL* lphConfCall, HCALL* lphConsultCall, DWORD dwNumParties,
                         const LINECALLPARAMS* lpCallParams)
{
    TelephonyService* s = service();
    return s ? s->setupConference(hCall, hLine, lphConfCall, lphConsultCall, dwNumParties, lpCallParams)
             : kLineUninitialized;
}

LONG linePrepareAddToConference(HCALL hConfCall, HCALL* lphConsultCall, const LINECALLPARAMS* lpCallParams)
{
    TelephonyService* s = service();
    return s ? s->prepareAddToConference(hConfCall, lphConsultCall, lpCallParams) : kLineUninitialized;
}

LONG lineAddToConference(HCALL hConfCall, HCALL hConsultCall)
{
    TelephonyService* s = service();
    return s ? s->addToConference(hConfCall, hConsultCall) : kLineUninitialized;
}

LONG lineGetCallInfo(HCALL hCall, LINECALLINFO* lpCallInfo)
{
    LINKORA_SERVICE_FOR_READING_OR_FAIL("lineGetCallInfo");
    return s->getCallInfo(hCall, lpCallInfo);
}

LONG lineGetCallStatus(HCALL hCall, LINECALLSTATUS* lpCallStatus)
{
    LINKORA_SERVICE_FOR_READING_OR_FAIL("lineGetCallStatus");
    return s->getCallStatus(hCall, lpCallStatus);
}

LONG lineDeallocateCall(HCALL hCall)
{
    LINKORA_SERVICE_OR_FAIL("lineDeallocateCall");
    return s->deallocateCall(hCall);
}

LONG lineHandoff(HCALL hCall, const char* lpszFileName, DWORD dwMediaMode)
{
    LINKORA_SERVICE_OR_FAIL("lineHandoff");
    bool ok = true;
    const QByteArray target = Telephony::readText(lpszFileName, &ok);
    if (!ok || target.size() > 256)
        return LONG(LINEERR_INVALPARAM);
    return s->handoff(hCall, target, dwMediaMode);
}

LONG lineSetCallPrivilege(HCALL hCall, DWORD dwCallPrivilege)
{
    LINKORA_SERVICE_OR_FAIL("lineSetCallPrivilege");
    return s->setCallPrivilege(hCall, dwCallPrivilege);
}

LONG lineSetMediaMode(HCALL hCall, DWORD dwMediaModes)
{
    TelephonyService* s = service();
    return s ? s->setMediaMode(hCall, dwMediaModes) : kLineUninitialized;
}

LONG lineGenerateDigits(HCALL hCall, DWORD dwDigitMode, const char* lpszDigits, DWORD dwDuration)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    bool ok = true;
    const QByteArray digits = Telephony::readText(lpszDigits, &ok);
    if (!ok)
        return LONG(LINEERR_INVALDIGITS);
    return s->generateDigits(hCall, dwDigitMode, digits, dwDuration);
}

LONG lineGenerateTone(HCALL hCall, DWORD dwToneMode, DWORD dwDuration, DWORD dwNumTones,
                      const LINEGENERATETONE* lpTones)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    if (dwNumTones > 16 || (dwNumTones && !lpTones))
        return LONG(LINEERR_INVALTONELIST);
    QList<LINEGENERATETONE> tones;
    for (DWORD i = 0; i < dwNumTones; ++i)
        tones.append(lpTones[i]);
    return s->generateTone(hCall, dwToneMode, dwDuration, tones);
}

LONG lineGatherDigits(HCALL hCall, DWORD dwDigitModes, char* lpsDigits, DWORD dwNumDigits,
                      const char* lpszTerminationDigits, DWORD dwFirstDigitTimeout, DWORD dwInterDigitTimeout)
{
    LINKORA_SERVICE_OR_FAIL("lineGatherDigits");
    bool ok = true;
    const QByteArray terminators = Telephony::readText(lpszTerminationDigits, &ok);
    if (!ok)
        return LONG(LINEERR_INVALDIGITS);
    return s->gatherDigits(hCall, dwDigitModes, lpsDigits, dwNumDigits, terminators, dwFirstDigitTimeout,
                           dwInterDigitTimeout);
}

LONG lineMonitorDigits(HCALL hCall, DWORD dwDigitModes)
{
    LINKORA_SERVICE_OR_FAIL("lineMonitorDigits");
    return s->monitorDigits(hCall, dwDigitModes);
}

LONG lineMonitorMedia(HCALL hCall, DWORD dwMediaModes)
{
    LINKORA_SERVICE_OR_FAIL("lineMonitorMedia");
    return s->monitorMedia(hCall, dwMediaModes);
}

LONG lineMonitorTones(HCALL hCall, const LINEMONITORTONE* lpToneList, DWORD dwNumEntries)
{
    TelephonyService* s = service();
    if (!s)
        return kLineUninitialized;
    if (dwNumEntries > 32 || (dwNumEntries && !lpToneList))
        return LONG(LINEERR_INVALTONELIST);
    QList<LINEMONITORTONE> tones;
    for (DWORD i = 0; i < dwNumEntries; ++i)
        tones.append(lpToneList[i]);
    return s->monitorTones(hCall, tones);
}

namespace {

Telephony::TelephonyProvider* providerOf(TelephonyService* s, Telephony::CallId id)
{
    return s->providerOfCall(id);
}

} // namespace
