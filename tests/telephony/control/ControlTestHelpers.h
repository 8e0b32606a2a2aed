#pragma once

// Helpers for driving the control channel from a test: the server lives on the test's
// thread, so blocking ControlClient requests run on a worker thread while the test pumps
// the event loop, and RawClient speaks the wire format byte by byte.

#include "TestControl.h"

#include <ControlClient.h>
#include <ControlProtocol.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>

namespace ControlTest {

inline QString uniqueChannelName()
{
    static int counter = 0;
    return QStringLiteral("linkora-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

struct Answer {
    QJsonObject response;
    Telephony::ControlClient::Failure failure = Telephony::ControlClient::Failure::None;
};

struct Question {
    QString command;
    QJsonObject args;
};

// Asks the questions in turn over one client (one connection, unless a failure resets it).
inline QList<Answer> askAll(const QString& name, const QList<Question>& questions, int timeoutMs = 5000)
{
    auto future = std::async(std::launch::async, [name, questions, timeoutMs] {
        Telephony::ControlClient client(name);
        QList<Answer> answers;
        for (const Question& question : questions) {
            Answer answer;
            answer.response = client.request(question.command, question.args, timeoutMs);
            answer.failure = client.lastFailure();
            answers.append(answer);
        }
        return answers;
    });
    const int guardMs = int(questions.size()) * timeoutMs + 10000;
    EXPECT_TRUE(waitUntil([&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                          guardMs));
    return future.get();
}

inline Answer ask(const QString& name, const QString& command, const QJsonObject& args = {}, int timeoutMs = 5000)
{
    return askAll(name, {{command, args}}, timeoutMs).value(0);
}

struct RawClient {
    QLocalSocket socket;

    bool open(const QString& name)
    {
        socket.connectToServer(Telephony::ControlProtocol::socketPath(name));
        return socket.waitForConnected(2000);
    }

    void send(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }

    std::optional<QJsonObject> nextResponse()
    {
        if (!waitUntil([&] { return socket.canReadLine(); }))
            return std::nullopt;
        const QJsonDocument document = QJsonDocument::fromJson(socket.readLine());
        if (!document.isObject())
            return std::nullopt;
        return document.object();
    }

    bool waitClosed()
    {
        return waitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; });
    }
};

} // namespace ControlTest
