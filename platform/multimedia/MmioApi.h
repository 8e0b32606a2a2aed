// Buffered RIFF file functions with the classic names, flags and result codes: open,
// descend into and ascend out of chunks, read, write, seek and close.
//
// Every chunk found by mmioDescend lies wholly inside its parent and inside the file as
// it really is: a chunk whose size field runs past either is reported as not found, so
// readers never trust a size they have not checked.
//
// A file opened with MMIO_CREATE is written beside its final name and renamed into place
// by a successful mmioClose; a failed write, a failed close or a process that never
// closes leaves a file that existed under that name unchanged. Such a hidden leftover
// (".NAME.XXXXXXXX.part") is removed by the next create of the same name once no process
// holds it open for writing.
#pragma once

#include "MmResults.h"

#include <cstdint>
#include <cstdio>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using MMRESULT = std::uint32_t;
using FOURCC = std::uint32_t;

struct MmioFile;
using HMMIO = MmioFile*;

// Open flags.
inline constexpr DWORD MMIO_READ = 0x00000000;
inline constexpr DWORD MMIO_WRITE = 0x00000001;
inline constexpr DWORD MMIO_READWRITE = 0x00000002;
inline constexpr DWORD MMIO_CREATE = 0x00001000;
inline constexpr DWORD MMIO_ALLOCBUF = 0x00010000;

// Descend and create flags.
inline constexpr UINT MMIO_FINDCHUNK = 0x0010;
inline constexpr UINT MMIO_FINDRIFF = 0x0020;
inline constexpr UINT MMIO_FINDLIST = 0x0040;
inline constexpr UINT MMIO_CREATERIFF = 0x0020;
inline constexpr UINT MMIO_CREATELIST = 0x0040;

// Close flag of this layer: a created file is removed instead of put in place, for a
// writer that found its output unusable after the writes went through.
inline constexpr UINT MMIO_ABANDON = 0x8000;

// Set in MMCKINFO::dwFlags by mmioCreateChunk: the size is written when ascending.
inline constexpr DWORD MMIO_DIRTY = 0x10000000;

// The read buffer MMIO_ALLOCBUF gives when no size is asked for.
inline constexpr LONG MMIO_DEFAULTBUFFER = 8192;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d)
{
    return FOURCC(BYTE(a)) | FOURCC(BYTE(b)) << 8 | FOURCC(BYTE(c)) << 16 | FOURCC(BYTE(d)) << 24;
}

inline constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
inline constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');

// One chunk: its id, its size (without the 8-byte header; for RIFF and LIST it counts the
// form type), the form type of RIFF and LIST chunks, and where its data starts.
struct MMCKINFO {
    FOURCC ckid = 0;
    DWORD cksize = 0;
    FOURCC fccType = 0;
    DWORD dwDataOffset = 0;
    DWORD dwFlags = 0;
};
using LPMMCKINFO = MMCKINFO*;

// Open parameters and the open's error. Only dwFlags, cchBuffer (read-buffer size with
// MMIO_ALLOCBUF, 0 for the default) and wErrorRet are used; the rest keeps the classic
// layout for callers that fill it.
struct MMIOINFO {
    DWORD dwFlags = 0;
    FOURCC fccIOProc = 0;
    void* pIOProc = nullptr;
    UINT wErrorRet = 0;
    void* htask = nullptr;
    LONG cchBuffer = 0;
    char* pchBuffer = nullptr;
    char* pchNext = nullptr;
    char* pchEndRead = nullptr;
    char* pchEndWrite = nullptr;
    LONG lBufOffset = 0;
    LONG lDiskOffset = 0;
    DWORD adwInfo[3] = {};
    DWORD dwReserved1 = 0;
    DWORD dwReserved2 = 0;
    HMMIO hmmio = nullptr;
};
using LPMMIOINFO = MMIOINFO*;

// Null on failure; the reason is in info->wErrorRet when info is given (MMIOERR_ codes).
HMMIO mmioOpenA(const char* fileName, LPMMIOINFO info, DWORD flags);
// For a created file: renames it into place unless a write failed (then it is removed
// and MMIOERR_CANNOTWRITE returned) or flags hold MMIO_ABANDON. 0 on success.
MMRESULT mmioClose(HMMIO file, UINT flags);
// Bytes read (fewer at the end of the file, 0 there), -1 on error.
LONG mmioRead(HMMIO file, char* buffer, LONG count);
// Bytes written, -1 on error (the file is then marked failed).
LONG mmioWrite(HMMIO file, const char* buffer, LONG count);
// The new position, -1 on error; origin is SEEK_SET, SEEK_CUR or SEEK_END.
LONG mmioSeek(HMMIO file, LONG offset, int origin);
// The same with 64-bit positions, for RIFF files between 2 and 4 GB.
std::int64_t mmioSeek64(HMMIO file, std::int64_t offset, int origin);
// Finds the next chunk (matching by flags) inside parent, or inside the file when parent
// is null, and positions at its data (after the form type of RIFF and LIST chunks).
MMRESULT mmioDescend(HMMIO file, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags);
// Leaves the chunk: positions after its data and pad byte; a created chunk gets its pad
// byte and its size written first.
MMRESULT mmioAscend(HMMIO file, LPMMCKINFO chunk, UINT flags);
// Writes a chunk header at the position (with the form type for MMIO_CREATERIFF and
// MMIO_CREATELIST) and marks the chunk so that mmioAscend writes its size.
MMRESULT mmioCreateChunk(HMMIO file, LPMMCKINFO chunk, UINT flags);
