// The wave-play inspector window on the "Linkora Loopback" device: the page it opens
// on, the file dialog and the history of names, the position steps, the buttons while
// playing, the volume page, the buffer page and the error indicator.

#include "WaveVantageHarness.h"

#include <TnvBufferPicker.h>
#include <TnvDropDownBox.h>
#include <TnvNotation.h>
#include <TnvPlay.h>
#include <TnvPlayVantage.h>
#include <TnvWaveBufferPage.h>
#include <TnvWaveFormatPage.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>

#include <memory>

namespace {

class PlayVantage : public WaveVantageHarness {
protected:
    void SetUp() override
    {
        WaveVantageHarness::SetUp();
        m_play = std::make_unique<TnvPlay>();
        m_play->setName(QStringLiteral("nvPlay1"));
        traceInto(m_play.get());
        m_play->setEnabled(true);
        selectLoopback(m_play->Device(), [this](int id) { m_play->Device()->setID(id); });
    }

    void TearDown() override
    {
        m_play.reset();
        WaveVantageHarness::TearDown();
    }

    TnvPlayVantage* openWindow()
    {
        m_play->Vantage()->setVisible(true);
        return dynamic_cast<TnvPlayVantage*>(m_play->Vantage()->window());
    }

    void closeWindow()
    {
        QPointer<QWidget> open = dynamic_cast<QWidget*>(m_play->Vantage()->window());
        m_play->Vantage()->setVisible(false);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(open.isNull());
    }

    bool playing() const { return m_play->Device()->Active(); }

    std::unique_ptr<TnvPlay> m_play;
};

TEST_F(PlayVantage, OpensOnTheSourcePageUntilTheSourceIsUsable)
{
    TnvPlayVantage* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("nvPlay - Norvane Vantage"));
    EXPECT_EQ(w->PageControl1->currentWidget(), w->TabSheetSource);
    EXPECT_EQ(w->PageControlSource->currentWidget(), w->bufferPage);
    QStringList tabs;
    for (int i = 0; i < w->PageControl1->count(); ++i)
        tabs << w->PageControl1->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"Log", "Position", "Source", "Volume", "Misc."}));
    EXPECT_EQ(w->EditSourceValid->text(), QStringLiteral("False"));
    closeWindow();

    const QString sound = writeSound(QStringLiteral("hello.wav"));
    m_play->Source()->setFileName(sound);
    ASSERT_TRUE(m_play->Source()->Valid());
    w = openWindow();
    EXPECT_EQ(w->PageControl1->currentWidget(), w->logPage);
    EXPECT_EQ(w->ComboBoxFileName->currentText(), sound);
    EXPECT_EQ(w->EditSourceValid->text(), QStringLiteral("True"));
    EXPECT_EQ(w->formatPage->EditFormatSamplesPerSec->text(), QStringLiteral("8000"));
    EXPECT_EQ(w->formatPage->EditFormatBytes->text(), QStringLiteral("2,400"));
    EXPECT_EQ(w->formatPage->EditFormatID->text(), QStringLiteral("wfPCM08000M16"));
}

TEST_F(PlayVantage, FileDialogStartsInTheFirstNamesDirectoryAndCancellingChangesNothing)
{
    const QString first = writeSound(QStringLiteral("one.wav"));
    writeSound(QStringLiteral("two.wav"));
    m_play->Source()->setFileName(m_dir.filePath(QStringLiteral("one")) + QStringLiteral(", two"));
    TnvPlayVantage* w = openWindow();
    const int items = w->ComboBoxFileName->count();
    const int named = count(QStringLiteral("Source.FileName := "));

    DialogScript dialogs;
    w->SpeedButtonFileSelect->click();
    ASSERT_EQ(dialogs.requests.size(), 1);
    const TnvFileRequest& asked = dialogs.requests.first();
    EXPECT_EQ(asked.title, QStringLiteral("Select wave file"));
    EXPECT_EQ(asked.directory, m_dir.path());
    EXPECT_EQ(asked.names, (QStringList{"one.wav", "two.wav"}));
    EXPECT_TRUE(asked.multiple);
    EXPECT_TRUE(asked.mustExist);
    // Cancelled: the name, the list and the trace stay as they were.
    EXPECT_EQ(m_play->Source()->FileName(), m_dir.filePath(QStringLiteral("one")) + QStringLiteral(", two"));
    EXPECT_EQ(w->ComboBoxFileName->count(), items);
    EXPECT_EQ(count(QStringLiteral("Source.FileName := ")), named);

    // Chosen: the first with its path, the next by name, ".wav" dropped; first in the list.
    dialogs.choices << QStringList{first, m_dir.filePath(QStringLiteral("two.WAV"))};
    w->SpeedButtonFileSelect->click();
    const QString joined = m_dir.filePath(QStringLiteral("one")) + QStringLiteral(",two");
    EXPECT_EQ(m_play->Source()->FileName(), joined);
    EXPECT_EQ(w->ComboBoxFileName->itemText(0), joined);
    EXPECT_EQ(w->ComboBoxFileName->currentText(), joined);
}

