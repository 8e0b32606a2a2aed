#include "TnvWaveFileReader.h"

#include "TnvWaveInfo.h"

#include <TnvResultTexts.h>

#include <GlobalMemory.h>

#include <QFile>
#include <QFileInfo>

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
    // Large reads go in pieces the 32-bit read can count.
    constexpr quint32 piece = 1u << 30;
    for (quint32 done = 0; done < count;) {
        const quint32 step = qMin(piece, count - done);
        if (!m_file || mmioRead(m_file, reinterpret_cast<char*>(out + done), LONG(step)) != LONG(step))
            return WAV_ERROR_FILECORRUPT;
        done += step;
    }
    return 0;
}

void TnvWaveFileReader::readInfo(TnvBufferFields& fields)
{
    if (m_file)
        TnvWaveInfo::read(m_file, fields);
}
