// A device that goes away while the controls use it: the failure is reported with the
// device's code, nothing waits for ever, the control is closed, and a recording is
// still saved.

#include "WaveControlSupport.h"

#include <WaveBackendRegistry.h>

#include <gtest/gtest.h>

#include <thread>

using namespace wavetest;

namespace {

// Holds what it is given until it "goes away".
class VanishingBackend : public WaveBackend {
public:
    struct Stream : WaveStream {
        void setRunning(bool) override {}
        void wake() override {}
        void reset() override {}
        quint64 position() const override { return 0; }
    };
    QList<WaveDeviceInfo> devices(WaveDirection) override
    {
        return {WaveDeviceInfo{QStringLiteral("Vanishing"), WAVE_FORMAT_1M16, 1, 0, false}};
    }
    bool supports(WaveDirection, int, const WAVEFORMATEX&) override { return true; }
    std::unique_ptr<WaveStream> open(WaveDirection, int, const WAVEFORMATEX&, WaveBlockQueue*, WaveStreamEvents* e,
                                     MMRESULT*) override
    {
        events = e;
        return std::make_unique<Stream>();
    }
    void vanish()
    {
        // From the device's own thread, as a real one would.
        std::thread([this] { events->deviceFailed(MMSYSERR_NODRIVER); }).join();
    }
    WaveStreamEvents* events = nullptr;
};

struct DeviceLoss : ::testing::Test {
    std::shared_ptr<VanishingBackend> backend = std::make_shared<VanishingBackend>();
    QTemporaryDir dir;

    void SetUp() override
    {
        WaveBackendRegistry::add(QStringLiteral("test-vanishing"), backend, WaveBackendRegistry::kMachineRank);
    }
    void TearDown() override { WaveBackendRegistry::remove(QStringLiteral("test-vanishing")); }
};

} // namespace

TEST_F(DeviceLoss, PlaybackReportsTheDeviceAndClosesWithoutOnDone)
{
    TracedPlay play;
    ASSERT_TRUE(play.select(QStringLiteral("Vanishing")));
    const QString file = dir.filePath(QStringLiteral("p.wav"));
    ASSERT_TRUE(writeFile(file, pcmFile(8000, tone(800))));
    play.control.Source()->setFileName(file);
    play.control.Device()->setActive(true);
    ASSERT_TRUE(play.control.Device()->Active());
    backend->vanish();
    ASSERT_TRUE(waitUntil([&] { return !play.control.Device()->Active(); }, 3000));
    EXPECT_EQ(play.control.Error()->Number(), qint32(MMSYSERR_NODRIVER));
    EXPECT_EQ(play.events, (QStringList{QStringLiteral("OnLoaded"), QStringLiteral("OnError")}));
}

TEST_F(DeviceLoss, RecordingReportsTheDeviceAndIsSaved)
{
    TracedRecord record;
    ASSERT_TRUE(record.select(QStringLiteral("Vanishing")));
    const QString file = dir.filePath(QStringLiteral("r.wav"));
    record.control.Source()->setFileName(file);
    record.control.Device()->setActive(true);
    ASSERT_TRUE(record.control.Device()->Active());
    backend->vanish();
    ASSERT_TRUE(waitUntil([&] { return record.count(QStringLiteral("OnDone")) == 1; }, 3000));
    EXPECT_FALSE(record.control.Device()->Active());
    EXPECT_TRUE(record.logged(QStringLiteral("<< Error >> MMSYSERR_NODRIVER [00000006]")));
    EXPECT_EQ(record.events, (QStringList{QStringLiteral("OnError"), QStringLiteral("OnDone")}));
    EXPECT_TRUE(QFile::exists(file));
}
