// The real inspector window on the offscreen platform: opened and closed through the
// settings and by its title bar, and following the log.

#include "TestControl.h"

#include <TnvBasicVantage.h>
#include <TnvInspector.h>
#include <TnvLogPage.h>

#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct WindowFixture : ::testing::Test {
    static void SetUpTestSuite() { TnvInspector::setUp(); }

    std::unique_ptr<TestControl> control = std::make_unique<TestControl>();
    TnvVantage& vantage = *control->Vantage();

    TnvBasicVantage* window() const { return dynamic_cast<TnvBasicVantage*>(vantage.window()); }
};

} // namespace

TEST_F(WindowFixture, OpensWithCaptionOnTheLogPageShowingTheLog)
{
    vantage.setVisible(true);
    TnvBasicVantage* shown = window();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("nvLine - Norvane Vantage"));
    EXPECT_EQ(shown->findChild<QTabWidget*>()->currentWidget(), shown->logPage());
    EXPECT_EQ(vantage.Width(), shown->width());
    EXPECT_EQ(vantage.Height(), shown->height());
    EXPECT_EQ(shown->logPage()->memo()->toPlainText(), control->Log()->Lines().join(QLatin1Char('\n')));

    control->Log()->Add(true, QStringLiteral("Call.Dial [00000001]"));
    control->ReportResult(false, -2);
    saveScreenshot(shown, QStringLiteral("basic-vantage"));
    EXPECT_TRUE(shown->logPage()->memo()->toPlainText().contains(QStringLiteral("\nCall.Dial [00000001]\n")));
}

TEST_F(WindowFixture, ClosingByTitleBarFreesTheWindowAndClearsVisible)
{
    vantage.setVisible(true);
    QPointer<TnvBasicVantage> shown = window();
    shown->resize(640, 420);
    shown->close();
    EXPECT_FALSE(vantage.Visible());
    ASSERT_TRUE(waitUntil([&] { return shown.isNull(); }));
    EXPECT_EQ(vantage.window(), nullptr);

    vantage.setVisible(true);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->size(), QSize(640, 420));
}

TEST_F(WindowFixture, DestroyingTheControlTakesItsWindowAlong)
{
    vantage.setVisible(true);
    QPointer<TnvBasicVantage> shown = window();
    control.reset();
    ASSERT_TRUE(waitUntil([&] { return shown.isNull(); }));
}

TEST_F(WindowFixture, ErrorsLightTheIndicatorUntilReset)
{
    vantage.setVisible(true);
    EXPECT_FALSE(window()->logPage()->errorShown());
    control->ReportResult(false, -2);
    EXPECT_TRUE(window()->logPage()->errorShown());
}
