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

// The settings place the shown window, its own moves come back to them, and a
// maximised window goes on reporting its normal placement.
TEST_F(WindowFixture, ReopenedBeforeTheClosedWindowIsGoneIsANewWindow)
{
    vantage.setVisible(true);
    QPointer<TnvBasicVantage> closed = window();
    closed->close();
    // Still there until the event loop frees it; reopening must not show it again.
    ASSERT_FALSE(closed.isNull());
    vantage.setVisible(true);
    TnvBasicVantage* reopened = window();
    ASSERT_NE(reopened, nullptr);
    EXPECT_NE(reopened, closed.data());
    EXPECT_TRUE(reopened->isVisible());
    ASSERT_TRUE(waitUntil([&] { return closed.isNull(); }));
    EXPECT_EQ(window(), reopened);
    EXPECT_TRUE(vantage.Visible());
}

TEST_F(WindowFixture, PlacementGoesBothWaysBetweenWindowAndSettings)
{
    vantage.setVisible(true);
    TnvBasicVantage* shown = window();
    ASSERT_NE(shown, nullptr);
    const auto stored = [&] { return QRect(vantage.Left(), vantage.Top(), vantage.Width(), vantage.Height()); };

    vantage.setWidth(600);
    vantage.setHeight(400);
    vantage.setLeft(40);
    vantage.setTop(30);
    EXPECT_EQ(shown->geometry(), QRect(40, 30, 600, 400));

    shown->setGeometry(90, 80, 620, 410);
    EXPECT_TRUE(waitUntil([&] { return stored() == QRect(90, 80, 620, 410); })) << stored().width();

    vantage.setStayOnTop(true);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    vantage.setWindowState(wsMaximized);
    ASSERT_TRUE(waitUntil([&] { return shown->isMaximized(); }));
    EXPECT_EQ(vantage.WindowState(), wsMaximized);
    EXPECT_EQ(stored().size(), QSize(620, 410));
    vantage.setWindowState(wsNormal);
    ASSERT_TRUE(waitUntil([&] { return !shown->isMaximized(); }));
    EXPECT_EQ(vantage.WindowState(), wsNormal);
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
