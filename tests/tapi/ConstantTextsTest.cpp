// Constant-to-text tables: every listed name at its TAPI value, "???" around it, the
// call-state mode dispatch, the message helpers and the trimming of structure strings.
#include "TnvConstantTexts.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using ConstantTextFn = QString (*)(quint32);

QStringList names(const char* list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::string prefixed(const char* prefix, const QString& name)
{
    return (QLatin1String(prefix) + name).toStdString();
}

// Single-bit families: the n-th name is bit n, "-" marks a bit TAPI leaves unassigned.
struct BitTable
{
    ConstantTextFn text;
    const char* prefix;
    const char* names;
    const char* zero = "???";
};

const BitTable bitTables[] = {
    {BearerModeText, "LINEBEARERMODE_",
     "VOICE SPEECH MULTIUSE DATA ALTSPEECHDATA NONCALLSIGNALING PASSTHROUGH RESTRICTEDDATA"},
    {ToneModeText, "LINETONEMODE_", "CUSTOM RINGBACK BUSY BEEP BILLING", "NONE"},
    {AddressCapFlagsText, "LINEADDRCAPFLAGS_",
     "FWDNUMRINGS PICKUPGROUPID SECURE BLOCKIDDEFAULT BLOCKIDOVERRIDE DIALED ORIGOFFHOOK "
     "DESTOFFHOOK FWDCONSULT SETUPCONFNULL AUTORECONNECT COMPLETIONID TRANSFERHELD TRANSFERMAKE "
     "CONFERENCEHELD CONFERENCEMAKE PARTIALDIAL FWDSTATUSVALID FWDINTEXTADDR FWDBUSYNAADDR "
     "ACCEPTTOALERT CONFDROP PICKUPCALLWAIT PREDICTIVEDIALER QUEUE ROUTEPOINT HOLDMAKESNEW "
     "NOINTERNALCALLS NOEXTERNALCALLS SETCALLINGID ACDGROUP"},
    {CallPartyIDText, "LINECALLPARTYID_",
     "BLOCKED OUTOFAREA NAME ADDRESS PARTIAL UNKNOWN UNAVAIL"},
    {CallInfoStateText, "LINECALLINFOSTATE_",
     "OTHER DEVSPECIFIC BEARERMODE RATE MEDIAMODE APPSPECIFIC CALLID RELATEDCALLID ORIGIN "
     "REASON COMPLETIONID NUMOWNERINCR NUMOWNERDECR NUMMONITORS TRUNK CALLERID CALLEDID "
     "CONNECTEDID REDIRECTIONID REDIRECTINGID DISPLAY USERUSERINFO HIGHLEVELCOMP LOWLEVELCOMP "
     "CHARGINGINFO TERMINAL DIALPARAMS MONITORMODES TREATMENT QOS CALLDATA"},
    {CallStateText, "LINECALLSTATE_",
     "IDLE OFFERING ACCEPTED DIALTONE DIALING RINGBACK BUSY SPECIALINFO CONNECTED PROCEEDING "
     "ONHOLD CONFERENCED ONHOLDPENDCONF ONHOLDPENDTRANSF DISCONNECTED UNKNOWN"},
    {CallFeatureText, "LINECALLFEATURE_",
     "ACCEPT ADDTOCONF ANSWER BLINDTRANSFER COMPLETECALL COMPLETETRANSF DIAL DROP GATHERDIGITS "
     "GENERATEDIGITS GENERATETONE HOLD MONITORDIGITS MONITORMEDIA MONITORTONES PARK "
     "PREPAREADDCONF REDIRECT REMOVEFROMCONF SECURECALL SENDUSERUSER SETCALLPARAMS "
     "SETMEDIACONTROL SETTERMINAL SETUPCONF SETUPTRANSFER SWAPHOLD UNHOLD RELEASEUSERUSERINFO "
     "SETTREATMENT SETQOS"},
    {CallFeature2Text, "LINECALLFEATURE2_",
     "NOHOLDCONFERENCE ONESTEPTRANSFER COMPLCAMPON COMPLCALLBACK COMPLINTRUDE COMPLMESSAGE "
     "TRANSFERNORM TRANSFERCONF PARKDIRECT PARKNONDIRECT"},
    {BusyModeText, "LINEBUSYMODE_", "STATION TRUNK UNKNOWN UNAVAIL"},
    {DialToneModeText, "LINEDIALTONEMODE_", "NORMAL SPECIAL INTERNAL EXTERNAL UNKNOWN UNAVAIL"},
    {DisconnectModeText, "LINEDISCONNECTMODE_",
     "NORMAL UNKNOWN REJECT PICKUP FORWARDED BUSY NOANSWER BADADDRESS UNREACHABLE CONGESTION "
     "INCOMPATIBLE UNAVAIL NODIALTONE NUMBERCHANGED OUTOFORDER TEMPFAILURE QOSUNAVAIL BLOCKED "
     "DONOTDISTURB CANCELLED"},
    {SpecialInfoText, "LINESPECIALINFO_", "NOCIRCUIT CUSTIRREG REORDER UNKNOWN UNAVAIL"},
    {CallOriginText, "LINECALLORIGIN_",
     "OUTBOUND INTERNAL EXTERNAL - UNKNOWN UNAVAIL CONFERENCE INBOUND"},
    {CallReasonText, "LINECALLREASON_",
     "DIRECT FWDBUSY FWDNOANSWER FWDUNCOND PICKUP UNPARK REDIRECT CALLCOMPLETION TRANSFER "
     "REMINDER UNKNOWN UNAVAIL INTRUDE PARKED CAMPEDON ROUTEREQUEST"},
    {MediaModeText, "LINEMEDIAMODE_",
     "- UNKNOWN INTERACTIVEVOICE AUTOMATEDVOICE DATAMODEM G3FAX TDD G4FAX DIGITALDATA TELETEX "
     "VIDEOTEX TELEX MIXED ADSI VOICEVIEW VIDEO"},
    {TermDevText, "LINETERMDEV_", "PHONE HEADSET SPEAKER"},
    {TermModeText, "LINETERMMODE_",
     "BUTTONS LAMPS DISPLAY RINGER HOOKSWITCH MEDIATOLINE MEDIAFROMLINE MEDIABIDIRECT"},
    {TermSharingText, "LINETERMSHARING_", "PRIVATE SHAREDEXCL SHAREDCONF"},
    {AddressStateText, "LINEADDRESSSTATE_",
     "OTHER DEVSPECIFIC INUSEZERO INUSEONE INUSEMANY NUMCALLS FORWARD TERMINALS CAPSCHANGE"},
    {DevCapFlagsText, "LINEDEVCAPFLAGS_",
     "CROSSADDRCONF HIGHLEVCOMP LOWLEVCOMP MEDIACONTROL MULTIPLEADDR CLOSEDROP DIALBILLING "
     "DIALQUIET DIALDIALTONE MSP PARTICIPANTINFO CALLHUB CALLHUBTRACKING PRIVATEOBJECTS"},
    {LineDevStateText, "LINEDEVSTATE_",
     "OTHER RINGING CONNECTED DISCONNECTED MSGWAITON MSGWAITOFF INSERVICE OUTOFSERVICE "
     "MAINTENANCE OPEN CLOSE NUMCALLS NUMCOMPLETIONS TERMINALS ROAMMODE BATTERY SIGNAL "
     "DEVSPECIFIC REINIT LOCK CAPSCHANGE CONFIGCHANGE TRANSLATECHANGE COMPLCANCEL REMOVED"},
    {LineFeatureText, "LINEFEATURE_",
     "DEVSPECIFIC DEVSPECIFICFEAT FORWARD MAKECALL SETMEDIACONTROL SETTERMINAL SETDEVSTATUS "
     "FORWARDFWD FORWARDDND"},
    {CallParamFlagsText, "LINECALLPARAMFLAGS_",
     "SECURE IDLE BLOCKID ORIGOFFHOOK DESTOFFHOOK NOHOLDCONFERENCE PREDICTIVEDIAL "
     "ONESTEPTRANSFER"},
    {ForwardModeText, "LINEFORWARDMODE_",
     "UNCOND UNCONDINTERNAL UNCONDEXTERNAL UNCONDSPECIFIC BUSY BUSYINTERNAL BUSYEXTERNAL "
     "BUSYSPECIFIC NOANSW NOANSWINTERNAL NOANSWEXTERNAL NOANSWSPECIFIC BUSYNA BUSYNAINTERNAL "
     "BUSYNAEXTERNAL BUSYNASPECIFIC UNKNOWN UNAVAIL"},
    {AddressFeatureText, "LINEADDRFEATURE_",
     "FORWARD MAKECALL PICKUP SETMEDIACONTROL SETTERMINAL SETUPCONF UNCOMPLETECALL UNPARK "
     "PICKUPHELD PICKUPGROUP PICKUPDIRECT PICKUPWAITING FORWARDFWD FORWARDDND"},
    {AnswerModeText, "LINEANSWERMODE_", "NONE DROP HOLD"},
    {ConnectedModeText, "LINECONNECTEDMODE_", "ACTIVE INACTIVE ACTIVEHELD INACTIVEHELD CONFIRMED"},
    {PhoneStateText, "PHONESTATE_",
     "OTHER CONNECTED DISCONNECTED OWNER MONITORS DISPLAY LAMP RINGMODE RINGVOLUME "
     "HANDSETHOOKSWITCH HANDSETVOLUME HANDSETGAIN SPEAKERHOOKSWITCH SPEAKERVOLUME SPEAKERGAIN "
     "HEADSETHOOKSWITCH HEADSETVOLUME HEADSETGAIN SUSPEND RESUME DEVSPECIFIC REINIT CAPSCHANGE "
     "REMOVED"},
    {HookSwitchDevText, "PHONEHOOKSWITCHDEV_", "HANDSET SPEAKER HEADSET"},
    {HookSwitchModeText, "PHONEHOOKSWITCHMODE_", "ONHOOK MIC SPEAKER MICSPEAKER UNKNOWN"},
};

// Enumerations: the n-th name has the value n + 1.
const BitTable enumTables[] = {
    {RemoveFromConfText, "LINEREMOVEFROMCONF_", "NONE LAST ANY"},
    {TransferModeText, "LINETRANSFERMODE_", "TRANSFER CONFERENCE"},
    {ParkModeText, "LINEPARKMODE_", "DIRECTED NONDIRECTED"},
    {OfferingModeText, "LINEOFFERINGMODE_", "ACTIVE INACTIVE"},
};

} // namespace

