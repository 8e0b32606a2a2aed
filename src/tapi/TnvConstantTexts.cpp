// Name tables for the TAPI constant families and the message helpers built on them.
// Entries are generated from TapiConstants.h so a name can never drift from its value.
#include "TnvConstantTexts.h"

#include "TapiConstants.h"

#include <QChar>

#include <cstring>

QString TapiNameTable::text(quint32 value) const
{
    const char* name = nameOf(value);
    const QLatin1StringView prefix(m_prefix);
    const QLatin1StringView rest(name ? name : "???");
    // Sized once: these texts are written for every flag of every traced structure.
    QString result;
    result.reserve(prefix.size() + rest.size());
    result.append(prefix);
    result.append(rest);
    return result;
}

namespace {

#define E(prefix, name) TapiName{prefix##name, #name}

constexpr TapiName kBearerModes[] = {
    E(LINEBEARERMODE_, VOICE), E(LINEBEARERMODE_, SPEECH), E(LINEBEARERMODE_, MULTIUSE),
    E(LINEBEARERMODE_, DATA), E(LINEBEARERMODE_, ALTSPEECHDATA),
    E(LINEBEARERMODE_, NONCALLSIGNALING), E(LINEBEARERMODE_, PASSTHROUGH),
    E(LINEBEARERMODE_, RESTRICTEDDATA)};

constexpr TapiName kToneModes[] = {
    E(LINETONEMODE_, NONE), E(LINETONEMODE_, CUSTOM), E(LINETONEMODE_, RINGBACK),
    E(LINETONEMODE_, BUSY), E(LINETONEMODE_, BEEP), E(LINETONEMODE_, BILLING)};

constexpr TapiName kAddressCapFlags[] = {
    E(LINEADDRCAPFLAGS_, FWDNUMRINGS), E(LINEADDRCAPFLAGS_, PICKUPGROUPID),
    E(LINEADDRCAPFLAGS_, SECURE), E(LINEADDRCAPFLAGS_, BLOCKIDDEFAULT),
    E(LINEADDRCAPFLAGS_, BLOCKIDOVERRIDE), E(LINEADDRCAPFLAGS_, DIALED),
    E(LINEADDRCAPFLAGS_, ORIGOFFHOOK), E(LINEADDRCAPFLAGS_, DESTOFFHOOK),
    E(LINEADDRCAPFLAGS_, FWDCONSULT), E(LINEADDRCAPFLAGS_, SETUPCONFNULL),
    E(LINEADDRCAPFLAGS_, AUTORECONNECT), E(LINEADDRCAPFLAGS_, COMPLETIONID),
    E(LINEADDRCAPFLAGS_, TRANSFERHELD), E(LINEADDRCAPFLAGS_, TRANSFERMAKE),
    E(LINEADDRCAPFLAGS_, CONFERENCEHELD), E(LINEADDRCAPFLAGS_, CONFERENCEMAKE),
    E(LINEADDRCAPFLAGS_, PARTIALDIAL), E(LINEADDRCAPFLAGS_, FWDSTATUSVALID),
    E(LINEADDRCAPFLAGS_, FWDINTEXTADDR), E(LINEADDRCAPFLAGS_, FWDBUSYNAADDR),
    E(LINEADDRCAPFLAGS_, ACCEPTTOALERT), E(LINEADDRCAPFLAGS_, CONFDROP),
    E(LINEADDRCAPFLAGS_, PICKUPCALLWAIT), E(LINEADDRCAPFLAGS_, PREDICTIVEDIALER),
    E(LINEADDRCAPFLAGS_, QUEUE), E(LINEADDRCAPFLAGS_, ROUTEPOINT),
    E(LINEADDRCAPFLAGS_, HOLDMAKESNEW), E(LINEADDRCAPFLAGS_, NOINTERNALCALLS),
    E(LINEADDRCAPFLAGS_, NOEXTERNALCALLS), E(LINEADDRCAPFLAGS_, SETCALLINGID),
    E(LINEADDRCAPFLAGS_, ACDGROUP)};

constexpr TapiName kCallPartyIDs[] = {
    E(LINECALLPARTYID_, BLOCKED), E(LINECALLPARTYID_, OUTOFAREA), E(LINECALLPARTYID_, NAME),
    E(LINECALLPARTYID_, ADDRESS), E(LINECALLPARTYID_, PARTIAL), E(LINECALLPARTYID_, UNKNOWN),
    E(LINECALLPARTYID_, UNAVAIL)};

constexpr TapiName kCallInfoStates[] = {
    E(LINECALLINFOSTATE_, OTHER), E(LINECALLINFOSTATE_, DEVSPECIFIC),
    E(LINECALLINFOSTATE_, BEARERMODE), E(LINECALLINFOSTATE_, RATE),
    E(LINECALLINFOSTATE_, MEDIAMODE), E(LINECALLINFOSTATE_, APPSPECIFIC),
    E(LINECALLINFOSTATE_, CALLID), E(LINECALLINFOSTATE_, RELATEDCALLID),
    E(LINECALLINFOSTATE_, ORIGIN), E(LINECALLINFOSTATE_, REASON),
    E(LINECALLINFOSTATE_, COMPLETIONID), E(LINECALLINFOSTATE_, NUMOWNERINCR),
    E(LINECALLINFOSTATE_, NUMOWNERDECR), E(LINECALLINFOSTATE_, NUMMONITORS),
    E(LINECALLINFOSTATE_, TRUNK), E(LINECALLINFOSTATE_, CALLERID),
    E(LINECALLINFOSTATE_, CALLEDID), E(LINECALLINFOSTATE_, CONNECTEDID),
    E(LINECALLINFOSTATE_, REDIRECTIONID), E(LINECALLINFOSTATE_, REDIRECTINGID),
    E(LINECALLINFOSTATE_, DISPLAY), E(LINECALLINFOSTATE_, USERUSERINFO),
    E(LINECALLINFOSTATE_, HIGHLEVELCOMP), E(LINECALLINFOSTATE_, LOWLEVELCOMP),
    E(LINECALLINFOSTATE_, CHARGINGINFO), E(LINECALLINFOSTATE_, TERMINAL),
    E(LINECALLINFOSTATE_, DIALPARAMS), E(LINECALLINFOSTATE_, MONITORMODES),
    E(LINECALLINFOSTATE_, TREATMENT), E(LINECALLINFOSTATE_, QOS),
    E(LINECALLINFOSTATE_, CALLDATA)};

// The pending-transfer state is traced by its short name, like COMPLETETRANSF.
constexpr TapiName kCallStates[] = {
    E(LINECALLSTATE_, IDLE), E(LINECALLSTATE_, OFFERING), E(LINECALLSTATE_, ACCEPTED),
    E(LINECALLSTATE_, DIALTONE), E(LINECALLSTATE_, DIALING), E(LINECALLSTATE_, RINGBACK),
    E(LINECALLSTATE_, BUSY), E(LINECALLSTATE_, SPECIALINFO), E(LINECALLSTATE_, CONNECTED),
    E(LINECALLSTATE_, PROCEEDING), E(LINECALLSTATE_, ONHOLD), E(LINECALLSTATE_, CONFERENCED),
    E(LINECALLSTATE_, ONHOLDPENDCONF), {LINECALLSTATE_ONHOLDPENDTRANSFER, "ONHOLDPENDTRANSF"},
    E(LINECALLSTATE_, DISCONNECTED), E(LINECALLSTATE_, UNKNOWN)};

constexpr TapiName kCallFeatures[] = {
    E(LINECALLFEATURE_, ACCEPT), E(LINECALLFEATURE_, ADDTOCONF), E(LINECALLFEATURE_, ANSWER),
    E(LINECALLFEATURE_, BLINDTRANSFER), E(LINECALLFEATURE_, COMPLETECALL),
    E(LINECALLFEATURE_, COMPLETETRANSF), E(LINECALLFEATURE_, DIAL), E(LINECALLFEATURE_, DROP),
    E(LINECALLFEATURE_, GATHERDIGITS), E(LINECALLFEATURE_, GENERATEDIGITS),
    E(LINECALLFEATURE_, GENERATETONE), E(LINECALLFEATURE_, HOLD),
    E(LINECALLFEATURE_, MONITORDIGITS), E(LINECALLFEATURE_, MONITORMEDIA),
    E(LINECALLFEATURE_, MONITORTONES), E(LINECALLFEATURE_, PARK),
    E(LINECALLFEATURE_, PREPAREADDCONF), E(LINECALLFEATURE_, REDIRECT),
    E(LINECALLFEATURE_, REMOVEFROMCONF), E(LINECALLFEATURE_, SECURECALL),
    E(LINECALLFEATURE_, SENDUSERUSER), E(LINECALLFEATURE_, SETCALLPARAMS),
    E(LINECALLFEATURE_, SETMEDIACONTROL), E(LINECALLFEATURE_, SETTERMINAL),
    E(LINECALLFEATURE_, SETUPCONF), E(LINECALLFEATURE_, SETUPTRANSFER),
    E(LINECALLFEATURE_, SWAPHOLD), E(LINECALLFEATURE_, UNHOLD),
    E(LINECALLFEATURE_, RELEASEUSERUSERINFO), E(LINECALLFEATURE_, SETTREATMENT),
    E(LINECALLFEATURE_, SETQOS)};

constexpr TapiName kCallFeatures2[] = {
    E(LINECALLFEATURE2_, NOHOLDCONFERENCE), E(LINECALLFEATURE2_, ONESTEPTRANSFER),
    E(LINECALLFEATURE2_, COMPLCAMPON), E(LINECALLFEATURE2_, COMPLCALLBACK),
    E(LINECALLFEATURE2_, COMPLINTRUDE), E(LINECALLFEATURE2_, COMPLMESSAGE),
    E(LINECALLFEATURE2_, TRANSFERNORM), E(LINECALLFEATURE2_, TRANSFERCONF),
    E(LINECALLFEATURE2_, PARKDIRECT), E(LINECALLFEATURE2_, PARKNONDIRECT)};

constexpr TapiName kBusyModes[] = {
    E(LINEBUSYMODE_, STATION), E(LINEBUSYMODE_, TRUNK), E(LINEBUSYMODE_, UNKNOWN),
    E(LINEBUSYMODE_, UNAVAIL)};

constexpr TapiName kDialToneModes[] = {
    E(LINEDIALTONEMODE_, NORMAL), E(LINEDIALTONEMODE_, SPECIAL), E(LINEDIALTONEMODE_, INTERNAL),
    E(LINEDIALTONEMODE_, EXTERNAL), E(LINEDIALTONEMODE_, UNKNOWN), E(LINEDIALTONEMODE_, UNAVAIL)};

constexpr TapiName kDisconnectModes[] = {
    E(LINEDISCONNECTMODE_, NORMAL), E(LINEDISCONNECTMODE_, UNKNOWN),
    E(LINEDISCONNECTMODE_, REJECT), E(LINEDISCONNECTMODE_, PICKUP),
    E(LINEDISCONNECTMODE_, FORWARDED), E(LINEDISCONNECTMODE_, BUSY),
    E(LINEDISCONNECTMODE_, NOANSWER), E(LINEDISCONNECTMODE_, BADADDRESS),
    E(LINEDISCONNECTMODE_, UNREACHABLE), E(LINEDISCONNECTMODE_, CONGESTION),
    E(LINEDISCONNECTMODE_, INCOMPATIBLE), E(LINEDISCONNECTMODE_, UNAVAIL),
    E(LINEDISCONNECTMODE_, NODIALTONE), E(LINEDISCONNECTMODE_, NUMBERCHANGED),
    E(LINEDISCONNECTMODE_, OUTOFORDER), E(LINEDISCONNECTMODE_, TEMPFAILURE),
    E(LINEDISCONNECTMODE_, QOSUNAVAIL), E(LINEDISCONNECTMODE_, BLOCKED),
    E(LINEDISCONNECTMODE_, DONOTDISTURB), E(LINEDISCONNECTMODE_, CANCELLED)};

constexpr TapiName kSpecialInfos[] = {
    E(LINESPECIALINFO_, NOCIRCUIT), E(LINESPECIALINFO_, CUSTIRREG), E(LINESPECIALINFO_, REORDER),
    E(LINESPECIALINFO_, UNKNOWN), E(LINESPECIALINFO_, UNAVAIL)};

constexpr TapiName kCallOrigins[] = {
    E(LINECALLORIGIN_, OUTBOUND), E(LINECALLORIGIN_, INTERNAL), E(LINECALLORIGIN_, EXTERNAL),
    E(LINECALLORIGIN_, UNKNOWN), E(LINECALLORIGIN_, UNAVAIL), E(LINECALLORIGIN_, CONFERENCE),
    E(LINECALLORIGIN_, INBOUND)};

constexpr TapiName kCallReasons[] = {
    E(LINECALLREASON_, DIRECT), E(LINECALLREASON_, FWDBUSY), E(LINECALLREASON_, FWDNOANSWER),
    E(LINECALLREASON_, FWDUNCOND), E(LINECALLREASON_, PICKUP), E(LINECALLREASON_, UNPARK),
    E(LINECALLREASON_, REDIRECT), E(LINECALLREASON_, CALLCOMPLETION),
    E(LINECALLREASON_, TRANSFER), E(LINECALLREASON_, REMINDER), E(LINECALLREASON_, UNKNOWN),
    E(LINECALLREASON_, UNAVAIL), E(LINECALLREASON_, INTRUDE), E(LINECALLREASON_, PARKED),
    E(LINECALLREASON_, CAMPEDON), E(LINECALLREASON_, ROUTEREQUEST)};

constexpr TapiName kMediaModes[] = {
    E(LINEMEDIAMODE_, UNKNOWN), E(LINEMEDIAMODE_, INTERACTIVEVOICE),
    E(LINEMEDIAMODE_, AUTOMATEDVOICE), E(LINEMEDIAMODE_, DATAMODEM), E(LINEMEDIAMODE_, G3FAX),
    E(LINEMEDIAMODE_, TDD), E(LINEMEDIAMODE_, G4FAX), E(LINEMEDIAMODE_, DIGITALDATA),
    E(LINEMEDIAMODE_, TELETEX), E(LINEMEDIAMODE_, VIDEOTEX), E(LINEMEDIAMODE_, TELEX),
    E(LINEMEDIAMODE_, MIXED), E(LINEMEDIAMODE_, ADSI), E(LINEMEDIAMODE_, VOICEVIEW),
    E(LINEMEDIAMODE_, VIDEO)};

constexpr TapiName kTermDevs[] = {
    E(LINETERMDEV_, PHONE), E(LINETERMDEV_, HEADSET), E(LINETERMDEV_, SPEAKER)};

constexpr TapiName kTermModes[] = {
    E(LINETERMMODE_, BUTTONS), E(LINETERMMODE_, LAMPS), E(LINETERMMODE_, DISPLAY),
    E(LINETERMMODE_, RINGER), E(LINETERMMODE_, HOOKSWITCH), E(LINETERMMODE_, MEDIATOLINE),
    E(LINETERMMODE_, MEDIAFROMLINE), E(LINETERMMODE_, MEDIABIDIRECT)};

constexpr TapiName kTermSharings[] = {
    E(LINETERMSHARING_, PRIVATE), E(LINETERMSHARING_, SHAREDEXCL),
    E(LINETERMSHARING_, SHAREDCONF)};

constexpr TapiName kAddressStates[] = {
    E(LINEADDRESSSTATE_, OTHER), E(LINEADDRESSSTATE_, DEVSPECIFIC),
    E(LINEADDRESSSTATE_, INUSEZERO), E(LINEADDRESSSTATE_, INUSEONE),
    E(LINEADDRESSSTATE_, INUSEMANY), E(LINEADDRESSSTATE_, NUMCALLS),
    E(LINEADDRESSSTATE_, FORWARD), E(LINEADDRESSSTATE_, TERMINALS),
    E(LINEADDRESSSTATE_, CAPSCHANGE)};

constexpr TapiName kDevCapFlags[] = {
    E(LINEDEVCAPFLAGS_, CROSSADDRCONF), E(LINEDEVCAPFLAGS_, HIGHLEVCOMP),
    E(LINEDEVCAPFLAGS_, LOWLEVCOMP), E(LINEDEVCAPFLAGS_, MEDIACONTROL),
    E(LINEDEVCAPFLAGS_, MULTIPLEADDR), E(LINEDEVCAPFLAGS_, CLOSEDROP),
    E(LINEDEVCAPFLAGS_, DIALBILLING), E(LINEDEVCAPFLAGS_, DIALQUIET),
    E(LINEDEVCAPFLAGS_, DIALDIALTONE), E(LINEDEVCAPFLAGS_, MSP),
    E(LINEDEVCAPFLAGS_, PARTICIPANTINFO), E(LINEDEVCAPFLAGS_, CALLHUB),
    E(LINEDEVCAPFLAGS_, CALLHUBTRACKING), E(LINEDEVCAPFLAGS_, PRIVATEOBJECTS)};

constexpr TapiName kLineDevStates[] = {
    E(LINEDEVSTATE_, OTHER), E(LINEDEVSTATE_, RINGING), E(LINEDEVSTATE_, CONNECTED),
    E(LINEDEVSTATE_, DISCONNECTED), E(LINEDEVSTATE_, MSGWAITON), E(LINEDEVSTATE_, MSGWAITOFF),
    E(LINEDEVSTATE_, INSERVICE), E(LINEDEVSTATE_, OUTOFSERVICE), E(LINEDEVSTATE_, MAINTENANCE),
    E(LINEDEVSTATE_, OPEN), E(LINEDEVSTATE_, CLOSE), E(LINEDEVSTATE_, NUMCALLS),
    E(LINEDEVSTATE_, NUMCOMPLETIONS), E(LINEDEVSTATE_, TERMINALS), E(LINEDEVSTATE_, ROAMMODE),
    E(LINEDEVSTATE_, BATTERY), E(LINEDEVSTATE_, SIGNAL), E(LINEDEVSTATE_, DEVSPECIFIC),
    E(LINEDEVSTATE_, REINIT), E(LINEDEVSTATE_, LOCK), E(LINEDEVSTATE_, CAPSCHANGE),
    E(LINEDEVSTATE_, CONFIGCHANGE), E(LINEDEVSTATE_, TRANSLATECHANGE),
    E(LINEDEVSTATE_, COMPLCANCEL), E(LINEDEVSTATE_, REMOVED)};

constexpr TapiName kRemoveFromConfs[] = {
    E(LINEREMOVEFROMCONF_, NONE), E(LINEREMOVEFROMCONF_, LAST), E(LINEREMOVEFROMCONF_, ANY)};

constexpr TapiName kTransferModes[] = {
    E(LINETRANSFERMODE_, TRANSFER), E(LINETRANSFERMODE_, CONFERENCE)};

constexpr TapiName kParkModes[] = {E(LINEPARKMODE_, DIRECTED), E(LINEPARKMODE_, NONDIRECTED)};

constexpr TapiName kLineFeatures[] = {
    E(LINEFEATURE_, DEVSPECIFIC), E(LINEFEATURE_, DEVSPECIFICFEAT), E(LINEFEATURE_, FORWARD),
    E(LINEFEATURE_, MAKECALL), E(LINEFEATURE_, SETMEDIACONTROL), E(LINEFEATURE_, SETTERMINAL),
    E(LINEFEATURE_, SETDEVSTATUS), E(LINEFEATURE_, FORWARDFWD), E(LINEFEATURE_, FORWARDDND)};

constexpr TapiName kCallParamFlags[] = {
    E(LINECALLPARAMFLAGS_, SECURE), E(LINECALLPARAMFLAGS_, IDLE),
    E(LINECALLPARAMFLAGS_, BLOCKID), E(LINECALLPARAMFLAGS_, ORIGOFFHOOK),
    E(LINECALLPARAMFLAGS_, DESTOFFHOOK), E(LINECALLPARAMFLAGS_, NOHOLDCONFERENCE),
    E(LINECALLPARAMFLAGS_, PREDICTIVEDIAL), E(LINECALLPARAMFLAGS_, ONESTEPTRANSFER)};

constexpr TapiName kForwardModes[] = {
    E(LINEFORWARDMODE_, UNCOND), E(LINEFORWARDMODE_, UNCONDINTERNAL),
    E(LINEFORWARDMODE_, UNCONDEXTERNAL), E(LINEFORWARDMODE_, UNCONDSPECIFIC),
    E(LINEFORWARDMODE_, BUSY), E(LINEFORWARDMODE_, BUSYINTERNAL),
    E(LINEFORWARDMODE_, BUSYEXTERNAL), E(LINEFORWARDMODE_, BUSYSPECIFIC),
    E(LINEFORWARDMODE_, NOANSW), E(LINEFORWARDMODE_, NOANSWINTERNAL),
    E(LINEFORWARDMODE_, NOANSWEXTERNAL), E(LINEFORWARDMODE_, NOANSWSPECIFIC),
    E(LINEFORWARDMODE_, BUSYNA), E(LINEFORWARDMODE_, BUSYNAINTERNAL),
    E(LINEFORWARDMODE_, BUSYNAEXTERNAL), E(LINEFORWARDMODE_, BUSYNASPECIFIC),
    E(LINEFORWARDMODE_, UNKNOWN), E(LINEFORWARDMODE_, UNAVAIL)};

constexpr TapiName kAddressFeatures[] = {
    E(LINEADDRFEATURE_, FORWARD), E(LINEADDRFEATURE_, MAKECALL), E(LINEADDRFEATURE_, PICKUP),
    E(LINEADDRFEATURE_, SETMEDIACONTROL), E(LINEADDRFEATURE_, SETTERMINAL),
    E(LINEADDRFEATURE_, SETUPCONF), E(LINEADDRFEATURE_, UNCOMPLETECALL),
    E(LINEADDRFEATURE_, UNPARK), E(LINEADDRFEATURE_, PICKUPHELD),
    E(LINEADDRFEATURE_, PICKUPGROUP), E(LINEADDRFEATURE_, PICKUPDIRECT),
    E(LINEADDRFEATURE_, PICKUPWAITING), E(LINEADDRFEATURE_, FORWARDFWD),
    E(LINEADDRFEATURE_, FORWARDDND)};

constexpr TapiName kAnswerModes[] = {
    E(LINEANSWERMODE_, NONE), E(LINEANSWERMODE_, DROP), E(LINEANSWERMODE_, HOLD)};

constexpr TapiName kConnectedModes[] = {
    E(LINECONNECTEDMODE_, ACTIVE), E(LINECONNECTEDMODE_, INACTIVE),
    E(LINECONNECTEDMODE_, ACTIVEHELD), E(LINECONNECTEDMODE_, INACTIVEHELD),
    E(LINECONNECTEDMODE_, CONFIRMED)};

constexpr TapiName kOfferingModes[] = {
    E(LINEOFFERINGMODE_, ACTIVE), E(LINEOFFERINGMODE_, INACTIVE)};

constexpr TapiName kPhoneStates[] = {
    E(PHONESTATE_, OTHER), E(PHONESTATE_, CONNECTED), E(PHONESTATE_, DISCONNECTED),
    E(PHONESTATE_, OWNER), E(PHONESTATE_, MONITORS), E(PHONESTATE_, DISPLAY),
    E(PHONESTATE_, LAMP), E(PHONESTATE_, RINGMODE), E(PHONESTATE_, RINGVOLUME),
    E(PHONESTATE_, HANDSETHOOKSWITCH), E(PHONESTATE_, HANDSETVOLUME),
    E(PHONESTATE_, HANDSETGAIN), E(PHONESTATE_, SPEAKERHOOKSWITCH),
    E(PHONESTATE_, SPEAKERVOLUME), E(PHONESTATE_, SPEAKERGAIN),
    E(PHONESTATE_, HEADSETHOOKSWITCH), E(PHONESTATE_, HEADSETVOLUME),
    E(PHONESTATE_, HEADSETGAIN), E(PHONESTATE_, SUSPEND), E(PHONESTATE_, RESUME),
    E(PHONESTATE_, DEVSPECIFIC), E(PHONESTATE_, REINIT), E(PHONESTATE_, CAPSCHANGE),
    E(PHONESTATE_, REMOVED)};

constexpr TapiName kHookSwitchDevs[] = {
    E(PHONEHOOKSWITCHDEV_, HANDSET), E(PHONEHOOKSWITCHDEV_, SPEAKER),
    E(PHONEHOOKSWITCHDEV_, HEADSET)};

constexpr TapiName kHookSwitchModes[] = {
    E(PHONEHOOKSWITCHMODE_, ONHOOK), E(PHONEHOOKSWITCHMODE_, MIC),
    E(PHONEHOOKSWITCHMODE_, SPEAKER), E(PHONEHOOKSWITCHMODE_, MICSPEAKER),
    E(PHONEHOOKSWITCHMODE_, UNKNOWN)};

#undef E

// Message names carry their own LINE_/PHONE_ prefix, so the table has none.
#define M(name) TapiName{name, #name}

constexpr TapiName kMessages[] = {
    M(LINE_ADDRESSSTATE), M(LINE_CALLINFO), M(LINE_CALLSTATE), M(LINE_CLOSE),
    M(LINE_DEVSPECIFIC), M(LINE_DEVSPECIFICFEATURE), M(LINE_GATHERDIGITS), M(LINE_GENERATE),
    M(LINE_LINEDEVSTATE), M(LINE_MONITORDIGITS), M(LINE_MONITORMEDIA), M(LINE_MONITORTONE),
    M(LINE_REPLY), M(LINE_REQUEST), M(PHONE_BUTTON), M(PHONE_CLOSE), M(PHONE_DEVSPECIFIC),
    M(PHONE_REPLY), M(PHONE_STATE), M(LINE_CREATE), M(PHONE_CREATE), M(LINE_AGENTSPECIFIC),
    M(LINE_AGENTSTATUS), M(LINE_APPNEWCALL), M(LINE_PROXYREQUEST), M(LINE_REMOVE),
    M(PHONE_REMOVE), M(LINE_APPNEWCALLHUB), M(LINE_CALLHUBCLOSE), M(LINE_AGENTSESSIONSTATUS),
    M(LINE_QUEUESTATUS), M(LINE_DEVSPECIFICEX), M(LINE_AGENTSTATUSEX), M(LINE_GROUPSTATUS),
    M(LINE_PROXYSTATUS)};

#undef M

// Keyed by message constant rather than number, so it follows the message numbering.
// Replies, requests, LINE_CREATE and the removal notices carry no handle: "Undefined".
constexpr char kLineHandle[] = "Line.Handle";
constexpr char kCallHandle[] = "Call.Handle";
constexpr char kLineOrCallHandle[] = "Line.Handle or Call.Handle";
constexpr char kPhoneHandle[] = "Phone.Handle";

constexpr TapiName kMessageHandles[] = {
    {LINE_ADDRESSSTATE, kLineHandle}, {LINE_CLOSE, kLineHandle},
    {LINE_LINEDEVSTATE, kLineHandle}, {LINE_AGENTSPECIFIC, kLineHandle},
    {LINE_AGENTSTATUS, kLineHandle}, {LINE_APPNEWCALL, kLineHandle},
    {LINE_PROXYREQUEST, kLineHandle}, {LINE_AGENTSESSIONSTATUS, kLineHandle},
    {LINE_QUEUESTATUS, kLineHandle}, {LINE_AGENTSTATUSEX, kLineHandle},
    {LINE_GROUPSTATUS, kLineHandle}, {LINE_PROXYSTATUS, kLineHandle},
    {LINE_CALLINFO, kCallHandle}, {LINE_CALLSTATE, kCallHandle},
    {LINE_GATHERDIGITS, kCallHandle}, {LINE_GENERATE, kCallHandle},
    {LINE_MONITORDIGITS, kCallHandle}, {LINE_MONITORMEDIA, kCallHandle},
    {LINE_MONITORTONE, kCallHandle}, {LINE_APPNEWCALLHUB, kCallHandle},
    {LINE_CALLHUBCLOSE, kCallHandle},
    {LINE_DEVSPECIFIC, kLineOrCallHandle}, {LINE_DEVSPECIFICFEATURE, kLineOrCallHandle},
    {LINE_DEVSPECIFICEX, kLineOrCallHandle},
    {PHONE_BUTTON, kPhoneHandle}, {PHONE_CLOSE, kPhoneHandle},
    {PHONE_DEVSPECIFIC, kPhoneHandle}, {PHONE_STATE, kPhoneHandle},
    {PHONE_CREATE, kPhoneHandle}};

constexpr TapiNameTable bearerModes{"LINEBEARERMODE_", kBearerModes};
constexpr TapiNameTable toneModes{"LINETONEMODE_", kToneModes};
constexpr TapiNameTable addressCapFlags{"LINEADDRCAPFLAGS_", kAddressCapFlags};
constexpr TapiNameTable callPartyIDs{"LINECALLPARTYID_", kCallPartyIDs};
constexpr TapiNameTable callInfoStates{"LINECALLINFOSTATE_", kCallInfoStates};
constexpr TapiNameTable callStates{"LINECALLSTATE_", kCallStates};
constexpr TapiNameTable callFeatures{"LINECALLFEATURE_", kCallFeatures};
constexpr TapiNameTable callFeatures2{"LINECALLFEATURE2_", kCallFeatures2};
constexpr TapiNameTable busyModes{"LINEBUSYMODE_", kBusyModes};
constexpr TapiNameTable dialToneModes{"LINEDIALTONEMODE_", kDialToneModes};
constexpr TapiNameTable disconnectModes{"LINEDISCONNECTMODE_", kDisconnectModes};
constexpr TapiNameTable specialInfos{"LINESPECIALINFO_", kSpecialInfos};
constexpr TapiNameTable callOrigins{"LINECALLORIGIN_", kCallOrigins};
constexpr TapiNameTable callReasons{"LINECALLREASON_", kCallReasons};
constexpr TapiNameTable mediaModes{"LINEMEDIAMODE_", kMediaModes};
constexpr TapiNameTable termDevs{"LINETERMDEV_", kTermDevs};
constexpr TapiNameTable termModes{"LINETERMMODE_", kTermModes};
constexpr TapiNameTable termSharings{"LINETERMSHARING_", kTermSharings};
constexpr TapiNameTable addressStates{"LINEADDRESSSTATE_", kAddressStates};
constexpr TapiNameTable devCapFlags{"LINEDEVCAPFLAGS_", kDevCapFlags};
constexpr TapiNameTable lineDevStates{"LINEDEVSTATE_", kLineDevStates};
constexpr TapiNameTable removeFromConfs{"LINEREMOVEFROMCONF_", kRemoveFromConfs};
constexpr TapiNameTable transferModes{"LINETRANSFERMODE_", kTransferModes};
constexpr TapiNameTable parkModes{"LINEPARKMODE_", kParkModes};
constexpr TapiNameTable lineFeatures{"LINEFEATURE_", kLineFeatures};
constexpr TapiNameTable callParamFlags{"LINECALLPARAMFLAGS_", kCallParamFlags};
constexpr TapiNameTable forwardModes{"LINEFORWARDMODE_", kForwardModes};
constexpr TapiNameTable addressFeatures{"LINEADDRFEATURE_", kAddressFeatures};
constexpr TapiNameTable answerModes{"LINEANSWERMODE_", kAnswerModes};
constexpr TapiNameTable connectedModes{"LINECONNECTEDMODE_", kConnectedModes};
constexpr TapiNameTable offeringModes{"LINEOFFERINGMODE_", kOfferingModes};
constexpr TapiNameTable phoneStates{"PHONESTATE_", kPhoneStates};
constexpr TapiNameTable hookSwitchDevs{"PHONEHOOKSWITCHDEV_", kHookSwitchDevs};
constexpr TapiNameTable hookSwitchModes{"PHONEHOOKSWITCHMODE_", kHookSwitchModes};
constexpr TapiNameTable messages{"", kMessages};
constexpr TapiNameTable messageHandles{"", kMessageHandles};

// Blanks and control characters, including the C1 range and Unicode spaces.
bool isTrimmable(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

} // namespace

QString BearerModeText(quint32 value) { return bearerModes.text(value); }
QString ToneModeText(quint32 value) { return toneModes.text(value); }
QString AddressCapFlagsText(quint32 value) { return addressCapFlags.text(value); }
QString CallPartyIDText(quint32 value) { return callPartyIDs.text(value); }
QString CallInfoStateText(quint32 value) { return callInfoStates.text(value); }
QString CallStateText(quint32 value) { return callStates.text(value); }
QString CallFeatureText(quint32 value) { return callFeatures.text(value); }
QString CallFeature2Text(quint32 value) { return callFeatures2.text(value); }
QString BusyModeText(quint32 value) { return busyModes.text(value); }
QString DialToneModeText(quint32 value) { return dialToneModes.text(value); }
QString DisconnectModeText(quint32 value) { return disconnectModes.text(value); }
QString SpecialInfoText(quint32 value) { return specialInfos.text(value); }
QString CallOriginText(quint32 value) { return callOrigins.text(value); }
QString CallReasonText(quint32 value) { return callReasons.text(value); }
QString MediaModeText(quint32 value) { return mediaModes.text(value); }
QString TermDevText(quint32 value) { return termDevs.text(value); }
QString TermModeText(quint32 value) { return termModes.text(value); }
QString TermSharingText(quint32 value) { return termSharings.text(value); }
QString AddressStateText(quint32 value) { return addressStates.text(value); }
QString DevCapFlagsText(quint32 value) { return devCapFlags.text(value); }
QString LineDevStateText(quint32 value) { return lineDevStates.text(value); }
QString RemoveFromConfText(quint32 value) { return removeFromConfs.text(value); }
QString TransferModeText(quint32 value) { return transferModes.text(value); }
QString ParkModeText(quint32 value) { return parkModes.text(value); }
QString LineFeatureText(quint32 value) { return lineFeatures.text(value); }
QString CallParamFlagsText(quint32 value) { return callParamFlags.text(value); }
QString ForwardModeText(quint32 value) { return forwardModes.text(value); }
QString AddressFeatureText(quint32 value) { return addressFeatures.text(value); }
QString AnswerModeText(quint32 value) { return answerModes.text(value); }
QString ConnectedModeText(quint32 value) { return connectedModes.text(value); }
QString OfferingModeText(quint32 value) { return offeringModes.text(value); }
QString PhoneStateText(quint32 value) { return phoneStates.text(value); }
QString HookSwitchDevText(quint32 value) { return hookSwitchDevs.text(value); }
QString HookSwitchModeText(quint32 value) { return hookSwitchModes.text(value); }

QString CallStateModeText(quint32 state, quint32 mode)
{
    switch (state) {
    case LINECALLSTATE_DIALTONE:
        return DialToneModeText(mode);
    case LINECALLSTATE_BUSY:
        return BusyModeText(mode);
    case LINECALLSTATE_SPECIALINFO:
        return SpecialInfoText(mode);
    case LINECALLSTATE_DISCONNECTED:
        return DisconnectModeText(mode);
    default:
        return QStringLiteral("Not applicable");
    }
}

QString MessageText(quint32 msg)
{
    return messages.text(msg);
}

QString MessageHandleText(quint32 msg)
{
    const char* text = messageHandles.nameOf(msg);
    return text ? QString::fromLatin1(text) : QStringLiteral("Undefined");
}

QString TrimmedText(const char* buffer, qint64 length)
{
    if (!buffer || length <= 0)
        return {};
    // The size field may count padding after the terminator; never read past length.
    const void* nul = std::memchr(buffer, '\0', static_cast<std::size_t>(length));
    const qsizetype size = nul ? static_cast<const char*>(nul) - buffer : length;
    const QString text = QString::fromUtf8(buffer, size);

    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmable(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmable(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}
