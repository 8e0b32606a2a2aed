// TAPI constant vocabulary shared by every Linkora telephony component: result codes,
// flag and enumeration values, and message numbers, spelled as TAPI spells them so that
// traces and code read the same. Values are TAPI's unless a group's comment says otherwise.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------
// Result codes
// ---------------------------------------------------------------------------------------

// Line device errors; 0x80000004 and 0x80000031 are unassigned.
inline constexpr std::uint32_t LINEERR_ALLOCATED = 0x80000001;
inline constexpr std::uint32_t LINEERR_BADDEVICEID = 0x80000002;
inline constexpr std::uint32_t LINEERR_BEARERMODEUNAVAIL = 0x80000003;
inline constexpr std::uint32_t LINEERR_CALLUNAVAIL = 0x80000005;
inline constexpr std::uint32_t LINEERR_COMPLETIONOVERRUN = 0x80000006;
inline constexpr std::uint32_t LINEERR_CONFERENCEFULL = 0x80000007;
inline constexpr std::uint32_t LINEERR_DIALBILLING = 0x80000008;
inline constexpr std::uint32_t LINEERR_DIALDIALTONE = 0x80000009;
inline constexpr std::uint32_t LINEERR_DIALPROMPT = 0x8000000A;
inline constexpr std::uint32_t LINEERR_DIALQUIET = 0x8000000B;
inline constexpr std::uint32_t LINEERR_INCOMPATIBLEAPIVERSION = 0x8000000C;
inline constexpr std::uint32_t LINEERR_INCOMPATIBLEEXTVERSION = 0x8000000D;
inline constexpr std::uint32_t LINEERR_INIFILECORRUPT = 0x8000000E;
inline constexpr std::uint32_t LINEERR_INUSE = 0x8000000F;
inline constexpr std::uint32_t LINEERR_INVALADDRESS = 0x80000010;
inline constexpr std::uint32_t LINEERR_INVALADDRESSID = 0x80000011;
inline constexpr std::uint32_t LINEERR_INVALADDRESSMODE = 0x80000012;
inline constexpr std::uint32_t LINEERR_INVALADDRESSSTATE = 0x80000013;
inline constexpr std::uint32_t LINEERR_INVALAPPHANDLE = 0x80000014;
inline constexpr std::uint32_t LINEERR_INVALAPPNAME = 0x80000015;
inline constexpr std::uint32_t LINEERR_INVALBEARERMODE = 0x80000016;
inline constexpr std::uint32_t LINEERR_INVALCALLCOMPLMODE = 0x80000017;
inline constexpr std::uint32_t LINEERR_INVALCALLHANDLE = 0x80000018;
inline constexpr std::uint32_t LINEERR_INVALCALLPARAMS = 0x80000019;
inline constexpr std::uint32_t LINEERR_INVALCALLPRIVILEGE = 0x8000001A;
inline constexpr std::uint32_t LINEERR_INVALCALLSELECT = 0x8000001B;
inline constexpr std::uint32_t LINEERR_INVALCALLSTATE = 0x8000001C;
inline constexpr std::uint32_t LINEERR_INVALCALLSTATELIST = 0x8000001D;
inline constexpr std::uint32_t LINEERR_INVALCARD = 0x8000001E;
inline constexpr std::uint32_t LINEERR_INVALCOMPLETIONID = 0x8000001F;
inline constexpr std::uint32_t LINEERR_INVALCONFCALLHANDLE = 0x80000020;
inline constexpr std::uint32_t LINEERR_INVALCONSULTCALLHANDLE = 0x80000021;
inline constexpr std::uint32_t LINEERR_INVALCOUNTRYCODE = 0x80000022;
inline constexpr std::uint32_t LINEERR_INVALDEVICECLASS = 0x80000023;
inline constexpr std::uint32_t LINEERR_INVALDEVICEHANDLE = 0x80000024;
inline constexpr std::uint32_t LINEERR_INVALDIALPARAMS = 0x80000025;
inline constexpr std::uint32_t LINEERR_INVALDIGITLIST = 0x80000026;
inline constexpr std::uint32_t LINEERR_INVALDIGITMODE = 0x80000027;
inline constexpr std::uint32_t LINEERR_INVALDIGITS = 0x80000028;
inline constexpr std::uint32_t LINEERR_INVALEXTVERSION = 0x80000029;
inline constexpr std::uint32_t LINEERR_INVALGROUPID = 0x8000002A;
inline constexpr std::uint32_t LINEERR_INVALLINEHANDLE = 0x8000002B;
inline constexpr std::uint32_t LINEERR_INVALLINESTATE = 0x8000002C;
inline constexpr std::uint32_t LINEERR_INVALLOCATION = 0x8000002D;
inline constexpr std::uint32_t LINEERR_INVALMEDIALIST = 0x8000002E;
inline constexpr std::uint32_t LINEERR_INVALMEDIAMODE = 0x8000002F;
inline constexpr std::uint32_t LINEERR_INVALMESSAGEID = 0x80000030;
inline constexpr std::uint32_t LINEERR_INVALPARAM = 0x80000032;
inline constexpr std::uint32_t LINEERR_INVALPARKID = 0x80000033;
inline constexpr std::uint32_t LINEERR_INVALPARKMODE = 0x80000034;
inline constexpr std::uint32_t LINEERR_INVALPOINTER = 0x80000035;
inline constexpr std::uint32_t LINEERR_INVALPRIVSELECT = 0x80000036;
inline constexpr std::uint32_t LINEERR_INVALRATE = 0x80000037;
inline constexpr std::uint32_t LINEERR_INVALREQUESTMODE = 0x80000038;
inline constexpr std::uint32_t LINEERR_INVALTERMINALID = 0x80000039;
inline constexpr std::uint32_t LINEERR_INVALTERMINALMODE = 0x8000003A;
inline constexpr std::uint32_t LINEERR_INVALTIMEOUT = 0x8000003B;
inline constexpr std::uint32_t LINEERR_INVALTONE = 0x8000003C;
inline constexpr std::uint32_t LINEERR_INVALTONELIST = 0x8000003D;
inline constexpr std::uint32_t LINEERR_INVALTONEMODE = 0x8000003E;
inline constexpr std::uint32_t LINEERR_INVALTRANSFERMODE = 0x8000003F;
inline constexpr std::uint32_t LINEERR_LINEMAPPERFAILED = 0x80000040;
inline constexpr std::uint32_t LINEERR_NOCONFERENCE = 0x80000041;
inline constexpr std::uint32_t LINEERR_NODEVICE = 0x80000042;
inline constexpr std::uint32_t LINEERR_NODRIVER = 0x80000043;
inline constexpr std::uint32_t LINEERR_NOMEM = 0x80000044;
inline constexpr std::uint32_t LINEERR_NOREQUEST = 0x80000045;
inline constexpr std::uint32_t LINEERR_NOTOWNER = 0x80000046;
inline constexpr std::uint32_t LINEERR_NOTREGISTERED = 0x80000047;
inline constexpr std::uint32_t LINEERR_OPERATIONFAILED = 0x80000048;
inline constexpr std::uint32_t LINEERR_OPERATIONUNAVAIL = 0x80000049;
inline constexpr std::uint32_t LINEERR_RATEUNAVAIL = 0x8000004A;
inline constexpr std::uint32_t LINEERR_RESOURCEUNAVAIL = 0x8000004B;
inline constexpr std::uint32_t LINEERR_REQUESTOVERRUN = 0x8000004C;
inline constexpr std::uint32_t LINEERR_STRUCTURETOOSMALL = 0x8000004D;
inline constexpr std::uint32_t LINEERR_TARGETNOTFOUND = 0x8000004E;
inline constexpr std::uint32_t LINEERR_TARGETSELF = 0x8000004F;
inline constexpr std::uint32_t LINEERR_UNINITIALIZED = 0x80000050;
inline constexpr std::uint32_t LINEERR_USERUSERINFOTOOBIG = 0x80000051;
inline constexpr std::uint32_t LINEERR_REINIT = 0x80000052;
inline constexpr std::uint32_t LINEERR_ADDRESSBLOCKED = 0x80000053;
inline constexpr std::uint32_t LINEERR_BILLINGREJECTED = 0x80000054;
inline constexpr std::uint32_t LINEERR_INVALFEATURE = 0x80000055;
inline constexpr std::uint32_t LINEERR_NOMULTIPLEINSTANCE = 0x80000056;

