// The words linkora-phone takes, as a person types them.

#include "PhoneHarness.h"

#include "EventLoop.h"

#include <PhoneConsole.h>

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
