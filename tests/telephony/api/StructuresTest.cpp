// Filling variable-size structures and reading the ones applications hand in: the
// growing-buffer rule converges, and nothing is read outside a block.

#include "ApiHarness.h"

#include <cstddef>

namespace {

class Structures : public ApiHarness {};

// The rule applications follow: the fixed part plus 4096, doubled on a too-small answer.
template<typename T, typename Call>
Block<T> grow(DWORD fixed, Call call, LONG* result, int* rounds)
{
    DWORD extra = 4096;
    for (*rounds = 1;; ++*rounds, extra *= 2) {
        Block<T> block(fixed + extra);
        *result = call(block.get());
        if (*result == LONG(LINEERR_STRUCTURETOOSMALL) || (*result == 0 && block->dwNeededSize > block->dwTotalSize))
            continue;
        return block;
    }
}

} // namespace

TEST_F(Structures, DeviceCapsAtTheFixedSizeAskForMoreThenFit)
{
    const HLINEAPP app = initialize("caps");
    Block<LINEDEVCAPS> small(sizeof(LINEDEVCAPS));
    ASSERT_EQ(lineGetDevCaps(app, 0, TAPI_VERSION2_2, 0, small.get()), 0);
    EXPECT_GT(small->dwNeededSize, small->dwTotalSize);
    EXPECT_EQ(small->dwUsedSize, sizeof(LINEDEVCAPS));
    EXPECT_EQ(small->dwLineNameSize, 0u);
    EXPECT_EQ(small->dwNumAddresses, 1u);

    Block<LINEDEVCAPS> tiny(sizeof(LINEDEVCAPS) - 4);
    EXPECT_EQ(lineGetDevCaps(app, 0, TAPI_VERSION2_2, 0, tiny.get()), LONG(LINEERR_STRUCTURETOOSMALL));
    // An old version's smaller fixed part is enough for an old caller.
    Block<LINEDEVCAPS> old(236);
    EXPECT_EQ(lineGetDevCaps(app, 0, TAPI_VERSION1_0, 0, old.get()), 0);

    struct Case {
        DWORD device;
        const char* name;
    };
    for (const Case& c : {Case{0, "Linkora Simulated Line 1"}, Case{1, "Linkora Simulated Line 2"},
                          Case{2, "Linkora Simulated Data Modem"}}) {
        Block<LINEDEVCAPS> fitted(sizeof(LINEDEVCAPS) + 4096);
        ASSERT_EQ(lineGetDevCaps(app, c.device, TAPI_VERSION2_2, 0, fitted.get()), 0);
        ASSERT_LE(fitted->dwNeededSize, fitted->dwTotalSize);
        EXPECT_EQ(fitted.text(fitted->dwLineNameSize, fitted->dwLineNameOffset), QByteArray(c.name));
        EXPECT_FALSE(fitted.text(fitted->dwProviderInfoSize, fitted->dwProviderInfoOffset).isEmpty());
    }
}

TEST_F(Structures, GrowingBufferConvergesAfterAForcedTooSmall)
{
    const HLINEAPP app = initialize("grow");
    ASSERT_TRUE(control(QStringLiteral("toosmall"), {{"function", "lineGetDevCaps"}}).value("ok").toBool());
    LONG result = 0;
    int rounds = 0;
    Block<LINEDEVCAPS> caps = grow<LINEDEVCAPS>(
        sizeof(LINEDEVCAPS), [&](LINEDEVCAPS* block) { return lineGetDevCaps(app, 1, TAPI_VERSION2_2, 0, block); },
        &result, &rounds);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(rounds, 2);
    EXPECT_EQ(caps.text(caps->dwLineNameSize, caps->dwLineNameOffset), QByteArray("Linkora Simulated Line 2"));

    Block<LINEADDRESSCAPS> address(sizeof(LINEADDRESSCAPS) + 4096);
    ASSERT_EQ(lineGetAddressCaps(app, 0, 0, TAPI_VERSION2_2, 0, address.get()), 0);
    EXPECT_EQ(address.text(address->dwAddressSize, address->dwAddressOffset), QByteArray("201"));
    EXPECT_EQ(lineGetAddressCaps(app, 0, 1, TAPI_VERSION2_2, 0, address.get()), LONG(LINEERR_INVALADDRESSID));
}