// Phone device errors; 0x9000001E is unassigned.
inline constexpr std::uint32_t PHONEERR_ALLOCATED = 0x90000001;
inline constexpr std::uint32_t PHONEERR_BADDEVICEID = 0x90000002;
inline constexpr std::uint32_t PHONEERR_INCOMPATIBLEAPIVERSION = 0x90000003;
inline constexpr std::uint32_t PHONEERR_INCOMPATIBLEEXTVERSION = 0x90000004;
inline constexpr std::uint32_t PHONEERR_INIFILECORRUPT = 0x90000005;
inline constexpr std::uint32_t PHONEERR_INUSE = 0x90000006;
inline constexpr std::uint32_t PHONEERR_INVALAPPHANDLE = 0x90000007;
inline constexpr std::uint32_t PHONEERR_INVALAPPNAME = 0x90000008;
inline constexpr std::uint32_t PHONEERR_INVALBUTTONLAMPID = 0x90000009;
inline constexpr std::uint32_t PHONEERR_INVALBUTTONMODE = 0x9000000A;
inline constexpr std::uint32_t PHONEERR_INVALBUTTONSTATE = 0x9000000B;
inline constexpr std::uint32_t PHONEERR_INVALDATAID = 0x9000000C;
inline constexpr std::uint32_t PHONEERR_INVALDEVICECLASS = 0x9000000D;
inline constexpr std::uint32_t PHONEERR_INVALEXTVERSION = 0x9000000E;
inline constexpr std::uint32_t PHONEERR_INVALHOOKSWITCHDEV = 0x9000000F;
inline constexpr std::uint32_t PHONEERR_INVALHOOKSWITCHMODE = 0x90000010;
inline constexpr std::uint32_t PHONEERR_INVALLAMPMODE = 0x90000011;
inline constexpr std::uint32_t PHONEERR_INVALPARAM = 0x90000012;
inline constexpr std::uint32_t PHONEERR_INVALPHONEHANDLE = 0x90000013;
inline constexpr std::uint32_t PHONEERR_INVALPHONESTATE = 0x90000014;
inline constexpr std::uint32_t PHONEERR_INVALPOINTER = 0x90000015;
inline constexpr std::uint32_t PHONEERR_INVALPRIVILEGE = 0x90000016;
inline constexpr std::uint32_t PHONEERR_INVALRINGMODE = 0x90000017;
inline constexpr std::uint32_t PHONEERR_NODEVICE = 0x90000018;
inline constexpr std::uint32_t PHONEERR_NODRIVER = 0x90000019;
inline constexpr std::uint32_t PHONEERR_NOMEM = 0x9000001A;
inline constexpr std::uint32_t PHONEERR_NOTOWNER = 0x9000001B;
inline constexpr std::uint32_t PHONEERR_OPERATIONFAILED = 0x9000001C;
inline constexpr std::uint32_t PHONEERR_OPERATIONUNAVAIL = 0x9000001D;
inline constexpr std::uint32_t PHONEERR_RESOURCEUNAVAIL = 0x9000001F;
inline constexpr std::uint32_t PHONEERR_REQUESTOVERRUN = 0x90000020;
inline constexpr std::uint32_t PHONEERR_STRUCTURETOOSMALL = 0x90000021;
inline constexpr std::uint32_t PHONEERR_UNINITIALIZED = 0x90000022;
inline constexpr std::uint32_t PHONEERR_REINIT = 0x90000023;

// The multimedia results (MMSYSERR_, WAVERR_, MMIOERR_) live with the multimedia layer;
// the relative path holds in the source tree and in the installed include folder.
#include "../multimedia/MmResults.h"

// ---------------------------------------------------------------------------------------
// Line device flags and enumerations
// ---------------------------------------------------------------------------------------

// Bearer modes of a call.
inline constexpr std::uint32_t LINEBEARERMODE_VOICE = 0x00000001;
inline constexpr std::uint32_t LINEBEARERMODE_SPEECH = 0x00000002;
inline constexpr std::uint32_t LINEBEARERMODE_MULTIUSE = 0x00000004;
inline constexpr std::uint32_t LINEBEARERMODE_DATA = 0x00000008;
inline constexpr std::uint32_t LINEBEARERMODE_ALTSPEECHDATA = 0x00000010;
inline constexpr std::uint32_t LINEBEARERMODE_NONCALLSIGNALING = 0x00000020;
inline constexpr std::uint32_t LINEBEARERMODE_PASSTHROUGH = 0x00000040;
inline constexpr std::uint32_t LINEBEARERMODE_RESTRICTEDDATA = 0x00000080;

// Tones to generate or monitor. NONE is this suite's name for 0 (no tone); TAPI has none.
inline constexpr std::uint32_t LINETONEMODE_NONE = 0x00000000;
inline constexpr std::uint32_t LINETONEMODE_CUSTOM = 0x00000001;
inline constexpr std::uint32_t LINETONEMODE_RINGBACK = 0x00000002;
inline constexpr std::uint32_t LINETONEMODE_BUSY = 0x00000004;
inline constexpr std::uint32_t LINETONEMODE_BEEP = 0x00000008;
inline constexpr std::uint32_t LINETONEMODE_BILLING = 0x00000010;

// Address capability flags.
inline constexpr std::uint32_t LINEADDRCAPFLAGS_FWDNUMRINGS = 0x00000001;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_PICKUPGROUPID = 0x00000002;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_SECURE = 0x00000004;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_BLOCKIDDEFAULT = 0x00000008;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_BLOCKIDOVERRIDE = 0x00000010;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_DIALED = 0x00000020;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_ORIGOFFHOOK = 0x00000040;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_DESTOFFHOOK = 0x00000080;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_FWDCONSULT = 0x00000100;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_SETUPCONFNULL = 0x00000200;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_AUTORECONNECT = 0x00000400;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_COMPLETIONID = 0x00000800;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_TRANSFERHELD = 0x00001000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_TRANSFERMAKE = 0x00002000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_CONFERENCEHELD = 0x00004000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_CONFERENCEMAKE = 0x00008000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_PARTIALDIAL = 0x00010000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_FWDSTATUSVALID = 0x00020000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_FWDINTEXTADDR = 0x00040000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_FWDBUSYNAADDR = 0x00080000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_ACCEPTTOALERT = 0x00100000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_CONFDROP = 0x00200000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_PICKUPCALLWAIT = 0x00400000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_PREDICTIVEDIALER = 0x00800000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_QUEUE = 0x01000000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_ROUTEPOINT = 0x02000000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_HOLDMAKESNEW = 0x04000000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_NOINTERNALCALLS = 0x08000000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_NOEXTERNALCALLS = 0x10000000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_SETCALLINGID = 0x20000000;
inline constexpr std::uint32_t LINEADDRCAPFLAGS_ACDGROUP = 0x40000000;

// Availability of a party identification (caller, called, connected, redirection).
inline constexpr std::uint32_t LINECALLPARTYID_BLOCKED = 0x00000001;
inline constexpr std::uint32_t LINECALLPARTYID_OUTOFAREA = 0x00000002;
inline constexpr std::uint32_t LINECALLPARTYID_NAME = 0x00000004;
inline constexpr std::uint32_t LINECALLPARTYID_ADDRESS = 0x00000008;
inline constexpr std::uint32_t LINECALLPARTYID_PARTIAL = 0x00000010;
inline constexpr std::uint32_t LINECALLPARTYID_UNKNOWN = 0x00000020;
inline constexpr std::uint32_t LINECALLPARTYID_UNAVAIL = 0x00000040;

