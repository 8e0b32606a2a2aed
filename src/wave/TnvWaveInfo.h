#pragma once

// The LIST/INFO chunk of a WAVE file: which buffer field each item holds, how texts are
// encoded, how the creation date is written and read, and reading and writing the list
// through the RIFF file functions.
//
// Texts are written in Latin-1 when every character has a Latin-1 byte, which is what
// older readers expect, and in UTF-8 otherwise. Read texts are taken as UTF-8 when they
// are valid UTF-8 and as Latin-1 when not, so files from either kind of writer read
// back unchanged.

#include "TnvBufferFields.h"

#include <MmioApi.h>

#include <QByteArray>

class TnvWaveInfo {
public:
    // Items longer than this are taken as absent; the file keeps them (see read).
    static constexpr int MaxItemSize = 255;
    // What a load keeps of the list's other items at most; items past it are dropped.
    static constexpr quint32 MaxOtherItemsSize = 1u << 20;

    static QByteArray encodeText(const QString& text);
    // Whether the text, written as an item with its pad byte, reads back as itself:
    // 254 bytes at most once encoded.
    static bool fits(const QString& text);
    static QString decodeText(const QByteArray& bytes);

    // "ICRD" text: year, month and day as yyyy-mm-dd; invalid dates are written as none.
    static QByteArray creationDateText(const QDateTime& date);
    // Characters 1-4, 6-7 and 9-10 of a text longer than 9 characters as year, month
    // and day; anything that does not form a valid date gives an invalid date-time.
    static QDateTime parseCreationDate(const QByteArray& text);

    // Reads the eight items of the first file's INFO list; missing items stay empty. The
    // list's other items, and the first item of a field when it is too long to be read,
    // go to otherInfo whole.
    static void read(HMMIO file, TnvBufferFields& fields);
    // Writes the LIST chunk at the current position: one item per non-empty field, odd
    // texts padded with one NUL that the item's size counts, then the other items as
    // they were read, less those of a field that has a value now. 0 or the failing
    // MMIOERR_.
    static MMRESULT write(HMMIO file, const TnvBufferFields& fields);
    // The bytes write puts in the file, LIST header included.
    static quint64 listSize(const TnvBufferFields& fields);
};
