#include "ControlProtocol.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <QFile>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <array>

namespace Telephony {

namespace {

bool isPlainNameChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('_')
        || c == QLatin1Char('.');
}

// Tools such as telnet send "\r\n"; the '\r' is not part of the request.
QByteArray withoutLineEnd(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

QString jsonErrorText(const QJsonParseError& error)
{
    return QStringLiteral("not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
}

} // namespace

QString ControlProtocol::defaultName()
{
    const uid_t uid = geteuid();
    QString user;
    passwd entry{};
    passwd* found = nullptr;
    std::array<char, 4096> buffer{};
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        user = QString::fromLocal8Bit(found->pw_name);
    // A login name becomes part of a file name, so anything unusual falls back to the uid.
    const bool usable = !user.isEmpty() && user.size() <= 32 && user != QLatin1String(".")
        && user != QLatin1String("..") && std::all_of(user.cbegin(), user.cend(), isPlainNameChar);
    if (!usable)
        user = QString::number(uid);
    return QStringLiteral("linkora-sim-") + user;
}

bool ControlProtocol::isValidCommand(const QString& command)
{
    if (command.isEmpty() || command.size() > maxCommandLength)
        return false;
    const char16_t first = command.front().unicode();
    if (!((first >= u'a' && first <= u'z') || (first >= u'A' && first <= u'Z')))
        return false;
    return std::all_of(command.cbegin(), command.cend(),
                       [](QChar c) { return isPlainNameChar(c) && c != QLatin1Char('.'); });
}

QString ControlProtocol::checkServerName(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("no control channel name given");
    if (name.size() > maxServerNameLength)
        return QStringLiteral("the control channel name is longer than %1 characters").arg(maxServerNameLength);
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("the control channel name contains control characters");
    }
    const bool absolute = name.startsWith(QLatin1Char('/'));
    if (!absolute && name.contains(QLatin1Char('/')))
        return QStringLiteral("a control channel name is a plain name or an absolute path");
    // ".." would let a name point at a socket outside the place it seems to name.
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return QStringLiteral("a control channel name may not contain \".\" or \"..\" parts");
    }
    if (parts.isEmpty())
        return QStringLiteral("a control channel name needs more than \"/\"");
    return {};
}

QString ControlProtocol::socketFolder(bool create, QString* problem)
{
    const uid_t uid = geteuid();
    const auto isPrivate = [uid](const struct stat& info) {
        return S_ISDIR(info.st_mode) && info.st_uid == uid && (info.st_mode & 077) == 0;
    };
    // The runtime folder is the user's by definition; one set to somewhere else is passed over.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime.startsWith(QLatin1Char('/')) && ::stat(QFile::encodeName(runtime).constData(), &info) == 0
        && isPrivate(info))
        return QDir::cleanPath(runtime);

    const QString folder = QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/linkora-") + QString::number(uid);
    const QByteArray native = QFile::encodeName(folder);
    if (create && ::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (problem)
            *problem = QStringLiteral("cannot create the folder %1 (%2)").arg(folder, qt_error_string(errno));
        return {};
    }
    if (::lstat(native.constData(), &info) != 0) {
        // Without the folder there is no socket in it; connecting finds no server.
        if (!create && errno == ENOENT)
            return folder;
        if (problem)
            *problem = QStringLiteral("cannot use the folder %1 (%2)").arg(folder, qt_error_string(errno));
        return {};
    }
    if (!isPrivate(info)) {
        if (problem)
            *problem = QStringLiteral("%1 is not a folder of this user's that only this user may enter; remove it")
                           .arg(folder);
        return {};
    }
    return folder;
}

QString ControlProtocol::socketPath(const QString& name, QString* problem, bool createFolder)
{
    QString path = name;
    if (!name.startsWith(QLatin1Char('/'))) {
        const QString folder = socketFolder(createFolder, problem);
        if (folder.isEmpty())
            return {};
        path = folder + QLatin1Char('/') + name;
    }
    if (QFile::encodeName(path).size() >= qsizetype(sizeof(sockaddr_un::sun_path))) {
        if (problem)
            *problem = QStringLiteral("the socket path %1 is longer than %2 bytes")
                           .arg(path)
                           .arg(sizeof(sockaddr_un::sun_path) - 1);
        return {};
    }
    return path;
}

qint64 ControlProtocol::peerUid(qintptr socketDescriptor)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (socketDescriptor < 0
        || ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
        || length != sizeof credentials)
        return -1;
    return qint64(credentials.uid);
}

QString ControlProtocol::checkPeer(qintptr socketDescriptor)
{
    const qint64 uid = peerUid(socketDescriptor);
    if (uid < 0)
        return QStringLiteral("the user at the other end cannot be told");
    if (uid != qint64(geteuid()))
        return QStringLiteral("the other end belongs to another user (uid %1)").arg(uid);
    return {};
}

QByteArray ControlProtocol::encode(const QJsonObject& message)
{
    QByteArray line = QJsonDocument(message).toJson(QJsonDocument::Compact);
    line.append('\n');
    return line;
}

QByteArray ControlProtocol::encodeRequest(const QString& command, const QJsonObject& args)
{
    QJsonObject request{{QStringLiteral("command"), command}};
    if (!args.isEmpty())
        request.insert(QStringLiteral("args"), args);
    return encode(request);
}

ControlProtocol::Request ControlProtocol::parseRequest(QByteArray line)
{
    Request request;
    line = withoutLineEnd(std::move(line));
    if (line.trimmed().isEmpty()) {
        request.error = QStringLiteral("empty request; send {\"command\": \"help\"} for a list of commands");
        return request;
    }
    if (line.size() > maxRequestBytes) {
        request.error = QStringLiteral("request longer than %1 bytes").arg(maxRequestBytes);
        return request;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        request.error = jsonErrorText(parseError);
        return request;
    }
    if (!document.isObject()) {
        request.error = QStringLiteral("a request must be a JSON object");
        return request;
    }
    const QJsonObject object = document.object();
    const QJsonValue command = object.value(QLatin1String("command"));
    if (command.isUndefined()) {
        request.error = QStringLiteral("the request has no \"command\"");
        return request;
    }
    if (!command.isString()) {
        request.error = QStringLiteral("\"command\" must be a string");
        return request;
    }
    if (!isValidCommand(command.toString())) {
        request.error = QStringLiteral("\"%1\" is not a command name").arg(command.toString().left(maxCommandLength));
        return request;
    }
    const QJsonValue args = object.value(QLatin1String("args"));
    if (!args.isUndefined() && !args.isNull() && !args.isObject()) {
        request.error = QStringLiteral("\"args\" must be an object");
        return request;
    }
    request.command = command.toString();
    request.args = args.toObject();
    return request;
}

QJsonObject ControlProtocol::parseResponse(QByteArray line, QString* error)
{
    line = withoutLineEnd(std::move(line));
    QString why;
    QJsonObject object;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        why = jsonErrorText(parseError);
    else if (!document.isObject())
        why = QStringLiteral("the answer is not a JSON object");
    else if (!document.object().value(QLatin1String("ok")).isBool())
        why = QStringLiteral("the answer has no Boolean \"ok\"");
    else
        object = document.object();
    if (!object.isEmpty() && !object.value(QLatin1String("ok")).toBool()) {
        const QString reason = object.value(QLatin1String("error")).toString();
        if (reason.isEmpty())
            object.insert(QStringLiteral("error"), QStringLiteral("the program refused the command without a reason"));
    }
    if (error)
        *error = why;
    return object;
}

QJsonObject ControlProtocol::errorResponse(const QString& text)
{
    return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), text}};
}

} // namespace Telephony
