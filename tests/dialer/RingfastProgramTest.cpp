// The built ringfast program, run as a person or a script would run it.

#include "EventLoop.h"
#include "RingfastProgram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

TEST_F(RingfastProgram, ConnectedCallPrintsTheLogBoxLinesAtOnce)
{
    const Outcome run = ringfast({"dial", "5550100", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "0"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, expected("ringfast-connected-call"));
    // The whole call, process start included, without waiting out any delay (a loaded
    // machine may still take a few seconds).
    EXPECT_LT(run.ms, 10000);
}

TEST_F(RingfastProgram, DialingLoadsNoWindowLibraries)
{
    // The dynamic loader lists every library it opens; the service's dialogs, and the
    // widget libraries with them, stay out of a program without windows, and the control
    // channel needs no network library.
    const Outcome run = ringfast({"dial", "5550100", "--sim-speed", "0", "--idle-delay", "0", "--hangup-after", "0"},
                                 20000, {QStringLiteral("LD_DEBUG=files")});
    EXPECT_EQ(run.code, 0);
    ASSERT_TRUE(run.err.contains(QStringLiteral("libQt6Core.so"))) << "no trace from the dynamic loader";
    for (const char* library : {"libQt6Widgets.so", "libQt6Gui.so", "libQt6Network.so", "linkora-telephony-dialogs"})
        EXPECT_FALSE(run.err.contains(QLatin1String(library))) << library;
}

TEST_F(RingfastProgram, BusyNumberFailsWithTheReason)
{
    const Outcome run = ringfast({"dial", "5550101", "--sim-speed", "0", "--idle-delay", "0"});
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("nvLine1.OnBusy\nnvLine.Hangup\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("ringfast: the line is busy"))) << run.err.toStdString();
}

TEST_F(RingfastProgram, FailedCallsExitNonZero)
{
    struct Case {
        const char* number;
        const char* reason;
    };
    // The mode is the one the call ended with, not the reset call's.
    for (const Case& c : {Case{"5550105", "disconnected: LINEDISCONNECTMODE_REJECT\n"},
                          Case{"5550103", "the network reports LINESPECIALINFO_NOCIRCUIT"},
                          Case{"12", "disconnected: LINEDISCONNECTMODE_BADADDRESS\n"},
                          Case{"5550102", "disconnected: LINEDISCONNECTMODE_NOANSWER\n"}}) {
        SCOPED_TRACE(c.number);
        const Outcome run = ringfast({"dial", c.number, "--sim-speed", "0", "--idle-delay", "0"});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains(QLatin1String(c.reason))) << run.err.toStdString();
    }
}

TEST_F(RingfastProgram, ListsTheDevices)
{
    const Outcome run = ringfast({"devices", "--sim-speed", "0"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("0\tLinkora Simulated Line 1\n1\tLinkora Simulated Line 2\n"
                                      "2\tLinkora Simulated Data Modem\n"));
}

TEST_F(RingfastProgram, DataModemDialsInCompatibilityMode)
{
    const Outcome run = ringfast({"dial", "5550100", "--device", "2", "--sim-speed", "0", "--idle-delay", "0",
                              "--hangup-after", "0"});
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("nvLine1.Device.ID := 2\nnvLine1.Device.Active := True\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Linkora has detected that your device is a (Linkora Simulated Data "
                                                "Modem) DATA modem")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("Dialing [5550100]"))) << run.out.toStdString();
    // The message box becomes one note on standard error; the text is on standard output.
    EXPECT_EQ(run.err.count(QStringLiteral("ringfast: Limited Functionality Device\n")), 1) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("DATA modem")));
}

