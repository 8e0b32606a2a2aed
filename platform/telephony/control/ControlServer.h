// The server end of the control channel, living inside a running telephony service: it
// listens on a local socket that only its owner may open, in a folder only its owner may
// enter, talks only to programs of the same user, reads requests from up to maxClients
// clients and hands each one to the installed handler on this object's thread. The
// socket is a plain Unix socket (clients may use QLocalSocket), so the service needs no
// network library.
#pragma once

#include "ControlProtocol.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace Telephony {

class ControlSession;

class ControlServer : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<QJsonObject(const QString& command, const QJsonObject& args)>;

    // Further clients are told so and hung up on; tests and people need only a few.
    static constexpr int maxClients = 32;
    // A client that neither sends nor awaits anything for this long is told so and
    // dropped, so that forgotten connections do not use up the slots.
    static constexpr int defaultIdleTimeoutMs = 60000;

    explicit ControlServer(const QString& name = defaultName(), QObject* parent = nullptr);
    ~ControlServer() override;

    // The per-user channel that linkora-sim talks to unless told otherwise.
    static QString defaultName();

    // Answers every command but "help" (which it may answer too). The handler returns the
    // response object; "ok" is filled in from "error" when it leaves it out.
    void setHandler(Handler handler);

    // Fails, with errorString() saying why, when another live program owns the name. A
    // socket left behind by a program that died is removed and the name taken over.
    bool listen();
    void close();

    // Applies to clients that connect afterwards.
    void setIdleTimeout(int ms);
    int idleTimeout() const { return m_idleTimeoutMs; }

    bool isListening() const;
    QString name() const { return m_name; }
    QString fullServerName() const;
    QString errorString() const { return m_errorString; }
    int clientCount() const { return int(m_sessions.size()); }

signals:
    void commandHandled(const QString& command, bool ok);

private:
    void acceptConnections();
    bool openSocket(const QByteArray& path);
    void sessionFinished(ControlSession* session);
    bool clearStaleSocket(const QByteArray& path);
    bool fail(const QString& text);
    QJsonObject dispatch(const QByteArray& line);
    QJsonObject runHandler(const QString& command, const QJsonObject& args);
    QJsonObject helpResponse(const QJsonObject& args);

    QString m_name;
    QString m_errorString;
    int m_idleTimeoutMs = defaultIdleTimeoutMs;
    int m_descriptor = -1;
    QSocketNotifier* m_notifier = nullptr;
    QString m_path; // the socket's file while listening
    QList<ControlSession*> m_sessions;
    Handler m_handler;
};

} // namespace Telephony
