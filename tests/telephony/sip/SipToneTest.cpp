// The tones a SIP line plays: each custom frequency keeps its own cadence and volume, so
// a two-part custom tone sounds its parts apart; standard tones keep their cadences.

#include <SipTone.h>
#include <TapiConstants.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

using Telephony::Sip::SipTone;

namespace {

std::vector<qint16> samplesOf(const SipTone& tone, int ms)
{
    const QByteArray wav = tone.wav(ms);
    std::vector<qint16> out(size_t(wav.size() - 44) / 2);
    std::memcpy(out.data(), wav.constData() + 44, out.size() * 2);
    return out;
}

// Amplitude of one frequency in samples [from, from + n) (Goertzel).
double level(const std::vector<qint16>& s, int from, int n, double hz)
{
    const double k = 2 * std::cos(2 * std::numbers::pi * hz / SipTone::kRate);
    double a = 0, b = 0;
    for (int i = from; i < from + n; ++i) {
        const double c = s[size_t(i)] + k * a - b;
        b = a;
        a = c;
    }
    return 2 * std::sqrt(std::max(0.0, a * a + b * b - k * a * b)) / n;
}

TEST(SipTone, CustomPartsKeepTheirOwnCadenceAndVolume)
{
    // 1000 Hz: 100 ms on, 100 ms off, full volume; 1500 Hz: throughout, half volume.
    SipTone tone;
    ASSERT_TRUE(SipTone::forMode(LINETONEMODE_CUSTOM, {{1000, 100, 100, 0xFFFF}, {1500, 0, 0, 0x8000}}, &tone));
    const auto s = samplesOf(tone, 400);
    constexpr int kWindow = 400; // 50 ms
    struct Case {
        int fromMs;
        bool thousandOn;
    };
    for (const Case& c : {Case{25, true}, Case{125, false}, Case{225, true}, Case{325, false}}) {
        SCOPED_TRACE(c.fromMs);
        const int from = c.fromMs * 8;
        const double thousand = level(s, from, kWindow, 1000);
        const double fifteen = level(s, from, kWindow, 1500);
        EXPECT_NEAR(fifteen, 2250, 200); // half of each part's full 4500
        if (c.thousandOn)
            EXPECT_NEAR(thousand, 4500, 300);
        else
            EXPECT_LT(thousand, 200);
    }
}

TEST(SipTone, ZeroVolumeIsSilentAndStandardTonesKeepTheirCadence)
{
    SipTone quiet;
    ASSERT_TRUE(SipTone::forMode(LINETONEMODE_CUSTOM, {{800, 0, 0, 0}}, &quiet));
    for (const qint16 v : samplesOf(quiet, 100))
        ASSERT_EQ(v, 0);

    SipTone busy;
    ASSERT_TRUE(SipTone::forMode(LINETONEMODE_BUSY, {}, &busy));
    const auto s = samplesOf(busy, 1000);
    EXPECT_GT(level(s, 100 * 8, 800, 480), 3000); // on: 0..500 ms
    EXPECT_LT(level(s, 600 * 8, 800, 480), 100); // off: 500..1000 ms
}

TEST(SipTone, CustomTonesOutsideTheLinesRangeAreRefused)
{
    SipTone tone;
    for (const QList<LINEGENERATETONE>& custom :
         {QList<LINEGENERATETONE>{}, QList<LINEGENERATETONE>{{0, 0, 0, 0xFFFF}}, QList<LINEGENERATETONE>{{4001, 0, 0, 0xFFFF}},
          QList<LINEGENERATETONE>{{400, 0, 0, 1}, {500, 0, 0, 1}, {600, 0, 0, 1}, {700, 0, 0, 1}}})
        EXPECT_FALSE(SipTone::forMode(LINETONEMODE_CUSTOM, custom, &tone)) << custom.size();
}

} // namespace
