#pragma once

// Copies of RIFF chunks kept byte for byte, so a save can write back what this program
// does not understand (INFO items without a field, cue points and the like).

#include <MmioApi.h>

#include <QByteArray>

#include <cstring>
#include <optional>

namespace TnvRiffChunk {

// The room the chunk takes when kept whole.
inline quint64 wholeSize(const MMCKINFO& chunk)
{
    return 8 + quint64(chunk.cksize) + (chunk.cksize & 1);
}

// The chunk whole: its id, its size and its data with the pad byte after an odd size.
// Reads from the chunk's first data byte, since descending into a chunk that calls
// itself a list stops after its type. Null when the file cannot give every byte.
inline std::optional<QByteArray> readWhole(HMMIO file, const MMCKINFO& chunk)
{
    QByteArray bytes(qsizetype(wholeSize(chunk)), '\0');
    std::memcpy(bytes.data(), &chunk.ckid, 4);
    std::memcpy(bytes.data() + 4, &chunk.cksize, 4);
    if (mmioSeek64(file, chunk.dwDataOffset, SEEK_SET) != std::int64_t(chunk.dwDataOffset)
        || mmioRead(file, bytes.data() + 8, LONG(chunk.cksize)) != LONG(chunk.cksize))
        return std::nullopt;
    return bytes;
}

} // namespace TnvRiffChunk
