// Digits, tones, silence, media modes, the modem's data channel and the phone.
#include "SimTestSupport.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace SimTest;
using Telephony::CallId;

namespace {

// Reads from fd until `wanted` bytes came or the time is up.
QByteArray readSome(int fd, int wanted, int timeoutMs = 2000)
{
    QByteArray data;
    QDeadlineTimer deadline(timeoutMs);
    while (data.size() < wanted && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                data.append(buffer, int(n));
            else if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
        } else if (p.revents & (POLLHUP | POLLERR)) {
            break;
        }
    }
    return data;
}

LINEMONITORTONE silence(DWORD ms)
{
    return LINEMONITORTONE{0x89ABCDEF, ms, 0, 0, 0};
}

} // namespace

TEST_F(ExchangeTest, EchoPartyEchoesGeneratedDigits)
{
    const CallId id = call(0, "5550108");
    EXPECT_EQ(ex.generateDigits(id, 7, LINEDIGITMODE_PULSE, "12", 0), LONG(LINEERR_INVALDIGITMODE));
    EXPECT_EQ(ex.generateDigits(id, 7, LINEDIGITMODE_DTMF, "1x", 0), LONG(LINEERR_INVALDIGITS));
    ASSERT_EQ(ex.generateDigits(id, 7, LINEDIGITMODE_DTMF, "12#*a", 0), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Generate, 7) >= 0; }));
    EXPECT_EQ(sink.events[sink.indexOf(Event::Generate, 7)].b, LINEGENERATETERM_DONE);
    EXPECT_EQ(sink.digits(id), QByteArray("12#*A"));
    for (const Event& e : sink.of(Event::Digit))
        EXPECT_EQ(e.c, LINEDIGITMODE_DTMF);
    // The echo comes before the end of the generation.
    int lastDigit = -1;
    for (qsizetype i = 0; i < sink.events.size(); ++i)
        if (sink.events[i].kind == Event::Digit)
            lastDigit = int(i);
    EXPECT_LT(lastDigit, sink.indexOf(Event::Generate, 7));
}

TEST_F(ExchangeTest, OtherPartiesDoNotEcho)
{
    const CallId id = call(0, "5550100");
    ASSERT_EQ(ex.generateDigits(id, 3, LINEDIGITMODE_DTMF, "99", 0), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Generate, 3) >= 0; }));
    EXPECT_TRUE(sink.digits(id).isEmpty());
}

TEST_F(ExchangeTest, SecondGenerationCancelsTheFirst)
{
    ex.setPacing(0.01);
    const CallId id = call(0, "5550108");
    ASSERT_EQ(ex.generateDigits(id, 1, LINEDIGITMODE_DTMF, "123456789", 500), 0);
    ASSERT_EQ(ex.generateTone(id, 2, LINETONEMODE_BEEP, 100, {}), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Generate, 2) >= 0; }));
    EXPECT_EQ(sink.events[sink.indexOf(Event::Generate, 1)].b, LINEGENERATETERM_CANCEL);
    EXPECT_EQ(sink.events[sink.indexOf(Event::Generate, 2)].b, LINEGENERATETERM_DONE);
    EXPECT_LT(sink.indexOf(Event::Generate, 1), sink.indexOf(Event::Generate, 2));
    EXPECT_TRUE(sink.digits(id).isEmpty());
    EXPECT_EQ(ex.generateTone(id, 3, 0x40, 0, {}), LONG(LINEERR_INVALTONEMODE));
    EXPECT_EQ(ex.generateTone(id, 3, LINETONEMODE_CUSTOM, 0, {}), LONG(LINEERR_INVALTONE));
}

TEST_F(ExchangeTest, DroppingCancelsTheGeneration)
{
    ex.setPacing(0.01);
    const CallId id = call(0, "5550108");
    ASSERT_EQ(ex.generateDigits(id, 4, LINEDIGITMODE_DTMF, "123456789", 1000), 0);
    ok([&](DWORD r) { return ex.drop(r, id, {}); });
    ASSERT_GE(sink.indexOf(Event::Generate, 4), 0);
    EXPECT_EQ(sink.events[sink.indexOf(Event::Generate, 4)].b, LINEGENERATETERM_CANCEL);
}

TEST_F(ExchangeTest, DigitsBetweenTheLines)
{
    const CallId caller = call(0, "202", LINECALLSTATE_RINGBACK);
    const CallId offered = offeredOn(1);
    ok([&](DWORD r) { return ex.answer(r, offered, {}); });
    ASSERT_EQ(ex.generateDigits(caller, 11, LINEDIGITMODE_DTMF, "42", 0), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.digits(offered) == "42"; }));
    EXPECT_TRUE(sink.digits(caller).isEmpty());
    // A busy tone from line 2 is detected on line 1.
    const LINEMONITORTONE busy{0x42, 100, 620, 480, 0};
    ASSERT_EQ(ex.monitorTones(caller, 12, {busy}), 0);
    ASSERT_EQ(ex.generateTone(offered, 13, LINETONEMODE_BUSY, 0, {}), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Tone, 12) >= 0; }));
    EXPECT_EQ(sink.events[sink.indexOf(Event::Tone, 12)].b, 0x42u);
}

