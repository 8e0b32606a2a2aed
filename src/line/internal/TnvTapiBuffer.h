#pragma once

// Reading variable-size telephony structures: the growing-buffer rule (the fixed part
// plus 4096 bytes, doubled while the service answers "too small"), and texts taken from
// such a block only where its own size says they lie.

#include <TapiConstants.h>
#include <TapiStructs.h>

#include <QByteArray>
#include <QString>

#include <cstring>
#include <new>

namespace TnvTapiBuffer {

// The status reads a line control remembers, one block each.
enum Kind { LineDevStatus, AddressStatus, CallInfo, CallStatus, KindCount };

// The largest block ever tried; a service asking for more is not believed.
inline constexpr DWORD kMaxExtra = 64u * 1024u * 1024u;

// Calls call(block) with a block whose first field holds its size until the answer fits.
// Returns 0 or the error; LINEERR_NOMEM when the block cannot be had. Only the fixed part
// starts zeroed, and the block keeps only what the service reports as used beyond it, so
// no byte the service did not write is ever read.
template<typename Call>
LONG read(DWORD fixedSize, QByteArray& block, Call call)
{
    for (DWORD extra = 4096; extra <= kMaxExtra; extra *= 2) {
        const DWORD total = fixedSize + extra;
        try {
            // A spare block of this size is reused as it is; nobody else holds it.
            if (block.isDetached() && block.capacity() >= qsizetype(total))
                block.resize(qsizetype(total));
            else
                block = QByteArray(qsizetype(total), Qt::Uninitialized);
        } catch (const std::bad_alloc&) {
            return LONG(LINEERR_NOMEM);
        }
        std::memset(block.data(), 0, fixedSize);
        std::memcpy(block.data(), &total, sizeof total);
        const LONG result = call(block.data());
        if (result == LONG(LINEERR_STRUCTURETOOSMALL))
            continue;
        if (result != 0)
            return result;
        DWORD needed = 0;
        std::memcpy(&needed, block.constData() + 4, sizeof needed);
        if (needed <= total) {
            DWORD used = 0;
            std::memcpy(&used, block.constData() + 8, sizeof used);
            block.truncate(qsizetype(qBound(fixedSize, used, total)));
            return 0;
        }
    }
    return LONG(LINEERR_NOMEM);
}

// A block for one read, taken from the thread's few spare ones and handed back when it
// goes, so the many reads of a call allocate nothing. A block someone kept a copy of is
// not handed back, and a read inside another's handling simply takes the next spare.
class Block {
public:
    Block();
    ~Block();
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    operator QByteArray&() { return m_bytes; }
    operator const QByteArray&() const { return m_bytes; }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The last block of one kind of status read and whom it was for. While the service's
// change stamp stays where it was at that read, a new read would give the same bytes, so
// the block is handed out again without asking the service.
class Remembered {
public:
    // Like read(); result receives 0 or the error, and the block (empty after an error)
    // is the caller's to keep.
    template<typename Call>
    QByteArray read(DWORD fixedSize, quint64 key, LONG* result, Call call)
    {
        const quint64 stamp = currentStamp();
        if (stamp != 0 && m_stamp == stamp && m_key == key) {
            *result = 0;
            return m_block;
        }
        m_stamp = 0;
        Block block;
        *result = TnvTapiBuffer::read(fixedSize, block, call);
        if (*result != 0)
            return {};
        remember(block.bytes());
        if (stamp != 0 && currentStamp() == stamp) {
            m_stamp = stamp;
            m_key = key;
        }
        return m_block;
    }

    // Forgets the block, so the next read asks the service.
    void clear() { m_stamp = 0; }

private:
    static quint64 currentStamp();
    void remember(const QByteArray& bytes);

    QByteArray m_block;
    quint64 m_stamp = 0;
    quint64 m_key = 0;
};

// The fixed part of a block as its structure; the block is at least that large after a
// successful read.
template<typename T>
const T& fields(const QByteArray& block)
{
    return *reinterpret_cast<const T*>(block.constData());
}

// Bytes of a variable part, empty when size and offset point outside the block.
QByteArray part(const QByteArray& block, DWORD size, DWORD offset);

// A text of a variable part, cut at its NUL and trimmed of blanks and control characters.
QString text(const QByteArray& block, DWORD size, DWORD offset);

} // namespace TnvTapiBuffer
