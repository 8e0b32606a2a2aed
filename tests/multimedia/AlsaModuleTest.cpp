// The machine's devices come from a module loaded when devices are first listed, so a
// program that never lists them never maps the sound library.
#include <WaveApi.h>

#include <QFile>

#include <gtest/gtest.h>

namespace {

bool mapped(const char* name)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

TEST(AlsaModule, LoadsWhenTheDevicesAreFirstListed)
{
    if (mapped("liblinkora-multimedia-alsa"))
        GTEST_SKIP() << "devices were listed earlier in this process";
    EXPECT_FALSE(mapped("libasound"));
    const UINT outputs = waveOutGetNumDevs();
    EXPECT_GE(outputs, 1u); // the loopback at least
    EXPECT_TRUE(mapped("liblinkora-multimedia-alsa"));
}

} // namespace
