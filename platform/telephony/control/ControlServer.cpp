#include "ControlServer.h"

#include "ControlConnection.h"
#include "ControlSession.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <exception>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Telephony {

namespace {

// Clients that may wait to be accepted: a burst of them may come before the event loop
// turns, and each must at least hear that it is one too many.
constexpr int backlog = 2 * ControlServer::maxClients;

// The socket address of path; false when the path does not fit.
bool socketAddress(const QByteArray& path, sockaddr_un* address)
{
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Whether a program accepts on path: 0 if one does, otherwise the errno of the attempt.
int probe(const sockaddr_un& address)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    int result = 0;
    while (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINTR) {
            result = errno;
            break;
        }
    }
    ::close(fd);
    return result;
}

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
{
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
    if (isListening())
        return fail(QStringLiteral("The control channel \"%1\" is already open.").arg(m_name));
    QString nameProblem = ControlProtocol::checkServerName(m_name);
    QString resolved;
    if (nameProblem.isEmpty())
        resolved = ControlProtocol::socketPath(m_name, &nameProblem, true);
    if (!nameProblem.isEmpty())
        return fail(QStringLiteral("Cannot open the control channel: %1.").arg(nameProblem));
    const QByteArray path = QFile::encodeName(resolved);
    sockaddr_un address;
    if (!socketAddress(path, &address))
        return fail(QStringLiteral("Cannot open the control channel \"%1\": the name is too long.").arg(m_name));

    // Binding fails on an existing file, so the name is checked first: a live owner keeps
    // it, a dead one's leftover is cleared.
    const int probed = probe(address);
    if (probed == 0) {
        return fail(QStringLiteral("The control channel \"%1\" is already in use by another running program.")
                        .arg(m_name));
    }
    if (probed == ECONNREFUSED) {
        if (!clearStaleSocket(path))
            return false;
    } else if (probed != ENOENT) {
        return fail(QStringLiteral("Cannot open the control channel \"%1\": %2.").arg(m_name, systemError(probed)));
    }

    // FIXME: two programs starting at the same instant can both pass the probe; the later
    // one then fails to bind.
    return openSocket(path);
}

bool ControlServer::openSocket(const QByteArray& path)
{
    sockaddr_un address;
    socketAddress(path, &address);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(QStringLiteral("Cannot open the control channel \"%1\": %2.").arg(m_name, systemError(errno)));
    // Only the user who runs the program may drive its exchange. The mode of the unbound
    // socket becomes the file's, so no other user can ever connect, not even briefly.
    if (::fchmod(fd, S_IRWXU) != 0
        || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(QStringLiteral("Cannot open the control channel \"%1\": %2.").arg(m_name, systemError(error)));
    }
    if (::listen(fd, backlog) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.constData());
        return fail(QStringLiteral("Cannot open the control channel \"%1\": %2.").arg(m_name, systemError(error)));
    }
    m_descriptor = fd;
    m_path = QFile::decodeName(path);
    m_notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ControlServer::acceptConnections);
    return true;
}

bool ControlServer::clearStaleSocket(const QByteArray& path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return true; // Gone meanwhile: nothing in the way.
    // Never delete something that is not a socket just because it has our name.
    if (!S_ISSOCK(info.st_mode)) {
        return fail(QStringLiteral("Cannot open the control channel: \"%1\" exists and is not a socket.")
                        .arg(QFile::decodeName(path)));
    }
    if (::unlink(path.constData()) != 0 && errno != ENOENT) {
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
    if (!isListening())
        return;
    // The notifier may be the sender of the signal being handled right now.
    m_notifier->setEnabled(false);
    std::exchange(m_notifier, nullptr)->deleteLater();
    ::close(std::exchange(m_descriptor, -1));
    ::unlink(QFile::encodeName(std::exchange(m_path, QString())).constData());
}

bool ControlServer::isListening() const
{
    return m_descriptor >= 0;
}

QString ControlServer::fullServerName() const
{
    return m_path;
}

void ControlServer::acceptConnections()
{
    while (isListening()) {
        const int fd = ::accept4(m_descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the waiting client would wake us at once
                // again, so look again a little later instead of spinning.
                m_notifier->setEnabled(false);
                QTimer::singleShot(100, m_notifier, [notifier = m_notifier] { notifier->setEnabled(true); });
            }
            break;
        }
        // The socket's permissions keep other users out; an absolute name may put it
        // where they do not, so the peer is asked who it is. It learns nothing.
        if (!ControlProtocol::checkPeer(qintptr(fd)).isEmpty()) {
            ::close(fd);
            continue;
        }
        auto* socket = new ControlConnection(fd);
        if (m_sessions.size() >= maxClients) {
            socket->write(ControlProtocol::encode(ControlProtocol::errorResponse(
                QStringLiteral("too many clients (at most %1)").arg(maxClients))));
            connect(socket, &ControlConnection::disconnected, socket, &QObject::deleteLater);
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
