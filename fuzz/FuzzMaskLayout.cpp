// The number-mask layout of party identifications and the name formatting: any value
// under any mask, with any separators, gives a text and never crashes or hangs.

#include <TnvCallerID.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QChar dateSeparator = QChar(char16_t(data[0]));
    const QChar timeSeparator = QChar(char16_t(data[1]));
    const QByteArray rest(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    const qsizetype split = rest.indexOf('\0');
    const QString value = QString::fromUtf8(split < 0 ? rest : rest.left(split));
    const QString mask = split < 0 ? QString() : QString::fromUtf8(rest.mid(split + 1));

    const TnvCallerID::MaskParts parts = TnvCallerID::splitMask(mask);
    const QString laidOut = TnvCallerID::applyMask(value, mask, dateSeparator, timeSeparator);
    // Each value character lands in the layout at most once, beside the mask's literals.
    if (laidOut.size() > value.size() + parts.picture.size() + 1)
        std::abort();
    if (TnvCallerID::formatName(value).size() != value.size())
        std::abort();
    return 0;
}
