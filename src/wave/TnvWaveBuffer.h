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

#include <functional>

class TnvWaveControl;

class TnvWaveBuffer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive STORED false)
    Q_PROPERTY(uint Handle READ Handle WRITE setHandle STORED false)
    Q_PROPERTY(QString Author READ Author WRITE setAuthor)
    Q_PROPERTY(QString Category READ Category WRITE setCategory)
    Q_PROPERTY(QString Comments READ Comments WRITE setComments)
    Q_PROPERTY(QString Copyright READ Copyright WRITE setCopyright)
    Q_PROPERTY(QDateTime CreationDate READ CreationDate WRITE setCreationDate)
    Q_PROPERTY(QString Keywords READ Keywords WRITE setKeywords)
    Q_PROPERTY(QString Name READ Name WRITE setName)
    Q_PROPERTY(QString Subject READ Subject WRITE setSubject)
    Q_PROPERTY(int Count READ Count STORED false)
    Q_PROPERTY(QStringList List READ List STORED false)

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

    Q_INVOKABLE bool CreateBuffer(qint32 size);
    Q_INVOKABLE bool LoadFromFile(const QString& fileNames);
    Q_INVOKABLE bool LoadFromBuffers(const QString& handles);
    Q_INVOKABLE bool SaveToFile(const QString& fileName);
    Q_INVOKABLE bool DeleteBefore(double seconds);
    Q_INVOKABLE bool DeleteAfter(double seconds);
    Q_INVOKABLE void FreeBuffer();

    bool LogProperties(const QString& header, const QString& prefix, const QString& indent);

    // Takes a finished recording of size bytes in format: behind the samples of the
    // buffer's image when appending to one of that format, else as a new registered
    // image that becomes Handle. fill writes the samples. 0; -13 when the image to append
    // to has another format; -7 when the memory is not there. On failure the buffer is
    // unchanged.
    qint32 storeRecording(const TnvWaveFormatFields& format, quint32 size, bool append,
                          const std::function<void(uchar*)>& fill);

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
};