// Call information items reported as changed by LINE_CALLINFO.
inline constexpr std::uint32_t LINECALLINFOSTATE_OTHER = 0x00000001;
inline constexpr std::uint32_t LINECALLINFOSTATE_DEVSPECIFIC = 0x00000002;
inline constexpr std::uint32_t LINECALLINFOSTATE_BEARERMODE = 0x00000004;
inline constexpr std::uint32_t LINECALLINFOSTATE_RATE = 0x00000008;
inline constexpr std::uint32_t LINECALLINFOSTATE_MEDIAMODE = 0x00000010;
inline constexpr std::uint32_t LINECALLINFOSTATE_APPSPECIFIC = 0x00000020;
inline constexpr std::uint32_t LINECALLINFOSTATE_CALLID = 0x00000040;
inline constexpr std::uint32_t LINECALLINFOSTATE_RELATEDCALLID = 0x00000080;
inline constexpr std::uint32_t LINECALLINFOSTATE_ORIGIN = 0x00000100;
inline constexpr std::uint32_t LINECALLINFOSTATE_REASON = 0x00000200;
inline constexpr std::uint32_t LINECALLINFOSTATE_COMPLETIONID = 0x00000400;
inline constexpr std::uint32_t LINECALLINFOSTATE_NUMOWNERINCR = 0x00000800;
inline constexpr std::uint32_t LINECALLINFOSTATE_NUMOWNERDECR = 0x00001000;
inline constexpr std::uint32_t LINECALLINFOSTATE_NUMMONITORS = 0x00002000;
inline constexpr std::uint32_t LINECALLINFOSTATE_TRUNK = 0x00004000;
inline constexpr std::uint32_t LINECALLINFOSTATE_CALLERID = 0x00008000;
inline constexpr std::uint32_t LINECALLINFOSTATE_CALLEDID = 0x00010000;
inline constexpr std::uint32_t LINECALLINFOSTATE_CONNECTEDID = 0x00020000;
inline constexpr std::uint32_t LINECALLINFOSTATE_REDIRECTIONID = 0x00040000;
inline constexpr std::uint32_t LINECALLINFOSTATE_REDIRECTINGID = 0x00080000;
inline constexpr std::uint32_t LINECALLINFOSTATE_DISPLAY = 0x00100000;
inline constexpr std::uint32_t LINECALLINFOSTATE_USERUSERINFO = 0x00200000;
inline constexpr std::uint32_t LINECALLINFOSTATE_HIGHLEVELCOMP = 0x00400000;
inline constexpr std::uint32_t LINECALLINFOSTATE_LOWLEVELCOMP = 0x00800000;
inline constexpr std::uint32_t LINECALLINFOSTATE_CHARGINGINFO = 0x01000000;
inline constexpr std::uint32_t LINECALLINFOSTATE_TERMINAL = 0x02000000;
inline constexpr std::uint32_t LINECALLINFOSTATE_DIALPARAMS = 0x04000000;
inline constexpr std::uint32_t LINECALLINFOSTATE_MONITORMODES = 0x08000000;
inline constexpr std::uint32_t LINECALLINFOSTATE_TREATMENT = 0x10000000;
inline constexpr std::uint32_t LINECALLINFOSTATE_QOS = 0x20000000;
inline constexpr std::uint32_t LINECALLINFOSTATE_CALLDATA = 0x40000000;

// Call states.
inline constexpr std::uint32_t LINECALLSTATE_IDLE = 0x00000001;
inline constexpr std::uint32_t LINECALLSTATE_OFFERING = 0x00000002;
inline constexpr std::uint32_t LINECALLSTATE_ACCEPTED = 0x00000004;
inline constexpr std::uint32_t LINECALLSTATE_DIALTONE = 0x00000008;
inline constexpr std::uint32_t LINECALLSTATE_DIALING = 0x00000010;
inline constexpr std::uint32_t LINECALLSTATE_RINGBACK = 0x00000020;
inline constexpr std::uint32_t LINECALLSTATE_BUSY = 0x00000040;
inline constexpr std::uint32_t LINECALLSTATE_SPECIALINFO = 0x00000080;
inline constexpr std::uint32_t LINECALLSTATE_CONNECTED = 0x00000100;
inline constexpr std::uint32_t LINECALLSTATE_PROCEEDING = 0x00000200;
inline constexpr std::uint32_t LINECALLSTATE_ONHOLD = 0x00000400;
inline constexpr std::uint32_t LINECALLSTATE_CONFERENCED = 0x00000800;
inline constexpr std::uint32_t LINECALLSTATE_ONHOLDPENDCONF = 0x00001000;
inline constexpr std::uint32_t LINECALLSTATE_ONHOLDPENDTRANSFER = 0x00002000;
inline constexpr std::uint32_t LINECALLSTATE_DISCONNECTED = 0x00004000;
inline constexpr std::uint32_t LINECALLSTATE_UNKNOWN = 0x00008000;

// Operations currently possible on a call.
inline constexpr std::uint32_t LINECALLFEATURE_ACCEPT = 0x00000001;
inline constexpr std::uint32_t LINECALLFEATURE_ADDTOCONF = 0x00000002;
inline constexpr std::uint32_t LINECALLFEATURE_ANSWER = 0x00000004;
inline constexpr std::uint32_t LINECALLFEATURE_BLINDTRANSFER = 0x00000008;
inline constexpr std::uint32_t LINECALLFEATURE_COMPLETECALL = 0x00000010;
inline constexpr std::uint32_t LINECALLFEATURE_COMPLETETRANSF = 0x00000020;
inline constexpr std::uint32_t LINECALLFEATURE_DIAL = 0x00000040;
inline constexpr std::uint32_t LINECALLFEATURE_DROP = 0x00000080;
inline constexpr std::uint32_t LINECALLFEATURE_GATHERDIGITS = 0x00000100;
inline constexpr std::uint32_t LINECALLFEATURE_GENERATEDIGITS = 0x00000200;
inline constexpr std::uint32_t LINECALLFEATURE_GENERATETONE = 0x00000400;
inline constexpr std::uint32_t LINECALLFEATURE_HOLD = 0x00000800;
inline constexpr std::uint32_t LINECALLFEATURE_MONITORDIGITS = 0x00001000;
inline constexpr std::uint32_t LINECALLFEATURE_MONITORMEDIA = 0x00002000;
inline constexpr std::uint32_t LINECALLFEATURE_MONITORTONES = 0x00004000;
inline constexpr std::uint32_t LINECALLFEATURE_PARK = 0x00008000;
inline constexpr std::uint32_t LINECALLFEATURE_PREPAREADDCONF = 0x00010000;
inline constexpr std::uint32_t LINECALLFEATURE_REDIRECT = 0x00020000;
inline constexpr std::uint32_t LINECALLFEATURE_REMOVEFROMCONF = 0x00040000;
inline constexpr std::uint32_t LINECALLFEATURE_SECURECALL = 0x00080000;
inline constexpr std::uint32_t LINECALLFEATURE_SENDUSERUSER = 0x00100000;
inline constexpr std::uint32_t LINECALLFEATURE_SETCALLPARAMS = 0x00200000;
inline constexpr std::uint32_t LINECALLFEATURE_SETMEDIACONTROL = 0x00400000;
inline constexpr std::uint32_t LINECALLFEATURE_SETTERMINAL = 0x00800000;
inline constexpr std::uint32_t LINECALLFEATURE_SETUPCONF = 0x01000000;
inline constexpr std::uint32_t LINECALLFEATURE_SETUPTRANSFER = 0x02000000;
inline constexpr std::uint32_t LINECALLFEATURE_SWAPHOLD = 0x04000000;
inline constexpr std::uint32_t LINECALLFEATURE_UNHOLD = 0x08000000;
inline constexpr std::uint32_t LINECALLFEATURE_RELEASEUSERUSERINFO = 0x10000000;
inline constexpr std::uint32_t LINECALLFEATURE_SETTREATMENT = 0x20000000;
inline constexpr std::uint32_t LINECALLFEATURE_SETQOS = 0x40000000;

