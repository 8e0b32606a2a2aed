// How the wave windows turn a file-name list into a file dialog's start and a choice
// back into a list, and how a name box keeps its history.

#include <TnvWaveFileRules.h>

#include <QComboBox>

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* text;
    const char* directory;
    QStringList names;
};

TEST(WaveFileRules, SplitTakesTheFirstNamesDirectoryAndSkipsOtherDirectories)
{
    const SplitCase cases[] = {
        {"/snd/a", "/snd", {"a.wav"}},
        // Later names without a directory live beside the first; blanks before a name go.
        {"/snd/a.wav,  b, /snd/c.WAV", "/snd", {"a.wav", "b.wav", "c.WAV"}},
        {"/snd/a, /other/b, c", "/snd", {"a.wav", "c.wav"}},
        {"/snd/take.one", "/snd", {"take.one"}},
        {"a", "", {"a.wav"}},
        {"", "", {}},
        {" , /snd/a", "/snd", {"a.wav"}},
        {"/snd/", "", {}},
    };
    for (const SplitCase& c : cases) {
        const TnvWaveFileRules::Start start = TnvWaveFileRules::splitNames(QString::fromUtf8(c.text));
        EXPECT_EQ(start.directory, QString::fromUtf8(c.directory)) << c.text;
        EXPECT_EQ(start.names, c.names) << c.text;
    }
}

TEST(WaveFileRules, JoinKeepsTheFirstPathAndDropsWavOnlyWhenAsked)
{
    const QStringList two = {QStringLiteral("/snd/a.wav"), QStringLiteral("/snd/b.WAV")};
    EXPECT_EQ(TnvWaveFileRules::joinChosen(two, true), QStringLiteral("/snd/a,b"));
    EXPECT_EQ(TnvWaveFileRules::joinChosen(two, false), QStringLiteral("/snd/a.wav,b.WAV"));
    EXPECT_EQ(TnvWaveFileRules::joinChosen({QStringLiteral("/snd/a.wave")}, true), QStringLiteral("/snd/a.wave"));
    EXPECT_EQ(TnvWaveFileRules::joinChosen({}, true), QString());

    // What a choice writes, a dialog starts from again with the same files.
    const TnvWaveFileRules::Start again = TnvWaveFileRules::splitNames(TnvWaveFileRules::joinChosen(two, true));
    EXPECT_EQ(again.directory, QStringLiteral("/snd"));
    EXPECT_EQ(again.names, (QStringList{QStringLiteral("a.wav"), QStringLiteral("b.wav")}));
}

TEST(WaveFileRules, HistoryPutsANewNameFirstOnceAndKeepsTheShownText)
{
    QComboBox box;
    box.setEditable(true);
    int changes = 0;
    QObject::connect(&box, &QComboBox::editTextChanged, [&] { ++changes; });
    box.setEditText(QStringLiteral("typed"));
    changes = 0;

    TnvWaveFileRules::offerToHistory(&box, QStringLiteral("/snd/a"));
    TnvWaveFileRules::offerToHistory(&box, QStringLiteral("/snd/a"));
    TnvWaveFileRules::offerToHistory(&box, QStringLiteral("/snd/b"));
    TnvWaveFileRules::offerToHistory(&box, QStringLiteral("/snd/a"));
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("/snd/a"), QStringLiteral("/snd/b"), QStringLiteral("/snd/a")}));
    EXPECT_EQ(box.currentText(), QStringLiteral("typed"));
    // The box's own action never ran.
    EXPECT_EQ(changes, 0);
}

} // namespace
