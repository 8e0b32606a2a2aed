// Movable blocks: zeroed when asked, kept across reallocation, unknown handles refused
// after a free, and a freed large block held only for a moment.

#include <EventLoop.h>
#include <GlobalMemory.h>

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mman.h>

TEST(GlobalMemory, BlocksAreZeroedKeptAcrossReallocationAndForgottenWhenFreed)
{
    const HGLOBAL block = GlobalAlloc(GHND, 16);
    ASSERT_NE(block, 0u);
    auto* data = static_cast<unsigned char*>(GlobalLock(block));
    ASSERT_NE(data, nullptr);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(data[i], 0) << i;
    std::memset(data, 0xAB, 16);
    EXPECT_EQ(GlobalUnlock(block), 0);

    // Growing keeps the content and zeroes the new part; the handle stays the same.
    ASSERT_EQ(GlobalReAlloc(block, 1 << 20, GHND), block);
    EXPECT_EQ(GlobalSize(block), SIZE_T(1 << 20));
    data = static_cast<unsigned char*>(GlobalLock(block));
    EXPECT_EQ(data[15], 0xAB);
    EXPECT_EQ(data[16], 0);
    EXPECT_EQ(data[(1 << 20) - 1], 0);
    EXPECT_NE(GlobalLock(block), nullptr);
    EXPECT_NE(GlobalUnlock(block), 0) << "one lock is still held";
    EXPECT_EQ(GlobalUnlock(block), 0);

    EXPECT_EQ(GlobalFree(block), 0u);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GlobalReAlloc(block, 8, GHND), 0u);
    EXPECT_EQ(GlobalFree(block), block);
    // A new block never takes the freed handle.
    const HGLOBAL next = GlobalAlloc(GHND, 4);
    EXPECT_NE(next, block);
    GlobalFree(next);
}

TEST(GlobalMemory, LargeBlocksRegrowZeroedAfterShrinking)
{
    constexpr SIZE_T mb = SIZE_T(1) << 20;
    const HGLOBAL block = GlobalAlloc(GHND, 6 * mb);
    ASSERT_NE(block, 0u);
    auto* data = static_cast<unsigned char*>(GlobalLock(block));
    std::memset(data, 0xCD, 6 * mb);
    GlobalUnlock(block);
    // Shrinking keeps the front; growing again must not bring the old tail back.
    ASSERT_EQ(GlobalReAlloc(block, 5 * mb + 3, GMEM_MOVEABLE), block);
    ASSERT_EQ(GlobalReAlloc(block, 8 * mb, GHND), block);
    data = static_cast<unsigned char*>(GlobalLock(block));
    EXPECT_EQ(data[5 * mb + 2], 0xCD);
    EXPECT_EQ(data[5 * mb + 3], 0);
    EXPECT_EQ(data[6 * mb - 1], 0);
    EXPECT_EQ(data[8 * mb - 1], 0);
    // And a small block grown past the mapping size keeps its content.
    GlobalUnlock(block);
    GlobalFree(block);
    const HGLOBAL small = GlobalAlloc(GHND, 10);
    std::memset(GlobalLock(small), 0x11, 10);
    GlobalUnlock(small);
    ASSERT_EQ(GlobalReAlloc(small, 5 * mb, GHND), small);
    data = static_cast<unsigned char*>(GlobalLock(small));
    EXPECT_EQ(data[9], 0x11);
    EXPECT_EQ(data[10], 0);
    EXPECT_EQ(data[5 * mb - 1], 0);
    GlobalUnlock(small);
    GlobalFree(small);
}

TEST(GlobalMemory, AFreedLargeBlockReusedIsZeroedWhenAskedAndGrowsZeroed)
{
    constexpr SIZE_T mb = SIZE_T(1) << 20;
    const auto dirty = [](SIZE_T size) {
        const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memset(GlobalLock(block), 0xAB, size);
        GlobalUnlock(block);
        GlobalFree(block);
    };
    const auto zeroed = [](HGLOBAL block, SIZE_T from, SIZE_T to) {
        const auto* data = static_cast<const unsigned char*>(GlobalLock(block));
        const bool clear = std::all_of(data + from, data + to, [](unsigned char c) { return c == 0; });
        GlobalUnlock(block);
        return clear;
    };
    // The next block of about the same size may take the freed one's memory.
    dirty(8 * mb);
    const HGLOBAL block = GlobalAlloc(GHND, 6 * mb);
    ASSERT_NE(block, 0u);
    EXPECT_TRUE(zeroed(block, 0, 6 * mb));
    GlobalFree(block);

    // Without the zero flag the content is the caller's to write; growing with it
    // clears everything past the old size, whatever the memory held before.
    dirty(8 * mb);
    const HGLOBAL unzeroed = GlobalAlloc(GMEM_MOVEABLE, 5 * mb);
    ASSERT_NE(unzeroed, 0u);
    std::memset(GlobalLock(unzeroed), 0x22, 5 * mb);
    GlobalUnlock(unzeroed);
    ASSERT_EQ(GlobalReAlloc(unzeroed, 12 * mb, GHND), unzeroed);
    const auto* data = static_cast<const unsigned char*>(GlobalLock(unzeroed));
    EXPECT_EQ(data[5 * mb - 1], 0x22);
    GlobalUnlock(unzeroed);
    EXPECT_TRUE(zeroed(unzeroed, 5 * mb, 12 * mb));
    GlobalFree(unzeroed);
}

TEST(GlobalMemory, AFreedLargeBlockIsGivenBackWhenNoBlockTakesItSoon)
{
    constexpr SIZE_T mb = SIZE_T(1) << 20;
    const auto freedAt = [](SIZE_T size) {
        const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        void* data = GlobalLock(block);
        std::memset(data, 0xAB, size);
        GlobalUnlock(block);
        GlobalFree(block);
        return data;
    };
    const auto mapped = [](void* at) {
        unsigned char resident = 0;
        return ::mincore(at, 4096, &resident) == 0;
    };
    void* first = freedAt(8 * mb);
    EXPECT_TRUE(mapped(first)) << "kept for the next block";
    // A block that follows at once takes it; freed again, it goes once the event loop
    // has run a while without another.
    void* second = freedAt(8 * mb);
    EXPECT_EQ(second, first);
    EXPECT_TRUE(waitUntil([&] { return !mapped(second); }, 4000));
}