// Refinements of the call features (conference, transfer, completion and park styles).
inline constexpr std::uint32_t LINECALLFEATURE2_NOHOLDCONFERENCE = 0x00000001;
inline constexpr std::uint32_t LINECALLFEATURE2_ONESTEPTRANSFER = 0x00000002;
inline constexpr std::uint32_t LINECALLFEATURE2_COMPLCAMPON = 0x00000004;
inline constexpr std::uint32_t LINECALLFEATURE2_COMPLCALLBACK = 0x00000008;
inline constexpr std::uint32_t LINECALLFEATURE2_COMPLINTRUDE = 0x00000010;
inline constexpr std::uint32_t LINECALLFEATURE2_COMPLMESSAGE = 0x00000020;
inline constexpr std::uint32_t LINECALLFEATURE2_TRANSFERNORM = 0x00000040;
inline constexpr std::uint32_t LINECALLFEATURE2_TRANSFERCONF = 0x00000080;
inline constexpr std::uint32_t LINECALLFEATURE2_PARKDIRECT = 0x00000100;
inline constexpr std::uint32_t LINECALLFEATURE2_PARKNONDIRECT = 0x00000200;

// Mode of LINECALLSTATE_BUSY.
inline constexpr std::uint32_t LINEBUSYMODE_STATION = 0x00000001;
inline constexpr std::uint32_t LINEBUSYMODE_TRUNK = 0x00000002;
inline constexpr std::uint32_t LINEBUSYMODE_UNKNOWN = 0x00000004;
inline constexpr std::uint32_t LINEBUSYMODE_UNAVAIL = 0x00000008;

// Mode of LINECALLSTATE_DIALTONE.
inline constexpr std::uint32_t LINEDIALTONEMODE_NORMAL = 0x00000001;
inline constexpr std::uint32_t LINEDIALTONEMODE_SPECIAL = 0x00000002;
inline constexpr std::uint32_t LINEDIALTONEMODE_INTERNAL = 0x00000004;
inline constexpr std::uint32_t LINEDIALTONEMODE_EXTERNAL = 0x00000008;
inline constexpr std::uint32_t LINEDIALTONEMODE_UNKNOWN = 0x00000010;
inline constexpr std::uint32_t LINEDIALTONEMODE_UNAVAIL = 0x00000020;

// Mode of LINECALLSTATE_DISCONNECTED.
inline constexpr std::uint32_t LINEDISCONNECTMODE_NORMAL = 0x00000001;
inline constexpr std::uint32_t LINEDISCONNECTMODE_UNKNOWN = 0x00000002;
inline constexpr std::uint32_t LINEDISCONNECTMODE_REJECT = 0x00000004;
inline constexpr std::uint32_t LINEDISCONNECTMODE_PICKUP = 0x00000008;
inline constexpr std::uint32_t LINEDISCONNECTMODE_FORWARDED = 0x00000010;
inline constexpr std::uint32_t LINEDISCONNECTMODE_BUSY = 0x00000020;
inline constexpr std::uint32_t LINEDISCONNECTMODE_NOANSWER = 0x00000040;
inline constexpr std::uint32_t LINEDISCONNECTMODE_BADADDRESS = 0x00000080;
inline constexpr std::uint32_t LINEDISCONNECTMODE_UNREACHABLE = 0x00000100;
inline constexpr std::uint32_t LINEDISCONNECTMODE_CONGESTION = 0x00000200;
inline constexpr std::uint32_t LINEDISCONNECTMODE_INCOMPATIBLE = 0x00000400;
inline constexpr std::uint32_t LINEDISCONNECTMODE_UNAVAIL = 0x00000800;
inline constexpr std::uint32_t LINEDISCONNECTMODE_NODIALTONE = 0x00001000;
inline constexpr std::uint32_t LINEDISCONNECTMODE_NUMBERCHANGED = 0x00002000;
inline constexpr std::uint32_t LINEDISCONNECTMODE_OUTOFORDER = 0x00004000;
inline constexpr std::uint32_t LINEDISCONNECTMODE_TEMPFAILURE = 0x00008000;
inline constexpr std::uint32_t LINEDISCONNECTMODE_QOSUNAVAIL = 0x00010000;
inline constexpr std::uint32_t LINEDISCONNECTMODE_BLOCKED = 0x00020000;
inline constexpr std::uint32_t LINEDISCONNECTMODE_DONOTDISTURB = 0x00040000;
inline constexpr std::uint32_t LINEDISCONNECTMODE_CANCELLED = 0x00080000;

// Mode of LINECALLSTATE_SPECIALINFO.
inline constexpr std::uint32_t LINESPECIALINFO_NOCIRCUIT = 0x00000001;
inline constexpr std::uint32_t LINESPECIALINFO_CUSTIRREG = 0x00000002;
inline constexpr std::uint32_t LINESPECIALINFO_REORDER = 0x00000004;
inline constexpr std::uint32_t LINESPECIALINFO_UNKNOWN = 0x00000008;
inline constexpr std::uint32_t LINESPECIALINFO_UNAVAIL = 0x00000010;

// Where a call came from; 0x8 is unassigned.
inline constexpr std::uint32_t LINECALLORIGIN_OUTBOUND = 0x00000001;
inline constexpr std::uint32_t LINECALLORIGIN_INTERNAL = 0x00000002;
inline constexpr std::uint32_t LINECALLORIGIN_EXTERNAL = 0x00000004;
inline constexpr std::uint32_t LINECALLORIGIN_UNKNOWN = 0x00000010;
inline constexpr std::uint32_t LINECALLORIGIN_UNAVAIL = 0x00000020;
inline constexpr std::uint32_t LINECALLORIGIN_CONFERENCE = 0x00000040;
inline constexpr std::uint32_t LINECALLORIGIN_INBOUND = 0x00000080;

// Why a call was offered.
inline constexpr std::uint32_t LINECALLREASON_DIRECT = 0x00000001;
inline constexpr std::uint32_t LINECALLREASON_FWDBUSY = 0x00000002;
inline constexpr std::uint32_t LINECALLREASON_FWDNOANSWER = 0x00000004;
inline constexpr std::uint32_t LINECALLREASON_FWDUNCOND = 0x00000008;
inline constexpr std::uint32_t LINECALLREASON_PICKUP = 0x00000010;
inline constexpr std::uint32_t LINECALLREASON_UNPARK = 0x00000020;
inline constexpr std::uint32_t LINECALLREASON_REDIRECT = 0x00000040;
inline constexpr std::uint32_t LINECALLREASON_CALLCOMPLETION = 0x00000080;
inline constexpr std::uint32_t LINECALLREASON_TRANSFER = 0x00000100;
inline constexpr std::uint32_t LINECALLREASON_REMINDER = 0x00000200;
inline constexpr std::uint32_t LINECALLREASON_UNKNOWN = 0x00000400;
inline constexpr std::uint32_t LINECALLREASON_UNAVAIL = 0x00000800;
inline constexpr std::uint32_t LINECALLREASON_INTRUDE = 0x00001000;
inline constexpr std::uint32_t LINECALLREASON_PARKED = 0x00002000;
inline constexpr std::uint32_t LINECALLREASON_CAMPEDON = 0x00004000;
inline constexpr std::uint32_t LINECALLREASON_ROUTEREQUEST = 0x00008000;

