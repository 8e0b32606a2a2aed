// The telephony API: TAPI's line and phone functions with their names, argument order and
// meaning. Results are 0, a negative LINEERR_/PHONEERR_ code, or for asynchronous
// functions a positive request ID whose LINE_REPLY (PHONE_REPLY) arrives later as a
// message. Messages reach the callback given at initialisation on the initialising
// thread, through its event loop, never inside the call that caused them.
#pragma once

#include "TapiConstants.h"
#include "TapiStructs.h"

#if defined(LINKORA_TELEPHONY_BUILD)
#define LINKORA_TAPI extern "C" __attribute__((visibility("default")))
#else
#define LINKORA_TAPI extern "C"
#endif

// Usage and devices.
LINKORA_TAPI LONG lineInitialize(HLINEAPP* lphLineApp, void* hInstance, LINECALLBACK lpfnCallback,
                                 const char* lpszAppName, DWORD* lpdwNumDevs);
LINKORA_TAPI LONG lineInitializeExA(HLINEAPP* lphLineApp, void* hInstance, LINECALLBACK lpfnCallback,
                                    const char* lpszFriendlyAppName, DWORD* lpdwNumDevs, DWORD* lpdwAPIVersion,
                                    LINEINITIALIZEEXPARAMS* lpLineInitializeExParams);
LINKORA_TAPI LONG lineShutdown(HLINEAPP hLineApp);
LINKORA_TAPI LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                          DWORD dwAPIHighVersion, DWORD* lpdwAPIVersion,
                                          LINEEXTENSIONID* lpExtensionID);
LINKORA_TAPI LONG lineNegotiateExtVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion,
                                          DWORD dwExtLowVersion, DWORD dwExtHighVersion, DWORD* lpdwExtVersion);
LINKORA_TAPI LONG lineGetDevCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                                 LINEDEVCAPS* lpLineDevCaps);
LINKORA_TAPI LONG lineGetAddressCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAddressID, DWORD dwAPIVersion,
                                     DWORD dwExtVersion, LINEADDRESSCAPS* lpAddressCaps);
// hwndOwner is the QWidget that owns the dialog, or null.
LINKORA_TAPI LONG lineConfigDialog(DWORD dwDeviceID, void* hwndOwner, const char* lpszDeviceClass);
LINKORA_TAPI LONG lineTranslateDialog(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, void* hwndOwner,
                                      const char* lpszAddressIn);
LINKORA_TAPI LONG lineTranslateAddress(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion,
                                       const char* lpszAddressIn, DWORD dwCard, DWORD dwTranslateOptions,
                                       LINETRANSLATEOUTPUT* lpTranslateOutput);

// Lines.
LINKORA_TAPI LONG lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE* lphLine, DWORD dwAPIVersion,
                           DWORD dwExtVersion, DWORD dwCallbackInstance, DWORD dwPrivileges, DWORD dwMediaModes,
                           const LINECALLPARAMS* lpCallParams);
LINKORA_TAPI LONG lineClose(HLINE hLine);
LINKORA_TAPI LONG lineSetStatusMessages(HLINE hLine, DWORD dwLineStates, DWORD dwAddressStates);
LINKORA_TAPI LONG lineGetLineDevStatus(HLINE hLine, LINEDEVSTATUS* lpLineDevStatus);
LINKORA_TAPI LONG lineGetAddressStatus(HLINE hLine, DWORD dwAddressID, LINEADDRESSSTATUS* lpAddressStatus);
LINKORA_TAPI LONG lineGetNewCalls(HLINE hLine, DWORD dwAddressID, DWORD dwSelect, LINECALLLIST* lpCallList);
LINKORA_TAPI LONG lineGetID(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect, VARSTRING* lpDeviceID,
                            const char* lpszDeviceClass);
LINKORA_TAPI LONG lineSetTerminal(HLINE hLine, DWORD dwAddressID, HCALL hCall, DWORD dwSelect,
                                  DWORD dwTerminalModes, DWORD dwTerminalID, DWORD bEnable);
