#include "TnvWaveFileReader.h"

#include "TnvWaveInfo.h"

#include <TnvRiffChunk.h>

#include <TnvResultTexts.h>

#include <GlobalMemory.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

namespace {

// What alignment the kernel's copy wants alike on both sides, and the scratch area used
// when it is not: small enough to stay in the cache, large enough for few reads.
constexpr quintptr kCopyAlignment = 64;
constexpr quint32 kScratchSize = 1u << 20;

} // namespace

TnvWaveFileReader::~TnvWaveFileReader()
{
    close();
}

void TnvWaveFileReader::close()
{
    if (m_file)
        mmioClose(m_file, 0);
    m_file = nullptr;
}

QString TnvWaveFileReader::completeName(const QString& name, const QString& directory)
{
    QString complete = name;
    if (QFileInfo(complete).suffix().isEmpty())
        complete += QStringLiteral(".wav");
    if (!directory.isEmpty() && !complete.contains(QLatin1Char('/')))
        complete = directory + QLatin1Char('/') + complete;
    return complete;
}

qint32 TnvWaveFileReader::open(const QString& fileName)
{
    close();
    MMIOINFO info;
    m_file = mmioOpenA(QFile::encodeName(fileName).constData(), &info, MMIO_READ | MMIO_ALLOCBUF);
    if (!m_file)
        return qint32(info.wErrorRet ? info.wErrorRet : MMIOERR_CANNOTOPEN);

    MMCKINFO riff;
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(m_file, &riff, nullptr, MMIO_FINDRIFF) != 0)
        return WAV_ERROR_FILECORRUPT;
    MMCKINFO fmt;
    fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(m_file, &fmt, &riff, MMIO_FINDCHUNK) != 0)
        return WAV_ERROR_FILECORRUPT;

    // The whole chunk goes into a zeroed block of at least 18 bytes; descending has
    // checked that the file really holds it.
    const DWORD blockSize = qMax<DWORD>(fmt.cksize, 18);
    const HGLOBAL block = GlobalAlloc(GHND, blockSize);
    if (!block)
        return WAV_ERROR_NOMEMORY;
    auto* chunk = static_cast<char*>(GlobalLock(block));
    const bool complete = fmt.cksize <= DWORD(INT32_MAX) && mmioRead(m_file, chunk, LONG(fmt.cksize)) == LONG(fmt.cksize);
    m_format = TnvWaveImage::readFormat(reinterpret_cast<const uchar*>(chunk));
    const quint16 cbSize = quint16(uchar(chunk[16]) | uchar(chunk[17]) << 8);
    m_extraFormatBytes = fmt.cksize > 18 && cbSize > 0 ? qMin<quint32>(cbSize, fmt.cksize - 18) : 0;
    GlobalUnlock(block);
    GlobalFree(block);
    if (!complete)
        return WAV_ERROR_FILECORRUPT;
    mmioAscend(m_file, &fmt, 0);

    MMCKINFO data;
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(m_file, &data, &riff, MMIO_FINDCHUNK) != 0 || data.cksize == 0)
        return WAV_ERROR_FILECORRUPT;
    m_dataSize = data.cksize;
    return 0;
}

qint32 TnvWaveFileReader::readSamples(uchar* out, quint32 count)
{
    if (!m_file)
        return WAV_ERROR_FILECORRUPT;
    // The kernel copies out of the page cache several times slower when the file
    // position and the target address are not aligned alike, and an image's samples
    // (at 46) rarely are aligned like a file's (at 44). Such reads go through a scratch
    // area placed like the file, whose copy into the image costs far less.
    const std::int64_t position = mmioSeek64(m_file, 0, SEEK_CUR);
    const bool aligned = position >= 0 && (quintptr(out) - quintptr(position)) % kCopyAlignment == 0;
    std::unique_ptr<char[]> scratch;
    const quintptr shift = position < 0 ? 0 : quintptr(position) % kCopyAlignment;
    if (!aligned && count >= kScratchSize)
        scratch.reset(new (std::nothrow) char[kScratchSize + 2 * kCopyAlignment]);
    char* area = nullptr;
    if (scratch) {
        const quintptr base = (quintptr(scratch.get()) + kCopyAlignment - 1) / kCopyAlignment * kCopyAlignment;
        area = reinterpret_cast<char*>(base + shift);
    }
    for (quint32 done = 0; done < count;) {
        const quint32 step = qMin(area ? kScratchSize : (1u << 30), count - done);
        char* target = area ? area : reinterpret_cast<char*>(out + done);
        if (mmioRead(m_file, target, LONG(step)) != LONG(step))
            return WAV_ERROR_FILECORRUPT;
        if (area)
            std::memcpy(out + done, area, step);
        done += step;
    }
    return 0;
}

QByteArray TnvWaveFileReader::otherChunks(quint32 limit)
{
    QByteArray kept;
    MMCKINFO riff;
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (!m_file || mmioSeek64(m_file, 0, SEEK_SET) != 0 || mmioDescend(m_file, &riff, nullptr, MMIO_FINDRIFF) != 0)
        return kept;
    const FOURCC dropped[] = {mmioFOURCC('f', 'm', 't', ' '), mmioFOURCC('d', 'a', 't', 'a'), FOURCC_RIFF,
                              mmioFOURCC('J', 'U', 'N', 'K'), mmioFOURCC('j', 'u', 'n', 'k'), mmioFOURCC('P', 'A', 'D', ' ')};
    MMCKINFO chunk;
    // Descending checks every size against the form and the file.
    while (mmioDescend(m_file, &chunk, &riff, 0) == 0) {
        const bool info = chunk.ckid == FOURCC_LIST && chunk.fccType == mmioFOURCC('I', 'N', 'F', 'O');
        if (!info && std::find(std::begin(dropped), std::end(dropped), chunk.ckid) == std::end(dropped)
            && quint64(kept.size()) + TnvRiffChunk::wholeSize(chunk) <= limit) {
            const std::optional<QByteArray> bytes = TnvRiffChunk::readWhole(m_file, chunk);
            if (!bytes)
                break;
            kept += *bytes;
        }
        if (mmioAscend(m_file, &chunk, 0) != 0)
            break;
    }
    return kept;
}

void TnvWaveFileReader::readInfo(TnvBufferFields& fields)
{
    if (m_file)
        TnvWaveInfo::read(m_file, fields);
}
