// The line control's life on the simulated exchange: loading from the dialer's stored
// settings, opening, changing device, closing, disabling; the fallback initialisation
// and the failure rules, with injected faults.

#include "LineHarness.h"
#include <TnvLinePrivate.h>

#include "EventLoop.h"

#include <ServiceControl.h>
#include <TapiConstants.h>
#include <TnvError.h>
#include <TnvLineDevice.h>
#include <TnvLineLine.h>
#include <TnvPrivilege.h>
#include <TnvRelatedPhoneDevice.h>
#include <TnvRelatedWaveDevice.h>
#include <TnvResultTexts.h>
#include <TapiApi.h>
#include <TnvCall.h>
#include <TnvNotation.h>
#include <TnvTelephonyLibrary.h>

namespace {

class Lifecycle : public LineHarness {};

QJsonObject fault(const char* command, const char* function, const char* code = nullptr)
{
    QJsonObject args{{"function", function}};
    if (code)
        args.insert("code", code);
    return Telephony::serviceControl(QString::fromLatin1(command), args);
}

} // namespace

TEST_F(Lifecycle, DialerLineThroughItsLife)
{
    std::unique_ptr<TnvLine> line = loadDialerLine();
    expectTrace(QStringLiteral("load"), takeTrace());
    ASSERT_TRUE(line->Initialised());
    EXPECT_TRUE(line->Enabled());
    EXPECT_TRUE(TnvLinePrivate::get(line.get())->usedInitializeEx());
    EXPECT_EQ(line->Device()->Count(), 3);
    EXPECT_EQ(line->Device()->List(), QStringList({"Linkora Simulated Line 1", "Linkora Simulated Line 2",
                                                   "Linkora Simulated Data Modem"}));
    EXPECT_EQ(line->Device()->Name(), QStringLiteral("Linkora Simulated Line 1"));

    line->Device()->setActive(true);
    QStringList trace = takeTrace();
    expectTrace(QStringLiteral("activate"), trace);
    EXPECT_TRUE(line->Device()->Active());
    EXPECT_NE(line->Line()->Handle(), 0u);
    EXPECT_TRUE(line->Phone()->Available());
    EXPECT_EQ(line->WavePlay()->ID(), 1);
    EXPECT_EQ(line->WaveRecord()->ID(), 1);

    // Changing device on an open line closes it and leaves it closed.
    line->Device()->setID(1);
    expectTrace(QStringLiteral("select-device"), takeTrace());
    EXPECT_FALSE(line->Device()->Active());
    EXPECT_EQ(line->Device()->Name(), QStringLiteral("Linkora Simulated Line 2"));

    line->Device()->setActive(true);
    takeTrace();
    line->Device()->setActive(false);
    expectTrace(QStringLiteral("close"), takeTrace());
    EXPECT_EQ(line->Error()->Number(), 0);

    line->setEnabled(false);
    expectTrace(QStringLiteral("disable"), takeTrace());
    EXPECT_FALSE(line->Enabled());
    EXPECT_EQ(line->Device()->Count(), 0);
    EXPECT_EQ(line->Line()->AppHandle(), 0u);
}

TEST_F(Lifecycle, FallsBackToPlainInitialisation)
{
    struct Case {
        const char* what;
        const char* library;
        bool injectFailure;
    };
    for (const Case& c : {Case{"entry point missing", "linkora-no-such-library", false},
                          Case{"extended call fails", "linkora-telephony", true}}) {
        SCOPED_TRACE(c.what);
        TnvLine keeper; // keeps the service up so a fault can be set beforehand
        keeper.setEnabled(true);
        if (c.injectFailure) {
            ASSERT_TRUE(fault("fail", "lineInitializeExA", "0x80000048").value("ok").toBool());
        }
        TnvTelephonyLibrary::setLibraryName(QString::fromLatin1(c.library));
        TnvLine line;
        line.setEnabled(true);
        TnvTelephonyLibrary::setLibraryName(QStringLiteral("linkora-telephony"));
        EXPECT_TRUE(line.Enabled());
        EXPECT_FALSE(TnvLinePrivate::get(&line)->usedInitializeEx());
        EXPECT_EQ(line.Device()->Count(), 3);
        EXPECT_NE(line.Line()->AppHandle(), keeper.Line()->AppHandle());
    }
}

TEST_F(Lifecycle, FailuresLeaveTheStateTheyMust)
{
    TnvLine line;
    line.setEnabled(true);
    ASSERT_TRUE(line.Initialised());

    // Out of range devices are refused and the selection stays.
    line.Device()->setID(line.Device()->Count());
    EXPECT_EQ(line.Error()->Number(), qint32(LINEERR_BADDEVICEID));
    EXPECT_EQ(line.Device()->ID(), 0);
    QStringList before = line.Log()->Lines();
    line.Device()->setID(0);
    EXPECT_EQ(line.Log()->Lines(), before);

    line.Device()->setActive(true);
    ASSERT_TRUE(line.Device()->Active());
    line.Device()->setIdleDelay(2000);
    EXPECT_EQ(line.Error()->Number(), qint32(LINEERR_INVALLINESTATE));
    EXPECT_EQ(line.Device()->IdleDelay(), 0);
    line.Privilege()->setOwner(false);
    EXPECT_EQ(line.Error()->Number(), qint32(LINEERR_INVALLINESTATE));
    EXPECT_TRUE(line.Privilege()->Owner());

    ASSERT_TRUE(fault("fail", "lineClose", "0x80000048").value("ok").toBool());
    line.Device()->setActive(false);
    EXPECT_TRUE(line.Device()->Active());
    EXPECT_EQ(line.Error()->Number(), qint32(LINEERR_OPERATIONFAILED));
    line.Device()->setActive(false);
    EXPECT_FALSE(line.Device()->Active());

    ASSERT_TRUE(fault("fail", "lineShutdown", "0x80000048").value("ok").toBool());
    line.setEnabled(false);
    EXPECT_TRUE(line.Enabled());
    line.setEnabled(false);
    EXPECT_FALSE(line.Enabled());
}

