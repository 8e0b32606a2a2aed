// The wave-record inspector window on the "Linkora Loopback" device: the file name it
// records to, the history of names, the save box, the format list, the Device page and
// the error indicator for a target that cannot be written.

#include "WaveVantageHarness.h"

#include <TnvRecord.h>
#include <TnvRecordVantage.h>
#include <TnvWaveBufferPage.h>
#include <TnvWaveFormat.h>
#include <TnvWaveFormatPage.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>

#include <functional>
#include <memory>

namespace {

class RecordVantage : public WaveVantageHarness {
protected:
    void SetUp() override
    {
        WaveVantageHarness::SetUp();
        m_record = std::make_unique<TnvRecord>();
        m_record->setName(QStringLiteral("nvRecord1"));
        traceInto(m_record.get());
        m_record->setEnabled(true);
        selectLoopback(m_record->Device(), [this](int id) { m_record->Device()->setID(id); });
        // Short blocks: a recording of a few tenths of a second fills some.
        m_record->Device()->setBuffer(100);
    }

    void TearDown() override
    {
        m_record.reset();
        WaveVantageHarness::TearDown();
    }

    TnvRecordVantage* openWindow()
    {
        m_record->Vantage()->setVisible(true);
        return dynamic_cast<TnvRecordVantage*>(m_record->Vantage()->window());
    }

    bool recording() const { return m_record->Device()->Active(); }

    // Records for about ms milliseconds through the window's buttons.
    void recordFor(TnvRecordVantage* w, int ms)
    {
        w->SpeedButtonActive->click();
        ASSERT_TRUE(recording());
        const quint32 before = m_record->Source()->Format()->Bytes();
        waitUntil([&] { return m_record->Source()->Format()->Bytes() > before; }, ms);
        w->SpeedButtonInactive->click();
        ASSERT_FALSE(recording());
    }

    int lineIndex(const QString& line) const { return int(m_trace.lastIndexOf(line)); }

    std::unique_ptr<TnvRecord> m_record;
};

TEST_F(RecordVantage, OpensWithTheFormatListAndOnTheSourcePage)
{
    TnvRecordVantage* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("nvRecord - Norvane Vantage"));
    QStringList tabs;
    for (int i = 0; i < w->PageControl1->count(); ++i)
        tabs << w->PageControl1->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"Log", "Device", "Source"}));
    EXPECT_EQ(w->PageControl1->currentWidget(), w->TabSheetSource);
    EXPECT_EQ(w->PageControlSource->currentWidget(), w->bufferPage);
    QComboBox* names = w->formatPage->ComboBoxSourceFormatName;
    ASSERT_EQ(names->count(), TnvWaveFormat::FormatCount);
    for (int id = 0; id < names->count(); ++id)
        EXPECT_EQ(names->itemText(id), TnvWaveFormat::Text(TWaveFormatID(id)));
    EXPECT_EQ(names->currentIndex(), int(wfPCM08000M16));
    EXPECT_EQ(w->formatPage->EditFormatID->text(), QStringLiteral("wfPCM08000M16"));
    EXPECT_EQ(w->EditBuffer->text(), QStringLiteral("100"));
    // The labels read in full once the notation wrote them.
    EXPECT_EQ(w->formatPage->LabelFormatTag->text(), QStringLiteral("Format.Tag ="));
    EXPECT_EQ(w->logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonClear"))->toolTip(),
              QStringLiteral("Clear log and reset errors"));
}

TEST_F(RecordVantage, FormatListSetsTheIDByPosition)
{
    TnvRecordVantage* w = openWindow();
    QComboBox* names = w->formatPage->ComboBoxSourceFormatName;
    for (int id : {0, 5, int(wfIMAADPCM08000M04)}) {
        names->setCurrentIndex(id);
        EXPECT_EQ(int(m_record->Source()->Format()->ID()), id);
        EXPECT_EQ(w->formatPage->EditFormatID->text(), TnvWaveFormat::IDName(TWaveFormatID(id)));
    }
    EXPECT_EQ(w->formatPage->EditFormatID->text(), QStringLiteral("wfIMAADPCM08000M04"));
    names->setCurrentIndex(0);
    EXPECT_EQ(w->formatPage->EditFormatID->text(), QStringLiteral("wfUnknown"));

    // A value typed into the page is set on leaving and stays as typed.
    names->setCurrentIndex(int(wfPCM08000M16));
    w->formatPage->EditFormatSamplesPerSec->setText(QStringLiteral("11025"));
    leave(w->formatPage->EditFormatSamplesPerSec);
    EXPECT_EQ(m_record->Source()->Format()->SamplesPerSec(), 11025);
    w->formatPage->EditFormatChannels->setText(QStringLiteral("two"));
    leave(w->formatPage->EditFormatChannels);
    EXPECT_EQ(m_record->Source()->Format()->Channels(), 0);
    EXPECT_EQ(w->formatPage->EditFormatChannels->text(), QStringLiteral("two"));
}

