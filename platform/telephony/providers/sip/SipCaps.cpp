#include "SipCaps.h"

#include "SipProvider.h"

#include "../../TapiConstants.h"

namespace Telephony::Sip {

namespace {

DWORD callStates()
{
    return LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING |
           LINECALLSTATE_PROCEEDING | LINECALLSTATE_RINGBACK | LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLD |
           LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_CONFERENCED | LINECALLSTATE_ONHOLDPENDCONF |
           LINECALLSTATE_DISCONNECTED;
}

DWORD callFeatures()
{
    return LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ADDTOCONF | LINECALLFEATURE_ANSWER | LINECALLFEATURE_BLINDTRANSFER |
           LINECALLFEATURE_COMPLETETRANSF | LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP |
           LINECALLFEATURE_GATHERDIGITS | LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_GENERATETONE |
           LINECALLFEATURE_HOLD |
           LINECALLFEATURE_MONITORDIGITS | LINECALLFEATURE_PREPAREADDCONF | LINECALLFEATURE_REDIRECT |
           LINECALLFEATURE_REMOVEFROMCONF | LINECALLFEATURE_SETUPCONF | LINECALLFEATURE_SETUPTRANSFER |
           LINECALLFEATURE_SWAPHOLD | LINECALLFEATURE_UNHOLD;
}

AddressCaps addressCaps(int device, const SipAccount& account, const QStringList& classes)
{
    AddressCaps a;
    a.address = QStringLiteral("sip:%1").arg(account.shortName()).toUtf8();
    a.deviceClasses = classes;
    LINEADDRESSCAPS& f = a.fixed;
    f.dwLineDeviceID = DWORD(device);
    f.dwAddressSharing = LINEADDRESSSHARING_PRIVATE;
    f.dwAddressStates = LINEADDRESSSTATE_OTHER | LINEADDRESSSTATE_INUSEZERO | LINEADDRESSSTATE_INUSEONE |
                        LINEADDRESSSTATE_NUMCALLS | LINEADDRESSSTATE_FORWARD;
    f.dwCallInfoStates = LINECALLINFOSTATE_OTHER | LINECALLINFOSTATE_DEVSPECIFIC | LINECALLINFOSTATE_MEDIAMODE |
                         LINECALLINFOSTATE_ORIGIN | LINECALLINFOSTATE_REASON | LINECALLINFOSTATE_CALLERID |
                         LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_CONNECTEDID |
                         LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID |
                         LINECALLINFOSTATE_MONITORMODES;
    const DWORD idFlags = LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS | LINECALLPARTYID_UNKNOWN;
    f.dwCallerIDFlags = idFlags | LINECALLPARTYID_BLOCKED;
    f.dwCalledIDFlags = idFlags;
    f.dwConnectedIDFlags = idFlags;
    f.dwRedirectionIDFlags = idFlags;
    f.dwRedirectingIDFlags = idFlags;
    f.dwCallStates = callStates();
    f.dwDialToneModes = LINEDIALTONEMODE_NORMAL;
    f.dwBusyModes = LINEBUSYMODE_STATION;
    f.dwDisconnectModes = LINEDISCONNECTMODE_NORMAL | LINEDISCONNECTMODE_UNKNOWN | LINEDISCONNECTMODE_REJECT |
                          LINEDISCONNECTMODE_BUSY | LINEDISCONNECTMODE_NOANSWER | LINEDISCONNECTMODE_BADADDRESS |
                          LINEDISCONNECTMODE_UNREACHABLE | LINEDISCONNECTMODE_CONGESTION |
                          LINEDISCONNECTMODE_INCOMPATIBLE | LINEDISCONNECTMODE_UNAVAIL |
                          LINEDISCONNECTMODE_NUMBERCHANGED | LINEDISCONNECTMODE_BLOCKED |
                          LINEDISCONNECTMODE_CANCELLED;
    f.dwMaxNumActiveCalls = 1;
    f.dwMaxNumOnHoldCalls = DWORD(account.maxCalls);
    f.dwMaxNumOnHoldPendingCalls = 1;
    // Conferences are mixed by the line's own stack: a party removed is hung up.
    f.dwMaxNumConference = DWORD(qMin(SipProvider::kMaxConferenceParties, account.maxCalls - 1));
    f.dwMaxNumTransConf = 2;
    f.dwAddrCapFlags = LINEADDRCAPFLAGS_DIALED | LINEADDRCAPFLAGS_TRANSFERHELD | LINEADDRCAPFLAGS_TRANSFERMAKE |
                       LINEADDRCAPFLAGS_CONFERENCEHELD | LINEADDRCAPFLAGS_CONFERENCEMAKE |
                       LINEADDRCAPFLAGS_SETUPCONFNULL;
    f.dwCallFeatures = callFeatures();
    f.dwCallFeatures2 = LINECALLFEATURE2_TRANSFERNORM | LINECALLFEATURE2_TRANSFERCONF;
    f.dwRemoveFromConfCaps = LINEREMOVEFROMCONF_ANY;
    f.dwRemoveFromConfState = LINECALLSTATE_IDLE;
    f.dwTransferModes = LINETRANSFERMODE_TRANSFER | LINETRANSFERMODE_CONFERENCE;
    f.dwParkModes = 0;
    // Forwarding is the line's own: offered calls are redirected.
    f.dwForwardModes = LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_BUSY | LINEFORWARDMODE_NOANSW;
    f.dwMaxForwardEntries = 3;
    f.dwMinFwdNumRings = 1;
    f.dwMaxFwdNumRings = 10;
    f.dwAddrCapFlags |= LINEADDRCAPFLAGS_FWDNUMRINGS | LINEADDRCAPFLAGS_FWDSTATUSVALID;
    f.dwAddressFeatures = LINEADDRFEATURE_MAKECALL | LINEADDRFEATURE_FORWARD;
    f.dwMaxNoAnswerTimeout = 300;
    f.dwConnectedModes = LINECONNECTEDMODE_ACTIVE;
    f.dwOfferingModes = LINEOFFERINGMODE_ACTIVE;
    f.dwAvailableMediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE;
    return a;
}

} // namespace

LineDeviceCaps buildLineCaps(int device, const SipAccount& account)
{
    LineDeviceCaps caps;
    LINEDEVCAPS& f = caps.fixed;
    caps.providerInfo = "Linkora SIP";
    caps.switchInfo = account.proxy.isEmpty() ? QByteArray("direct") : account.proxy.toUtf8();
    caps.lineName = QStringLiteral("SIP %1").arg(account.shortName()).toUtf8();
    f.dwPermanentLineID = 0x4C4B5300 + DWORD(account.index);
    f.dwStringFormat = STRINGFORMAT_ASCII;
    f.dwAddressModes = LINEADDRESSMODE_ADDRESSID;
    f.dwNumAddresses = 1;
    f.dwBearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_SPEECH;
    f.dwMaxRate = 64000;
    f.dwMediaModes = LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE;
    f.dwGenerateDigitModes = LINEDIGITMODE_DTMF;
    f.dwMonitorDigitModes = LINEDIGITMODE_DTMF;
    f.dwGenerateToneModes = LINETONEMODE_CUSTOM | LINETONEMODE_RINGBACK | LINETONEMODE_BUSY | LINETONEMODE_BEEP |
                            LINETONEMODE_BILLING;
    f.dwGenerateToneMaxNumFreq = 3;
    f.dwGatherDigitsMinTimeout = 1;
    f.dwGatherDigitsMaxTimeout = 3600000;
    f.dwMaxNumActiveCalls = 1;
    f.dwAnswerMode = LINEANSWERMODE_HOLD;
    f.dwRingModes = 1;
    f.dwLineStates = LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING | LINEDEVSTATE_INSERVICE |
                     LINEDEVSTATE_OUTOFSERVICE | LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_NUMCALLS |
                     LINEDEVSTATE_REINIT | LINEDEVSTATE_CONFIGCHANGE;
    f.dwLineFeatures = LINEFEATURE_MAKECALL | LINEFEATURE_FORWARD;
    // The line's wave devices carry its calls' audio (see SipSoundCard).
    caps.deviceClasses = {QStringLiteral("tapi/line"), QStringLiteral("wave/in"), QStringLiteral("wave/out")};
    caps.addresses = {addressCaps(device, account, caps.deviceClasses)};
    caps.lowApiVersion = TAPI_VERSION1_0;
    caps.highApiVersion = TAPI_VERSION2_2;
    return caps;
}

} // namespace Telephony::Sip
