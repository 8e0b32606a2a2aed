// The shell at a real terminal: the line editor, loaded only then, completes names and
// hands the typed line to the shell.

#include <QByteArray>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Reads what the terminal shows until `wanted` appears at or after `from`, or the deadline
// passes.
bool readUntil(int master, QByteArray& seen, const QByteArray& wanted, int timeoutMs, qsizetype from = 0)
{
    QElapsedTimer clock;
    clock.start();
    while (seen.indexOf(wanted, from) < 0) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, int(left)) <= 0)
            return false;
        char buffer[1024];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        seen.append(buffer, got);
    }
    return true;
}

} // namespace

TEST(RingfastTerminal, TheEditorCompletesAndRunsWhatIsTyped)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QByteArray slave = ::ptsname(master);
    QTemporaryDir home;
    const QByteArray homePath = home.path().toUtf8();

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setsid();
        const int tty = ::open(slave.constData(), O_RDWR);
        if (tty < 0)
            ::_exit(127);
        ::dup2(tty, 0);
        ::dup2(tty, 1);
        ::dup2(tty, 2);
        ::setenv("XDG_CONFIG_HOME", homePath.constData(), 1);
        ::setenv("XDG_RUNTIME_DIR", homePath.constData(), 1);
        ::setenv("TERM", "xterm", 1);
        ::execl(LINKORA_RINGFAST, "ringfast", "shell", "--sim-speed", "0", static_cast<char*>(nullptr));
        ::_exit(127);
    }

    QByteArray seen;
    const bool prompted = readUntil(master, seen, "> ", 20000);
    if (prompted) {
        // Tab completes "ec" to the echo command; the shell then runs the whole line.
        const QByteArray typed = "ec\t marker-typed\n";
        EXPECT_EQ(::write(master, typed.constData(), size_t(typed.size())), typed.size());
        // Without the completion the shell would have refused "ec".
        EXPECT_TRUE(readUntil(master, seen, "\nmarker-typed", 20000)) << seen.toStdString();
        // The end of input at an empty line ends the shell. Typed at the next prompt: before
        // it, the terminal is not yet in the editor's hands and would take it as its own.
        EXPECT_TRUE(readUntil(master, seen, "ringfast> ", 20000, seen.indexOf("\nmarker-typed"))) << seen.toStdString();
        EXPECT_EQ(::write(master, "\x04", 1), 1);
    }
    int status = 0;
    QElapsedTimer clock;
    clock.start();
    pid_t done = 0;
    while ((done = ::waitpid(child, &status, WNOHANG)) == 0 && clock.elapsed() < 20000) {
        QByteArray drain;
        readUntil(master, drain, "\x01", 50);
    }
    if (done == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    ::close(master);
    ASSERT_TRUE(prompted) << "no prompt came: " << seen.toStdString();
    EXPECT_NE(done, 0) << "the shell did not end at the end of input";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
