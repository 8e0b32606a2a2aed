#pragma once

// A control's wave buffer (Source.Buffer): a complete RIFF WAVE image in one movable
// memory block, registered process-wide so that other controls can adopt it by handle
// or combine it with others. It loads from files or other buffers, saves with an INFO
// list, cuts the beginning or the end, and carries the eight INFO texts.
//
// The image is always reached through its handle: a block that another control freed
// is refused, never read.

#include "TnvBufferFields.h"
#include "TnvWaveImage.h"

#include <GlobalMemory.h>

#include <QObject>
#include <QStringList>

class TnvWaveControl;

class TnvWaveBuffer : public QObject {
    Q_OBJECT

public:
    explicit TnvWaveBuffer(TnvWaveControl* owner);

    bool Active() const { return m_active; }
    void setActive(bool value);
    quint32 Handle() const { return m_handle; }
    void setHandle(quint32 value);

    QString Author() const { return m_fields.Author; }
    QString Category() const { return m_fields.Category; }
    QString Comments() const { return m_fields.Comments; }
    QString Copyright() const { return m_fields.Copyright; }
    QDateTime CreationDate() const { return m_fields.CreationDate; }
    QString Keywords() const { return m_fields.Keywords; }
    QString Name() const { return m_fields.Name; }
    QString Subject() const { return m_fields.Subject; }
    void setAuthor(const QString& value) { setText(&TnvBufferFields::Author, value); }
    void setCategory(const QString& value) { setText(&TnvBufferFields::Category, value); }
    void setComments(const QString& value) { setText(&TnvBufferFields::Comments, value); }
    void setCopyright(const QString& value) { setText(&TnvBufferFields::Copyright, value); }
    void setCreationDate(const QDateTime& value);
    void setKeywords(const QString& value) { setText(&TnvBufferFields::Keywords, value); }
    void setName(const QString& value) { setText(&TnvBufferFields::Name, value); }
    void setSubject(const QString& value) { setText(&TnvBufferFields::Subject, value); }

    void* MemoryPointer() const { return m_fields.memoryPointer; }
    quint32 TotalSize() const { return m_fields.totalSize; }
    quint32 DataSize() const { return m_fields.dataSize; }
    const TnvBufferFields& fields() const { return m_fields; }

    // The registry's handles and their number.
    static int Count();
    static QStringList List();

    bool CreateBuffer(qint32 size);
    bool LoadFromFile(const QString& fileNames);
    bool LoadFromBuffers(const QString& handles);
    bool SaveToFile(const QString& fileName);
    bool DeleteBefore(double seconds);
    bool DeleteAfter(double seconds);
    void FreeBuffer();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

private:
    struct Load;

    void setText(QString TnvBufferFields::*field, const QString& value);
    void refreshRegistry();
    // Adopts the registered image of handle (or detaches for 0); false with -4 reported
    // when it is not registered or does not parse.
    bool attach(quint32 handle);
    void logState();
    bool deleteBytes(double seconds, bool before);
    // Whether an element of this format and size may join the load (format, size,
    // limit); then its samples go in and the load takes it.
    qint32 admit(Load& load, const TnvWaveFormatFields& format, quint32 dataSize);
    void accepted(Load& load, const TnvWaveFormatFields& format, quint32 dataSize);
    // One element of a load: reads it into the load's new image.
    qint32 loadFile(Load& load, const QString& name);
    qint32 loadBuffer(Load& load, const QString& element);
    qint32 growImage(Load& load, const TnvWaveFormatFields& format, quint32 dataSize, uchar*& samples);
    void finishLoad(Load& load);

    TnvWaveControl* m_owner;
    bool m_active = false;
    HGLOBAL m_handle = 0;
    TnvBufferFields m_fields;
    // Chunks of the loaded file that the image has no room for, and the image they
    // belong to; a save writes them back only while that image is unchanged.
    QByteArray m_otherChunks;
    HGLOBAL m_otherChunksImage = 0;
};
