// The client end of the control channel: sends one command to a running service and
// waits, blocking, for its answer. Whatever goes wrong (no server, no answer in time, a
// garbled answer) comes back as an {"ok": false, "error": ...} response, and
// lastFailure() tells the cases apart.
#pragma once

#include "ControlProtocol.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>

class QLocalSocket;

namespace Telephony {

class ControlClient {
public:
    enum class Failure {
        None,
        InvalidRequest, // Never sent: bad command name, arguments too long, bad timeout.
        NoServer, // Nothing listens on the name.
        ConnectFailed, // Something is there but refused us, or belongs to another user.
        Timeout,
        ConnectionLost, // The server hung up before answering.
        BadResponse, // The answer broke the protocol; the connection is dropped.
    };

    static constexpr int defaultTimeoutMs = 5000;
    static constexpr int maxTimeoutMs = 600000;

    explicit ControlClient(const QString& serverName = ControlProtocol::defaultName());
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    QString serverName() const { return m_serverName; }

    // Connects on first use and keeps the connection for later requests. Must be called
    // from one thread; it runs no event loop, so the server must live in another thread
    // or process.
    QJsonObject request(const QString& command, const QJsonObject& args = {}, int timeoutMs = defaultTimeoutMs);

    Failure lastFailure() const { return m_lastFailure; }
    bool isConnected() const;
    void disconnectFromServer();

private:
    bool ensureConnected(int timeoutMs);
    bool readLine(int timeoutMs, QByteArray* line);
    QJsonObject failure(Failure kind, const QString& text);

    QString m_serverName;
    std::unique_ptr<QLocalSocket> m_socket;
    QByteArray m_buffer;
    QString m_connectError;
    Failure m_lastFailure = Failure::None;
};

} // namespace Telephony