TEST_F(Lifecycle, DeviceWhoseCapabilitiesFailKeepsItsPlace)
{
    TnvLine keeper;
    keeper.setEnabled(true);
    ASSERT_TRUE(fault("fail", "lineGetDevCaps", "0x80000048").value("ok").toBool());
    TnvLine line;
    line.setEnabled(true);
    ASSERT_EQ(line.Device()->List().size(), 3);
    EXPECT_EQ(line.Device()->List().at(0),
              QStringLiteral("Device.Name unavailable: [80000048]  LINEERR_OPERATIONFAILED"));
    EXPECT_EQ(line.Device()->List().at(1), QStringLiteral("Linkora Simulated Line 2"));
}

TEST_F(Lifecycle, DataModemOpensOnlyWithoutPrivilege)
{
    TnvLine line;
    line.setEnabled(true);
    line.Device()->setID(2);
    line.Device()->setActive(true);
    EXPECT_FALSE(line.Device()->Active());
    EXPECT_EQ(line.Error()->Number(), qint32(LINEERR_INVALMEDIAMODE));
    EXPECT_TRUE(line.Log()->Lines().contains(QStringLiteral("\tlineOpen returned LINEERR_INVALMEDIAMODE")));

    line.Privilege()->setNone(true);
    line.Device()->setActive(true);
    EXPECT_TRUE(line.Device()->Active());
    EXPECT_FALSE(line.Phone()->Available());
    EXPECT_EQ(line.WavePlay()->ID(), 0);
}

TEST_F(Lifecycle, FailedOpenStaysInTheErrorRecord)
{
    // The dialer decides on the modem's compatibility mode from this error.
    TnvLine line;
    line.setEnabled(true);
    line.Device()->setID(2);
    line.Device()->setActive(true);
    EXPECT_EQ(line.Error()->Number(), qint32(LINEERR_INVALMEDIAMODE));

    line.Privilege()->setOwner(false);
    line.Privilege()->setMonitor(false);
    line.Device()->setActive(true);
    EXPECT_FALSE(line.Device()->Active());
    EXPECT_EQ(line.Error()->Number(), qint32(LINEERR_INVALPRIVSELECT));
}

TEST_F(Lifecycle, StoredEnabledInitialisesOnceAndRepeatsTheLastActivation)
{
    std::unique_ptr<TnvLine> line = loadDialerLine();
    EXPECT_EQ(Telephony::serviceControl(QStringLiteral("status")).value("apps").toInt(), 1);
    EXPECT_FALSE(line->Device()->Active());
    line->Device()->setActive(true);
    line.reset();
    // A control loaded after an activation opens its line by itself.
    line = loadDialerLine();
    EXPECT_TRUE(line->Device()->Active());
}

TEST_F(Lifecycle, ClosingEndsEveryListedCall)
{
    // Another application has three calls on the line before the control opens it.
    const HLINEAPP other = holdCallsElsewhere(3);
    ASSERT_NE(other, 0u);

    TnvLine line;
    QList<int> ended;
    line.OnCallEnd = [&](TnvSharedControl*, int handle) { ended << handle; };
    line.setEnabled(true);
    line.Device()->setActive(true);
    ASSERT_EQ(line.Call()->Count(), 3);
    line.Device()->setActive(false);
    EXPECT_EQ(ended.size(), 3);
    EXPECT_EQ(line.Call()->Handle(), 0u);
    EXPECT_EQ(line.Call()->Count(), 0);
    EXPECT_EQ(Telephony::serviceControl(QStringLiteral("status")).value("handles").toInt(), 3);
    lineShutdown(other);
}

TEST_F(Lifecycle, TraceFollowsEveryNotation)
{
    for (TDevEnv env : {deCppBuilder, deVisualBasic}) {
        TnvLinePrivate::setRememberedActiveRequest(false);
        std::unique_ptr<TnvLine> line = loadDialerLine();
        line->Vantage()->setDevEnv(env);
        takeTrace();
        line->Device()->setActive(true);
        QStringList native = takeTrace();
        // The same lines as in the native notation, rewritten; the instance varies.
        QStringList expected = {QStringLiteral("Device.Active := True"), QStringLiteral("\tDevice.Count = 3"),
                                QStringLiteral("\tDevice.ID = 0"),
                                QStringLiteral("\tDevice.Name = 'Linkora Simulated Line 1'")};
        for (QString& text : expected)
            text = TnvNotation::notate(text, env);
        EXPECT_EQ(native.mid(0, 4), expected) << int(env);
    }
}

TEST_F(Lifecycle, LateMessagesForAFreedControlAreDropped)
{
    DWORD instance = 0;
    {
        TnvLine line;
        line.setEnabled(true);
        instance = TnvLinePrivate::get(&line)->callbackInstance();
    }
    // Under the sanitizer build a delivery to the freed control would be caught here.
    TnvLinePrivate::LineCallback(0, LINE_CLOSE, instance, 0, 0, 0);
    TnvLinePrivate::LineCallback(0, LINE_REPLY, instance, 1, 0, 0);
}
