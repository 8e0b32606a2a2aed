// The far-end modem of a connected data call: a pseudo-terminal whose master side the
// application receives (as the "comm/datamodem" handle) and whose slave side this object
// serves. Lines beginning with "AT" are answered with "OK\r\n"; any other data is echoed.
#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace Telephony::Sim {

class SimulatedModem : public QObject {
public:
    // Opens a new pseudo-terminal pair; masterFd() is -1 when that failed.
    SimulatedModem();
    ~SimulatedModem() override;

    SimulatedModem(const SimulatedModem&) = delete;
    SimulatedModem& operator=(const SimulatedModem&) = delete;

    // The master side, handed to the application, which closes it. Taken once: later
    // calls return -1.
    int takeMasterFd();
    bool isOpen() const { return m_slave >= 0; }

private:
    void readSlave();
    void handle(const QByteArray& data);
    void send(const QByteArray& data);
    void closeSlave();

    int m_master = -1;
    int m_slave = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_line; // bytes of a line that may still turn out to be an AT command
};

} // namespace Telephony::Sim
