// Movable memory blocks reached through handles, with the classic names and flags:
// allocate (zeroed on request), lock to get the address, unlock, reallocate, free, size.
// A handle is a 32-bit number that is never reused while the process lives, so a stale
// or made-up handle is refused rather than followed.
#pragma once

#include <cstddef>
#include <cstdint>

using HGLOBAL = std::uint32_t;
using SIZE_T = std::size_t;
using UINT = std::uint32_t;
using BOOL = int;

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// 0 when the memory is not there.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's address, counting one more lock; null for an unknown handle.
void* GlobalLock(HGLOBAL block);
// Counts one lock less; non-zero while the block stays locked.
BOOL GlobalUnlock(HGLOBAL block);
// The same handle with the new size (its address may change; the content is kept, a
// grown part is zeroed with GMEM_ZEROINIT), or 0 with the block unchanged.
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
// 0 on success, the handle itself when it is unknown.
HGLOBAL GlobalFree(HGLOBAL block);
// The block's size in bytes, 0 for an unknown handle.
SIZE_T GlobalSize(HGLOBAL block);