TEST_F(RecordVantage, RecordsToTheNameTypedLastEvenIfTheBoxDidNotPassItOn)
{
    TnvRecordVantage* w = openWindow();
    const QString typed = m_dir.filePath(QStringLiteral("typed.wav"));
    {
        // As if the text arrived while the box's action was detached.
        const QSignalBlocker quiet(w->ComboBoxFileName);
        w->ComboBoxFileName->setEditText(typed);
    }
    ASSERT_TRUE(m_record->Source()->FileName().isEmpty());
    recordFor(w, 400);
    const int named = lineIndex(QStringLiteral("Source.FileName := '") + typed + QLatin1Char('\''));
    ASSERT_GE(named, 0);
    EXPECT_LT(named, lineIndex(QStringLiteral("Device.Active := True")));
    EXPECT_TRUE(QFile::exists(typed));
    EXPECT_EQ(w->ComboBoxFileName->itemText(0), typed);
    EXPECT_EQ(m_record->Error()->Number(), 0);
    EXPECT_FALSE(w->SpeedButtonActive->isChecked());
    EXPECT_TRUE(w->SpeedButtonInactive->isChecked());
}

TEST_F(RecordVantage, ChoosingATargetPutsThePreviousNameFirstAndCancellingKeepsIt)
{
    TnvRecordVantage* w = openWindow();
    const QString first = m_dir.filePath(QStringLiteral("first.wav"));
    const QString second = m_dir.filePath(QStringLiteral("second.wav"));
    w->ComboBoxFileName->setEditText(first);
    ASSERT_EQ(m_record->Source()->FileName(), first);

    DialogScript dialogs;
    w->SpeedButtonFileSelect->click();
    ASSERT_EQ(dialogs.requests.size(), 1);
    // The start name goes to the dialog as it is; the target need not exist.
    EXPECT_EQ(dialogs.requests.first().names, QStringList{first});
    EXPECT_FALSE(dialogs.requests.first().mustExist);
    EXPECT_FALSE(dialogs.requests.first().multiple);
    EXPECT_EQ(m_record->Source()->FileName(), first);
    EXPECT_EQ(w->ComboBoxFileName->count(), 0);

    dialogs.choices << QStringList{second};
    w->SpeedButtonFileSelect->click();
    EXPECT_EQ(m_record->Source()->FileName(), second);
    EXPECT_EQ(w->ComboBoxFileName->itemText(0), first);
    EXPECT_EQ(w->ComboBoxFileName->currentText(), second);
    EXPECT_TRUE(m_record->Source()->Valid());
}

TEST_F(RecordVantage, TheSaveBoxIsNotTheFileName)
{
    TnvRecordVantage* w = openWindow();
    const QString target = m_dir.filePath(QStringLiteral("target.wav"));
    w->ComboBoxFileName->setEditText(target);
    const int named = count(QStringLiteral("Source.FileName := "));
    TnvWaveBufferPage* page = w->bufferPage;
    page->ComboBoxBufferSaveToFile->setEditText(m_dir.filePath(QStringLiteral("elsewhere.wav")));
    EXPECT_EQ(m_record->Source()->FileName(), target);
    EXPECT_EQ(count(QStringLiteral("Source.FileName := ")), named);

    DialogScript dialogs;
    dialogs.choices << QStringList{m_dir.filePath(QStringLiteral("chosen.WAV"))};
    page->SpeedButtonBufferSaveToFile->click();
    EXPECT_EQ(dialogs.requests.first().title, QStringLiteral("Select wave file"));
    EXPECT_FALSE(dialogs.requests.first().mustExist);
    // Extensions stay as chosen; the file name of the control stays.
    EXPECT_EQ(page->ComboBoxBufferSaveToFile->currentText(), m_dir.filePath(QStringLiteral("chosen.WAV")));
    EXPECT_EQ(m_record->Source()->FileName(), target);
}

