// Lays out the structures the service fills for applications: a fixed part whose size
// depends on the API version the application negotiated, followed by variable parts
// reached through Size/Offset fields. A block too small for the variable parts gets the
// fixed part and its needed size, as applications growing their buffer expect.
#pragma once

#include "../TapiConstants.h"
#include "../TapiStructs.h"

#include <QByteArray>
#include <QVarLengthArray>

#include <cstring>

namespace Telephony {

// Fixed parts as each API version knows them.
DWORD devCapsSize(DWORD apiVersion);
DWORD addressCapsSize(DWORD apiVersion);
DWORD devStatusSize(DWORD apiVersion);
DWORD callInfoSize(DWORD apiVersion);
DWORD callStatusSize(DWORD apiVersion);
DWORD phoneCapsSize(DWORD apiVersion);
DWORD phoneStatusSize(DWORD apiVersion);

// Bytes of text as TAPI hands them out: the text and its terminating NUL; nothing for
// an empty text.
QByteArray terminated(const QByteArray& text);

template<typename T>
class StructBuilder {
public:
    explicit StructBuilder(DWORD fixedSize = sizeof(T))
        : m_fixedSize(fixedSize < sizeof(T) ? fixedSize : DWORD(sizeof(T)))
    {
    }

    T& fields() { return m_fixed; }

    // Appends a variable part, unless its fields lie beyond this version's fixed part.
    void add(DWORD T::*size, DWORD T::*offset, const QByteArray& data) { append(size, offset, data, false); }

    // The text and its terminating NUL; nothing for an empty text.
    void addText(DWORD T::*size, DWORD T::*offset, const QByteArray& text) { append(size, offset, text, true); }

    DWORD neededSize() const { return m_fixedSize + DWORD(m_var.size()); }

    // Writes into the caller's block, whose dwTotalSize says how large it is.
    LONG write(void* block) const
    {
        if (!block)
            return LONG(LINEERR_INVALPOINTER);
        DWORD total = 0;
        std::memcpy(&total, block, sizeof total);
        if (total < m_fixedSize)
            return LONG(LINEERR_STRUCTURETOOSMALL);
        T out = m_fixed;
        out.dwTotalSize = total;
        out.dwNeededSize = neededSize();
        const bool fits = out.dwNeededSize <= total;
        if (!fits) {
            for (const Part& part : m_parts) {
                out.*part.size = 0;
                out.*part.offset = 0;
            }
        }
        out.dwUsedSize = fits ? out.dwNeededSize : m_fixedSize;
        std::memcpy(block, &out, m_fixedSize);
        if (fits && !m_var.isEmpty())
            std::memcpy(static_cast<char*>(block) + m_fixedSize, m_var.constData(), size_t(m_var.size()));
        return 0;
    }

private:
    // Appended in place, padded to four bytes at once: every structure read builds one.
    void append(DWORD T::*size, DWORD T::*offset, const QByteArray& data, bool terminate)
    {
        if (data.isEmpty() || fieldOffset(offset) + sizeof(DWORD) > m_fixedSize)
            return;
        const qsizetype length = data.size() + (terminate ? 1 : 0);
        m_fixed.*size = DWORD(length);
        m_fixed.*offset = m_fixedSize + DWORD(m_var.size());
        m_parts.append({size, offset});
        const qsizetype at = m_var.size();
        const qsizetype padded = (length + 3) & ~qsizetype(3);
        m_var.resize(at + padded);
        std::memcpy(m_var.data() + at, data.constData(), size_t(data.size()));
        std::memset(m_var.data() + at + data.size(), 0, size_t(padded - data.size()));
    }

    struct Part {
        DWORD T::*size;
        DWORD T::*offset;
    };

    size_t fieldOffset(DWORD T::*field) const
    {
        return size_t(reinterpret_cast<const char*>(&(m_fixed.*field)) - reinterpret_cast<const char*>(&m_fixed));
    }

    T m_fixed{};
    DWORD m_fixedSize;
    // Room for what the service usually hands out, so a read allocates nothing.
    QVarLengthArray<char, 1024> m_var;
    QVarLengthArray<Part, 16> m_parts;
};

} // namespace Telephony
