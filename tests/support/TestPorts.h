#pragma once

// Ports for peers that bind their own (sipp, a SIP server, a line's SIP stack, a TLS
// server). A port found free with bind(0) and then closed may be taken by anyone before
// the peer binds it; instead each test process locks a block of ports of its own, below
// the kernel's range for port 0, so neither another test nor an ephemeral socket gets one
// of its ports. The lock goes with the process.

#include <QHostAddress>
#include <QTcpServer>
#include <QUdpSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

namespace TestPorts {

inline constexpr int kFirst = 20000;
inline constexpr int kBlockSize = 200;
inline constexpr int kBlocks = 60; // up to 31999, under the ephemeral range
// Ports are handed out four apart: a media peer also binds the ports above its own.
inline constexpr int kStride = 4;

// The first port of this process's block, or 0 when every block is taken.
inline int blockBase()
{
    static const int base = [] {
        for (int block = 0; block < kBlocks; ++block) {
            const std::string path = "/tmp/linkora-test-ports-" + std::to_string(block) + ".lock";
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                return kFirst + block * kBlockSize; // fd stays open: the lock is held
            ::close(fd);
        }
        return 0;
    }();
    return base;
}

// The next port of the block that is free for UDP and TCP on loopback right now.
inline int next()
{
    static int offset = 0;
    const int base = blockBase();
    if (base == 0)
        return 0;
    for (int tries = 0; tries < kBlockSize / kStride; ++tries) {
        const int port = base + offset;
        offset = (offset + kStride) % kBlockSize;
        QUdpSocket udp;
        QTcpServer tcp;
        if (udp.bind(QHostAddress::LocalHost, quint16(port)) && tcp.listen(QHostAddress::LocalHost, quint16(port)))
            return port;
    }
    return 0;
}

} // namespace TestPorts
