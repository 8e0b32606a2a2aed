// The words linkora-phone takes, as a person types them.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <PhoneConsole.h>

#include <QProcess>
#include <QTemporaryDir>

TEST_F(PhoneHarness, ConsoleWordsDriveThePhone)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    QStringList printed;
    PhoneConsole console(phone.get(), [&](const QString& line) { printed << line; });

    EXPECT_TRUE(console.run(QStringLiteral("  LIFT  speaker ")));
    EXPECT_TRUE(phone->Speakerphone()->MicrophoneAndSpeaker());
    EXPECT_TRUE(console.run(QStringLiteral("mode headset mic")));
    EXPECT_TRUE(phone->Headset()->MicrophoneOnly());
    EXPECT_TRUE(console.run(QStringLiteral("volume handset 70")));
    EXPECT_EQ(phone->Handset()->Volume(), 70);
    EXPECT_TRUE(console.run(QStringLiteral("gain headset 20")));
    EXPECT_EQ(phone->Headset()->Gain(), 20);
    EXPECT_TRUE(console.run(QStringLiteral("hangup speaker")));
    EXPECT_TRUE(phone->Speakerphone()->OnHook());

    // Words that make no sense change nothing and say so.
    printed.clear();
    for (const char* wrong : {"volume handset 300", "volume handset loud", "lift kitchen", "mode handset upside",
                              "dial 123"})
        EXPECT_TRUE(console.run(QLatin1String(wrong)));
    EXPECT_EQ(phone->Handset()->Volume(), 70);
    EXPECT_EQ(printed.filter(QStringLiteral("| ")).size(), 0);
    EXPECT_EQ(printed.size(), 5);

    EXPECT_TRUE(console.run(QStringLiteral("close")));
    EXPECT_FALSE(phone->Device()->Active());
    EXPECT_FALSE(console.run(QStringLiteral("quit")));
}

TEST_F(PhoneHarness, ConsoleRunsEveryLineOfTheInput)
{
    std::unique_ptr<TnvPhone> phone = openPhone();
    QStringList printed;
    PhoneConsole console(phone.get(), [&](const QString& line) { printed << line; });

    // Two commands in one read, a third cut in two, the last without its line end.
    EXPECT_TRUE(console.runInput("volume handset 70\r\ngain headset 20\nvolume spe"));
    EXPECT_EQ(phone->Handset()->Volume(), 70);
    EXPECT_EQ(phone->Headset()->Gain(), 20);
    EXPECT_TRUE(console.runInput("aker 30\nlift speaker"));
    EXPECT_EQ(phone->Speakerphone()->Volume(), 30);
    EXPECT_FALSE(phone->Speakerphone()->MicrophoneAndSpeaker());
    EXPECT_TRUE(console.runInput({}, true));
    EXPECT_TRUE(phone->Speakerphone()->MicrophoneAndSpeaker());

    // An endless line is refused once, and the next line runs.
    printed.clear();
    EXPECT_TRUE(console.runInput(QByteArray(PhoneConsole::maxLineBytes + 1, 'x')));
    EXPECT_TRUE(console.runInput(QByteArray(100, 'x') + "\nvolume handset 40\n"));
    EXPECT_EQ(phone->Handset()->Volume(), 40);
    EXPECT_EQ(printed.filter(QStringLiteral("longer than")).size(), 1) << printed.join('\n').toStdString();
    EXPECT_FALSE(console.runInput("status\nquit\nvolume handset 10\n"));
    EXPECT_EQ(phone->Handset()->Volume(), 40);
}

// The program itself: commands written at once, with standard input left open, all run.
TEST(PhoneProgram, RunsEveryCommandOfOneWrite)
{
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(LINKORA_PHONE_PROGRAM), QStringList());
    ASSERT_TRUE(process.waitForStarted());
    process.write("volume handset 70\nstatus\nquit\n");
    const bool ended = process.waitForFinished(20000);
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(ended) << out.toStdString();
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(out.contains(QStringLiteral(", volume 70,"))) << out.toStdString();
}