LINKORA_TAPI LONG lineForward(HLINE hLine, DWORD bAllAddresses, DWORD dwAddressID,
                              const LINEFORWARDLIST* lpForwardList, DWORD dwNumRingsNoAnswer, HCALL* lphConsultCall,
                              const LINECALLPARAMS* lpCallParams);

// Calls, asynchronous.
LINKORA_TAPI LONG lineMakeCall(HLINE hLine, HCALL* lphCall, const char* lpszDestAddress, DWORD dwCountryCode,
                               const LINECALLPARAMS* lpCallParams);
LINKORA_TAPI LONG lineDial(HCALL hCall, const char* lpszDestAddress, DWORD dwCountryCode);
LINKORA_TAPI LONG lineAnswer(HCALL hCall, const char* lpsUserUserInfo, DWORD dwSize);
LINKORA_TAPI LONG lineDrop(HCALL hCall, const char* lpsUserUserInfo, DWORD dwSize);
LINKORA_TAPI LONG lineHold(HCALL hCall);
LINKORA_TAPI LONG lineUnhold(HCALL hCall);
LINKORA_TAPI LONG lineBlindTransfer(HCALL hCall, const char* lpszDestAddress, DWORD dwCountryCode);
LINKORA_TAPI LONG lineRedirect(HCALL hCall, const char* lpszDestAddress, DWORD dwCountryCode);
LINKORA_TAPI LONG linePark(HCALL hCall, DWORD dwParkMode, const char* lpszDirAddress, VARSTRING* lpNonDirAddress);
LINKORA_TAPI LONG lineUnpark(HLINE hLine, DWORD dwAddressID, HCALL* lphCall, const char* lpszDestAddress);
LINKORA_TAPI LONG linePickup(HLINE hLine, DWORD dwAddressID, HCALL* lphCall, const char* lpszDestAddress,
                             const char* lpszGroupID);
LINKORA_TAPI LONG lineSetupTransfer(HCALL hCall, HCALL* lphConsultCall, const LINECALLPARAMS* lpCallParams);
LINKORA_TAPI LONG lineCompleteTransfer(HCALL hCall, HCALL hConsultCall, HCALL* lphConfCall, DWORD dwTransferMode);
LINKORA_TAPI LONG lineSwapHold(HCALL hActiveCall, HCALL hHeldCall);
LINKORA_TAPI LONG lineSetupConference(HCALL hCall, HLINE hLine, HCALL* lphConfCall, HCALL* lphConsultCall,
                                      DWORD dwNumParties, const LINECALLPARAMS* lpCallParams);
LINKORA_TAPI LONG linePrepareAddToConference(HCALL hConfCall, HCALL* lphConsultCall,
                                             const LINECALLPARAMS* lpCallParams);
LINKORA_TAPI LONG lineAddToConference(HCALL hConfCall, HCALL hConsultCall);
LINKORA_TAPI LONG lineRemoveFromConference(HCALL hCall);

// Calls, synchronous.
LINKORA_TAPI LONG lineGetCallInfo(HCALL hCall, LINECALLINFO* lpCallInfo);
LINKORA_TAPI LONG lineGetCallStatus(HCALL hCall, LINECALLSTATUS* lpCallStatus);
LINKORA_TAPI LONG lineDeallocateCall(HCALL hCall);
LINKORA_TAPI LONG lineHandoff(HCALL hCall, const char* lpszFileName, DWORD dwMediaMode);
LINKORA_TAPI LONG lineSetCallPrivilege(HCALL hCall, DWORD dwCallPrivilege);
LINKORA_TAPI LONG lineSetMediaMode(HCALL hCall, DWORD dwMediaModes);
LINKORA_TAPI LONG lineGenerateDigits(HCALL hCall, DWORD dwDigitMode, const char* lpszDigits, DWORD dwDuration);
LINKORA_TAPI LONG lineGenerateTone(HCALL hCall, DWORD dwToneMode, DWORD dwDuration, DWORD dwNumTones,
                                   const LINEGENERATETONE* lpTones);
