// ringfast's command line: what each form asks for, and what is refused.

#include <RingfastOptions.h>

#include <gtest/gtest.h>

namespace {

QStringList args(const char* line)
{
    return (QStringLiteral("ringfast ") + QLatin1String(line)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TEST(RingfastOptions, AcceptedCommandLines)
{
    using C = RingfastOptions::Command;
    struct Case {
        const char* line;
        C command;
        const char* number;
        int device;
        double hangupAfter; // -1: none
        int count;
        const char* devEnv;
        double simSpeed; // -1: none
        int idleDelay;
    };
    const Case cases[] = {
        {"", C::Help, "", 0, -1, 1, "deDelphi", -1, 2000},
        {"--help", C::Help, "", 0, -1, 1, "deDelphi", -1, 2000},
        {"devices", C::Devices, "", 0, -1, 1, "deDelphi", -1, 2000},
        {"dial 5550100", C::Dial, "5550100", 0, -1, 1, "deDelphi", -1, 2000},
        {"dial 555-0100 --device 1 --hangup-after 2.5", C::Dial, "555-0100", 1, 2.5, 1, "deDelphi", -1, 2000},
        {"dial 5550100 --sim-speed 0 --idle-delay 0 --hangup-after 0", C::Dial, "5550100", 0, 0, 1, "deDelphi", 0, 0},
        {"answer --count 3 --devenv cppbuilder", C::Answer, "", 0, -1, 3, "deCppBuilder", -1, 2000},
        {"answer --devenv VisualBasic --sim-speed 0.5", C::Answer, "", 0, -1, 1, "deVisualBasic", 0.5, 2000},
        {"shell --idle-delay 500", C::Shell, "", 0, -1, 1, "deDelphi", -1, 500},
        {"run - --sim-speed 0", C::Run, "", 0, -1, 1, "deDelphi", 0, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QString error;
        const auto o = RingfastOptions::parse(args(c.line), &error);
        ASSERT_TRUE(o.has_value()) << error.toStdString();
        EXPECT_EQ(o->command, c.command);
        EXPECT_EQ(o->number, QLatin1String(c.number));
        EXPECT_EQ(o->device, c.device);
        EXPECT_EQ(o->hangupAfter.value_or(-1), c.hangupAfter);
        EXPECT_EQ(o->count, c.count);
        EXPECT_EQ(o->devEnv, QLatin1String(c.devEnv));
        EXPECT_EQ(o->simSpeed.value_or(-1), c.simSpeed);
        EXPECT_EQ(o->idleDelay, c.idleDelay);
    }
    const auto script = RingfastOptions::parse(args("run docs/examples/answer.ringfast"), nullptr);
    ASSERT_TRUE(script.has_value());
    EXPECT_EQ(script->script, QStringLiteral("docs/examples/answer.ringfast"));
    const auto flags = RingfastOptions::parse(args("dial 1 --trace --timestamp"), nullptr);
    ASSERT_TRUE(flags.has_value());
    EXPECT_TRUE(flags->trace);
    EXPECT_TRUE(flags->timestamp);
    const auto reply = RingfastOptions::parse(args("answer --reply-timeout 1500"), nullptr);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->replyTimeout, 1500);
}

TEST(RingfastOptions, RefusedCommandLines)
{
    struct Case {
        const char* line;
        const char* reason;
    };
    const Case cases[] = {
        {"call 5550100", "unknown command"},
        {"dial", "needs the number"},
        {"dial 1 2", "unexpected argument '2'"},
        {"devices extra", "unexpected argument"},
        {"run", "run needs a script file"},
        {"shell extra", "unexpected argument 'extra'"},
        {"run a.ringfast b.ringfast", "unexpected argument 'b.ringfast'"},
        {"dial 1 --device -1", "--device"},
        {"dial 1 --device x", "--device"},
        {"dial 1 --hangup-after -2", "--hangup-after"},
        {"dial 1 --hangup-after nan", "--hangup-after"},
        {"answer --count 0", "--count"},
        {"dial 1 --devenv pascal", "--devenv"},
        {"dial 1 --sim-speed 1001", "--sim-speed"},
        {"dial 1 --idle-delay 1.5", "--idle-delay"},
        {"dial 1 --reply-timeout 0", "--reply-timeout"},
        {"dial 1 --no-such-option", "no-such-option"},
        {"dial 1 --device", "device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QString error;
        EXPECT_FALSE(RingfastOptions::parse(args(c.line), &error).has_value());
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
}

TEST(RingfastOptions, HelpExplainsEveryCommandAndOption)
{
    const QString help = RingfastOptions::helpText();
    for (const char* word : {"devices", "dial NUMBER", "answer", "--device", "--hangup-after", "--count", "--trace",
                             "--devenv", "--timestamp", "--sim-speed", "--idle-delay", "--reply-timeout", "Exit status"})
        EXPECT_TRUE(help.contains(QLatin1String(word))) << word;
}
