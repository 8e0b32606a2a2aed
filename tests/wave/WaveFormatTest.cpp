// The format table and its look-up, the record control's logged assignments, and the
// format dump.

#include "WaveTestSupport.h"

#include <TnvWaveNumbers.h>

#include <gtest/gtest.h>

TEST(WaveFormat, EveryRowIsFoundByItsSixValuesAndOneDifferenceIsUnknown)
{
    for (int id = 1; id < TnvWaveFormat::FormatCount; ++id) {
        const TnvWaveFormatFields row = TnvWaveFormat::Row(TWaveFormatID(id));
        EXPECT_EQ(TnvWaveFormat::Lookup(row), TWaveFormatID(id)) << id;
        TnvWaveFormatFields off = row;
        off.avgBytesPerSec += 1;
        EXPECT_EQ(TnvWaveFormat::Lookup(off), wfUnknown) << id;
    }
    const struct {
        TWaveFormatID id;
        const char* idName;
        const char* text;
    } rows[] = {
        {wfUnknown, "wfUnknown", "Unknown"},
        {wfPCM08000M16, "wfPCM08000M16", "PCM 8,000 Hz, 16-bit, Mono"},
        {wfPCM44100S16, "wfPCM44100S16", "PCM 44,100 Hz, 16-bit, Stereo"},
        {wfuLaw08000M08, "wfuLaw08000M08", "uLaw 8,000 Hz, 8-bit, Mono"},
        {wfADPCM06000M04, "wfADPCM06000M04", "ADPCM 6,000 Hz, 4-bit, Mono"},
        {wfIMAADPCM08000M04, "wfIMAADPCM08000M04", "IMA_ADPCM 8,000 Hz, 4-bit, Mono"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TnvWaveFormat::IDName(row.id), QLatin1StringView(row.idName));
        EXPECT_EQ(TnvWaveFormat::Text(row.id), QLatin1StringView(row.text));
    }
    EXPECT_EQ(TnvWaveFormat::Row(wfIMAADPCM07200M04), (TnvWaveFormatFields{17, 1, 7200, 3600, 1, 4}));
}

TEST(WaveFormat, RecordAssignmentsLogAndLookTheIDUpAgain)
{
    TestWaveControl control(ckRecord, true);
    TnvWaveFormat* format = control.format();
    format->setID(wfPCM08000M16);
    EXPECT_TRUE(control.logged(QStringLiteral("Source.Format.ID := wfPCM08000M16 (3)")));
    EXPECT_EQ(format->SamplesPerSec(), 8000);
    EXPECT_EQ(format->Name(), QStringLiteral("PCM 8,000 Hz, 16-bit, Mono"));

    // A second channel alone matches no row; the stereo rate and alignment do.
    control.lines.clear();
    format->setChannels(2);
    EXPECT_EQ(control.lines, (QStringList{QStringLiteral("Source.Format.Channels := 2"),
                                          QStringLiteral("Source.Format.ID := wfUnknown (0)")}));
    control.lines.clear();
    format->setAvgBytesPerSec(32000);
    format->setBlockAlign(4);
    EXPECT_EQ(control.lines.constLast(), QStringLiteral("Source.Format.ID := wfPCM08000S16 (4)"));
    EXPECT_EQ(format->ID(), wfPCM08000S16);

    // The play control's format takes values without a line.
    TestWaveControl play;
    play.lines.clear();
    play.format()->setTag(7);
    EXPECT_TRUE(play.lines.isEmpty());
}

TEST(WaveFormat, DumpWritesEveryFieldInItsForm)
{
    TestWaveControl control;
    control.format()->assign(TnvWaveFormat::Row(wfPCM08000M16), 1234567, 77.160);
    control.lines.clear();
    ASSERT_TRUE(control.format()->LogProperties(QString(), QStringLiteral("Source"), QStringLiteral("\t")));
    EXPECT_EQ(control.lines, (QStringList{
                                 QStringLiteral("\tSource.Format.AvgBytesPerSec = 16000"),
                                 QStringLiteral("\tSource.Format.BitsPerSample = 16"),
                                 QStringLiteral("\tSource.Format.BlockAlign = 2"),
                                 QStringLiteral("\tSource.Format.Bytes = 1,234,567"),
                                 QStringLiteral("\tSource.Format.Channels = 1"),
                                 QStringLiteral("\tSource.Format.ID = wfPCM08000M16"),
                                 QStringLiteral("\tSource.Format.Name = 'PCM 8,000 Hz, 16-bit, Mono'"),
                                 QStringLiteral("\tSource.Format.SamplesPerSec = 8000"),
                                 QStringLiteral("\tSource.Format.Seconds = 77.16"),
                                 QStringLiteral("\tSource.Format.Tag = 1"),
                             }));
}

TEST(WaveFormat, NumberForms)
{
    const struct {
        double seconds;
        const char* text;
    } seconds[] = {{0, "0.0"}, {1.5, "1.5"}, {1.25, "1.25"}, {1.999, "2.0"}, {1234.567, "1,234.57"}, {0.05, "0.05"}};
    for (const auto& row : seconds)
        EXPECT_EQ(TnvWaveNumbers::secondsText(row.seconds), QLatin1StringView(row.text)) << row.seconds;
    EXPECT_EQ(TnvWaveNumbers::bytesText(0), QStringLiteral("0"));
    EXPECT_EQ(TnvWaveNumbers::bytesText(999), QStringLiteral("999"));
    EXPECT_EQ(TnvWaveNumbers::bytesText(1000), QStringLiteral("1,000"));
    EXPECT_EQ(TnvWaveNumbers::bytesText(4294967295), QStringLiteral("4,294,967,295"));
}