TEST_F(Structures, CallParamsOutsideTheirBlockAreRefused)
{
    const HLINEAPP app = initialize("params");
    const HLINE line = open(app, 0, 1);
    struct Case {
        const char* what;
        DWORD total;
        size_t sizeField, offsetField;
        DWORD size, offset;
        LONG expected;
    };
    const Case cases[] = {
        {"below the oldest fixed part", 100, 0, 0, 0, 0, LONG(LINEERR_STRUCTURETOOSMALL)},
        {"text past the end", sizeof(LINECALLPARAMS) + 8, offsetof(LINECALLPARAMS, dwCommentSize),
         offsetof(LINECALLPARAMS, dwCommentOffset), 16, sizeof(LINECALLPARAMS), LONG(LINEERR_INVALPOINTER)},
        {"offset wrapping round", sizeof(LINECALLPARAMS) + 8, offsetof(LINECALLPARAMS, dwDisplayableAddressSize),
         offsetof(LINECALLPARAMS, dwDisplayableAddressOffset), 0x20, 0xFFFFFFF0, LONG(LINEERR_INVALPOINTER)},
        {"text inside the fixed part", sizeof(LINECALLPARAMS) + 8, offsetof(LINECALLPARAMS, dwCalledPartySize),
         offsetof(LINECALLPARAMS, dwCalledPartyOffset), 4, 8, LONG(LINEERR_INVALPOINTER)},
        {"old block missing later fields", 112, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Block<LINECALLPARAMS> params(c.total);
        if (c.sizeField) {
            std::memcpy(params.bytes.data() + c.sizeField, &c.size, 4);
            std::memcpy(params.bytes.data() + c.offsetField, &c.offset, 4);
        }
        HCALL call = 0;
        const LONG result = lineMakeCall(line, &call, "5550100", 0, params.get());
        if (c.expected == 0) {
            EXPECT_GT(result, 0) << c.what;
        } else {
            EXPECT_EQ(result, c.expected) << c.what;
        }
    }
}

TEST_F(Structures, ForwardListsAreCheckedEntryByEntry)
{
    const HLINEAPP app = initialize("forward");
    const HLINE line = open(app, 0, 1);
    struct Case {
        const char* what;
        DWORD total, entries, destSize, destOffset;
        LONG expected;
    };
    const DWORD fixed = offsetof(LINEFORWARDLIST, ForwardList) + sizeof(LINEFORWARD);
    const Case cases[] = {
        {"header only", 4, 0, 0, 0, LONG(LINEERR_STRUCTURETOOSMALL)},
        {"more entries than bytes", fixed, 3, 0, 0, LONG(LINEERR_STRUCTURETOOSMALL)},
        {"destination past the end", fixed + 4, 1, 16, fixed, LONG(LINEERR_INVALPOINTER)},
        {"absurd entry count", 96, 0x40000000, 0, 0, LONG(LINEERR_INVALPARAM)},
    };
    for (const Case& c : cases) {
        Block<LINEFORWARDLIST> list(c.total);
        if (c.total >= 8)
            list->dwNumEntries = c.entries;
        if (c.total >= fixed) {
            list->ForwardList[0].dwForwardMode = LINEFORWARDMODE_UNCOND;
            list->ForwardList[0].dwDestAddressSize = c.destSize;
            list->ForwardList[0].dwDestAddressOffset = c.destOffset;
        }
        EXPECT_EQ(lineForward(line, 1, 0, list.get(), 0, nullptr, nullptr), c.expected) << c.what;
    }
}
