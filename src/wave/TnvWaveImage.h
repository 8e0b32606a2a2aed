#pragma once

// The in-memory form of a sound: a RIFF WAVE image with a fixed 46-byte header (RIFF
// size, an 18-byte format chunk, the data chunk's size) followed by the samples. This
// is how every wave buffer holds its audio and what other controls adopt by handle.

#include <QtGlobal>

#include <optional>

// The six values that tell two formats apart, and the format chunk's extra size.
struct TnvWaveFormatFields {
    quint16 tag = 0;
    quint16 channels = 0;
    quint32 samplesPerSec = 0;
    quint32 avgBytesPerSec = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;

    bool operator==(const TnvWaveFormatFields& other) const = default;
};

class TnvWaveImage {
public:
    static constexpr quint32 HeaderSize = 46;
    // The parser looks for the chunk tags this far into an image and no further.
    static constexpr quint32 SearchLimit = 4096;
    // The largest data size an image can describe.
    static constexpr quint64 MaxDataSize = 0xFFFFFFFFull - HeaderSize;

    struct Parsed {
        TnvWaveFormatFields format;
        quint32 dataOffset = 0;
        quint32 dataSize = 0;
    };

    // Finds "WAVE", "fmt " and "data" and reads the format and the data size; nothing
    // when a tag is missing or a value lies outside the image.
    static std::optional<Parsed> parse(const uchar* image, quint64 size);

    // Writes the 46-byte header for the format and data size.
    static void writeHeader(uchar* image, const TnvWaveFormatFields& format, quint32 dataSize);
    // Updates the RIFF and data sizes of a header written by writeHeader.
    static void setDataSize(uchar* image, quint32 dataSize);
    static quint32 dataSizeOf(const uchar* image);

    // The format values of an 18-byte (or longer) format chunk.
    static TnvWaveFormatFields readFormat(const uchar* chunk);
};
