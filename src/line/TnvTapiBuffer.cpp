#include "TnvTapiBuffer.h"

#include <TnvConstantTexts.h>

namespace TnvTapiBuffer {

QByteArray part(const QByteArray& block, DWORD size, DWORD offset)
{
    if (size == 0 || quint64(offset) + size > quint64(block.size()))
        return {};
    return block.mid(qsizetype(offset), qsizetype(size));
}

QString text(const QByteArray& block, DWORD size, DWORD offset)
{
    const QByteArray bytes = part(block, size, offset);
    return TrimmedText(bytes.constData(), bytes.size());
}

} // namespace TnvTapiBuffer