TEST_F(PlayVantage, ChoosingTheSameFileAgainReadsItAgain)
{
    const QString sound = writeSound(QStringLiteral("same.wav"));
    TnvPlayVantage* w = openWindow();
    DialogScript dialogs;
    dialogs.choices << QStringList{sound} << QStringList{sound};
    w->SpeedButtonFileSelect->click();
    ASSERT_TRUE(m_play->Source()->Valid());
    // The file changes on disk; choosing it again must not keep the old reading.
    ASSERT_TRUE(wavetest::writeFile(sound, wavetest::pcmFile(8000, wavetest::ramp(800, 1))));
    w->SpeedButtonFileSelect->click();
    const QString name = m_dir.filePath(QStringLiteral("same"));
    EXPECT_EQ(count(QStringLiteral("Source.FileName := '") + name + QLatin1Char('\'')), 2);
    EXPECT_EQ(m_play->Source()->Format()->Bytes(), 1600u);
    EXPECT_EQ(w->formatPage->EditFormatBytes->text(), QStringLiteral("1,600"));
    // The history holds the name once.
    EXPECT_EQ(w->ComboBoxFileName->count(), 1);
    EXPECT_EQ(dialogs.requests.at(1).directory, m_dir.path());
    EXPECT_EQ(dialogs.requests.at(1).names, QStringList{QStringLiteral("same.wav")});
}

TEST_F(PlayVantage, StepsMoveThePositionAndANonNumberSecondStepBecomesZero)
{
    TnvPlayVantage* w = openWindow();
    const int moves = count(QStringLiteral("Position."));
    w->EditPositionSecondFFRW->setText(QStringLiteral("abc"));
    w->SpeedButtonSecondByteFastForward->click();
    EXPECT_EQ(w->EditPositionSecondFFRW->text(), QStringLiteral("0"));
    EXPECT_EQ(count(QStringLiteral("Position.")), moves);
    w->SpeedButtonPositionSecondRewind->click();
    EXPECT_EQ(count(QStringLiteral("Position.Seconds := 0.0")), 1);

    // Steps are added to or taken from where the sound stands; a percent below 0 is
    // no position and the control ignores it.
    struct Case {
        QToolButton* button;
        QLineEdit* step;
        const char* text;
        const char* line;
        int lines;
    };
    const Case cases[] = {
        {w->SpeedButtonPositionByteFastForward, w->EditPositionByteFFRW, "15000", "Position.Byte := 15000", 1},
        {w->SpeedButtonPositionByteRewind, w->EditPositionByteFFRW, "x", "Position.Byte := 0", 1},
        {w->SpeedButtonPositionPercentFastForward, w->EditPositionPercentFFRW, "10", "Position.Percent := 10", 1},
        {w->SpeedButtonPositionPercentRewind, w->EditPositionPercentFFRW, "10", "Position.Percent := ", 1},
        {w->SpeedButtonSecondByteFastForward, w->EditPositionSecondFFRW, "1.5", "Position.Seconds := 1.5", 1},
    };
    for (const Case& c : cases) {
        c.step->setText(QLatin1String(c.text));
        c.button->click();
        EXPECT_EQ(count(QLatin1String(c.line)), c.lines) << c.line;
    }
    // One of the group shows pressed; the byte fast-forward button springs back.
    EXPECT_TRUE(w->SpeedButtonSecondByteFastForward->isChecked());
    EXPECT_FALSE(w->SpeedButtonPositionByteFastForward->isChecked());
}

