// The control channel end to end: a ControlServer on the test's thread, ControlClients on
// worker threads and raw sockets that misbehave on purpose.

#include "ControlTestHelpers.h"

#include <ControlServer.h>

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <stdexcept>

using namespace ControlTest;
using Telephony::ControlClient;
using Telephony::ControlProtocol;
using Telephony::ControlServer;
using Failure = ControlClient::Failure;

namespace {

QJsonObject echo(const QString& command, const QJsonObject& args)
{
    if (command == QLatin1String("refuse"))
        return {{"ok", false}, {"error", "refused"}};
    if (command == QLatin1String("bare"))
        return {};
    if (command == QLatin1String("noreason"))
        return {{"ok", false}};
    if (command == QLatin1String("throw"))
        throw std::runtime_error("boom");
    return {{"ok", true}, {"command", command}, {"args", args}};
}

class ControlChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_server = std::make_unique<ControlServer>(m_name);
        m_server->setHandler([this](const QString& command, const QJsonObject& args) {
            m_calls.append(command);
            return echo(command, args);
        });
        ASSERT_TRUE(m_server->listen()) << qPrintable(m_server->errorString());
    }

    QString m_name = uniqueChannelName();
    std::unique_ptr<ControlServer> m_server;
    QStringList m_calls;
};

TEST_F(ControlChannelTest, AnswersRequestsOverOneConnection)
{
    const QJsonObject ringArgs{{"line", "1"}, {"name", "SMITH JOHN"}, {"number", "4255550100"}};
    struct Case {
        Question question;
        bool ok;
        QString errorPart;
    };
    const QList<Case> cases{
        {{"ring", ringArgs}, true, {}},
        {{"calls", {}}, true, {}},
        {{"refuse", {}}, false, "refused"},
        {{"bare", {}}, true, {}},
        {{"noreason", {}}, false, "noreason"},
        {{"throw", {}}, false, "internal error"},
    };
    QList<Question> questions;
    for (const Case& c : cases)
        questions.append(c.question);
    const QList<Answer> answers = askAll(m_name, questions);
    ASSERT_EQ(answers.size(), cases.size());
    for (qsizetype i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(qPrintable(cases[i].question.command));
        EXPECT_EQ(answers[i].response.value("ok").toBool(), cases[i].ok);
        EXPECT_TRUE(answers[i].response.value("error").toString().contains(cases[i].errorPart));
        EXPECT_EQ(answers[i].failure, Failure::None);
    }
    EXPECT_EQ(answers[0].response.value("args").toObject(), ringArgs);
    EXPECT_EQ(m_calls, QStringList({"ring", "calls", "refuse", "bare", "noreason", "throw"}));
}

TEST_F(ControlChannelTest, HelpComesFromTheHandlerOrAShortText)
{
    struct Case {
        const char* name;
        std::function<QJsonObject(const QString&, const QJsonObject&)> handler;
        QString field;
    };
    const QList<Case> cases{
        {"no handler", nullptr, "text"},
        {"handler lists",
         [](const QString&, const QJsonObject&) { return QJsonObject{{"ok", true}, {"commands", "ring"}}; },
         "commands"},
        {"handler refuses", [](const QString&, const QJsonObject& a) { return echo("refuse", a); }, "text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_server->setHandler(c.handler);
        const Answer answer = ask(m_name, "help");
        EXPECT_TRUE(answer.response.value("ok").toBool());
        EXPECT_FALSE(answer.response.value(c.field).toString().isEmpty());
    }
    m_server->setHandler(nullptr);
    EXPECT_TRUE(ask(m_name, "ring").response.value("error").toString().contains("unknown command"));
}

TEST_F(ControlChannelTest, SeveralClientsGetTheirOwnAnswersInOrder)
{
    RawClient clients[3];
    for (int c = 0; c < 3; ++c) {
        ASSERT_TRUE(clients[c].open(m_name));
        QByteArray burst;
        for (int i = 0; i < 4; ++i)
            burst += ControlProtocol::encodeRequest("seq", {{"tag", QString("%1-%2").arg(c).arg(i)}});
        clients[c].send(burst);
    }
    EXPECT_TRUE(waitUntil([&] { return m_server->clientCount() == 3; }));
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 4; ++i) {
            const auto response = clients[c].nextResponse();
            ASSERT_TRUE(response);
            EXPECT_EQ(response->value("args").toObject().value("tag").toString(), QString("%1-%2").arg(c).arg(i));
        }
    }
}

