// The size limit of a load: who is asked, what each answer does, and that one load
// asks once.

#include "ScriptedHost.h"
#include "WaveTestSupport.h"

#include <TnvResultTexts.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

struct LimitFixture : ::testing::Test {
    QTemporaryDir dir;
    TestWaveControl control;
    QString tenKilobytes;
    int warnings = 0;

    void SetUp() override
    {
        tenKilobytes = dir.filePath(QStringLiteral("ten.wav"));
        ASSERT_TRUE(writeFile(tenKilobytes, pcmFile(8000, ramp(5120))));
        control.Source()->setMaxSize(1);
    }

    void answer(bool proceed)
    {
        control.OnWarning = [this, proceed](TnvSharedControl* sender, bool& Continue) {
            EXPECT_EQ(sender, &control);
            EXPECT_TRUE(Continue);
            ++warnings;
            Continue = proceed;
        };
    }
};

} // namespace

TEST_F(LimitFixture, WithoutHandlerOrPopupTheLoadIsCanceled)
{
    EXPECT_FALSE(control.buffer()->LoadFromFile(tenKilobytes));
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_CANCELED);
    EXPECT_EQ(control.lines.constLast(), QStringLiteral("<< Error >> WAV_ERROR_CANCELED [FFFFFFF6]"));
    EXPECT_FALSE(control.buffer()->Active());
    EXPECT_EQ(control.buffer()->Handle(), 0u);
}

TEST_F(LimitFixture, TheHandlerDecidesAndIsAskedOncePerLoad)
{
    answer(true);
    ASSERT_TRUE(control.buffer()->LoadFromFile(tenKilobytes + QLatin1Char(',') + tenKilobytes + QLatin1Char(',')
                                               + tenKilobytes));
    EXPECT_EQ(warnings, 1);
    EXPECT_TRUE(control.logged(QStringLiteral("<< Error >> WAV_ERROR_FILETOOBIG [FFFFFFF5]")));
    EXPECT_EQ(control.buffer()->DataSize(), 3u * 10240u);
    control.buffer()->FreeBuffer();

    answer(false);
    EXPECT_FALSE(control.buffer()->LoadFromFile(tenKilobytes));
    EXPECT_EQ(warnings, 2);
    EXPECT_EQ(control.Error()->Number(), WAV_ERROR_CANCELED);

    // Within the limit nobody is asked.
    control.Source()->setMaxSize(10);
    ASSERT_TRUE(control.buffer()->LoadFromFile(tenKilobytes));
    EXPECT_EQ(warnings, 2);
    control.buffer()->FreeBuffer();
}

TEST_F(LimitFixture, WithThePopupSettingTheWarningStandsUnlessCanceled)
{
    ScriptedHost host;
    control.popupWarning = true;
    ASSERT_TRUE(control.buffer()->LoadFromFile(tenKilobytes));
    EXPECT_TRUE(control.logged(QStringLiteral("<< Warning >> WAV_ERROR_FILETOOBIG [FFFFFFF5]")));
    control.buffer()->FreeBuffer();
}
