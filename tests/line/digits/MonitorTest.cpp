// Digit, silence and media monitoring on calls to the simulated exchange's parties,
// and the completion events of generated digits and tones.

#include "DigitsFixture.h"

#include <TnvLinePrivate.h>
#include <TnvMonitorMediaModes.h>
#include <TnvMonitorSilence.h>

namespace {

class Monitor : public DigitsFixture {};

} // namespace

TEST_F(Monitor, EchoedDigitsAreReceivedOneByOne)
{
    const HCALL handle = connect("5550108");
    ASSERT_NE(handle, 0u);
    call()->setTag(-7);
    takeTrace();
    call()->MonitorDigits()->setActive(true);
    ASSERT_TRUE(call()->MonitorDigits()->Active());
    EXPECT_TRUE(records().find(handle)->monitorDigitsActive);
    ASSERT_TRUE(call()->SendDigits(QStringLiteral("12*"), 50));
    ASSERT_TRUE(waitUntil([&] { return eventsStartingWith(QStringLiteral("OnDigitReceived")).size() == 3; }));
    ASSERT_TRUE(waitForEvent(QStringLiteral("OnDigitsSent")));

    const QString h = QString::number(handle);
    EXPECT_EQ(eventsStartingWith(QStringLiteral("OnDigitReceived")),
              QStringList({"OnDigitReceived " + h + " '1' tag -7", "OnDigitReceived " + h + " '2' tag -7",
                           "OnDigitReceived " + h + " '*' tag -7"}));
    EXPECT_EQ(eventsStartingWith(QStringLiteral("OnDigitsSent")), QStringList{"OnDigitsSent " + h});
    EXPECT_EQ(call()->MonitorDigits()->Received(), QStringLiteral("12*"));
    EXPECT_TRUE(eventsStartingWith(QStringLiteral("OnToneSent")).isEmpty());
    const QStringList trace = normalisedTrace(handle);
    EXPECT_TRUE(trace.contains(QStringLiteral("Call.MonitorDigits.Active := True")));
    EXPECT_TRUE(trace.contains(QStringLiteral("OnDigitReceived ([<call>] '*')")));
    EXPECT_TRUE(trace.contains(QStringLiteral("OnDigitsSent ([<call>])")));

    // Switched off, the echo still comes back but is no longer reported.
    call()->MonitorDigits()->setActive(false);
    EXPECT_FALSE(call()->MonitorDigits()->Active());
    m_events.clear();
    ASSERT_TRUE(call()->SendDigits(QStringLiteral("9"), 50));
    ASSERT_TRUE(waitForEvent(QStringLiteral("OnDigitsSent")));
    settle(100);
    EXPECT_TRUE(eventsStartingWith(QStringLiteral("OnDigitReceived")).isEmpty());
}

TEST_F(Monitor, GeneratedToneReportsToneSent)
{
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(call()->SendTone(LINETONEMODE_BEEP, 100));
    ASSERT_TRUE(waitForEvent(QStringLiteral("OnToneSent")));
    EXPECT_EQ(eventsStartingWith(QStringLiteral("OnToneSent")), QStringList{QStringLiteral("OnToneSent %1").arg(handle)});
    EXPECT_TRUE(eventsStartingWith(QStringLiteral("OnDigitsSent")).isEmpty());
}

TEST_F(Monitor, SilenceIsReportedAfterItsDurationOnly)
{
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    TnvMonitorSilence* silence = call()->MonitorSilence();
    silence->setDuration(400);
    takeTrace();
    // Real time from here on, so the silence has a length to wait for.
    ASSERT_TRUE(Telephony::serviceControl(QStringLiteral("pacing"), {{"value", 1}}).value("ok").toBool());
    QElapsedTimer timer;
    timer.start();
    silence->setActive(true);
    ASSERT_TRUE(silence->Active());
    EXPECT_EQ(error(), 0);
    ASSERT_TRUE(waitForEvent(QStringLiteral("OnSilence")));
    EXPECT_GE(timer.elapsed(), 350);
    EXPECT_EQ(m_events.filter(QStringLiteral("OnSilence")), QStringList{QStringLiteral("OnSilence %1").arg(handle)});
    const QStringList trace = normalisedTrace(handle);
    EXPECT_EQ(trace.value(0), QStringLiteral("Call.MonitorSilence.Active := True"));
    EXPECT_TRUE(trace.contains(QStringLiteral("OnSilence ([<call>])")));

    // A detected tone that is not the silence tone fires nothing.
    m_events.clear();
    TnvLinePrivate::LineCallback(handle, LINE_MONITORTONE, TnvLinePrivate::get(m_line.get())->callbackInstance(), 0x12345678, 0, 0);
    TnvLinePrivate::LineCallback(handle, LINE_MONITORTONE, TnvLinePrivate::get(m_line.get())->callbackInstance(), TnvMonitorSilence::Tag, 0, 0);
    EXPECT_EQ(m_events, QStringList{QStringLiteral("OnSilence %1").arg(handle)});
}