TEST(ConstantTexts, SingleBitTablesNameEachBitAndNothingElse)
{
    for (const BitTable& table : bitTables) {
        SCOPED_TRACE(table.prefix);
        const QStringList list = names(table.names);
        ASSERT_LE(list.size(), 32);
        for (qsizetype bit = 0; bit < list.size(); ++bit) {
            const quint32 value = 1u << bit;
            const QString name = list.at(bit) == QLatin1String("-") ? QStringLiteral("???")
                                                                     : list.at(bit);
            EXPECT_EQ(table.text(value).toStdString(), prefixed(table.prefix, name)) << value;
            // Flag sets are split by the caller: two bits at once are not a name.
            if (bit > 0) {
                EXPECT_EQ(table.text(value | 1u).toStdString(), prefixed(table.prefix, "???"));
            }
        }
        EXPECT_EQ(table.text(0).toStdString(), prefixed(table.prefix, table.zero));
        if (list.size() < 32) {
            EXPECT_EQ(table.text(1u << list.size()).toStdString(),
                      prefixed(table.prefix, "???"));
        }
        EXPECT_EQ(table.text(0xFFFFFFFF).toStdString(), prefixed(table.prefix, "???"));
    }
}

TEST(ConstantTexts, EnumerationsNameEachValueAndNothingAround)
{
    for (const BitTable& table : enumTables) {
        SCOPED_TRACE(table.prefix);
        const QStringList list = names(table.names);
        for (qsizetype i = 0; i < list.size(); ++i)
            EXPECT_EQ(table.text(quint32(i + 1)).toStdString(), prefixed(table.prefix, list.at(i)));
        EXPECT_EQ(table.text(0).toStdString(), prefixed(table.prefix, "???"));
        EXPECT_EQ(table.text(quint32(list.size() + 1)).toStdString(),
                  prefixed(table.prefix, "???"));
    }
}

