// The trace log: its bound, the line formats, the setters' own lines and OnLog.

#include "TestControl.h"

#include <TnvLog.h>
#include <TnvVantage.h>

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QStringList kBanner = {QStringLiteral("Norvane Linkora v3.7.1.2"), QStringLiteral("Create nvLine")};

struct LogFixture : ::testing::Test {
    QStringList received; // outlives the control, which still logs while it goes
    TestControl control;
    TnvLog& log = *control.Log();

    void SetUp() override
    {
        control.OnLog = [this](TnvSharedControl* sender, const QString& line) {
            EXPECT_EQ(sender, &control);
            received << line;
        };
    }
};

} // namespace

TEST_F(LogFixture, CountBoundsTheListAtAllTimes)
{
    log.setCount(3);
    for (int i = 1; i <= 5; ++i)
        log.Add(true, QStringLiteral("line %1").arg(i));
    EXPECT_EQ(log.Lines(), QStringList({"line 3", "line 4", "line 5"}));
    EXPECT_EQ(received.size(), 6); // the Count assignment and the five lines
}

TEST_F(LogFixture, LoweringCountKeepsTheNewestLinesEndingWithTheAssignment)
{
    for (int i = 0; i < 60; ++i)
        log.Add(true, QStringLiteral("line %1").arg(i));
    ASSERT_EQ(log.Lines().size(), 50);
    log.setCount(10);
    ASSERT_EQ(log.Lines().size(), 10);
    EXPECT_EQ(log.Lines().constLast(), QStringLiteral("Log.Count := 10 //Lines"));
    EXPECT_EQ(log.Lines().constFirst(), QStringLiteral("line 51"));
    EXPECT_EQ(log.Count(), 10);
}

TEST_F(LogFixture, CountOfZeroOrLessChangesAndWritesNothing)
{
    for (int bad : {0, -1, -50}) {
        log.setCount(bad);
        EXPECT_EQ(log.Count(), 50);
    }
    EXPECT_EQ(log.Lines(), kBanner);
    EXPECT_TRUE(received.isEmpty());
}

TEST_F(LogFixture, TimeStampPrefixesEntriesAndIndentsDetails)
{
    log.setTimeStamp(true);
    log.Add(true, QStringLiteral("Call.Dial [00000001]"));
    log.Add(false, QStringLiteral("\tCall.PhoneNumber = 201"));
    const QStringList& lines = log.Lines();
    // The assignment itself was formatted before the setting changed.
    EXPECT_EQ(lines.at(2), QStringLiteral("Log.TimeStamp := True"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d\\.\\d\\d\\d\\tCall\\.Dial \\[00000001\\]$"))
                    .match(lines.at(3))
                    .hasMatch())
        << lines.at(3).toStdString();
    EXPECT_EQ(lines.at(4), QStringLiteral("\t\t\tCall.PhoneNumber = 201"));
}

TEST_F(LogFixture, MarkerBecomesAsterisksOnlyWhenExact)
{
    log.Add(true, QStringLiteral("MARKER"));
    log.Add(true, QStringLiteral("marker"));
    log.Add(true, QStringLiteral("MARKER "));
    EXPECT_EQ(log.Lines().mid(2), QStringList({QString(80, QLatin1Char('*')), "marker", "MARKER "}));
}

TEST_F(LogFixture, InactiveLogStoresNothingButStillFeedsOnLog)
{
    log.setActive(false);
    EXPECT_EQ(log.Lines().constLast(), QStringLiteral("Log.Active := False"));
    const QStringList before = log.Lines();

    EXPECT_TRUE(log.Add(true, QStringLiteral("Vantage.Visible := True")));
    EXPECT_FALSE(log.AppendToLast(QStringLiteral(" more")));
    EXPECT_FALSE(log.Clear());
    EXPECT_FALSE(log.LogProperties(QString(), QString(), QStringLiteral("\t")));
    EXPECT_EQ(log.Lines(), before);
    EXPECT_EQ(received.constLast(), QStringLiteral("Vantage.Visible := True"));

    control.OnLog = nullptr;
    EXPECT_FALSE(log.Add(true, QStringLiteral("nobody hears this")));

    log.setActive(true);
    EXPECT_EQ(log.Lines().constLast(), QStringLiteral("Log.Active := True"));
}

TEST_F(LogFixture, AppendToLastExtendsTheLastLineButNotAnError)
{
    log.Add(true, QStringLiteral("Buffer.Join"));
    EXPECT_TRUE(log.AppendToLast(QStringLiteral("    Buffer: 'a.wav'")));
    EXPECT_EQ(log.Lines().constLast(), QStringLiteral("Buffer.Join    Buffer: 'a.wav'"));

    log.Add(true, QStringLiteral("<< Error >> WAV_ERROR_NOFILE [FFFFFFFE]"));
    log.AppendToLast(QStringLiteral("\tdetail"));
    EXPECT_EQ(log.Lines().mid(log.Lines().size() - 2),
              QStringList({"<< Error >> WAV_ERROR_NOFILE [FFFFFFFE]", "\tdetail"}));

    log.Clear();
    EXPECT_TRUE(log.AppendToLast(QStringLiteral("first")));
    EXPECT_EQ(log.Lines(), QStringList({"first"}));
}

TEST_F(LogFixture, LinesFollowTheNotationInForceWhenWritten)
{
    control.Vantage()->setDevEnv(deCppBuilder);
    control.Vantage()->LogProperties(QString(), QString(), QStringLiteral("\t"));
    log.LogProperties(QStringLiteral("Current values:"), QStringLiteral("Vantage"), QStringLiteral("\t"));
    control.Vantage()->setDevEnv(deVisualBasic);
    log.Add(true, QStringLiteral("nvLine~Device.Active := True"));

    const QStringList expected = {
        "DevEnv = deCppBuilder",
        "\tVantage->DevEnv == deCppBuilder",
        "\tVantage->Events == True",
        "\tVantage->Height == 0",
        "\tVantage->Left == 0",
        "\tVantage->StayOnTop == False",
        "\tVantage->Top == 0",
        "\tVantage->Visible == False",
        "\tVantage->Width == 0",
        "\tVantage->WindowState == wsNormal",
        "Current values:",
        "\tVantage->Log->Active == True",
        "\tVantage->Log->Count == 50",
        "\tVantage->Log->TimeStamp == False",
        "DevEnv = deVisualBasic",
        "nvLine.DeviceActive = True",
    };
    EXPECT_EQ(log.Lines().mid(2), expected);
    EXPECT_EQ(received, expected);
}
