// Inspector settings against a fake window: opening, closing, placement memory, popups,
// the flag lines and nodes, and help.

#include "ScriptedHost.h"
#include "TestControl.h"

#include <TnvConstantTexts.h>
#include <TnvTreeNode.h>
#include <TnvVantageWindow.h>

#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Records what the settings ask of their window.
class FakeWindow : public TnvVantageWindow {
public:
    static inline int alive = 0;
    static inline FakeWindow* last = nullptr;

    FakeWindow() { ++alive; last = this; }
    ~FakeWindow() override
    {
        --alive;
        if (last == this)
            last = nullptr;
        if (vantage)
            vantage->windowDestroyed();
    }

    TnvVantage* vantage = nullptr;
    QString caption;
    QRect geometry;
    TWindowState state = wsNormal;
    bool stayOnTop = false;
    int shows = 0;
    int logPageSelections = 0;
    int logRefreshes = 0;
    int errorRefreshes = 0;

    void initialise(TnvVantage* v) override { vantage = v; }
    void setCaption(const QString& c) override { caption = c; }
    void setStayOnTop(bool s) override { stayOnTop = s; }
    void setPlacement(int top, int left, int width, int height) override { geometry = QRect(left, top, width, height); }
    QRect normalGeometry() const override { return geometry; }
    TWindowState windowState() const override { return state; }
    void setWindowState(TWindowState s) override { state = s; }
    void showWindow() override { ++shows; }
    void selectLogPage() override { ++logPageSelections; }
    void selectInitialPage(bool logPage) override { logPageSelections += logPage; }
    void fillPanes() override {}
    void closeWindow() override
    {
        vantage = nullptr;
        delete this;
    }
    void refreshLogView() override { ++logRefreshes; }
    void refreshErrorDisplay() override { ++errorRefreshes; }
    bool copyLogToClipboard() override { return true; }

    // What the title bar's close button does.
    void userCloses()
    {
        if (vantage)
            vantage->windowClosed();
        delete this;
    }
};

struct VantageFixture : ::testing::Test {
    static void SetUpTestSuite()
    {
        for (int kind : {ckLine, ckPhone, ckPlay, ckRecord})
            TnvVantage::registerWindowFactory(kind, [](TnvVantage&) { return new FakeWindow; });
    }

    ScriptedHost host;
    std::unique_ptr<TestControl> control = std::make_unique<TestControl>();
    TnvVantage& vantage = *control->Vantage();

    QStringList newLines(qsizetype from) const { return control->Log()->Lines().mid(from); }
};

// A tree in memory, for the flag-node operations.
struct MemoryNode : TnvTreeNode {
    QString label;
    MemoryNode* parent = nullptr;
    std::vector<std::unique_ptr<MemoryNode>> children;
    QString text() const override { return label; }
    void setText(const QString& t) override { label = t; }
    QStringList childTexts() const
    {
        QStringList out;
        for (const auto& c : children)
            out << c->label;
        return out;
    }
};

struct MemoryTree : TnvTreeNodes {
    MemoryNode root;
    TnvTreeNode* addChild(TnvTreeNode* parent, const QString& text) override
    {
        auto* owner = parent ? static_cast<MemoryNode*>(parent) : &root;
        owner->children.push_back(std::make_unique<MemoryNode>());
        owner->children.back()->label = text;
        return owner->children.back().get();
    }
    void deleteChildren(TnvTreeNode* node) override { static_cast<MemoryNode*>(node)->children.clear(); }
};

} // namespace

TEST_F(VantageFixture, VisibleTwiceOpensOneWindowAndWritesTwoLines)
{
    const qsizetype from = control->Log()->Lines().size();
    vantage.setVisible(true);
    vantage.setVisible(true);
    EXPECT_EQ(FakeWindow::alive, 1);
    EXPECT_TRUE(vantage.Visible());
    EXPECT_EQ(FakeWindow::last->caption, QStringLiteral("nvLine - Norvane Vantage"));
    EXPECT_EQ(newLines(from), QStringList({"Vantage.Visible := True", "Vantage.Visible := True"}));

    vantage.setVisible(false);
    EXPECT_EQ(FakeWindow::alive, 0);
    EXPECT_FALSE(vantage.Visible());
    EXPECT_EQ(vantage.window(), nullptr);
}