TEST(ConstantTexts, AnchorValues)
{
    const struct
    {
        ConstantTextFn text;
        quint32 value;
        const char* expected;
    } cases[] = {
        {CallStateText, 0x100, "LINECALLSTATE_CONNECTED"},
        {CallStateText, 0x3, "LINECALLSTATE_???"},
        {CallStateText, 0x8000, "LINECALLSTATE_UNKNOWN"},
        {ToneModeText, 0, "LINETONEMODE_NONE"},
        {ToneModeText, 0x10, "LINETONEMODE_BILLING"},
        {AddressFeatureText, 0x100, "LINEADDRFEATURE_PICKUPHELD"},
        {AddressFeatureText, 0, "LINEADDRFEATURE_???"},
        {AddressFeatureText, 0x2000, "LINEADDRFEATURE_FORWARDDND"},
        {MediaModeText, 0x1, "LINEMEDIAMODE_???"},
        {MediaModeText, 0x2, "LINEMEDIAMODE_UNKNOWN"},
        {MediaModeText, 0x8000, "LINEMEDIAMODE_VIDEO"},
        {CallOriginText, 0x8, "LINECALLORIGIN_???"},
        {CallOriginText, 0x10, "LINECALLORIGIN_UNKNOWN"},
        {CallFeatureText, 0x40000000, "LINECALLFEATURE_SETQOS"},
        {CallFeatureText, 0x80000000, "LINECALLFEATURE_???"},
        {AddressCapFlagsText, 0x40000000, "LINEADDRCAPFLAGS_ACDGROUP"},
        {CallInfoStateText, 0x40000000, "LINECALLINFOSTATE_CALLDATA"},
        {DisconnectModeText, 0x80000, "LINEDISCONNECTMODE_CANCELLED"},
        {CallReasonText, 0x8000, "LINECALLREASON_ROUTEREQUEST"},
        {DevCapFlagsText, 0x400, "LINEDEVCAPFLAGS_PARTICIPANTINFO"},
        {DevCapFlagsText, 0x2000, "LINEDEVCAPFLAGS_PRIVATEOBJECTS"},
        {LineDevStateText, 0x1000000, "LINEDEVSTATE_REMOVED"},
        {ForwardModeText, 0x20000, "LINEFORWARDMODE_UNAVAIL"},
        {PhoneStateText, 0x800000, "PHONESTATE_REMOVED"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text(c.value).toStdString(), c.expected) << c.value;
}

TEST(ConstantTexts, CallStateModeUsesTheStatesOwnTable)
{
    const struct
    {
        quint32 state;
        quint32 mode;
        const char* expected;
    } cases[] = {
        {0x8, 0x1, "LINEDIALTONEMODE_NORMAL"},
        {0x8, 0x20, "LINEDIALTONEMODE_UNAVAIL"},
        {0x40, 0x2, "LINEBUSYMODE_TRUNK"},
        {0x80, 0x4, "LINESPECIALINFO_REORDER"},
        {0x4000, 0x80000, "LINEDISCONNECTMODE_CANCELLED"},
        {0x4000, 0x3, "LINEDISCONNECTMODE_???"},
        {0x100, 0x1, "Not applicable"},
        {0x100, 0x0, "Not applicable"},
        {0x1, 0x1, "Not applicable"},
        {0x48, 0x1, "Not applicable"},
        {0x0, 0x1, "Not applicable"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CallStateModeText(c.state, c.mode).toStdString(), c.expected) << c.state;
}

TEST(ConstantTexts, MessageNamesAndHandles)
{
    const QStringList messages = names(
        "LINE_ADDRESSSTATE LINE_CALLINFO LINE_CALLSTATE LINE_CLOSE LINE_DEVSPECIFIC "
        "LINE_DEVSPECIFICFEATURE LINE_GATHERDIGITS LINE_GENERATE LINE_LINEDEVSTATE "
        "LINE_MONITORDIGITS LINE_MONITORMEDIA LINE_MONITORTONE LINE_REPLY LINE_REQUEST "
        "PHONE_BUTTON PHONE_CLOSE PHONE_DEVSPECIFIC PHONE_REPLY PHONE_STATE LINE_CREATE "
        "PHONE_CREATE LINE_AGENTSPECIFIC LINE_AGENTSTATUS LINE_APPNEWCALL LINE_PROXYREQUEST "
        "LINE_REMOVE PHONE_REMOVE LINE_APPNEWCALLHUB LINE_CALLHUBCLOSE LINE_AGENTSESSIONSTATUS "
        "LINE_QUEUESTATUS LINE_DEVSPECIFICEX LINE_AGENTSTATUSEX LINE_GROUPSTATUS "
        "LINE_PROXYSTATUS");
    ASSERT_EQ(messages.size(), 35);
    for (quint32 msg = 0; msg < 35; ++msg)
        EXPECT_EQ(MessageText(msg).toStdString(), messages.at(msg).toStdString()) << msg;
    EXPECT_EQ(MessageText(35).toStdString(), "???");
    EXPECT_EQ(MessageText(0xFFFFFFFF).toStdString(), "???");

    const struct
    {
        const char* text;
        std::initializer_list<quint32> msgs;
    } handles[] = {
        {"Line.Handle", {0, 3, 8, 21, 22, 23, 24, 29, 30, 32, 33, 34}},
        {"Call.Handle", {1, 2, 6, 7, 9, 10, 11, 27, 28}},
        {"Line.Handle or Call.Handle", {4, 5, 31}},
        {"Phone.Handle", {14, 15, 16, 18, 20}},
    };
    for (quint32 msg = 0; msg <= 40; ++msg) {
        std::string expected = "Undefined";
        for (const auto& h : handles) {
            if (std::find(h.msgs.begin(), h.msgs.end(), msg) != h.msgs.end())
                expected = h.text;
        }
        EXPECT_EQ(MessageHandleText(msg).toStdString(), expected) << msg;
    }
    EXPECT_EQ(MessageHandleText(0xFFFFFFFF).toStdString(), "Undefined");
}

TEST(ConstantTexts, TrimmedTextTakesTheFieldWithoutPadding)
{
    const struct
    {
        QByteArray bytes;
        qint64 length;
        const char* expected;
    } cases[] = {
        {QByteArray("Modem\0   ", 9), 9, "Modem"},
        {QByteArray("Modem\0junk", 10), 10, "Modem"},
        {QByteArray("  Line 1  "), 10, "Line 1"},
        {QByteArray("\t\r\n\x01Name\x1f\x7f"), 10, "Name"},
        {QByteArray("A\tB"), 3, "A\tB"},
        {QByteArray("ABCDEF"), 3, "ABC"},
        {QByteArray("Caf\xc3\xa9 "), 6, "Caf\xc3\xa9"},
        {QByteArray("\xc2\x85Name\xc2\xa0"), 8, "Name"},
        {QByteArray("   \0Name", 8), 8, ""},
        {QByteArray("Name"), 0, ""},
        {QByteArray("Name"), -1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimmedText(c.bytes.constData(), c.length).toStdString(), c.expected)
            << c.bytes.toStdString();
    }
    EXPECT_TRUE(TrimmedText(nullptr, 10).isEmpty());

    // A field that fills its buffer has no terminator; nothing past length may be read
    // (the sanitizer build turns an overread into a failure).
    const char field[] = {'L', 'i', 'n', 'e', ' '};
    auto exact = std::make_unique<char[]>(sizeof field);
    std::copy(std::begin(field), std::end(field), exact.get());
    EXPECT_EQ(TrimmedText(exact.get(), sizeof field).toStdString(), "Line");
}