TEST_F(RecordVantage, ATargetThatCannotBeWrittenLightsTheErrorIndicator)
{
    TnvRecordVantage* w = openWindow();
    // A directory stands where the file should go: whoever runs the test cannot write it.
    const QString blocked = m_dir.filePath(QStringLiteral("taken.wav"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    w->ComboBoxFileName->setEditText(blocked);
    ASSERT_TRUE(m_record->Source()->Valid());
    recordFor(w, 300);
    EXPECT_NE(m_record->Error()->Number(), 0);
    EXPECT_TRUE(errorLit(w->logPage));
    EXPECT_EQ(w->tabIconIndex(TnvRecordVantage::PageLog), 1);
    EXPECT_EQ(w->ComboBoxFileName->currentText(), blocked);

    // A target in a directory that is not there: the start is refused.
    w->logPage->findChild<QToolButton*>(QStringLiteral("SpeedButtonErrors"))->click();
    w->ComboBoxFileName->setEditText(m_dir.filePath(QStringLiteral("nowhere/take.wav")));
    EXPECT_EQ(w->EditSourceValid->text(), QStringLiteral("False"));
    w->SpeedButtonActive->click();
    EXPECT_FALSE(recording());
    EXPECT_TRUE(errorLit(w->logPage));
    EXPECT_FALSE(w->SpeedButtonActive->isChecked());
}

TEST_F(RecordVantage, DevicePageAndMenusActOnTheControl)
{
    TnvRecordVantage* w = openWindow();
    struct Case {
        QLineEdit* edit;
        const char* text;
        std::function<qint32()> value;
        qint32 expected;
    };
    TnvRecordDevice* device = m_record->Device();
    const Case cases[] = {
        {w->EditBuffer, "250", [device] { return device->Buffer(); }, 250},
        {w->EditBuffer, "99", [device] { return device->Buffer(); }, 250},
        {w->EditDelay, "30", [device] { return device->Delay(); }, 30},
        {w->EditTrim, "abc", [device] { return device->Trim(); }, 0},
    };
    for (const Case& c : cases) {
        c.edit->setText(QLatin1String(c.text));
        leave(c.edit);
        EXPECT_EQ(c.value(), c.expected) << c.text;
    }
    // A refused value shows the kept one again.
    EXPECT_EQ(w->EditBuffer->text(), QStringLiteral("250"));

    emit w->MenuDevice->aboutToShow();
    EXPECT_FALSE(w->MenuDeviceAppend->isChecked());
    w->MenuDeviceAppend->trigger();
    EXPECT_TRUE(device->Append());
    QStringList popups;
    for (QAction* item : w->MenuPopUp->actions())
        popups << item->text();
    EXPECT_EQ(popups, (QStringList{"OnDone", "OnError", "OnWarning"}));
    // OnDone is shown without an action.
    w->MenuPopUp->actions().at(0)->trigger();
    EXPECT_FALSE(m_record->Popup()->OnDone());
    w->MenuPopUp->actions().at(2)->trigger();
    EXPECT_TRUE(m_record->Popup()->OnWarning());

    // Pausing while not recording is refused; the button shows the control.
    w->SpeedButtonPause->click();
    EXPECT_FALSE(device->Pause());
    EXPECT_FALSE(w->SpeedButtonPause->isChecked());
}

TEST_F(RecordVantage, ScreenshotsOfEveryPageWhileRecording)
{
    TnvRecordVantage* w = openWindow();
    w->ComboBoxFileName->setEditText(m_dir.filePath(QStringLiteral("shots.wav")));
    w->SpeedButtonActive->click();
    ASSERT_TRUE(recording());
    ASSERT_TRUE(waitUntil([&] { return m_record->Source()->Format()->Bytes() > 0; }, 2000));
    const auto shoot = [&](QWidget* page, const QString& name) {
        w->PageControl1->setCurrentWidget(page);
        screenshot(w, QStringLiteral("record-") + name);
    };
    shoot(w->logPage, QStringLiteral("log"));
    shoot(w->TabSheetDevice, QStringLiteral("device"));
    w->PageControlSource->setCurrentWidget(w->TabSheetSourceMain);
    shoot(w->TabSheetSource, QStringLiteral("source"));
    w->PageControlSource->setCurrentWidget(w->bufferPage);
    shoot(w->TabSheetSource, QStringLiteral("source-buffer"));
    w->PageControlSource->setCurrentWidget(w->formatPage);
    shoot(w->TabSheetSource, QStringLiteral("source-format"));
    w->SpeedButtonInactive->click();
    EXPECT_FALSE(recording());
}

} // namespace
