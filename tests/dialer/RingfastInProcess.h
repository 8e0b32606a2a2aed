#pragma once

// ringfast's commands run in the test's own process, so a test can ring, hang up and
// break the exchange they work on while they run.

#include "EventLoop.h"
#include "InstantService.h"

#include <RingfastCommand.h>
#include <TnvLinePrivate.h>

#include <ServiceControl.h>

#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

class RingfastInProcess : public ::testing::Test {
protected:
    void SetUp() override { TnvLinePrivate::setRememberedActiveRequest(false); }
    void TearDown() override { waitForServiceStop(); }

    // Runs ringfast with arguments; whileRunning is called once the event loop runs. A
    // command that has not ended after guardMs is interrupted twice, which ends it.
    int run(const QStringList& arguments, const std::function<void()>& whileRunning, int guardMs = 20000)
    {
        QString error;
        const auto options = RingfastOptions::parse(QStringList{QStringLiteral("ringfast")} + arguments, &error);
        EXPECT_TRUE(options.has_value()) << error.toStdString();
        QTextStream out(&m_out);
        QTextStream err(&m_err);
        RingfastCommand command(*options, out, err);
        Telephony::ServiceOptions service;
        service.configPath = m_configDir.filePath(QStringLiteral("telephony.conf"));
        service.controlServer = false;
        if (before)
            before();
        QTimer start;
        start.setSingleShot(true);
        QObject::connect(&start, &QTimer::timeout, whileRunning);
        start.start(0);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            ADD_FAILURE() << "ringfast did not end by itself";
            RingfastCommand::interrupt();
            RingfastCommand::interrupt();
        });
        guard.start(guardMs);
        m_command = &command;
        const int code = command.run(service);
        m_command = nullptr;
        return code;
    }

    // Repeats step every 10 ms until it returns true.
    void repeat(const std::function<bool()>& step)
    {
        auto* timer = new QTimer(&m_timers);
        QObject::connect(timer, &QTimer::timeout, [timer, step] {
            if (step())
                timer->deleteLater();
        });
        timer->start(10);
    }

    static QJsonObject control(const QString& command, const QJsonObject& args)
    {
        return Telephony::serviceControl(command, args);
    }
    static bool ring(int line, const char* name, const char* number = "4255550100")
    {
        return control(QStringLiteral("ring"), {{"line", line}, {"name", name}, {"number", number}})
            .value("ok")
            .toBool();
    }
    QStringList outLines() const { return m_out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

    // Runs after the command is made and before it runs.
    std::function<void()> before;
    // The command while it runs.
    RingfastCommand* m_command = nullptr;
    QObject m_timers;
    QTemporaryDir m_configDir;
    QString m_out;
    QString m_err;
};