TEST_F(PlayVantage, ActiveWhilePlayingOnlyShowsTheButtonsAgain)
{
    m_play->Source()->setFileName(writeSound(QStringLiteral("long.wav"), 400));
    TnvPlayVantage* w = openWindow();
    w->SpeedButtonActive->click();
    ASSERT_TRUE(playing());
    EXPECT_TRUE(w->SpeedButtonActive->isChecked());
    EXPECT_FALSE(w->SpeedButtonInactive->isChecked());
    EXPECT_TRUE(w->MenuDeviceActive->isChecked());
    const int starts = count(QStringLiteral("Device.Active := True"));

    w->SpeedButtonActive->click();
    EXPECT_EQ(count(QStringLiteral("Device.Active := True")), starts);
    EXPECT_TRUE(w->SpeedButtonActive->isChecked());
    // A click on the pressed button would lift it; the window puts it down again.
    EXPECT_TRUE(playing());

    w->SpeedButtonPause->click();
    EXPECT_TRUE(m_play->Device()->Pause());
    EXPECT_TRUE(w->SpeedButtonPause->isChecked());
    EXPECT_EQ(w->SpeedButtonPause->toolTip(), QStringLiteral("nvPlay.Device.Pause := False"));
    w->SpeedButtonPause->click();
    EXPECT_FALSE(w->SpeedButtonPause->isChecked());
    // Playing ends by itself: the buttons follow without a click.
    ASSERT_TRUE(waitUntil([&] { return !playing(); }, 3000));
    EXPECT_FALSE(w->SpeedButtonActive->isChecked());
    EXPECT_TRUE(w->SpeedButtonInactive->isChecked());
    // The played name went to the top of the history.
    EXPECT_EQ(w->ComboBoxFileName->itemText(0), m_play->Source()->FileName());
}

TEST_F(PlayVantage, PositionPageFollowsThePlayingSound)
{
    m_play->Source()->setFileName(writeSound(QStringLiteral("long.wav"), 3000));
    TnvPlayVantage* w = openWindow();
    w->PageControl1->setCurrentWidget(w->TabSheetPosition);
    w->SpeedButtonActive->click();
    ASSERT_TRUE(playing());
    // The control itself refreshes the page only on a pause or at the end.
    EXPECT_TRUE(waitUntil([&] { return w->ProgressBarPositionPercent->value() > 0 || !playing(); }, 5000));
    EXPECT_TRUE(playing());
    EXPECT_NE(w->EditPositionByte->text(), QStringLiteral("0"));
    m_play->Device()->setActive(false);
    EXPECT_EQ(w->EditPositionByte->text(), QStringLiteral("0"));
}

TEST_F(PlayVantage, VolumeRefreshWritesNoLineAndTypingWritesOne)
{
    TnvPlayVantage* w = openWindow();
    m_play->Volume()->setPosition(40);
    m_play->Volume()->setEnabled(true);
    EXPECT_EQ(w->EditVolumePosition->text(), QStringLiteral("40"));
    EXPECT_TRUE(w->CheckBoxVolumeEnabled->isChecked());
    w->RefreshVolume();
    EXPECT_EQ(count(QStringLiteral("Volume.Position := ")), 1);
    EXPECT_EQ(count(QStringLiteral("Volume.Enabled := ")), 1);

    w->EditVolumePosition->setText(QStringLiteral("55"));
    EXPECT_EQ(m_play->Volume()->Position(), 55);
    EXPECT_EQ(count(QStringLiteral("Volume.Position := ")), 2);
    // An emptied box is no value yet.
    w->EditVolumePosition->clear();
    EXPECT_EQ(count(QStringLiteral("Volume.Position := ")), 2);
    w->CheckBoxVolumeReset->click();
    EXPECT_EQ(m_play->Volume()->Reset(), w->CheckBoxVolumeReset->isChecked());
}

