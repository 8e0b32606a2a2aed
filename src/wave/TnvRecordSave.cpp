// Saving a finished recording: trimming its end, then writing it as a WAVE file or into
// the wave buffer. A recording that cannot be written where it should go stays in the
// buffer, so it is never lost without a word.
#include "TnvRecord.h"
#include "TnvRecordPrivate.h"
#include "TnvWaveFileReader.h"

#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvResultTexts.h>

#include <MmioApi.h>

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void put16(QByteArray& out, quint16 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void put32(QByteArray& out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

TnvWaveFormatFields TnvRecordPrivate::formatFields() const
{
    // The format the device recorded in, whatever Source.Format says by now.
    TnvWaveFormatFields fields;
    fields.tag = m_format.wFormatTag;
    fields.channels = m_format.nChannels;
    fields.samplesPerSec = m_format.nSamplesPerSec;
    fields.avgBytesPerSec = m_format.nAvgBytesPerSec;
    fields.blockAlign = m_format.nBlockAlign;
    fields.bitsPerSample = m_format.wBitsPerSample;
    return fields;
}

quint32 TnvRecordPrivate::trimmedSize()
{
    quint64 size = m_recordedBytes;
    const qint32 trim = m_device->Trim();
    if (trim > 0) {
        write(true, QStringLiteral("\t\tTriming"));
        write(false, QStringLiteral("\t\t\tnvRecord.Device.Trim = %1 //milliseconds").arg(trim));
        const auto cut = quint64(std::llround(double(m_format.nAvgBytesPerSec) * double(trim) / 1000.0));
        size = size > cut ? size - cut : 0;
        // Whole frames stay whole.
        const quint64 frame = qMax<quint64>(m_format.nBlockAlign, 1);
        size = size / frame * frame;
    }
    size = std::min<quint64>(size, TnvWaveImage::MaxDataSize);
    Format()->setSize(quint32(size), TnvWaveFormat::secondsOf(quint32(size), m_format.nAvgBytesPerSec));
    return quint32(size);
}

void TnvRecordPrivate::copyRecording(uchar* out, quint32 size) const
{
    quint32 done = 0;
    for (const std::unique_ptr<Block>& block : m_recorded) {
        if (done == size)
            break;
        const quint32 bytes = std::min({block->header.dwBytesRecorded, block->header.dwBufferLength, size - done});
        std::memcpy(out + done, block->data.get(), bytes);
        done += bytes;
    }
    // An empty recording still has its one byte; the trimmed rest is silence.
    std::memset(out + done, 0, size - done);
}

void TnvRecordPrivate::saveToFile()
{
    write(false, QStringLiteral("\tSaving to file"));
    clearError();
    const quint32 size = trimmedSize();
    const QString fileName = q->Source()->FileName();
    if (fileName.isEmpty()) {
        ReportResult(false, WAV_ERROR_NOFILE);
        keepInBuffer(size);
        return;
    }
    const QString name = TnvWaveFileReader::completeName(fileName, QString());
    MMIOINFO info;
    HMMIO file = mmioOpenA(QFile::encodeName(name).constData(), &info, MMIO_CREATE | MMIO_WRITE);
    if (!file) {
        ReportResult(false, qint32(info.wErrorRet));
        keepInBuffer(size);
        return;
    }
    const quint32 dataSize = std::max<quint32>(size, 1);
    QByteArray header;
    put32(header, dataSize + 38);
    header.append("WAVEfmt ", 8);
    put32(header, 18);
    put16(header, m_format.wFormatTag);
    put16(header, m_format.nChannels);
    put32(header, m_format.nSamplesPerSec);
    put32(header, m_format.nAvgBytesPerSec);
    put16(header, m_format.nBlockAlign);
    put16(header, m_format.wBitsPerSample);
    put16(header, 0);
    header.append("data", 4);
    put32(header, dataSize);

    qint32 code = 0;
    if (mmioWrite(file, "RIFF", 4) != 4)
        code = WAV_ERROR_FILEWRITE;
    else if (mmioWrite(file, header.constData(), LONG(header.size())) != LONG(header.size()))
        code = qint32(MMIOERR_CANNOTWRITE);
    quint32 missing = dataSize;
    for (const std::unique_ptr<Block>& block : m_recorded) {
        if (code != 0 || missing == 0)
            break;
        const quint32 bytes = std::min({block->header.dwBytesRecorded, block->header.dwBufferLength, missing});
        if (bytes > 0 && mmioWrite(file, block->data.get(), LONG(bytes)) != LONG(bytes))
            code = qint32(MMIOERR_CANNOTWRITE);
        missing -= bytes;
    }
    const char zeros[256] = {};
    while (code == 0 && missing > 0) {
        const auto bytes = LONG(std::min<quint32>(missing, sizeof zeros));
        if (mmioWrite(file, zeros, bytes) != bytes)
            code = qint32(MMIOERR_CANNOTWRITE);
        missing -= quint32(bytes);
    }
    const MMRESULT closed = mmioClose(file, code == 0 ? 0 : MMIO_ABANDON);
    if (code == 0)
        code = qint32(closed);
    if (code != 0) {
        ReportResult(false, code);
        keepInBuffer(size);
    }
}

void TnvRecordPrivate::saveToBuffer()
{
    write(false, QStringLiteral("\tSaving to buffer"));
    const quint32 size = trimmedSize();
    TnvWaveBuffer* buffer = q->Source()->Buffer();
    const quint32 stored = std::max<quint32>(size, 1);
    const auto fill = [this, stored](uchar* out) { copyRecording(out, stored); };
    qint32 code = buffer->storeRecording(formatFields(), stored, m_device->Append(), fill);
    if (code == WAV_ERROR_FORMATMISMATCH) {
        // Samples of two formats in one image would play as noise: the recording gets
        // an image of its own instead.
        ReportResult(false, code);
        code = buffer->storeRecording(formatFields(), stored, false, fill);
    }
    if (code != 0)
        ReportResult(false, code);
    q->refreshSource();
}

void TnvRecordPrivate::keepInBuffer(quint32 size)
{
    TnvWaveBuffer* buffer = q->Source()->Buffer();
    const quint32 stored = std::max<quint32>(size, 1);
    const qint32 code = buffer->storeRecording(formatFields(), stored, false,
                                               [this, stored](uchar* out) { copyRecording(out, stored); });
    if (code != 0) {
        ReportResult(false, code);
        return;
    }
    write(false, QStringLiteral("\tRecording kept in Source.Buffer [") + TnvNotation::hex8(buffer->Handle()) + QLatin1Char(']'));
    q->refreshSource();
}
