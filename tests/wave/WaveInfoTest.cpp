// The INFO list: text encoding both ways, creation dates, and the layout of a saved
// file (list after the data, sizes, padding, item order).

#include "WaveTestSupport.h"

#include <TnvWaveInfo.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace wavetest;

TEST(WaveInfo, TextsAreWrittenLatin1WhenTheyCanBeAndReadBackUnchanged)
{
    const struct {
        QString text;
        QByteArray bytes;
    } rows[] = {
        {QStringLiteral("plain"), "plain"},
        {QStringLiteral("Zoë Müller"), "Zo\xeb M\xfcller"},
        {QStringLiteral("名前"), "\xe5\x90\x8d\xe5\x89\x8d"},
        // Latin-1 bytes that would read as UTF-8 are written as UTF-8 instead.
        {QStringLiteral("Ã©"), "\xc3\x83\xc2\xa9"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TnvWaveInfo::encodeText(row.text), row.bytes) << row.text.toStdString();
        EXPECT_EQ(TnvWaveInfo::decodeText(row.bytes), row.text) << row.text.toStdString();
    }
    // Other writers: UTF-8 and Latin-1 both read without mangling.
    EXPECT_EQ(TnvWaveInfo::decodeText("Zo\xc3\xab"), QStringLiteral("Zoë"));
    EXPECT_EQ(TnvWaveInfo::decodeText("caf\xe9"), QStringLiteral("café"));
}

TEST(WaveInfo, CreationDatesAreReadByPosition)
{
    const struct {
        const char* text;
        QDate date;
    } rows[] = {
        {"2001-09-08", QDate(2001, 9, 8)},
        {"2001-09-08 10:11:12", QDate(2001, 9, 8)},
        {"2001/09/08", QDate(2001, 9, 8)},
        {"2001-9-8", QDate()},
        {"2001-09-0", QDate()},
        {"2001-02-30", QDate()},
        {"abcd-ef-gh", QDate()},
        {"-001-09-08", QDate()},
        {"0999-09-08", QDate(999, 9, 8)},
        {"", QDate()},
    };
    for (const auto& row : rows) {
        const QDateTime parsed = TnvWaveInfo::parseCreationDate(row.text);
        EXPECT_EQ(parsed.isValid() ? parsed.date() : QDate(), row.date) << row.text;
    }
    EXPECT_EQ(TnvWaveInfo::creationDateText(QDateTime(QDate(2001, 9, 8), QTime())), QByteArray("2001-09-08"));
    EXPECT_EQ(TnvWaveInfo::creationDateText(QDateTime(QDate(999, 9, 8), QTime())), QByteArray("0999-09-08"));
}

TEST(WaveInfo, SavedFileCarriesTheListAfterTheDataWithExactSizes)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.wav"));
    // Three 8-bit samples: odd data, so the list must start after a pad byte.
    ASSERT_TRUE(writeFile(in, riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)) + chunk("data", "xyz"))));
    TestWaveControl control;
    TnvWaveBuffer* buffer = control.buffer();
    ASSERT_TRUE(buffer->LoadFromFile(in));
    buffer->setName(QStringLiteral("abc"));
    buffer->setAuthor(QStringLiteral("ab"));
    buffer->setSubject(QStringLiteral("Zoë"));
    buffer->setCreationDate(QDateTime(QDate(2001, 9, 8), QTime(0, 0)));
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(buffer->SaveToFile(out));

    const QByteArray saved = readFile(out + QStringLiteral(".wav"));
    ASSERT_GT(saved.size(), 58);
    EXPECT_EQ(u32At(saved, 4), quint32(saved.size() - 8));
    EXPECT_EQ(saved.mid(38, 4), QByteArray("data"));
    EXPECT_EQ(u32At(saved, 42), 3u);
    EXPECT_EQ(saved.at(49), '\0');
    const QByteArray items = chunk("IAUT", "ab") + chunk("ICRD", "2001-09-08") + chunk("INAM", QByteArray("abc\0", 4))
                             + chunk("ISBJ", QByteArray("Zo\xeb\0", 4));
    EXPECT_EQ(saved.mid(50), QByteArray("LIST") + le32(quint32(4 + items.size())) + "INFO" + items);

    // And back: the same texts and date.
    TestWaveControl reader;
    ASSERT_TRUE(reader.buffer()->LoadFromFile(out));
    EXPECT_EQ(reader.buffer()->Name(), QStringLiteral("abc"));
    EXPECT_EQ(reader.buffer()->Author(), QStringLiteral("ab"));
    EXPECT_EQ(reader.buffer()->Subject(), QStringLiteral("Zoë"));
    EXPECT_EQ(reader.buffer()->CreationDate().date(), QDate(2001, 9, 8));
    EXPECT_EQ(reader.buffer()->DataSize(), 3u);
}

TEST(WaveInfo, ItemsThatAreTooLongOrCutShortReadAsEmpty)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("items.wav"));
    ASSERT_TRUE(writeFile(path, pcmFile(8000, ramp(4),
                                        info({{"INAM", QByteArray(256, 'n')},
                                              {"IAUT", QByteArray("who\0trailing", 12)},
                                              {"ICMT", "fine"}}))));
    TestWaveControl control;
    ASSERT_TRUE(control.buffer()->LoadFromFile(path));
    EXPECT_EQ(control.buffer()->Name(), QString());
    EXPECT_EQ(control.buffer()->Author(), QStringLiteral("who"));
    EXPECT_EQ(control.buffer()->Comments(), QStringLiteral("fine"));
}

