#include "TnvWaveImage.h"

#include <cstring>
#include <string_view>

namespace {

quint16 get16(const uchar* at)
{
    return quint16(at[0] | at[1] << 8);
}

quint32 get32(const uchar* at)
{
    return quint32(at[0]) | quint32(at[1]) << 8 | quint32(at[2]) << 16 | quint32(at[3]) << 24;
}

void put16(uchar* at, quint16 value)
{
    at[0] = uchar(value);
    at[1] = uchar(value >> 8);
}

void put32(uchar* at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uchar(value >> (8 * i));
}

// First occurrence of the tag that starts inside the searched window.
std::optional<quint32> findTag(const uchar* image, quint64 size, const char* tag)
{
    const quint64 window = qMin<quint64>(size, TnvWaveImage::SearchLimit);
    const std::string_view haystack(reinterpret_cast<const char*>(image), size_t(qMin<quint64>(size, window + 3)));
    const size_t at = haystack.find(std::string_view(tag, 4));
    if (at == std::string_view::npos || at >= window)
        return std::nullopt;
    return quint32(at);
}

} // namespace

std::optional<TnvWaveImage::Parsed> TnvWaveImage::parse(const uchar* image, quint64 size)
{
    if (!image)
        return std::nullopt;
    const auto wave = findTag(image, size, "WAVE");
    const auto fmt = findTag(image, size, "fmt ");
    const auto data = findTag(image, size, "data");
    if (!wave || !fmt || !data)
        return std::nullopt;
    // The format runs to cbSize at +24; the data size sits at +4 and the samples at +8.
    if (quint64(*fmt) + 26 > size || quint64(*data) + 8 > size)
        return std::nullopt;
    Parsed parsed;
    parsed.format = readFormat(image + *fmt + 8);
    parsed.dataOffset = *data + 8;
    parsed.dataSize = get32(image + *data + 4);
    if (quint64(parsed.dataOffset) + parsed.dataSize > size)
        return std::nullopt;
    return parsed;
}

TnvWaveFormatFields TnvWaveImage::readFormat(const uchar* chunk)
{
    TnvWaveFormatFields format;
    format.tag = get16(chunk);
    format.channels = get16(chunk + 2);
    format.samplesPerSec = get32(chunk + 4);
    format.avgBytesPerSec = get32(chunk + 8);
    format.blockAlign = get16(chunk + 12);
    format.bitsPerSample = get16(chunk + 14);
    return format;
}

void TnvWaveImage::writeHeader(uchar* image, const TnvWaveFormatFields& format, quint32 dataSize)
{
    std::memcpy(image, "RIFF", 4);
    std::memcpy(image + 8, "WAVEfmt ", 8);
    put32(image + 16, 18);
    put16(image + 20, format.tag);
    put16(image + 22, format.channels);
    put32(image + 24, format.samplesPerSec);
    put32(image + 28, format.avgBytesPerSec);
    put16(image + 32, format.blockAlign);
    put16(image + 34, format.bitsPerSample);
    put16(image + 36, 0);
    std::memcpy(image + 38, "data", 4);
    setDataSize(image, dataSize);
}

void TnvWaveImage::setDataSize(uchar* image, quint32 dataSize)
{
    put32(image + 4, dataSize + HeaderSize - 8);
    put32(image + 42, dataSize);
}

quint32 TnvWaveImage::dataSizeOf(const uchar* image)
{
    return get32(image + 42);
}
