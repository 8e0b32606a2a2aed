// The in-memory image parser, alone and through LoadFromBuffers of a registered block:
// it never looks past the image, and what it accepts lies inside it.

#include <TnvNotation.h>
#include <TnvWaveControl.h>
#include <TnvWaveRegistry.h>

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "FuzzWaveImage";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    // An exact-size copy, so any read past the image is caught.
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return 0;
    auto* image = static_cast<uchar*>(GlobalLock(block));
    if (size)
        std::memcpy(image, data, size);
    const std::optional<TnvWaveImage::Parsed> parsed = TnvWaveImage::parse(image, size);
    if (parsed && (parsed->dataOffset < 8 || quint64(parsed->dataOffset) + parsed->dataSize > size))
        std::abort();
    GlobalUnlock(block);

    TnvBufferFields fields;
    TnvWaveRegistry::instance().add(block, fields);
    TnvWaveControl control(ckPlay);
    control.Log()->setActive(false);
    TnvWaveBuffer* buffer = control.Source()->Buffer();
    const bool loaded = buffer->LoadFromBuffers(TnvNotation::hex8(block));
    if (loaded != parsed.has_value())
        std::abort();
    if (loaded) {
        const auto* copy = static_cast<const uchar*>(buffer->MemoryPointer());
        if (buffer->DataSize() != parsed->dataSize
            || std::memcmp(copy + TnvWaveImage::HeaderSize, data + parsed->dataOffset, parsed->dataSize) != 0)
            std::abort();
        buffer->FreeBuffer();
    }
    TnvWaveRegistry::instance().remove(block);
    GlobalFree(block);
    return 0;
}
