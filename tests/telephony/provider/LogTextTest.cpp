// Text on its way to a log: control characters become visible, the rest stays.

#include <provider/LogText.h>

#include <gtest/gtest.h>

TEST(LogText, ControlCharactersBecomeVisible)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("simulated"), QStringLiteral("simulated")},
        {QStringLiteral("red\x1b[31m"), QStringLiteral("red\\x1b[31m")},
        {QStringLiteral("bell\x07"), QStringLiteral("bell\\x07")},
        {QStringLiteral("line\nforged"), QStringLiteral("line\\x0aforged")},
        {QString(QChar(0x7F)) + QChar(0x9B), QStringLiteral("\\x7f\\x9b")},
        {QStringLiteral("caf\u00e9 \u00a0"), QStringLiteral("caf\u00e9 \u00a0")},
        {QString(), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Telephony::visibleText(c.in), c.out) << c.out.toStdString();
}
