// ControlClient against servers that fail in every way a client can notice: nobody there,
// silence, garbage, hanging up, and an answer that comes too late.

#include "ControlTestHelpers.h"

#include <QLocalServer>

#include <functional>

using namespace ControlTest;
using Telephony::ControlClient;
using Failure = ControlClient::Failure;

namespace {

// A bare server that treats each request line as the test says.
class ScriptedServer {
public:
    using Reply = std::function<void(QLocalSocket* socket, int requestNumber)>;

    explicit ScriptedServer(Reply reply)
        : m_reply(std::move(reply))
    {
        QObject::connect(&m_server, &QLocalServer::newConnection, [this] {
            while (QLocalSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                    while (socket->canReadLine()) {
                        socket->readLine();
                        m_reply(socket, ++m_requests);
                    }
                });
            }
        });
        EXPECT_TRUE(m_server.listen(Telephony::ControlProtocol::socketPath(m_name, nullptr, true)));
    }

    QString name() const { return m_name; }

private:
    QString m_name = uniqueChannelName();
    QLocalServer m_server;
    Reply m_reply;
    int m_requests = 0;
};

TEST(ControlClientFailures, EachFailureIsAnErrorResponseOfItsOwnKind)
{
    struct Case {
        const char* name;
        ScriptedServer::Reply reply;
        Failure failure;
    };
    const QList<Case> cases{
        {"silence", [](QLocalSocket*, int) {}, Failure::Timeout},
        {"garbage", [](QLocalSocket* s, int) { s->write("hello\n"); }, Failure::BadResponse},
        {"no ok", [](QLocalSocket* s, int) { s->write("{\"result\": 1}\n"); }, Failure::BadResponse},
        {"hang up", [](QLocalSocket* s, int) { s->disconnectFromServer(); }, Failure::ConnectionLost},
        {"endless line", [](QLocalSocket* s, int) { s->write(QByteArray(2 * 1024 * 1024, 'x')); },
         Failure::BadResponse},
        {"answer, then hang up",
         [](QLocalSocket* s, int) {
             s->write("{\"ok\": true}\n");
             s->disconnectFromServer();
         },
         Failure::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(c.reply);
        // Only silence has to wait the time-out out; the rest answer at once.
        const Answer answer = ask(server.name(), "ring", {}, c.failure == Failure::Timeout ? 300 : 5000);
        EXPECT_EQ(answer.failure, c.failure);
        EXPECT_EQ(answer.response.value("ok").toBool(), c.failure == Failure::None);
        EXPECT_EQ(answer.response.value("error").toString().isEmpty(), c.failure == Failure::None);
    }
}

TEST(ControlClientFailures, RequestsThatCannotBeSentAreRefusedLocally)
{
    const QString nobody = uniqueChannelName();
    struct Case {
        const char* name;
        QString server;
        QString command;
        QJsonObject args;
        int timeoutMs;
        Failure failure;
    };
    const QList<Case> cases{
        {"nobody listens", nobody, "ring", {}, 300, Failure::NoServer},
        {"bad command", nobody, "ring now", {}, 300, Failure::InvalidRequest},
        {"zero time-out", nobody, "ring", {}, 0, Failure::InvalidRequest},
        {"huge args", nobody, "ring", {{"x", QString(70000, 'a')}}, 300, Failure::InvalidRequest},
        {"bad server name", "a/b", "ring", {}, 300, Failure::InvalidRequest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Answer answer = ask(c.server, c.command, c.args, c.timeoutMs);
        EXPECT_EQ(answer.failure, c.failure);
        EXPECT_FALSE(answer.response.value("ok").toBool());
        EXPECT_FALSE(answer.response.value("error").toString().isEmpty());
    }
}

// After a time-out the old connection may still deliver the late answer; the next request
// must not take it for its own.
TEST(ControlClientFailures, ALateAnswerIsNotTakenForTheNextOne)
{
    QLocalSocket* held = nullptr;
    ScriptedServer server([&held](QLocalSocket* socket, int request) {
        if (request == 1) {
            held = socket;
            return;
        }
        if (held && held->state() == QLocalSocket::ConnectedState)
            held->write("{\"ok\": true, \"late\": true}\n");
        socket->write("{\"ok\": true, \"late\": false}\n");
    });
    const QList<Answer> answers = askAll(server.name(), {{"ring", {}}, {"ring", {}}}, 300);
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0].failure, Failure::Timeout);
    EXPECT_EQ(answers[1].failure, Failure::None);
    EXPECT_EQ(answers[1].response.value("late"), QJsonValue(false));
}

} // namespace
