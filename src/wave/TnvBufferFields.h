#pragma once

// The fields of one wave buffer: the eight INFO texts (the creation date as a date-time,
// invalid meaning none), the image's total and data sizes and the address of the locked
// image. Each buffer object has one set, and the registry keeps a copy per buffer.

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
    }
};
