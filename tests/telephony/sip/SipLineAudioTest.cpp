// What waits between a SIP line's wave devices and its call: nothing played outside a
// wave output's playing reaches a call, nothing said before a recording starts reaches
// it, a call that ended takes what was meant for it along, and neither way grows
// without bound.

#include <SipLineAudio.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using Telephony::Sip::SipLineAudio;

namespace {

std::vector<qint16> ramp(int n, int from = 1)
{
    std::vector<qint16> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = qint16(from + i);
    return v;
}

void play(SipLineAudio& a, const std::vector<qint16>& s)
{
    a.played(reinterpret_cast<const char*>(s.data()), quint32(s.size() * 2));
}

std::vector<qint16> send(SipLineAudio& a, int n, int slot = 0)
{
    std::vector<qint16> out(size_t(n), -1);
    a.send(out.data(), out.size(), slot);
    return out;
}

std::vector<qint16> hear(SipLineAudio& a, int n, bool* live)
{
    std::vector<qint16> out(size_t(n), -1);
    out.resize(a.heard(reinterpret_cast<char*>(out.data()), quint32(n * 2), live) / 2);
    return out;
}

TEST(SipLineAudio, PlayedSamplesReachTheCallInOrderThenSilence)
{
    SipLineAudio a;
    play(a, ramp(4)); // not playing yet: dropped
    a.setPlaying(true);
    a.senderStarted(true);
    play(a, ramp(3, 10));
    EXPECT_EQ(send(a, 5), (std::vector<qint16>{10, 11, 12, 0, 0}));
}

// Two calls with media, each on a card slot of its own: only the active one is joined
// to the wave devices, whichever it is, so a held call neither takes what is played nor
// mixes into what is recorded.
TEST(SipLineAudio, OnlyTheActiveCallsSlotMeetsTheWaveDevices)
{
    for (const auto& [active, held] : {std::pair{1, 2}, std::pair{2, 1}}) {
        SCOPED_TRACE(active);
        SipLineAudio a;
        a.setPlaying(true);
        a.setRecording(true);
        for (int slot : {1, 2}) {
            a.senderStarted(true, slot);
            a.receiverStarted(true, slot);
        }
        a.setActiveSlot(active);
        play(a, ramp(4, 10));
        EXPECT_EQ(send(a, 2, held), (std::vector<qint16>{0, 0}));
        EXPECT_EQ(send(a, 4, active), (std::vector<qint16>{10, 11, 12, 13}));
        const auto heldSays = ramp(3, 50);
        const auto activeSays = ramp(3, 70);
        a.received(heldSays.data(), heldSays.size(), held);
        a.received(activeSays.data(), activeSays.size(), active);
        bool live = false;
        EXPECT_EQ(hear(a, 8, &live), activeSays);
        EXPECT_TRUE(live);
        // The active call's media stopping ends what was played for it; the held call's
        // does not.
        play(a, ramp(2, 30));
        a.senderStarted(false, held);
        EXPECT_EQ(send(a, 1, active), (std::vector<qint16>{30}));
        a.senderStarted(false, active);
        EXPECT_EQ(send(a, 1, active), (std::vector<qint16>{0}));
    }
}

TEST(SipLineAudio, WhatIsLeftGoesWithTheCallOrThePlayingThatHadNoCall)
{
    struct Case {
        const char* name;
        bool callEnds; // else the playing stops while no call takes the samples
    };
    for (const Case& c : {Case{"call ended", true}, Case{"no call", false}}) {
        SCOPED_TRACE(c.name);
        SipLineAudio a;
        a.setPlaying(true);
        if (c.callEnds)
            a.senderStarted(true);
        play(a, ramp(8));
        if (c.callEnds)
            a.senderStarted(false);
        else
            a.setPlaying(false);
        a.setPlaying(true);
        a.senderStarted(true);
        EXPECT_EQ(send(a, 2), (std::vector<qint16>{0, 0}));
    }
    // A playing that ends while its call runs still sends its tail.
    SipLineAudio a;
    a.setPlaying(true);
    a.senderStarted(true);
    play(a, ramp(2, 7));
    a.setPlaying(false);
    EXPECT_EQ(send(a, 2), (std::vector<qint16>{7, 8}));
}

TEST(SipLineAudio, RecordingKeepsOnlyWhatIsSaidWhileItRuns)
{
    SipLineAudio a;
    bool live = true;
    const auto early = ramp(5);
    a.received(early.data(), early.size());
    a.setRecording(true);
    EXPECT_TRUE(hear(a, 4, &live).empty());
    EXPECT_FALSE(live); // no call: silence, not a delay
    a.receiverStarted(true);
    const auto said = ramp(3, 20);
    a.received(said.data(), said.size());
    EXPECT_EQ(hear(a, 4, &live), (std::vector<qint16>{20, 21, 22}));
    EXPECT_TRUE(live);
    a.setRecording(false);
    a.received(said.data(), said.size());
    a.setRecording(true);
    EXPECT_TRUE(hear(a, 4, &live).empty());
}

TEST(SipLineAudio, EachWayKeepsAtMostTheNewestTenSeconds)
{
    SipLineAudio a;
    a.setPlaying(true);
    a.setRecording(true);
    a.senderStarted(true);
    const auto chunk = ramp(8000);
    for (int i = 0; i < 11; ++i) {
        play(a, chunk);
        a.received(chunk.data(), chunk.size());
    }
    bool live = false;
    const auto heard = hear(a, int(SipLineAudio::kMaxSamples) + 100, &live);
    EXPECT_EQ(heard.size(), SipLineAudio::kMaxSamples);
    EXPECT_EQ(heard.front(), 1);
    std::vector<qint16> sent(SipLineAudio::kMaxSamples + 1);
    a.send(sent.data(), sent.size());
    EXPECT_EQ(sent.front(), 1);
    EXPECT_EQ(sent[SipLineAudio::kMaxSamples - 1], 8000);
    EXPECT_EQ(sent.back(), 0);
}

TEST(SipLineAudio, OddByteCountsAndUnalignedDataAreTakenWhole)
{
    SipLineAudio a;
    a.setPlaying(true);
    a.senderStarted(true);
    std::vector<char> bytes(11, 0);
    const qint16 v = 0x1234;
    std::memcpy(bytes.data() + 1, &v, 2);
    a.played(bytes.data() + 1, 5); // two samples and half of a third
    const auto sent = send(a, 3);
    EXPECT_EQ(sent, (std::vector<qint16>{0x1234, 0, 0}));
}

} // namespace
