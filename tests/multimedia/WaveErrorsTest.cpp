// The answers to wrong use: unknown devices, stale or made-up handles, headers not
// prepared or still queued, formats a device cannot take, and a device that goes away
// with buffers queued.
#include "WaveTestSupport.h"

#include <EventLoop.h>
#include <WaveBackendRegistry.h>
#include <WaveBlockQueue.h>

#include <gtest/gtest.h>

namespace {

TEST(WaveErrors, UnknownDevicesAndBadArguments)
{
    const WAVEFORMATEX f = pcmFormat();
    HWAVEOUT out = nullptr;
    HWAVEIN in = nullptr;
    EXPECT_EQ(waveOutOpen(&out, waveOutGetNumDevs(), &f, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(waveInOpen(&in, waveInGetNumDevs() + 7, &f, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    WAVEOUTCAPSA caps{};
    EXPECT_EQ(waveOutGetDevCapsA(waveOutGetNumDevs(), &caps, sizeof caps), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(waveOutGetDevCapsA(0, &caps, sizeof caps - 1), MMSYSERR_INVALPARAM);

    const UINT loop = UINT(outDevice(kLoopback));
    EXPECT_EQ(waveOutOpen(&out, loop, nullptr, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutOpen(&out, loop, &f, 0, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM) << "a window is needed";
    EXPECT_EQ(waveOutOpen(&out, loop, &f, 0, 0, CALLBACK_EVENT), MMSYSERR_INVALFLAG);

    char text[MAXERRORLENGTH];
    EXPECT_EQ(waveOutGetErrorTextA(WAVERR_UNPREPARED, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_EQ(waveInGetErrorTextA(12345, text, sizeof text), MMSYSERR_BADERRNUM);
    EXPECT_EQ(waveOutGetErrorTextA(WAVERR_BADFORMAT, text, 4), MMSYSERR_NOERROR);
    EXPECT_EQ(std::strlen(text), 3u) << "cut to the room given";
}

TEST(WaveErrors, FormatsTheDeviceCannotTakeAreRefusedUnlessMapped)
{
    const UINT loop = UINT(outDevice(kLoopback));
    WAVEFORMATEX mulaw{WAVE_FORMAT_MULAW, 1, 8000, 8000, 1, 8, 0};
    WAVEFORMATEX odd = pcmFormat(8000, 12, 1);
    EXPECT_EQ(waveOutOpen(nullptr, loop, &mulaw, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    EXPECT_EQ(waveOutOpen(nullptr, loop, &odd, 0, 0, WAVE_FORMAT_QUERY | WAVE_MAPPED), WAVERR_BADFORMAT);
    const WAVEFORMATEX pcm = pcmFormat(22050, 8, 2);
    EXPECT_EQ(waveOutOpen(nullptr, loop, &pcm, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
}

TEST(WaveErrors, StaleMadeUpAndCrossedHandlesAreRefused)
{
    const WAVEFORMATEX f = pcmFormat();
    HWAVEOUT out = nullptr;
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveOutOpen(&out, UINT(outDevice(kLoopback)), &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    ASSERT_EQ(waveInOpen(&in, UINT(inDevice(kLoopback)), &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    // An input handle is no output handle, and the other way round.
    EXPECT_EQ(waveOutPause(reinterpret_cast<HWAVEOUT>(in)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInStart(reinterpret_cast<HWAVEIN>(out)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);

    TestBuffer b(std::size_t(100));
    MMTIME t{};
    DWORD v = 0;
    for (HWAVEOUT h : {out, HWAVEOUT(nullptr), reinterpret_cast<HWAVEOUT>(0xDEADBEEF)}) {
        EXPECT_EQ(waveOutClose(h), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveOutPrepareHeader(h, &b.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveOutWrite(h, &b.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveOutReset(h), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveOutGetPosition(h, &t, sizeof t), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(waveOutSetVolume(h, v), MMSYSERR_INVALHANDLE);
    }
    EXPECT_EQ(waveInAddBuffer(in, &b.header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveInClose(in), MMSYSERR_INVALHANDLE);
}

TEST(WaveErrors, HeadersMustBePreparedAndMayNotChangeWhileQueued)
{
    const WAVEFORMATEX f = pcmFormat();
    MessageWindow window;
    HWAVEOUT out = nullptr;
    HWAVEIN in = nullptr;
    ASSERT_EQ(waveOutOpen(&out, UINT(outDevice(kLoopback)), &f, window.callback(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    ASSERT_EQ(waveInOpen(&in, UINT(inDevice(kLoopback)), &f, window.callback(), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    TestBuffer play(ramp16(8000));
    TestBuffer record(std::size_t(1600));
    EXPECT_EQ(waveOutWrite(out, &play.header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    EXPECT_EQ(waveInAddBuffer(in, &record.header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    EXPECT_EQ(waveOutPrepareHeader(out, &play.header, sizeof(WAVEHDR) - 1), MMSYSERR_INVALPARAM);

    ASSERT_EQ(waveOutPrepareHeader(out, &play.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &play.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(out, &play.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING) << "queued twice";
    EXPECT_EQ(waveOutUnprepareHeader(out, &play.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(out), WAVERR_STILLPLAYING);

    // Reset, then close before the messages ran: the closed handle's messages are
    // dropped, only its close arrives.
    ASSERT_EQ(waveOutReset(out), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutUnprepareHeader(out, &play.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(play.header.dwFlags & WHDR_PREPARED, 0u);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(waveInClose(in), MMSYSERR_NOERROR);
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_CLOSE) == 1 && window.count(MM_WIM_CLOSE) == 1; }));
    EXPECT_EQ(window.count(MM_WOM_DONE), 0);
}

// A device that holds what it is given until it "goes away".
class VanishingBackend : public WaveBackend {
public:
    struct Stream : WaveStream {
        void setRunning(bool) override {}
        void wake() override {}
        void reset() override {}
        quint64 position() const override { return 0; }
    };
    QList<WaveDeviceInfo> devices(WaveDirection) override { return {WaveDeviceInfo{QStringLiteral("Vanishing"), 0, 1, 0}}; }
    bool supports(WaveDirection, int, const WAVEFORMATEX&) override { return true; }
    std::unique_ptr<WaveStream> open(WaveDirection, int, const WAVEFORMATEX&, WaveBlockQueue*,
                                     WaveStreamEvents* e, MMRESULT*) override
    {
        events = e;
        return std::make_unique<Stream>();
    }
    WaveStreamEvents* events = nullptr;
};

TEST(WaveErrors, ADeviceThatGoesAwayReturnsItsBuffersAndSaysSo)
{
    auto backend = std::make_shared<VanishingBackend>();
    WaveBackendRegistry::add(QStringLiteral("test-vanishing"), backend, WaveBackendRegistry::kMachineRank);
    const int id = WaveBackendRegistry::deviceNumber(QStringLiteral("test-vanishing"), WaveDirection::Out, 0);
    ASSERT_GE(id, 0);
    EXPECT_EQ(outDevice(QStringLiteral("Vanishing")), id);

    const WAVEFORMATEX f = pcmFormat();
    MessageWindow window;
    HWAVEOUT out = nullptr;
    ASSERT_EQ(waveOutOpen(&out, UINT(id), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    TestBuffer a(ramp16(100));
    TestBuffer b(ramp16(100));
    for (TestBuffer* t : {&a, &b}) {
        ASSERT_EQ(waveOutPrepareHeader(out, &t->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        ASSERT_EQ(waveOutWrite(out, &t->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    // From the device's own thread, as a real one would.
    std::thread([&] { backend->events->deviceFailed(MMSYSERR_NODRIVER); }).join();
    ASSERT_TRUE(waitUntil([&] { return window.count(MM_WOM_DONE) == 2; }));
    EXPECT_TRUE(a.done() && b.done());
    EXPECT_EQ(waveOutWrite(out, &a.header, sizeof(WAVEHDR)), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutPause(out), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);

    // A backend removed while a stream is open: the same, and its devices are gone.
    ASSERT_EQ(waveOutOpen(&out, UINT(id), &f, window.callback(), 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(out, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    WaveBackendRegistry::remove(QStringLiteral("test-vanishing"));
    EXPECT_TRUE(a.done());
    EXPECT_EQ(outDevice(QStringLiteral("Vanishing")), -1);
    EXPECT_EQ(waveOutRestart(out), MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutClose(out), MMSYSERR_NOERROR);
}

} // namespace