// Media modes of a call; bit 0x1 is reserved.
inline constexpr std::uint32_t LINEMEDIAMODE_UNKNOWN = 0x00000002;
inline constexpr std::uint32_t LINEMEDIAMODE_INTERACTIVEVOICE = 0x00000004;
inline constexpr std::uint32_t LINEMEDIAMODE_AUTOMATEDVOICE = 0x00000008;
inline constexpr std::uint32_t LINEMEDIAMODE_DATAMODEM = 0x00000010;
inline constexpr std::uint32_t LINEMEDIAMODE_G3FAX = 0x00000020;
inline constexpr std::uint32_t LINEMEDIAMODE_TDD = 0x00000040;
inline constexpr std::uint32_t LINEMEDIAMODE_G4FAX = 0x00000080;
inline constexpr std::uint32_t LINEMEDIAMODE_DIGITALDATA = 0x00000100;
inline constexpr std::uint32_t LINEMEDIAMODE_TELETEX = 0x00000200;
inline constexpr std::uint32_t LINEMEDIAMODE_VIDEOTEX = 0x00000400;
inline constexpr std::uint32_t LINEMEDIAMODE_TELEX = 0x00000800;
inline constexpr std::uint32_t LINEMEDIAMODE_MIXED = 0x00001000;
inline constexpr std::uint32_t LINEMEDIAMODE_ADSI = 0x00002000;
inline constexpr std::uint32_t LINEMEDIAMODE_VOICEVIEW = 0x00004000;
inline constexpr std::uint32_t LINEMEDIAMODE_VIDEO = 0x00008000;

// Terminal device kinds.
inline constexpr std::uint32_t LINETERMDEV_PHONE = 0x00000001;
inline constexpr std::uint32_t LINETERMDEV_HEADSET = 0x00000002;
inline constexpr std::uint32_t LINETERMDEV_SPEAKER = 0x00000004;

// What a terminal carries.
inline constexpr std::uint32_t LINETERMMODE_BUTTONS = 0x00000001;
inline constexpr std::uint32_t LINETERMMODE_LAMPS = 0x00000002;
inline constexpr std::uint32_t LINETERMMODE_DISPLAY = 0x00000004;
inline constexpr std::uint32_t LINETERMMODE_RINGER = 0x00000008;
inline constexpr std::uint32_t LINETERMMODE_HOOKSWITCH = 0x00000010;
inline constexpr std::uint32_t LINETERMMODE_MEDIATOLINE = 0x00000020;
inline constexpr std::uint32_t LINETERMMODE_MEDIAFROMLINE = 0x00000040;
inline constexpr std::uint32_t LINETERMMODE_MEDIABIDIRECT = 0x00000080;

// How a terminal is shared between addresses.
inline constexpr std::uint32_t LINETERMSHARING_PRIVATE = 0x00000001;
inline constexpr std::uint32_t LINETERMSHARING_SHAREDEXCL = 0x00000002;
inline constexpr std::uint32_t LINETERMSHARING_SHAREDCONF = 0x00000004;

// Address status items reported as changed by LINE_ADDRESSSTATE.
inline constexpr std::uint32_t LINEADDRESSSTATE_OTHER = 0x00000001;
inline constexpr std::uint32_t LINEADDRESSSTATE_DEVSPECIFIC = 0x00000002;
inline constexpr std::uint32_t LINEADDRESSSTATE_INUSEZERO = 0x00000004;
inline constexpr std::uint32_t LINEADDRESSSTATE_INUSEONE = 0x00000008;
inline constexpr std::uint32_t LINEADDRESSSTATE_INUSEMANY = 0x00000010;
inline constexpr std::uint32_t LINEADDRESSSTATE_NUMCALLS = 0x00000020;
inline constexpr std::uint32_t LINEADDRESSSTATE_FORWARD = 0x00000040;
inline constexpr std::uint32_t LINEADDRESSSTATE_TERMINALS = 0x00000080;
inline constexpr std::uint32_t LINEADDRESSSTATE_CAPSCHANGE = 0x00000100;

// Line device capability flags. From MSP upwards these follow this suite's numbering,
// which has PARTICIPANTINFO at 0x400; the current Windows SDK has no PARTICIPANTINFO and
// puts CALLHUB at 0x400, CALLHUBTRACKING at 0x800 and PRIVATEOBJECTS at 0x1000.
inline constexpr std::uint32_t LINEDEVCAPFLAGS_CROSSADDRCONF = 0x00000001;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_HIGHLEVCOMP = 0x00000002;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_LOWLEVCOMP = 0x00000004;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_MEDIACONTROL = 0x00000008;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_MULTIPLEADDR = 0x00000010;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_CLOSEDROP = 0x00000020;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_DIALBILLING = 0x00000040;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_DIALQUIET = 0x00000080;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_DIALDIALTONE = 0x00000100;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_MSP = 0x00000200;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_PARTICIPANTINFO = 0x00000400;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_CALLHUB = 0x00000800;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_CALLHUBTRACKING = 0x00001000;
inline constexpr std::uint32_t LINEDEVCAPFLAGS_PRIVATEOBJECTS = 0x00002000;

// Line device status items reported as changed by LINE_LINEDEVSTATE.
inline constexpr std::uint32_t LINEDEVSTATE_OTHER = 0x00000001;
inline constexpr std::uint32_t LINEDEVSTATE_RINGING = 0x00000002;
inline constexpr std::uint32_t LINEDEVSTATE_CONNECTED = 0x00000004;
inline constexpr std::uint32_t LINEDEVSTATE_DISCONNECTED = 0x00000008;
inline constexpr std::uint32_t LINEDEVSTATE_MSGWAITON = 0x00000010;
inline constexpr std::uint32_t LINEDEVSTATE_MSGWAITOFF = 0x00000020;
inline constexpr std::uint32_t LINEDEVSTATE_INSERVICE = 0x00000040;
inline constexpr std::uint32_t LINEDEVSTATE_OUTOFSERVICE = 0x00000080;
inline constexpr std::uint32_t LINEDEVSTATE_MAINTENANCE = 0x00000100;
inline constexpr std::uint32_t LINEDEVSTATE_OPEN = 0x00000200;
inline constexpr std::uint32_t LINEDEVSTATE_CLOSE = 0x00000400;
inline constexpr std::uint32_t LINEDEVSTATE_NUMCALLS = 0x00000800;
inline constexpr std::uint32_t LINEDEVSTATE_NUMCOMPLETIONS = 0x00001000;
inline constexpr std::uint32_t LINEDEVSTATE_TERMINALS = 0x00002000;
inline constexpr std::uint32_t LINEDEVSTATE_ROAMMODE = 0x00004000;
inline constexpr std::uint32_t LINEDEVSTATE_BATTERY = 0x00008000;
inline constexpr std::uint32_t LINEDEVSTATE_SIGNAL = 0x00010000;
inline constexpr std::uint32_t LINEDEVSTATE_DEVSPECIFIC = 0x00020000;
inline constexpr std::uint32_t LINEDEVSTATE_REINIT = 0x00040000;
inline constexpr std::uint32_t LINEDEVSTATE_LOCK = 0x00080000;
inline constexpr std::uint32_t LINEDEVSTATE_CAPSCHANGE = 0x00100000;
inline constexpr std::uint32_t LINEDEVSTATE_CONFIGCHANGE = 0x00200000;
inline constexpr std::uint32_t LINEDEVSTATE_TRANSLATECHANGE = 0x00400000;
inline constexpr std::uint32_t LINEDEVSTATE_COMPLCANCEL = 0x00800000;
inline constexpr std::uint32_t LINEDEVSTATE_REMOVED = 0x01000000;

// Which party leaves a conference when one is removed (enumeration).
inline constexpr std::uint32_t LINEREMOVEFROMCONF_NONE = 1;
inline constexpr std::uint32_t LINEREMOVEFROMCONF_LAST = 2;
inline constexpr std::uint32_t LINEREMOVEFROMCONF_ANY = 3;

