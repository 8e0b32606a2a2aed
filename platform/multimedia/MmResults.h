// Result codes of the multimedia layer: system results, wave device results and the
// buffered file functions' results, with the values programs have always compared them
// against. The telephony constants include this file, so both layers share one set.
#pragma once

#include <cstdint>

// Multimedia system results shared by the wave and mmio functions.
inline constexpr std::uint32_t MMSYSERR_NOERROR = 0;
inline constexpr std::uint32_t MMSYSERR_ERROR = 1;
inline constexpr std::uint32_t MMSYSERR_BADDEVICEID = 2;
inline constexpr std::uint32_t MMSYSERR_NOTENABLED = 3;
inline constexpr std::uint32_t MMSYSERR_ALLOCATED = 4;
inline constexpr std::uint32_t MMSYSERR_INVALHANDLE = 5;
inline constexpr std::uint32_t MMSYSERR_NODRIVER = 6;
inline constexpr std::uint32_t MMSYSERR_NOMEM = 7;
inline constexpr std::uint32_t MMSYSERR_NOTSUPPORTED = 8;
inline constexpr std::uint32_t MMSYSERR_BADERRNUM = 9;
inline constexpr std::uint32_t MMSYSERR_INVALFLAG = 10;
inline constexpr std::uint32_t MMSYSERR_INVALPARAM = 11;
inline constexpr std::uint32_t MMSYSERR_HANDLEBUSY = 12;
inline constexpr std::uint32_t MMSYSERR_INVALIDALIAS = 13;
inline constexpr std::uint32_t MMSYSERR_BADDB = 14;
inline constexpr std::uint32_t MMSYSERR_KEYNOTFOUND = 15;
inline constexpr std::uint32_t MMSYSERR_READERROR = 16;
inline constexpr std::uint32_t MMSYSERR_WRITEERROR = 17;
inline constexpr std::uint32_t MMSYSERR_DELETEERROR = 18;
inline constexpr std::uint32_t MMSYSERR_VALNOTFOUND = 19;
inline constexpr std::uint32_t MMSYSERR_NODRIVERCB = 20;

// Wave device results.
inline constexpr std::uint32_t WAVERR_BADFORMAT = 32;
inline constexpr std::uint32_t WAVERR_STILLPLAYING = 33;
inline constexpr std::uint32_t WAVERR_UNPREPARED = 34;
inline constexpr std::uint32_t WAVERR_SYNC = 35;

// Buffered file I/O results.
inline constexpr std::uint32_t MMIOERR_FILENOTFOUND = 257;
inline constexpr std::uint32_t MMIOERR_OUTOFMEMORY = 258;
inline constexpr std::uint32_t MMIOERR_CANNOTOPEN = 259;
inline constexpr std::uint32_t MMIOERR_CANNOTCLOSE = 260;
inline constexpr std::uint32_t MMIOERR_CANNOTREAD = 261;
inline constexpr std::uint32_t MMIOERR_CANNOTWRITE = 262;
inline constexpr std::uint32_t MMIOERR_CANNOTSEEK = 263;
inline constexpr std::uint32_t MMIOERR_CANNOTEXPAND = 264;
inline constexpr std::uint32_t MMIOERR_CHUNKNOTFOUND = 265;
inline constexpr std::uint32_t MMIOERR_UNBUFFERED = 266;
inline constexpr std::uint32_t MMIOERR_PATHNOTFOUND = 267;
inline constexpr std::uint32_t MMIOERR_ACCESSDENIED = 268;
inline constexpr std::uint32_t MMIOERR_SHARINGVIOLATION = 269;
inline constexpr std::uint32_t MMIOERR_NETWORKERROR = 270;
inline constexpr std::uint32_t MMIOERR_TOOMANYOPENFILES = 271;
inline constexpr std::uint32_t MMIOERR_INVALIDFILE = 272;
