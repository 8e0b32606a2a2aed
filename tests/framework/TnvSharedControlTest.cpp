// The shared control base: its banner, ReportResult in its three reporting ways, and
// the dump of the objects every control has.

#include "ScriptedHost.h"
#include "TestControl.h"

#include <TnvResultTexts.h>

#include <gtest/gtest.h>

namespace {

struct ReportFixture : ::testing::Test {
    TestControl control;
    int errorsFired = 0;

    void SetUp() override
    {
        control.texts = LineErrorText;
        control.OnError = [this](TnvSharedControl* sender) {
            EXPECT_EQ(sender, &control);
            ++errorsFired;
        };
    }
};

} // namespace

TEST(SharedControl, BannerLinesComeFirstWithoutStampOrNotation)
{
    for (int kind : {ckLine, ckPhone, ckPlay, ckRecord}) {
        TestControl control(kind);
        control.Vantage()->setDevEnv(deVisualBasic);
        control.Log()->setTimeStamp(true);
        const QStringList& lines = control.Log()->Lines();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines.at(0), QStringLiteral("Norvane Linkora v3.7.1.2"));
        EXPECT_EQ(lines.at(1), QStringLiteral("Create ") + TnvSharedControl::KindText(kind));
    }
}

TEST_F(ReportFixture, SuccessClearsAndStaysSilent)
{
    control.ReportResult(false, static_cast<qint32>(0x80000018));
    const qsizetype lines = control.Log()->Lines().size();
    EXPECT_TRUE(control.ReportResult(false, 0));
    EXPECT_EQ(control.Error()->Number(), 0);
    EXPECT_TRUE(control.Error()->Hex().isEmpty());
    EXPECT_TRUE(control.Error()->Text().isEmpty());
    EXPECT_EQ(control.Log()->Lines().size(), lines);
    EXPECT_EQ(errorsFired, 1);
}

TEST_F(ReportFixture, ErrorIsRecordedLoggedAndFiredOnce)
{
    EXPECT_TRUE(control.ReportResult(false, static_cast<qint32>(0x80000018)));
    EXPECT_EQ(control.Error()->Text(), QStringLiteral("LINEERR_INVALCALLHANDLE"));
    EXPECT_EQ(control.Error()->Hex(), QStringLiteral("80000018"));
    EXPECT_EQ(control.Error()->Number(), static_cast<qint32>(0x80000018));
    EXPECT_EQ(control.Log()->Lines().constLast(), QStringLiteral("<< Error >> LINEERR_INVALCALLHANDLE [80000018]"));
    EXPECT_EQ(errorsFired, 1);

    control.ReportResult(false, -3);
    EXPECT_EQ(control.Log()->Lines().constLast(), QStringLiteral("<< Error >> TAPIREPLYTIMEOUT [FFFFFFFD]"));
}

TEST_F(ReportFixture, EventsOffStillLogsButDoesNotFire)
{
    control.Vantage()->setEvents(false);
    control.ReportResult(false, -2);
    EXPECT_EQ(control.Log()->Lines().constLast(), QStringLiteral("<< Error >> LINE_ERROR_DEVICE [FFFFFFFE]"));
    EXPECT_EQ(errorsFired, 0);
}

TEST_F(ReportFixture, WarningIsLoggedButNeverFiresOnError)
{
    EXPECT_TRUE(control.ReportResult(true, -985));
    EXPECT_EQ(control.Log()->Lines().constLast(), QStringLiteral("<< Warning >> Not 100% TAPI compliant [FFFFFC27]"));
    EXPECT_EQ(errorsFired, 0);
}

TEST_F(ReportFixture, ErrorDumpQuotesTheRecord)
{
    control.ReportResult(false, static_cast<qint32>(0x80000018));
    control.Error()->LogProperties(QStringLiteral("Error now:"), QStringLiteral("nvLine1"), QStringLiteral("\t"));
    EXPECT_EQ(control.Log()->Lines().mid(control.Log()->Lines().size() - 4),
              QStringList({"Error now:", "\tnvLine1.Error.Text = 'LINEERR_INVALCALLHANDLE'",
                           "\tnvLine1.Error.Hex = [80000018]", "\tnvLine1.Error.Number = -2147483624"}));
}

TEST(SharedControl, WaveWarningWithoutWindowAsksNobody)
{
    ScriptedHost host;
    host.answer = TnvHostServices::AnswerCancel;
    TestControl control(ckRecord);
    control.texts = WaveErrorText;
    control.popupWarning = true;
    EXPECT_TRUE(control.ReportResult(true, -11));
    EXPECT_TRUE(host.prompts.isEmpty());
    EXPECT_EQ(control.Log()->Lines().constLast(), QStringLiteral("<< Warning >> WAV_ERROR_FILETOOBIG [FFFFFFF5]"));
}