TEST_F(ControlChannelTest, BadRequestsAreAnsweredAndTheConnectionKept)
{
    struct Case {
        QByteArray line;
        QString errorPart;
    };
    const QList<Case> cases{
        {"not json", "not valid JSON"},
        {"[1,2]", "JSON object"},
        {"{}", "no \"command\""},
        {R"({"command": 5})", "must be a string"},
        {R"({"command": ""})", "not a command name"},
        {R"({"command": "ring now"})", "not a command name"},
        {R"({"command": "ring", "args": [1]})", "\"args\" must be an object"},
        {"", "empty request"},
        {"{\"command\": \"r\xff\xfe\"}", "not valid JSON"},
    };
    RawClient client;
    ASSERT_TRUE(client.open(m_name));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        client.send(c.line + '\n');
        const auto response = client.nextResponse();
        ASSERT_TRUE(response);
        EXPECT_FALSE(response->value("ok").toBool());
        EXPECT_TRUE(response->value("error").toString().contains(c.errorPart))
            << qPrintable(response->value("error").toString());
    }
    client.send("{\"command\": \"ring\"}\r\n");
    const auto response = client.nextResponse();
    ASSERT_TRUE(response);
    EXPECT_TRUE(response->value("ok").toBool());
    EXPECT_EQ(m_calls, QStringList{"ring"});
}

TEST_F(ControlChannelTest, OverlongLinesAreRefusedAndTheSenderDropped)
{
    const qsizetype frame = ControlProtocol::encodeRequest("pad", {{"x", ""}}).size() - 1;
    auto padded = [&](qsizetype size) {
        return ControlProtocol::encodeRequest("pad", {{"x", QString(size - frame, QLatin1Char('a'))}});
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        bool answered;
    };
    const QList<Case> cases{
        {"at the limit", padded(ControlProtocol::maxRequestBytes), true},
        {"one byte over", padded(ControlProtocol::maxRequestBytes + 1), false},
        {"no newline at all", QByteArray(ControlProtocol::maxRequestBytes + 10, 'x'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawClient client;
        ASSERT_TRUE(client.open(m_name));
        client.send(c.bytes);
        const auto response = client.nextResponse();
        ASSERT_TRUE(response);
        EXPECT_EQ(response->value("ok").toBool(), c.answered);
        if (!c.answered) {
            EXPECT_TRUE(response->value("error").toString().contains("longer than"));
            EXPECT_TRUE(client.waitClosed());
        }
    }
    EXPECT_TRUE(waitUntil([&] { return m_server->clientCount() == 0; }));
    EXPECT_EQ(m_calls, QStringList{"pad"});
    EXPECT_TRUE(ask(m_name, "ring").response.value("ok").toBool());
}

TEST_F(ControlChannelTest, HangingUpMidLineDropsThePartButNotCompleteLines)
{
    RawClient partial;
    ASSERT_TRUE(partial.open(m_name));
    partial.send(R"({"command": "ring", "args": {"li)");
    EXPECT_TRUE(waitUntil([&] { return m_server->clientCount() == 1; }));
    partial.socket.disconnectFromServer();
    EXPECT_TRUE(waitUntil([&] { return m_server->clientCount() == 0; }));
    EXPECT_TRUE(m_calls.isEmpty());

    // A script that sends its last command and closes at once still gets it carried out.
    RawClient script;
    ASSERT_TRUE(script.open(m_name));
    script.send(ControlProtocol::encodeRequest("hangup", {}) + R"({"command": "rin)");
    script.socket.disconnectFromServer();
    EXPECT_TRUE(waitUntil([&] { return m_server->clientCount() == 0 && !m_calls.isEmpty(); }));
    EXPECT_EQ(m_calls, QStringList{"hangup"});
}

// The service's handlers may wait for the exchange by pumping events; what the client
// does meanwhile must neither re-enter the handler nor reorder the answers.
TEST_F(ControlChannelTest, AHandlerThatPumpsEventsIsNotReentered)
{
    for (const bool hangUp : {false, true}) {
        SCOPED_TRACE(hangUp ? "client hangs up meanwhile" : "client sends more meanwhile");
        RawClient client;
        ASSERT_TRUE(client.open(m_name));
        int depth = 0;
        int maxDepth = 0;
        m_calls.clear();
        m_server->setHandler([&](const QString& command, const QJsonObject& args) {
            m_calls.append(command);
            maxDepth = std::max(maxDepth, ++depth);
            if (command == QLatin1String("slow")) {
                client.send(ControlProtocol::encodeRequest("fast", {}));
                if (hangUp)
                    client.socket.disconnectFromServer();
                waitUntil([&] {
                    return client.socket.bytesToWrite() == 0 && (!hangUp || m_server->clientCount() == 0);
                });
                for (int i = 0; i < 20; ++i)
                    QCoreApplication::processEvents();
            }
            --depth;
            return echo(command, args);
        });
        client.send(ControlProtocol::encodeRequest("slow", {}));
        if (hangUp) {
            EXPECT_TRUE(waitUntil([&] { return m_server->clientCount() == 0 && !m_calls.isEmpty(); }));
        } else {
            for (const char* expected : {"slow", "fast"}) {
                const auto response = client.nextResponse();
                ASSERT_TRUE(response);
                EXPECT_EQ(response->value("command").toString(), expected);
            }
        }
        EXPECT_EQ(maxDepth, 1);
        EXPECT_EQ(m_calls.value(0), "slow");
    }
}

TEST_F(ControlChannelTest, ExtraClientsBeyondTheLimitAreTurnedAway)
{
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < ControlServer::maxClients; ++i) {
        clients.push_back(std::make_unique<RawClient>());
        ASSERT_TRUE(clients.back()->open(m_name));
    }
    ASSERT_TRUE(waitUntil([&] { return m_server->clientCount() == ControlServer::maxClients; }));
    RawClient extra;
    ASSERT_TRUE(extra.open(m_name));
    const auto response = extra.nextResponse();
    ASSERT_TRUE(response);
    EXPECT_TRUE(response->value("error").toString().contains("too many clients"));
    EXPECT_TRUE(extra.waitClosed());
}

TEST_F(ControlChannelTest, OnlyTheOwnerMayOpenTheSocket)
{
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(m_server->fullServerName()).permissions() & others, QFile::Permissions());
}

