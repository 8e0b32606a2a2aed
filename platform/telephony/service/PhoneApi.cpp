// The phone functions of the API.
#include "../TapiApi.h"

#include "CallParamsReader.h"
#include "TelephonyService.h"

using Telephony::TelephonyService;

namespace {

constexpr LONG kPhoneUninitialized = LONG(PHONEERR_UNINITIALIZED);

#define LINKORA_PHONE_SERVICE(function)                                                                              \
    TelephonyService* s = TelephonyService::instance();                                                              \
    if (!s)                                                                                                          \
        return kPhoneUninitialized;                                                                                       \
    if (const LONG injected = s->injectedFailure(function))                                                          \
        return injected

LONG initializePhone(HPHONEAPP* app, PHONECALLBACK callback, const char* name, DWORD* numDevs)
{
    bool ok = true;
    const QByteArray appName = Telephony::readText(name, &ok);
    if (!ok || appName.size() > 256)
        return LONG(PHONEERR_INVALAPPNAME);
    TelephonyService* s = TelephonyService::start();
    if (const LONG injected = s->injectedFailure("phoneInitialize"))
        return injected;
    return s->initialize(true, app, callback, appName, numDevs);
}

} // namespace

LONG phoneInitialize(HPHONEAPP* lphPhoneApp, void*, PHONECALLBACK lpfnCallback, const char* lpszAppName,
                     DWORD* lpdwNumDevs)
{
    return initializePhone(lphPhoneApp, lpfnCallback, lpszAppName, lpdwNumDevs);
}

LONG phoneInitializeExA(HPHONEAPP* lphPhoneApp, void*, PHONECALLBACK lpfnCallback, const char* lpszFriendlyAppName,
                        DWORD* lpdwNumDevs, DWORD* lpdwAPIVersion, PHONEINITIALIZEEXPARAMS* lpParams)
{
    if (!lpdwAPIVersion || !lphPhoneApp || !lpdwNumDevs)
        return LONG(PHONEERR_INVALPOINTER);
    if (const LONG error = Telephony::readInitParams(lpParams))
        return error == LONG(LINEERR_STRUCTURETOOSMALL) ? LONG(PHONEERR_STRUCTURETOOSMALL)
             : error == LONG(LINEERR_INVALPOINTER)      ? LONG(PHONEERR_INVALPOINTER)
                                                        : LONG(PHONEERR_INVALPARAM);
    if (*lpdwAPIVersion < TAPI_VERSION1_0)
        return LONG(PHONEERR_INCOMPATIBLEAPIVERSION);
    const LONG result = initializePhone(lphPhoneApp, lpfnCallback, lpszFriendlyAppName, lpdwNumDevs);
    if (result == 0) {
        *lpdwAPIVersion = TAPI_CURRENT_VERSION;
        lpParams->dwNeededSize = lpParams->dwUsedSize = sizeof(PHONEINITIALIZEEXPARAMS);
    }
    return result;
}

LONG phoneShutdown(HPHONEAPP hPhoneApp)
{
    LINKORA_PHONE_SERVICE("phoneShutdown");
    return s->shutdown(true, hPhoneApp);
}

LONG phoneNegotiateAPIVersion(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                              DWORD* lpdwAPIVersion, PHONEEXTENSIONID* lpExtensionID)
{
    LINKORA_PHONE_SERVICE("phoneNegotiateAPIVersion");
    return s->negotiateApiVersion(true, hPhoneApp, dwDeviceID, dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion,
                                  lpExtensionID);
}

LONG phoneNegotiateExtVersion(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtLowVersion,
                              DWORD dwExtHighVersion, DWORD* lpdwExtVersion)
{
    LINKORA_PHONE_SERVICE("phoneNegotiateExtVersion");
    return s->negotiateExtVersion(true, hPhoneApp, dwDeviceID, dwAPIVersion, dwExtLowVersion, dwExtHighVersion,
                                  lpdwExtVersion);
}

