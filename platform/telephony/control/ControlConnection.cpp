#include "ControlConnection.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <utility>

#include <sys/socket.h>
#include <unistd.h>

namespace Telephony {

ControlConnection::ControlConnection(int descriptor, QObject* parent)
    : QObject(parent)
    , m_descriptor(descriptor)
{
    m_readNotifier = new QSocketNotifier(qintptr(descriptor), QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &ControlConnection::readIncoming);
    m_writeNotifier = new QSocketNotifier(qintptr(descriptor), QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &ControlConnection::flushOutput);
}

ControlConnection::~ControlConnection()
{
    closeDescriptor();
}

QByteArray ControlConnection::readAll()
{
    return std::exchange(m_input, QByteArray());
}

void ControlConnection::write(const QByteArray& data)
{
    if (!isOpen() || m_closeWhenWritten)
        return;
    m_output.append(data);
    flushOutput();
}

void ControlConnection::abort()
{
    m_output.clear();
    closeDescriptor();
}

void ControlConnection::disconnectFromServer()
{
    if (!isOpen())
        return;
    m_closeWhenWritten = true;
    if (m_output.isEmpty())
        closeAndAnnounce();
}

void ControlConnection::readIncoming()
{
    bool ended = false;
    bool received = false;
    char chunk[16384];
    while (isOpen()) {
        const ssize_t got = ::read(m_descriptor, chunk, sizeof chunk);
        if (got > 0) {
            m_input.append(chunk, qsizetype(got));
            received = true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        // End of the stream, or an error that ends it; nothing more to wait for.
        ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    const QPointer<ControlConnection> self(this);
    if (received)
        emit readyRead();
    if (self && ended && isOpen())
        closeAndAnnounce();
}

void ControlConnection::flushOutput()
{
    while (isOpen() && !m_output.isEmpty()) {
        // No SIGPIPE for a client that went away: the error says so instead.
        const ssize_t sent = ::send(m_descriptor, m_output.constData(), size_t(m_output.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            m_output.remove(0, qsizetype(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        // The client is gone; tell the owner from the event loop, not from inside write().
        m_output.clear();
        closeDescriptor();
        QMetaObject::invokeMethod(this, &ControlConnection::disconnected, Qt::QueuedConnection);
        return;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    if (isOpen() && m_closeWhenWritten)
        closeAndAnnounce();
}

void ControlConnection::closeDescriptor()
{
    if (!isOpen())
        return;
    // The notifiers stop watching before their descriptor goes; they are deleted later,
    // as one of them may be the sender of the signal being handled right now.
    for (QSocketNotifier* notifier : {std::exchange(m_readNotifier, nullptr), std::exchange(m_writeNotifier, nullptr)}) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    ::close(std::exchange(m_descriptor, -1));
}

void ControlConnection::closeAndAnnounce()
{
    closeDescriptor();
    emit disconnected();
}

} // namespace Telephony
