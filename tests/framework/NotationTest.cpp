// The three notations and the value texts, compared as whole lines.

#include <TnvNotation.h>

#include <gtest/gtest.h>

namespace {

struct NotationCase {
    const char* native;
    const char* cpp;
    const char* basic;
};

const NotationCase kCases[] = {
    {"nvLine~Device.Active := True", "nvLine->Device->Active = True", "nvLine.DeviceActive = True"},
    {"Log.Count := 100 //Lines", "Log->Count = 100 //Lines", "LogCount = 100 'Lines"},
    {"\tDevice.Name = 'Modem'", "\tDevice->Name == \"Modem\"", "\tDeviceName = \"Modem\""},
    {"Error.Text = 'X'", "Error->Text == \"X\"", "ErrorText = \"X\""},
    {"Call.Dial [0000ABCD]", "Call->Dial [0000ABCD]", "CallDial [0000ABCD]"},
    {"\tCall.Dial [00000001] - Returned = True", "\tCall->Dial [00000001] - Returned == True",
     "\tCallDial [00000001] - Returned = True"},
    // Dots after the first "=" stay in the flattened notation; ranges survive as "..".
    {"\tCall.Rate = 1.5", "\tCall->Rate == 1->5", "\tCallRate = 1.5"},
    {"Digits 0..9 := x", "Digits 0->->9 = x", "Digits 0..9 = x"},
    // Only the first ":=" and the first "//" are rewritten.
    {"A.B := C := D // e // f", "A->B = C := D // e // f", "AB = C := D ' e // f"},
    {"", "", ""},
};

} // namespace

TEST(Notation, RewritesEveryCaseInEachNotation)
{
    for (const NotationCase& c : kCases) {
        const QString native = QString::fromUtf8(c.native);
        SCOPED_TRACE(c.native);
        EXPECT_EQ(TnvNotation::notate(native, deDelphi), QString(native).replace(QLatin1Char('~'), QLatin1Char('.')));
        EXPECT_EQ(TnvNotation::notate(QString::fromUtf8(c.native), deCppBuilder), QString::fromUtf8(c.cpp));
        EXPECT_EQ(TnvNotation::notate(QString::fromUtf8(c.native), deVisualBasic), QString::fromUtf8(c.basic));
        EXPECT_EQ(TnvNotation::notate(QString::fromUtf8(c.native), deOther), QString::fromUtf8(c.basic));
    }
}

TEST(Notation, ValueTexts)
{
    EXPECT_EQ(TnvNotation::boolText(true), QStringLiteral("True"));
    EXPECT_EQ(TnvNotation::boolText(false), QStringLiteral("False"));
    EXPECT_EQ(TnvNotation::hexText(0x80000018u), QStringLiteral("[80000018]"));
    EXPECT_EQ(TnvNotation::hexText(static_cast<quint32>(-3)), QStringLiteral("[FFFFFFFD]"));
    EXPECT_EQ(TnvNotation::hex8(0xabcu), QStringLiteral("00000ABC"));
    EXPECT_EQ(TnvNotation::timeStamp(QTime(13, 4, 5, 7)), QStringLiteral("04:05.007"));
}

TEST(Notation, FlagWalkVisitsSetBitsInRangeAndAlwaysEnds)
{
    struct Case {
        quint32 value, first, last;
        std::vector<quint32> expected;
    };
    const Case cases[] = {
        {0x101, 0x1, 0x8000, {0x1, 0x100}},
        {0x8001, 0x2, 0x8000, {0x8000}},          // bits below First are not listed
        {0x80000001, 0x1, 0x80000000, {0x1, 0x80000000}},
        {0xFFFFFFFF, 0x10, 0x20, {0x10, 0x20}},
        {0x6, 0x1, 0x3, {0x2, 0x4, 0x2}},          // a Last of two bits still ends
        {0x5, 0x4, 0x1, {0x4, 0x1}},               // First above Last wraps round once
    };
    for (const Case& c : cases) {
        std::vector<quint32> seen;
        TnvNotation::forEachFlag(c.value, c.first, c.last, [&](quint32 bit) { seen.push_back(bit); });
        EXPECT_EQ(seen, c.expected) << std::hex << c.value << " " << c.first << ".." << c.last;
    }
}
