// One connected client of the control channel at the socket level: a non-blocking Unix
// stream socket watched by the event loop. What arrives is kept until read; what is
// written goes out as fast as the client takes it. Plain sockets keep the service free
// of the network library, which a program would otherwise load just for this.
#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace Telephony {

class ControlConnection : public QObject {
    Q_OBJECT

public:
    // Takes the descriptor over (closing it when done); it must be non-blocking.
    explicit ControlConnection(int descriptor, QObject* parent = nullptr);
    ~ControlConnection() override;

    bool isOpen() const { return m_descriptor >= 0; }

    // Everything received so far, also after the client hung up.
    QByteArray readAll();
    // Queues data for the client; dropped once the connection is closed.
    void write(const QByteArray& data);
    qsizetype bytesToWrite() const { return m_output.size(); }

    // Closes at once and drops what was not written yet.
    void abort();
    // Closes once everything written is out.
    void disconnectFromServer();

signals:
    void readyRead();
    // The connection closed: the client hung up, an error ended it, or it was asked to
    // close after its answers; not after abort().
    void disconnected();

private:
    void readIncoming();
    void flushOutput();
    void closeDescriptor();
    void closeAndAnnounce();

    int m_descriptor;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QByteArray m_input;
    QByteArray m_output;
    bool m_closeWhenWritten = false;
};

} // namespace Telephony
