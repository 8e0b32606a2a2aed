#include "SimulatedCaps.h"

#include "../../TapiConstants.h"
#include "NumberPlan.h"

namespace Telephony::Sim {

DWORD voiceCallStates()
{
    return LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING |
           LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | LINECALLSTATE_SPECIALINFO | LINECALLSTATE_CONNECTED |
           LINECALLSTATE_PROCEEDING | LINECALLSTATE_ONHOLD | LINECALLSTATE_CONFERENCED |
           LINECALLSTATE_ONHOLDPENDCONF | LINECALLSTATE_ONHOLDPENDTRANSFER | LINECALLSTATE_DISCONNECTED;
}

DWORD modemCallStates()
{
    return LINECALLSTATE_IDLE | LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING | LINECALLSTATE_RINGBACK |
           LINECALLSTATE_BUSY | LINECALLSTATE_SPECIALINFO | LINECALLSTATE_CONNECTED | LINECALLSTATE_PROCEEDING |
           LINECALLSTATE_DISCONNECTED;
}

DWORD voiceCallFeatures()
{
    return LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ADDTOCONF | LINECALLFEATURE_ANSWER |
           LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_COMPLETETRANSF | LINECALLFEATURE_DIAL |
           LINECALLFEATURE_DROP | LINECALLFEATURE_GATHERDIGITS | LINECALLFEATURE_GENERATEDIGITS |
           LINECALLFEATURE_GENERATETONE | LINECALLFEATURE_HOLD | LINECALLFEATURE_MONITORDIGITS |
           LINECALLFEATURE_MONITORMEDIA | LINECALLFEATURE_MONITORTONES | LINECALLFEATURE_PARK |
           LINECALLFEATURE_PREPAREADDCONF | LINECALLFEATURE_REDIRECT | LINECALLFEATURE_REMOVEFROMCONF |
           LINECALLFEATURE_SETMEDIACONTROL | LINECALLFEATURE_SETTERMINAL | LINECALLFEATURE_SETUPCONF |
           LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_SWAPHOLD | LINECALLFEATURE_UNHOLD;
}

DWORD voiceCallFeatures2()
{
    return LINECALLFEATURE2_TRANSFERNORM | LINECALLFEATURE2_TRANSFERCONF | LINECALLFEATURE2_PARKDIRECT |
           LINECALLFEATURE2_PARKNONDIRECT;
}

DWORD voiceMediaModes()
{
    return LINEMEDIAMODE_UNKNOWN | LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE |
           LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_G3FAX;
}

DWORD supportedForwardModes()
{
    return LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_UNCONDINTERNAL | LINEFORWARDMODE_UNCONDEXTERNAL |
           LINEFORWARDMODE_UNCONDSPECIFIC | LINEFORWARDMODE_BUSY | LINEFORWARDMODE_BUSYINTERNAL |
           LINEFORWARDMODE_BUSYEXTERNAL | LINEFORWARDMODE_BUSYSPECIFIC | LINEFORWARDMODE_NOANSW |
           LINEFORWARDMODE_NOANSWINTERNAL | LINEFORWARDMODE_NOANSWEXTERNAL | LINEFORWARDMODE_NOANSWSPECIFIC;
}

DWORD supportedLineStates()
{
    return LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING | LINEDEVSTATE_CONNECTED | LINEDEVSTATE_DISCONNECTED |
           LINEDEVSTATE_MSGWAITON | LINEDEVSTATE_MSGWAITOFF | LINEDEVSTATE_INSERVICE | LINEDEVSTATE_OUTOFSERVICE |
           LINEDEVSTATE_MAINTENANCE | LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_NUMCALLS |
           LINEDEVSTATE_TERMINALS | LINEDEVSTATE_ROAMMODE | LINEDEVSTATE_BATTERY | LINEDEVSTATE_SIGNAL |
           LINEDEVSTATE_DEVSPECIFIC | LINEDEVSTATE_REINIT | LINEDEVSTATE_LOCK | LINEDEVSTATE_CAPSCHANGE |
           LINEDEVSTATE_CONFIGCHANGE | LINEDEVSTATE_TRANSLATECHANGE | LINEDEVSTATE_REMOVED;
}

DWORD supportedAddressStates()
{
    return LINEADDRESSSTATE_OTHER | LINEADDRESSSTATE_DEVSPECIFIC | LINEADDRESSSTATE_INUSEZERO |
           LINEADDRESSSTATE_INUSEONE | LINEADDRESSSTATE_NUMCALLS | LINEADDRESSSTATE_FORWARD |
           LINEADDRESSSTATE_TERMINALS | LINEADDRESSSTATE_CAPSCHANGE;
}

namespace {

LINEDIALPARAMS dialParams(DWORD pause, DWORD speed, DWORD duration, DWORD wait)
{
    return LINEDIALPARAMS{pause, speed, duration, wait};
}

AddressCaps buildAddressCaps(int device, const QStringList& classes)
{
    const bool modem = device == kModemDevice;
    AddressCaps a;
    a.address = extensionOf(device);
    a.deviceClasses = classes;
    LINEADDRESSCAPS& f = a.fixed;
    f.dwLineDeviceID = DWORD(device);
    f.dwAddressSharing = LINEADDRESSSHARING_PRIVATE;
    f.dwAddressStates = supportedAddressStates();
    f.dwCallInfoStates = LINECALLINFOSTATE_OTHER | LINECALLINFOSTATE_DEVSPECIFIC | LINECALLINFOSTATE_BEARERMODE |
                         LINECALLINFOSTATE_RATE | LINECALLINFOSTATE_MEDIAMODE | LINECALLINFOSTATE_APPSPECIFIC |
                         LINECALLINFOSTATE_CALLID | LINECALLINFOSTATE_RELATEDCALLID | LINECALLINFOSTATE_ORIGIN |
                         LINECALLINFOSTATE_REASON | LINECALLINFOSTATE_NUMOWNERINCR |
                         LINECALLINFOSTATE_NUMOWNERDECR | LINECALLINFOSTATE_NUMMONITORS |
                         LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_CALLEDID | LINECALLINFOSTATE_CONNECTEDID |
                         LINECALLINFOSTATE_REDIRECTIONID | LINECALLINFOSTATE_REDIRECTINGID |
                         LINECALLINFOSTATE_TERMINAL | LINECALLINFOSTATE_MONITORMODES;
    const DWORD idFlags = LINECALLPARTYID_NAME | LINECALLPARTYID_ADDRESS | LINECALLPARTYID_UNKNOWN;
    f.dwCallerIDFlags = idFlags | LINECALLPARTYID_BLOCKED | LINECALLPARTYID_OUTOFAREA | LINECALLPARTYID_PARTIAL |
                        LINECALLPARTYID_UNAVAIL;
    f.dwCalledIDFlags = idFlags;
    f.dwConnectedIDFlags = idFlags | LINECALLPARTYID_BLOCKED;
    f.dwRedirectionIDFlags = idFlags;
    f.dwRedirectingIDFlags = idFlags;
    f.dwCallStates = modem ? modemCallStates() : voiceCallStates();
    f.dwDialToneModes = LINEDIALTONEMODE_NORMAL;
    f.dwBusyModes = LINEBUSYMODE_STATION;
    f.dwSpecialInfo = LINESPECIALINFO_NOCIRCUIT;
    f.dwDisconnectModes = LINEDISCONNECTMODE_NORMAL | LINEDISCONNECTMODE_REJECT | LINEDISCONNECTMODE_NOANSWER |
                          LINEDISCONNECTMODE_BADADDRESS | LINEDISCONNECTMODE_BUSY;
    f.dwMaxNumActiveCalls = modem ? 1 : 4;
    f.dwMaxNumOnHoldCalls = modem ? 0 : 4;
    f.dwMaxNumOnHoldPendingCalls = modem ? 0 : 1;
    f.dwMaxNumConference = modem ? 0 : 3;
    f.dwMaxNumTransConf = modem ? 0 : 3;
    f.dwAddrCapFlags = LINEADDRCAPFLAGS_DIALED | LINEADDRCAPFLAGS_PARTIALDIAL;
    if (!modem)
        f.dwAddrCapFlags |= LINEADDRCAPFLAGS_TRANSFERHELD | LINEADDRCAPFLAGS_TRANSFERMAKE |
                            LINEADDRCAPFLAGS_CONFERENCEHELD | LINEADDRCAPFLAGS_CONFERENCEMAKE |
                            LINEADDRCAPFLAGS_FWDSTATUSVALID | LINEADDRCAPFLAGS_FWDNUMRINGS |
                            LINEADDRCAPFLAGS_PICKUPGROUPID | LINEADDRCAPFLAGS_SETUPCONFNULL |
                            LINEADDRCAPFLAGS_BLOCKIDOVERRIDE | LINEADDRCAPFLAGS_FWDINTEXTADDR;
    f.dwCallFeatures = modem ? (LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP) : voiceCallFeatures();
    f.dwCallFeatures2 = modem ? 0 : voiceCallFeatures2();
    f.dwRemoveFromConfCaps = modem ? LINEREMOVEFROMCONF_NONE : LINEREMOVEFROMCONF_ANY;
    f.dwRemoveFromConfState = modem ? 0 : LINECALLSTATE_IDLE;
    f.dwTransferModes = modem ? 0 : (LINETRANSFERMODE_TRANSFER | LINETRANSFERMODE_CONFERENCE);
    f.dwParkModes = modem ? 0 : (LINEPARKMODE_DIRECTED | LINEPARKMODE_NONDIRECTED);
    f.dwForwardModes = modem ? 0 : supportedForwardModes();
    f.dwMaxForwardEntries = modem ? 0 : 4;
    f.dwMaxSpecificEntries = modem ? 0 : 2;
    f.dwMinFwdNumRings = modem ? 0 : 1;
    f.dwMaxFwdNumRings = modem ? 0 : 10;
    f.dwAddressFeatures = modem ? LINEADDRFEATURE_MAKECALL
                                : (LINEADDRFEATURE_FORWARD | LINEADDRFEATURE_MAKECALL | LINEADDRFEATURE_PICKUP |
                                   LINEADDRFEATURE_SETMEDIACONTROL | LINEADDRFEATURE_SETTERMINAL |
                                   LINEADDRFEATURE_SETUPCONF | LINEADDRFEATURE_UNPARK |
                                   LINEADDRFEATURE_PICKUPGROUP | LINEADDRFEATURE_PICKUPDIRECT |
                                   LINEADDRFEATURE_FORWARDFWD);
    f.dwMaxNoAnswerTimeout = 300;
    f.dwConnectedModes = LINECONNECTEDMODE_ACTIVE;
    f.dwOfferingModes = modem ? 0 : LINEOFFERINGMODE_ACTIVE;
    f.dwAvailableMediaModes = modem ? LINEMEDIAMODE_DATAMODEM : voiceMediaModes();
    return a;
}

} // namespace

LineDeviceCaps buildLineCaps(int device)
{
    const bool modem = device == kModemDevice;
    LineDeviceCaps caps;
    LINEDEVCAPS& f = caps.fixed;
    caps.providerInfo = modem ? "Linkora Simulated Modem (V.34)" : "Linkora Simulated Exchange";
    caps.switchInfo = "Linkora Simulated Exchange 1.0";
    caps.lineName = modem ? "Linkora Simulated Data Modem"
                          : "Linkora Simulated Line " + QByteArray::number(device + 1);
    f.dwPermanentLineID = 0x4C4B0001 + DWORD(device);
    f.dwStringFormat = STRINGFORMAT_ASCII;
    f.dwAddressModes = LINEADDRESSMODE_ADDRESSID;
    f.dwNumAddresses = 1;
    f.dwBearerModes = modem ? LINEBEARERMODE_VOICE : (LINEBEARERMODE_VOICE | LINEBEARERMODE_SPEECH);
    f.dwMaxRate = modem ? 33600 : 64000;
    f.dwMediaModes = modem ? LINEMEDIAMODE_DATAMODEM : voiceMediaModes();
    if (!modem) {
        f.dwGenerateToneModes = LINETONEMODE_CUSTOM | LINETONEMODE_RINGBACK | LINETONEMODE_BUSY |
                                LINETONEMODE_BEEP | LINETONEMODE_BILLING;
        f.dwGenerateToneMaxNumFreq = 3;
        f.dwGenerateDigitModes = LINEDIGITMODE_DTMF;
        f.dwMonitorToneMaxNumFreq = 3;
        f.dwMonitorToneMaxNumEntries = 8;
        f.dwMonitorDigitModes = LINEDIGITMODE_DTMF | LINEDIGITMODE_DTMFEND;
        f.dwGatherDigitsMinTimeout = 1;
        f.dwGatherDigitsMaxTimeout = 3600000;
        f.dwMedCtlDigitMaxListSize = 8;
        f.dwMedCtlMediaMaxListSize = 8;
        f.dwMedCtlToneMaxListSize = 8;
        f.dwMedCtlCallStateMaxListSize = 8;
    }
    f.dwDevCapFlags = LINEDEVCAPFLAGS_DIALDIALTONE;
    if (!modem)
        f.dwDevCapFlags |= LINEDEVCAPFLAGS_DIALBILLING | LINEDEVCAPFLAGS_DIALQUIET | LINEDEVCAPFLAGS_MEDIACONTROL;
    f.dwMaxNumActiveCalls = modem ? 1 : 4;
    f.dwAnswerMode = modem ? 0 : LINEANSWERMODE_NONE;
    f.dwRingModes = modem ? 0 : 1;
    f.dwLineStates = supportedLineStates();
    f.MinDialParams = dialParams(100, 50, 50, 100);
    f.MaxDialParams = dialParams(10000, 1000, 1000, 60000);
    f.DefaultDialParams = dialParams(2000, 50, 50, 3000);
    f.dwLineFeatures = modem ? LINEFEATURE_MAKECALL
                             : (LINEFEATURE_MAKECALL | LINEFEATURE_FORWARD | LINEFEATURE_SETTERMINAL |
                                LINEFEATURE_SETMEDIACONTROL | LINEFEATURE_FORWARDFWD);
    f.dwSettableDevStatus = 0;

    if (modem) {
        caps.deviceClasses = {QStringLiteral("tapi/line"), QStringLiteral("comm/datamodem")};
    } else {
        f.dwNumTerminals = 1;
        LINETERMCAPS term{};
        term.dwTermDev = LINETERMDEV_PHONE;
        term.dwTermModes = LINETERMMODE_BUTTONS | LINETERMMODE_LAMPS | LINETERMMODE_DISPLAY | LINETERMMODE_RINGER |
                           LINETERMMODE_HOOKSWITCH | LINETERMMODE_MEDIABIDIRECT;
        term.dwTermSharing = LINETERMSHARING_PRIVATE;
        caps.terminalCaps = {term};
        caps.terminalTexts = {QByteArray("Handset")};
        caps.deviceClasses = {QStringLiteral("tapi/line")};
        if (device == 0)
            caps.deviceClasses << QStringLiteral("tapi/phone");
        caps.deviceClasses << QStringLiteral("wave/in") << QStringLiteral("wave/out");
    }
    caps.addresses = {buildAddressCaps(device, caps.deviceClasses)};

    caps.lowApiVersion = TAPI_VERSION1_0;
    caps.highApiVersion = TAPI_VERSION2_2;
    if (device == 0) {
        caps.lowExtVersion = 0x00010000;
        caps.highExtVersion = 0x00010001;
        caps.extensionId = LINEEXTENSIONID{0x4C4B5349, 0x4D455843, 0x00010000, 0x00000001}; // "LKSI" "MEXC"
    }
    return caps;
}

} // namespace Telephony::Sim