// How a consultation transfer completes (enumeration).
inline constexpr std::uint32_t LINETRANSFERMODE_TRANSFER = 1;
inline constexpr std::uint32_t LINETRANSFERMODE_CONFERENCE = 2;

// How a call is parked (enumeration).
inline constexpr std::uint32_t LINEPARKMODE_DIRECTED = 1;
inline constexpr std::uint32_t LINEPARKMODE_NONDIRECTED = 2;

// Operations currently possible on a line device.
inline constexpr std::uint32_t LINEFEATURE_DEVSPECIFIC = 0x00000001;
inline constexpr std::uint32_t LINEFEATURE_DEVSPECIFICFEAT = 0x00000002;
inline constexpr std::uint32_t LINEFEATURE_FORWARD = 0x00000004;
inline constexpr std::uint32_t LINEFEATURE_MAKECALL = 0x00000008;
inline constexpr std::uint32_t LINEFEATURE_SETMEDIACONTROL = 0x00000010;
inline constexpr std::uint32_t LINEFEATURE_SETTERMINAL = 0x00000020;
inline constexpr std::uint32_t LINEFEATURE_SETDEVSTATUS = 0x00000040;
inline constexpr std::uint32_t LINEFEATURE_FORWARDFWD = 0x00000080;
inline constexpr std::uint32_t LINEFEATURE_FORWARDDND = 0x00000100;

// Options of a call's parameter block.
inline constexpr std::uint32_t LINECALLPARAMFLAGS_SECURE = 0x00000001;
inline constexpr std::uint32_t LINECALLPARAMFLAGS_IDLE = 0x00000002;
inline constexpr std::uint32_t LINECALLPARAMFLAGS_BLOCKID = 0x00000004;
inline constexpr std::uint32_t LINECALLPARAMFLAGS_ORIGOFFHOOK = 0x00000008;
inline constexpr std::uint32_t LINECALLPARAMFLAGS_DESTOFFHOOK = 0x00000010;
inline constexpr std::uint32_t LINECALLPARAMFLAGS_NOHOLDCONFERENCE = 0x00000020;
inline constexpr std::uint32_t LINECALLPARAMFLAGS_PREDICTIVEDIAL = 0x00000040;
inline constexpr std::uint32_t LINECALLPARAMFLAGS_ONESTEPTRANSFER = 0x00000080;

// Forwarding conditions.
inline constexpr std::uint32_t LINEFORWARDMODE_UNCOND = 0x00000001;
inline constexpr std::uint32_t LINEFORWARDMODE_UNCONDINTERNAL = 0x00000002;
inline constexpr std::uint32_t LINEFORWARDMODE_UNCONDEXTERNAL = 0x00000004;
inline constexpr std::uint32_t LINEFORWARDMODE_UNCONDSPECIFIC = 0x00000008;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSY = 0x00000010;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSYINTERNAL = 0x00000020;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSYEXTERNAL = 0x00000040;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSYSPECIFIC = 0x00000080;
inline constexpr std::uint32_t LINEFORWARDMODE_NOANSW = 0x00000100;
inline constexpr std::uint32_t LINEFORWARDMODE_NOANSWINTERNAL = 0x00000200;
inline constexpr std::uint32_t LINEFORWARDMODE_NOANSWEXTERNAL = 0x00000400;
inline constexpr std::uint32_t LINEFORWARDMODE_NOANSWSPECIFIC = 0x00000800;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSYNA = 0x00001000;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSYNAINTERNAL = 0x00002000;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSYNAEXTERNAL = 0x00004000;
inline constexpr std::uint32_t LINEFORWARDMODE_BUSYNASPECIFIC = 0x00008000;
inline constexpr std::uint32_t LINEFORWARDMODE_UNKNOWN = 0x00010000;
inline constexpr std::uint32_t LINEFORWARDMODE_UNAVAIL = 0x00020000;

// Operations currently possible on an address.
inline constexpr std::uint32_t LINEADDRFEATURE_FORWARD = 0x00000001;
inline constexpr std::uint32_t LINEADDRFEATURE_MAKECALL = 0x00000002;
inline constexpr std::uint32_t LINEADDRFEATURE_PICKUP = 0x00000004;
inline constexpr std::uint32_t LINEADDRFEATURE_SETMEDIACONTROL = 0x00000008;
inline constexpr std::uint32_t LINEADDRFEATURE_SETTERMINAL = 0x00000010;
inline constexpr std::uint32_t LINEADDRFEATURE_SETUPCONF = 0x00000020;
inline constexpr std::uint32_t LINEADDRFEATURE_UNCOMPLETECALL = 0x00000040;
inline constexpr std::uint32_t LINEADDRFEATURE_UNPARK = 0x00000080;
inline constexpr std::uint32_t LINEADDRFEATURE_PICKUPHELD = 0x00000100;
inline constexpr std::uint32_t LINEADDRFEATURE_PICKUPGROUP = 0x00000200;
inline constexpr std::uint32_t LINEADDRFEATURE_PICKUPDIRECT = 0x00000400;
inline constexpr std::uint32_t LINEADDRFEATURE_PICKUPWAITING = 0x00000800;
inline constexpr std::uint32_t LINEADDRFEATURE_FORWARDFWD = 0x00001000;
inline constexpr std::uint32_t LINEADDRFEATURE_FORWARDDND = 0x00002000;

// What answering a call does to the active one.
inline constexpr std::uint32_t LINEANSWERMODE_NONE = 0x00000001;
inline constexpr std::uint32_t LINEANSWERMODE_DROP = 0x00000002;
inline constexpr std::uint32_t LINEANSWERMODE_HOLD = 0x00000004;

// Mode of LINECALLSTATE_CONNECTED.
inline constexpr std::uint32_t LINECONNECTEDMODE_ACTIVE = 0x00000001;
inline constexpr std::uint32_t LINECONNECTEDMODE_INACTIVE = 0x00000002;
inline constexpr std::uint32_t LINECONNECTEDMODE_ACTIVEHELD = 0x00000004;
inline constexpr std::uint32_t LINECONNECTEDMODE_INACTIVEHELD = 0x00000008;
inline constexpr std::uint32_t LINECONNECTEDMODE_CONFIRMED = 0x00000010;

// Mode of LINECALLSTATE_OFFERING.
inline constexpr std::uint32_t LINEOFFERINGMODE_ACTIVE = 0x00000001;
inline constexpr std::uint32_t LINEOFFERINGMODE_INACTIVE = 0x00000002;

// ---------------------------------------------------------------------------------------
// Phone device flags
// ---------------------------------------------------------------------------------------

// Phone status items reported as changed by PHONE_STATE.
inline constexpr std::uint32_t PHONESTATE_OTHER = 0x00000001;
inline constexpr std::uint32_t PHONESTATE_CONNECTED = 0x00000002;
inline constexpr std::uint32_t PHONESTATE_DISCONNECTED = 0x00000004;
inline constexpr std::uint32_t PHONESTATE_OWNER = 0x00000008;
inline constexpr std::uint32_t PHONESTATE_MONITORS = 0x00000010;
inline constexpr std::uint32_t PHONESTATE_DISPLAY = 0x00000020;
inline constexpr std::uint32_t PHONESTATE_LAMP = 0x00000040;
inline constexpr std::uint32_t PHONESTATE_RINGMODE = 0x00000080;
inline constexpr std::uint32_t PHONESTATE_RINGVOLUME = 0x00000100;
inline constexpr std::uint32_t PHONESTATE_HANDSETHOOKSWITCH = 0x00000200;
inline constexpr std::uint32_t PHONESTATE_HANDSETVOLUME = 0x00000400;
inline constexpr std::uint32_t PHONESTATE_HANDSETGAIN = 0x00000800;
inline constexpr std::uint32_t PHONESTATE_SPEAKERHOOKSWITCH = 0x00001000;
inline constexpr std::uint32_t PHONESTATE_SPEAKERVOLUME = 0x00002000;
inline constexpr std::uint32_t PHONESTATE_SPEAKERGAIN = 0x00004000;
inline constexpr std::uint32_t PHONESTATE_HEADSETHOOKSWITCH = 0x00008000;
inline constexpr std::uint32_t PHONESTATE_HEADSETVOLUME = 0x00010000;
inline constexpr std::uint32_t PHONESTATE_HEADSETGAIN = 0x00020000;
inline constexpr std::uint32_t PHONESTATE_SUSPEND = 0x00040000;
inline constexpr std::uint32_t PHONESTATE_RESUME = 0x00080000;
inline constexpr std::uint32_t PHONESTATE_DEVSPECIFIC = 0x00100000;
inline constexpr std::uint32_t PHONESTATE_REINIT = 0x00200000;
inline constexpr std::uint32_t PHONESTATE_CAPSCHANGE = 0x00400000;
inline constexpr std::uint32_t PHONESTATE_REMOVED = 0x00800000;