TEST_F(ExchangeTest, SilenceIsDetectedOnceAStretch)
{
    const CallId id = call(0, "5550109");
    ASSERT_EQ(ex.monitorTones(id, 21, {silence(500)}), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.indexOf(Event::Tone, 21) >= 0; }));
    EXPECT_EQ(sink.events[sink.indexOf(Event::Tone, 21)].b, 0x89ABCDEFu);
    settle();
    EXPECT_EQ(sink.count(Event::Tone), 1);
    // Far-end digits break the silence; a new stretch is reported again.
    ASSERT_TRUE(ex.farEndDigits(id, "5"));
    ASSERT_TRUE(waitUntil([&] { return sink.count(Event::Tone) == 2; }));
    // An empty list stops monitoring.
    ASSERT_EQ(ex.monitorTones(id, 0, {}), 0);
    ASSERT_TRUE(ex.farEndDigits(id, "6"));
    ASSERT_TRUE(waitUntil([&] { return sink.digits(id) == "56"; }));
    settle();
    EXPECT_EQ(sink.count(Event::Tone), 2);
}

TEST_F(ExchangeTest, PacedSilenceTakesItsTime)
{
    ex.setPacing(0.1);
    Telephony::IncomingCall in;
    in.number = "5550133";
    const CallId id = ex.ring(0, in);
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_OFFERING));
    ok([&](DWORD r) { return ex.answer(r, id, {}); });
    ASSERT_EQ(ex.monitorTones(id, 5, {silence(1000)}), 0); // 100 ms paced
    settle(2);
    EXPECT_EQ(sink.count(Event::Tone), 0);
    ASSERT_TRUE(waitUntil([&] { return sink.count(Event::Tone) == 1; }, 2000));
}

TEST_F(ExchangeTest, SetMediaModeIsReported)
{
    const CallId id = call(0, "5550100");
    EXPECT_EQ(ex.setMediaMode(id, 0), LONG(LINEERR_INVALMEDIAMODE));
    EXPECT_EQ(ex.setMediaMode(id, LINEMEDIAMODE_VIDEO), LONG(LINEERR_INVALMEDIAMODE));
    ASSERT_EQ(ex.setMediaMode(id, LINEMEDIAMODE_AUTOMATEDVOICE), 0);
    EXPECT_EQ(ex.callInfo(id).fixed.dwMediaMode, LINEMEDIAMODE_AUTOMATEDVOICE);
    ASSERT_TRUE(waitUntil([&] { return sink.infoBits(id) & LINECALLINFOSTATE_MEDIAMODE; }));
}

TEST_F(ExchangeTest, ModemAnswersAtCommandsOverThePty)
{
    ASSERT_EQ(ex.open(2, LINECALLPRIVILEGE_NONE, 0), 0);
    ex.setPacing(0.01); // ring-back lasts 60 ms
    const CallId id = nextOwnCall++;
    ASSERT_EQ(ex.makeCall(request(), 2, id, "5550110", true, 0, {}), 0);
    int fd = -1;
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_RINGBACK));
    EXPECT_EQ(ex.commHandle(id, &fd), LONG(LINEERR_INVALCALLSTATE));
    ASSERT_TRUE(waitFor(id, LINECALLSTATE_CONNECTED));
    ASSERT_EQ(ex.commHandle(id, &fd), 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "AT\r", 3), 3);
    EXPECT_EQ(readSome(fd, 4), QByteArray("OK\r\n"));
    ASSERT_EQ(::write(fd, "ATZ\r", 4), 4);
    EXPECT_EQ(readSome(fd, 4), QByteArray("OK\r\n"));
    ASSERT_EQ(::write(fd, "hello\r", 6), 6);
    EXPECT_EQ(readSome(fd, 6), QByteArray("hello\r"));
    ASSERT_EQ(::write(fd, "xyz", 3), 3);
    EXPECT_EQ(readSome(fd, 3), QByteArray("xyz"));
    // The call ends: the far-end modem is gone.
    ok([&](DWORD r) { return ex.drop(r, id, {}); });
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    char c;
    const ssize_t n = ::read(fd, &c, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n << " " << errno;
    ::close(fd);
}

TEST_F(ExchangeTest, VoiceCallsHaveNoDataChannel)
{
    const CallId id = call(0, "5550100");
    int fd = -1;
    EXPECT_EQ(ex.commHandle(id, &fd), LONG(LINEERR_INVALCALLSTATE));
    EXPECT_EQ(ex.commHandle(999, &fd), LONG(LINEERR_INVALCALLHANDLE));
}

TEST_F(ExchangeTest, ApplicationClosingThePtyIsHarmless)
{
    const CallId id = call(2, "5550110");
    int fd = -1;
    ASSERT_EQ(ex.commHandle(id, &fd), 0);
    ::close(fd);
    settle();
    ok([&](DWORD r) { return ex.drop(r, id, {}); });
}

