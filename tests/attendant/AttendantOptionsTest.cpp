// The attendant's command line: what it takes, and what it refuses before any line opens.

#include <AttendantOptions.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AttendantOptions, TakesTheDocumentedFormsAndRefusesTheRest)
{
    QTemporaryDir dir;
    const QString greeting = dir.filePath(QStringLiteral("greeting.wav"));
    QFile file(greeting);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QString error;
    const std::optional<AttendantOptions> parsed = AttendantOptions::parse(
        {"--lines", "2,1,2", "--greeting", greeting, "--messages", dir.path(), "--max-seconds", "30", "--menu",
         "1=" + greeting, "--operator", "555-0100", "--count", "3", "--sim-speed", "0"},
        &error);
    ASSERT_TRUE(parsed) << error.toStdString();
    EXPECT_EQ(parsed->lines, QList<int>({2, 1}));
    EXPECT_EQ(parsed->greeting, greeting);
    EXPECT_EQ(parsed->maxSeconds, 30);
    EXPECT_EQ(parsed->menu.value(QLatin1Char('1')), greeting);
    EXPECT_EQ(parsed->operatorNumber, QStringLiteral("555-0100"));
    EXPECT_EQ(parsed->count, 3);
    EXPECT_EQ(parsed->simSpeed.value_or(-1), 0.0);

    const std::optional<AttendantOptions> defaults = AttendantOptions::parse({"--lines", "all"}, &error);
    ASSERT_TRUE(defaults);
    EXPECT_TRUE(defaults->lines.isEmpty());
    EXPECT_EQ(defaults->maxSeconds, 120);
    EXPECT_TRUE(defaults->greeting.isEmpty());
    EXPECT_FALSE(defaults->messages.isEmpty());

    struct Refused {
        QStringList arguments;
        const char* says;
    };
    const Refused refused[] = {
        {{"--lines", "0"}, "--lines wants"},
        {{"--lines", "1,x"}, "--lines wants"},
        {{"--greeting", dir.filePath("none.wav")}, "cannot read"},
        {{"--max-seconds", "0"}, "--max-seconds wants"},
        {{"--max-seconds", "3601"}, "--max-seconds wants"},
        {{"--menu", "#=" + greeting}, "--menu wants D=FILE"},
        {{"--menu", "12=" + greeting}, "--menu wants D=FILE"},
        {{"--menu", "0=" + greeting, "--operator", "202"}, "0 is the operator's"},
        {{"--operator", "call me"}, "--operator wants"},
        {{"--count", "0"}, "--count wants"},
        {{"--sim-speed", "-1"}, "--sim-speed wants"},
        {{"--messages"}, "needs a value"},
        {{"--loud"}, "unknown argument"},
    };
    for (const Refused& r : refused) {
        error.clear();
        EXPECT_FALSE(AttendantOptions::parse(r.arguments, &error)) << r.arguments.join(' ').toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(r.says))) << error.toStdString();
    }
}