// Hook switch devices of a phone.
inline constexpr std::uint32_t PHONEHOOKSWITCHDEV_HANDSET = 0x00000001;
inline constexpr std::uint32_t PHONEHOOKSWITCHDEV_SPEAKER = 0x00000002;
inline constexpr std::uint32_t PHONEHOOKSWITCHDEV_HEADSET = 0x00000004;

// Hook switch positions.
inline constexpr std::uint32_t PHONEHOOKSWITCHMODE_ONHOOK = 0x00000001;
inline constexpr std::uint32_t PHONEHOOKSWITCHMODE_MIC = 0x00000002;
inline constexpr std::uint32_t PHONEHOOKSWITCHMODE_SPEAKER = 0x00000004;
inline constexpr std::uint32_t PHONEHOOKSWITCHMODE_MICSPEAKER = 0x00000008;
inline constexpr std::uint32_t PHONEHOOKSWITCHMODE_UNKNOWN = 0x00000010;

// ---------------------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------------------

// Message numbers delivered to the line and phone callbacks. 0 to 26 are TAPI's; 27 to 34
// follow this suite's numbering, whereas the current Windows SDK numbers them
// AGENTSESSIONSTATUS 27, QUEUESTATUS 28, AGENTSTATUSEX 29, GROUPSTATUS 30, PROXYSTATUS 31,
// APPNEWCALLHUB 32, CALLHUBCLOSE 33, DEVSPECIFICEX 34.
inline constexpr std::uint32_t LINE_ADDRESSSTATE = 0;
inline constexpr std::uint32_t LINE_CALLINFO = 1;
inline constexpr std::uint32_t LINE_CALLSTATE = 2;
inline constexpr std::uint32_t LINE_CLOSE = 3;
inline constexpr std::uint32_t LINE_DEVSPECIFIC = 4;
inline constexpr std::uint32_t LINE_DEVSPECIFICFEATURE = 5;
inline constexpr std::uint32_t LINE_GATHERDIGITS = 6;
inline constexpr std::uint32_t LINE_GENERATE = 7;
inline constexpr std::uint32_t LINE_LINEDEVSTATE = 8;
inline constexpr std::uint32_t LINE_MONITORDIGITS = 9;
inline constexpr std::uint32_t LINE_MONITORMEDIA = 10;
inline constexpr std::uint32_t LINE_MONITORTONE = 11;
inline constexpr std::uint32_t LINE_REPLY = 12;
inline constexpr std::uint32_t LINE_REQUEST = 13;
inline constexpr std::uint32_t PHONE_BUTTON = 14;
inline constexpr std::uint32_t PHONE_CLOSE = 15;
inline constexpr std::uint32_t PHONE_DEVSPECIFIC = 16;
inline constexpr std::uint32_t PHONE_REPLY = 17;
inline constexpr std::uint32_t PHONE_STATE = 18;
inline constexpr std::uint32_t LINE_CREATE = 19;
inline constexpr std::uint32_t PHONE_CREATE = 20;
inline constexpr std::uint32_t LINE_AGENTSPECIFIC = 21;
inline constexpr std::uint32_t LINE_AGENTSTATUS = 22;
inline constexpr std::uint32_t LINE_APPNEWCALL = 23;
inline constexpr std::uint32_t LINE_PROXYREQUEST = 24;
inline constexpr std::uint32_t LINE_REMOVE = 25;
inline constexpr std::uint32_t PHONE_REMOVE = 26;
inline constexpr std::uint32_t LINE_APPNEWCALLHUB = 27;
inline constexpr std::uint32_t LINE_CALLHUBCLOSE = 28;
inline constexpr std::uint32_t LINE_AGENTSESSIONSTATUS = 29;
inline constexpr std::uint32_t LINE_QUEUESTATUS = 30;
inline constexpr std::uint32_t LINE_DEVSPECIFICEX = 31;
inline constexpr std::uint32_t LINE_AGENTSTATUSEX = 32;
inline constexpr std::uint32_t LINE_GROUPSTATUS = 33;
inline constexpr std::uint32_t LINE_PROXYSTATUS = 34;

// ---------------------------------------------------------------------------------------
// Further API constants: options, selectors and modes that the functions take
// ---------------------------------------------------------------------------------------

// API versions the service speaks.
inline constexpr std::uint32_t TAPI_VERSION1_0 = 0x00010003;
inline constexpr std::uint32_t TAPI_VERSION1_4 = 0x00010004;
inline constexpr std::uint32_t TAPI_VERSION2_0 = 0x00020000;
inline constexpr std::uint32_t TAPI_VERSION2_1 = 0x00020001;
inline constexpr std::uint32_t TAPI_VERSION2_2 = 0x00020002;
inline constexpr std::uint32_t TAPI_CURRENT_VERSION = TAPI_VERSION2_2;

// lineInitializeEx and phoneInitializeEx options.
inline constexpr std::uint32_t LINEINITIALIZEEXOPTION_USEHIDDENWINDOW = 0x00000001;
inline constexpr std::uint32_t LINEINITIALIZEEXOPTION_USEEVENT = 0x00000002;
inline constexpr std::uint32_t LINEINITIALIZEEXOPTION_USECOMPLETIONPORT = 0x00000003;
inline constexpr std::uint32_t PHONEINITIALIZEEXOPTION_USEHIDDENWINDOW = 0x00000001;

// Call privileges.
inline constexpr std::uint32_t LINECALLPRIVILEGE_NONE = 0x00000001;
inline constexpr std::uint32_t LINECALLPRIVILEGE_MONITOR = 0x00000002;
inline constexpr std::uint32_t LINECALLPRIVILEGE_OWNER = 0x00000004;

// Which calls lineGetNewCalls reports.
inline constexpr std::uint32_t LINECALLSELECT_LINE = 0x00000001;
inline constexpr std::uint32_t LINECALLSELECT_ADDRESS = 0x00000002;
inline constexpr std::uint32_t LINECALLSELECT_CALL = 0x00000004;

// Address modes.
inline constexpr std::uint32_t LINEADDRESSMODE_ADDRESSID = 0x00000001;
inline constexpr std::uint32_t LINEADDRESSMODE_DIALABLEADDR = 0x00000002;

// Address sharing.
inline constexpr std::uint32_t LINEADDRESSSHARING_PRIVATE = 0x00000001;
inline constexpr std::uint32_t LINEADDRESSSHARING_BRIDGEDEXCL = 0x00000002;
inline constexpr std::uint32_t LINEADDRESSSHARING_BRIDGEDNEW = 0x00000004;
inline constexpr std::uint32_t LINEADDRESSSHARING_BRIDGEDSHARED = 0x00000008;
inline constexpr std::uint32_t LINEADDRESSSHARING_MONITORED = 0x00000010;

