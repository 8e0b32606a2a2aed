// The classic use of the wave controls: a program answers a call on the simulated
// exchange, plays a greeting into the line's wave output and records what the caller
// says from its wave input. The caller speaks one WAV file and keeps another of what it
// heard; both are checked sample for sample.

#include "WaveControlSupport.h"

#include <InstantService.h>
#include <ServiceControl.h>
#include <TapiConstants.h>
#include <TnvLine.h>
#include <TnvPropertyPath.h>

#include <gtest/gtest.h>

using namespace wavetest;

namespace {

struct CallAudioControls : ::testing::Test {
    QTemporaryDir configDir;
    QTemporaryDir dir;

    void SetUp() override { useInstantService(configDir); }
    void TearDown() override
    {
        waitUntil([] { return !Telephony::serviceRunning(); }, 2000);
    }

    static bool control(const QString& command, const QJsonObject& args)
    {
        return Telephony::serviceControl(command, args).value(QStringLiteral("ok")).toBool();
    }
};

} // namespace

TEST_F(CallAudioControls, AnswerPlayAGreetingAndRecordTheCaller)
{
    TnvLine line;
    line.BeginLoading();
    ASSERT_TRUE(TnvPropertyPath::apply(&line, {{"Enabled", true},
                                               {"Privilege.Owner", true},
                                               {"Privilege.Monitor", true},
                                               {"Device.IdleDelay", 0},
                                               {"TAPI.LowVersion", 65539},
                                               {"TAPI.HighVersion", 131074}})
                    .isEmpty());
    line.Loaded();
    line.Device()->setActive(true);
    ASSERT_TRUE(line.Device()->Active()) << line.Log()->Lines().join(QLatin1Char('\n')).toStdString();
    bool offered = false;
    line.OnOffering = [&](TnvSharedControl*, int) { offered = true; };
    ASSERT_TRUE(control(QStringLiteral("ring"), {{"line", "1"}, {"number", "5550123"}}));
    ASSERT_TRUE(waitUntil([&] { return offered; }, 3000));
    ASSERT_TRUE(line.Call()->Answer());
    ASSERT_TRUE(waitUntil([&] { return line.Call()->State() == LINECALLSTATE_CONNECTED; }, 3000));
    line.OnOffering = nullptr;

    // The greeting goes out through the line's wave output; the caller hears it.
    const QByteArray greeting = tone(1600, 7);
    const QString greetingFile = dir.filePath(QStringLiteral("greeting.wav"));
    ASSERT_TRUE(writeFile(greetingFile, pcmFile(8000, greeting)));
    TracedPlay play;
    play.control.Device()->setID(line.WavePlay()->ID());
    ASSERT_EQ(play.control.Error()->Number(), 0);
    play.control.Source()->setFileName(greetingFile);
    play.control.Device()->setActive(true);
    ASSERT_TRUE(waitUntil([&] { return play.count(QStringLiteral("OnDone")) == 1; }, 3000));
    const QString heard = dir.filePath(QStringLiteral("heard.wav"));
    ASSERT_TRUE(control(QStringLiteral("heard"), {{"line", 1}, {"file", heard}}));
    EXPECT_GE(dataOf(readFile(heard)).indexOf(greeting), 0) << "the caller did not hear the greeting whole";

    // The caller's message comes in through the line's wave input into a file.
    const QByteArray message = tone(2400, 99);
    const QString messageFile = dir.filePath(QStringLiteral("message.wav"));
    ASSERT_TRUE(writeFile(messageFile, pcmFile(8000, message)));
    ASSERT_TRUE(control(QStringLiteral("say"), {{"line", 1}, {"file", messageFile}}));
    TracedRecord record;
    record.control.Device()->setID(line.WaveRecord()->ID());
    ASSERT_EQ(record.control.Error()->Number(), 0);
    const QString recorded = dir.filePath(QStringLiteral("recorded.wav"));
    record.control.Source()->setFileName(recorded);
    // Long blocks give a loaded machine a second's slack before the recorder runs dry.
    record.control.Device()->setBuffer(500);
    record.control.Device()->setActive(true);
    ASSERT_TRUE(record.control.Device()->Active()) << record.control.Error()->Text().toStdString();
    ASSERT_TRUE(waitUntil([&] { return record.control.Source()->Format()->Bytes() >= quint32(message.size()) + 1600; },
                          5000));
    record.control.Device()->setActive(false);
    ASSERT_EQ(record.count(QStringLiteral("OnDone")), 1);
    const QByteArray file = readFile(recorded);
    EXPECT_EQ(u32At(file, 4), quint32(file.size() - 8));
    EXPECT_EQ(file.mid(20, 16), pcmFile(8000, QByteArray()).mid(20, 16));
    EXPECT_GE(dataOf(file).indexOf(message), 0) << "the caller's message is not in the recording whole";

    ASSERT_TRUE(line.Call()->Hangup());
    line.Device()->setActive(false);
}