// ---------------------------------------------------------------------------------------
// The phone
// ---------------------------------------------------------------------------------------

TEST_F(ExchangeTest, PhoneDescribesTheHandset)
{
    ASSERT_EQ(ex.phoneDeviceCount(), 1);
    const auto* caps = ex.phoneCaps(0);
    ASSERT_NE(caps, nullptr);
    EXPECT_EQ(caps->phoneName, QByteArray("Linkora Simulated Handset"));
    const DWORD devs = PHONEHOOKSWITCHDEV_HANDSET | PHONEHOOKSWITCHDEV_SPEAKER | PHONEHOOKSWITCHDEV_HEADSET;
    const DWORD modes = PHONEHOOKSWITCHMODE_ONHOOK | PHONEHOOKSWITCHMODE_MIC | PHONEHOOKSWITCHMODE_SPEAKER |
                        PHONEHOOKSWITCHMODE_MICSPEAKER;
    EXPECT_EQ(caps->fixed.dwHookSwitchDevs, devs);
    EXPECT_EQ(caps->fixed.dwHandsetHookSwitchModes, modes);
    EXPECT_EQ(caps->fixed.dwVolumeFlags, devs);
    EXPECT_EQ(caps->fixed.dwGainFlags, devs);
    EXPECT_EQ(caps->fixed.dwNumButtonLamps, 12u);
    EXPECT_EQ(ex.phoneCaps(1), nullptr);
    DWORD line = 9;
    EXPECT_EQ(ex.deviceId(0, QStringLiteral("tapi/line"), &line), 0);
    EXPECT_EQ(line, 0u);
    EXPECT_EQ(ex.phoneOpen(1, PHONEPRIVILEGE_OWNER), LONG(PHONEERR_BADDEVICEID));
    EXPECT_EQ(ex.phoneOpen(0, PHONEPRIVILEGE_OWNER), 0);
}

TEST_F(ExchangeTest, PhoneHookSwitchVolumeAndGain)
{
    ASSERT_EQ(ex.phoneOpen(0, PHONEPRIVILEGE_OWNER), 0);
    EXPECT_EQ(ex.phoneStatus(0).fixed.dwHandsetHookSwitchMode, PHONEHOOKSWITCHMODE_ONHOOK);
    const DWORD req = request();
    ASSERT_EQ(ex.phoneSetHookSwitch(req, 0, PHONEHOOKSWITCHDEV_HANDSET, PHONEHOOKSWITCHMODE_MICSPEAKER), 0);
    ASSERT_TRUE(done(req));
    settle();
    const int reply = sink.indexOf(Event::Reply, req);
    const int state = sink.indexOf(Event::Phone, 0, PHONESTATE_HANDSETHOOKSWITCH);
    ASSERT_GE(state, 0);
    EXPECT_LT(reply, state);
    EXPECT_EQ(sink.events[state].c, PHONEHOOKSWITCHMODE_MICSPEAKER);
    EXPECT_EQ(ex.phoneStatus(0).fixed.dwHandsetHookSwitchMode, PHONEHOOKSWITCHMODE_MICSPEAKER);

    EXPECT_EQ(ex.phoneSetHookSwitch(request(), 0, PHONEHOOKSWITCHDEV_HANDSET, 0x3),
              LONG(PHONEERR_INVALHOOKSWITCHMODE));
    EXPECT_EQ(ex.phoneSetHookSwitch(request(), 0, 0x8, PHONEHOOKSWITCHMODE_MIC), LONG(PHONEERR_INVALHOOKSWITCHDEV));
    EXPECT_EQ(ex.phoneSetVolume(request(), 0, PHONEHOOKSWITCHDEV_HANDSET | PHONEHOOKSWITCHDEV_HEADSET, 5),
              LONG(PHONEERR_INVALHOOKSWITCHDEV));
    EXPECT_EQ(ex.phoneSetHookSwitch(request(), 3, PHONEHOOKSWITCHDEV_HANDSET, PHONEHOOKSWITCHMODE_MIC),
              LONG(PHONEERR_BADDEVICEID));

    ok([&](DWORD r) { return ex.phoneSetVolume(r, 0, PHONEHOOKSWITCHDEV_SPEAKER, 0x12345); });
    EXPECT_EQ(ex.phoneStatus(0).fixed.dwSpeakerVolume, 0xFFFFu);
    EXPECT_GE(sink.indexOf(Event::Phone, 0, PHONESTATE_SPEAKERVOLUME), 0);
    ok([&](DWORD r) { return ex.phoneSetGain(r, 0, PHONEHOOKSWITCHDEV_HEADSET, 0x4000); });
    EXPECT_EQ(ex.phoneStatus(0).fixed.dwHeadsetGain, 0x4000u);
    EXPECT_GE(sink.indexOf(Event::Phone, 0, PHONESTATE_HEADSETGAIN), 0);
}
