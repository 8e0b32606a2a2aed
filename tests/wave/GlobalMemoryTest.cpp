// Movable blocks: zeroed when asked, kept across reallocation, and unknown handles
// refused after a free.

#include <GlobalMemory.h>

#include <cstring>
#include <gtest/gtest.h>

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
