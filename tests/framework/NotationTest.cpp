// The three notations and the value texts, compared as whole lines.

#include <TnvNotation.h>

#include <gtest/gtest.h>

#include <random>

namespace {

// The notation rules applied one after the other, as they are stated: the reference the
// one-pass rewriting must agree with on any text.
QString stepwise(QString text, TDevEnv env)
{
    const auto replaceFirst = [&](QLatin1StringView from, QLatin1StringView to) {
        const qsizetype at = text.indexOf(from);
        if (at >= 0)
            text.replace(at, from.size(), to);
    };
    switch (env) {
    case deDelphi:
        text.replace(QLatin1Char('~'), QLatin1Char('.'));
        break;
    case deCppBuilder:
        text.replace(QLatin1Char('~'), QLatin1Char('.'));
        text.replace(QLatin1StringView("."), QLatin1StringView("->"));
        text.replace(QLatin1StringView(" = "), QLatin1StringView(" == "));
        replaceFirst(QLatin1StringView(":="), QLatin1StringView("="));
        text.replace(QLatin1Char('\''), QLatin1Char('"'));
        break;
    case deOther:
    case deVisualBasic: {
        text.replace(QLatin1StringView(".."), QLatin1StringView("~~"));
        qsizetype end = text.indexOf(QLatin1Char('='));
        if (end < 0)
            end = text.size();
        for (qsizetype dot = text.indexOf(QLatin1Char('.')); dot >= 0 && dot < end; dot = text.indexOf(QLatin1Char('.'))) {
            text.remove(dot, 1);
            --end;
        }
        text.replace(QLatin1Char('~'), QLatin1Char('.'));
        text.replace(QLatin1Char('\''), QLatin1Char('"'));
        replaceFirst(QLatin1StringView(":="), QLatin1StringView("="));
        replaceFirst(QLatin1StringView("//"), QLatin1StringView("'"));
        break;
    }
    }
    return text;
}

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

TEST(Notation, OnePassAgreesWithTheRulesStepByStep)
{
    // Texts dense in the characters the rules act on, so their interplay comes up often:
    // ranges, a dot dropped between ":" and "=", " = = ", "///" and the like; and longer
    // ones where they are sparse, as in real lines, with long runs of plain text. Each is
    // also written into a used buffer and after a prefix, as the log writes its lines.
    const QString dense = QStringLiteral(".~=:/' aB1");
    const QString sparse = QStringLiteral(".~=:/' aB1cdefghijklmnopqrstuvwxyz0123456789\u00e9");
    std::mt19937 random(20240611);
    for (int i = 0; i < 20000; ++i) {
        const bool isDense = i % 2 == 0;
        const QString& alphabet = isDense ? dense : sparse;
        QString text;
        const int length = int(random() % (isDense ? 14 : 60));
        for (int k = 0; k < length; ++k)
            text.append(alphabet.at(qsizetype(random() % alphabet.size())));
        for (TDevEnv env : {deDelphi, deCppBuilder, deOther, deVisualBasic}) {
            const QString expected = stepwise(text, env);
            ASSERT_EQ(TnvNotation::notate(text, env), expected) << qPrintable(text) << " in " << env;
            QString used = QStringLiteral("a line written before, longer than most of these texts");
            TnvNotation::notateInto(used, text, env);
            ASSERT_EQ(used, expected) << qPrintable(text) << " in " << env;
            QString stamped = QStringLiteral("12:34.567\t");
            TnvNotation::appendNotated(stamped, text, env);
            ASSERT_EQ(stamped, QStringLiteral("12:34.567\t") + expected) << qPrintable(text) << " in " << env;
        }
    }
}

TEST(Notation, ALineWithNothingToRewriteIsSharedNotCopied)
{
    const QString text = QString::fromLatin1("OnCallBegin [00000001]");
    for (TDevEnv env : {deDelphi, deCppBuilder, deVisualBasic})
        EXPECT_TRUE(TnvNotation::notate(text, env).isSharedWith(text)) << env;
}

TEST(Notation, ValueTexts)
{
    EXPECT_EQ(TnvNotation::boolText(true), QStringLiteral("True"));
    EXPECT_EQ(TnvNotation::boolText(false), QStringLiteral("False"));
    EXPECT_EQ(TnvNotation::hexText(0x80000018u), QStringLiteral("[80000018]"));
    EXPECT_EQ(TnvNotation::hexText(static_cast<quint32>(-3)), QStringLiteral("[FFFFFFFD]"));
    EXPECT_EQ(TnvNotation::hex8(0xabcu), QStringLiteral("00000ABC"));
    EXPECT_EQ(TnvNotation::hex8(0xFEDCBA98u), QStringLiteral("FEDCBA98"));
    QString text = QStringLiteral("Call [");
    TnvNotation::appendHex8(text, 0x1F);
    EXPECT_EQ(text, QStringLiteral("Call [0000001F"));
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
