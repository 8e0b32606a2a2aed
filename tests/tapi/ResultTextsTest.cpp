// Result-code texts: the line, phone and wave tables, their shared rules (0 is empty,
// an unlisted code is "Unknown") and the full TAPI ranges pinned name by name.
#include "TnvResultTexts.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

#include <string>

namespace {

using ResultTextFn = QString (*)(qint32);

struct ResultCase
{
    const char* table;
    ResultTextFn text;
    qint32 code;
    const char* expected;
};

qint32 code(quint32 bits)
{
    return static_cast<qint32>(bits);
}

QStringList codeNames(const char* list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Names in code order from the first code of a range; "-" marks an unassigned code.
struct ResultRange
{
    const char* table;
    ResultTextFn text;
    qint64 first;
    qint64 step;
    const char* prefix;
    const char* names;
};

const ResultRange ranges[] = {
    {"line", LineErrorText, 0x80000001, 1, "LINEERR_",
     "ALLOCATED BADDEVICEID BEARERMODEUNAVAIL - CALLUNAVAIL COMPLETIONOVERRUN CONFERENCEFULL "
     "DIALBILLING DIALDIALTONE DIALPROMPT DIALQUIET INCOMPATIBLEAPIVERSION "
     "INCOMPATIBLEEXTVERSION INIFILECORRUPT INUSE INVALADDRESS INVALADDRESSID "
     "INVALADDRESSMODE INVALADDRESSSTATE INVALAPPHANDLE INVALAPPNAME INVALBEARERMODE "
     "INVALCALLCOMPLMODE INVALCALLHANDLE INVALCALLPARAMS INVALCALLPRIVILEGE INVALCALLSELECT "
     "INVALCALLSTATE INVALCALLSTATELIST INVALCARD INVALCOMPLETIONID INVALCONFCALLHANDLE "
     "INVALCONSULTCALLHANDLE INVALCOUNTRYCODE INVALDEVICECLASS INVALDEVICEHANDLE "
     "INVALDIALPARAMS INVALDIGITLIST INVALDIGITMODE INVALDIGITS INVALEXTVERSION INVALGROUPID "
     "INVALLINEHANDLE INVALLINESTATE INVALLOCATION INVALMEDIALIST INVALMEDIAMODE "
     "INVALMESSAGEID - INVALPARAM INVALPARKID INVALPARKMODE INVALPOINTER INVALPRIVSELECT "
     "INVALRATE INVALREQUESTMODE INVALTERMINALID INVALTERMINALMODE INVALTIMEOUT INVALTONE "
     "INVALTONELIST INVALTONEMODE INVALTRANSFERMODE LINEMAPPERFAILED NOCONFERENCE NODEVICE "
     "NODRIVER NOMEM NOREQUEST NOTOWNER NOTREGISTERED OPERATIONFAILED OPERATIONUNAVAIL "
     "RATEUNAVAIL RESOURCEUNAVAIL REQUESTOVERRUN STRUCTURETOOSMALL TARGETNOTFOUND TARGETSELF "
     "UNINITIALIZED USERUSERINFOTOOBIG REINIT ADDRESSBLOCKED BILLINGREJECTED INVALFEATURE "
     "NOMULTIPLEINSTANCE"},
    {"phone", PhoneErrorText, 0x90000001, 1, "PHONEERR_",
     "ALLOCATED BADDEVICEID INCOMPATIBLEAPIVERSION INCOMPATIBLEEXTVERSION INIFILECORRUPT INUSE "
     "INVALAPPHANDLE INVALAPPNAME INVALBUTTONLAMPID INVALBUTTONMODE INVALBUTTONSTATE "
     "INVALDATAID INVALDEVICECLASS INVALEXTVERSION INVALHOOKSWITCHDEV INVALHOOKSWITCHMODE "
     "INVALLAMPMODE INVALPARAM INVALPHONEHANDLE INVALPHONESTATE INVALPOINTER INVALPRIVILEGE "
     "INVALRINGMODE NODEVICE NODRIVER NOMEM NOTOWNER OPERATIONFAILED OPERATIONUNAVAIL - "
     "RESOURCEUNAVAIL REQUESTOVERRUN STRUCTURETOOSMALL UNINITIALIZED REINIT"},
    {"wave", WaveErrorText, 1, 1, "MMSYSERR_",
     "ERROR BADDEVICEID NOTENABLED ALLOCATED INVALHANDLE NODRIVER NOMEM NOTSUPPORTED BADERRNUM "
     "INVALFLAG INVALPARAM HANDLEBUSY INVALIDALIAS BADDB KEYNOTFOUND READERROR WRITEERROR "
     "DELETEERROR VALNOTFOUND NODRIVERCB"},
    {"wave", WaveErrorText, 32, 1, "WAVERR_", "BADFORMAT - - SYNC"},
    {"wave", WaveErrorText, 257, 1, "MMIOERR_",
     "FILENOTFOUND OUTOFMEMORY CANNOTOPEN CANNOTCLOSE CANNOTREAD CANNOTWRITE CANNOTSEEK "
     "CANNOTEXPAND CHUNKNOTFOUND UNBUFFERED PATHNOTFOUND ACCESSDENIED SHARINGVIOLATION "
     "NETWORKERROR TOOMANYOPENFILES INVALIDFILE"},
    {"wave", WaveErrorText, -1, -1, "WAV_ERROR_",
     "DIRNOTFOUND NOFILE FILEOPEN FILECORRUPT FILEREAD FILEWRITE NOMEMORY UNSUPPORTEDFORMAT "
     "DEVICE CANCELED FILETOOBIG INVALIDVOLUME FORMATMISMATCH INVALIDBUFSIZE DEVICEACTIVE "
     "DEVICEINACTIVE BUSY TIMEOUT INVALIDSTATE"},
};

} // namespace

TEST(ResultTexts, EveryRangeNamesEachCodeAndNothingAroundIt)
{
    for (const ResultRange& range : ranges) {
        SCOPED_TRACE(std::string(range.table) + " " + range.prefix);
        const QStringList list = codeNames(range.names);
        for (qsizetype i = 0; i < list.size(); ++i) {
            const qint32 value = code(static_cast<quint32>(range.first + i * range.step));
            SCOPED_TRACE(value);
            const QString expected = list.at(i) == QLatin1String("-")
                ? QStringLiteral("Unknown")
                : QLatin1String(range.prefix) + list.at(i);
            EXPECT_EQ(range.text(value).toStdString(), expected.toStdString());
        }
        // The codes just outside a range are not part of it.
        const qint32 after = code(static_cast<quint32>(range.first + list.size() * range.step));
        EXPECT_EQ(range.text(after).toStdString(), "Unknown") << after;
    }
}

TEST(ResultTexts, NamesWithinATableAreDistinct)
{
    // A duplicated or shifted entry would repeat a name somewhere in the range.
    const struct
    {
        ResultTextFn text;
        qint64 first;
        qint64 last;
        int named;
    } spans[] = {
        {LineErrorText, 0x80000001, 0x80000056, 84},
        {PhoneErrorText, 0x90000001, 0x90000023, 34},
    };
    for (const auto& span : spans) {
        QSet<QString> seen;
        for (qint64 v = span.first; v <= span.last; ++v)
            seen.insert(span.text(code(static_cast<quint32>(v))));
        seen.remove(QStringLiteral("Unknown"));
        EXPECT_EQ(seen.size(), span.named);
    }
}

TEST(ResultTexts, AnchorsAndSpecialCodes)
{
    const ResultCase cases[] = {
        {"line", LineErrorText, 0, ""},
        {"line", LineErrorText, code(0x80000001), "LINEERR_ALLOCATED"},
        {"line", LineErrorText, code(0x80000004), "Unknown"},
        {"line", LineErrorText, code(0x80000018), "LINEERR_INVALCALLHANDLE"},
        {"line", LineErrorText, code(0x8000002C), "LINEERR_INVALLINESTATE"},
        {"line", LineErrorText, code(0x80000031), "Unknown"},
        {"line", LineErrorText, code(0x80000032), "LINEERR_INVALPARAM"},
        {"line", LineErrorText, code(0x80000040), "LINEERR_LINEMAPPERFAILED"},
        {"line", LineErrorText, code(0x80000050), "LINEERR_UNINITIALIZED"},
        {"line", LineErrorText, code(0x80000056), "LINEERR_NOMULTIPLEINSTANCE"},
        {"line", LineErrorText, code(0x80000057), "Unknown"},
        {"line", LineErrorText, code(0x80000000), "Unknown"},
        {"line", LineErrorText, code(0x90000001), "Unknown"},
        {"line", LineErrorText, 1, "Unknown"},
        {"line", LineErrorText, 0x7FFFFFFF, "Unknown"},
        {"line", LineErrorText, -1, "Unknown"},
        {"line", LineErrorText, -2, "LINE_ERROR_DEVICE"},
        {"line", LineErrorText, -3, "TAPIREPLYTIMEOUT"},
        {"line", LineErrorText, -985, "Not 100% TAPI compliant"},
        {"phone", PhoneErrorText, 0, ""},
        {"phone", PhoneErrorText, code(0x90000001), "PHONEERR_ALLOCATED"},
        {"phone", PhoneErrorText, code(0x9000001D), "PHONEERR_OPERATIONUNAVAIL"},
        {"phone", PhoneErrorText, code(0x9000001E), "Unknown"},
        {"phone", PhoneErrorText, code(0x9000001F), "PHONEERR_RESOURCEUNAVAIL"},
        {"phone", PhoneErrorText, code(0x90000023), "PHONEERR_REINIT"},
        {"phone", PhoneErrorText, code(0x80000018), "Unknown"},
        {"phone", PhoneErrorText, -2, "PHONE_ERROR_DEVICE"},
        {"phone", PhoneErrorText, -3, "Unknown"},
        {"phone", PhoneErrorText, -985, "Unknown"},
        {"phone", PhoneErrorText, 1, "Unknown"},
        {"wave", WaveErrorText, 0, ""},
        {"wave", WaveErrorText, 20, "MMSYSERR_NODRIVERCB"},
        {"wave", WaveErrorText, 21, "Unknown"},
        {"wave", WaveErrorText, 33, "Unknown"},
        {"wave", WaveErrorText, 256, "Unknown"},
        {"wave", WaveErrorText, -11, "WAV_ERROR_FILETOOBIG"},
        {"wave", WaveErrorText, -20, "Unknown"},
        {"wave", WaveErrorText, -985, "Unknown"},
        {"wave", WaveErrorText, code(0x80000001), "Unknown"},
    };
    for (const ResultCase& c : cases)
        EXPECT_EQ(c.text(c.code).toStdString(), c.expected) << c.table << " " << c.code;
}

TEST(ResultTexts, SuiteCodesKeepTheirValues)
{
    // Other subsystems report these by name; the numbers are part of the trace format.
    const struct
    {
        qint32 constant;
        qint32 value;
    } codes[] = {
        {LINE_ERROR_DEVICE, -2}, {TAPIREPLYTIMEOUT, -3}, {NOT_TAPI_COMPLIANT, -985},
        {PHONE_ERROR_DEVICE, -2}, {WAV_ERROR_DIRNOTFOUND, -1}, {WAV_ERROR_FILETOOBIG, -11},
        {WAV_ERROR_INVALIDSTATE, -19},
    };
    for (const auto& c : codes)
        EXPECT_EQ(c.constant, c.value);
}