TEST_F(VantageFixture, ReopenedWindowReturnsToItsPlaceUnlessPositionWasRead)
{
    vantage.setVisible(true);
    FakeWindow::last->geometry = QRect(30, 40, 500, 300);
    vantage.windowPlacementChanged(FakeWindow::last->geometry, wsNormal);
    FakeWindow::last->userCloses();
    EXPECT_FALSE(vantage.Visible());
    EXPECT_EQ(vantage.window(), nullptr);

    vantage.setVisible(true);
    EXPECT_EQ(FakeWindow::last->geometry, QRect(30, 40, 500, 300));
    FakeWindow::last->userCloses();

    // Reading the position of a closed window forgets it.
    EXPECT_EQ(vantage.Top(), 0);
    EXPECT_EQ(vantage.Width(), 0);
    vantage.setVisible(true);
    EXPECT_EQ(FakeWindow::last->geometry, QRect(30, 0, 500, 300));
}

TEST_F(VantageFixture, PlacementSettersReachTheOpenWindow)
{
    vantage.setVisible(true);
    vantage.setStayOnTop(true);
    vantage.setLeft(5);
    vantage.setTop(6);
    vantage.setWidth(700);
    vantage.setHeight(400);
    vantage.setWindowState(wsMaximized);
    FakeWindow* window = FakeWindow::last;
    EXPECT_TRUE(window->stayOnTop);
    EXPECT_EQ(window->geometry, QRect(5, 6, 700, 400));
    EXPECT_EQ(vantage.WindowState(), wsMaximized);
    // A maximised window keeps its last normal position.
    window->geometry = QRect(0, 0, 1, 1);
    EXPECT_EQ(vantage.Top(), 6);
}

TEST_F(VantageFixture, PopupOpensOrRaisesOnTheLogPageOnlyWhenAsked)
{
    vantage.ShowPopup(false);
    EXPECT_EQ(FakeWindow::alive, 0);

    vantage.ShowPopup(true);
    ASSERT_EQ(FakeWindow::alive, 1);
    FakeWindow* window = FakeWindow::last;
    const int shows = window->shows;
    vantage.ShowPopup(true);
    EXPECT_EQ(FakeWindow::alive, 1);
    EXPECT_EQ(window->shows, shows + 1);
    EXPECT_GE(window->logPageSelections, 2);
}

TEST_F(VantageFixture, ErrorWithPopupSettingBringsTheWindow)
{
    control->popupError = true;
    control->ReportResult(false, -2);
    ASSERT_EQ(FakeWindow::alive, 1);
    EXPECT_TRUE(vantage.Visible());
}

TEST_F(VantageFixture, DestroyingTheControlClosesItsWindowFirst)
{
    vantage.setVisible(true);
    QStringList lines;
    control->OnLog = [&](TnvSharedControl*, const QString& line) { lines << line; };
    control.reset();
    EXPECT_EQ(FakeWindow::alive, 0);
    EXPECT_EQ(lines, QStringList({"Vantage.Visible := False"}));
}

TEST_F(VantageFixture, DisabledControlAsksBeforeOpening)
{
    control->setEnabled(false);
    host.answer = TnvHostServices::AnswerCancel;
    vantage.setVisible(true);
    ASSERT_EQ(host.prompts.size(), 1);
    EXPECT_EQ(host.prompts.at(0).caption, QStringLiteral("Vantage not available..."));
    EXPECT_EQ(host.prompts.at(0).text, QStringLiteral("This Linkora control is currently disabled\r\nClick OK to enabled."));
    EXPECT_EQ(FakeWindow::alive, 0);
    EXPECT_FALSE(vantage.Visible());
    EXPECT_EQ(control->Error()->Number(), 0);

    host.answer = TnvHostServices::AnswerOk;
    vantage.setVisible(true);
    EXPECT_TRUE(control->Enabled());
    EXPECT_EQ(FakeWindow::alive, 1);
}

TEST_F(VantageFixture, WaveWarningAsksOnlyWithWindowAndSetting)
{
    TestControl record(ckRecord);
    record.popupWarning = true;
    EXPECT_TRUE(record.ReportResult(true, -11));
    EXPECT_TRUE(host.prompts.isEmpty());

    record.Vantage()->setVisible(true);
    host.answer = TnvHostServices::AnswerCancel;
    EXPECT_FALSE(record.ReportResult(true, -11));
    ASSERT_EQ(host.prompts.size(), 1);
    EXPECT_EQ(host.prompts.at(0).caption, QStringLiteral("Norvane Linkora - nvRecord"));
    EXPECT_EQ(host.prompts.at(0).buttons, TnvPrompt::OkCancel);
    host.answer = TnvHostServices::AnswerOk;
    EXPECT_TRUE(record.ReportResult(true, -11));
}

