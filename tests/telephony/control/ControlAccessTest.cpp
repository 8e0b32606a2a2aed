// Who may use the control channel and for how long: the socket lives in a folder of the
// user's own, both ends talk only to programs of the same user, and idle clients give
// their slot back.

#include "ControlTestHelpers.h"

#include <ControlServer.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <future>
#include <memory>

using namespace ControlTest;
using Telephony::ControlClient;
using Telephony::ControlProtocol;
using Telephony::ControlServer;
using Failure = ControlClient::Failure;

namespace {

const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
    | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// Another user's program, played by a forked child that becomes "nobody": body runs
// with the child's privileges dropped, and the child's exit code is its verdict.
pid_t startAsAnotherUser(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20);
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0
            || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(90);
        ::_exit(body());
    }
    return child;
}

// Keeps the test's event loop running until the child ends.
int verdict(pid_t child)
{
    int status = -1;
    if (child < 0 || !waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 25000))
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int unixSocket(const QString& path, sockaddr_un* address)
{
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    std::strncpy(address->sun_path, QFile::encodeName(path).constData(), sizeof(address->sun_path) - 1);
    return ::socket(AF_UNIX, SOCK_STREAM, 0);
}

} // namespace

TEST(ControlAccess, SocketsLiveInAFolderOnlyTheUserMayEnter)
{
    QTemporaryDir runtime;
    QTemporaryDir temp;
    ASSERT_TRUE(runtime.isValid() && temp.isValid());
    const ScopedEnv tmp("TMPDIR", QFile::encodeName(temp.path()));
    const QString fallback = temp.path() + QStringLiteral("/linkora-") + QString::number(::geteuid());
    const QString name = uniqueChannelName();

    {
        // The runtime folder of the session, when it is private.
        const ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        EXPECT_EQ(ControlProtocol::socketPath(name), runtime.path() + QLatin1Char('/') + name);
        ControlServer server(name);
        ASSERT_TRUE(server.listen()) << qPrintable(server.errorString());
        EXPECT_EQ(server.fullServerName(), runtime.path() + QLatin1Char('/') + name);
        EXPECT_TRUE(ask(name, "help").response.value("ok").toBool());
    }
    {
        // A runtime folder others may enter is passed over for a private folder of our own.
        ASSERT_TRUE(QFile::setPermissions(runtime.path(), everyone));
        const ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        ControlServer server(name);
        ASSERT_TRUE(server.listen()) << qPrintable(server.errorString());
        EXPECT_EQ(server.fullServerName(), fallback + QLatin1Char('/') + name);
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(fallback).constData(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_TRUE(ask(name, "help").response.value("ok").toBool());
    }

    const ScopedEnv noRuntime("XDG_RUNTIME_DIR", QByteArray());
    const struct {
        const char* what;
        std::function<void()> plant;
    } planted[] = {
        {"a link in its place", [&] {
             ASSERT_TRUE(QFile::link(runtime.path(), fallback));
         }},
        {"a folder open to others", [&] {
             ASSERT_TRUE(QDir().mkpath(fallback));
             ASSERT_TRUE(QFile::setPermissions(fallback, everyone));
         }},
    };
    for (const auto& c : planted) {
        SCOPED_TRACE(c.what);
        QDir(fallback).removeRecursively();
        QFile::remove(fallback);
        c.plant();
        ControlServer server(name);
        EXPECT_FALSE(server.listen());
        EXPECT_TRUE(server.errorString().contains(QLatin1String("only this user may enter")))
            << qPrintable(server.errorString());
        const Answer answer = ask(name, "help");
        EXPECT_EQ(answer.failure, Failure::ConnectFailed);
        EXPECT_TRUE(answer.response.value("error").toString().contains(fallback));
    }
}

// An impostor that got hold of the name, and a stranger who found the socket open: the
// client does not believe the one, the server does not answer the other.
TEST(ControlAccess, BothEndsTalkOnlyToTheirOwnUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "playing another user needs root";
    QTemporaryDir shared;
    ASSERT_TRUE(QFile::setPermissions(shared.path(), everyone));

    const QString impostorPath = shared.filePath(QStringLiteral("impostor"));
    const pid_t impostor = startAsAnotherUser([&] {
        sockaddr_un address;
        const int fd = unixSocket(impostorPath, &address);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0)
            return 2;
        const int client = ::accept(fd, nullptr, nullptr);
        char request[256];
        (void)!::read(client, request, sizeof request);
        const char forged[] = "{\"ok\":true,\"forged\":true}\n";
        // The client may have hung up already; that is no failure of the impostor's.
        (void)!::send(client, forged, sizeof forged - 1, MSG_NOSIGNAL);
        ::close(client);
        return 0;
    });
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(impostorPath); }));
    ControlClient client(impostorPath);
    const QJsonObject response = client.request(QStringLiteral("calls"), {}, 2000);
    EXPECT_EQ(client.lastFailure(), Failure::ConnectFailed);
    EXPECT_FALSE(response.value("forged").toBool());
    EXPECT_TRUE(response.value("error").toString().contains(QLatin1String("another user (uid 65534)")))
        << qPrintable(response.value("error").toString());
    EXPECT_EQ(verdict(impostor), 0);

    const QString serverPath = shared.filePath(QStringLiteral("server"));
    ControlServer server(serverPath);
    QStringList calls;
    server.setHandler([&](const QString& command, const QJsonObject&) {
        calls << command;
        return QJsonObject{{"ok", true}};
    });
    ASSERT_TRUE(server.listen()) << qPrintable(server.errorString());
    ASSERT_TRUE(QFile::setPermissions(serverPath, everyone));
    const pid_t stranger = startAsAnotherUser([&] {
        sockaddr_un address;
        const int fd = unixSocket(serverPath, &address);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return 2;
        const char request[] = "{\"command\":\"ring\"}\n";
        (void)!::send(fd, request, sizeof request - 1, MSG_NOSIGNAL);
        char answer[256];
        const ssize_t got = ::read(fd, answer, sizeof answer);
        return got <= 0 ? 0 : 1;
    });
    EXPECT_EQ(verdict(stranger), 0) << "the server answered another user";
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(ask(serverPath, "ring").response.value("ok").toBool());
}

