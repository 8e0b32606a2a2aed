#pragma once

// The fields of one wave buffer: the eight INFO texts (the creation date as a date-time,
// invalid meaning none), the INFO list's other items, the image's total and data sizes
// and the address of the locked image. Each buffer object has one set, and the registry keeps a copy per buffer.

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct TnvBufferFields {
    QString Author;
    QString Category;
    QString Comments;
    QString Copyright;
    QDateTime CreationDate;
    QString Keywords;
    QString Subject;
    QString Name;
    // The INFO items this program has no field for, in file order, each as it stands in
    // the file (id, size, bytes and a zero pad byte after odd ones), so a save keeps them.
    QByteArray otherInfo;
    quint32 totalSize = 0;
    quint32 dataSize = 0;
    void* memoryPointer = nullptr;

    void clearMetadata()
    {
        Author.clear();
        Category.clear();
        Comments.clear();
        Copyright.clear();
        CreationDate = QDateTime();
        Keywords.clear();
        Subject.clear();
        Name.clear();
        otherInfo.clear();
    }
};
