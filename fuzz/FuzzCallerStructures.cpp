// The structures applications hand the service: LINECALLPARAMS, LINEFORWARDLIST and
// LINEINITIALIZEEXPARAMS, with any sizes and offsets in them, and plain text arguments.
// The first byte picks the reader; the rest is the block, whose dwTotalSize is believed
// only as far as the bytes go (an application's block is as large as it says).

#include "CallParamsReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace Telephony;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 + sizeof(DWORD))
        return 0;
    const uint8_t which = data[0] % 4;
    DWORD total = 0;
    std::memcpy(&total, data + 1, sizeof total);
    if (total > size - 1 || total < sizeof(DWORD))
        total = DWORD(size - 1);
    // A heap block of exactly dwTotalSize bytes (new[] aligns it for any structure), so
    // that a read past its end is caught.
    const std::unique_ptr<char[]> block(new char[total]);
    std::memcpy(block.get(), data + 1, total);
    std::memcpy(block.get(), &total, sizeof total);

    switch (which) {
    case 0: {
        CallParams params;
        readCallParams(reinterpret_cast<const LINECALLPARAMS*>(block.get()), &params);
        break;
    }
    case 1: {
        QList<AddressStatusData::Forward> forwards;
        readForwardList(reinterpret_cast<const LINEFORWARDLIST*>(block.get()), &forwards);
        break;
    }
    case 2:
        readInitParams(reinterpret_cast<const LINEINITIALIZEEXPARAMS*>(block.get()));
        break;
    default: {
        // A text argument whose NUL may lie anywhere, or nowhere within the bound.
        const std::unique_ptr<char[]> text(new char[total + 1]);
        std::memcpy(text.get(), data + 1, total);
        text[total] = '\0';
        bool ok = false;
        const QByteArray read = readText(text.get(), &ok);
        if (read.size() > qsizetype(kMaxText) || (!ok && !read.isEmpty()))
            std::abort();
        break;
    }
    }
    return 0;
}
