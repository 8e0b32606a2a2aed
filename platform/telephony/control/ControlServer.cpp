#include "ControlServer.h"

#include "ControlSession.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/stat.h>

#include <exception>

namespace Telephony {

namespace {

// How long a probe waits for a live server to accept; local connects are immediate.
constexpr int probeTimeoutMs = 1000;

QString helpText(bool hasHandler)
{
    if (!hasHandler)
        return QStringLiteral("This program answers no commands yet besides \"help\".");
    return QStringLiteral("This program does not list its commands; see the linkora-sim manual.");
}

} // namespace

ControlServer::ControlServer(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name)
    , m_server(new QLocalServer(this))
{
    // Only the user who runs the program may drive its exchange.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::acceptConnections);
}

ControlServer::~ControlServer()
{
    close();
}

QString ControlServer::defaultName()
{
    return ControlProtocol::defaultName();
}

void ControlServer::setIdleTimeout(int ms)
{
    m_idleTimeoutMs = ms;
}

void ControlServer::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

bool ControlServer::listen()
{
    m_errorString.clear();
    if (m_server->isListening())
        return fail(QStringLiteral("The control channel \"%1\" is already open.").arg(m_name));
    QString nameProblem = ControlProtocol::checkServerName(m_name);
    if (nameProblem.isEmpty())
        m_path = ControlProtocol::socketPath(m_name, &nameProblem, true);
    if (!nameProblem.isEmpty())
        return fail(QStringLiteral("Cannot open the control channel: %1.").arg(nameProblem));

    // Listening with access options replaces an existing socket without a word, so the
    // name is checked first: a live owner keeps it, a dead one's leftover is cleared.
    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(probeTimeoutMs)) {
        probe.abort();
        return fail(QStringLiteral("The control channel \"%1\" is already in use by another running program.")
                        .arg(m_name));
    }
    if (probe.error() == QLocalSocket::ConnectionRefusedError) {
        if (!clearStaleSocket())
            return false;
    } else if (probe.error() != QLocalSocket::ServerNotFoundError) {
        return fail(QStringLiteral("Cannot open the control channel \"%1\": %2.").arg(m_name, probe.errorString()));
    }

    // FIXME: two programs starting at the same instant can both pass the probe; the later
    // one then takes the name over.
    if (!m_server->listen(m_path)) {
        return fail(QStringLiteral("Cannot open the control channel \"%1\": %2.")
                        .arg(m_name, m_server->errorString()));
    }
    return true;
}

bool ControlServer::clearStaleSocket()
{
    const QByteArray path = QFile::encodeName(m_path);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return true; // Gone meanwhile: nothing in the way.
    // Never delete something that is not a socket just because it has our name.
    if (!S_ISSOCK(info.st_mode)) {
        return fail(QStringLiteral("Cannot open the control channel: \"%1\" exists and is not a socket.")
                        .arg(QFile::decodeName(path)));
    }
    if (!QLocalServer::removeServer(m_path)) {
        return fail(QStringLiteral("Cannot remove the abandoned control channel \"%1\".")
                        .arg(QFile::decodeName(path)));
    }
    return true;
}

bool ControlServer::fail(const QString& text)
{
    m_errorString = text;
    return false;
}

void ControlServer::close()
{
    // Sessions are deleted later, as one of them may be inside a handler right now.
    const QList<ControlSession*> sessions = m_sessions;
    m_sessions.clear();
    for (ControlSession* session : sessions) {
        session->disconnect(this);
        session->abort();
        session->deleteLater();
    }
    m_server->close();
}

bool ControlServer::isListening() const
{
    return m_server->isListening();
}

QString ControlServer::fullServerName() const
{
    return m_server->fullServerName();
}

void ControlServer::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // The socket's permissions keep other users out; an absolute name may put it
        // where they do not, so the peer is asked who it is. It learns nothing.
        if (!ControlProtocol::checkPeer(socket->socketDescriptor()).isEmpty()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_sessions.size() >= maxClients) {
            socket->write(ControlProtocol::encode(ControlProtocol::errorResponse(
                QStringLiteral("too many clients (at most %1)").arg(maxClients))));
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            continue;
        }
        auto* session = new ControlSession(socket, [this](const QByteArray& line) { return dispatch(line); },
                                           m_idleTimeoutMs, this);
        connect(session, &ControlSession::finished, this, &ControlServer::sessionFinished);
        m_sessions.append(session);
    }
}

void ControlServer::sessionFinished(ControlSession* session)
{
    m_sessions.removeOne(session);
    session->deleteLater();
}

QJsonObject ControlServer::dispatch(const QByteArray& line)
{
    const ControlProtocol::Request request = ControlProtocol::parseRequest(line);
    if (!request.isValid())
        return ControlProtocol::errorResponse(request.error);
    QJsonObject response;
    if (request.command == QLatin1String("help"))
        response = helpResponse(request.args);
    else if (m_handler)
        response = runHandler(request.command, request.args);
    else
        response = ControlProtocol::errorResponse(QStringLiteral("unknown command \"%1\"").arg(request.command));
    emit commandHandled(request.command, response.value(QLatin1String("ok")).toBool());
    return response;
}

QJsonObject ControlServer::runHandler(const QString& command, const QJsonObject& args)
{
    QJsonObject response;
    // An exception must not unwind through the event loop of the program we live in.
    try {
        response = m_handler(command, args);
    } catch (const std::exception& error) {
        return ControlProtocol::errorResponse(
            QStringLiteral("internal error in \"%1\": %2").arg(command, QString::fromLocal8Bit(error.what())));
    } catch (...) {
        return ControlProtocol::errorResponse(QStringLiteral("internal error in \"%1\"").arg(command));
    }
    const QJsonValue ok = response.value(QLatin1String("ok"));
    if (!ok.isBool())
        response.insert(QStringLiteral("ok"), !response.contains(QLatin1String("error")));
    if (!response.value(QLatin1String("ok")).toBool() && response.value(QLatin1String("error")).toString().isEmpty())
        response.insert(QStringLiteral("error"), QStringLiteral("\"%1\" failed").arg(command));
    return response;
}

QJsonObject ControlServer::helpResponse(const QJsonObject& args)
{
    if (m_handler) {
        const QJsonObject response = runHandler(QStringLiteral("help"), args);
        if (response.value(QLatin1String("ok")).toBool())
            return response;
    }
    return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("text"), helpText(bool(m_handler))}};
}

} // namespace Telephony
