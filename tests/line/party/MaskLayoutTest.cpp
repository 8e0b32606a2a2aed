// The pure presentation steps of a party identification: the edit-mask layout in both
// directions and in both literal modes, the mask's own fields, and name capitalising.

#include <TnvCallerID.h>

#include <gtest/gtest.h>

namespace {

struct MaskCase {
    const char* what;
    QString value;
    QString mask;
    QString expected;
};

// The separators are passed explicitly so the cases do not depend on the machine's locale.
QString layout(const QString& value, const QString& mask)
{
    return TnvCallerID::applyMask(value, mask, u'.', u':');
}

} // namespace

TEST(MaskLayout, InsertsLiteralsLeftToRight)
{
    const MaskCase cases[] = {
        {"ten digits", "5551234567", "000-000-0000;0", "555-123-4567"},
        {"blank field is not used", "5551234567", "000-000-0000;0;*", "555-123-4567"},
        {"seven digits pad the rest", "5551234", "000-000-0000;0;*", "555-123-4   "},
        {"six digits", "555123", "000-000-0000;0", "555-123-    "},
        {"eleventh digit stays at the end", "55512345678", "000-000-0000;0", "555-123-45678"},
        {"empty value gives the bare layout", "", "000-000-0000;0", "   -   -    "},
        {"mask shorter than the number", "12345", "00-0;0", "12-345"},
        {"picture without literals", "12345", "000;0", "12345"},
        {"empty picture", "5551234567", ";0;*", "5551234567"},
        {"optional positions", "5551234", "999-9999;0", "555-1234"},
        {"letters are positions", "AB12", "LL-00;0", "AB-12"},
        {"leading literal", "5551234", "(000) 000-0000;0", "(555) 123-4   "},
        {"date separator", "1231", "00/00;0", "12.31"},
        {"time separator", "1230", "00:00;0", "12:30"},
        {"escaped literal", "12", "\\A00;0", "A12"},
        {"escaped position character", "12", "0\\00;0", "102"},
        {"case directives take no position", "1234", "<>00-00;0", "12-34"},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(layout(c.value, c.mask), c.expected) << c.what;
}

TEST(MaskLayout, InsertsLiteralsRightToLeft)
{
    const MaskCase cases[] = {
        {"ten digits", "5551234567", "!000-000-0000;0", "555-123-4567"},
        {"seven digits pad the front", "5551234", "!000-000-0000;0;*", "   -555-1234"},
        {"eleventh digit stays at the front", "15551234567", "!000-000-0000;0", "1555-123-4567"},
        {"empty value", "", "!00-00;0", "  -  "},
        {"directive at the end", "5551234", "000-0000!;0", "555-1234"},
        {"trailing literal", "12", "!00%;0", "12%"},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(layout(c.value, c.mask), c.expected) << c.what;
}

TEST(MaskLayout, AlignsValuesThatCarryTheirLiterals)
{
    const MaskCase cases[] = {
        {"already laid out", "555-123-4567", "000-000-0000;1;_", "555-123-4567"},
        {"short fields are padded", "55-12-4567", "000-000-0000;1;_", "55 -12 -4567"},
        {"long fields are cut", "5555-123-4567", "000-000-0000;1", "555-123-4567"},
        {"missing literal is appended", "555", "000-000;1", "555-   "},
        {"no flag field", "12-345", "000-000", "12 -345"},
        {"empty flag field", "123456", "000-000;", "123-   "},
        {"no picture", "12-34", "", "12-34"},
        {"right to left", "12-345", "!000-000;1", " 12-345"},
        {"right to left cuts from the front", "12345-6", "!000-0;1", "345-6"},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(layout(c.value, c.mask), c.expected) << c.what;
}

TEST(MaskLayout, FindsTheFlagFieldsOnlyInTheTail)
{
    struct SplitCase {
        QString mask;
        QString picture;
        std::optional<QChar> saveLiterals;
        std::optional<QChar> blank;
        bool reverse;
    };
    const SplitCase cases[] = {
        {"000-000-0000;0;*", "000-000-0000", u'0', u'*', false},
        {"000-000-0000;0", "000-000-0000", u'0', std::nullopt, false},
        {"000;1;_", "000", u'1', u'_', false},
        {";0;*", "", u'0', u'*', false},
        {"00;0000000", "00;0000000", std::nullopt, std::nullopt, false},
        {"000-000;", "000-000", std::nullopt, std::nullopt, false},
        {"0\\;0", "0\\;0", std::nullopt, std::nullopt, false},
        {"!000;0", "!000", u'0', std::nullopt, true},
        {"\\!000", "\\!000", std::nullopt, std::nullopt, false},
        {"", "", std::nullopt, std::nullopt, false},
    };
    for (const SplitCase& c : cases) {
        const TnvCallerID::MaskParts parts = TnvCallerID::splitMask(c.mask);
        EXPECT_EQ(parts.picture, c.picture) << qPrintable(c.mask);
        EXPECT_EQ(parts.saveLiterals, c.saveLiterals) << qPrintable(c.mask);
        EXPECT_EQ(parts.blank, c.blank) << qPrintable(c.mask);
        EXPECT_EQ(parts.reverse, c.reverse) << qPrintable(c.mask);
    }
}

TEST(MaskLayout, UsesTheSystemSeparatorsByDefault)
{
    const QString expected = QStringLiteral("12") + TnvCallerID::systemDateSeparator() + QStringLiteral("31");
    EXPECT_EQ(TnvCallerID::applyMask("1231", "00/00;0"), expected);
}

TEST(NameFormat, CapitalisesWordsOfAsciiLetters)
{
    const std::pair<QString, QString> cases[] = {
        {"SMITH JOHN A", "Smith John A"},
        {"smith john", "Smith John"},
        {"", ""},
        {"O'BRIEN-SMITH  JR", "O'brien-smith  Jr"},
        {"MCDONALD,RON", "Mcdonald,ron"},
        {"1ST AVENUE", "1st Avenue"},
        {QString::fromUtf8("ÉLAN ÖSTER"), QString::fromUtf8("Élan Öster")},
        {"A\tB", "A\tb"},
    };
    for (const auto& [raw, expected] : cases)
        EXPECT_EQ(TnvCallerID::formatName(raw), expected) << qPrintable(raw);
}
