#include "TnvStructBuffer.h"

#include "TnvConstantTexts.h"

namespace TnvStructBuffer {

QByteArray part(const QByteArray& block, DWORD size, DWORD offset)
{
    if (size == 0 || quint64(offset) + size > quint64(block.size()))
        return {};
    return block.mid(qsizetype(offset), qsizetype(size));
}

QString text(const QByteArray& block, DWORD size, DWORD offset)
{
    // Read in place: the same bounds as part(), without its copy.
    if (size == 0 || quint64(offset) + size > quint64(block.size()))
        return TrimmedText(nullptr, 0);
    return TrimmedText(block.constData() + offset, qint64(size));
}

} // namespace TnvStructBuffer
