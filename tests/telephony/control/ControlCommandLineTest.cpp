// How linkora-sim reads what a person types, and how it shows what comes back.

#include <ControlClient.h>
#include <ControlCommandLine.h>
#include <ControlProtocol.h>

#include <QJsonArray>

#include <gtest/gtest.h>

using Telephony::ControlCommandLine;
using Telephony::ControlProtocol;
using Action = ControlCommandLine::Action;

namespace {

TEST(ControlCommandLine, WordsBecomeARequest)
{
    struct Case {
        QStringList words;
        QString command;
        QJsonObject args;
        QString server = ControlProtocol::defaultName();
        int timeoutMs = Telephony::ControlClient::defaultTimeoutMs;
    };
    const QList<Case> cases{
        {{"ring", "--line", "1", "--name", "SMITH JOHN", "--number", "4255550100"},
         "ring",
         {{"line", "1"}, {"name", "SMITH JOHN"}, {"number", "4255550100"}}},
        {{"calls"}, "calls", {}},
        {{"fail", "--all", "--count", "-1", "--now"}, "fail", {{"all", true}, {"count", "-1"}, {"now", true}}},
        {{"digits", "--digits=--1#", "--empty="}, "digits", {{"digits", "--1#"}, {"empty", ""}}},
        {{"--server", "mine", "ring", "--timeout", "250"}, "ring", {}, "mine", 250},
        {{"ring", "--line", "1", "--server=/tmp/other"}, "ring", {{"line", "1"}}, "/tmp/other"},
        {{"ring", "--json", R"({"line": 1, "flags": [1, 2]})"},
         "ring",
         {{"line", 1}, {"flags", QJsonArray{1, 2}}}},
        {{"help"}, "help", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.words.join(' ')));
        ControlCommandLine line;
        ASSERT_TRUE(line.parse(c.words)) << qPrintable(line.errorText());
        EXPECT_EQ(line.action(), Action::Send);
        EXPECT_EQ(line.command(), c.command);
        EXPECT_EQ(line.args(), c.args);
        EXPECT_EQ(line.serverName(), c.server);
        EXPECT_EQ(line.timeoutMs(), c.timeoutMs);
    }
}

TEST(ControlCommandLine, MistakesAreNamed)
{
    struct Case {
        QStringList words;
        QString errorPart;
    };
    const QList<Case> cases{
        {{}, "no command"},
        {{"--server"}, "needs a value"},
        {{"--server", "", "ring"}, "--server"},
        {{"--server", "a/b", "ring"}, "--server"},
        {{"--server", "a", "--server", "b", "ring"}, "twice"},
        {{"--timeout", "0", "ring"}, "--timeout"},
        {{"--timeout", "600001", "ring"}, "--timeout"},
        {{"--timeout", "soon", "ring"}, "--timeout"},
        {{"--line", "1", "ring"}, "before the command"},
        {{"ring", "now"}, "unexpected \"now\""},
        {{"ring", "--line", "1", "--line", "2"}, "twice"},
        {{"ring", "--"}, "names no option"},
        {{"ring", "--=x"}, "names no option"},
        {{"ring", "--bad key"}, "not an argument name"},
        {{"-x"}, "unknown option"},
        {{"1ring"}, "not a command name"},
        {{"ring", "--name", QString(ControlCommandLine::maxValueLength + 1, 'n')}, "longer than"},
        {{"ring", "--json", "[1]"}, "JSON object"},
        {{"ring", "--json", "{bad"}, "--json"},
        {{"ring", "--json", "{}", "--json", "{}"}, "twice"},
        {{"ring", "--json", "{}", "--line", "1"}, "cannot be combined"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.words.join(' ').left(80)));
        ControlCommandLine line;
        EXPECT_FALSE(line.parse(c.words));
        EXPECT_EQ(line.action(), Action::Invalid);
        EXPECT_TRUE(line.errorText().contains(c.errorPart)) << qPrintable(line.errorText());
    }

    // Many small values can add up past what one request may carry.
    QStringList words{"ring"};
    for (int i = 0; i < 20; ++i)
        words << QString("--v%1").arg(i) << QString(ControlCommandLine::maxValueLength, 'v');
    ControlCommandLine line;
    EXPECT_FALSE(line.parse(words));
    EXPECT_TRUE(line.errorText().contains("longer than"));
}

TEST(ControlCommandLine, HelpWinsWhereverItStands)
{
    const QList<QStringList> helpLines{
        {"--help"}, {"-h"}, {"ring", "--line", "1", "--help"}, {"--server", "x", "-h", "ring"}};
    for (const QStringList& words : helpLines) {
        ControlCommandLine line;
        EXPECT_TRUE(line.parse(words));
        EXPECT_EQ(line.action(), Action::ShowUsage);
    }
    const QString usage = ControlCommandLine::usage();
    for (const char* command : {"ring", "answer", "hangup", "digits", "linestate", "close", "forward", "calls",
                                "pacing", "fail", "delay", "withhold", "toosmall"}) {
        EXPECT_TRUE(usage.contains(QString("linkora-sim %1").arg(command))) << command;
    }
}

TEST(ControlCommandLine, AnswersAreShownAsNameValueLines)
{
    const QJsonObject response{
        {"ok", true},
        {"error", "not shown"},
        {"call", 1},
        {"rate", 0.5},
        {"big", 4294967295.0},
        {"held", false},
        {"none", QJsonValue::Null},
        {"lines", QJsonArray{1, "two", true}},
        {"nested", QJsonObject{{"a", QJsonArray{QJsonObject{{"b", 1}}}}}},
        {"text", "first\nsecond"},
        {"evil", QString("red\x1b[31m\x07")},
    };
    EXPECT_EQ(ControlCommandLine::fieldLines(response),
              QStringList({"big: 4294967295", "call: 1", "evil: red\\x1b[31m\\x07", "held: false", "lines: 1, two, true",
                           "nested: {\"a\":[{\"b\":1}]}", "none: null", "rate: 0.5", "text: first\n  second"}));
}

} // namespace
