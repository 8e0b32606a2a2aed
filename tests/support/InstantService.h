#pragma once

// The instant service for tests: waiting for it to go, commanding its exchange, and a
// fixture that gives each test a service of its own.

#include "EventLoop.h"
#include "InstantServiceOptions.h"

#include <QJsonObject>

#include <gtest/gtest.h>

// The service goes once its last user is gone; the next test must not find it running.
inline bool waitForServiceStop(int timeoutMs = 2000)
{
    return waitUntil([] { return !Telephony::serviceRunning(); }, timeoutMs);
}

// A control command of the simulated exchange; true when it was carried out.
inline bool exchangeCommand(const QString& command, const QJsonObject& args = {})
{
    return Telephony::serviceControl(command, args).value(QStringLiteral("ok")).toBool();
}

// A test on the instant service, which is gone again before the next test starts. A
// fixture that holds controls lets go of them in its TearDown before calling this one.
class InstantServiceTest : public ::testing::Test {
protected:
    void SetUp() override { useInstantService(m_configDir); }
    void TearDown() override { waitForServiceStop(); }

    QTemporaryDir m_configDir;
};
