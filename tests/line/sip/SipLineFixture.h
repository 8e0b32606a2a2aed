#pragma once

// Two line controls on two SIP lines of the same service, each line a SIP stack of its
// own on 127.0.0.1 with a port of the test process's own block; calls between them go
// through real SIP on loopback. Audio is silence, so no sound card is needed.

#include "EventLoop.h"
#include "InstantService.h"
#include "TestPorts.h"
#include <TnvLinePrivate.h>

#include <ServiceControl.h>
#include <TnvCall.h>
#include <TnvCallerID.h>
#include <TnvLine.h>
#include <TnvLineDevice.h>
#include <TnvLog.h>

#include <QFile>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <map>
#include <memory>

class SipLineFixture : public ::testing::Test {
protected:
    // A port on loopback that no other test is given (see TestPorts).
    static int freePort() { return TestPorts::next(); }

    // The accounts in the provider's section, one line each: "alice", "bob", ...
    void writeConfig(const QStringList& users, const QString& extra = {})
    {
        QString text = QStringLiteral("[provider sip]\naudio = \"none\"\n");
        for (int i = 0; i < users.size(); ++i) {
            m_ports << freePort();
            text += QStringLiteral("account%1.identity = \"sip:%2@127.0.0.1\"\n"
                                   "account%1.bindAddress = \"127.0.0.1\"\n"
                                   "account%1.port = %3\n")
                        .arg(i + 1)
                        .arg(users[i])
                        .arg(m_ports.last());
        }
        text += extra;
        QFile file(m_configDir.filePath(QStringLiteral("telephony.conf")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    void SetUp() override
    {
        TnvLinePrivate::setRememberedActiveRequest(false);
        useInstantService(m_configDir);
    }

    void TearDown() override
    {
        m_lines.clear();
        waitUntil([] { return !Telephony::serviceRunning(); }, 3000);
    }

    // A control open on SIP line device, collecting its events as "OnName".
    TnvLine* openLine(int device)
    {
        auto line = std::make_unique<TnvLine>();
        TnvLine* l = line.get();
        l->Log()->setCount(1000);
        l->setEnabled(true);
        // SIP parties are user@host: shown as they come, not as telephone numbers.
        for (TnvCallerID* party : {l->Call()->CallerID(), l->Call()->CalledID(), l->Call()->ConnectedID(),
                                   l->Call()->RedirectingID(), l->Call()->RedirectionID()}) {
            party->setFormatName(false);
            party->setMaskNumber(QString());
        }
        l->Device()->setIdleDelay(0);
        l->Device()->setID(device);
        l->Device()->setActive(true);
        EXPECT_TRUE(l->Device()->Active()) << l->Log()->Lines().join('\n').toStdString();
        QStringList* events = &m_events[device];
        const auto note = [events](const char* name) {
            return [events, name](TnvSharedControl*, int) { *events << QString::fromLatin1(name); };
        };
        l->OnOffering = note("OnOffering");
        l->OnConnected = note("OnConnected");
        l->OnDisconnected = note("OnDisconnected");
        l->OnIdle = note("OnIdle");
        l->OnCallEnd = note("OnCallEnd");
        l->OnRingBack = note("OnRingBack");
        l->OnProceeding = note("OnProceeding");
        l->OnHold = note("OnHold");
        l->OnBusy = note("OnBusy");
        l->OnDigitReceived = [events](TnvSharedControl*, int, QChar digit, int) {
            *events << QStringLiteral("digit ") + digit;
        };
        m_lines.push_back(std::move(line));
        return l;
    }

    QString uriOf(int device, const QString& user) const
    {
        return QStringLiteral("sip:%1@127.0.0.1:%2").arg(user).arg(m_ports.value(device));
    }

    // A connected call from `from` to `to` (devices), answered on `to`.
    void connect(TnvLine* from, int fromDevice, TnvLine* to, int toDevice, const QString& user)
    {
        from->Call()->setPhoneNumber(uriOf(toDevice, user));
        ASSERT_TRUE(from->Call()->Dial()) << log(from);
        ASSERT_TRUE(waitFor(toDevice, QStringLiteral("OnOffering"))) << log(to);
        ASSERT_TRUE(to->Call()->Answer()) << log(to);
        ASSERT_TRUE(waitFor(fromDevice, QStringLiteral("OnConnected"))) << log(from);
        ASSERT_TRUE(waitFor(toDevice, QStringLiteral("OnConnected"))) << log(to);
    }

    bool waitFor(int device, const QString& event, int timeoutMs = 5000)
    {
        return waitUntil([&] { return m_events[device].contains(event); }, timeoutMs);
    }

    void clearEvents()
    {
        for (auto& [device, events] : m_events)
            events.clear();
    }

    static std::string log(TnvLine* line) { return line->Log()->Lines().join('\n').toStdString(); }

    QTemporaryDir m_configDir;
    QList<int> m_ports;
    std::vector<std::unique_ptr<TnvLine>> m_lines;
    // Per device; the lists stay where they are, the controls' handlers point at them.
    std::map<int, QStringList> m_events;
};