// String formats of variable-size fields.
inline constexpr std::uint32_t STRINGFORMAT_ASCII = 0x00000001;
inline constexpr std::uint32_t STRINGFORMAT_DBCS = 0x00000002;
inline constexpr std::uint32_t STRINGFORMAT_UNICODE = 0x00000003;
inline constexpr std::uint32_t STRINGFORMAT_BINARY = 0x00000004;

// Digit modes.
inline constexpr std::uint32_t LINEDIGITMODE_PULSE = 0x00000001;
inline constexpr std::uint32_t LINEDIGITMODE_DTMF = 0x00000002;
inline constexpr std::uint32_t LINEDIGITMODE_DTMFEND = 0x00000004;

// How digit gathering and generation ended.
inline constexpr std::uint32_t LINEGATHERTERM_BUFFERFULL = 0x00000001;
inline constexpr std::uint32_t LINEGATHERTERM_TERMDIGIT = 0x00000002;
inline constexpr std::uint32_t LINEGATHERTERM_FIRSTTIMEOUT = 0x00000004;
inline constexpr std::uint32_t LINEGATHERTERM_INTERTIMEOUT = 0x00000008;
inline constexpr std::uint32_t LINEGATHERTERM_CANCEL = 0x00000010;
inline constexpr std::uint32_t LINEGENERATETERM_DONE = 0x00000001;
inline constexpr std::uint32_t LINEGENERATETERM_CANCEL = 0x00000002;

// Address translation.
inline constexpr std::uint32_t LINETRANSLATEOPTION_CARDOVERRIDE = 0x00000001;
inline constexpr std::uint32_t LINETRANSLATEOPTION_CANCELCALLWAITING = 0x00000002;
inline constexpr std::uint32_t LINETRANSLATEOPTION_FORCELOCAL = 0x00000004;
inline constexpr std::uint32_t LINETRANSLATEOPTION_FORCELD = 0x00000008;
inline constexpr std::uint32_t LINETRANSLATERESULT_CANONICAL = 0x00000001;
inline constexpr std::uint32_t LINETRANSLATERESULT_INTERNATIONAL = 0x00000002;
inline constexpr std::uint32_t LINETRANSLATERESULT_LONGDISTANCE = 0x00000004;
inline constexpr std::uint32_t LINETRANSLATERESULT_LOCAL = 0x00000008;
inline constexpr std::uint32_t LINETRANSLATERESULT_INTOLLLIST = 0x00000010;
inline constexpr std::uint32_t LINETRANSLATERESULT_NOTINTOLLLIST = 0x00000020;
inline constexpr std::uint32_t LINETRANSLATERESULT_DIALBILLING = 0x00000040;
inline constexpr std::uint32_t LINETRANSLATERESULT_DIALQUIET = 0x00000080;
inline constexpr std::uint32_t LINETRANSLATERESULT_DIALDIALTONE = 0x00000100;
inline constexpr std::uint32_t LINETRANSLATERESULT_DIALPROMPT = 0x00000200;
inline constexpr std::uint32_t LINETRANSLATERESULT_VOICEDETECT = 0x00000400;

// Line device status flags.
inline constexpr std::uint32_t LINEDEVSTATUSFLAGS_CONNECTED = 0x00000001;
inline constexpr std::uint32_t LINEDEVSTATUSFLAGS_MSGWAIT = 0x00000002;
inline constexpr std::uint32_t LINEDEVSTATUSFLAGS_INSERVICE = 0x00000004;
inline constexpr std::uint32_t LINEDEVSTATUSFLAGS_LOCKED = 0x00000008;

// lineOpen: any device that can do the media modes asked for.
inline constexpr std::uint32_t LINEMAPPER = 0xFFFFFFFF;

// Phone privileges, features and status flags.
inline constexpr std::uint32_t PHONEPRIVILEGE_MONITOR = 0x00000001;
inline constexpr std::uint32_t PHONEPRIVILEGE_OWNER = 0x00000002;
inline constexpr std::uint32_t PHONESTATUSFLAGS_CONNECTED = 0x00000001;
inline constexpr std::uint32_t PHONESTATUSFLAGS_SUSPENDED = 0x00000002;
inline constexpr std::uint32_t PHONEFEATURE_GETBUTTONINFO = 0x00000001;
inline constexpr std::uint32_t PHONEFEATURE_GETDATA = 0x00000002;
inline constexpr std::uint32_t PHONEFEATURE_GETDISPLAY = 0x00000004;
inline constexpr std::uint32_t PHONEFEATURE_GETGAINHANDSET = 0x00000008;
inline constexpr std::uint32_t PHONEFEATURE_GETGAINSPEAKER = 0x00000010;
inline constexpr std::uint32_t PHONEFEATURE_GETGAINHEADSET = 0x00000020;
inline constexpr std::uint32_t PHONEFEATURE_GETHOOKSWITCHHANDSET = 0x00000040;
inline constexpr std::uint32_t PHONEFEATURE_GETHOOKSWITCHSPEAKER = 0x00000080;
inline constexpr std::uint32_t PHONEFEATURE_GETHOOKSWITCHHEADSET = 0x00000100;
inline constexpr std::uint32_t PHONEFEATURE_GETLAMP = 0x00000200;
inline constexpr std::uint32_t PHONEFEATURE_GETRING = 0x00000400;
inline constexpr std::uint32_t PHONEFEATURE_GETVOLUMEHANDSET = 0x00000800;
inline constexpr std::uint32_t PHONEFEATURE_GETVOLUMESPEAKER = 0x00001000;
inline constexpr std::uint32_t PHONEFEATURE_GETVOLUMEHEADSET = 0x00002000;
inline constexpr std::uint32_t PHONEFEATURE_SETBUTTONINFO = 0x00004000;
inline constexpr std::uint32_t PHONEFEATURE_SETDATA = 0x00008000;
inline constexpr std::uint32_t PHONEFEATURE_SETDISPLAY = 0x00010000;
inline constexpr std::uint32_t PHONEFEATURE_SETGAINHANDSET = 0x00020000;
inline constexpr std::uint32_t PHONEFEATURE_SETGAINSPEAKER = 0x00040000;
inline constexpr std::uint32_t PHONEFEATURE_SETGAINHEADSET = 0x00080000;
inline constexpr std::uint32_t PHONEFEATURE_SETHOOKSWITCHHANDSET = 0x00100000;
inline constexpr std::uint32_t PHONEFEATURE_SETHOOKSWITCHSPEAKER = 0x00200000;
inline constexpr std::uint32_t PHONEFEATURE_SETHOOKSWITCHHEADSET = 0x00400000;
inline constexpr std::uint32_t PHONEFEATURE_SETLAMP = 0x00800000;
inline constexpr std::uint32_t PHONEFEATURE_SETRING = 0x01000000;
inline constexpr std::uint32_t PHONEFEATURE_SETVOLUMEHANDSET = 0x02000000;
inline constexpr std::uint32_t PHONEFEATURE_SETVOLUMESPEAKER = 0x04000000;
inline constexpr std::uint32_t PHONEFEATURE_SETVOLUMEHEADSET = 0x08000000;

// Phone button modes and states, for phoneSetStatusMessages.
inline constexpr std::uint32_t PHONEBUTTONMODE_DUMMY = 0x00000001;
inline constexpr std::uint32_t PHONEBUTTONMODE_CALL = 0x00000002;
inline constexpr std::uint32_t PHONEBUTTONMODE_FEATURE = 0x00000004;
inline constexpr std::uint32_t PHONEBUTTONMODE_KEYPAD = 0x00000008;
inline constexpr std::uint32_t PHONEBUTTONMODE_LOCAL = 0x00000010;
inline constexpr std::uint32_t PHONEBUTTONMODE_DISPLAY = 0x00000020;
inline constexpr std::uint32_t PHONEBUTTONSTATE_UP = 0x00000001;
inline constexpr std::uint32_t PHONEBUTTONSTATE_DOWN = 0x00000002;
