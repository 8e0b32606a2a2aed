// Loading a wave buffer from files or from other buffers, and saving it to a file.
#include "TnvWaveBuffer.h"

#include "TnvBlockLock.h"
#include "TnvWaveControl.h"
#include "TnvWaveFileReader.h"
#include "TnvWaveInfo.h"
#include "TnvWaveRegistry.h"

#include <TnvLog.h>
#include <TnvResultTexts.h>

#include <MmioApi.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// The size limit said no and has reported it; the load ends without a detail line.
constexpr qint32 kCancelled = INT_MIN;
// What a load keeps of a file's other chunks at most.
constexpr quint32 kOtherChunksLimit = 4u << 20;
// The longest file a 32-bit RIFF size can describe.
constexpr quint64 kLongestRiff = 0xFFFFFFFFull + 8;

// Writes count bytes in pieces the 32-bit write can count.
bool writeAll(HMMIO file, const uchar* data, quint64 count)
{
    constexpr quint64 piece = 1u << 30;
    for (quint64 done = 0; done < count;) {
        const quint64 step = qMin(piece, count - done);
        if (mmioWrite(file, reinterpret_cast<const char*>(data + done), LONG(step)) != LONG(step))
            return false;
        done += step;
    }
    return true;
}

} // namespace

// One load's new image and what has gone into it so far.
struct TnvWaveBuffer::Load {
    HGLOBAL block = 0;
    quint32 accumulated = 0;
    bool first = true;
    bool limitTested = false;
    TnvWaveFormatFields format;
    TnvBufferFields info;
    QByteArray otherChunks;

    Load() = default;
    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;
    // A load that did not finish leaves nothing behind.
    ~Load()
    {
        if (block)
            GlobalFree(block);
    }
};

qint32 TnvWaveBuffer::growImage(Load& load, const TnvWaveFormatFields& format, quint32 dataSize, uchar*& samples)
{
    const quint64 total = quint64(TnvWaveImage::HeaderSize) + load.accumulated + dataSize;
    if (quint64(load.accumulated) + dataSize > TnvWaveImage::MaxDataSize)
        return WAV_ERROR_NOMEMORY;
    // Not cleared first: the header and the samples overwrite every byte, and a load
    // that stops short frees the block unseen.
    if (!load.block)
        load.block = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(total));
    else if (!GlobalReAlloc(load.block, SIZE_T(total), GMEM_MOVEABLE))
        return WAV_ERROR_NOMEMORY;
    if (!load.block)
        return WAV_ERROR_NOMEMORY;
    const TnvBlockLock image(load.block);
    if (load.first)
        TnvWaveImage::writeHeader(image.data(), format, 0);
    TnvWaveImage::setDataSize(image.data(), load.accumulated + dataSize);
    samples = image.data() + TnvWaveImage::HeaderSize + load.accumulated;
    return 0;
}

qint32 TnvWaveBuffer::admit(Load& load, const TnvWaveFormatFields& format, quint32 dataSize)
{
    if (!load.first && format != load.format)
        return WAV_ERROR_FORMATMISMATCH;
    const quint64 total = quint64(load.accumulated) + dataSize;
    if (total > TnvWaveImage::MaxDataSize)
        return WAV_ERROR_NOMEMORY;
    // The limit is asked about once per load, the first time the total passes it.
    if (!load.limitTested) {
        const qint64 limit = qint64(m_owner->Source()->MaxSize()) * 1024;
        if (limit > 0 && quint64(limit) < total) {
            load.limitTested = true;
            if (!m_owner->allowOverSize()) {
                m_owner->ReportResult(false, WAV_ERROR_CANCELED);
                return kCancelled;
            }
        }
    }
    return 0;
}

void TnvWaveBuffer::accepted(Load& load, const TnvWaveFormatFields& format, quint32 dataSize)
{
    if (load.first)
        load.format = format;
    load.accumulated += dataSize;
    load.first = false;
    m_owner->Source()->Format()->assign(load.format, load.accumulated,
                                        TnvWaveFormat::secondsOf(load.accumulated, load.format.avgBytesPerSec));
}

