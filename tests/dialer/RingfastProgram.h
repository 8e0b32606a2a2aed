#pragma once

// The built ringfast program, run as a person or a script would run it: its own
// configuration and control socket folder, its output and exit status collected.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct Outcome {
    int code = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

class RingfastProgram : public ::testing::Test {
protected:
    // Runs ringfast with its own configuration and control socket folder.
    Outcome ringfast(const QStringList& arguments, int timeoutMs = 20000, const QStringList& extraEnvironment = {},
                     const QByteArray& input = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : extraEnvironment)
            env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        process.setProcessEnvironment(env);
        if (!m_workingDirectory.isEmpty())
            process.setWorkingDirectory(m_workingDirectory);
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral(LINKORA_RINGFAST), arguments);
        if (!input.isEmpty())
            process.write(input);
        process.closeWriteChannel();
        Outcome run;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "ringfast did not end: " << arguments.join(' ').toStdString();
        }
        run.ms = clock.elapsed();
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    static QString expected(const char* name)
    {
        QFile file(QStringLiteral(LINKORA_EXPECTED_LOGS "/") + QLatin1String(name) + QStringLiteral(".txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir m_home;
    // Where the program runs; empty: where the test runs.
    QString m_workingDirectory;
};
