#include "SipAccount.h"

#include "SipAddress.h"
#include "../../VisibleText.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Telephony::Sip {

namespace {

constexpr qint64 kMaxPasswordBytes = 1024;

QString visible(const QString& text) { return VisibleText::escaped(text); }

QString text(const QVariantMap& settings, const QString& key)
{
    return settings.value(key).toString().trimmed();
}

} // namespace

QString SipAccount::transportName(Transport transport)
{
    switch (transport) {
    case Transport::Tcp:
        return QStringLiteral("tcp");
    case Transport::Tls:
        return QStringLiteral("tls");
    case Transport::Udp:
        break;
    }
    return QStringLiteral("udp");
}

QList<SipAccount> readAccounts(const QVariantMap& settings, QStringList* warnings)
{
    QList<SipAccount> accounts;
    const auto warn = [warnings](const QString& message) {
        if (warnings)
            *warnings << message;
    };
    for (int n = 1; n <= SipAccount::kMaxAccounts; ++n) {
        const QString base = QStringLiteral("account%1.").arg(n);
        const QString identity = text(settings, base + QStringLiteral("identity"));
        if (identity.isEmpty())
            continue;
        SipAccount a;
        a.index = n;
        a.identity = identity;
        const SipUri uri = SipUri::parse(identity);
        if (!uri.valid || uri.user.isEmpty()) {
            warn(QStringLiteral("account%1: identity \"%2\" dropped: it must read sip:user@host").arg(n).arg(visible(identity)));
            continue;
        }
        a.user = uri.user;
        a.domain = uri.host;
        a.proxy = text(settings, base + QStringLiteral("proxy"));
        if (!a.proxy.isEmpty() && !SipUri::parse(a.proxy).valid) {
            warn(QStringLiteral("account%1: proxy \"%2\" dropped: it must read sip:host[:port]").arg(n).arg(visible(a.proxy)));
            a.proxy.clear();
        }
        a.registerEnabled = !a.proxy.isEmpty() && settings.value(base + QStringLiteral("register"), true).toBool();
        a.expires = qBound(30, settings.value(base + QStringLiteral("expires"), 600).toInt(), 86400);
        a.authUser = text(settings, base + QStringLiteral("authUser"));
        a.passwordFile = text(settings, base + QStringLiteral("passwordFile"));
        if (settings.contains(base + QStringLiteral("password")))
            warn(QStringLiteral("account%1: a password in the configuration file is ignored; put it in the file "
                                "named by passwordFile (mode 0600)").arg(n));
        const QString transport = text(settings, base + QStringLiteral("transport")).toLower();
        if (transport == QLatin1String("tcp"))
            a.transport = SipAccount::Transport::Tcp;
        else if (transport == QLatin1String("tls"))
            a.transport = SipAccount::Transport::Tls;
        else if (!transport.isEmpty() && transport != QLatin1String("udp"))
            warn(QStringLiteral("account%1: transport \"%2\" unknown, UDP is used").arg(n).arg(visible(transport)));
        const int port = settings.value(base + QStringLiteral("port"), 0).toInt();
        a.port = (port >= 0 && port <= 65535) ? port : 0;
        a.bindAddress = text(settings, base + QStringLiteral("bindAddress"));
        const QString media = text(settings, base + QStringLiteral("mediaEncryption")).toLower();
        a.srtp = media == QLatin1String("srtp");
        if (!media.isEmpty() && !a.srtp && media != QLatin1String("none"))
            warn(QStringLiteral("account%1: media encryption \"%2\" unknown, none is used").arg(n).arg(visible(media)));
        a.stunServer = text(settings, base + QStringLiteral("stun"));
        a.ice = settings.value(base + QStringLiteral("ice"), false).toBool() && !a.stunServer.isEmpty();
        a.verifyTls = settings.value(base + QStringLiteral("verifyTls"), true).toBool();
        a.caFile = text(settings, base + QStringLiteral("caFile"));
        const QString dtmf = text(settings, base + QStringLiteral("dtmf")).toLower();
        if (dtmf == QLatin1String("info"))
            a.dtmf = SipAccount::Dtmf::Info;
        else if (dtmf == QLatin1String("both"))
            a.dtmf = SipAccount::Dtmf::Both;
        else if (dtmf == QLatin1String("rfc4733"))
            a.dtmf = SipAccount::Dtmf::Rfc4733;
        else if (!dtmf.isEmpty() && dtmf != QLatin1String("auto"))
            warn(QStringLiteral("account%1: dtmf \"%2\" unknown, auto is used").arg(n).arg(visible(dtmf)));
        const QVariant maxCalls = settings.value(base + QStringLiteral("maxCalls"), 4);
        bool numeric = false;
        const int wanted = maxCalls.toInt(&numeric);
        a.maxCalls = qBound(1, numeric ? wanted : 4, SipAccount::kMaxCalls);
        if (!numeric || a.maxCalls != wanted)
            warn(QStringLiteral("account%1: maxCalls \"%2\" is not from 1 to %3; %4 is used")
                     .arg(n)
                     .arg(visible(maxCalls.toString().left(32)))
                     .arg(SipAccount::kMaxCalls)
                     .arg(a.maxCalls));
        accounts << a;
    }
    // An account numbered beyond the last one read would be lost without a word.
    static const QRegularExpression beyond(QStringLiteral("^account(\\d+)\\.identity$"));
    for (auto it = settings.keyBegin(); it != settings.keyEnd(); ++it) {
        const QRegularExpressionMatch match = beyond.match(*it);
        if (match.hasMatch() && match.captured(1).toLongLong() > SipAccount::kMaxAccounts)
            warn(QStringLiteral("account%1 ignored: accounts are numbered from 1 to %2")
                     .arg(visible(match.captured(1).left(12)))
                     .arg(SipAccount::kMaxAccounts));
    }
    return accounts;
}

