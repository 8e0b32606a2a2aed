#pragma once

// The Source object of a wave control: the file or files to use, the size limit in
// kilobytes (0 = none), whether the source is usable, the format of the source and the
// wave buffer that stands in for the files while it is active.

#include "TnvWaveBuffer.h"
#include "TnvWaveFormat.h"

#include <QObject>

class TnvWaveControl;

class TnvWaveSource : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(int MaxSize READ MaxSize WRITE setMaxSize)
    Q_PROPERTY(bool Valid READ Valid STORED false)
    Q_PROPERTY(TnvWaveFormat* Format READ Format CONSTANT)
    Q_PROPERTY(TnvWaveBuffer* Buffer READ Buffer CONSTANT)

public:
    TnvWaveSource(TnvWaveControl* owner, bool logFormat);

    QString FileName() const { return m_fileName; }
    void setFileName(const QString& name);
    qint32 MaxSize() const { return m_maxSize; }
    void setMaxSize(qint32 kilobytes);
    bool Valid() const { return m_valid; }
    TnvWaveFormat* Format() const { return m_format; }
    TnvWaveBuffer* Buffer() const { return m_buffer; }

    // For the owning control's own setters.
    void storeFileName(const QString& name) { m_fileName = name; }
    void storeMaxSize(qint32 kilobytes) { m_maxSize = kilobytes; }
    void setValid(bool valid) { m_valid = valid; }

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    TnvWaveControl* m_owner;
    TnvWaveFormat* m_format;
    TnvWaveBuffer* m_buffer;
    QString m_fileName;
    qint32 m_maxSize = 0;
    bool m_valid = false;
};