TEST_F(RingfastProgram, TracePrintsTheControlsTraceInTheChosenNotation)
{
    const Outcome delphi = ringfast({"dial", "5550100", "--trace", "--sim-speed", "0", "--idle-delay", "0",
                                 "--hangup-after", "0"});
    EXPECT_EQ(delphi.code, 0) << delphi.err.toStdString();
    EXPECT_FALSE(delphi.out.split('\n').contains(QStringLiteral("nvLine.Hangup")));
    EXPECT_TRUE(delphi.out.contains(QStringLiteral("Call.Dial ["))) << delphi.out.toStdString();
    const Outcome cpp = ringfast({"dial", "5550100", "--trace", "--devenv", "cppbuilder", "--timestamp", "--sim-speed",
                              "0", "--idle-delay", "0", "--hangup-after", "0"});
    EXPECT_EQ(cpp.code, 0);
    EXPECT_NE(cpp.out, delphi.out);
    EXPECT_TRUE(cpp.out.contains(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d")))) << cpp.out.toStdString();
}

TEST_F(RingfastProgram, WrongCommandLinesExitWithTwo)
{
    for (const QStringList& arguments : {QStringList{"dial"}, QStringList{"ring", "1"}, QStringList{"dial", "1", "--devenv", "x"}}) {
        const Outcome run = ringfast(arguments);
        EXPECT_EQ(run.code, 2);
        EXPECT_TRUE(run.err.contains(QStringLiteral("ringfast --help")));
    }
    const Outcome help = ringfast({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: ringfast COMMAND")));
}

TEST_F(RingfastProgram, NoSuchDeviceIsRefused)
{
    const Outcome run = ringfast({"dial", "5550100", "--device", "7", "--sim-speed", "0"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("there is no line device 7"))) << run.err.toStdString();
}

// A FIFO where the configuration should be would block the first read for ever; it is
// refused at once, and the defaults serve.
TEST_F(RingfastProgram, AFifoForAConfigurationIsRefused)
{
    ASSERT_TRUE(QDir().mkpath(m_home.filePath(QStringLiteral("linkora"))));
    const QByteArray fifo = QFile::encodeName(m_home.filePath(QStringLiteral("linkora/telephony.conf")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const Outcome run = ringfast({"devices", "--sim-speed", "0"}, 10000);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("0\tLinkora Simulated Line 1\n")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("a FIFO, not a regular file"))) << run.err.toStdString();
}

// SIGTERM ends ringfast at any time: while it starts up, and while it waits for calls.
TEST_F(RingfastProgram, SignalsEndItAtAnyTime)
{
    for (const bool waiting : {false, true}) {
        SCOPED_TRACE(waiting ? "waiting for calls" : "starting");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(LINKORA_RINGFAST), {"answer", "--sim-speed", "0"});
        ASSERT_TRUE(process.waitForStarted());
        if (waiting) {
            ASSERT_TRUE(waitUntil([&] {
                process.waitForReadyRead(10);
                return process.peek(4096).contains("waiting for calls");
            }, 10000));
        }
        ::kill(pid_t(process.processId()), SIGTERM);
        const bool ended = process.waitForFinished(10000);
        if (!ended)
            process.kill();
        EXPECT_TRUE(ended);
        EXPECT_FALSE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        process.waitForFinished();
    }
}

// Whatever reaches the terminal shows control characters instead of sending them: a
// number with a line break in it cannot forge an event line.
TEST_F(RingfastProgram, ControlCharactersAreShownNotSent)
{
    const QString number = QStringLiteral("555\nnvLine1.OnConnected\x1b[2J");
    for (const QStringList& extra : {QStringList{}, QStringList{"--trace"}}) {
        const Outcome run = ringfast(QStringList{"dial", number, "--sim-speed", "0", "--idle-delay", "0"} + extra);
        for (const QChar c : run.out + run.err)
            EXPECT_TRUE(c == QLatin1Char('\n') || c == QLatin1Char('\t') || c.unicode() >= 0x20) << int(c.unicode());
        EXPECT_FALSE(run.out.split(QLatin1Char('\n')).contains(QStringLiteral("nvLine1.OnConnected\x1b[2J]")));
        if (extra.isEmpty()) {
            EXPECT_TRUE(run.out.contains(QStringLiteral("Dialing [555\\x0anvLine1.OnConnected\\x1b[2J]")))
                << run.out.toStdString();
        }
    }
}