TEST(WaveInfo, TextsTooLongToReadAreKeptWholeUntilTheirFieldIsSet)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.wav"));
    const QByteArray comment(300, 'c');
    const QByteArray copyright(405, 'o');
    ASSERT_TRUE(writeFile(in, pcmFile(8000, ramp(4),
                                      info({{"ICMT", comment}, {"ISFT", "x"}, {"ICOP", copyright}}))));
    TestWaveControl control;
    ASSERT_TRUE(control.buffer()->LoadFromFile(in));
    EXPECT_EQ(control.buffer()->Comments(), QString());
    control.buffer()->setAuthor(QStringLiteral("who"));
    const QString out = dir.filePath(QStringLiteral("out.wav"));
    ASSERT_TRUE(control.buffer()->SaveToFile(out));
    const QByteArray kept = chunk("ICMT", comment) + chunk("ISFT", "x") + chunk("ICOP", copyright);
    const QByteArray items = chunk("IAUT", QByteArray("who\0", 4)) + kept;
    EXPECT_TRUE(readFile(out).endsWith(QByteArray("LIST") + le32(quint32(4 + items.size())) + "INFO" + items));

    // A value of the field's own replaces the long item.
    control.buffer()->setComments(QStringLiteral("short"));
    ASSERT_TRUE(control.buffer()->SaveToFile(out));
    const QByteArray saved = readFile(out);
    EXPECT_FALSE(saved.contains(comment));
    EXPECT_TRUE(saved.endsWith(chunk("ISFT", "x") + chunk("ICOP", copyright)));
    TestWaveControl again;
    ASSERT_TRUE(again.buffer()->LoadFromFile(out));
    EXPECT_EQ(again.buffer()->Comments(), QStringLiteral("short"));

    EXPECT_TRUE(TnvWaveInfo::fits(QString(254, QLatin1Char('a'))));
    EXPECT_FALSE(TnvWaveInfo::fits(QString(255, QLatin1Char('a'))));
    EXPECT_FALSE(TnvWaveInfo::fits(QString(128, QChar(0x20AC))));
}

TEST(WaveInfo, ItemsWithoutAFieldAreSavedAgainInOrderWithTheirBytes)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.wav"));
    const QByteArray odd("tool 1.0\0", 9);
    const QByteArray binary("\x00\xff\x01\x80", 4);
    ASSERT_TRUE(writeFile(in, pcmFile(8000, ramp(4),
                                      info({{"ISFT", odd},
                                            {"LIST", "typeitem"},
                                            {"INAM", "name"},
                                            {"IENG", binary},
                                            {"ITCH", QByteArray()},
                                            {"INAM", "second name"},
                                            {"IMED", "x"}}))));
    TestWaveControl control;
    ASSERT_TRUE(control.buffer()->LoadFromFile(in));
    EXPECT_EQ(control.buffer()->Name(), QStringLiteral("name"));
    control.buffer()->setName(QStringLiteral("other"));
    const QString out = dir.filePath(QStringLiteral("out.wav"));
    ASSERT_TRUE(control.buffer()->SaveToFile(out));

    // The fields' items first, then the others as they were; a second item of a field
    // is not one of them.
    const QByteArray items = chunk("INAM", QByteArray("other\0", 6)) + chunk("ISFT", odd) + chunk("LIST", "typeitem")
                             + chunk("IENG", binary)
                             + chunk("ITCH", QByteArray()) + chunk("IMED", "x");
    const QByteArray saved = readFile(out);
    const qsizetype list = saved.indexOf("LIST");
    ASSERT_GT(list, 0);
    EXPECT_EQ(saved.mid(list), QByteArray("LIST") + le32(quint32(4 + items.size())) + "INFO" + items);
    EXPECT_EQ(u32At(saved, 4), quint32(saved.size() - 8));

    // Loading the saved file and saving it again changes nothing, and a join keeps the
    // first file's items.
    TestWaveControl again;
    const QString second = dir.filePath(QStringLiteral("second.wav"));
    ASSERT_TRUE(writeFile(second, pcmFile(8000, ramp(2), info({{"ISFT", "other tool"}}))));
    ASSERT_TRUE(again.buffer()->LoadFromFile(out));
    const QString resaved = dir.filePath(QStringLiteral("resaved.wav"));
    ASSERT_TRUE(again.buffer()->SaveToFile(resaved));
    EXPECT_EQ(readFile(resaved), saved);
    ASSERT_TRUE(again.buffer()->LoadFromFile(out + QLatin1Char(',') + second));
    ASSERT_TRUE(again.buffer()->SaveToFile(resaved));
    EXPECT_TRUE(readFile(resaved).endsWith(items));
}

TEST(WaveInfo, AnItemThatLiesAboutItsSizeEndsWhatIsKept)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.wav"));
    // The list's own size is true; the last item claims more than the list holds.
    const QByteArray list = chunk("LIST", QByteArray("INFO") + chunk("ISFT", "ab") + chunk("IBAD", "xy", 1000));
    ASSERT_TRUE(writeFile(in, pcmFile(8000, ramp(4), list)));
    TestWaveControl control;
    ASSERT_TRUE(control.buffer()->LoadFromFile(in));
    const QString out = dir.filePath(QStringLiteral("out.wav"));
    ASSERT_TRUE(control.buffer()->SaveToFile(out));
    EXPECT_TRUE(readFile(out).endsWith(QByteArray("LIST") + le32(4 + 10) + "INFO" + chunk("ISFT", "ab")));
}
