// The wire format of the control channel, shared by the server inside a running service
// and by every client: one compact JSON object per '\n'-terminated UTF-8 line each way.
// A request names a command and its arguments; every request line gets exactly one
// response line, {"ok": true, ...} or {"ok": false, "error": "..."}, in request order.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace Telephony {

class ControlProtocol {
public:
    // A request line longer than this (without its '\n') is refused and its sender dropped.
    static constexpr qsizetype maxRequestBytes = 64 * 1024;
    // Answers may list every call, so they are allowed to be larger than requests.
    static constexpr qsizetype maxResponseBytes = 1024 * 1024;
    static constexpr int maxCommandLength = 64;
    static constexpr int maxServerNameLength = 100;

    // A request as read from the wire; error is empty when the line was a valid request.
    struct Request {
        QString command;
        QJsonObject args;
        QString error;

        bool isValid() const { return error.isEmpty(); }
    };

    // "linkora-sim-" and the user's login name (or uid), so every user has a channel of
    // their own and programs of different users never answer each other.
    static QString defaultName();

    // Command names are short words: a letter, then letters, digits, '-' or '_'.
    static bool isValidCommand(const QString& command);

    // Empty when the channel name is usable, otherwise why it is not.
    static QString checkServerName(const QString& name);

    // The folder that holds the sockets of plain channel names: $XDG_RUNTIME_DIR when it
    // is this user's folder and closed to everyone else, otherwise "linkora-<uid>" in the
    // temporary folder, made with mode 0700 when create is set. Empty, with problem set,
    // when that folder is not a private folder of this user (a link, someone else's, open
    // to others): a shared folder would let another user plant a socket under our name.
    static QString socketFolder(bool create, QString* problem = nullptr);

    // Where the socket of a channel lives: in socketFolder() for a plain name, the path
    // itself for an absolute one. Empty, with problem set, when there is no usable place.
    static QString socketPath(const QString& name, QString* problem = nullptr, bool createFolder = false);

    // The user id of the program at the other end of a connected local socket, or -1 when
    // it cannot be told. Both ends talk only to their own user.
    static qint64 peerUid(qintptr socketDescriptor);
    // Empty when the peer runs as this user, otherwise a sentence saying it does not.
    static QString checkPeer(qintptr socketDescriptor);

    // One line, '\n' included; compact JSON never contains a raw newline.
    static QByteArray encode(const QJsonObject& message);
    static QByteArray encodeRequest(const QString& command, const QJsonObject& args);

    static Request parseRequest(QByteArray line);

    // Checks that an answer line is an object with a Boolean "ok" and that a refusal
    // carries its reason; on failure returns an empty object and sets error.
    static QJsonObject parseResponse(QByteArray line, QString* error);

    static QJsonObject errorResponse(const QString& text);
};

} // namespace Telephony
