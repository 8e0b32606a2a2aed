#include "TnvPhoneBuffer.h"

#include <TnvConstantTexts.h>

namespace TnvPhoneBuffer {

QByteArray part(const QByteArray& block, DWORD size, DWORD offset)
{
    if (size == 0 || quint64(offset) + size > quint64(block.size()))
        return {};
    return block.mid(qsizetype(offset), qsizetype(size));
}

QString text(const QByteArray& block, DWORD size, DWORD offset)
{
    if (size == 0 || quint64(offset) + size > quint64(block.size()))
        return {};
    return TrimmedText(block.constData() + offset, qint64(size));
}

} // namespace TnvPhoneBuffer
