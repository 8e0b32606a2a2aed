// Address translation and the location rules, as the service and the dialog use them.
#include "DialingLocations.h"
#include "TapiConstants.h"

#include <gtest/gtest.h>

using namespace Telephony;

namespace {

DialingLocation place(DWORD country, const char* area, const char* longDistancePrefix, const char* internationalPrefix)
{
    DialingLocation location;
    location.id = 1;
    location.name = QStringLiteral("Test");
    location.countryCode = country;
    location.areaCode = QString::fromLatin1(area);
    location.longDistancePrefix = QString::fromLatin1(longDistancePrefix);
    location.internationalPrefix = QString::fromLatin1(internationalPrefix);
    return location;
}

const DialingLocation redmond = place(1, "425", "1", "011");
const DialingLocation seattle = place(1, "206", "1", "011");
const DialingLocation london = place(44, "20", "0", "00");

// Behind a private exchange on a pulse line: every outside call needs an access code.
DialingLocation office()
{
    DialingLocation location = place(1, "425", "1", "011");
    location.localAccessCode = QStringLiteral("9");
    location.longDistanceAccessCode = QStringLiteral("8");
    location.cancelCallWaiting = QStringLiteral("*70");
    location.pulseDialing = true;
    return location;
}

constexpr DWORD canonical = LINETRANSLATERESULT_CANONICAL;
constexpr DWORD local = LINETRANSLATERESULT_LOCAL;
constexpr DWORD longDistance = LINETRANSLATERESULT_LONGDISTANCE;
constexpr DWORD international = LINETRANSLATERESULT_INTERNATIONAL;
constexpr DWORD cancelWaiting = LINETRANSLATEOPTION_CANCELCALLWAITING;

struct TranslateCase {
    const char* label;
    DialingLocation location;
    QString input;
    DWORD options;
    QString dialable;
    QString displayable;
    DWORD results;
    DWORD destCountry;
};

} // namespace

TEST(DialingLocationsTest, TranslatesValidAddresses)
{
    const QString us = QStringLiteral("+1 (425) 555-0100");
    const TranslateCase cases[] = {
        {"same area is local", redmond, us, 0, "5550100", "555-0100", canonical | local, 1},
        {"other area is long distance", seattle, us, 0, "14255550100", "1 425 555-0100", canonical | longDistance, 1},
        {"other country is international", london, us, 0, "0014255550100", "00 1 425 555-0100",
         canonical | international, 1},
        {"abroad from the US", redmond, "+44 (20) 7946 0018", 0, "011442079460018", "011 44 20 7946 0018",
         canonical | international, 44},
        {"no area code within the country", redmond, "+1 555-0100", 0, "5550100", "555-0100", canonical | local, 1},
        {"no area code abroad", redmond, "+45 3312 3456", 0, "0114533123456", "011 45 3312 3456",
         canonical | international, 45},
        {"access code and pulse", office(), us, 0, "P95550100", "9 555-0100", canonical | local, 1},
        {"long distance access, call waiting off", office(), "+1 (206) 555-0100", cancelWaiting,
         "P*70,812065550100", "*70, 8 1 206 555-0100", canonical | longDistance, 1},
        {"call waiting option without a code", redmond, us, cancelWaiting, "5550100", "555-0100", canonical | local, 1},
        {"forced long distance", redmond, us, LINETRANSLATEOPTION_FORCELD, "14255550100", "1 425 555-0100",
         canonical | longDistance, 1},
        {"forced local", seattle, us, LINETRANSLATEOPTION_FORCELOCAL, "5550100", "555-0100", canonical | local, 1},
        {"force cannot make abroad local", london, us, LINETRANSLATEOPTION_FORCELOCAL, "0014255550100",
         "00 1 425 555-0100", canonical | international, 1},
        {"subaddress and name stay dialable only", redmond, "+1 (425) 555-0100|12^Front desk", 0,
         "5550100|12^Front desk", "555-0100", canonical | local, 1},
        {"only the first of several addresses", redmond, "+1 (425) 555-0100\r\n+1 (206) 555-0199", 0, "5550100",
         "555-0100", canonical | local, 1},
        {"dial modifiers kept", redmond, "+1 (425) 555-0100 W 123#", 0, "5550100W123#", "555-0100 W 123#",
         canonical | local, 1},
        {"loose spacing", redmond, "  +1(425)555.0100 ", 0, "5550100", "555.0100", canonical | local, 1},
        {"not canonical passes through", redmond, "(425) 555-0100", 0, "4255550100", "(425) 555-0100", 0, 0},
        {"not canonical keeps modifiers", redmond, "9, 555.0100", 0, "9,5550100", "9, 555.0100", 0, 0},
        {"not canonical ignores call waiting", office(), "555-0100", cancelWaiting, "5550100", "555-0100", 0, 0},
        {"not canonical keeps letters", redmond, "alice", 0, "alice", "alice", 0, 0},
    };
    for (const TranslateCase& c : cases) {
        SCOPED_TRACE(c.label);
        const TranslatedAddress out = DialingLocations::translate(c.location, c.input, c.options);
        ASSERT_EQ(out.result, 0);
        EXPECT_EQ(out.dialable, c.dialable);
        EXPECT_EQ(out.displayable, c.displayable);
        EXPECT_EQ(out.translateResults, c.results);
        EXPECT_EQ(out.destCountry, c.destCountry);
        EXPECT_EQ(out.currentCountry, c.location.countryCode);
    }
}