LONG phoneGetDevCaps(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD, PHONECAPS* lpPhoneCaps)
{
    LINKORA_PHONE_SERVICE("phoneGetDevCaps");
    return s->phoneGetDevCaps(hPhoneApp, dwDeviceID, dwAPIVersion, lpPhoneCaps);
}

LONG phoneOpen(HPHONEAPP hPhoneApp, DWORD dwDeviceID, HPHONE* lphPhone, DWORD dwAPIVersion, DWORD dwExtVersion,
               DWORD dwCallbackInstance, DWORD dwPrivilege)
{
    LINKORA_PHONE_SERVICE("phoneOpen");
    if (dwExtVersion)
        return LONG(PHONEERR_INCOMPATIBLEEXTVERSION);
    return s->phoneOpen(hPhoneApp, dwDeviceID, lphPhone, dwAPIVersion, dwCallbackInstance, dwPrivilege);
}

LONG phoneClose(HPHONE hPhone)
{
    LINKORA_PHONE_SERVICE("phoneClose");
    return s->phoneClose(hPhone);
}

LONG phoneSetStatusMessages(HPHONE hPhone, DWORD dwPhoneStates, DWORD dwButtonModes, DWORD dwButtonStates)
{
    LINKORA_PHONE_SERVICE("phoneSetStatusMessages");
    return s->phoneSetStatusMessages(hPhone, dwPhoneStates, dwButtonModes, dwButtonStates);
}

LONG phoneGetStatus(HPHONE hPhone, PHONESTATUS* lpPhoneStatus)
{
    LINKORA_PHONE_SERVICE("phoneGetStatus");
    return s->phoneGetStatus(hPhone, lpPhoneStatus);
}

LONG phoneGetID(HPHONE hPhone, VARSTRING* lpDeviceID, const char* lpszDeviceClass)
{
    LINKORA_PHONE_SERVICE("phoneGetID");
    bool ok = true;
    const QByteArray deviceClass = Telephony::readText(lpszDeviceClass, &ok);
    if (!ok || deviceClass.size() > 64)
        return LONG(PHONEERR_INVALDEVICECLASS);
    return s->phoneGetId(hPhone, lpDeviceID, deviceClass);
}

LONG phoneGetHookSwitch(HPHONE hPhone, DWORD* lpdwHookSwitchDevs)
{
    LINKORA_PHONE_SERVICE("phoneGetHookSwitch");
    return s->phoneGetValue(hPhone, "phoneGetHookSwitch", 0, lpdwHookSwitchDevs);
}

LONG phoneSetHookSwitch(HPHONE hPhone, DWORD dwHookSwitchDevs, DWORD dwHookSwitchMode)
{
    TelephonyService* s = TelephonyService::instance();
    return s ? s->phoneRequest(hPhone, "phoneSetHookSwitch", dwHookSwitchDevs, dwHookSwitchMode) : kPhoneUninitialized;
}

LONG phoneGetVolume(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD* lpdwVolume)
{
    LINKORA_PHONE_SERVICE("phoneGetVolume");
    return s->phoneGetValue(hPhone, "phoneGetVolume", dwHookSwitchDev, lpdwVolume);
}

LONG phoneSetVolume(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwVolume)
{
    TelephonyService* s = TelephonyService::instance();
    return s ? s->phoneRequest(hPhone, "phoneSetVolume", dwHookSwitchDev, dwVolume) : kPhoneUninitialized;
}

LONG phoneGetGain(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD* lpdwGain)
{
    LINKORA_PHONE_SERVICE("phoneGetGain");
    return s->phoneGetValue(hPhone, "phoneGetGain", dwHookSwitchDev, lpdwGain);
}

LONG phoneSetGain(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwGain)
{
    TelephonyService* s = TelephonyService::instance();
    return s ? s->phoneRequest(hPhone, "phoneSetGain", dwHookSwitchDev, dwGain) : kPhoneUninitialized;
}