TEST_F(ControlChannelTest, ClosingHangsUpAndRemovesTheSocket)
{
    RawClient client;
    ASSERT_TRUE(client.open(m_name));
    ASSERT_TRUE(waitUntil([&] { return m_server->clientCount() == 1; }));
    m_server->close();
    EXPECT_TRUE(client.waitClosed());
    EXPECT_FALSE(QFileInfo::exists(ControlProtocol::socketPath(m_name)));
    EXPECT_EQ(ask(m_name, "ring").failure, Failure::NoServer);
}

// What holds a name decides whether listen() takes it: a live server keeps it, the
// socket of a program that died is taken over, anything else is left alone.
TEST(ControlServerName, ListenTakesOnlyFreeOrAbandonedNames)
{
    ControlServer live(uniqueChannelName());
    ASSERT_TRUE(live.listen());
    live.setHandler([](const QString&, const QJsonObject&) { return QJsonObject{{"ok", true}, {"live", true}}; });
    const auto makeStaleSocket = [](const QString& name) {
        const QByteArray path = QFile::encodeName(ControlProtocol::socketPath(name));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
    };
    const auto makePlainFile = [](const QString& name) {
        QFile file(ControlProtocol::socketPath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    };
    struct Case {
        const char* what;
        QString name;
        std::function<void(const QString&)> prepare;
        QString errorPart; // Empty when listen() must succeed.
    };
    const QList<Case> cases{
        {"free", uniqueChannelName(), nullptr, {}},
        {"abandoned socket", uniqueChannelName(), makeStaleSocket, {}},
        {"live server", live.name(), nullptr, "already in use"},
        {"plain file", uniqueChannelName(), makePlainFile, "not a socket"},
        {"empty", QString(), nullptr, "no control channel name"},
        {"relative path", "a/b", nullptr, "plain name"},
        {"dots", "/tmp/../x", nullptr, "\"..\""},
        {"too long", QString(101, 'n'), nullptr, "longer than"},
        {"control character", "bad\nname", nullptr, "control characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.prepare)
            c.prepare(c.name);
        {
            ControlServer server(c.name);
            EXPECT_EQ(server.listen(), c.errorPart.isEmpty());
            EXPECT_TRUE(server.errorString().contains(c.errorPart)) << qPrintable(server.errorString());
            if (server.isListening()) {
                EXPECT_TRUE(ask(c.name, "help").response.value("ok").toBool());
            }
        }
        if (c.errorPart == QLatin1String("not a socket")) {
            EXPECT_TRUE(QFile::exists(ControlProtocol::socketPath(c.name)));
            QFile::remove(ControlProtocol::socketPath(c.name));
        }
    }
    // The refused second server must not have removed or replaced the live one's socket.
    EXPECT_TRUE(ask(live.name(), "ring").response.value("live").toBool());
}

} // namespace