TEST_F(PlayVantage, MiscEditsAndMenusActOnTheControl)
{
    TnvPlayVantage* w = openWindow();
    w->EditDelay->setText(QStringLiteral("250"));
    leave(w->EditDelay);
    EXPECT_EQ(m_play->Device()->Delay(), 250);
    w->EditTimerInterval->setText(QStringLiteral("x"));
    leave(w->EditTimerInterval);
    EXPECT_EQ(w->EditTimerInterval->text(), QString::number(m_play->Timer()->Interval()));
    w->CheckBoxTimerEnabled->click();
    EXPECT_TRUE(m_play->Timer()->Enabled());
    w->EditMaxSize->setText(QStringLiteral("12"));
    leave(w->EditMaxSize);
    EXPECT_EQ(m_play->Source()->MaxSize(), 12);

    w->MenuDeviceLoop->trigger();
    EXPECT_TRUE(m_play->Device()->Loop());
    EXPECT_TRUE(w->MenuDeviceLoop->isChecked());
    w->MenuDeviceWait->trigger();
    EXPECT_TRUE(m_play->Device()->Wait());
    emit w->MenuDevice->aboutToShow();
    EXPECT_FALSE(w->MenuDeviceCODECsEnabled->isChecked());
    w->MenuDeviceCODECsEnabled->trigger();
    EXPECT_TRUE(m_play->Device()->CODECsEnabled());

    QStringList popups;
    for (QAction* item : w->MenuPopUp->actions())
        popups << item->text();
    EXPECT_EQ(popups, (QStringList{"OnDone", "OnError", "OnLoaded", "OnLoop", "OnTimer", "OnWarning"}));
    w->MenuPopUp->actions().at(3)->trigger();
    EXPECT_TRUE(m_play->Popup()->OnLoop());
    m_play->Popup()->setOnLoop(false);
    emit w->MenuPopUp->aboutToShow();
    EXPECT_FALSE(w->MenuPopUp->actions().at(3)->isChecked());
}

TEST_F(PlayVantage, ABadSourceLightsTheErrorIndicatorAndKeepsTheName)
{
    TnvPlayVantage* w = openWindow();
    const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(wavetest::writeFile(text, "not a sound at all"));
    const QString missing = m_dir.filePath(QStringLiteral("missing.wav"));
    for (const QString& name : {text, missing}) {
        w->logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonErrors"))->click();
        ASSERT_FALSE(errorLit(w->logPage));
        w->ComboBoxFileName->setEditText(name);
        EXPECT_EQ(m_play->Source()->FileName(), name);
        EXPECT_FALSE(m_play->Source()->Valid()) << name.toStdString();
        EXPECT_NE(m_play->Error()->Number(), 0) << name.toStdString();
        EXPECT_TRUE(errorLit(w->logPage)) << name.toStdString();
        EXPECT_EQ(w->tabIconIndex(TnvPlayVantage::PageLog), 1);
        EXPECT_EQ(w->EditSourceValid->text(), QStringLiteral("False"));
        EXPECT_EQ(w->ComboBoxFileName->currentText(), name);
    }
    // Starting it fails without playing anything.
    w->SpeedButtonActive->click();
    EXPECT_FALSE(playing());
    EXPECT_FALSE(w->SpeedButtonActive->isChecked());
}