bool readPassword(const QString& path, QByteArray* password, QString* error)
{
    const QString shown = visible(path);
    // O_NOFOLLOW|O_NONBLOCK: a link could point anywhere, a FIFO would hang the service.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("password file %1 cannot be opened").arg(shown);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("password file %1 is not a regular file").arg(shown);
        return false;
    }
    if (st.st_uid != ::getuid()) {
        ::close(fd);
        *error = QStringLiteral("password file %1 belongs to another user").arg(shown);
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        ::close(fd);
        *error = QStringLiteral("password file %1 may be read by others (mode %2); allow only its owner: chmod 600")
                     .arg(shown)
                     .arg(st.st_mode & 0777, 3, 8, QLatin1Char('0'));
        return false;
    }
    if (st.st_size > kMaxPasswordBytes) {
        ::close(fd);
        *error = QStringLiteral("password file %1 is larger than %2 bytes").arg(shown).arg(kMaxPasswordBytes);
        return false;
    }
    QByteArray data(int(kMaxPasswordBytes) + 1, '\0');
    const ssize_t got = ::read(fd, data.data(), size_t(data.size()));
    ::close(fd);
    if (got < 0) {
        *error = QStringLiteral("password file %1 cannot be read").arg(shown);
        return false;
    }
    data.truncate(int(got));
    // One line: a trailing line break is what editors add, not part of the password.
    const qsizetype newline = data.indexOf('\n');
    if (newline >= 0)
        data.truncate(newline);
    if (data.endsWith('\r'))
        data.chop(1);
    *password = data;
    return true;
}

bool writePassword(const QString& path, const QByteArray& password, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    const QByteArray temp = name + ".new";
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = QStringLiteral("password file %1 cannot be written").arg(visible(path));
        return false;
    }
    const QByteArray content = password + '\n';
    const bool written = ::fchmod(fd, 0600) == 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.constData(), name.constData()) != 0) {
        ::unlink(temp.constData());
        *error = QStringLiteral("password file %1 cannot be written").arg(visible(path));
        return false;
    }
    return true;
}

} // namespace Telephony::Sip