qint32 TnvWaveBuffer::loadFile(Load& load, const QString& name)
{
    TnvWaveFileReader reader;
    if (qint32 code = reader.open(name))
        return code;
    if (qint32 code = admit(load, reader.format(), reader.dataSize()))
        return code;
    uchar* samples = nullptr;
    if (qint32 code = growImage(load, reader.format(), reader.dataSize(), samples))
        return code;
    if (qint32 code = reader.readSamples(samples, reader.dataSize()))
        return code;
    if (load.first) {
        reader.readInfo(load.info);
        load.otherChunks = reader.otherChunks(kOtherChunksLimit);
    }
    reader.close();
    accepted(load, reader.format(), reader.dataSize());
    return 0;
}

qint32 TnvWaveBuffer::loadBuffer(Load& load, const QString& element)
{
    bool ok = false;
    const HGLOBAL handle = element.trimmed().toUInt(&ok, 16);
    if (!ok || !TnvWaveRegistry::instance().find(handle))
        return WAV_ERROR_FILECORRUPT;
    const TnvBlockLock source(handle);
    const std::optional<TnvWaveImage::Parsed> parsed =
        source.data() ? TnvWaveImage::parse(source.data(), source.size()) : std::nullopt;
    if (!parsed)
        return WAV_ERROR_FILECORRUPT;
    if (qint32 code = admit(load, parsed->format, parsed->dataSize))
        return code;
    uchar* samples = nullptr;
    if (qint32 code = growImage(load, parsed->format, parsed->dataSize, samples))
        return code;
    std::memcpy(samples, source.data() + parsed->dataOffset, parsed->dataSize);
    accepted(load, parsed->format, parsed->dataSize);
    return 0;
}

void TnvWaveBuffer::finishLoad(Load& load)
{
    m_handle = load.block;
    load.block = 0;
    m_active = true;
    m_fields.totalSize = TnvWaveImage::HeaderSize + load.accumulated;
    m_fields.dataSize = load.accumulated;
    TnvWaveRegistry::instance().add(m_handle, m_fields);
    m_fields.memoryPointer = TnvBlockLock(m_handle).data();
    refreshRegistry();
    if (m_owner->Vantage()->window()) {
        logState();
        m_owner->refreshSource();
    }
}

bool TnvWaveBuffer::LoadFromFile(const QString& fileNames)
{
    m_owner->Log()->Add(true, QStringLiteral("Source.Buffer.LoadFromFile ('") + fileNames + QStringLiteral("')"));
    m_owner->Error()->Clear();
    Load load;
    QString directory;
    const QStringList elements = fileNames.split(QLatin1Char(','));
    for (qsizetype i = 0; i < elements.size(); ++i) {
        QString name = elements.at(i);
        name.remove(0, qsizetype(std::find_if(name.cbegin(), name.cend(), [](QChar c) { return !c.isSpace(); })
                                 - name.cbegin()));
        qint32 code = WAV_ERROR_NOFILE;
        if (!name.isEmpty()) {
            name = TnvWaveFileReader::completeName(name, directory);
            if (i == 0 && name.contains(QLatin1Char('/')))
                directory = QFileInfo(name).path();
            code = loadFile(load, name);
        }
        if (code == kCancelled)
            return false;
        if (code != 0) {
            m_owner->ReportResult(false, code);
            m_owner->Log()->Add(false, QStringLiteral("    File: ") + name);
            return false;
        }
    }
    const TnvBufferFields info = load.info;
    m_fields.Author = info.Author;
    m_fields.Category = info.Category;
    m_fields.Comments = info.Comments;
    m_fields.Copyright = info.Copyright;
    m_fields.CreationDate = info.CreationDate;
    m_fields.Keywords = info.Keywords;
    m_fields.Subject = info.Subject;
    m_fields.Name = info.Name;
    m_fields.otherInfo = info.otherInfo;
    // Cue points and the like describe one file's samples: a join would make them lie.
    m_otherChunks = elements.size() == 1 ? load.otherChunks : QByteArray();
    finishLoad(load);
    m_otherChunksImage = m_otherChunks.isEmpty() ? 0 : m_handle;
    return true;
}