TEST_F(PlayVantage, BufferPageLoadsCutsAndPicksBuffers)
{
    const QString one = writeSound(QStringLiteral("a.wav"), 200);
    const QString two = writeSound(QStringLiteral("b.wav"), 100);
    TnvPlayVantage* w = openWindow();
    TnvWaveBufferPage* page = w->bufferPage;
    DialogScript dialogs;
    dialogs.choices << QStringList{one, two};
    page->SpeedButtonBufferLoadFromFile->click();
    EXPECT_EQ(dialogs.requests.first().title, QStringLiteral("Select wave file(s)"));
    EXPECT_EQ(page->ComboBoxBufferLoadFromFile->currentText(), m_dir.filePath(QStringLiteral("a")) + QStringLiteral(",b"));
    page->ButtonBufferLoadFromFile->click();
    ASSERT_EQ(m_play->Error()->Number(), 0);
    const quint32 handle = m_play->Source()->Buffer()->Handle();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(page->ComboBoxSourceBufferHandle->currentText(), TnvNotation::hex8(handle));

    page->EditBufferDeleteBefore->setText(QStringLiteral("abc"));
    const int cuts = count(QStringLiteral("Source.Buffer.DeleteBefore"));
    page->ButtonBufferDeleteBefore->click();
    EXPECT_EQ(page->EditBufferDeleteBefore->text(), QStringLiteral("0"));
    EXPECT_EQ(count(QStringLiteral("Source.Buffer.DeleteBefore")), cuts);
    page->EditBufferDeleteAfter->setText(QStringLiteral("0.25"));
    page->ButtonBufferDeleteAfter->click();
    EXPECT_EQ(m_play->Source()->Buffer()->DataSize(), 4000u);

    page->EditSourceBufferAuthor->setText(QStringLiteral("Ada"));
    EXPECT_EQ(m_play->Source()->Buffer()->Author(), QStringLiteral("Ada"));
    page->EditSourceBufferCreationDate->setText(QStringLiteral("no date"));
    page->EditSourceBufferCreationDate->setModified(true);
    leave(page->EditSourceBufferCreationDate);
    ASSERT_EQ(dialogs.prompts.size(), 1);
    EXPECT_TRUE(dialogs.prompts.first().text.contains(QStringLiteral("is not a valid date")));

    // The buffer becomes the source; True shows what the buffer took.
    page->RadioButtonSourceBufferActiveTrue->click();
    EXPECT_TRUE(m_play->Source()->Buffer()->Active());
    EXPECT_TRUE(page->RadioButtonSourceBufferActiveTrue->isChecked());

    // The picker lists the registered buffers and writes the picked ones.
    TnvBufferPicker* picker = page->ComboBoxLoadFromBuffer;
    picker->showPopup();
    QListWidget* list = picker->list();
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->count(), TnvWaveBuffer::Count());
    EXPECT_EQ(list->height(), 4 * picker->height());
    list->item(list->count() - 1)->setSelected(true);
    picker->hidePopup();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(picker->currentText(), list->item(list->count() - 1)->text());
}

TEST_F(PlayVantage, ScreenshotsOfEveryPageWhilePlaying)
{
    m_play->Source()->setFileName(writeSound(QStringLiteral("shot.wav"), 400));
    TnvPlayVantage* w = openWindow();
    w->resize(w->size());
    m_play->Device()->setActive(true);
    ASSERT_TRUE(playing());
    m_play->Device()->setPause(true);
    const auto shoot = [&](QWidget* page, const QString& name) {
        w->PageControl1->setCurrentWidget(page);
        screenshot(w, QStringLiteral("play-") + name);
    };
    shoot(w->logPage, QStringLiteral("log"));
    shoot(w->TabSheetPosition, QStringLiteral("position"));
    w->PageControlSource->setCurrentWidget(w->TabSheetSourceMain);
    shoot(w->TabSheetSource, QStringLiteral("source"));
    w->PageControlSource->setCurrentWidget(w->bufferPage);
    shoot(w->TabSheetSource, QStringLiteral("source-buffer"));
    auto* scroll = w->bufferPage->findChild<QScrollArea*>(QStringLiteral("ScrollBoxSourceBuffer"));
    ASSERT_NE(scroll, nullptr);
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    shoot(w->TabSheetSource, QStringLiteral("source-buffer-operations"));
    w->PageControlSource->setCurrentWidget(w->formatPage);
    shoot(w->TabSheetSource, QStringLiteral("source-format"));
    shoot(w->TabSheetVolume, QStringLiteral("volume"));
    shoot(w->TabSheetMisc, QStringLiteral("misc"));
    m_play->Device()->setActive(false);
    EXPECT_FALSE(playing());
}

} // namespace