TEST_F(Monitor, SilenceNeedsADuration)
{
    const HCALL handle = connect("5550109");
    ASSERT_NE(handle, 0u);
    TnvMonitorSilence* silence = call()->MonitorSilence();

    silence->setActive(true);
    EXPECT_FALSE(silence->Active());
    EXPECT_EQ(error(), qint32(LINEERR_INVALTONE));
    EXPECT_FALSE(records().find(handle)->monitorSilenceActive);

    // A negative length is ignored: nothing stored, the last error untouched.
    silence->setDuration(300);
    takeTrace();
    silence->setDuration(-1);
    EXPECT_EQ(silence->Duration(), 300);
    EXPECT_TRUE(takeTrace().isEmpty());

    // Zero on a running monitor stops it with the same error.
    silence->setActive(true);
    ASSERT_TRUE(silence->Active());
    silence->setDuration(0);
    EXPECT_FALSE(silence->Active());
    EXPECT_EQ(error(), qint32(LINEERR_INVALTONE));
    EXPECT_EQ(records().find(handle)->monitorSilenceDuration, 0);
    settle(500);
    EXPECT_TRUE(eventsStartingWith(QStringLiteral("OnSilence")).isEmpty());
}

TEST_F(Monitor, MediaChangeIsReportedWhenMonitoringWasAskedFor)
{
    // Switched on before the call exists, media monitoring starts as the call proceeds.
    for (bool monitored : {true, false}) {
        SCOPED_TRACE(monitored);
        m_events.clear();
        TnvMonitorMediaModes* media = call()->MonitorMediaModes();
        media->setMediaModes(LINEMEDIAMODE_G3FAX);
        media->setActive(monitored);
        EXPECT_TRUE(takeTrace().isEmpty()); // no call: nothing written
        const HCALL handle = connect("5550107");
        ASSERT_NE(handle, 0u);
        if (monitored) {
            ASSERT_TRUE(waitForEvent(QStringLiteral("OnCallMediaModeChange")));
            EXPECT_EQ(call()->MediaMode(), LINEMEDIAMODE_G3FAX);
            const QStringList trace = normalisedTrace(handle);
            const qsizetype proceeding = trace.indexOf(QStringLiteral("OnProceeding [<call>]"));
            ASSERT_GE(proceeding, 0);
            EXPECT_EQ(trace.value(proceeding + 1), QStringLiteral("Call.MonitorMediaModes.Active := True"));
            EXPECT_TRUE(trace.contains(QStringLiteral("OnCallMediaModeChange ([<call>])")));
        } else {
            settle(1500);
            EXPECT_TRUE(eventsStartingWith(QStringLiteral("OnCallMediaModeChange")).isEmpty());
        }
        ASSERT_TRUE(call()->Hangup());
        ASSERT_TRUE(waitUntil([&] { return call()->Count() == 0; }));
        takeTrace();
    }
}

TEST_F(Monitor, MediaModesWithACallAreTracedBitByBit)
{
    ASSERT_NE(connect("5550109"), 0u);
    takeTrace();
    call()->MonitorMediaModes()->setMediaModes(LINEMEDIAMODE_G3FAX | LINEMEDIAMODE_DATAMODEM);
    EXPECT_EQ(takeTrace(), QStringList({"Call.MonitorMediaModes.MediaModes := [00000030]", "\tLINEMEDIAMODE_DATAMODEM",
                                        "\tLINEMEDIAMODE_G3FAX"}));
    EXPECT_EQ(records().find(call()->Handle())->monitorMediaModes, LINEMEDIAMODE_G3FAX | LINEMEDIAMODE_DATAMODEM);
}
