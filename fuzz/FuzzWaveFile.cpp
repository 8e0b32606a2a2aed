// The WAVE file reader and the INFO list, through a wave buffer's LoadFromFile: any file
// loads or fails with a code, never reads outside a block, and a file that loads saves
// and loads again to the same samples and texts, and saves again to the same bytes.

#include <TnvWaveControl.h>

#include <QCoreApplication>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

class FuzzControl : public TnvWaveControl {
public:
    FuzzControl()
        : TnvWaveControl(ckPlay)
    {
        Log()->setActive(false);
    }
    TnvWaveBuffer* buffer() const { return Source()->Buffer(); }
};

QString scratch(const char* what)
{
    return QStringLiteral("/dev/shm/linkora-fuzz-%1-%2.wav").arg(::getpid()).arg(QLatin1StringView(what));
}

QByteArray samples(const TnvWaveBuffer* buffer)
{
    const auto* image = static_cast<const char*>(buffer->MemoryPointer());
    return QByteArray(image + TnvWaveImage::HeaderSize, qsizetype(buffer->DataSize()));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "FuzzWaveFile";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const QString in = scratch("in");
    static const QString out = scratch("out");

    QFile file(in);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    FuzzControl control;
    if (!control.buffer()->LoadFromFile(in))
        return 0;
    TnvWaveBuffer* loaded = control.buffer();
    if (loaded->DataSize() == 0 || loaded->DataSize() > size || loaded->TotalSize() != loaded->DataSize() + 46)
        std::abort();
    if (!loaded->SaveToFile(out))
        std::abort();
    FuzzControl again;
    if (!again.buffer()->LoadFromFile(out))
        std::abort();
    const TnvWaveBuffer* reread = again.buffer();
    if (samples(reread) != samples(loaded) || reread->Author() != loaded->Author()
        || reread->Comments() != loaded->Comments() || reread->Name() != loaded->Name()
        || reread->Subject() != loaded->Subject() || reread->Keywords() != loaded->Keywords()
        || reread->CreationDate() != loaded->CreationDate())
        std::abort();
    // What a save writes reads back to the very same file: nothing kept from the first
    // file is lost or changed on the way.
    static const QString copy = scratch("copy");
    if (!again.buffer()->SaveToFile(copy) || readAll(copy) != readAll(out))
        std::abort();
    again.buffer()->FreeBuffer();
    control.buffer()->FreeBuffer();
    return 0;
}