TEST(DialingLocationsTest, RejectsInvalidInput)
{
    DialingLocation broken = redmond;
    broken.countryCode = 0;
    const struct {
        const char* label;
        DialingLocation location;
        QString input;
        DWORD options;
        std::uint32_t error;
    } cases[] = {
        {"empty", redmond, "", 0, LINEERR_INVALADDRESS},
        {"blank", redmond, "   ", 0, LINEERR_INVALADDRESS},
        {"too long", redmond, QString(257, QLatin1Char('5')), 0, LINEERR_INVALADDRESS},
        {"plus alone", redmond, "+", 0, LINEERR_INVALADDRESS},
        {"plus without digits", redmond, "+ abc", 0, LINEERR_INVALADDRESS},
        {"unclosed area code", redmond, "+1 (425 555-0100", 0, LINEERR_INVALADDRESS},
        {"stray closing parenthesis", redmond, "+1 425) 555-0100", 0, LINEERR_INVALADDRESS},
        {"nested parentheses", redmond, "+1 ((425)) 555-0100", 0, LINEERR_INVALADDRESS},
        {"empty area code", redmond, "+1 () 555-0100", 0, LINEERR_INVALADDRESS},
        {"letters in area code", redmond, "+1 (4x5) 555-0100", 0, LINEERR_INVALADDRESS},
        {"no subscriber", redmond, "+1 (425)", 0, LINEERR_INVALADDRESS},
        {"letter in subscriber", redmond, "+1 (425) 555-01x0", 0, LINEERR_INVALADDRESS},
        {"control character", redmond, QStringLiteral("555\u00010100"), 0, LINEERR_INVALADDRESS},
        {"unbalanced, not canonical", redmond, "(425 555-0100", 0, LINEERR_INVALADDRESS},
        {"only formatting, not canonical", redmond, "( ) - .", 0, LINEERR_INVALADDRESS},
        {"country code not delimited", redmond, "+14255550100", 0, LINEERR_INVALCOUNTRYCODE},
        {"country code with dash", redmond, "+1-425-555-0100", 0, LINEERR_INVALCOUNTRYCODE},
        {"country code zero", redmond, "+0 (20) 7946 0018", 0, LINEERR_INVALCOUNTRYCODE},
        {"country code missing", redmond, "+(425) 555-0100", 0, LINEERR_INVALCOUNTRYCODE},
        {"both force options", redmond, "+1 (425) 555-0100",
         LINETRANSLATEOPTION_FORCELOCAL | LINETRANSLATEOPTION_FORCELD, LINEERR_INVALPARAM},
        {"unknown option", redmond, "+1 (425) 555-0100", 0x100, LINEERR_INVALPARAM},
        {"damaged location", broken, "+1 (425) 555-0100", 0, LINEERR_INIFILECORRUPT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const TranslatedAddress out = DialingLocations::translate(c.location, c.input, c.options);
        EXPECT_EQ(out.result, static_cast<LONG>(c.error));
        EXPECT_TRUE(out.dialable.isEmpty());
    }
}

TEST(DialingLocationsTest, LengthLimitIsInclusive)
{
    EXPECT_EQ(DialingLocations::translate(redmond, QString(256, QLatin1Char('5')), 0).result, 0);
    const QString canonicalMax = QStringLiteral("+1 (425) ") + QString(256 - 9, QLatin1Char('5'));
    EXPECT_EQ(DialingLocations::translate(redmond, canonicalMax, 0).result, 0);
    EXPECT_EQ(DialingLocations::translate(redmond, canonicalMax + QLatin1Char('5'), 0).result,
              static_cast<LONG>(LINEERR_INVALADDRESS));
}

TEST(DialingLocationsTest, LocationRules)
{
    const auto with = [](auto change) {
        DialingLocation location = redmond;
        change(location);
        return location;
    };
    const struct {
        const char* label;
        DialingLocation location;
        bool usable;
    } cases[] = {
        {"reference", redmond, true},
        {"id zero", with([](DialingLocation& l) { l.id = 0; }), false},
        {"id too large", with([](DialingLocation& l) { l.id = 1000000; }), false},
        {"blank name", with([](DialingLocation& l) { l.name = QStringLiteral("  "); }), false},
        {"name at limit", with([](DialingLocation& l) { l.name = QString(64, QLatin1Char('n')); }), true},
        {"name too long", with([](DialingLocation& l) { l.name = QString(65, QLatin1Char('n')); }), false},
        {"line break in name", with([](DialingLocation& l) { l.name = QStringLiteral("a\nb"); }), false},
        {"country 999", with([](DialingLocation& l) { l.countryCode = 999; }), true},
        {"country 1000", with([](DialingLocation& l) { l.countryCode = 1000; }), false},
        {"no area code", with([](DialingLocation& l) { l.areaCode.clear(); }), true},
        {"area code letters", with([](DialingLocation& l) { l.areaCode = QStringLiteral("4a5"); }), false},
        {"area code too long", with([](DialingLocation& l) { l.areaCode = QStringLiteral("123456789"); }), false},
        {"prefix with star", with([](DialingLocation& l) { l.longDistancePrefix = QStringLiteral("*1"); }), false},
        {"access code symbols", with([](DialingLocation& l) { l.localAccessCode = QStringLiteral("9,*#"); }), true},
        {"access code letter", with([](DialingLocation& l) { l.longDistanceAccessCode = QStringLiteral("9a"); }), false},
        {"call waiting code too long",
         with([](DialingLocation& l) { l.cancelCallWaiting = QString(17, QLatin1Char('7')); }), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(DialingLocations::checkLocation(c.location).isEmpty(), c.usable);
    }

    DialingLocation twin = london;
    twin.id = redmond.id;
    EXPECT_FALSE(DialingLocations::checkLocations({redmond, twin}).isEmpty());
    EXPECT_FALSE(DialingLocations::checkLocations({}).isEmpty());
    twin.id = 2;
    EXPECT_TRUE(DialingLocations::checkLocations({redmond, twin}).isEmpty());
    EXPECT_TRUE(DialingLocations::checkLocation(DialingLocations::defaultLocation()).isEmpty());
}
