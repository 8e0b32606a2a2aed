// How the inspector's edits read what the user typed: numbers that are not numbers,
// numbers too large for the property, and the hex form the window writes itself.

#include <TnvEditRules.h>

#include <gtest/gtest.h>

#include <QString>

namespace {

struct DecimalCase {
    const char* text;
    int value;
};

const DecimalCase kDecimal[] = {
    {"1500", 1500}, {"-20", -20}, {"+7", 7},       {"", 0},          {"abc", 0},
    {"12ab", 0},    {" 5", 5},    {"2147483647", 2147483647},    {"2147483648", 0},
    {"-2147483649", 0}, {"99999999999999999999999", 0},
};

struct HexCase {
    const char* text;
    quint32 value;
};

const HexCase kHex[] = {
    {"00000010", 0x10}, {"10", 0x10},   {"ffffffff", 0xFFFFFFFF}, {"AbC", 0xABC},
    {"", 0},            {"xyz", 0},     {"0x10", 0},              {"100000000", 0},
    {"-1", 0},          {"1 ", 0},
};

} // namespace

TEST(EditRules, DecimalTextsThatAreNoNumberCountAsZero)
{
    for (const DecimalCase& c : kDecimal) {
        EXPECT_EQ(TnvEditRules::readDecimal(QLatin1String(c.text)), c.value) << c.text;
        // Where a text is no number, the keeping reading holds on to the current value.
        const int kept = TnvEditRules::readDecimalOr(QLatin1String(c.text), 42);
        EXPECT_TRUE(kept == c.value || (kept == 42 && c.value == 0)) << c.text;
    }
    EXPECT_EQ(TnvEditRules::readDecimalOr(QStringLiteral("0"), 42), 0);
}

TEST(EditRules, HexTextsReadWithoutPrefixAndTheWindowsOwnFormRoundTrips)
{
    for (const HexCase& c : kHex) {
        EXPECT_EQ(TnvEditRules::readHex(QLatin1String(c.text)), c.value) << c.text;
        const quint32 kept = TnvEditRules::readHexOr(QLatin1String(c.text), 0x30001);
        EXPECT_TRUE(kept == c.value || (kept == 0x30001 && c.value == 0)) << c.text;
    }
    EXPECT_EQ(TnvEditRules::readHexOr(QStringLiteral("00000000"), 0x30001), 0u);
}