// The digits land in lpsDigits when gathering ends, just before LINE_GATHERDIGITS; the
// buffer must stay valid until then. A null buffer cancels gathering.
LINKORA_TAPI LONG lineGatherDigits(HCALL hCall, DWORD dwDigitModes, char* lpsDigits, DWORD dwNumDigits,
                                   const char* lpszTerminationDigits, DWORD dwFirstDigitTimeout,
                                   DWORD dwInterDigitTimeout);
LINKORA_TAPI LONG lineMonitorDigits(HCALL hCall, DWORD dwDigitModes);
LINKORA_TAPI LONG lineMonitorMedia(HCALL hCall, DWORD dwMediaModes);
LINKORA_TAPI LONG lineMonitorTones(HCALL hCall, const LINEMONITORTONE* lpToneList, DWORD dwNumEntries);

// Phones.
LINKORA_TAPI LONG phoneInitialize(HPHONEAPP* lphPhoneApp, void* hInstance, PHONECALLBACK lpfnCallback,
                                  const char* lpszAppName, DWORD* lpdwNumDevs);
LINKORA_TAPI LONG phoneInitializeExA(HPHONEAPP* lphPhoneApp, void* hInstance, PHONECALLBACK lpfnCallback,
                                     const char* lpszFriendlyAppName, DWORD* lpdwNumDevs, DWORD* lpdwAPIVersion,
                                     PHONEINITIALIZEEXPARAMS* lpPhoneInitializeExParams);
LINKORA_TAPI LONG phoneShutdown(HPHONEAPP hPhoneApp);
LINKORA_TAPI LONG phoneNegotiateAPIVersion(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                           DWORD dwAPIHighVersion, DWORD* lpdwAPIVersion,
                                           PHONEEXTENSIONID* lpExtensionID);
LINKORA_TAPI LONG phoneNegotiateExtVersion(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPIVersion,
                                           DWORD dwExtLowVersion, DWORD dwExtHighVersion, DWORD* lpdwExtVersion);
LINKORA_TAPI LONG phoneGetDevCaps(HPHONEAPP hPhoneApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                                  PHONECAPS* lpPhoneCaps);
LINKORA_TAPI LONG phoneOpen(HPHONEAPP hPhoneApp, DWORD dwDeviceID, HPHONE* lphPhone, DWORD dwAPIVersion,
                            DWORD dwExtVersion, DWORD dwCallbackInstance, DWORD dwPrivilege);
LINKORA_TAPI LONG phoneClose(HPHONE hPhone);
LINKORA_TAPI LONG phoneSetStatusMessages(HPHONE hPhone, DWORD dwPhoneStates, DWORD dwButtonModes,
                                         DWORD dwButtonStates);
LINKORA_TAPI LONG phoneGetStatus(HPHONE hPhone, PHONESTATUS* lpPhoneStatus);
LINKORA_TAPI LONG phoneGetID(HPHONE hPhone, VARSTRING* lpDeviceID, const char* lpszDeviceClass);
LINKORA_TAPI LONG phoneGetHookSwitch(HPHONE hPhone, DWORD* lpdwHookSwitchDevs);
LINKORA_TAPI LONG phoneSetHookSwitch(HPHONE hPhone, DWORD dwHookSwitchDevs, DWORD dwHookSwitchMode);
LINKORA_TAPI LONG phoneGetVolume(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD* lpdwVolume);
LINKORA_TAPI LONG phoneSetVolume(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwVolume);
LINKORA_TAPI LONG phoneGetGain(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD* lpdwGain);
LINKORA_TAPI LONG phoneSetGain(HPHONE hPhone, DWORD dwHookSwitchDev, DWORD dwGain);
