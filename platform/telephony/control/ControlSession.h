// One client of the control channel, as the server sees it: cuts the byte stream into
// request lines, has each one answered in turn and writes the answers back in the same
// order. A client that breaks the framing or stops reading its answers is dropped.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>

#include <functional>

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
    ControlSession(ControlConnection* socket, Dispatch dispatch, QObject* parent = nullptr);
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

    ControlConnection* m_socket;
    Dispatch m_dispatch;
    QByteArray m_buffer;
    bool m_busy = false;
    bool m_closing = false;
    bool m_finished = false;
};

} // namespace Telephony