TEST(ControlAccess, IdleClientsGiveTheirSlotBack)
{
    const QString name = uniqueChannelName();
    ControlServer server(name);
    server.setIdleTimeout(300);
    server.setHandler([](const QString& command, const QJsonObject&) {
        // A request that runs longer than the idle time-out keeps its client.
        if (command == QLatin1String("slow"))
            waitUntil([] { return false; }, 600);
        return QJsonObject{{"ok", true}, {"command", command}};
    });
    ASSERT_TRUE(server.listen()) << qPrintable(server.errorString());

    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < ControlServer::maxClients; ++i) {
        idle.push_back(std::make_unique<RawClient>());
        ASSERT_TRUE(idle.back()->open(name));
    }
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == ControlServer::maxClients; }));
    EXPECT_TRUE(waitUntil([&] { return server.clientCount() == 0; }, 5000));
    for (const auto& client : idle) {
        const auto notice = client->nextResponse();
        ASSERT_TRUE(notice);
        EXPECT_TRUE(notice->value("error").toString().contains(QLatin1String("no request for 300 ms")));
        EXPECT_TRUE(client->waitClosed());
    }
    EXPECT_EQ(ask(name, "slow").response.value("command").toString(), QStringLiteral("slow"));

    // A byte now and then is no request: the client goes all the same. (Its notice may be
    // lost: a socket closed with bytes still unread resets the other end.)
    RawClient trickler;
    ASSERT_TRUE(trickler.open(name));
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, [&] { trickler.send(" "); });
    drip.start(50);
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == 1; }));
    EXPECT_TRUE(waitUntil([&] { return server.clientCount() == 0; }, 5000));
    EXPECT_TRUE(trickler.waitClosed());
    drip.stop();

    // A client dropped between two requests connects again for the second.
    std::promise<void> dropped;
    auto twice = std::async(std::launch::async, [&] {
        ControlClient client(name);
        QList<Answer> answers;
        answers.append({client.request(QStringLiteral("first")), client.lastFailure()});
        dropped.get_future().wait();
        answers.append({client.request(QStringLiteral("second")), client.lastFailure()});
        return answers;
    });
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == 0; }, 5000));
    dropped.set_value();
    ASSERT_TRUE(waitUntil([&] { return twice.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const QList<Answer> answers = twice.get();
    ASSERT_EQ(answers.size(), 2);
    EXPECT_EQ(answers[0].response.value("command").toString(), QStringLiteral("first"));
    EXPECT_EQ(answers[1].failure, Failure::None) << qPrintable(answers[1].response.value("error").toString());
    EXPECT_EQ(answers[1].response.value("command").toString(), QStringLiteral("second"));
}