bool TnvWaveBuffer::LoadFromBuffers(const QString& handles)
{
    m_owner->Log()->Add(true, QStringLiteral("Source.Buffer.LoadFromBuffers ('") + handles + QStringLiteral("')"));
    m_owner->Error()->Clear();
    Load load;
    m_otherChunks.clear();
    for (const QString& element : handles.split(QLatin1Char(','))) {
        const qint32 code = loadBuffer(load, element);
        if (code == kCancelled)
            return false;
        if (code != 0) {
            m_owner->ReportResult(false, code);
            m_owner->Log()->Add(false, QStringLiteral("    Buffer: ") + element.trimmed());
            return false;
        }
    }
    finishLoad(load);
    return true;
}

bool TnvWaveBuffer::SaveToFile(const QString& fileName)
{
    if (!m_active)
        return false;
    m_owner->Log()->Add(true, QStringLiteral("Source.Buffer.SaveToFile ('") + fileName + QStringLiteral("')"));
    m_owner->Error()->Clear();
    if (fileName.isEmpty()) {
        m_owner->ReportResult(false, WAV_ERROR_NOFILE);
        return false;
    }
    const TnvBlockLock image(m_handle);
    const quint32 dataSize = image.data() ? TnvWaveImage::dataSizeOf(image.data()) : 0;
    if (!image.data() || image.size() < quint64(TnvWaveImage::HeaderSize) + dataSize) {
        m_owner->ReportResult(false, WAV_ERROR_FILECORRUPT);
        return false;
    }
    const QByteArray others = m_handle == m_otherChunksImage ? m_otherChunks : QByteArray();
    // RIFF sizes are 32-bit: a file longer than they can tell is refused before anything
    // is written, rather than written with a size that lies.
    if (quint64(TnvWaveImage::HeaderSize) + dataSize + (dataSize & 1) + TnvWaveInfo::listSize(m_fields)
            + quint64(others.size())
        > kLongestRiff) {
        m_owner->ReportResult(false, WAV_ERROR_FILETOOBIG);
        return false;
    }
    const QString name = TnvWaveFileReader::completeName(fileName, QString());
    MMIOINFO info;
    HMMIO file = mmioOpenA(QFile::encodeName(name).constData(), &info, MMIO_CREATE | MMIO_WRITE);
    if (!file) {
        m_owner->ReportResult(false, qint32(info.wErrorRet));
        return false;
    }
    // The image as it is, a pad byte after odd data so that the list starts on a word
    // boundary as RIFF readers expect, the INFO list, then what else the file had.
    MMRESULT result = 0;
    const quint64 padded = quint64(TnvWaveImage::HeaderSize) + dataSize + (dataSize & 1);
    const char pad = 0;
    if (!writeAll(file, image.data(), TnvWaveImage::HeaderSize + quint64(dataSize))
        || ((dataSize & 1) && mmioWrite(file, &pad, 1) != 1))
        result = MMIOERR_CANNOTWRITE;
    if (result == 0)
        result = TnvWaveInfo::write(file, m_fields);
    if (result == 0 && !others.isEmpty()
        && !writeAll(file, reinterpret_cast<const uchar*>(others.constData()), quint64(others.size())))
        result = MMIOERR_CANNOTWRITE;
    // The RIFF size counts everything behind its own 8 bytes.
    quint64 length = 0;
    if (result == 0) {
        const std::int64_t end = mmioSeek64(file, 0, SEEK_CUR);
        length = end < 0 ? 0 : quint64(end);
        if (length < padded || length > kLongestRiff)
            result = MMIOERR_CANNOTWRITE;
    }
    if (result == 0) {
        const DWORD riffSize = DWORD(length - 8);
        if (mmioSeek(file, 4, SEEK_SET) != 4 || mmioWrite(file, reinterpret_cast<const char*>(&riffSize), 4) != 4)
            result = MMIOERR_CANNOTWRITE;
    }
    const MMRESULT closed = mmioClose(file, result == 0 ? 0 : MMIO_ABANDON);
    if (result == 0)
        result = closed;
    if (result != 0) {
        m_owner->ReportResult(false, qint32(result));
        return false;
    }
    return true;
}
