#pragma once

// Reads one WAVE file the way every load does: finds the RIFF "WAVE" form, reads the
// whole format chunk, and stops at the start of the samples, with every size checked
// against the file. Closes the file when it goes.

#include "TnvBufferFields.h"
#include "TnvWaveImage.h"

#include <MmioApi.h>

#include <QString>

class TnvWaveFileReader {
public:
    TnvWaveFileReader() = default;
    ~TnvWaveFileReader();
    TnvWaveFileReader(const TnvWaveFileReader&) = delete;
    TnvWaveFileReader& operator=(const TnvWaveFileReader&) = delete;

    // 0, the open's MMIOERR_ code, -4 for a file that is no WAVE file or lies about a
    // size, -7 when the format chunk cannot be held.
    qint32 open(const QString& fileName);
    // Reads count samples from the current position into out; -4 on a short read.
    qint32 readSamples(uchar* out, quint32 count);
    // The file's INFO list into the metadata fields.
    void readInfo(TnvBufferFields& fields);
    // The form's other chunks (cue points, a fact chunk, lists other than INFO, ...) as
    // they stand in the file, header and pad byte included, while they fit in limit
    // bytes. Padding, the format, the samples and the INFO list are left out.
    QByteArray otherChunks(quint32 limit);
    void close();

    const TnvWaveFormatFields& format() const { return m_format; }
    quint32 dataSize() const { return m_dataSize; }
    // Bytes of the format chunk beyond the 18 every image keeps (a compressed or
    // extensible format's own data), which a saved copy does not carry.
    quint32 extraFormatBytes() const { return m_extraFormatBytes; }

    // The name a load opens: ".wav" added when the name has no extension, and the
    // directory given when it has none of its own.
    static QString completeName(const QString& name, const QString& directory);

private:
    HMMIO m_file = nullptr;
    TnvWaveFormatFields m_format;
    quint32 m_dataSize = 0;
    quint32 m_extraFormatBytes = 0;
};
