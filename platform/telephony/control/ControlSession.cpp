#include "ControlSession.h"

#include "ControlConnection.h"
#include "ControlProtocol.h"

#include <QPointer>
#include <QTimer>

namespace Telephony {

ControlSession::ControlSession(ControlConnection* socket, Dispatch dispatch, int idleTimeoutMs, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_idle(new QTimer(this))
    , m_dispatch(std::move(dispatch))
{
    m_idle->setSingleShot(true);
    m_idle->setInterval(idleTimeoutMs);
    connect(m_idle, &QTimer::timeout, this, &ControlSession::idleTimedOut);
    m_idle->start();
    m_socket->setParent(this);
    connect(m_socket, &ControlConnection::readyRead, this, &ControlSession::readAvailable);
    connect(m_socket, &ControlConnection::disconnected, this, &ControlSession::socketClosed);
    // Bytes that came with the connection raise no readyRead of their own.
    QMetaObject::invokeMethod(this, &ControlSession::readAvailable, Qt::QueuedConnection);
}

ControlSession::~ControlSession()
{
    // The socket is our child; stop its signals from reaching a half-destroyed session.
    m_socket->disconnect(this);
}

void ControlSession::abort()
{
    m_closing = true;
    m_buffer.clear();
    m_socket->abort();
    socketClosed();
}

void ControlSession::readAvailable()
{
    if (m_closing) {
        m_socket->readAll();
        return;
    }
    const QPointer<ControlSession> self(this);
    processLines();
    if (self && !m_closing && !m_socket->isOpen())
        socketClosed();
}

void ControlSession::idleTimedOut()
{
    // A request still running keeps its client; the time counts from its answer.
    if (m_busy) {
        m_idle->start();
        return;
    }
    refuseAndClose(QStringLiteral("no request for %1 ms; connect again when needed").arg(m_idle->interval()));
}

void ControlSession::processLines()
{
    // A handler may pump the event loop; lines arriving meanwhile wait their turn here so
    // that answers keep the order of the requests.
    if (m_busy)
        return;
    m_busy = true;
    const QPointer<ControlSession> self(this);
    while (!m_closing) {
        // Bytes that came in while a handler ran raise no second readyRead.
        m_buffer.append(m_socket->readAll());
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0) {
            if (m_buffer.size() > ControlProtocol::maxRequestBytes)
                refuseAndClose(QStringLiteral("request longer than %1 bytes").arg(ControlProtocol::maxRequestBytes));
            break;
        }
        if (end > ControlProtocol::maxRequestBytes) {
            refuseAndClose(QStringLiteral("request longer than %1 bytes").arg(ControlProtocol::maxRequestBytes));
            break;
        }
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        // A copy, because the session may be deleted while the handler runs.
        const Dispatch dispatch = m_dispatch;
        const QJsonObject response = dispatch(line);
        if (!self)
            return;
        send(response);
        // Only whole requests keep a client: bytes dribbled in one at a time do not.
        if (!m_closing)
            m_idle->start();
    }
    m_busy = false;
}

void ControlSession::send(const QJsonObject& response)
{
    if (m_closing || !m_socket->isOpen())
        return;
    QByteArray line = ControlProtocol::encode(response);
    if (line.size() > ControlProtocol::maxResponseBytes + 1) {
        line = ControlProtocol::encode(ControlProtocol::errorResponse(
            QStringLiteral("the answer is longer than %1 bytes").arg(ControlProtocol::maxResponseBytes)));
    }
    m_socket->write(line);
    // A client that sends requests but never reads would make us buffer without limit.
    if (m_socket->bytesToWrite() > maxPendingOutput)
        abort();
}

void ControlSession::refuseAndClose(const QString& text)
{
    // The framing is lost, so no later byte from this client can be trusted to start a
    // request; answer once and hang up after the answer is out.
    send(ControlProtocol::errorResponse(text));
    m_closing = true;
    m_buffer.clear();
    if (m_socket->isOpen())
        m_socket->disconnectFromServer();
    if (!m_socket->isOpen())
        socketClosed();
}

void ControlSession::socketClosed()
{
    if (m_finished)
        return;
    // Requests sent just before hanging up still count, like a script's last command.
    if (!m_closing && !m_busy) {
        const QPointer<ControlSession> self(this);
        processLines();
        if (!self || m_finished)
            return;
    }
    m_finished = true;
    m_closing = true;
    emit finished(this);
}

} // namespace Telephony
