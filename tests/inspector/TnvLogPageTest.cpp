// The Log page: mirroring the log without writing to it, catching up with a burst of
// lines in one go, its buttons, the clipboard and printing to a PDF file.

#include "TestControl.h"

#include <TnvBasicVantage.h>
#include <TnvInspector.h>
#include <TnvLogPage.h>
#include <TnvQtHostServices.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct LogPageFixture : ::testing::Test {
    static void SetUpTestSuite() { TnvInspector::setUp(); }

    TestControl control;
    TnvLogPage* page = nullptr;

    void SetUp() override
    {
        control.Vantage()->setVisible(true);
        page = dynamic_cast<TnvBasicVantage*>(control.Vantage()->window())->logPage();
    }
    QToolButton* button(const char* name) const { return page->findChild<QToolButton*>(QLatin1StringView(name)); }
};

} // namespace

TEST_F(LogPageFixture, RefreshMirrorsSettingsWithoutWritingToTheLog)
{
    control.Log()->setTimeStamp(true);
    const QStringList before = control.Log()->Lines();
    page->refreshLogView();
    EXPECT_EQ(control.Log()->Lines(), before);
    EXPECT_TRUE(button("CheckBoxLogTimeStamp")->isChecked());
    EXPECT_TRUE(button("CheckBoxLogActive")->isChecked());
    EXPECT_EQ(page->findChild<QLineEdit*>(QStringLiteral("EditLogCount"))->text(), QStringLiteral("50"));
}

TEST_F(LogPageFixture, ButtonsActOnTheLog)
{
    button("SpeedButtonMarker")->click();
    EXPECT_EQ(control.Log()->Lines().constLast(), QString(80, QLatin1Char('*')));

    button("CheckBoxLogActive")->click();
    EXPECT_FALSE(control.Log()->Active());
    EXPECT_EQ(control.Log()->Lines().constLast(), QStringLiteral("Log.Active := False"));
    button("CheckBoxLogActive")->click();

    button("SpeedButtonDump")->click();
    EXPECT_TRUE(control.Log()->Lines().contains(QStringLiteral("Current nvLine property values:")));
    EXPECT_TRUE(control.Log()->Lines().contains(QStringLiteral("Vantage.Log.Count = 50")));

    auto* count = page->findChild<QLineEdit*>(QStringLiteral("EditLogCount"));
    for (const char* text : {"abc", "0", "-4"}) {
        count->setText(QString::fromLatin1(text));
        emit count->editingFinished();
        EXPECT_EQ(control.Log()->Count(), 50) << text;
    }
    count->setText(QStringLiteral("7"));
    emit count->editingFinished();
    EXPECT_EQ(control.Log()->Count(), 7);
    EXPECT_EQ(control.Log()->Lines().size(), 7);

    button("SpeedButtonClear")->click();
    EXPECT_TRUE(control.Log()->Lines().isEmpty());
    EXPECT_TRUE(page->memo()->toPlainText().isEmpty());
}

TEST_F(LogPageFixture, CopyPutsTheShownLogOnTheClipboard)
{
    control.Log()->Add(true, QStringLiteral("Call.Dial [00000001]"));
    QApplication::clipboard()->clear();
    EXPECT_TRUE(control.Log()->CopyToClipboard());
    EXPECT_EQ(QApplication::clipboard()->text(), control.Log()->Lines().join(QLatin1Char('\n')));

    control.Vantage()->setVisible(false);
    EXPECT_FALSE(control.Log()->CopyToClipboard());
}

TEST_F(LogPageFixture, PrintsHeaderAndLinesToThePrinter)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("log.pdf"));
    QPrinter* printer = TnvQtHostServices::current()->printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);

    control.Log()->setActive(false);
    control.Log()->setActive(true);
    for (int i = 0; i < 120; ++i)
        control.Log()->Add(false, QStringLiteral("\tline %1").arg(i));
    ASSERT_TRUE(page->print(false));

    QProcess extract;
    extract.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(extract.waitForFinished(20000));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("Norvane Linkora v3.7.1.2")));
    EXPECT_TRUE(text.contains(QStringLiteral("Control: nvLine")));
    // Count keeps 50 lines: the oldest kept and the newest both reach paper.
    EXPECT_TRUE(text.contains(QStringLiteral("line 70")));
    EXPECT_TRUE(text.contains(QStringLiteral("line 119")));
    EXPECT_FALSE(text.contains(QStringLiteral("line 69\n")));
}

TEST_F(LogPageFixture, MemoMatchesTheLogThroughEveryKindOfChange)
{
    const auto expectedMemo = [&] {
        QStringList lines = control.Log()->Lines();
        while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
            lines.removeLast();
        return lines.join(QLatin1Char('\n'));
    };
    TnvLog* log = control.Log();
    const std::function<void(int)> steps[] = {
        [&](int i) { log->Add(true, QStringLiteral("line %1").arg(i)); },
        [&](int i) { log->AppendToLast(QStringLiteral(" +%1").arg(i)); },
        [&](int) { log->Add(false, QStringLiteral(" ")); },
        [&](int) { log->Add(false, QString()); },
        [&](int i) { log->setCount(3 + i % 7); },
        [&](int i) { log->setTimeStamp(i % 2); },
        [&](int) { log->Clear(); },
        [&](int i) { control.LogProperties(QString(), QString(), QString::number(i)); },
    };
    // A fixed pseudo-random walk through the operations, Add the most frequent.
    quint32 seed = 12345;
    for (int i = 0; i < 400; ++i) {
        seed = seed * 1103515245u + 12345u;
        const quint32 pick = (seed >> 16) % 16;
        steps[pick < 8 ? 0 : pick - 8](i);
        ASSERT_EQ(page->memo()->toPlainText(), expectedMemo()) << "after step " << i << " (" << pick << ")";
    }
}

TEST_F(LogPageFixture, ABurstOfLinesReachesTheMemoAtTheNextTurnOfTheEventLoop)
{
    // The memo as the person sees it, read without bringing it up to date.
    auto* shown = page->findChild<QPlainTextEdit*>(QStringLiteral("MemoLog"));
    const QString before = page->memo()->toPlainText();
    for (int i = 0; i < 500; ++i)
        control.Log()->Add(true, QStringLiteral("Call.Dial [%1]").arg(i, 8, 10, QLatin1Char('0')));
    EXPECT_EQ(shown->toPlainText(), before);
    const QString expected = control.Log()->Lines().join(QLatin1Char('\n'));
    EXPECT_TRUE(waitUntil([&] { return shown->toPlainText() == expected; }));
}

TEST_F(LogPageFixture, CopySeesEveryLineAddedJustBefore)
{
    for (int i = 0; i < 80; ++i)
        control.Log()->Add(false, QStringLiteral("\tline %1").arg(i));
    QApplication::clipboard()->clear();
    ASSERT_TRUE(control.Log()->CopyToClipboard());
    EXPECT_EQ(QApplication::clipboard()->text(), control.Log()->Lines().join(QLatin1Char('\n')));
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith(QStringLiteral("line 79")));
}
