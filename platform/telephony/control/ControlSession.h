// One client of the control channel, as the server sees it: cuts the byte stream into
// request lines, has each one answered in turn and writes the answers back in the same
// order. A client that breaks the framing, stops reading its answers or stays idle too
// long is dropped.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>

#include <functional>

class QTimer;

namespace Telephony {

class ControlConnection;

class ControlSession : public QObject {
    Q_OBJECT

public:
    // Answers one request line (without its '\n').
    using Dispatch = std::function<QJsonObject(const QByteArray& line)>;

    // Answers queued for a client that does not read them are capped at this much.
    static constexpr qsizetype maxPendingOutput = 4 * 1024 * 1024;

    // Takes the socket over; lines that arrived before this are answered too.
    // A client that sends no complete request for idleTimeoutMs while no request of its
    // is running is dropped.
    ControlSession(ControlConnection* socket, Dispatch dispatch, int idleTimeoutMs, QObject* parent = nullptr);
    ~ControlSession() override;

    bool isBusy() const { return m_busy; }

    // Closes the connection at once, without waiting for pending answers.
    void abort();

signals:
    // The client is gone; emitted once.
    void finished(Telephony::ControlSession* session);

private:
    void readAvailable();
    void processLines();
    void send(const QJsonObject& response);
    void refuseAndClose(const QString& text);
    void socketClosed();
    void idleTimedOut();

    ControlConnection* m_socket;
    QTimer* m_idle;
    Dispatch m_dispatch;
    QByteArray m_buffer;
    bool m_busy = false;
    bool m_closing = false;
    bool m_finished = false;
};

} // namespace Telephony
