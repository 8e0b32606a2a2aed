#pragma once

// Reading the variable-size structures of the telephony functions: the growing-buffer
// rule (the fixed part plus 4096 bytes, doubled while the service answers "too small" or
// says it needs more), and bytes and texts taken from such a block only where its own
// size says they lie. The line and phone functions differ only in their error codes.

#include <TapiStructs.h>

#include <QByteArray>
#include <QString>

#include <cstring>
#include <new>

namespace TnvStructBuffer {

// The largest block ever tried; a service asking for more is not believed.
inline constexpr DWORD kMaxExtra = 64u * 1024u * 1024u;

// The codes of one family of functions.
struct Codes {
    LONG structureTooSmall;
    LONG noMemory;
};

// Calls call(block) with a block whose first field holds its size until the answer fits.
// Returns 0 or the error; codes.noMemory when no block large enough can be had. Only the
// fixed part starts zeroed, and the block keeps only what the service reports as used
// beyond it, so no byte the service did not write is ever read.
template<typename Call>
LONG read(DWORD fixedSize, QByteArray& block, Codes codes, Call call)
{
    for (DWORD extra = 4096; extra <= kMaxExtra; extra *= 2) {
        const DWORD total = fixedSize + extra;
        try {
            block = QByteArray(qsizetype(total), Qt::Uninitialized);
        } catch (const std::bad_alloc&) {
            return codes.noMemory;
        }
        std::memset(block.data(), 0, fixedSize);
        std::memcpy(block.data(), &total, sizeof total);
        const LONG result = call(block.data());
        if (result == codes.structureTooSmall)
            continue;
        if (result != 0)
            return result;
        DWORD needed = 0;
        std::memcpy(&needed, block.constData() + 4, sizeof needed);
        if (needed <= total) {
            DWORD used = 0;
            std::memcpy(&used, block.constData() + 8, sizeof used);
            block.truncate(qsizetype(qBound(fixedSize, used, total)));
            return 0;
        }
    }
    return codes.noMemory;
}

// The fixed part of a block as its structure; the block is at least that large after a
// successful read.
template<typename T>
const T& fields(const QByteArray& block)
{
    return *reinterpret_cast<const T*>(block.constData());
}

// Bytes of a variable part, empty when size and offset point outside the block.
QByteArray part(const QByteArray& block, DWORD size, DWORD offset);

// A text of a variable part, cut at its NUL and trimmed of blanks and control characters.
QString text(const QByteArray& block, DWORD size, DWORD offset);

} // namespace TnvStructBuffer