TEST_F(VantageFixture, LogFlagsListsEachSetBitLowestFirst)
{
    const qsizetype from = control->Log()->Lines().size();
    vantage.LogFlags(QStringLiteral("\tCall.States"), 0x101, CallStateText, 0x8000, 0x1);
    vantage.LogFlags(QStringLiteral("\tCall.Origin"), 0x8, CallOriginText, 0x80, 0x1);
    vantage.LogSteps(QStringLiteral("\tAddress.RemoveFromConfCaps"), 3, RemoveFromConfText, 3, 1);
    EXPECT_EQ(newLines(from), QStringList({
                                  "\tCall.States = [00000101]",
                                  "\t\tLINECALLSTATE_IDLE",
                                  "\t\tLINECALLSTATE_CONNECTED",
                                  "\tCall.Origin = [00000008]",
                                  "\t\tLINECALLORIGIN_???",
                                  "\tAddress.RemoveFromConfCaps = [00000003]",
                                  "\t\tLINEREMOVEFROMCONF_ANY",
                              }));
}

TEST_F(VantageFixture, FlagNodesRebuildOnlyWhenTheValueChanges)
{
    MemoryTree tree;
    vantage.setDevEnv(deCppBuilder);
    TnvTreeNode* node = vantage.AddFlagsNode(QStringLiteral("Call.State"), 0x104, CallStateText, nullptr, tree, 0x8000, 1);
    auto* memory = static_cast<MemoryNode*>(node);
    EXPECT_EQ(memory->label, QStringLiteral("Call->State == [00000104]"));
    EXPECT_EQ(memory->childTexts(), QStringList({"LINECALLSTATE_ACCEPTED", "LINECALLSTATE_CONNECTED"}));

    memory->children.at(0)->label = QStringLiteral("untouched");
    vantage.UpdateFlagsNode(QStringLiteral("Call.State"), 0x104, CallStateText, node, tree, 0x8000, 1);
    EXPECT_EQ(memory->children.at(0)->label, QStringLiteral("untouched"));

    vantage.UpdateFlagsNode(QStringLiteral("Call.State"), 0x4000, CallStateText, node, tree, 0x8000, 1);
    EXPECT_EQ(memory->label, QStringLiteral("Call->State == [00004000]"));
    EXPECT_EQ(memory->childTexts(), QStringList({"LINECALLSTATE_DISCONNECTED"}));

    TnvTreeNode* steps = vantage.AddStepsNode(QStringLiteral("Caps"), 2, RemoveFromConfText, node, tree, 3, 1);
    EXPECT_EQ(static_cast<MemoryNode*>(steps)->childTexts(), QStringList({"LINEREMOVEFROMCONF_LAST"}));
}

TEST_F(VantageFixture, HelpOpensTheManualOrSaysWhereItLooked)
{
    vantage.ShowHelp(QStringLiteral("INIT"));
    EXPECT_TRUE(host.opened.isEmpty());
    EXPECT_TRUE(host.prompts.isEmpty());

    // The build tree lays the manual out as an installation does.
    ASSERT_TRUE(QFileInfo::exists(TnvVantage::HelpFilePath()));
    vantage.ShowHelp(QStringLiteral("Log"));
    ASSERT_EQ(host.opened.size(), 1);
    EXPECT_EQ(host.opened.at(0).toLocalFile(), TnvVantage::HelpFilePath());
    EXPECT_EQ(host.opened.at(0).fragment(), QStringLiteral("Log"));

    host.openSucceeds = false;
    vantage.ShowHelp(QStringLiteral("Log"));
    ASSERT_EQ(host.prompts.size(), 1);
    EXPECT_EQ(host.prompts.at(0).caption, QStringLiteral("Norvane Vantage!"));
    EXPECT_EQ(host.prompts.at(0).text, QStringLiteral("Unable to locate help: \r\n") + TnvVantage::HelpFilePath());
    host.opened.clear();
    host.prompts.clear();
    host.openSucceeds = true;

    vantage.ShowHomePage();
    EXPECT_EQ(host.opened.size(), 1);
    EXPECT_TRUE(host.prompts.isEmpty());
    host.openSucceeds = false;
    vantage.ShowUpdatesPage(QStringLiteral("nvLine"), QStringLiteral("3.7"));
    // The failed page falls back to the manual, which fails too and says so.
    EXPECT_EQ(host.opened.at(1).fragment(), QStringLiteral("nvLine-3.7"));
    EXPECT_EQ(host.opened.at(2).fragment(), QStringLiteral("HowToUseHelp"));
    EXPECT_EQ(host.prompts.size(), 1);

    EXPECT_TRUE(vantage.ContextHelp(8, 1200));
    EXPECT_FALSE(vantage.ContextHelp(3, 1200));
}
