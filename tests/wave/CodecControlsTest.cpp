// CODECsEnabled: the telephony formats play and record through the wave layer's codecs;
// without it a device that takes only PCM refuses them.

#include "WaveControlSupport.h"

#include <gtest/gtest.h>

using namespace wavetest;

TEST(CodecControls, TelephonyFormatsNeedTheCodecsAndThenWork)
{
    const struct {
        const char* name;
        TWaveFormatID id;
    } cases[] = {{"mu-law", wfuLaw08000M08}, {"IMA ADPCM", wfIMAADPCM08000M04}, {"4-bit ADPCM", wfADPCM08000M04}};
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TnvWaveFormatFields f = TnvWaveFormat::Row(c.id);
        TracedRecord record;
        ASSERT_TRUE(record.select(kLoopbackName));
        const QString recorded = dir.filePath(QStringLiteral("%1.wav").arg(int(c.id)));
        record.control.Source()->setFileName(recorded);
        record.control.Source()->Format()->setID(c.id);
        record.control.Device()->setBuffer(100);

        record.control.Device()->setActive(true);
        EXPECT_FALSE(record.control.Device()->Active());
        EXPECT_NE(record.control.Error()->Number(), 0);

        record.control.Device()->setCODECsEnabled(true);
        record.control.Device()->setActive(true);
        ASSERT_TRUE(record.control.Device()->Active()) << record.control.Error()->Text().toStdString();
        // A quarter of a second, while a PCM tone plays into the loopback.
        TracedPlay play;
        ASSERT_TRUE(play.select(kLoopbackName));
        const QString tonePath = dir.filePath(QStringLiteral("tone.wav"));
        ASSERT_TRUE(writeFile(tonePath, pcmFile(8000, tone(2000))));
        play.control.Source()->setFileName(tonePath);
        play.control.Device()->setActive(true);
        ASSERT_TRUE(waitUntil([&] { return record.control.Source()->Format()->Bytes() >= f.avgBytesPerSec / 4; }, 3000));
        record.control.Device()->setActive(false);
        ASSERT_EQ(record.count(QStringLiteral("OnDone")), 1);

        // The file is in the telephony format and plays back through the codec too.
        const QByteArray file = readFile(recorded);
        EXPECT_EQ(quint16(uchar(file.at(20)) | uchar(file.at(21)) << 8), f.tag);
        EXPECT_GE(quint32(dataOf(file).size()), f.avgBytesPerSec / 4);
        TracedPlay back;
        ASSERT_TRUE(back.select(kLoopbackName));
        back.control.Device()->setCODECsEnabled(true);
        back.control.Source()->setFileName(recorded);
        back.control.Device()->setActive(true);
        ASSERT_TRUE(waitUntil([&] { return back.count(QStringLiteral("OnDone")) == 1; }, 3000));
        EXPECT_EQ(back.control.Error()->Number(), 0);
        play.control.Device()->setActive(false);
    }
}
