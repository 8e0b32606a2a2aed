#include "ControlClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

namespace Telephony {

ControlClient::ControlClient(const QString& serverName)
    : m_serverName(serverName)
{
}

ControlClient::~ControlClient() = default;

bool ControlClient::isConnected() const
{
    return m_socket && m_socket->state() == QLocalSocket::ConnectedState;
}

void ControlClient::disconnectFromServer()
{
    if (m_socket)
        m_socket->abort();
    m_socket.reset();
    m_buffer.clear();
}

QJsonObject ControlClient::request(const QString& command, const QJsonObject& args, int timeoutMs)
{
    m_lastFailure = Failure::None;
    if (timeoutMs < 1 || timeoutMs > maxTimeoutMs) {
        return failure(Failure::InvalidRequest,
                       QStringLiteral("the time-out must lie between 1 and %1 ms").arg(maxTimeoutMs));
    }
    const QString nameProblem = ControlProtocol::checkServerName(m_serverName);
    if (!nameProblem.isEmpty())
        return failure(Failure::InvalidRequest, nameProblem);
    if (!ControlProtocol::isValidCommand(command))
        return failure(Failure::InvalidRequest, QStringLiteral("\"%1\" is not a command name").arg(command.left(80)));
    const QByteArray line = ControlProtocol::encodeRequest(command, args);
    if (line.size() > ControlProtocol::maxRequestBytes + 1) {
        return failure(Failure::InvalidRequest,
                       QStringLiteral("the request is longer than %1 bytes").arg(ControlProtocol::maxRequestBytes));
    }

    const QDeadlineTimer deadline(timeoutMs);
    if (!ensureConnected(timeoutMs)) {
        if (m_lastFailure == Failure::Timeout) {
            return failure(Failure::Timeout,
                           QStringLiteral("the program did not take the connection within %1 ms").arg(timeoutMs));
        }
        return failure(m_lastFailure, m_connectError);
    }

    m_socket->write(line);
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(int(deadline.remainingTime()))) {
            if (m_socket->state() != QLocalSocket::ConnectedState)
                return failure(Failure::ConnectionLost, {});
            return failure(Failure::Timeout, QStringLiteral("no answer within %1 ms").arg(timeoutMs));
        }
    }

    QByteArray answer;
    if (!readLine(int(deadline.remainingTime()), &answer)) {
        if (m_lastFailure == Failure::Timeout)
            return failure(Failure::Timeout, QStringLiteral("no answer within %1 ms").arg(timeoutMs));
        return failure(m_lastFailure, {});
    }
    QString problem;
    const QJsonObject response = ControlProtocol::parseResponse(answer, &problem);
    if (!problem.isEmpty())
        return failure(Failure::BadResponse, QStringLiteral("the program gave an unreadable answer: %1").arg(problem));
    return response;
}

bool ControlClient::ensureConnected(int timeoutMs)
{
    // Between requests the server may have dropped an idle connection, saying so first;
    // that word is no answer to the coming request, so the connection starts afresh.
    if (isConnected() && m_buffer.isEmpty() && !m_socket->waitForReadyRead(0) && isConnected())
        return true;
    disconnectFromServer();
    m_connectError.clear();
    const QString path = ControlProtocol::socketPath(m_serverName, &m_connectError);
    if (path.isEmpty()) {
        m_lastFailure = Failure::ConnectFailed;
        return false;
    }
    m_socket = std::make_unique<QLocalSocket>();
    m_socket->connectToServer(path);
    if (m_socket->waitForConnected(timeoutMs)) {
        // Whoever holds the name must be this user's own program: another user's could
        // have planted the socket to read the requests and forge the answers.
        m_connectError = ControlProtocol::checkPeer(m_socket->socketDescriptor());
        if (m_connectError.isEmpty())
            return true;
        m_lastFailure = Failure::ConnectFailed;
        return false;
    }
    m_connectError = m_socket->errorString();
    switch (m_socket->error()) {
    case QLocalSocket::ServerNotFoundError:
    case QLocalSocket::ConnectionRefusedError:
        m_lastFailure = Failure::NoServer;
        break;
    case QLocalSocket::SocketTimeoutError:
        m_lastFailure = Failure::Timeout;
        break;
    default:
        m_lastFailure = Failure::ConnectFailed;
        break;
    }
    return false;
}

bool ControlClient::readLine(int timeoutMs, QByteArray* line)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end >= 0) {
            *line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            return true;
        }
        if (m_buffer.size() > ControlProtocol::maxResponseBytes) {
            m_lastFailure = Failure::BadResponse;
            return false;
        }
        // A server that answers and hangs up leaves its answer readable after the close.
        const bool more = m_socket->waitForReadyRead(int(deadline.remainingTime()));
        m_buffer.append(m_socket->readAll());
        if (!more && m_buffer.indexOf('\n') < 0) {
            m_lastFailure = m_socket->state() == QLocalSocket::ConnectedState ? Failure::Timeout
                                                                               : Failure::ConnectionLost;
            return false;
        }
    }
}

QJsonObject ControlClient::failure(Failure kind, const QString& text)
{
    m_lastFailure = kind;
    QString message = text;
    switch (kind) {
    case Failure::NoServer:
        message = QStringLiteral("no program serves the control channel \"%1\"").arg(m_serverName);
        break;
    case Failure::ConnectFailed:
        message = QStringLiteral("cannot connect to the control channel \"%1\": %2").arg(m_serverName, text);
        break;
    case Failure::ConnectionLost:
        message = QStringLiteral("the program closed the control channel before answering");
        break;
    case Failure::BadResponse:
        if (message.isEmpty())
            message = QStringLiteral("the program's answer is longer than %1 bytes")
                          .arg(ControlProtocol::maxResponseBytes);
        break;
    case Failure::Timeout:
        if (message.isEmpty())
            message = QStringLiteral("no answer in time");
        break;
    case Failure::None:
    case Failure::InvalidRequest:
        break;
    }
    // After anything but a refused request the stream may hold a late answer that would
    // be taken for the next one, so start afresh.
    if (kind != Failure::InvalidRequest)
        disconnectFromServer();
    return ControlProtocol::errorResponse(message);
}

} // namespace Telephony
