#include "SimulatedModem.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace Telephony::Sim {

SimulatedModem::SimulatedModem()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return;
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave < 0) {
        ::close(master);
        return;
    }
    // Raw line discipline: the terminal layer must neither echo nor translate, the
    // simulated modem does its own echoing.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    m_master = master;
    m_slave = slave;
    m_notifier = std::make_unique<QSocketNotifier>(slave, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { readSlave(); });
}

SimulatedModem::~SimulatedModem()
{
    closeSlave();
    if (m_master >= 0)
        ::close(m_master);
}

int SimulatedModem::takeMasterFd()
{
    const int fd = m_master;
    m_master = -1;
    return fd;
}

void SimulatedModem::readSlave()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_slave, buffer, sizeof buffer);
        if (n > 0) {
            handle(QByteArray(buffer, int(n)));
            if (m_slave < 0)
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file or EIO: the application closed its side.
        closeSlave();
        return;
    }
}

void SimulatedModem::handle(const QByteArray& data)
{
    for (char c : data) {
        m_line.append(c);
        if (c == '\r' || c == '\n') {
            const QByteArray line = m_line;
            m_line.clear();
            const QByteArray command = line.trimmed();
            if (command.size() >= 2 && command.left(2).toUpper() == "AT")
                send("OK\r\n");
            else
                send(line);
            continue;
        }
        // Anything that can no longer become an AT command is echoed at once.
        const QByteArray upper = m_line.toUpper();
        const bool maybeCommand = upper == "A" || upper.startsWith("AT");
        if (!maybeCommand) {
            send(m_line);
            m_line.clear();
        }
    }
}

void SimulatedModem::send(const QByteArray& data)
{
    qsizetype done = 0;
    while (m_slave >= 0 && done < data.size()) {
        const ssize_t n = ::write(m_slave, data.constData() + done, size_t(data.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return; // the application does not read: drop the rest, as a line would
        }
    }
}

void SimulatedModem::closeSlave()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier.reset();
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

} // namespace Telephony::Sim
